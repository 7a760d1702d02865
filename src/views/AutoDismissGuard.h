#pragma once

#include <QPointer>

class AppDelegate;

// Holds one count of the shell's autoDismissSuspenders while active: raised when it becomes active,
// given back when it stops (or goes away). Without a shell it does nothing, and it only gives back to
// the shell it took from, so the counter can neither drift nor fall below zero.
class AutoDismissGuard {
  public:
    AutoDismissGuard() = default;
    ~AutoDismissGuard() { setActive(false); }
    AutoDismissGuard(const AutoDismissGuard &) = delete;
    AutoDismissGuard &operator=(const AutoDismissGuard &) = delete;

    bool isActive() const { return m_active; }
    void setActive(bool active);

  private:
    bool m_active = false;
    QPointer<AppDelegate> m_holder;
};
