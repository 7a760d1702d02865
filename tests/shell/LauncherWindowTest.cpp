// The launcher's window on two screens, with a window system that reports a dock and presses outside.
#include "shell/LauncherWindow.h"
#include "platform/WindowSystem.h"
#include "shell/IlvexPanel.h"
#include "store/AppState.h"
#include "support/FakeWorkspace.h"
#include "support/QuietWindows.h"
#include "support/Sandbox.h"

#include <QCursor>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A dock 44 px deep along the top of the right screen only; calls are recorded.
struct FakeWindowSystem : WindowSystem {
    bool fadesWindows() const override { return false; }
    bool bypassesWindowManager() const override { return false; }
    bool reportsOutsidePresses() const override { return true; }
    QRect workArea(const QRect &screen, const QRect &fallback) const override {
        return screen.x() >= 1600 ? screen.adjusted(0, 44, 0, 0) : fallback;
    }
    void launcherShown(QWindow *) override { calls += QStringLiteral("shown "); }
    void launcherHiding(QWindow *) override { calls += QStringLiteral("hiding "); }
    QString calls;
};

struct LauncherWindowTest : ::testing::Test {
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::screens().size(), 2) << "the test runs on two offscreen screens";
        launcher.setServices({.windows = &windows});
    }
    QPointF ringCentre() const { return QRectF(launcher.panel()->geometry()).center(); }
    void hideAndSettle() {
        QSignalSpy hidden(&launcher, &LauncherWindow::hidden);
        launcher.hide();
        ASSERT_TRUE(hidden.wait(2000));
    }

    QuietWindows quiet;
    Sandbox sandbox;
    FakeWorkspace workspace;
    AppState state{{&workspace, nullptr, &sandbox.preferences(), sandbox.supportDirectory(), false}};
    LauncherWindow launcher{&state};
    FakeWindowSystem windows;
};

TEST_F(LauncherWindowTest, ShowsOnThePointersScreenUnderItsDocks) {
    for (const QPoint pointer : {QPoint(2500, 500), QPoint(300, 300)}) {
        QCursor::setPos(pointer);
        const QRect screen = QGuiApplication::screenAt(pointer)->geometry();
        launcher.show(LaunchSource::centered);
        EXPECT_LT(QLineF(ringCentre(), QRectF(screen).center()).length(), 1.0) << pointer.x();
        hideAndSettle();
        launcher.show(LaunchSource::hotCorner);
        const QRect free = windows.workArea(screen, screen);
        EXPECT_NEAR(ringCentre().x() + launcher.ringOuterRadius(), screen.x() + screen.width(), 1.0);
        EXPECT_NEAR(ringCentre().y() - launcher.ringOuterRadius(), free.top(), 1.0) << "under the dock";
        // A new size while it shows: placed again at once, still by the corner under the dock.
        sandbox.preferences().setLauncherScale(pointer.x() > 1000 ? 0.8 : 1.0);
        EXPECT_NEAR(ringCentre().y() - launcher.ringOuterRadius(), free.top(), 1.0) << pointer.x();
        hideAndSettle();
    }
    EXPECT_EQ(windows.calls, QStringLiteral("shown hiding ").repeated(4));
}

TEST_F(LauncherWindowTest, PressOutsideDismissesUnlessAnEditorHoldsTheLauncher) {
    launcher.show(LaunchSource::centered);
    QSignalSpy hiding(&launcher, &LauncherWindow::willHide), hidden(&launcher, &LauncherWindow::hidden);
    auto hold = launcher.holdOpen();
    Q_EMIT windows.pressedOutside();
    QCoreApplication::processEvents();
    EXPECT_TRUE(launcher.isShown()) << "a press outside while an editor is open";
    hold.reset();
    Q_EMIT windows.pressedOutside();
    ASSERT_TRUE(hiding.wait(1000));
    EXPECT_FALSE(launcher.isShown());
    // The tray's own click (its press already dismissed the launcher) does not show it again; a later one
    // does.
    launcher.toggleFromTray();
    ASSERT_TRUE(hidden.size() == 1 || hidden.wait(2000));
    EXPECT_FALSE(launcher.isVisible());
    launcher.toggleFromTray();
    EXPECT_TRUE(launcher.isShown());
    // Focus changes do not dismiss where presses are reported (focus-follows-mouse managers).
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(launcher.panel(), &deactivate);
    QCoreApplication::processEvents();
    EXPECT_TRUE(launcher.isShown());
    // Hiding clears the holds; one given back later, even to a window that is gone, cannot go below zero.
    auto late = launcher.holdOpen();
    launcher.hide();
    late.reset();
    EXPECT_EQ(launcher.autoDismissSuspenders(), 0);
    auto gone = std::make_unique<LauncherWindow>(&state);
    late = gone->holdOpen();
    gone.reset();
}

// The add dialog runs in the program's own loop: the launcher stays held until it closes, and a file
// pick leaves desktop entries to the application picker.
TEST_F(LauncherWindowTest, PickHoldsTheLauncherUntilTheDialogClosesAndAddsWhatWasChosen) {
    const QString folder = sandbox.makeFolder(QStringLiteral("Projects"));
    const QString entry = sandbox.writeFile(QStringLiteral("x.desktop"), "[Desktop Entry]\n");
    const qsizetype before = state.currentItems().size();
    for (const LauncherAddKind kind : {LauncherAddKind::folder, LauncherAddKind::file}) {
        launcher.show(LaunchSource::centered);
        launcher.pick(kind);
        EXPECT_EQ(launcher.autoDismissSuspenders(), 1);
        auto *dialog = launcher.panel()->findChild<QFileDialog *>();
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(sandbox.home());
        dialog->selectFile(kind == LauncherAddKind::folder ? folder : entry);
        QMetaObject::invokeMethod(dialog, "accept");
        EXPECT_EQ(launcher.autoDismissSuspenders(), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !launcher.panel()->findChild<QFileDialog *>(); }, 1000));
        hideAndSettle();
    }
    ASSERT_EQ(state.currentItems().size(), before + 1) << "the folder only";
    EXPECT_EQ(state.currentItems().last().appPath, folder);
    launcher.show(LaunchSource::centered);
    launcher.pick(LauncherAddKind::app); // left open: it goes with the window, and so does its hold
}

} // namespace
