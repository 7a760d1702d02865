#include "launcher/CircularLauncherView.h"
#include "l10n/L.h"
#include "platform/linux/GioWorkspace.h"
#include "ring/Clock.h"
#include "ring/RingGeometry.h"
#include "settings/Preferences.h"
#include "shell/AppDelegate.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "store/MoveDestinations.h"
#include "support/Entries.h"
#include "support/FakeLauncherHost.h"
#include "support/FakeWorkspace.h"
#include "support/QuietWindows.h"
#include "support/Sandbox.h"
#include "views/AppIconPainter.h"
#include "views/FileIcons.h"
#include "views/NamePrompt.h"
#include "views/TintPopover.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QStyleHints>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using entries::app;
using entries::group;
using entries::list;

AppItem folder(const QString &name, std::optional<QString> tint = std::nullopt) {
    AppItem item = app(name);
    item.appPath = "/nonexistent/" + name;
    item.isFolder = true;
    item.folderTint = std::move(tint);
    return item;
}

QAction *actionNamed(QMenu *menu, const QString &text) {
    for (QAction *action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

// A ring view over a store in a private HOME, with a fake desktop, a manual clock, and counters for
// dismissals and sound requests.
class RingViewTest : public ::testing::Test {
  protected:
    void start(const QList<AppList> &lists, int activeIndex = 0, bool soundsOn = true, double scale = 1.0) {
        view.reset();
        dismissals = sounds = 0;
        workspace.openedApplications.clear();
        sandbox.preferences().setLauncherScale(scale);
        sandbox.writeFile(QStringLiteral(".local/share/Ilvex/lists.json"), ListsCodec::encodeLists(lists));
        sandbox.preferences().setActiveListIndex(activeIndex);
        sandbox.preferences().setLauncherSoundsEnabled(soundsOn);
        state = std::make_unique<AppState>(
            StoreServices{&workspace, &bookmarks, &sandbox.preferences(), sandbox.supportDirectory(), false});
        view = std::make_unique<CircularLauncherView>(state.get(), &host, nullptr, &clock);
        view->setGroupNamePrompt([this](const QUuid &id) {
            promptedFor = id;
            return groupName;
        });
    }
    // One list: entry A, then group G holding m.
    void startWithGroup(bool soundsOn = true) { start({list("Main", {app("A"), group("G")})}, 0, soundsOn); }

    const AppItem &item(int index) const { return state->lists()[state->safeIndex()].items[index]; }

    void mouse(QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, {});
        QCoreApplication::sendEvent(view.get(), &event);
    }
    void click(QPointF at) {
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, at, Qt::NoButton);
    }
    void clickItem(const QUuid &id) {
        const auto centre = view->itemCentre(id);
        ASSERT_TRUE(centre);
        click(*centre);
    }
    double iconSize() const {
        return RingGeometry::iconSize(RingGeometry::effectiveScale(sandbox.preferences().launcherScale()));
    }
    // An entry's frame, in widget coordinates, at the scale the view runs at.
    QRectF frameOf(const AppItem &entry) const {
        const QPointF origin =
            *view->itemCentre(entry.id) - AppIconPainter::imageRect(entry, iconSize()).center();
        return {origin, AppIconPainter::frameSize(entry, iconSize())};
    }
    QPointF capsuleOf(const AppItem &entry) const {
        return frameOf(entry).topLeft() + AppIconPainter::capsuleRect(entry, iconSize()).center();
    }
    // Presses on an entry and moves the pointer far enough to start dragging it.
    void startDrag(const QUuid &id) {
        const QPointF centre = *view->itemCentre(id);
        mouse(QEvent::MouseButtonPress, centre, Qt::LeftButton);
        mouse(QEvent::MouseMove, centre + QPointF(0, 12), Qt::LeftButton);
    }

    Sandbox sandbox;
    FakeWorkspace workspace;
    FakeBookmarks bookmarks;
    ManualClock clock;
    std::unique_ptr<AppState> state;
    std::unique_ptr<CircularLauncherView> view;
    FakeLauncherHost host;
    int &dismissals = host.dismissals;
    int &sounds = host.sounds;
    std::optional<QUuid> promptedFor;
    std::optional<QString> groupName;
};

TEST_F(RingViewTest, BackStepsOutOfTheGroupThenDismissesAndWaitsForADrag) {
    for (const bool byClick : {false, true}) {
        SCOPED_TRACE(byClick ? "click on empty space" : "backOrDismiss");
        startWithGroup();
        state->openSubList(item(1).id);
        const QPointF corner(8, 8); // the panel's empty margin
        ASSERT_FALSE(view->itemAt(corner));
        const auto back = [&] { byClick ? click(corner) : view->backOrDismiss(); };
        if (!byClick) {
            startDrag(state->currentItems()[0].id);
            ASSERT_TRUE(view->drag().isDragging());
            back();
            EXPECT_TRUE(state->openSubListID()) << "back during a drag closed the group";
            mouse(QEvent::MouseButtonRelease, view->ringCentre(), Qt::NoButton);
        }
        back();
        EXPECT_FALSE(state->openSubListID());
        EXPECT_EQ(dismissals, 0) << "the first step back only closes the group";
        byClick ? click(view->ringCentre()) : back(); // the hole, outside every entry
        EXPECT_EQ(dismissals, 1);
    }
}

// Dragging the panel by its margin is no click: e2e_drag_margin drives the real window.

TEST_F(RingViewTest, ClickOpensAGroupOrDismissesAndLaunchesAfterTheFadeStarted) {
    for (const auto &[clickedGroup, soundsOn] :
         {std::pair{false, true}, {false, false}, {true, true}, {true, false}}) {
        SCOPED_TRACE(testing::Message() << "group " << clickedGroup << ", sounds " << soundsOn);
        startWithGroup(soundsOn);
        const AppItem target = item(clickedGroup ? 1 : 0);
        view->hoverModel().publish(target.id, target.name);
        clickItem(target.id);
        EXPECT_EQ(sounds, soundsOn ? 1 : 0);
        if (clickedGroup) {
            EXPECT_EQ(state->openSubListID(), target.id);
            EXPECT_EQ(dismissals, 0);
            EXPECT_FALSE(view->hoverModel().name()) << "the hovered name of the closed ring stays shown";
            clock.advance(1000);
            EXPECT_TRUE(workspace.openedApplications.isEmpty());
            continue;
        }
        EXPECT_EQ(dismissals, 1);
        if (!soundsOn)
            view.reset(); // the launch happens even when the view is gone
        clock.advance(CircularLauncherView::launchDelayMs - 1);
        EXPECT_TRUE(workspace.openedApplications.isEmpty()) << "launched before the panel began to hide";
        clock.advance(1);
        EXPECT_EQ(workspace.openedApplications, QStringList{target.appPath});
    }
}

TEST_F(RingViewTest, MoveDestinationsOfferListsFirstThenGroups) {
    const AppItem plain = app("x"), member = app("m");
    const AppItem g1 = group("G1", {member}), g = group("G", {app("n")});
    const AppList h = list("H", {app("y"), g});
    start({h, list("A", {plain, g1}), list("C", {})}, 1);

    auto labels = [](const QList<MoveDestination> &destinations) {
        QStringList result;
        for (const MoveDestination &d : destinations)
            result.append((d.isGroup ? "group " : "list ") + d.label);
        return result;
    };
    const QString sep = QStringLiteral(" \u203A ");
    // A plain entry at the top level: the other lists in list order, then every group, the active list's too.
    EXPECT_EQ(labels(MoveDestinations::forRingEntry(*state, plain)),
              (QStringList{"list H", "list C", "group H" + sep + "G", "group A" + sep + "G1"}));
    EXPECT_EQ(labels(MoveDestinations::forRingEntry(*state, g1)), (QStringList{"list H", "list C"}))
        << "a group goes only to other lists";
    const QList<MoveDestination> all = MoveDestinations::all(*state, std::nullopt, std::nullopt);
    ASSERT_EQ(all.size(), 5);
    EXPECT_EQ(all[3].id, g.id);
    EXPECT_EQ(all[3].listID, h.id) << "a group destination names the list that holds it";

    MoveDestinations::move(*state, plain, MoveDestinations::forRingEntry(*state, plain).first());
    ASSERT_EQ(state->lists()[0].items.size(), 3);
    EXPECT_EQ(state->lists()[0].items[2].id, plain.id);
    EXPECT_EQ(state->lists()[1].items.size(), 1);

    // Inside an open group: every list (the active one takes it out) and every other group.
    state->openSubList(g1.id);
    EXPECT_EQ(labels(MoveDestinations::forRingEntry(*state, member)),
              (QStringList{"list H", "list A", "list C", "group H" + sep + "G"}));
}

TEST_F(RingViewTest, EntriesAreCentredOnTheirSlotsClockwiseFromNineOClock) {
    // Entries with a name capsule too are centred by their whole frame, not by their image.
    start({list("Main", {app("A"), folder("B"), group("C"), app("D")})});
    const double r = RingGeometry::forStore(*state, sandbox.preferences().launcherScale()).radius();
    const QPointF expected[] = {{-r, 0}, {0, -r}, {r, 0}, {0, r}};
    for (int i = 0; i < 4; ++i) {
        const QPointF at = frameOf(item(i)).center();
        EXPECT_NEAR(at.x(), view->ringCentre().x() + expected[i].x(), 0.01) << i;
        EXPECT_NEAR(at.y(), view->ringCentre().y() + expected[i].y(), 0.01) << i;
        EXPECT_EQ(view->itemAt(at), item(i).id) << i;
    }
}

TEST_F(RingViewTest, AMergeAsksForTheGroupsName) {
    for (const std::optional<QString> &answer : {std::optional<QString>("Tools"), std::optional<QString>()}) {
        SCOPED_TRACE(answer.value_or("cancelled").toStdString());
        start({list("Main", {app("A"), app("B"), app("C")})});
        groupName = answer;
        const QPointF target = *view->itemCentre(item(1).id);
        startDrag(item(0).id);
        // Onto B, then hold still past the pause and the merge dwell.
        mouse(QEvent::MouseMove, target, Qt::LeftButton);
        clock.advance(120);
        mouse(QEvent::MouseMove, target + QPointF(1, 0), Qt::LeftButton);
        clock.advance(200);
        mouse(QEvent::MouseButtonRelease, target, Qt::NoButton);
        QCoreApplication::processEvents(); // the prompt runs after the release event

        const QList<AppItem> items = state->currentItems();
        ASSERT_EQ(items.size(), 2);
        const auto made =
            std::find_if(items.begin(), items.end(), [](const AppItem &i) { return i.isSubList; });
        ASSERT_NE(made, items.end());
        EXPECT_EQ(promptedFor, made->id);
        EXPECT_EQ(made->name, answer.value_or("Group"));
        EXPECT_EQ(sounds, 1);
    }
}

TEST_F(RingViewTest, DoubleClickOnAGroupsNameRenamesItInsteadOfOpening) {
    const QuietWindows offscreen;
    start({list("Main", {app("A"), group("Games")})});
    const AppItem g = item(1);
    const QPointF capsule = capsuleOf(g);
    ASSERT_EQ(view->itemAt(capsule), g.id);

    click(capsule);
    mouse(QEvent::MouseButtonDblClick, capsule, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, capsule, Qt::NoButton);
    auto *prompt = view->findChild<NamePrompt *>();
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->field()->text(), QStringLiteral("Games"));
    prompt->field()->setText(QStringLiteral("Tools"));
    prompt->accept();
    EXPECT_EQ(item(1).name, QStringLiteral("Tools"));

    clock.advance(5000);
    EXPECT_FALSE(state->openSubListID()) << "the double click opened the group as well";
    EXPECT_EQ(sounds, 0);
    EXPECT_EQ(dismissals, 0);
    EXPECT_FALSE(view->drag().isDragging());
}

TEST_F(RingViewTest, OnlyAGroupsNameWaitsForADoubleClick) {
    const struct {
        const char *name;
        bool onGroup;   // a group, else a folder (whose capsule takes no double click)
        bool onCapsule; // else on the image
        bool waits;
    } cases[] = {{"groupName", true, true, true},
                 {"groupGlyph", true, false, false},
                 {"folderName", false, true, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const AppItem target = c.onGroup ? group("G") : folder("F");
        start({list("Main", {app("A"), target})});
        const QPointF at =
            c.onCapsule ? capsuleOf(target)
                        : frameOf(target).topLeft() + AppIconPainter::imageRect(target, iconSize()).center();
        auto acted = [&] { return state->openSubListID().has_value() || dismissals > 0; };
        click(at);
        EXPECT_EQ(acted(), !c.waits);
        clock.advance(QGuiApplication::styleHints()->mouseDoubleClickInterval() - 1);
        EXPECT_EQ(acted(), !c.waits);
        clock.advance(1);
        EXPECT_TRUE(acted());
        if (c.onGroup) {
            EXPECT_EQ(state->openSubListID(), target.id);
        }
        EXPECT_EQ(sounds, 1);
    }

    // A step back drops a click still waiting on a group's name.
    startWithGroup();
    click(capsuleOf(item(1)));
    view->backOrDismiss();
    clock.advance(5000);
    EXPECT_FALSE(state->openSubListID()) << "the group opened after the launcher was dismissed";
    EXPECT_EQ(dismissals, 1);
}

TEST_F(RingViewTest, TintPopoverSitsBesideTheEntrysFrameAtEveryScale) {
    const QuietWindows offscreen;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const double scale : {0.8, 1.0, 1.4}) {
        SCOPED_TRACE(scale);
        start({list("Main", {folder("F")})}, 0, true, scale);
        const AppItem f = item(0);
        // Put the entry in the middle of the screen, so that the popover has room after it.
        view->move((QPointF(screen.center()) - *view->itemCentre(f.id)).toPoint());
        const QRectF frame = frameOf(f).translated(view->mapToGlobal(QPointF(0, 0)));

        const QPoint at = view->itemCentre(f.id)->toPoint();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
        QCoreApplication::sendEvent(view.get(), &event);
        QMenu *menu = view->findChild<QMenu *>();
        ASSERT_NE(menu, nullptr);
        QAction *pick = actionNamed(menu, L::folderColor());
        ASSERT_NE(pick, nullptr);
        pick->trigger();
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
    const double r = 300;
    const std::pair<QPointF, QPointF> cases[] = {
        {{266.5, 66.5}, {266.5, 66.5}},               // already inside: unchanged
        {{500, -700}, {500, 30 + r - 533.5}},         // above the top: pushed down to touch it
        {{1000, 200}, {1600 - r - 533.5, 200}},       // past the right edge: pulled back
        {{-900, 900}, {r - 533.5, 1200 - r - 533.5}}, // bottom-left corner
    };
    for (const auto &[origin, expected] : cases) {
        const QPointF got = AppDelegate::clampedOrigin(origin, visible, panel, r);
        EXPECT_NEAR(got.x(), expected.x(), 1e-9) << origin.x() << "," << origin.y();
        EXPECT_NEAR(got.y(), expected.y(), 1e-9) << origin.x() << "," << origin.y();
    }
    // A ring larger than the area is centred on it.
    EXPECT_EQ(AppDelegate::clampedOrigin({5, 5}, QRectF(100, 0, 400, 300), panel, r),
              QPointF(300 - 533.5, 150 - 533.5));

    // The second of two screens side by side, with a 32-point bar at its top.
    const QRectF frame(1920, 0, 1600, 1200), available(1920, 32, 1600, 1168);
    EXPECT_EQ(AppDelegate::placement(LaunchSource::centered, frame, available, 1067, 300),
              QPointF(1920 + 266.5, 66.5))
        << "centred on the whole screen, not the available area";
    // The ring's centre sits one outer radius in from the right edge and below the bar.
    EXPECT_EQ(AppDelegate::placement(LaunchSource::hotCorner, frame, available, 1067, 300) +
                  QPointF(533.5, 533.5),
              QPointF(3520 - 300, 32 + 300));
}

TEST(ShellHold, CountsWhileItLivesAndOutlivesItsShell) {
    auto shell = std::make_unique<AppDelegate>();
    auto first = shell->holdOpen();
    {
        const auto second = shell->holdOpen();
        EXPECT_EQ(shell->autoDismissSuspenders(), 2);
    }
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
    const QString withIcon = sandbox.writeFile(
        QStringLiteral("apps/with.desktop"),
        "[Desktop Entry]\nType=Application\nName=With\nExec=/bin/true\nIcon=utilities-terminal\n");
    const QString without =
        sandbox.writeFile(QStringLiteral("apps/without.desktop"),
                          "[Desktop Entry]\nType=Application\nName=Without\nExec=/bin/true\n");
    const QString text = sandbox.writeFile(QStringLiteral("notes.txt"), "hello");

    GioWorkspace gio;
    EXPECT_EQ(gio.iconName(withIcon), QStringLiteral("utilities-terminal"));
    for (const QString &none : {without, text, sandbox.home() + "/missing.desktop"})
        EXPECT_EQ(gio.iconName(none), QString()) << none.toStdString();

    const QString app = QStringLiteral("application-x-executable");
    const std::tuple<const Workspace *, QString, QString> cases[] = {
        {&gio, withIcon, "utilities-terminal"},
        {&gio, without, app},     // no Icon key: still an application
        {nullptr, withIcon, app}, // no desktop to ask
        {&gio, sandbox.makeFolder(QStringLiteral("stuff")), "folder"},
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
