#include "LauncherFixture.h"
#include "l10n/L.h"
#include "platform/linux/GioWorkspace.h"
#include "shell/AppDelegate.h"
#include "store/MoveDestinations.h"
#include "support/QuietWindows.h"
#include "views/AppIconPainter.h"
#include "views/FileIcons.h"
#include "views/NamePrompt.h"
#include "views/TintPopover.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLineF>
#include <QMenu>
#include <QScreen>
#include <QStyleHints>

namespace {

using entries::app;
using entries::group;
using entries::list;

AppItem folder(const QString &name) {
    AppItem item = app(name);
    item.appPath = "/nonexistent/" + name;
    item.isFolder = true;
    return item;
}

class RingViewTest : public LauncherFixture {
  protected:
    void startWithGroup(bool soundsOn = true) { start({list("Main", {app("A"), group("G")})}, 0, soundsOn); }
    void start(const QList<AppList> &lists, int activeIndex = 0, bool soundsOn = true, double scale = 1.0) {
        LauncherFixture::start(lists, activeIndex, soundsOn, scale);
        view->setGroupNamePrompt([this](const QUuid &id) {
            promptedFor = id;
            return groupName;
        });
    }
    double iconSize() const {
        return RingGeometry::iconSize(RingGeometry::effectiveScale(sandbox.preferences().launcherScale()));
    }
    // An entry's frame (image and name capsule), in widget coordinates.
    QRectF frameOf(const AppItem &entry) const {
        const QPointF origin =
            *view->itemCentre(entry.id) - AppIconPainter::imageRect(entry, iconSize()).center();
        return {origin, AppIconPainter::frameSize(entry, iconSize())};
    }
    QPointF capsuleOf(const AppItem &entry) const {
        return frameOf(entry).topLeft() + AppIconPainter::capsuleRect(entry, iconSize()).center();
    }
    void startDrag(const QUuid &id) {
        mouse(QEvent::MouseButtonPress, *view->itemCentre(id));
        mouse(QEvent::MouseMove, *view->itemCentre(id) + QPointF(0, 12));
    }

    std::optional<QUuid> promptedFor;
    std::optional<QString> groupName;
};

TEST_F(RingViewTest, EmptySpaceStepsOutOfTheGroupThenDismissesButNotDuringADrag) {
    startWithGroup();
    state->openSubList(item(1).id);
    startDrag(state->currentItems()[0].id);
    view->backOrDismiss();
    EXPECT_TRUE(state->openSubListID()) << "back during a drag closed the group";
    mouse(QEvent::MouseButtonRelease, view->ringCentre(), Qt::NoButton);
    const QPointF corner(8, 8); // the panel's empty margin
    ASSERT_FALSE(view->itemAt(corner));
    click(corner);
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(host.dismissals, 0) << "the first step back only closes the group";
    click(view->ringCentre()); // the hole, outside every entry
    EXPECT_EQ(host.dismissals, 1);
}

TEST_F(RingViewTest, ClickOpensAGroupOrDismissesAndLaunchesAfterTheFadeStarted) {
    for (const auto &[clickedGroup, soundsOn] : {std::pair{false, true}, {false, false}, {true, false}}) {
        SCOPED_TRACE(testing::Message() << "group " << clickedGroup << ", sounds " << soundsOn);
        startWithGroup(soundsOn);
        const AppItem target = item(clickedGroup ? 1 : 0);
        view->hoverModel().publish(target.id, target.name);
        click(*view->itemCentre(target.id));
        EXPECT_EQ(host.sounds, soundsOn ? 1 : 0);
        EXPECT_EQ(state->openSubListID(), clickedGroup ? std::optional(target.id) : std::nullopt);
        EXPECT_EQ(host.dismissals, clickedGroup ? 0 : 1);
        if (clickedGroup) {
            EXPECT_FALSE(view->hoverModel().name()) << "the hovered name of the closed ring stays shown";
        }
        if (!soundsOn)
            view.reset(); // the launch happens even when the view is gone
        clock.advance(CircularLauncherView::launchDelayMs - 1);
        EXPECT_TRUE(workspace.openedApplications.isEmpty()) << "launched before the panel began to hide";
        clock.advance(1000);
        EXPECT_EQ(workspace.openedApplications, clickedGroup ? QStringList() : QStringList{target.appPath});
    }
}

TEST_F(RingViewTest, MoveDestinationsOfferListsFirstThenGroups) {
    const AppItem plain = app("x"), member = app("m"), g1 = group("G1", {member}), g = group("G", {app("n")});
    const AppList h = list("H", {app("y"), g});
    start({h, list("A", {plain, g1}), list("C", {})}, 1);
    const auto labels = [&](const AppItem &entry) {
        QStringList result;
        for (const MoveDestination &d : MoveDestinations::forRingEntry(*state, entry))
            result.append((d.isGroup ? "group " : "list ") + d.label);
        return result;
    };
    // A plain entry at the top level: the other lists in list order, then every group, the active list's too.
    EXPECT_EQ(labels(plain), (QStringList{"list H", "list C", "group H › G", "group A › G1"}));
    EXPECT_EQ(labels(g1), (QStringList{"list H", "list C"})) << "a group goes only to other lists";
    const QList<MoveDestination> all = MoveDestinations::all(*state, std::nullopt, std::nullopt);
    ASSERT_EQ(all.size(), 5);
    EXPECT_EQ(all[3].listID, h.id) << "a group destination names the list that holds it";
    MoveDestinations::move(*state, plain, MoveDestinations::forRingEntry(*state, plain).first());
    EXPECT_EQ(state->lists()[0].items.last().id, plain.id);
    EXPECT_EQ(state->lists()[1].items.size(), 1);
    // Inside an open group: every list (the active one takes it out) and every other group.
    state->openSubList(g1.id);
    EXPECT_EQ(labels(member), (QStringList{"list H", "list A", "list C", "group H › G"}));
}

TEST_F(RingViewTest, EntriesAreCentredByTheirFrameClockwiseFromNineOClock) {
    start({list("Main", {app("A"), folder("B"), group("C"), app("D")})});
    const double r = RingGeometry::forStore(*state, 1.0).radius();
    const QPointF expected[] = {{-r, 0}, {0, -r}, {r, 0}, {0, r}};
    for (int i = 0; i < 4; ++i) {
        const QPointF at = frameOf(item(i)).center() - view->ringCentre();
        EXPECT_LT(QLineF(at, expected[i]).length(), 0.01) << i;
        EXPECT_EQ(view->itemAt(at + view->ringCentre()), item(i).id) << i;
    }
}

// The drag reads the store's scale and sounds: a hold on B merges at every scale, and asks for a name.
TEST_F(RingViewTest, AMergeAsksForTheGroupsName) {
    for (const auto &[answer, scale] :
         {std::pair{std::optional<QString>("Tools"), 1.0}, {std::nullopt, 1.4}}) {
        SCOPED_TRACE(scale);
        start({list("Main", {app("A"), app("B"), app("C")})}, 0, scale == 1.0, scale);
        groupName = answer;
        const QPointF target = *view->itemCentre(item(1).id);
        startDrag(item(0).id);
        mouse(QEvent::MouseMove, target);
        clock.advance(120); // past the pause, then the merge dwell
        mouse(QEvent::MouseMove, target + QPointF(1, 0));
        clock.advance(200);
        mouse(QEvent::MouseButtonRelease, target, Qt::NoButton);
        QCoreApplication::processEvents(); // the prompt runs after the release event
        ASSERT_EQ(state->currentItems().size(), 2);
        const AppItem made = state->currentItems()[0];
        EXPECT_TRUE(made.isSubList);
        EXPECT_EQ(promptedFor, made.id);
        EXPECT_EQ(made.name, answer.value_or("Group"));
        EXPECT_EQ(host.sounds, scale == 1.0 ? 1 : 0);
    }
}

TEST_F(RingViewTest, OnlyAGroupsNameWaitsForADoubleClickWhichRenamesIt) {
    const QuietWindows offscreen;
    const std::tuple<const char *, AppItem, bool> cases[] = {{"group name", group("G"), true},
                                                             {"group glyph", group("G"), false},
                                                             {"folder name", folder("F"), true}};
    for (const auto &[name, target, onCapsule] : cases) {
        SCOPED_TRACE(name);
        start({list("Main", {app("A"), target})});
        const bool waits = target.isSubList && onCapsule;
        const QPointF at = onCapsule ? capsuleOf(target) : *view->itemCentre(target.id);
        const auto acted = [&] { return state->openSubListID().has_value() || host.dismissals > 0; };
        click(at);
        clock.advance(QGuiApplication::styleHints()->mouseDoubleClickInterval() - 1);
        EXPECT_EQ(acted(), !waits);
        clock.advance(1);
        EXPECT_TRUE(acted());
        EXPECT_EQ(host.sounds, 1);
    }
    // A double click on a group's name renames it instead of opening it; a step back drops a waiting click.
    start({list("Main", {app("A"), group("Games")})});
    const QPointF capsule = capsuleOf(item(1));
    click(capsule);
    mouse(QEvent::MouseButtonDblClick, capsule);
    mouse(QEvent::MouseButtonRelease, capsule, Qt::NoButton);
    auto *prompt = view->findChild<NamePrompt *>();
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->field()->text(), QStringLiteral("Games"));
    prompt->field()->setText(QStringLiteral("Tools"));
    prompt->accept();
    EXPECT_EQ(item(1).name, QStringLiteral("Tools"));
    click(capsule);
    view->backOrDismiss();
    clock.advance(5000);
    EXPECT_FALSE(state->openSubListID()) << "the double click or the click before the step back opened it";
    EXPECT_EQ(host.sounds, 0);
    EXPECT_EQ(host.dismissals, 1);
}

TEST_F(RingViewTest, TintPopoverSitsBesideTheEntrysFrameAtEveryScale) {
    const QuietWindows offscreen;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const double scale : {0.8, 1.0, 1.4}) {
        SCOPED_TRACE(scale);
        start({list("Main", {folder("F")})}, 0, true, scale);
        const AppItem f = item(0);
        view->move((QPointF(screen.center()) - *view->itemCentre(f.id)).toPoint()); // room after it
        const QRectF frame = frameOf(f).translated(view->mapToGlobal(QPointF(0, 0)));
        const QPoint at = view->itemCentre(f.id)->toPoint();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
        QCoreApplication::sendEvent(view.get(), &event);
        QMenu *menu = view->findChild<QMenu *>();
        ASSERT_NE(menu, nullptr);
        for (QAction *action : menu->actions())
            if (action->text() == L::folderColor())
                action->trigger();
        menu->close();
        auto *popover = view->findChild<TintPopover *>();
        ASSERT_NE(popover, nullptr);
        EXPECT_EQ(popover->x(), qRound(frame.right())) << "not beside the frame's trailing edge";
        EXPECT_NEAR(popover->geometry().center().y(), frame.center().y(), 1.5);
        popover->close();
    }
}

// The panel's geometry, computed by the shell from the store alone.
TEST(LauncherPanelGeometry, MaxRadiusClampedOriginAndPlacement) {
    for (const auto &[height, scale, radius] :
         {std::tuple{900.0, 1.0, 372.5}, {3000, 1.4, 434 * 1.4}, {100, 0.8, 178 * 0.8}})
        EXPECT_DOUBLE_EQ(AppDelegate::maxRadiusFor(height, scale), radius) << height;
    const QRectF visible(0, 30, 1600, 1170); // a panel bar on top
    const QSizeF panel(1067, 1067);
    const std::tuple<QPointF, QRectF, QPointF> cases[] = {
        {{266.5, 66.5}, visible, {266.5, 66.5}},                   // already inside: unchanged
        {{500, -700}, visible, {500, 30 + 300 - 533.5}},           // above the top: pushed down
        {{1000, 200}, visible, {1600 - 300 - 533.5, 200}},         // past the right edge
        {{-900, 900}, visible, {300 - 533.5, 1200 - 300 - 533.5}}, // bottom-left corner
        {{5, 5}, {100, 0, 400, 300}, {300 - 533.5, 150 - 533.5}},  // larger than the area: centred
    };
    for (const auto &[origin, area, expected] : cases) {
        const QPointF got = AppDelegate::clampedOrigin(origin, area, panel, 300);
        EXPECT_LT(QLineF(got, expected).length(), 1e-9) << origin.x() << "," << origin.y();
    }
    // The second of two screens side by side, with a 32-point bar at its top: centred on the whole
    // screen; from the hot corner, the ring's centre one outer radius in from the right edge and the bar.
    const QRectF frame(1920, 0, 1600, 1200), available(1920, 32, 1600, 1168);
    EXPECT_EQ(AppDelegate::placement(LaunchSource::centered, frame, available, 1067, 300),
              QPointF(1920 + 266.5, 66.5));
    EXPECT_EQ(AppDelegate::placement(LaunchSource::hotCorner, frame, available, 1067, 300),
              QPointF(3520 - 300 - 533.5, 32 + 300 - 533.5));
}

TEST(ShellHold, CountsWhileItLivesAndOutlivesItsShell) {
    auto shell = std::make_unique<AppDelegate>();
    auto first = shell->holdOpen();
    std::optional second{shell->holdOpen()};
    EXPECT_EQ(shell->autoDismissSuspenders(), 2);
    second.reset();
    EXPECT_EQ(shell->autoDismissSuspenders(), 1);
    shell->hideLauncher(); // hiding clears the count; the hold given back later cannot take it below zero
    first.reset();
    EXPECT_EQ(shell->autoDismissSuspenders(), 0);
    first = shell->holdOpen();
    shell.reset();
    first.reset(); // given back to a shell that is gone: nothing happens
}

// Entry images: what icon each kind of path asks the theme for.
TEST(EntryIcons, DesktopEntriesShowTheirIconOrAnApplicationIcon) {
    Sandbox sandbox;
    const QByteArray entry = "[Desktop Entry]\nType=Application\nName=X\nExec=/bin/true\n";
    const QString with = sandbox.writeFile("apps/with.desktop", entry + "Icon=utilities-terminal\n");
    const QString without = sandbox.writeFile("apps/without.desktop", entry);
    const QString text = sandbox.writeFile("notes.txt", "hello");
    GioWorkspace gio;
    for (const QString &none : {without, text, sandbox.home() + "/missing.desktop"})
        EXPECT_EQ(gio.iconName(none), QString()) << none.toStdString();
    const QString app = QStringLiteral("application-x-executable");
    const std::tuple<const Workspace *, QString, QString> cases[] = {
        {&gio, with, "utilities-terminal"},
        {&gio, without, app}, // no Icon key: still an application
        {nullptr, with, app}, // no desktop to ask
        {&gio, sandbox.makeFolder("stuff"), "folder"},
    };
    for (const auto &[workspace, path, expected] : cases) {
        FileIcons::setWorkspace(workspace);
        EXPECT_EQ(FileIcons::iconNameForPath(path), expected) << path.toStdString();
    }
    FileIcons::setWorkspace(&gio);
    EXPECT_NE(FileIcons::iconNameForPath(text), app) << "a document shows its type's icon";
    FileIcons::setWorkspace(nullptr);
}

} // namespace
