#include "l10n/L.h"
#include "launcher/CircularLauncherView.h"
#include "settings/Preferences.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "support/Entries.h"
#include "support/FakeLauncherHost.h"
#include "support/FakeWorkspace.h"
#include "support/Sandbox.h"

#include <QAccessible>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using entries::app;
using entries::group;
using entries::list;

// The first list: Alpha, Beta, the group Office (Writer, Calc), Gamma; the second: Zeta.
class RingKeysTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sandbox.writeFile(QStringLiteral(".local/share/Ilvex/lists.json"),
                          ListsCodec::encodeLists(
                              {list("Main", {app("Alpha"), app("Beta"),
                                             group("Office", {app("Writer"), app("Calc")}), app("Gamma")}),
                               list("Web", {app("Zeta")})}));
        state = std::make_unique<AppState>(
            StoreServices{&workspace, &bookmarks, &sandbox.preferences(), sandbox.supportDirectory(), false});
        view = std::make_unique<CircularLauncherView>(state.get(), &host, nullptr, &clock);
        view->launcherWillShow();
    }

    // Runs space-separated steps: key names, 'typed text', or >Name (the pointer moves onto an entry).
    void run(const QString &steps) {
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            if (step.startsWith(u'\'')) {
                QTest::keyClicks(view.get(), step.mid(1, step.size() - 2));
            } else if (step.startsWith(u'>')) {
                for (const AppItem &item : state->currentItems())
                    if (item.name == step.mid(1)) {
                        const QPointF at = *view->itemCentre(item.id);
                        QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, {}, {});
                        QCoreApplication::sendEvent(view.get(), &move);
                    }
            } else {
                static const QHash<QString, QPair<Qt::Key, Qt::KeyboardModifiers>> keys{
                    {"Right", {Qt::Key_Right, {}}},
                    {"Left", {Qt::Key_Left, {}}},
                    {"Down", {Qt::Key_Down, {}}},
                    {"Home", {Qt::Key_Home, {}}},
                    {"End", {Qt::Key_End, {}}},
                    {"Enter", {Qt::Key_Return, {}}},
                    {"Esc", {Qt::Key_Escape, {}}},
                    {"Back", {Qt::Key_Backspace, {}}},
                    {"PgUp", {Qt::Key_PageUp, {}}},
                    {"CtrlTab", {Qt::Key_Tab, Qt::ControlModifier}},
                    {"3", {Qt::Key_3, {}}},
                    {"9", {Qt::Key_9, {}}},
                    {"CtrlShiftTab", {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier}}};
                ASSERT_TRUE(keys.contains(step)) << step.toStdString();
                QTest::keyClick(view.get(), keys[step].first, keys[step].second);
            }
        }
        clock.advance(CircularLauncherView::launchDelayMs);
    }
    QString selectedName() const {
        const auto target = view->enterTarget();
        return target ? target->name : QString();
    }

    Sandbox sandbox;
    FakeWorkspace workspace;
    FakeBookmarks bookmarks;
    ManualClock clock;
    FakeLauncherHost host;
    std::unique_ptr<AppState> state;
    std::unique_ptr<CircularLauncherView> view;
};

TEST_F(RingKeysTest, KeysSelectFindAndOpenAsClicksDo) {
    const struct {
        const char *steps;
        const char *selected; // what Enter would open afterwards
        const char *launched; // "" none
        int dismissals;
        const char *search;
        const char *ring; // the list's name, or the open group's
    } cases[] = {
        {"Right Right", "Beta", "", 0, "", "Main"},
        {"Left", "Gamma", "", 0, "", "Main"}, // from no selection, backwards starts at the end
        {"End Right", "Alpha", "", 0, "", "Main"},
        {"End Home Down Enter", "Beta", "Beta", 1, "", "Main"},
        {"Right Right Right Enter", "", "", 0, "", "Office"}, // a group opens, nothing dismisses
        {"3", "", "", 0, "", "Office"},
        {"9", "", "", 0, "", "Main"}, // no ninth slot
        // Finding: word starts before inner matches, accents and case ignored; members open directly.
        {"'a'", "Alpha", "", 0, "a", "Main"},
        {"'a' Right", "Beta", "", 0, "a", "Main"},
        {"'wri' Enter", "Writer", "Writer", 1, "wri", "Main"},
        {"'GAM' Enter", "Gamma", "Gamma", 1, "GAM", "Main"},
        {"'zz'", "", "", 0, "zz", "Main"},
        {"'zz' Back Back 'c'", "Calc", "", 0, "c", "Main"},
        {"'a3'", "", "", 0, "a3", "Main"}, // after a letter a digit is text
        {"'be' Esc", "Beta", "", 0, "", "Main"},
        {"Esc", "", "", 1, "", "Main"},
        // The pointer takes the selection; the keyboard takes it back.
        {"'gam' >Beta", "Beta", "", 0, "gam", "Main"},
        {">Beta Right", "Office", "", 0, "", "Main"},
        {"CtrlTab", "", "", 0, "", "Web"},
        {"'a' CtrlTab CtrlShiftTab", "", "", 0, "", "Main"}, // the text goes with its ring
        {"PgUp Enter", "", "", 0, "", "Web"},
        {"PgUp Right Enter", "Zeta", "Zeta", 1, "", "Web"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.steps);
        state->switchToList(0);
        workspace.openedApplications.clear();
        host.dismissals = 0;
        view->launcherWillShow();
        run(QString::fromUtf8(c.steps));
        EXPECT_EQ(selectedName(), QString::fromUtf8(c.selected));
        QStringList launched;
        for (const QString &path : std::as_const(workspace.openedApplications))
            launched << QFileInfo(path).completeBaseName();
        EXPECT_EQ(launched.join(u','), QString::fromUtf8(c.launched));
        EXPECT_EQ(host.dismissals, c.dismissals);
        EXPECT_EQ(view->searchText(), QString::fromUtf8(c.search));
        const auto open = state->openSubList();
        EXPECT_EQ(open ? open->name : state->lists()[state->safeIndex()].name, QString::fromUtf8(c.ring));
        state->closeSubList();
    }
}

TEST_F(RingKeysTest, ScreenReadersSeeEveryEntryWithItsKindAndPlace) {
    struct French {
        French() { L::setLanguage(AppLanguage::fr); }
        ~French() { L::setLanguage(AppLanguage::en); }
    } french;
    QAccessibleInterface *ring = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_TRUE(ring);
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        QAccessibleInterface *entry = ring->child(i);
        ASSERT_TRUE(entry && entry->isValid());
        EXPECT_EQ(ring->indexOfChild(entry), i);
        EXPECT_EQ(entry->parent(), ring);
        seen << entry->text(QAccessible::Name) + u'|' + entry->text(QAccessible::Description);
    }
    EXPECT_EQ(seen, (QStringList{"Alpha|Application, 1 sur 4", "Beta|Application, 2 sur 4",
                                 "Office|Groupe, 3 sur 4", "Gamma|Application, 4 sur 4"}));
    // The switcher's rows and the pencil follow the entries.
    EXPECT_GT(ring->childCount(), 4);
    QAccessibleInterface *gamma = ring->child(3);
    QTest::keyClick(view.get(), Qt::Key_End);
    EXPECT_TRUE(gamma->state().selected);
    gamma->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    clock.advance(CircularLauncherView::launchDelayMs);
    EXPECT_EQ(workspace.openedApplications.size(), 1);
    // Another list: the old entries are no longer valid, the new one is there.
    view->launcherWillShow();
    state->switchToList(1);
    EXPECT_FALSE(gamma->isValid());
    EXPECT_EQ(ring->child(0)->text(QAccessible::Name), QStringLiteral("Zeta"));
}

} // namespace
