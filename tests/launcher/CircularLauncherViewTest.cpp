#include "LauncherFixture.h"
#include "l10n/L.h"
#include "platform/linux/GioWorkspace.h"
#include "store/MoveDestinations.h"
#include "support/QuietWindows.h"
#include "views/AppIconPainter.h"
#include "views/FileIcons.h"
#include "views/NamePrompt.h"

#include <QLabel>
#include <QLineEdit>
#include <QLineF>

namespace {

struct RingViewTest : LauncherFixture {
    void startWithGroup(bool soundsOn = true) { start({list("Main", {app("A"), group("G")})}, 0, soundsOn); }
    double iconSize() const {
        return RingGeometry::iconSize(RingGeometry::effectiveScale(sandbox.preferences().launcherScale()));
    }
    // An entry's frame (image and name capsule), in widget coordinates.
    QRectF frameOf(const AppItem &entry) const {
        const QPointF origin =
            *view->itemCentre(entry.id) - AppIconPainter::imageRect(entry, iconSize()).center();
        return {origin, AppIconPainter::frameSize(entry, iconSize())};
    }
    void startDrag(const QUuid &id) {
        mouse(QEvent::MouseButtonPress, *view->itemCentre(id));
        mouse(QEvent::MouseMove, *view->itemCentre(id) + QPointF(0, 12));
    }
    // Drags the entry at from onto the one at onto, rests there until the merge is armed and lets go.
    void dropOnto(int from, int onto) {
        const QPointF target = *view->itemCentre(item(onto).id);
        startDrag(item(from).id);
        mouse(QEvent::MouseMove, target);
        clock.advance(120); // past the pause, then the merge dwell
        mouse(QEvent::MouseMove, target + QPointF(1, 0));
        clock.advance(200);
        mouse(QEvent::MouseButtonRelease, target, Qt::NoButton);
    }
};

TEST_F(RingViewTest, EmptySpaceStepsOutOfTheGroupThenDismissesButNotDuringADrag) {
    startWithGroup();
    state->openSubList(item(1).id);
    startDrag(state->currentItems()[0].id);
    view->backOrDismiss();
    EXPECT_TRUE(state->openSubListID()) << "back during a drag closed the group";
    mouse(QEvent::MouseButtonRelease, view->ringCentre(), Qt::NoButton);
    click({8, 8}); // the panel's empty margin
    EXPECT_FALSE(state->openSubListID());
    click(view->ringCentre()); // the hole, outside every entry
    EXPECT_EQ(host.dismissals, 1) << "the first step back only closes the group";
}

TEST_F(RingViewTest, ClickOpensAGroupOrDismissesAndLaunchesAfterTheFadeStarted) {
    for (const auto &[clickedGroup, soundsOn] : {std::pair{false, true}, {false, false}, {true, false}}) {
        SCOPED_TRACE(testing::Message() << "group " << clickedGroup << ", sounds " << soundsOn);
        startWithGroup(soundsOn);
        const AppItem target = item(clickedGroup ? 1 : 0);
        click(*view->itemCentre(target.id));
        EXPECT_EQ(host.sounds, soundsOn ? 1 : 0);
        EXPECT_EQ(state->openSubListID(), clickedGroup ? std::optional(target.id) : std::nullopt);
        EXPECT_EQ(host.dismissals, clickedGroup ? 0 : 1);
        if (!soundsOn)
            view.reset(); // the launch happens even when the view is gone
        clock.advance(CircularLauncherView::launchDelayMs - 1);
        EXPECT_TRUE(workspace.openedApplications.isEmpty()) << "launched before the panel began to hide";
        clock.advance(1000);
        EXPECT_EQ(workspace.openedApplications, clickedGroup ? QStringList() : QStringList{target.appPath});
    }
}

// At the top level: the other lists in list order, then every group, the active list's too; a group goes
// only to other lists. Inside an open group: every list (the active one takes it out), every other group.
TEST_F(RingViewTest, MoveDestinationsOfferListsFirstThenGroups) {
    const AppItem plain = app("x"), member = app("m"), g1 = group("G1", {member});
    start({list("H", {app("y"), group("G")}), list("A", {plain, g1}), list("C", {})}, 1);
    const auto labels = [&](const AppItem &entry) {
        QStringList result;
        for (const MoveDestination &d : MoveDestinations::forRingEntry(*state, entry))
            result.append((d.isGroup ? "group " : "list ") + d.label);
        return result;
    };
    EXPECT_EQ(labels(plain), (QStringList{"list H", "list C", "group H › G", "group A › G1"}));
    EXPECT_EQ(labels(g1), (QStringList{"list H", "list C"}));
    MoveDestinations::move(*state, plain, MoveDestinations::forRingEntry(*state, plain)[2]);
    EXPECT_EQ(state->lists()[0].items[1].subItems->last().id, plain.id) << "not moved into H › G";
    state->openSubList(g1.id);
    EXPECT_EQ(labels(member), (QStringList{"list H", "list A", "list C", "group H › G"}));
}

// The drag reads the store's scale and sounds: a hold on B merges at every scale, and asks for a name. A list
// holds 1,000 entries, the group's members counted: a merging drop past that is refused whole, silently,
// and said over the ring (as every refused change is: the store's one signal).
TEST_F(RingViewTest, AMergeAsksForTheGroupsNameAndOneTheFullListRefusesIsSaid) {
    const std::tuple<std::optional<QString>, double, int> cases[] = {
        {"Tools", 1.0, 0}, {std::nullopt, 1.4, 0}, {"Tools", 1.0, 996}}; // the answer, the scale, G's members
    for (const auto &[answer, scale, members] : cases) {
        SCOPED_TRACE(testing::Message() << scale << " " << members);
        start({list("Main", {app("A"), app("B"), app("C"), group("G", numbered(members))})}, 0, scale == 1.0,
              scale);
        view->setGroupNamePrompt([&](const QUuid &) { return answer; });
        const auto *notice = view->findChild<QLabel *>("ringNotice");
        ASSERT_TRUE(notice && notice->isHidden());
        dropOnto(0, 1);
        QCoreApplication::processEvents(); // the prompt runs after the release event
        EXPECT_EQ(state->currentItems().size(), members ? 4 : 3);
        EXPECT_EQ(item(0).name, members ? "A" : answer.value_or("Group"));
        EXPECT_EQ(host.sounds, scale == 1.0 && !members ? 1 : 0);
        EXPECT_EQ(notice->isHidden() ? QString() : notice->text(), members ? L::listFull() : QString());
    }
}

// Entries sit clockwise from nine o'clock, centred by their whole frame. Only a click on a group's name waits
// for a double click, which renames the group instead of opening it.
TEST_F(RingViewTest, EntriesAreCentredByTheirFrameAndADoubleClickOnAGroupsNameRenamesIt) {
    const QuietWindows offscreen;
    start({list("Main", {app("A"), group("Games"), app("C"), app("D")})});
    const double r = RingGeometry::forStore(*state, 1.0).radius();
    const QPointF expected[] = {{-r, 0}, {0, -r}, {r, 0}, {0, r}};
    for (int i = 0; i < 4; ++i)
        EXPECT_LT(QLineF(frameOf(item(i)).center() - view->ringCentre(), expected[i]).length(), 0.01) << i;
    const QPointF capsule =
        frameOf(item(1)).topLeft() + AppIconPainter::capsuleRect(item(1), iconSize()).center();
    click(capsule);
    EXPECT_FALSE(state->openSubListID()) << "opened without waiting";
    mouse(QEvent::MouseButtonDblClick, capsule);
    mouse(QEvent::MouseButtonRelease, capsule, Qt::NoButton);
    auto *prompt = view->findChild<NamePrompt *>();
    ASSERT_NE(prompt, nullptr);
    prompt->field()->setText("Tools");
    prompt->accept();
    clock.advance(5000);
    EXPECT_EQ(item(1).name, "Tools");
    EXPECT_FALSE(state->openSubListID()) << "the double click opened it";
}

// A big list costs the budget of entry pixmaps, not a pixmap per entry; a small ring is all pixmaps, and
// the pixmaps of a list no longer shown go, and entries that look alike share one.
TEST_F(RingViewTest, EntryPixmapsStayWithinTheirBudget) {
    AppItem twin = app("A");
    twin.name = "Another A"; // the same image; an application shows no name
    start({list("Big", numbered(300)), list("Small", {app("A"), twin, app("B")})}, 0, true, 1.4);
    const RingPainter &painter = view->painter();
    (void)view->renderFrame(2.0);
    EXPECT_LE(painter.tileBytes(), RingPainter::tileBudgetBytes);
    state->switchToList(1);
    view->finishAnimations();
    (void)view->renderFrame(2.0);
    EXPECT_EQ(painter.tileCount(), 2);
}

// What --screenshot writes is what the view shows: the scene's transform must not move the centre and the
// pencil. Compared in 8×8 blocks, as the centre's text may land a pixel apart.
TEST_F(RingViewTest, RenderedFrameMatchesTheShownView) {
    startWithGroup();
    view->finishAnimations();
    const auto coarse = [](const QImage &image) {
        return image.convertToFormat(QImage::Format_ARGB32)
            .scaled(image.size() / 8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const QImage frame = coarse(view->renderFrame(1.0)), expected = coarse(view->grab().toImage());
    int differing = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb a = frame.pixel(x, y), b = expected.pixel(x, y);
            differing += std::abs(qGray(a) - qGray(b)) + std::abs(qAlpha(a) - qAlpha(b)) > 32;
        }
    EXPECT_EQ(differing, 0);
}

TEST(EntryIcons, DesktopEntriesShowTheirIconOrAnApplicationIcon) {
    Sandbox sandbox;
    const QByteArray entry = "[Desktop Entry]\nType=Application\nName=X\nExec=/bin/true\n";
    const QString with = sandbox.writeFile("with.desktop", entry + "Icon=utilities-terminal\n"),
                  executable = "application-x-executable";
    GioWorkspace gio;
    const std::tuple<const Workspace *, QString, QString> cases[] = {
        {&gio, with, "utilities-terminal"},
        {nullptr, with, executable},                                     // no desktop to ask
        {&gio, sandbox.writeFile("without.desktop", entry), executable}, // no Icon key: still an application
    };
    for (const auto &[workspace, path, expected] : cases) {
        FileIcons::setWorkspace(workspace);
        EXPECT_EQ(FileIcons::iconNameForPath(path), expected) << path.toStdString();
    }
    FileIcons::setWorkspace(nullptr);
}

} // namespace
