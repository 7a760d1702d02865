#include "l10n/L.h"
#include "launcher/HoleOverlay.h"
#include "launcher/LauncherChrome.h"
#include "launcher/LauncherFixture.h"
#include "launcher/ListSwitcher.h"
#include "panels/ApplicationPicker.h"
#include "panels/ManagePanelView.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

using Kind = ManagePanelView::FormKind;
using Layer = HoleOverlay::Layer;

// count lists L0, L1...; the first holds an empty group G if asked, then `filled` entries.
QList<AppList> lists(int count, int filled, bool withGroup = false) {
    QList<AppList> result{
        list("L0", (withGroup ? QList{group("G", {})} : QList<AppItem>{}) + numbered(filled))};
    for (int i = 1; i < count; ++i)
        result.append(list("L" + QString::number(i), {}));
    return result;
}

struct ManageTest : LauncherFixture {
    void startPanel(const QList<AppList> &lists, bool openGroup = false) {
        start(lists);
        if (openGroup)
            state->openSubList(state->lists()[0].items[0].id);
        host.managePanel = [this](QWidget *parent, double width) {
            return new ManagePanelView(state.get(), &host, width, parent);
        };
        view->finishAnimations();
    }
    HoleOverlay *centre() { return view->chrome().hole(); }
    ManagePanelView *panel() { return qobject_cast<ManagePanelView *>(view->chrome().managePanel()); }
    ManagePanelView *openPanel() {
        view->setManage(true);
        view->finishAnimations();
        return panel();
    }
};

// offset, start, count, expected with a pitch of 27: a half rounds away from zero, the ends hold.
TEST(RowDrag, ReleaseLandsOnWholePitchesWithinTheLists) {
    const std::tuple<double, int, int, int> cases[] = {{-13, 2, 4, 2}, {13.5, 1, 4, 2}, {-13.5, 1, 4, 0},
                                                       {200, 3, 4, 3}, {-200, 0, 4, 0}, {27, 0, 1, 0}};
    for (const auto &[offset, start, count, expected] : cases)
        EXPECT_EQ(ListSwitcher::reorderTarget(offset, 27, start, count), expected) << offset;
}

TEST_F(ManageTest, TheHoleShowsOneLayerAndThePanelsStatesFollowTheStore) {
    const auto shown = [](QWidget *w) {
        return w->isHidden() ? "-" : (w->isEnabled() ? "" : "off ") + w->toolTip();
    };
    const QString off = "off ", notEmpty = off + L::emptyListBeforeDeleting();
    const QString filledRow = off + L::deleteListEmptyFirst();
    // lists, entries, an empty group open; what the hole shows; the group tile, "New list", delete ("-":
    // hidden); the first row's menu, which offers a delete from two lists on, enabled for an empty list. The
    // list's own entries decide the delete, not the open group's.
    const std::tuple<int, int, bool, Layer, QString, QString, QString, QString> cases[] = {
        {1, 1, false, Layer::listName, L::kindSub(), L::newList(), "-", L::colorEllipsis()},
        {2, 1, false, Layer::switcher, L::kindSub(), L::newList(), notEmpty, filledRow},
        {8, 0, false, Layer::switcher, L::kindSub(), off + L::maxLists(8), L::deleteCurrentList(),
         L::deleteList()},
        {2, 0, true, Layer::groupHeader, off + L::subListsCantBeNested(), L::newList(), notEmpty, filledRow},
    };
    for (const auto &[count, filled, openGroup, layer, sub, newList, del, rowMenu] : cases) {
        SCOPED_TRACE(count);
        startPanel(lists(count, filled, openGroup), openGroup);
        EXPECT_EQ(centre()->layer(), layer);
        ManagePanelView *p = openPanel();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(shown(p->tile(4)), sub);
        EXPECT_EQ(shown(p->newListButton()), newList);
        EXPECT_EQ(shown(p->deleteListButton()), del);
        for (int i = 0; i < 3; ++i) // the first three tiles go to the shell's pickers
            openPanel()->tile(i)->click();
        EXPECT_EQ(host.picks, (QList<LauncherAddKind>{LauncherAddKind::app, LauncherAddKind::folder,
                                                      LauncherAddKind::file}));
        const std::unique_ptr<QMenu> menu(centre()->switcher().buildRowMenu(0));
        QAction *last = menu->actions().last();
        EXPECT_EQ((last->isEnabled() ? "" : off) + last->text(), rowMenu);
        if (last->isEnabled() && count > 1)
            last->trigger();
        EXPECT_EQ(state->lists().size(), count - (rowMenu == L::deleteList()));
    }
}

// Every form: its controls named for screen readers, only what it may add, Enter submits; a form closes
// once its entry is added, and a full list's refusal leaves it open with what was typed.
TEST_F(ManageTest, FormsAddOnlyWhatTheyMayAndEnterSubmits) {
    const std::tuple<Kind, QString, QString, bool, int, int, int> cases[] = {
        // kind, name, address, whether it may be added; entries before; lists and entries afterwards
        {Kind::link, "Docs", "   \t", false, 1, 2, 1},
        {Kind::link, "", "example.org", true, 1, 2, 2},
        {Kind::link, "Docs", "example.org", true, 1000, 2, 1000},
        {Kind::sub, " ", "", false, 1, 2, 1},
        {Kind::sub, "Tools", "", true, 1, 2, 2},
        {Kind::sub, "Tools", "", true, 1000, 2, 1000},
        {Kind::list, "New", "", true, 1, 3, 1},
    };
    for (const auto &[kind, name, url, enabled, before, listCount, items] : cases) {
        SCOPED_TRACE(name.toStdString() + " " + std::to_string(before));
        startPanel(lists(2, before));
        ManagePanelView *p = openPanel();
        p->openForm(kind);
        for (QWidget *control : p->findChildren<QWidget *>())
            EXPECT_TRUE((!qobject_cast<QAbstractButton *>(control) && !qobject_cast<QLineEdit *>(control)) ||
                        !QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty())
                << control->metaObject()->className() << " " << control->objectName().toStdString();
        if (kind == Kind::link)
            p->urlField()->setText(url);
        p->nameField()->setText(name);
        EXPECT_EQ(p->addButton()->isEnabled(), enabled);
        QTest::keyClick(p->nameField(), Qt::Key_Return);
        EXPECT_EQ(state->lists().size(), listCount);
        EXPECT_EQ(state->lists()[0].items.size(), items);
        const bool added = listCount > 2 || items > before;
        EXPECT_EQ(p->form(), added ? Kind::none : kind);
        EXPECT_TRUE(added || p->nameField()->text() == name);
    }
}

// A row dragged when the launcher went is let go at the next showing, and a click right after a finished
// drag is a click.
TEST_F(ManageTest, EveryShowingStartsTheSwitcherClean) {
    for (bool hidden : {true, false}) {
        startPanel(lists(3, 1));
        const QPointF at = centre()->rowRect(0).center();
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, centre());
        mouse(QEvent::MouseMove, at + QPointF(0, 34), Qt::LeftButton, centre());
        if (hidden) {
            view->launcherWillHide();
            view->launcherWillShow(); // the release went nowhere
        } else {
            mouse(QEvent::MouseButtonRelease, at + QPointF(0, 34), Qt::NoButton, centre());
        }
        EXPECT_EQ(centre()->switcher().draggedListID().has_value(), !hidden)
            << "a released row is still settling";
        EXPECT_EQ(state->lists()[0].name, hidden ? "L0" : "L1") << "only a released drag reorders";
        click(centre()->rowRect(2).center(), centre());
        EXPECT_EQ(state->safeIndex(), 2) << hidden;
    }
}

// A step back or a showing closes the panel (not the open group) and lets go of its hold; what was typed
// outlives the step back, not the showing. A list added closes the open group.
TEST_F(ManageTest, PanelKeepsTheTypedTextAndAListChangeClosesTheGroup) {
    startPanel(lists(2, 1, true), true);
    ManagePanelView *p = openPanel();
    for (bool showing : {false, true}) {
        p->openForm(Kind::link);
        p->urlField()->setText("example.org");
        EXPECT_EQ(host.holds, 1);
        showing ? view->launcherWillShow() : view->backOrDismiss();
        view->finishAnimations();
        EXPECT_EQ(host.holds, 0);
        EXPECT_EQ(panel(), nullptr);
        EXPECT_TRUE(showing || state->openSubListID());
        p = openPanel();
        p->openForm(Kind::link);
        EXPECT_EQ(p->urlField()->text(), showing ? "" : "example.org");
    }
    EXPECT_EQ(host.dismissals, 0);
    ASSERT_TRUE(state->openSubListID());
    p->openForm(Kind::list);
    p->nameField()->setText("New");
    p->submit();
    EXPECT_FALSE(state->openSubListID());
    EXPECT_TRUE(p->tile(4)->isEnabled());
}
// Typed words narrow the list; Enter takes the first match.
TEST(ApplicationPicker, TypingNarrowsByEveryWordAndEnterChoosesTheFirstMatch) {
    FakeWorkspace desktop;
    desktop.applications = {{"/a/org.gnome.Terminal.desktop", "Terminal", {}, "org.gnome.Terminal"},
                            {"/a/firefox-esr.desktop", "Firefox ESR", {}, "firefox-esr"},
                            {"/a/ja.desktop", "端末エミュレータ", {}, "ja-terminal"}};
    const std::pair<QString, QList<int>> cases[] = {
        {"", {0, 1, 2}}, {"term", {0, 2}}, {"FIRE esr", {1}}, {"gnome", {0}}, {"端末", {2}}, {"zzz", {}},
    };
    for (const auto &[query, expected] : cases)
        EXPECT_EQ(ApplicationPicker::matching(desktop.installedApplications(), query), expected)
            << query.toStdString();
    ApplicationPicker picker(desktop.installedApplications());
    QLineEdit *search = picker.findChild<QLineEdit *>();
    EXPECT_EQ(search->accessibleName(), L::searchApplications());
    QTest::keyClicks(search, "term");
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(picker.chosenPaths(), QStringList{"/a/org.gnome.Terminal.desktop"});
}

} // namespace
