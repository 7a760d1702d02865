// The launcher's window on two screens, with a window system that reports a dock and presses outside.
#include "platform/WindowSystem.h"
#include "shell/AppDelegate.h"
#include "shell/IlvexPanel.h"
#include "store/AppState.h"
#include "support/FakeWorkspace.h"
#include "support/QuietWindows.h"
#include "support/Sandbox.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A dock 44 px deep along the top of the right screen only; calls are recorded.
class FakeWindowSystem : public WindowSystem {
  public:
    bool fadesWindows() const override { return false; }
    bool bypassesWindowManager() const override { return false; }
    bool reportsOutsidePresses() const override { return true; }
    QRect workArea(const QRect &screen, const QRect &fallback) const override {
        return screen.x() >= 1600 ? screen.adjusted(0, 44, 0, 0) : fallback;
    }
    void launcherShown(QWindow *) override { calls += QStringLiteral("shown "); }
    void launcherHiding(QWindow *) override { calls += QStringLiteral("hiding "); }
    void pressOutside() { Q_EMIT pressedOutside(); }
    QString calls;
};

class LauncherWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::screens().size(), 2) << "the test runs on two offscreen screens";
        shell.setServices({nullptr, nullptr, &workspace, &windows});
    }
    QPointF ringCentre() const { return QRectF(shell.panel()->geometry()).center(); }
    void settle() { QTest::qWait(AppDelegate::fadeOutMs + 60); }

    QuietWindows quiet;
    Sandbox sandbox;
    FakeWorkspace workspace;
    AppState state{
        StoreServices{&workspace, nullptr, &sandbox.preferences(), sandbox.supportDirectory(), false}};
    AppDelegate shell{&state};
    FakeWindowSystem windows;
};

TEST_F(LauncherWindowTest, ShowsOnThePointersScreenUnderItsDocks) {
    const double radius = shell.currentRingOuterRadius();
    for (const QPoint pointer : {QPoint(2500, 500), QPoint(300, 300)}) {
        QCursor::setPos(pointer);
        const QRect screen = QGuiApplication::screenAt(pointer)->geometry();
        shell.showLauncher(LaunchSource::centered);
        EXPECT_LT(QLineF(ringCentre(), QRectF(screen).center()).length(), 1.0) << pointer.x();
        shell.hideLauncher();
        settle();
        shell.showLauncher(LaunchSource::hotCorner);
        const QRect free = windows.workArea(screen, screen);
        EXPECT_NEAR(ringCentre().x() + radius, screen.x() + screen.width(), 1.0) << pointer.x();
        EXPECT_NEAR(ringCentre().y() - radius, free.top(), 1.0) << "under the dock, " << pointer.x();
        shell.hideLauncher();
        settle();
    }
    EXPECT_EQ(windows.calls, QStringLiteral("shown hiding ").repeated(4));
}

TEST_F(LauncherWindowTest, PressOutsideDismissesUnlessAnEditorHoldsTheLauncher) {
    shell.showLauncher(LaunchSource::centered);
    {
        auto hold = shell.holdOpen();
        windows.pressOutside();
        QTest::qWait(20);
        EXPECT_TRUE(shell.isLauncherShown()) << "a press outside while an editor is open";
    }
    windows.pressOutside();
    QTest::qWait(20);
    EXPECT_FALSE(shell.isLauncherShown());
    // The tray's own click (its press already dismissed the launcher) does not show it again; a later one
    // does.
    shell.toggleFromTray();
    settle();
    EXPECT_FALSE(shell.isLauncherVisible());
    shell.toggleFromTray();
    EXPECT_TRUE(shell.isLauncherShown());
    // Focus changes do not dismiss where presses are reported (focus-follows-mouse managers).
    EXPECT_FALSE(shell.panel()->onDeactivated);
}

} // namespace
