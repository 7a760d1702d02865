#include "ring/CircularLauncherView.h"
#include "l10n/L.h"
#include "platform/linux/GioWorkspace.h"
#include "ring/Clock.h"
#include "ring/HoverLabelView.h"
#include "ring/RingGeometry.h"
#include "shell/AppDelegate.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "store/Preferences.h"
#include "support/FakeWorkspace.h"
#include "support/Sandbox.h"
#include "views/AppIconPainter.h"
#include "views/FileIcons.h"
#include "views/GroupRenamePrompt.h"
#include "views/TintPopover.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QStyleHints>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

AppItem app(const QString &name) {
    AppItem item;
    item.id = QUuid::createUuid();
    item.name = name;
    item.appPath = QStringLiteral("/nonexistent/") + name + QStringLiteral(".desktop");
    return item;
}

AppItem folder(const QString &name, std::optional<QString> tint = std::nullopt) {
    AppItem item = app(name);
    item.appPath = QStringLiteral("/nonexistent/") + name;
    item.isFolder = true;
    item.folderTint = std::move(tint);
    return item;
}

AppItem group(const QString &name, QList<AppItem> members, std::optional<QString> tint = std::nullopt) {
    AppItem item = app(name);
    item.appPath.clear();
    item.isSubList = true;
    item.subItems = std::move(members);
    item.folderTint = std::move(tint);
    return item;
}

AppList list(const QString &name, QList<AppItem> items, ListTheme theme = ListTheme::blue) {
    return AppList{QUuid::createUuid(), name, items, theme, items};
}

// A ring view over a store in a private HOME, with a fake desktop, a manual clock, and counters for
// dismissals and sound requests.
class RingViewTest : public ::testing::Test {
  protected:
    void start(const QList<AppList> &lists, int activeIndex = 0, bool soundsOn = true, double scale = 1.0) {
        view.reset();
        sandbox.preferences().setValue(QLatin1String(Preferences::launcherScale), scale);
        sandbox.writeFile(QStringLiteral(".local/share/Ilvex/lists.json"), ListsCodec::encodeLists(lists));
        sandbox.preferences().setValue(QLatin1String(Preferences::activeListIndex), activeIndex);
        sandbox.preferences().setValue(QLatin1String(Preferences::launcherSoundsEnabled), soundsOn);
        state = std::make_unique<AppState>(
            StoreServices{&workspace, &bookmarks, &sandbox.preferences(), sandbox.supportDirectory(), false});
        view = std::make_unique<CircularLauncherView>(
            state.get(), [this] { ++dismissals; }, nullptr, &clock);
        view->setSoundPlayer([this] { ++sounds; });
        view->setGroupNamePrompt([this](const QUuid &id) {
            promptedFor = id;
            return groupName;
        });
    }

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
    // An entry's frame, in widget coordinates, at the scale the view runs at.
    QRectF frameOf(const AppItem &entry) const {
        const double iconSize = RingGeometry::iconSize(RingGeometry::effectiveScale());
        const QPointF origin =
            *view->itemCentre(entry.id) - AppIconPainter::imageRect(entry, iconSize).center();
        return {origin, AppIconPainter::frameSize(entry, iconSize)};
    }
    QPointF capsuleOf(const AppItem &entry) const {
        const double iconSize = RingGeometry::iconSize(RingGeometry::effectiveScale());
        return frameOf(entry).topLeft() + AppIconPainter::capsuleRect(entry, iconSize).center();
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
    int dismissals = 0;
    int sounds = 0;
    std::optional<QUuid> promptedFor;
    std::optional<QString> groupName;
};

TEST_F(RingViewTest, BackStepsOutOfTheGroupThenDismissesAndWaitsForADrag) {
    start({list(QStringLiteral("Main"),
                {app(QStringLiteral("A")), group(QStringLiteral("G"), {app(QStringLiteral("m"))})})});
    state->openSubList(item(1).id);

    startDrag(state->currentItems()[0].id);
    ASSERT_TRUE(view->drag().isDragging());
    view->backOrDismiss();
    EXPECT_TRUE(state->openSubListID()) << "back during a drag closed the group";
    EXPECT_EQ(dismissals, 0);
    mouse(QEvent::MouseButtonRelease, view->ringCentre(), Qt::NoButton);

    view->backOrDismiss();
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(dismissals, 0) << "the first step back only closes the group";
    view->backOrDismiss();
    EXPECT_EQ(dismissals, 1);
}

TEST_F(RingViewTest, ClickOnEmptySpaceStepsBack) {
    start({list(QStringLiteral("Main"),
                {app(QStringLiteral("A")), group(QStringLiteral("G"), {app(QStringLiteral("m"))})})});
    state->openSubList(item(1).id);
    const QPointF corner(8, 8); // the panel's empty margin
    ASSERT_FALSE(view->itemAt(corner));

    click(corner);
    EXPECT_FALSE(state->openSubListID()) << "a click on empty space inside a group closes the group";
    EXPECT_EQ(dismissals, 0);
    click(view->ringCentre()); // the hole, outside every entry
    EXPECT_EQ(dismissals, 1);
}

TEST_F(RingViewTest, DraggingThePanelByItsMarginIsNoClick) {
    start({list(QStringLiteral("Main"), {app(QStringLiteral("A"))})});
    // The window follows the pointer, so the pointer stays where it was pressed within the view while it
    // travels on the screen.
    const QPointF corner(8, 8);
    const QPointF screen = view->mapToGlobal(corner);
    auto send = [this, corner](QEvent::Type type, QPointF global, Qt::MouseButtons buttons) {
        QMouseEvent event(type, corner, global, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          buttons, {});
        QCoreApplication::sendEvent(view.get(), &event);
    };
    send(QEvent::MouseButtonPress, screen, Qt::LeftButton);
    for (int step = 1; step <= 30; ++step)
        send(QEvent::MouseMove, screen + QPointF(2 * step, step), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, screen + QPointF(60, 30), Qt::NoButton);
    EXPECT_EQ(dismissals, 0);
}

TEST_F(RingViewTest, ClickOnAGroupOpensItWithoutDismissing) {
    start({list(QStringLiteral("Main"),
                {app(QStringLiteral("A")), group(QStringLiteral("G"), {app(QStringLiteral("m"))})})});
    view->hoverModel().publish(item(1).id, QStringLiteral("G"));

    clickItem(item(1).id);
    EXPECT_EQ(state->openSubListID(), item(1).id);
    EXPECT_EQ(dismissals, 0);
    EXPECT_EQ(sounds, 1);
    EXPECT_FALSE(view->hoverModel().name()) << "the hovered name of the closed ring stays shown";
    clock.advance(1000);
    EXPECT_TRUE(workspace.openedApplications.isEmpty());
}

TEST_F(RingViewTest, ClickOnAnEntryDismissesAtOnceAndLaunchesAfterTheFadeStarted) {
    start({list(QStringLiteral("Main"), {app(QStringLiteral("A")), app(QStringLiteral("B"))})});
    const AppItem b = item(1);

    clickItem(b.id);
    EXPECT_EQ(dismissals, 1);
    EXPECT_TRUE(workspace.openedApplications.isEmpty()) << "launched before the panel began to hide";
    clock.advance(CircularLauncherView::launchDelayMs - 1);
    EXPECT_TRUE(workspace.openedApplications.isEmpty());
    clock.advance(1);
    EXPECT_EQ(workspace.openedApplications, QStringList{b.appPath});
}

TEST_F(RingViewTest, TheLaunchHappensEvenWhenTheViewIsGone) {
    start({list(QStringLiteral("Main"), {app(QStringLiteral("A"))})});
    const AppItem a = item(0);
    clickItem(a.id);
    view.reset();
    clock.advance(CircularLauncherView::launchDelayMs);
    EXPECT_EQ(workspace.openedApplications, QStringList{a.appPath});
}

struct SoundCase {
    const char *name;
    bool enabled;
    int clickedIndex; // 0: a plain entry, 1: a group
    int expected;
};

class RingSoundTest : public RingViewTest, public ::testing::WithParamInterface<SoundCase> {};

TEST_P(RingSoundTest, SoundsFollowThePreference) {
    const SoundCase &c = GetParam();
    start({list(QStringLiteral("Main"),
                {app(QStringLiteral("A")), group(QStringLiteral("G"), {app(QStringLiteral("m"))})})},
          0, c.enabled);
    clickItem(item(c.clickedIndex).id);
    clock.advance(1000);
    EXPECT_EQ(sounds, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, RingSoundTest,
                         ::testing::Values(SoundCase{"launchOn", true, 0, 1},
                                           SoundCase{"launchOff", false, 0, 0},
                                           SoundCase{"groupOn", true, 1, 1},
                                           SoundCase{"groupOff", false, 1, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RingViewTest, RingIdentityNamesTheListAndTheOpenGroup) {
    const AppItem g = group(QStringLiteral("G"), {app(QStringLiteral("m"))});
    start({list(QStringLiteral("L0"), {}), list(QStringLiteral("L1"), {}), list(QStringLiteral("L2"), {g})},
          2);
    EXPECT_EQ(view->ringIdentity(), QStringLiteral("2-main"));
    state->openSubList(g.id);
    const QString inGroup = view->ringIdentity();
    EXPECT_EQ(inGroup, QStringLiteral("2-") + g.id.toString(QUuid::WithoutBraces).toUpper());
    state->closeSubList();
    EXPECT_EQ(view->ringIdentity(), QStringLiteral("2-main"));
}

TEST_F(RingViewTest, MoveDestinationsOfferListsFirstThenGroups) {
    const AppItem plain = app(QStringLiteral("x"));
    const AppItem member = app(QStringLiteral("m"));
    const AppItem g1 = group(QStringLiteral("G1"), {member});
    const AppItem g = group(QStringLiteral("G"), {app(QStringLiteral("n"))});
    const AppList a = list(QStringLiteral("A"), {plain, g1});
    const AppList h = list(QStringLiteral("H"), {app(QStringLiteral("y")), g});
    const AppList c = list(QStringLiteral("C"), {});
    start({h, a, c}, 1);

    auto labels = [](const QList<MoveDestination> &destinations) {
        QStringList result;
        for (const MoveDestination &d : destinations)
            result.append((d.isGroup ? QStringLiteral("group ") : QStringLiteral("list ")) + d.label);
        return result;
    };
    const QString sep = QStringLiteral(" \u203A ");
    // A plain entry at the top level: the other lists in list order, then every group, the active list's too.
    EXPECT_EQ(labels(view->ringMoveDestinations(plain)),
              (QStringList{"list H", "list C", "group H" + sep + "G", "group A" + sep + "G1"}));
    // A group goes only to other lists.
    EXPECT_EQ(labels(view->ringMoveDestinations(g1)), (QStringList{"list H", "list C"}));
    // Inside an open group: every list (the active one takes it out) and every other group.
    state->openSubList(g1.id);
    EXPECT_EQ(labels(view->ringMoveDestinations(member)),
              (QStringList{"list H", "list A", "list C", "group H" + sep + "G"}));

    const QList<MoveDestination> destinations = view->moveDestinations(std::nullopt, std::nullopt);
    ASSERT_EQ(destinations.size(), 5);
    EXPECT_EQ(destinations[3].id, g.id);
    EXPECT_EQ(destinations[3].listID, h.id) << "a group destination names the list that holds it";
}

TEST_F(RingViewTest, MoveToAnotherListTakesTheEntryThere) {
    const AppItem x = app(QStringLiteral("x"));
    start({list(QStringLiteral("A"), {x, app(QStringLiteral("y"))}), list(QStringLiteral("B"), {})});
    const QList<MoveDestination> destinations = view->ringMoveDestinations(x);
    ASSERT_FALSE(destinations.isEmpty());
    view->moveItem(x, destinations.first());
    ASSERT_EQ(state->lists()[1].items.size(), 1);
    EXPECT_EQ(state->lists()[1].items[0].id, x.id);
    EXPECT_EQ(state->lists()[0].items.size(), 1);
}

TEST_F(RingViewTest, TintFollowsPresetsOnlyForFoldersAndGroups) {
    start({list(QStringLiteral("Main"), {}, ListTheme::green)});
    const QColor primary = colors(ListTheme::green).primary;
    const QString red = QStringLiteral("#EF4444");
    AppItem tintedApp = app(QStringLiteral("a"));
    tintedApp.folderTint = red;
    struct Case {
        AppItem item;
        QColor expected;
    };
    const Case cases[] = {
        {tintedApp, primary},                                              // plain entries ignore tints
        {folder(QStringLiteral("f"), red), hex(red)},                      // a preset
        {folder(QStringLiteral("f"), QStringLiteral("#123456")), primary}, // no such preset
        {folder(QStringLiteral("f"), QStringLiteral("#ef4444")), primary}, // compared as text
        {folder(QStringLiteral("f")), primary},                            // no tint
        {group(QStringLiteral("g"), {}, QStringLiteral("#22C55E")), hex(QStringLiteral("#22C55E"))},
        {group(QStringLiteral("g"), {}), primary},
    };
    for (const Case &c : cases)
        EXPECT_EQ(view->tint(c.item), c.expected)
            << c.item.name.toStdString() << " " << c.item.folderTint.value_or(QString()).toStdString();
}

TEST_F(RingViewTest, EntriesSitOnTheirSlotsClockwiseFromNineOClock) {
    start({list(QStringLiteral("Main"), {app(QStringLiteral("A")), app(QStringLiteral("B")),
                                         app(QStringLiteral("C")), app(QStringLiteral("D"))})});
    const double r = RingGeometry::forStore(*state).radius();
    const QPointF c = view->ringCentre();
    const QPointF expected[] = {c + QPointF(-r, 0), c + QPointF(0, -r), c + QPointF(r, 0), c + QPointF(0, r)};
    for (int i = 0; i < 4; ++i) {
        const QPointF at = *view->itemCentre(item(i).id);
        EXPECT_NEAR(at.x(), expected[i].x(), 0.01) << i;
        EXPECT_NEAR(at.y(), expected[i].y(), 0.01) << i;
        EXPECT_EQ(view->itemAt(at), item(i).id) << i;
    }
}

TEST_F(RingViewTest, AMergeAsksForTheGroupsName) {
    for (const std::optional<QString> answer :
         {std::optional<QString>(QStringLiteral("Tools")), std::optional<QString>()}) {
        SCOPED_TRACE(answer.value_or(QStringLiteral("cancelled")).toStdString());
        start({list(QStringLiteral("Main"),
                    {app(QStringLiteral("A")), app(QStringLiteral("B")), app(QStringLiteral("C"))})});
        groupName = answer;
        const QUuid a = item(0).id;
        const QPointF target = *view->itemCentre(item(1).id);
        startDrag(a);
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
        EXPECT_EQ(made->name, answer.value_or(QStringLiteral("Group")));
        EXPECT_EQ(sounds, 1);
        sounds = 0;
        promptedFor.reset();
    }
}

// The offscreen platform cannot raise windows, size dialogs or grab the keyboard for popups, and says so.
struct IgnorePlatformLimits {
    IgnorePlatformLimits() { previous = qInstallMessageHandler(filter); }
    ~IgnorePlatformLimits() { qInstallMessageHandler(previous); }
    static void filter(QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (!message.startsWith(QStringLiteral("This plugin does not support")))
            previous(type, context, message);
    }
    static inline QtMessageHandler previous = nullptr;
};

TEST_F(RingViewTest, DoubleClickOnAGroupsNameRenamesItInsteadOfOpening) {
    const IgnorePlatformLimits offscreen;
    start({list(QStringLiteral("Main"),
                {app(QStringLiteral("A")), group(QStringLiteral("Games"), {app(QStringLiteral("m"))})})});
    const AppItem g = item(1);
    const QPointF capsule = capsuleOf(g);
    ASSERT_EQ(view->itemAt(capsule), g.id);

    click(capsule);
    mouse(QEvent::MouseButtonDblClick, capsule, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, capsule, Qt::NoButton);
    auto *prompt = view->findChild<GroupRenamePrompt *>();
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

struct CapsuleClickCase {
    const char *name;
    bool onGroup;   // a group, else a folder (whose capsule takes no double click)
    bool onCapsule; // else on the image
    bool waits;
};

class RingCapsuleClickTest : public RingViewTest, public ::testing::WithParamInterface<CapsuleClickCase> {};

TEST_P(RingCapsuleClickTest, OnlyAGroupsNameWaitsForADoubleClick) {
    const CapsuleClickCase &c = GetParam();
    const AppItem target =
        c.onGroup ? group(QStringLiteral("G"), {app(QStringLiteral("m"))}) : folder(QStringLiteral("F"));
    start({list(QStringLiteral("Main"), {app(QStringLiteral("A")), target})});
    const double iconSize = RingGeometry::iconSize(RingGeometry::effectiveScale());
    const QPointF at = c.onCapsule
                           ? capsuleOf(target)
                           : frameOf(target).topLeft() + AppIconPainter::imageRect(target, iconSize).center();
    auto acted = [&] { return state->openSubListID().has_value() || dismissals > 0; };

    click(at);
    EXPECT_EQ(acted(), !c.waits);
    clock.advance(QGuiApplication::styleHints()->mouseDoubleClickInterval() - 1);
    EXPECT_EQ(acted(), !c.waits);
    clock.advance(1);
    EXPECT_TRUE(acted());
    if (c.onGroup)
        EXPECT_EQ(state->openSubListID(), target.id);
    EXPECT_EQ(sounds, 1);
}

INSTANTIATE_TEST_SUITE_P(Table, RingCapsuleClickTest,
                         ::testing::Values(CapsuleClickCase{"groupName", true, true, true},
                                           CapsuleClickCase{"groupGlyph", true, false, false},
                                           CapsuleClickCase{"folderName", false, true, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RingViewTest, AStepBackDropsAClickWaitingOnAGroupsName) {
    start({list(QStringLiteral("Main"),
                {app(QStringLiteral("A")), group(QStringLiteral("G"), {app(QStringLiteral("m"))})})});
    click(capsuleOf(item(1)));
    view->backOrDismiss();
    clock.advance(5000);
    EXPECT_FALSE(state->openSubListID()) << "the group opened after the launcher was dismissed";
    EXPECT_EQ(dismissals, 1);
}

TEST_F(RingViewTest, TintPopoverSitsBesideTheEntrysFrameAtEveryScale) {
    const IgnorePlatformLimits offscreen;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const double scale : {0.8, 1.0, 1.4}) {
        SCOPED_TRACE(scale);
        start({list(QStringLiteral("Main"), {folder(QStringLiteral("F"))})}, 0, true, scale);
        const AppItem f = item(0);
        // Put the entry in the middle of the screen, so that the popover has room after it.
        view->move((QPointF(screen.center()) - *view->itemCentre(f.id)).toPoint());
        const QRectF frame = frameOf(f).translated(view->mapToGlobal(QPointF(0, 0)));

        const QPoint at = view->itemCentre(f.id)->toPoint();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
        QCoreApplication::sendEvent(view.get(), &event);
        QMenu *menu = view->findChild<QMenu *>();
        ASSERT_NE(menu, nullptr);
        QAction *pick = nullptr;
        for (QAction *action : menu->actions())
            if (action->text() == L::folderColor())
                pick = action;
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

TEST(LauncherPanelGeometry, MaxRadiusFromTheAvailableHeight) {
    EXPECT_DOUBLE_EQ(AppDelegate::maxRadiusFor(900, 1.0), 372.5);
    EXPECT_DOUBLE_EQ(AppDelegate::maxRadiusFor(1200, 1.0), 434);
    EXPECT_DOUBLE_EQ(AppDelegate::maxRadiusFor(300, 1.0), 178);
    EXPECT_DOUBLE_EQ(AppDelegate::maxRadiusFor(3000, 1.4), 434 * 1.4);
    EXPECT_DOUBLE_EQ(AppDelegate::maxRadiusFor(100, 0.8), 178 * 0.8);
}

TEST(LauncherPanelGeometry, ClampedOriginKeepsTheRingInsideTheAvailableArea) {
    const QRectF visible(0, 30, 1600, 1170); // a panel bar on top
    const QSizeF panel(1067, 1067);
    const double r = 300;
    struct Case {
        QPointF origin;
        QPointF expected;
    };
    const Case cases[] = {
        {{266.5, 66.5}, {266.5, 66.5}},               // already inside: unchanged
        {{500, -700}, {500, 30 + r - 533.5}},         // above the top: pushed down to touch it
        {{1000, 200}, {1600 - r - 533.5, 200}},       // past the right edge: pulled back
        {{-900, 900}, {r - 533.5, 1200 - r - 533.5}}, // bottom-left corner
    };
    for (const Case &c : cases) {
        const QPointF got = AppDelegate::clampedOrigin(c.origin, visible, panel, r);
        EXPECT_NEAR(got.x(), c.expected.x(), 1e-9) << c.origin.x() << "," << c.origin.y();
        EXPECT_NEAR(got.y(), c.expected.y(), 1e-9) << c.origin.x() << "," << c.origin.y();
    }
    // A ring larger than the area is centred on it.
    const QPointF centred = AppDelegate::clampedOrigin({5, 5}, QRectF(100, 0, 400, 300), panel, r);
    EXPECT_DOUBLE_EQ(centred.x(), 300 - 533.5);
    EXPECT_DOUBLE_EQ(centred.y(), 150 - 533.5);
}

TEST(LauncherPanelGeometry, PlacementCentredOrAtTheHotCorner) {
    // The second of two screens side by side, with a 32-point bar at its top.
    const QRectF frame(1920, 0, 1600, 1200);
    const QRectF visible(1920, 32, 1600, 1168);
    const QPointF centred = AppDelegate::placement(LaunchSource::centered, frame, visible, 1067, 300);
    EXPECT_DOUBLE_EQ(centred.x(), 1920 + 266.5);
    EXPECT_DOUBLE_EQ(centred.y(), 66.5) << "centred on the whole screen, not the available area";
    const QPointF corner = AppDelegate::placement(LaunchSource::hotCorner, frame, visible, 1067, 300);
    // The ring's centre sits one outer radius in from the right edge and below the bar.
    EXPECT_DOUBLE_EQ(corner.x() + 533.5, 3520 - 300);
    EXPECT_DOUBLE_EQ(corner.y() + 533.5, 32 + 300);
}

class OuterRadiusTest : public RingViewTest {};

TEST_F(OuterRadiusTest, OuterRadiusFromTheStore) {
    auto apps = [](int n) {
        QList<AppItem> items;
        for (int i = 0; i < n; ++i)
            items.append(app(QStringLiteral("e%1").arg(i)));
        return items;
    };
    struct Case {
        int items;
        int lists;
        bool openGroup;
        double expected;
    };
    const Case cases[] = {{12, 1, false, 313.96}, {5, 1, false, 247.5}, {1, 1, false, 247.5},
                          {0, 1, false, 247.5},   {5, 8, false, 302.5}, {5, 8, true, 247.5}};
    for (const Case &c : cases) {
        QList<AppItem> items = apps(c.items);
        const AppItem g = group(QStringLiteral("G"), apps(5));
        if (c.openGroup)
            items.append(g);
        QList<AppList> lists{list(QStringLiteral("Main"), items)};
        for (int i = 1; i < c.lists; ++i)
            lists.append(list(QStringLiteral("L%1").arg(i), {}));
        start(lists);
        if (c.openGroup)
            state->openSubList(g.id);
        AppDelegate shell(state.get());
        EXPECT_NEAR(shell.currentRingOuterRadius(), c.expected, 0.01)
            << c.items << " items, " << c.lists << " lists, group open " << c.openGroup;
    }
}

// The hover label.

TEST(HoverLabel, TextSizeAndPlaceFollowTheScale) {
    struct Case {
        double scale;
        int pixelSize;    // the ring's points are logical pixels
        double aboveTile; // gap between the label's centre and the icon tile's top edge
    };
    const Case cases[] = {{1.0, 13, 15}, {1.4, 18, 21}, {0.8, 10, 12}};
    for (const Case &c : cases) {
        EXPECT_EQ(HoverLabelView::font(c.scale).pixelSize(), c.pixelSize) << c.scale;
        const double iconSize = RingGeometry::iconSize(c.scale);
        const QPointF at = HoverLabelView::anchor({30, 100}, iconSize, c.scale);
        EXPECT_DOUBLE_EQ(at.x(), 30);
        EXPECT_NEAR(100 - iconSize / 2 - at.y(), c.aboveTile, 1e-9) << c.scale;
    }
}

TEST(HoverLabel, ShownOnlyForAnEnabledNamedIconOnTheRing) {
    const QUuid onRing = QUuid::createUuid();
    const QUuid elsewhere = QUuid::createUuid();
    const QHash<QUuid, QPointF> positions{{onRing, QPointF(-178, 0)}};
    const QString name = QStringLiteral("Mail");
    struct Case {
        std::optional<QString> name;
        std::optional<QUuid> id;
        bool enabled;
        bool shown;
    };
    const Case cases[] = {
        {name, onRing, true, true},          // an icon under the pointer
        {name, onRing, false, false},        // a drag is running
        {std::nullopt, onRing, true, false}, // the name was cleared (a group opened)
        {name, elsewhere, true, false},      // an id from the list shown before
        {name, std::nullopt, true, false},
    };
    for (const Case &c : cases) {
        HoverLabelView label;
        label.update({c.name, c.id, positions, 87, 1, c.enabled});
        EXPECT_EQ(label.shownName().has_value(), c.shown);
    }
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
    const QString folder = sandbox.makeFolder(QStringLiteral("stuff"));
    const QString text = sandbox.writeFile(QStringLiteral("notes.txt"), "hello");

    GioWorkspace gio;
    EXPECT_EQ(gio.iconName(withIcon), QStringLiteral("utilities-terminal"));
    EXPECT_EQ(gio.iconName(without), QString());
    EXPECT_EQ(gio.iconName(text), QString());
    EXPECT_EQ(gio.iconName(sandbox.home() + QStringLiteral("/missing.desktop")), QString());

    const QString app = QStringLiteral("application-x-executable");
    struct Case {
        const Workspace *workspace;
        QString path;
        QString expected;
    };
    const Case cases[] = {
        {&gio, withIcon, QStringLiteral("utilities-terminal")},
        {&gio, without, app},     // no Icon key: still an application
        {nullptr, withIcon, app}, // no desktop to ask
        {&gio, folder, QStringLiteral("folder")},
        {&gio, text, QStringLiteral("text-plain")},
    };
    for (const Case &c : cases) {
        FileIcons::setWorkspace(c.workspace);
        const QString name = FileIcons::iconNameForPath(c.path);
        if (c.expected == u"text-plain")
            EXPECT_NE(name, app) << "a document shows its type's icon";
        else
            EXPECT_EQ(name, c.expected) << c.path.toStdString();
    }
    FileIcons::setWorkspace(nullptr);
}

} // namespace
