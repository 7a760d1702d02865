// The shell's presence: hotkey and hot corner toggles, the tray icon and its menu, the login item.
#include "l10n/L.h"
#include "platform/linux/XdgAutostart.h"
#include "shell/HotCorner.h"
#include "shell/StatusItem.h"
#include "support/Sandbox.h"

#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QList<QRect> twoScreens{QRect(0, 0, 1920, 1080), QRect(1920, 200, 1280, 800)};

TEST(HotCorner, ZoneIsTheLastFourPixelsAtTheTopRightOfTheScreenHoldingThePointer) {
    // Each screen's corner and the first one's edges; above the shorter screen; on no screen.
    const std::pair<QPoint, int> cases[] = {{{1919, 0}, 0},  {{1916, 3}, 0},   {{1915, 0}, -1},
                                            {{1919, 4}, -1}, {{3199, 200}, 1}, {{3199, 199}, -1},
                                            {{3300, 0}, -1}};
    for (const auto &[point, screen] : cases)
        EXPECT_EQ(HotCorner::cornerAt(point, twoScreens), screen) << point.x() << "," << point.y();
}

// Fires once per entry and never while switched off. A still pointer lets the poll rest until motion is
// heard of; a pointer moved without a word (warped) is still found by the resting poll.
TEST(HotCorner, FiresOncePerEntryAndRestsWhileThePointerIsStill) {
    QPoint pointer(500, 500);
    HotCorner corner([&pointer] { return pointer; });
    corner.setScreens(twoScreens);
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
    corner.watchMotion(fds[0], [fd = fds[0]] {
        char bytes[64];
        return ::read(fd, bytes, sizeof bytes) > 0; // one byte a motion
    });
    QSignalSpy fired(&corner, &HotCorner::fired);
    auto pollAt = [&](QPoint at) {
        pointer = at;
        corner.check();
        return fired.size();
    };
    corner.setEnabled(true);
    EXPECT_EQ(pollAt({1919, 0}), 1);
    EXPECT_EQ(pollAt({1918, 1}), 1) << "resting in the corner";
    EXPECT_EQ(pollAt({3199, 200}), 1) << "another screen's corner without leaving every zone first";
    EXPECT_EQ(pollAt({1000, 500}), 1);
    EXPECT_EQ(pollAt({3199, 200}), 2) << "out for one poll and back in";
    corner.setEnabled(false);
    EXPECT_FALSE(corner.isEnabled()) << "the poll stops while the corner is off";
    // Switched on while the pointer rests in a corner: the next poll fires.
    corner.setEnabled(true);
    EXPECT_EQ(pollAt({1919, 0}), 3);

    pollAt({1000, 500});
    auto rest = [&] {
        for (int i = 0; i <= HotCorner::stillPolls; ++i)
            corner.check();
        return corner.pollInterval();
    };
    EXPECT_EQ(rest(), HotCorner::restingPollMs);
    ASSERT_EQ(::write(fds[1], "m", 1), 1);
    // Motion wakes the poll.
    EXPECT_TRUE(QTest::qWaitFor([&] { return corner.pollInterval() == HotCorner::pollMs; }, 2000));
    EXPECT_EQ(rest(), HotCorner::restingPollMs);
    EXPECT_EQ(pollAt({1919, 0}), 4);
    EXPECT_EQ(corner.pollInterval(), HotCorner::pollMs);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(LoginItem, EnabledMeansAnEntryThatIsNotHiddenAndStartsThisIlvex) {
    Sandbox sandbox;
    const QString path = sandbox.configHome() + QStringLiteral("/autostart/ilvex.desktop");
    // The command as the entry's Exec and TryExec must say it: % doubled in Exec, quotes escaped for the
    // Exec rules and backslashes once more for the file format.
    XdgAutostart odd(path, QStringLiteral("/opt/My \"Apps\"/100%/ilvex"));
    EXPECT_TRUE(odd.setEnabled(false)) << "nothing to remove is no failure";
    ASSERT_TRUE(odd.setEnabled(true));
    EXPECT_TRUE(odd.isEnabled());
    const QByteArray text = Sandbox::readFile(path);
    EXPECT_TRUE(text.contains("Exec=\"/opt/My \\\\\"Apps\\\\\"/100%%/ilvex\"\n") &&
                text.contains("TryExec=/opt/My \"Apps\"/100%/ilvex\n"))
        << text.constData();
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    EXPECT_TRUE(validator.isEmpty() || QProcess::execute(validator, {path}) == 0) << text.constData();
    ASSERT_TRUE(odd.setEnabled(false));
    EXPECT_FALSE(QFile::exists(path) || odd.isEnabled());
    // Another installation's entry, or one switched off by the desktop, is off: switching on rewrites it.
    XdgAutostart item(path, QStringLiteral("ilvex"));
    const std::pair<QByteArray, bool> entries[] = {
        {"[Desktop Entry]\nExec = ilvex\nHidden = true\n", false},
        {"[Desktop Entry]\nExec=/home/me/old/build/src/ilvex-app\n", false},
        {"[Desktop Entry]\nExec=ilvex\n[Desktop Action x]\nHidden=true\nExec=other\n", true}};
    for (const auto &[entry, enabled] : entries) {
        sandbox.writeFile(QStringLiteral(".config/autostart/ilvex.desktop"), entry);
        EXPECT_EQ(item.isEnabled(), enabled) << entry.constData();
    }
    ASSERT_TRUE(item.setEnabled(true));
    EXPECT_TRUE(item.isEnabled()) << "the stale entry is replaced";
}

// The icon is drawn at the pixel ratio asked for; the menu is rebuilt in the current language when it opens.
TEST(StatusItem, IconAtThePixelRatioAndMenuRebuiltInTheCurrentLanguageWhenItOpens) {
    EXPECT_EQ(StatusItem::makeMenuBarIcon(22, 2.0).toImage().size(), QSize(44, 44));
    bool automatic = true;
    StatusItem item([&automatic] { return automatic; });
    QSignalSpy quits(&item, &StatusItem::quitChosen), toggled(&item, &StatusItem::automaticChecksToggled);
    // "Check Automatically" carries its check mark exactly while the checks are on.
    EXPECT_TRUE(item.menu()->actions()[2]->isChecked());
    item.menu()->actions()[2]->trigger();
    EXPECT_EQ(toggled.size(), 1);
    automatic = false;
    L::setLanguage(AppLanguage::de);
    Q_EMIT item.menu()->aboutToShow();
    EXPECT_FALSE(item.menu()->actions()[2]->isChecked());
    QStringList titles;
    for (QAction *action : item.menu()->actions())
        titles << (action->isSeparator() ? QStringLiteral("—") : action->text());
    EXPECT_EQ(titles, (QStringList{L::aboutIlvex(), L::checkForUpdates(), L::checkAutomatically(),
                                   L::sendFeedback(), QStringLiteral("—"), L::settings(), QStringLiteral("—"),
                                   QStringLiteral("Beenden")}));
    item.menu()->actions().last()->trigger();
    EXPECT_EQ(quits.size(), 1);
    L::setLanguage(AppLanguage::system);
}

} // namespace
