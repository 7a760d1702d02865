#include "LauncherFixture.h"

#include "launcher/HoleOverlay.h"
#include "launcher/LauncherChrome.h"
#include "support/QuietWindows.h"

#include <QAccessible>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeySequence>
#include <QMenu>
#include <QTest>

namespace {

// The first list: Alpha, Beta, the group Office (Writer, Calc), Gamma; the second: Zeta.
struct RingKeysTest : LauncherFixture {
    void SetUp() override {
        start({list("Main",
                    {app("Alpha"), app("Beta"), group("Office", {app("Writer"), app("Calc")}), app("Gamma")}),
               list("Web", {app("Zeta")})});
        view->launcherWillShow();
    }

    // Runs space-separated steps: key sequences or 'typed text'.
    void run(const QString &steps) {
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            if (step.startsWith(u'\'')) {
                QTest::keyClicks(view.get(), step.mid(1, step.size() - 2));
            } else {
                const QKeySequence keys = QKeySequence::fromString(step);
                ASSERT_FALSE(keys.isEmpty()) << step.toStdString();
                QTest::keyClick(view.get(), keys[0].key(), keys[0].keyboardModifiers());
            }
        }
        clock.advance(CircularLauncherView::launchDelayMs);
    }
    // Shown, active and focused, as the launcher's window makes it.
    void focus() {
        view->show();
        QApplication::setActiveWindow(view.get());
        view->setFocus();
    }
};

TEST_F(RingKeysTest, KeysSelectFindAndOpenAsClicksDo) {
    // steps; what Enter would open afterwards, what was launched, dismissals; the search text; the ring shown
    const std::tuple<const char *, const char *, const char *, int, const char *, const char *> cases[] = {
        {"Left", "Gamma", "", 0, "", "Main"}, // from no selection, backwards starts at the end
        {"End Home Down Return", "Beta", "Beta", 1, "", "Main"},
        {"3", "", "", 0, "", "Office"}, // a group opens (as by Return or a click), nothing dismisses
        {"9", "", "", 0, "", "Main"},   // no ninth slot
        // Finding (ranked by RingSearch); members open directly.
        {"'wri' Return", "Writer", "Writer", 1, "wri", "Main"},
        {"'zz' Backspace Backspace 'c'", "Calc", "", 0, "c", "Main"},
        {"'a3'", "", "", 0, "a3", "Main"}, // after a letter a digit is text
        {"'be' Esc", "Beta", "", 0, "", "Main"},
        {"Esc", "", "", 1, "", "Main"},
        {"'a' Ctrl+Tab Ctrl+Shift+Backtab", "", "", 0, "", "Main"}, // the text goes with its ring
        {"PgUp Right Return", "Zeta", "Zeta", 1, "", "Web"},
    };
    for (const auto &[steps, selected, launched, dismissals, search, ring] : cases) {
        SCOPED_TRACE(steps);
        SetUp();
        run(QString::fromUtf8(steps));
        const auto target = view->enterTarget();
        EXPECT_EQ(target ? target->name : QString(), QString::fromUtf8(selected));
        EXPECT_EQ(workspace.openedApplications.join(u',').remove("/nonexistent/").remove(".desktop"),
                  QString::fromUtf8(launched));
        EXPECT_EQ(host.dismissals, dismissals);
        EXPECT_EQ(view->searchText(), QString::fromUtf8(search));
        const auto open = state->openSubList();
        EXPECT_EQ(open ? open->name : state->lists()[state->safeIndex()].name, QString::fromUtf8(ring));
    }
}

// The entries' names, kinds and places and a group's focus are read over AT-SPI by the keys_atspi
// scenario; here: the press action launches, and a list switched to by keyboard takes the focus at its
// first entry while the old entries are retired (a stale one must not be read).
TEST_F(RingKeysTest, ScreenReadersPressEntriesAndFollowTheSwitchedList) {
    QAccessibleInterface *ring = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_TRUE(ring);
    QAccessibleInterface *gamma = ring->child(0)->child(3);
    const QAccessible::Id gammaID = QAccessible::uniqueId(gamma);
    gamma->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    clock.advance(CircularLauncherView::launchDelayMs);
    EXPECT_EQ(workspace.openedApplications, QStringList{"/nonexistent/Gamma.desktop"});
    view->launcherWillShow();
    const QuietWindows quiet;
    focus();
    run("Ctrl+Tab");
    QCoreApplication::processEvents();
    QAccessibleInterface *focused = ring->focusChild();
    ASSERT_TRUE(focused);
    EXPECT_EQ(focused->parent()->text(QAccessible::Name) + u'>' + focused->text(QAccessible::Name),
              "Web>Zeta");
    EXPECT_EQ(QAccessible::accessibleInterface(gammaID), nullptr);
}

// An input method composes in the hole and commits text that finds.
TEST_F(RingKeysTest, InputMethodTextIsShownWhileComposedAndFindsOnceCommitted) {
    start({list("Main", {app("Memo"), app("メモ帳")})});
    // composed, committed; shown in the hole, the search text, the selected entry
    const std::tuple<QString, QString, QString, QString, QString> steps[] = {
        {"めも", "", "めも", "", ""}, {"", "メモ", "メモ", "メモ", "メモ帳"}};
    for (const auto &[preedit, commit, shown, typed, selected] : steps) {
        SCOPED_TRACE(preedit.toStdString());
        QInputMethodEvent event(preedit, {});
        event.setCommitString(commit);
        QCoreApplication::sendEvent(view.get(), &event);
        EXPECT_EQ(view->chrome().hole()->searchText(), shown);
        EXPECT_EQ(view->searchText(), typed);
        EXPECT_EQ(view->enterTarget() ? view->enterTarget()->name : QString(), selected);
    }
}

// Tab goes from the ring to the switcher and the pencil; Menu and Shift+F10 open the focused part's menu.
TEST_F(RingKeysTest, TabReachesTheSwitcherAndThePencilAndMenuKeysOpenMenus) {
    const QuietWindows quiet;
    focus();
    QWidget *centre = view->chrome().hole(), *pencil = view->chrome().manageButton();
    // the keys; the widget with the focus after them, the first entry of the menu they opened, if any
    const std::tuple<QKeySequence, QWidget *, QString> steps[] = {
        {Qt::Key_Menu, view.get(), "Open"},
        {Qt::Key_Tab, centre, ""},
        {Qt::SHIFT | Qt::Key_F10, centre, "Rename…"},
        {Qt::Key_Down, centre, ""}, // the next list
        {Qt::Key_Tab, pencil, ""},  // Return there opens the panel
    };
    for (const auto &[keys, focused, first] : steps) {
        SCOPED_TRACE(keys.toString().toStdString());
        QTest::keyClick(QApplication::focusWidget(), keys[0].key(), keys[0].keyboardModifiers());
        EXPECT_EQ(QApplication::focusWidget(), focused);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        EXPECT_EQ(menu ? menu->actions().first()->text() : QString(), first);
        if (menu)
            menu->close();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(state->activeListIndex(), 1);
    EXPECT_TRUE(view->chrome().showsManage());
}

} // namespace
