#pragma once

#include "launcher/LauncherHost.h"

#include <QList>

#include <functional>

// A shell stand-in for view tests: counts dismissals and sounds, and counts holds the way the
// shell's autoDismissSuspenders does. It hands out no favicon cache, so no test reaches the network.
class FakeLauncherHost : public LauncherHost {
  public:
    int dismissals = 0;
    int sounds = 0;
    int holds = 0;

    void dismiss() override { ++dismissals; }
    QList<LauncherAddKind> picks;
    void pick(LauncherAddKind kind) override { picks.append(kind); }
    FaviconCache *faviconCache() override { return nullptr; }
    void playSound() override { ++sounds; }
    std::unique_ptr<LauncherHold> holdOpen() override { return std::make_unique<Hold>(holds); }
    // What the pencil opens; none by default.
    std::function<QWidget *(QWidget *parent, double width)> managePanel;
    QWidget *createManagePanel(QWidget *parent, double width) override {
        return managePanel ? managePanel(parent, width) : nullptr;
    }

  private:
    class Hold : public LauncherHold {
      public:
        explicit Hold(int &count) : m_count(count) { ++m_count; }
        ~Hold() override { --m_count; }

      private:
        int &m_count;
    };
};
