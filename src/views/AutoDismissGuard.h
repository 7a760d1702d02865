#pragma once

#include "views/ViewHost.h"

#include <memory>

// Holds the launcher open while active: takes a hold from its host when it becomes active and lets it
// go when it stops (or goes away). Without a host it does nothing. The hold itself gives back only to
// the shell it came from, so the counter can neither drift nor fall below zero.
class AutoDismissGuard {
  public:
    explicit AutoDismissGuard(ViewHost *host = nullptr) : m_host(host) {}
    AutoDismissGuard(const AutoDismissGuard &) = delete;
    AutoDismissGuard &operator=(const AutoDismissGuard &) = delete;

    bool isActive() const { return m_active; }
    void setActive(bool active);

  private:
    ViewHost *m_host;
    bool m_active = false;
    std::unique_ptr<LauncherHold> m_hold;
};
