// The ring's centre and the manage panel: what the hole shows, the row-drag rounding, the panel's
// labels and disabled states, its forms, the launcher hold, and the application picker's search.
#include "l10n/L.h"
#include "launcher/CircularLauncherView.h"
#include "launcher/LauncherChrome.h"
#include "panels/ApplicationPicker.h"
#include "panels/ManagePanelView.h"
#include "settings/Preferences.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "support/Entries.h"
#include "support/FakeLauncherHost.h"
#include "support/FakeWorkspace.h"
#include "support/Sandbox.h"
#include "views/CenterContentView.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using entries::app;
using entries::group;

// lists: how many; filled: the items of the first list; a group "G" first when withGroup.
QList<AppList> makeLists(int count, int filled, bool withGroup = false, bool groupEmpty = false) {
    QList<AppList> lists;
    for (int i = 0; i < count; ++i) {
        QList<AppItem> items;
        if (i == 0) {
            if (withGroup)
                items.append(group("G", groupEmpty ? QList<AppItem>{} : QList<AppItem>{app("m")}));
            for (int k = 0; k < filled; ++k)
                items.append(app(QStringLiteral("a%1").arg(k)));
        }
        lists.append(AppList{QUuid::createUuid(), QStringLiteral("L%1").arg(i), items, ListTheme::blue, {}});
    }
    return lists;
}

class ManageTest : public ::testing::Test {
  protected:
    void start(const QList<AppList> &lists, bool openGroup = false) {
        view.reset();
        sandbox.writeFile(QStringLiteral(".local/share/Ilvex/lists.json"), ListsCodec::encodeLists(lists));
        state = std::make_unique<AppState>(
            StoreServices{&workspace, nullptr, &sandbox.preferences(), sandbox.supportDirectory(), false});
        if (openGroup)
            state->openSubList(state->lists()[0].items[0].id);
        view = std::make_unique<CircularLauncherView>(state.get(), &host);
        view->chrome().setPanelFactory([this](QWidget *parent, double width, std::function<void()> onClose) {
            return new ManagePanelView(state.get(), &host, width, std::move(onClose), parent);
        });
        view->finishAnimations();
    }
    CenterContentView *centre() { return view->chrome().centre(); }
    ManagePanelView *panel() { return qobject_cast<ManagePanelView *>(view->chrome().managePanel()); }
    ManagePanelView *openPanel() {
        view->setManage(true);
        view->finishAnimations();
        return panel();
    }

    Sandbox sandbox;
    FakeWorkspace workspace;
    FakeLauncherHost host;
    std::unique_ptr<AppState> state;
    std::unique_ptr<CircularLauncherView> view;
};

TEST(RowDrag, ReleaseLandsOnWholePitchesWithinTheLists) {
    // With a 20-point row at scale 1 the pitch is 27.
    const struct {
        double offset;
        int start, count, expected;
    } cases[] = {
        {40, 0, 4, 1},                    // 1.48 pitches
        {41, 0, 4, 2},                    // 1.52
        {-13, 2, 4, 2},                   // under half a pitch: stays
        {13.5, 1, 4, 2},                  // a half rounds away from zero
        {-13.5, 1, 4, 0}, {200, 3, 4, 3}, // the last row dragged further down
        {-200, 0, 4, 0},                  // the first further up
        {27, 0, 1, 0},                    // a single row has nowhere to go
    };
    for (const auto &c : cases)
        EXPECT_EQ(CenterContentView::reorderTarget(c.offset, 27, c.start, c.count), c.expected) << c.offset;
}

TEST_F(ManageTest, TheHoleShowsOneLayerAndTheRowMenuGuardsDeletion) {
    const struct {
        int lists, filled;
        bool withGroup, groupEmpty, openGroup;
        CenterContentView::Layer layer;
        bool rowsClickable;
    } cases[] = {
        {1, 2, false, false, false, CenterContentView::Layer::listName, false},
        {2, 2, false, false, false, CenterContentView::Layer::switcher, true},
        {8, 0, false, false, false, CenterContentView::Layer::switcher, true},
        {2, 1, true, true, true, CenterContentView::Layer::groupHeader, false},
    };
    for (const auto &c : cases) {
        start(makeLists(c.lists, c.filled, c.withGroup, c.groupEmpty), c.openGroup);
        EXPECT_EQ(centre()->layer(), c.layer) << c.lists;
        EXPECT_EQ(!centre()->rowRect(c.lists - 1).isEmpty(), c.rowsClickable) << c.lists;
        EXPECT_EQ(!centre()->backPillRect().isEmpty(), c.openGroup) << c.lists;
    }
    // Two lists, the first holding entries: its delete entry is disabled and says why.
    start(makeLists(2, 1));
    std::unique_ptr<QMenu> filled(centre()->buildRowMenu(0));
    std::unique_ptr<QMenu> empty(centre()->buildRowMenu(1));
    EXPECT_EQ(filled->actions().last()->text(), L::deleteListEmptyFirst());
    EXPECT_FALSE(filled->actions().last()->isEnabled());
    EXPECT_EQ(empty->actions().last()->text(), L::deleteList());
    empty->actions().last()->trigger();
    EXPECT_EQ(state->lists().size(), 1);
    // With one list there is no delete entry at all.
    std::unique_ptr<QMenu> only(centre()->buildRowMenu(0));
    EXPECT_EQ(only->actions().size(), 2);
}

TEST_F(ManageTest, BackStepsCloseThePanelThenTheGroupThenDismissAndTheHoldFollowsThePanel) {
    start(makeLists(2, 1, true), true);
    EXPECT_FALSE(view->chrome().manageButton()->isHidden());
    openPanel();
    EXPECT_EQ(host.holds, 1);
    EXPECT_TRUE(view->chrome().manageButton()->isHidden());
    view->backOrDismiss();
    view->finishAnimations();
    EXPECT_EQ(host.holds, 0);
    EXPECT_EQ(panel(), nullptr);
    EXPECT_TRUE(state->openSubListID());
    view->backOrDismiss();
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(host.dismissals, 0);
    view->backOrDismiss();
    EXPECT_EQ(host.dismissals, 1);
    // A showing closes the panel at once and lets go of its hold; the close button does the same.
    start(makeLists(2, 1));
    openPanel();
    view->launcherWillShow();
    EXPECT_EQ(host.holds, 0);
    EXPECT_EQ(panel(), nullptr);
    openPanel()->findChild<QAbstractButton *>(QStringLiteral("closeManage"))->click();
    view->finishAnimations();
    EXPECT_EQ(host.holds, 0);
}

TEST_F(ManageTest, PanelLabelsAndDisabledStatesFollowTheStore) {
    const struct {
        int lists, filled;
        bool openGroup;
        QString context, subTip, newListTip, deleteTip;
        bool subEnabled, newListEnabled, deleteShown, deleteEnabled;
    } cases[] = {
        {1, 1, false, L::addTo("L0"), L::kindSub(), L::newList(), {}, true, true, false, false},
        {2, 1, false, L::addTo("L0"), L::kindSub(), L::newList(), L::emptyListBeforeDeleting(), true, true,
         true, false},
        {2, 0, false, L::addTo("L0"), L::kindSub(), L::newList(), L::deleteCurrentList(), true, true, true,
         true},
        {8, 0, false, L::addTo("L0"), L::kindSub(), L::maxLists(8), L::deleteCurrentList(), true, false, true,
         true},
        {2, 0, true, L::addToGroup("G"), L::subListsCantBeNested(), L::newList(),
         L::emptyListBeforeDeleting(), false, true, true, false},
    };
    for (const auto &c : cases) {
        start(makeLists(c.lists, c.filled, c.openGroup), c.openGroup);
        ManagePanelView *p = openPanel();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->contextLabel(), c.context) << c.lists;
        EXPECT_EQ(p->tile(4)->isEnabled(), c.subEnabled) << c.lists;
        EXPECT_EQ(p->tile(4)->toolTip(), c.subTip) << c.lists;
        EXPECT_EQ(p->newListButton()->isEnabled(), c.newListEnabled) << c.lists;
        EXPECT_EQ(p->newListButton()->toolTip(), c.newListTip) << c.lists;
        EXPECT_EQ(!p->deleteListButton()->isHidden(), c.deleteShown) << c.lists;
        EXPECT_EQ(p->deleteListButton()->isEnabled(), c.deleteEnabled) << c.lists;
        if (c.deleteShown) {
            EXPECT_EQ(p->deleteListButton()->toolTip(), c.deleteTip) << c.lists;
        }
    }
    // The first three tiles go to the shell's pickers.
    start(makeLists(1, 0));
    host.picks.clear();
    for (int i = 0; i < 3; ++i)
        openPanel()->tile(i)->click();
    EXPECT_EQ(host.picks,
              (QList<LauncherAddKind>{LauncherAddKind::app, LauncherAddKind::folder, LauncherAddKind::file}));
}

TEST_F(ManageTest, FormsAddOnlyWhatTheyMayAndEnterSubmits) {
    using Kind = ManagePanelView::FormKind;
    const struct {
        Kind kind;
        QString name, url;
        bool enabled;
        int lists, items; // afterwards
    } cases[] = {
        {Kind::link, "Docs", "   \t", false, 2, 1}, {Kind::link, "", "example.org", true, 2, 2},
        {Kind::sub, " ", "", false, 2, 1},          {Kind::sub, "Tools", "", true, 2, 2},
        {Kind::list, "", "", false, 2, 1},          {Kind::list, "New", "", true, 3, 1},
    };
    for (const auto &c : cases) {
        start(makeLists(2, 1));
        ManagePanelView *p = openPanel();
        p->openForm(c.kind);
        if (c.kind == Kind::link)
            p->urlField()->setText(c.url);
        p->nameField()->setText(c.name);
        EXPECT_EQ(p->addButton()->isEnabled(), c.enabled) << c.name.toStdString();
        QTest::keyClick(p->nameField(), Qt::Key_Return);
        EXPECT_EQ(state->lists().size(), c.lists) << c.name.toStdString();
        EXPECT_EQ(state->lists()[0].items.size(), c.items) << c.name.toStdString();
        EXPECT_EQ(p->form(), c.enabled ? Kind::none : c.kind);
    }
    // Another form starts empty, with the default tint.
    start(makeLists(1, 0));
    ManagePanelView *p = openPanel();
    p->openForm(Kind::sub);
    p->nameField()->setText("half typed");
    p->setNewGroupTint(folderTintPresets().first().hex);
    p->openForm(Kind::link);
    EXPECT_TRUE(p->nameField()->text().isEmpty());
    p->openForm(Kind::sub);
    p->nameField()->setText("Box");
    p->submit();
    EXPECT_FALSE(state->lists()[0].items.last().folderTint.has_value());
    // Every control a screen reader reaches has a name, in every form.
    for (const Kind kind : {Kind::sub, Kind::link}) {
        p->openForm(kind);
        for (QWidget *control : p->findChildren<QWidget *>()) {
            if (qobject_cast<QAbstractButton *>(control) || qobject_cast<QLineEdit *>(control)) {
                EXPECT_FALSE(
                    QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty())
                    << control->metaObject()->className() << " " << control->objectName().toStdString();
            }
        }
    }
}

TEST(ApplicationPicker, TypingNarrowsByEveryWordAndEnterTakesTheFirstMatch) {
    FakeWorkspace desktop;
    desktop.applications = {{"/a/org.gnome.Terminal.desktop", "Terminal", {}, "org.gnome.Terminal"},
                            {"/a/firefox-esr.desktop", "Firefox ESR", {}, "firefox-esr"},
                            {"/a/ja.desktop", "端末エミュレータ", {}, "ja-terminal"}};
    const struct {
        QString query;
        QList<int> expected;
    } cases[] = {
        {"", {0, 1, 2}}, {"term", {0, 2}}, {"FIRE esr", {1}}, {"gnome", {0}}, {"端末", {2}}, {"zzz", {}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ApplicationPicker::matching(desktop.installedApplications(), c.query), c.expected)
            << c.query.toStdString();
        ApplicationPicker picker(desktop.installedApplications());
        picker.searchField()->setText(c.query);
        QTest::keyClick(picker.searchField(), Qt::Key_Return);
        const QStringList chosen =
            c.expected.isEmpty() ? QStringList() : QStringList{desktop.applications[c.expected.first()].path};
        EXPECT_EQ(picker.chosenPaths(), chosen) << c.query.toStdString();
        EXPECT_EQ(picker.result() == QDialog::Accepted, !chosen.isEmpty()) << c.query.toStdString();
    }
}

} // namespace
