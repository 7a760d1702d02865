#include "LauncherFixture.h"
#include "l10n/L.h"

#include <QAccessible>
#include <QFileInfo>
#include <QKeySequence>
#include <QTest>

namespace {

using entries::app;
using entries::group;
using entries::list;

// The first list: Alpha, Beta, the group Office (Writer, Calc), Gamma; the second: Zeta.
class RingKeysTest : public LauncherFixture {
  protected:
    void SetUp() override {
        start({list("Main",
                    {app("Alpha"), app("Beta"), group("Office", {app("Writer"), app("Calc")}), app("Gamma")}),
               list("Web", {app("Zeta")})});
        view->launcherWillShow();
    }

    // Runs space-separated steps: key sequences, 'typed text', or >Name (the pointer moves onto an entry).
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
                const QKeySequence keys = QKeySequence::fromString(step);
                ASSERT_FALSE(keys.isEmpty()) << step.toStdString();
                QTest::keyClick(view.get(), keys[0].key(), keys[0].keyboardModifiers());
            }
        }
        clock.advance(CircularLauncherView::launchDelayMs);
    }
    QString selectedName() const {
        const auto target = view->enterTarget();
        return target ? target->name : QString();
    }
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
        {"End Home Down Return", "Beta", "Beta", 1, "", "Main"},
        {"Right Right Right Return", "", "", 0, "", "Office"}, // a group opens, nothing dismisses
        {"3", "", "", 0, "", "Office"},
        {"9", "", "", 0, "", "Main"}, // no ninth slot
        // Finding: word starts before inner matches, accents and case ignored; members open directly.
        {"'a'", "Alpha", "", 0, "a", "Main"},
        {"'a' Right", "Beta", "", 0, "a", "Main"},
        {"'wri' Return", "Writer", "Writer", 1, "wri", "Main"},
        {"'GAM' Return", "Gamma", "Gamma", 1, "GAM", "Main"},
        {"'zz'", "", "", 0, "zz", "Main"},
        {"'zz' Backspace Backspace 'c'", "Calc", "", 0, "c", "Main"},
        {"'a3'", "", "", 0, "a3", "Main"}, // after a letter a digit is text
        {"'be' Esc", "Beta", "", 0, "", "Main"},
        {"Esc", "", "", 1, "", "Main"},
        // The pointer takes the selection; the keyboard takes it back.
        {"'gam' >Beta", "Beta", "", 0, "gam", "Main"},
        {">Beta Right", "Office", "", 0, "", "Main"},
        {"Ctrl+Tab", "", "", 0, "", "Web"},
        {"'a' Ctrl+Tab Ctrl+Shift+Backtab", "", "", 0, "", "Main"}, // the text goes with its ring
        {"PgUp Return", "", "", 0, "", "Web"},
        {"PgUp Right Return", "Zeta", "Zeta", 1, "", "Web"},
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
