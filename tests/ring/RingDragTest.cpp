#include "RecordingRingStore.h"

#include "ring/Clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>

namespace {

using Action = RingRelease::Action;
constexpr double pi = std::numbers::pi;
const QStringList reorderCalls{"withCurrentItems", "save"};

bool same(QPointF a, QPointF b) {
    return std::hypot(a.x() - b.x(), a.y() - b.y()) < 1e-9;
}

// Eight plain items A..H on a ring of radius 178 (scale 1): neighbours are 136.2 apart, capture is
// 49.04 and keep 64.03. A sits at 9 o'clock, C at 12.
class RingDragTest : public ::testing::Test {
  protected:
    void SetUp() override { store.fill(8); }

    QPointF slot(int index) const { return drag.geometry().iconPosition(index); }
    static QPointF atAngle(double angle, double radius) {
        return {radius * std::cos(angle), radius * std::sin(angle)};
    }
    // A point straight outwards from the icon at index, distance away from its centre.
    QPointF outward(int index, double distance) const {
        const QPointF p = slot(index);
        return p * ((std::hypot(p.x(), p.y()) + distance) / std::hypot(p.x(), p.y()));
    }
    // Presses the icon at index and moves past the drag threshold; the icon stays on its slot.
    void startDrag(int index) {
        const QPointF at = slot(index) + QPointF(10, 4);
        drag.press(store.items[index].id, index, at);
        drag.pointerMoved(at + QPointF(0, 6));
        ASSERT_TRUE(drag.isDragging());
    }
    void moveIcon(QPointF centre) { drag.pointerMoved(centre + drag.grabOffset()); }
    // One pointer event 16 ms after the last one.
    void step(QPointF centre) {
        clock.advance(16);
        moveIcon(centre);
    }
    // A drag from A that jumps onto `centre` and then stays there without further events.
    void dragOnto(QPointF centre, qint64 hold) {
        startDrag(0);
        step(centre);
        clock.advance(hold);
    }
    // Moves the icon back and forth by a point every 10 ms: a hand at rest.
    void rest(QPointF centre, qint64 ms) {
        for (qint64 t = 10; t <= ms; t += 10) {
            clock.advance(10);
            moveIcon(centre + QPointF(t % 20 ? 1 : -1, 0));
        }
    }
    // Moves the icon 14 points back and forth every 16 ms: never at rest.
    void keepMoving(QPointF centre, qint64 ms) {
        for (qint64 t = 16; t <= ms; t += 16)
            step(centre + QPointF(t % 32 ? 7 : -7, 0));
    }
    QString shown() const { return RecordingRingStore::names(drag.displayedOrder()); }
    QString stored() const { return RecordingRingStore::names(store.items); }
    QUuid id(const char *name) const { return store.named(QLatin1String(name)).id; }

    ManualClock clock;
    RecordingRingStore store;
    RingDrag drag{store, clock};
};

TEST_F(RingDragTest, PressBecomesADragAfterFivePointsOfTravel) {
    for (const double travel : {0.0, 4.9, 5.0, 30.0}) {
        const bool drags = travel >= 5;
        const QPointF press = slot(2) + QPointF(-3, 8);
        drag.press(id("C"), 2, press);
        drag.pointerMoved(press + QPointF(0, travel));
        EXPECT_EQ(drag.isDragging(), drags) << travel;
        if (drags) {
            // The icon keeps the offset the pointer had at the press: it follows a quick flick at once.
            EXPECT_TRUE(same(drag.grabOffset(), press - slot(2)));
            EXPECT_TRUE(same(drag.dragPoint(), slot(2) + QPointF(0, travel)));
        }
        const RingRelease r = drag.release();
        EXPECT_EQ(r.action, drags ? Action::nothing : Action::click) << travel;
        EXPECT_EQ(r.itemID, id("C"));
    }
    EXPECT_TRUE(store.calls.isEmpty());

    // The stored slot wins over the view's stale index; an unknown id keeps the view's.
    for (const auto &[item, index, expected] : {std::tuple{id("C"), 5, 2}, {QUuid::createUuid(), 3, 3}}) {
        drag.press(item, index, slot(expected));
        drag.pointerMoved(slot(expected) + QPointF(8, 0));
        EXPECT_EQ(drag.dragStartIndex(), expected);
        EXPECT_TRUE(same(drag.dragPoint(), slot(expected) + QPointF(8, 0)));
        drag.cancel();
    }

    startDrag(0);
    drag.press(id("E"), 4, slot(4)); // a second press during a drag is ignored
    EXPECT_EQ(drag.release().itemID, id("A"));
}

TEST_F(RingDragTest, SweepAcrossSlotsShowsNoOrderUntilOneProposalLasts200ms) {
    startDrag(0);
    // Outside the ring, 89 points from any icon: no merge can interfere. 15 steps of 10 ms sweep from
    // slot 0 to slot 3, which is first proposed at step 13.
    const double far = 1.5 * drag.geometry().radius();
    qint64 slot3Since = 0;
    for (int k = 1; k <= 15; ++k) {
        clock.advance(10);
        moveIcon(atAngle(-pi + 0.75 * pi * k / 15, far));
        EXPECT_FALSE(drag.liveOrder()) << "step " << k;
        if (!slot3Since && drag.pendingOrder() &&
            RecordingRingStore::names(*drag.pendingOrder()) == u"BCDAEFGH")
            slot3Since = clock.nowMs();
    }
    ASSERT_EQ(slot3Since, clock.nowMs() - 20);
    // Keep moving within slot 3: the order appears exactly 200 ms after it was first proposed.
    const double end = -pi + 0.75 * pi;
    for (int k = 1; clock.nowMs() < slot3Since + 190; ++k) {
        clock.advance(10);
        moveIcon(atAngle(end, far + (k % 2) * 20));
    }
    EXPECT_FALSE(drag.liveOrder());
    clock.advance(10);
    moveIcon(atAngle(end, far));
    ASSERT_TRUE(drag.liveOrder());
    EXPECT_EQ(shown(), u"BCDAEFGH");
}

TEST_F(RingDragTest, HeldSlotIsShownWithoutFurtherEvents) {
    dragOnto(atAngle(-pi / 2, 1.5 * drag.geometry().radius()), 199); // over slot 2, then the hand stops
    ASSERT_TRUE(drag.pendingOrder());
    EXPECT_FALSE(drag.liveOrder());
    clock.advance(1);
    EXPECT_EQ(shown(), u"BCADEFGH");
    const RingRelease r = drag.release();
    EXPECT_EQ(r.action, Action::reordered);
    EXPECT_TRUE(r.playSound);
    EXPECT_EQ(store.calls, reorderCalls);
    EXPECT_EQ(stored(), u"BCADEFGH");
}

TEST_F(RingDragTest, MovingPointerOverAnIconReordersAndNeverMerges) {
    startDrag(0);
    for (qint64 t = 16; t <= 600; t += 16) {
        step(slot(2) + QPointF(t % 32 ? 7 : -7, 0)); // 14 points every 16 ms, right over C
        ASSERT_FALSE(drag.hoverCandidateID() || drag.isMergeArmed()) << t;
    }
    EXPECT_EQ(shown(), u"BCADEFGH");
}

TEST_F(RingDragTest, SettledPointerInsideCaptureArmsTheMergeWithoutMoreEvents) {
    dragOnto(slot(1) + QPointF(5, 5), 89); // one jump onto B, then not a single event more
    EXPECT_FALSE(drag.hoverCandidateID());
    clock.advance(1);
    ASSERT_EQ(drag.hoverCandidateID(), id("B"));
    EXPECT_FALSE(drag.liveOrder());
    EXPECT_TRUE(drag.showsDropSlot());
    clock.advance(159);
    EXPECT_FALSE(drag.isMergeArmed());
    clock.advance(1); // 160 ms after the candidate was taken
    EXPECT_EQ(drag.dropTargetItemID(), id("B"));
    EXPECT_FALSE(drag.showsDropSlot());
    const RingRelease r = drag.release();
    EXPECT_EQ(r.action, Action::merged);
    EXPECT_TRUE(r.newGroupID);
    EXPECT_TRUE(r.playSound);
    EXPECT_EQ(store.calls, QStringList({"mergeIntoNewGroup B A"}));
}

TEST_F(RingDragTest, QuickMoveOntoAnIconThenHoldMergesThoughItsSlotWasProposedFirst) {
    // 16 events over 256 ms from A's slot onto B: B's slot is proposed half-way, 128 ms before the
    // pointer stops, so the proposal comes of age before the pause does.
    for (const qint64 hold : {130, 250, 450}) {
        store.calls.clear();
        startDrag(0);
        for (int k = 1; k <= 16; ++k)
            step(slot(0) + (slot(1) - slot(0)) * (k / 16.0));
        clock.advance(hold);
        EXPECT_FALSE(drag.liveOrder()) << hold;
        EXPECT_EQ(drag.isMergeArmed(), hold >= 250) << hold;
        EXPECT_EQ(drag.release().action, Action::merged) << hold;
        EXPECT_EQ(store.calls, QStringList({"mergeIntoNewGroup B A"})) << hold;
        store.fill(8);
    }
}

TEST_F(RingDragTest, SettledDistanceDecidesBetweenMergeBandAndReorder) {
    const struct {
        double distance;
        bool merges, reorders;
    } cases[] = {
        {30, true, false},  // inside capture
        {56, false, false}, // between capture and keep: nothing moves, nothing merges
        {75, false, true},  // beyond keep: the slot is taken over
    };
    for (const auto &c : cases) {
        startDrag(0);
        step(outward(1, c.distance));
        rest(outward(1, c.distance), 1000);
        EXPECT_EQ(drag.isMergeArmed(), c.merges) << c.distance;
        EXPECT_EQ(drag.liveOrder().has_value(), c.reorders) << c.distance;
        EXPECT_FALSE(drag.pendingOrder()) << c.distance;
        drag.cancel();
    }
}

TEST_F(RingDragTest, CandidateIsHeldInsideKeepAndDroppedBeyondIt) {
    dragOnto(outward(1, 20), 300);
    ASSERT_TRUE(drag.isMergeArmed());
    step(outward(1, 60)); // a moving pointer inside keep keeps the armed candidate
    EXPECT_EQ(drag.dropTargetItemID(), id("B"));
    EXPECT_FALSE(drag.pendingOrder());
    step(outward(1, 70));
    EXPECT_FALSE(drag.hoverCandidateID());
    EXPECT_FALSE(drag.isMergeArmed());
    EXPECT_TRUE(drag.pendingOrder()); // reordering resumes
}

TEST_F(RingDragTest, ReleaseNearACandidate) {
    const struct {
        double distance;
        qint64 hold;
        bool merges;
    } cases[] = {
        {20, 120, true},  // candidate taken, dwell not complete: merges anyway
        {20, 40, false},  // not at rest long enough for a candidate
        {56, 400, false}, // in the band: never a candidate
    };
    for (const auto &c : cases) {
        store.calls.clear();
        dragOnto(outward(1, c.distance), c.hold);
        const RingRelease r = drag.release();
        EXPECT_EQ(r.action, c.merges ? Action::merged : Action::nothing) << c.distance << " " << c.hold;
        EXPECT_EQ(store.calls, c.merges ? QStringList{"mergeIntoNewGroup B A"} : QStringList{});
        EXPECT_EQ(r.playSound, c.merges);
    }
}

TEST_F(RingDragTest, MergeArmsWithinAQuarterSecondDespitePointerJitter) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-3, 3);
    const auto jittered = [&] { return slot(1) + QPointF(noise(random), noise(random)); };
    startDrag(0);
    step(jittered());
    const qint64 arrived = clock.nowMs();
    while (clock.nowMs() + 16 <= arrived + 250)
        step(jittered());
    clock.advance(arrived + 250 - clock.nowMs());
    EXPECT_EQ(drag.dropTargetItemID(), id("B"));
    EXPECT_EQ(drag.release().action, Action::merged);
}

TEST_F(RingDragTest, GroupsAndEntriesOfAnOpenGroupAreOnlyReordered) {
    const struct {
        const char *groups;
        bool insideGroup;
    } cases[] = {{"A", false}, {"AB", false}, {"", true}};
    for (const auto &c : cases) {
        store.fill(8, QLatin1String(c.groups));
        store.openGroup = c.insideGroup ? std::optional(QUuid::createUuid()) : std::nullopt;
        store.calls.clear();
        dragOnto(slot(1), 1000);
        EXPECT_FALSE(drag.hoverCandidateID()) << c.groups;
        EXPECT_FALSE(drag.dropTargetGroupID()) << c.groups;
        EXPECT_EQ(shown(), u"BACDEFGH") << c.groups;
        EXPECT_EQ(drag.release().action, Action::reordered);
        EXPECT_EQ(store.calls, reorderCalls);
    }
}

TEST_F(RingDragTest, GroupIconTakesAPlainItemWithinReach) {
    store.fill(8, QStringLiteral("B"));
    startDrag(0);
    step(outward(1, 70)); // within 0.9 × 87 = 78.3: a target at once, no dwell
    EXPECT_EQ(drag.dropTargetGroupID(), id("B"));
    EXPECT_FALSE(drag.showsDropSlot());
    step(outward(1, 90)); // out of reach but inside the half-slot: no target, and the ring holds still
    step(outward(1, 100));
    clock.advance(500);
    EXPECT_FALSE(drag.dropTargetGroupID());
    EXPECT_FALSE(drag.pendingOrder());
    EXPECT_FALSE(drag.liveOrder());
    step(outward(1, 20));
    const RingRelease r = drag.release();
    EXPECT_EQ(r.action, Action::movedIntoGroup);
    EXPECT_TRUE(r.playSound);
    EXPECT_EQ(store.calls, QStringList({"moveItemToSubList A B"}));
}

TEST_F(RingDragTest, WithTwoItemsAGroupCoversHalfTheRing) {
    store.fill(2, QStringLiteral("B")); // A at 9 o'clock, group B at 3 o'clock
    startDrag(0);
    const double far = 2 * drag.geometry().radius();
    step(atAngle(-pi / 2 + 0.05, far)); // just right of 12 o'clock: B's half-slot
    EXPECT_FALSE(drag.pendingOrder());
    step(atAngle(-pi / 2 - 0.05, far)); // just left of it: A's own slot, the order stays
    EXPECT_FALSE(drag.pendingOrder());
    step(atAngle(-pi, far));
    EXPECT_FALSE(drag.dropTargetGroupID());
}

TEST_F(RingDragTest, StaleDwellCheckDoesNothing) {
    dragOnto(slot(1), 90);
    ASSERT_EQ(drag.hoverCandidateID(), id("B"));
    const qint64 taken = clock.nowMs(); // its dwell check is due at taken + 160
    clock.advance(10);
    moveIcon(outward(1, 80)); // candidate lost
    clock.advance(10);
    moveIcon(slot(1)); // back, and at rest again: a new candidate at taken + 110
    clock.advance(taken + 160 - clock.nowMs());
    EXPECT_EQ(drag.hoverCandidateID(), id("B"));
    EXPECT_FALSE(drag.isMergeArmed());
    clock.advance(109);
    EXPECT_FALSE(drag.isMergeArmed());
    clock.advance(1);
    EXPECT_TRUE(drag.isMergeArmed());
    drag.cancel();

    // A check left over from a finished drag does not arm the next one.
    dragOnto(slot(1), 100);
    drag.cancel();
    dragOnto(outward(1, 56), 200);
    EXPECT_FALSE(drag.isMergeArmed());
    EXPECT_FALSE(drag.hoverCandidateID());
}

TEST_F(RingDragTest, DropStoresOnlyAShownOrder) {
    startDrag(0);
    keepMoving(atAngle(-pi / 2, 300), 150); // proposed, never shown
    ASSERT_TRUE(drag.pendingOrder());
    RingRelease r = drag.release();
    EXPECT_EQ(r.action, Action::nothing);
    EXPECT_FALSE(r.playSound);
    EXPECT_TRUE(store.calls.isEmpty());

    // Once an order was shown, it is stored even when it is the order the drag began with.
    startDrag(0);
    keepMoving(atAngle(-pi / 2, 300), 250);
    ASSERT_EQ(shown(), u"BCADEFGH");
    keepMoving(atAngle(-pi, 300), 250);
    ASSERT_EQ(shown(), u"ABCDEFGH");
    r = drag.release();
    EXPECT_EQ(r.action, Action::reordered);
    EXPECT_TRUE(r.playSound);
    EXPECT_EQ(store.calls, reorderCalls);
}

TEST_F(RingDragTest, ARefusedOrSilentMergeMakesNoSound) {
    for (const bool refuse : {false, true}) {
        store.sounds = refuse; // a refused merge stays silent even with sounds on
        store.refuseMerge = refuse;
        dragOnto(slot(1), 300);
        const RingRelease r = drag.release();
        EXPECT_EQ(r.action, refuse ? Action::nothing : Action::merged);
        EXPECT_EQ(r.newGroupID.has_value(), !refuse) << "a refused merge asks for no name";
        EXPECT_FALSE(r.playSound);
    }
}

TEST_F(RingDragTest, StoreChangedUnderTheDrag) {
    const struct {
        const char *name;
        std::function<void(RecordingRingStore &)> change;
        Action action;
        QStringList calls;
        const char *stored;
    } cases[] = {
        {"no lists: only saved", [](auto &s) { s.lists = 0; }, Action::reordered, {"save"}, "ABCDEFGH"},
        {"renamed: the fresh entry is kept", [](auto &s) { s.items[1].name = QStringLiteral("b"); },
         Action::reordered, reorderCalls, "bCADEFGH"},
        {"added: not overwritten",
         [](auto &s) { s.items.append(RecordingRingStore::item("X")); },
         Action::nothing,
         {},
         "ABCDEFGHX"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        store.fill(8);
        store.lists = 1;
        startDrag(0);
        keepMoving(atAngle(-pi / 2, 300), 250);
        ASSERT_EQ(shown(), u"BCADEFGH");
        c.change(store);
        store.calls.clear();
        const RingRelease r = drag.release();
        EXPECT_EQ(r.action, c.action);
        EXPECT_EQ(r.playSound, c.action != Action::nothing);
        EXPECT_EQ(store.calls, c.calls);
        EXPECT_EQ(stored(), QLatin1String(c.stored));
    }
}

TEST_F(RingDragTest, RemovingTheDraggedItemAbandonsTheDrag) {
    dragOnto(slot(1), 300);
    ASSERT_TRUE(drag.isMergeArmed());
    drag.itemRemoved(id("A"));
    EXPECT_FALSE(drag.isDragging());
    EXPECT_FALSE(drag.isMergeArmed());
    EXPECT_EQ(drag.release().action, Action::nothing);
    EXPECT_TRUE(store.calls.isEmpty());
}

TEST(RingDragOrder, CandidateOrderPlacesTheItemAtTheNearestSlot) {
    RecordingRingStore store;
    store.fill(4); // slots at -π (left), -π/2 (top), 0 (right), π/2 (bottom)
    const QUuid a = store.items[0].id;
    const std::pair<double, const char *> cases[] = {
        {-pi, "ABCD"},
        {-pi / 2, "BACD"},
        {0, "BCAD"},
        {pi / 2, "BCDA"},
        {-3 * pi / 4, "BACD"}, // half-way goes to the higher slot
        {-3 * pi / 4 - 0.01, "ABCD"},
        {3 * pi / 4, "ABCD"}, // half-way past the last slot wraps to 0
        {pi, "ABCD"},
        {3 * pi / 4 - 0.01, "BCDA"},
    };
    for (const auto &[angle, order] : cases) {
        const auto got = RingDrag::candidateOrder(store.items, a, angle);
        ASSERT_TRUE(got) << angle;
        EXPECT_EQ(RecordingRingStore::names(*got), QLatin1String(order)) << angle;
    }
    EXPECT_FALSE(RingDrag::candidateOrder(store.items, QUuid::createUuid(), 0));
    EXPECT_FALSE(RingDrag::candidateOrder({}, a, 0));

    // Every copy of the dragged id goes and the item is put back once; slots count the stored entries
    // (5 here, so 3 o'clock is slot 3, capped at the 3 that remain).
    QList<AppItem> twice = store.items;
    twice.append(twice[0]);
    EXPECT_EQ(RecordingRingStore::names(*RingDrag::candidateOrder(twice, a, 0)), u"BCDA");

    EXPECT_EQ(RingDrag::ringPoint(QPointF(533.5, 533.5), 1067), QPointF(0, 0));
    EXPECT_EQ(RingDrag::ringPoint(QPointF(0, 1067), 1067), QPointF(-533.5, 533.5));
}

} // namespace
