#include "ring/RingDrag.h"
#include "support/Entries.h"
#include "support/ManualClock.h"

#include <QLineF>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

namespace {

using Action = RingRelease::Action;
constexpr double pi = std::numbers::pi;
const QStringList reorderCalls{"withCurrentItems", "save"};
const QStringList mergeBA{"mergeIntoNewGroup B A"};

QString names(const QList<AppItem> &items) {
    QString text;
    for (const AppItem &it : items)
        text += it.name;
    return text;
}

// The ring's content in memory; every store operation the drag calls is recorded by item names.
struct RecordingStore : RingDragStore {
    QList<AppItem> items;
    int lists = 1;
    std::optional<QUuid> openGroup;
    bool refuseMerge = false;
    QStringList calls;

    // Plain items named A, B, C...; the names in groups are groups, and a + puts them all in an open group.
    // Forgets earlier calls.
    void fill(int count, const QString &groups = {}) {
        items.clear();
        calls.clear();
        lists = 1;
        openGroup = groups.contains(u'+') ? std::optional(QUuid::createUuid()) : std::nullopt;
        for (const QChar name : QStringLiteral("ABCDEFGH").first(count))
            items.append(groups.contains(name) ? entries::group(name, {}) : entries::app(name));
    }
    QString nameOf(const QUuid &id) const {
        const auto it = std::ranges::find(items, id, &AppItem::id);
        return it == items.end() ? QStringLiteral("?") : it->name;
    }
    QList<AppItem> currentItems() const override { return items; }
    int listCount() const override { return lists; }
    std::optional<QUuid> openSubListID() const override { return openGroup; }
    double launcherScale() const override { return 1; }
    bool soundsEnabled() const override { return true; }
    void moveItemToSubList(const QUuid &item, const QUuid &group) override {
        calls << "moveItemToSubList " + nameOf(item) + u' ' + nameOf(group);
    }
    std::optional<QUuid> mergeIntoNewGroup(const QUuid &target, const QUuid &dragged) override {
        calls << "mergeIntoNewGroup " + nameOf(target) + u' ' + nameOf(dragged);
        return refuseMerge ? std::nullopt : std::optional(QUuid::createUuid());
    }
    bool withCurrentItems(const std::function<void(QList<AppItem> &)> &change) override {
        calls << QStringLiteral("withCurrentItems");
        if (lists > 0)
            change(items);
        return lists > 0;
    }
    bool save() override {
        calls << QStringLiteral("save");
        return true;
    }
};

// Eight plain items A..H on a ring of radius 178 (scale 1): neighbours are 136.2 apart, capture is
// 49.04 and keep 64.03. A sits at 9 o'clock, C at 12.
struct RingDragTest : ::testing::Test {
    void SetUp() override { store.fill(8); }

    QPointF slot(int index) const { return drag.geometry().iconPosition(index); }
    // Outside the ring at angle, 89 points or more from any icon.
    static QPointF far(double angle, double radius = 300) {
        return {radius * std::cos(angle), radius * std::sin(angle)};
    }
    // Straight outwards from the icon at index, distance away from its centre.
    QPointF outward(int index, double distance) const {
        const QPointF p = slot(index);
        return p * (1 + distance / std::hypot(p.x(), p.y()));
    }
    // Presses A and moves past the drag threshold; the icon stays on its slot.
    void startDrag() {
        const QPointF at = slot(0) + QPointF(10, 4);
        drag.press(store.items[0].id, 0, at);
        drag.pointerMoved(at + QPointF(0, 6));
        ASSERT_TRUE(drag.isDragging());
    }
    void moveIcon(QPointF centre) { drag.pointerMoved(centre + drag.grabOffset()); }
    void step(QPointF centre) {
        clock.advance(16);
        moveIcon(centre);
    }
    // A drag from A that jumps onto centre and then stays there without further events.
    void dragOnto(QPointF centre, qint64 hold) {
        startDrag();
        step(centre);
        clock.advance(hold);
    }
    // Back and forth by 2 × by points every `every` ms: a hand at rest (4, 10) or never at rest (7, 16).
    void wobble(QPointF centre, qint64 ms, double by = 7, qint64 every = 16) {
        for (qint64 t = every; t <= ms; t += every) {
            clock.advance(every);
            moveIcon(centre + QPointF(t % (2 * every) ? by : -by, 0));
        }
    }
    QString shown() const { return names(drag.displayedOrder()); }
    // What the drag holds: c a merge candidate, m the merge armed, g a group target, p a pending order, l a
    // shown one.
    std::string held() const {
        return std::string(drag.hoverCandidateID() ? "c" : "") + (drag.isMergeArmed() ? "m" : "") +
               (drag.dropTargetGroupID() ? "g" : "") + (drag.pendingOrder() ? "p" : "") +
               (drag.liveOrder() ? "l" : "");
    }
    QUuid id(char name) const { return store.items[name - 'A'].id; }
    // Lets go: the action, its sound, a new group for a merge only, and the store's calls.
    void expectRelease(Action action, const QStringList &calls, qint64 stillFor = 0) {
        const RingRelease r = drag.release(stillFor);
        EXPECT_EQ(r.action, action);
        EXPECT_EQ(r.playSound, action != Action::nothing);
        EXPECT_EQ(r.newGroupID.has_value(), action == Action::merged);
        EXPECT_EQ(store.calls, calls);
    }

    ManualClock clock;
    RecordingStore store;
    RingDrag drag{store, clock};
};

TEST_F(RingDragTest, PressBecomesADragAfterFivePointsOfTravel) {
    for (const double travel : {4.9, 5.0}) {
        const QPointF press = slot(2) + QPointF(-3, 8);
        drag.press(id('C'), 2, press);
        drag.pointerMoved(press + QPointF(0, travel));
        // the icon keeps the pointer's offset from the press
        EXPECT_TRUE(travel < 5 || QLineF(drag.dragPoint(), slot(2) + QPointF(0, travel)).length() < 1e-9);
        const RingRelease r = drag.release();
        EXPECT_EQ(r.action, travel >= 5 ? Action::nothing : Action::click) << travel;
        EXPECT_EQ(r.itemID, id('C'));
    }
    // The stored slot wins over the view's stale index; an unknown id keeps the view's.
    for (const auto &[item, index, expected] : {std::tuple{id('C'), 5, 2}, {QUuid::createUuid(), 3, 3}}) {
        drag.press(item, index, slot(expected));
        drag.pointerMoved(slot(expected) + QPointF(8, 0));
        EXPECT_EQ(drag.dragStartIndex(), expected);
        drag.cancel();
    }
    startDrag();
    drag.press(id('E'), 4, slot(4)); // a second press during a drag is ignored
    EXPECT_EQ(drag.release().itemID, id('A'));
}

// A sweep across slots shows nothing until one proposal has lasted 200 ms, events or none.
TEST_F(RingDragTest, AnOrderIsShownAndStoredOnceItsProposalLasts200ms) {
    startDrag();
    for (int k = 1; k <= 15; ++k) { // 10 ms steps from slot 0 to slot 3, which is first proposed at step 13
        clock.advance(10);
        moveIcon(far(-pi + 0.75 * pi * k / 15));
        EXPECT_FALSE(drag.liveOrder()) << k;
    }
    clock.advance(179); // then the hand stops: shown without further events
    EXPECT_EQ(held(), "p");
    clock.advance(1);
    EXPECT_EQ(shown(), u"BCDAEFGH");
    expectRelease(Action::reordered, reorderCalls);
    EXPECT_EQ(names(store.items), u"BCDAEFGH");
}

// Near B (capture 49, keep 64): a merge inside capture, nothing in the band, B's slot taken beyond keep; a
// pointer that never rests over B never merges and holds the order back until the release; a proposal
// released before it lasted 200 ms is not stored. Groups and the entries of an open group are only reordered.
TEST_F(RingDragTest, WhereThePointerRestsNearAnIconDecidesTheDrop) {
    // Distance from B, the hand's jitter there (0: no events after the jump, 7: never at rest), for how long,
    // the store refuses, the groups (see fill); what the drag holds then, what the release does. (Sounds
    // off: the ring view's merge.)
    const std::tuple<double, double, qint64, bool, const char *, const char *, Action> cases[] = {
        {30, 4, 1000, false, "", "cm", Action::merged},   {56, 4, 1000, false, "", "", Action::nothing},
        {75, 4, 1000, false, "", "l", Action::reordered}, {0, 7, 600, false, "", "p", Action::reordered},
        {20, 0, 120, false, "", "c", Action::merged},  // candidate taken, dwell not complete: merges anyway
        {20, 0, 40, false, "", "p", Action::nothing},  // not at rest long enough for a candidate
        {20, 0, 300, true, "", "cm", Action::nothing}, // refused by the store: silent, no name asked
        {0, 0, 1000, false, "A", "l", Action::reordered}, {0, 0, 1000, false, "+", "l", Action::reordered},
    };
    for (const auto &[distance, jitter, ms, refuse, groups, state, action] : cases) {
        SCOPED_TRACE(testing::Message() << distance << " " << jitter << " " << ms << " " << groups);
        store.fill(8, QLatin1String(groups));
        store.refuseMerge = refuse;
        startDrag();
        jitter > 0 ? wobble(outward(1, distance), ms, jitter, 10)
                   : (step(outward(1, distance)), clock.advance(ms));
        EXPECT_EQ(held(), state);
        const QStringList calls = action == Action::reordered ? reorderCalls : QStringList{};
        expectRelease(action, action == Action::merged || refuse ? mergeBA : calls);
    }
}

// From A along the ring onto B at a speed, then a rest: B never leaves its slot on the way (though at hand
// speed its slot was proposed long before the rest), and the rest merges whatever the speed. Events every 10
// ms, or all handled at once (a busy machine) with the rest known only from the events' own times. A hand
// that hesitates on B while passing (or input that stalls) takes B as a candidate, but moving on before the
// dwell is over starts the dwell again and lets go of B at capture: no merge.
TEST_F(RingDragTest, ApproachAtAnySpeedThenRestMergesAndAHesitationWhilePassingDoesNot) {
    // Points per second along the ring, where it stops past B's centre, ms between events, a pause on B's
    // centre on the way, the hold after the last, the rest the release reports, what it does.
    const std::tuple<double, double, qint64, qint64, qint64, qint64, Action> cases[] = {
        {50, 0, 10, 0, 800, 0, Action::merged},      {250, 30, 10, 0, 500, 0, Action::merged},
        {3000, 0, 10, 0, 300, 0, Action::merged},    {3000, 0, 0, 0, 0, 400, Action::merged},
        {250, 60, 10, 0, 300, 0, Action::reordered}, // passed clear of B: the reorder shows
        {250, 60, 10, 120, 300, 0, Action::nothing}, // a hesitation on B on the way: B let go, no merge
    };
    for (const auto &[speed, past, every, pause, hold, stillFor, action] : cases) {
        SCOPED_TRACE(testing::Message() << speed << " " << past << " " << pause << " " << hold);
        store.fill(8);
        startDrag();
        const double from = RingGeometry::slotAngle(0, 8), radius = std::hypot(slot(0).x(), slot(0).y());
        const double b = RingGeometry::slotAngle(1, 8), to = b + past / radius;
        const int steps = int(std::ceil((to - from) * radius / (speed / 100)));
        for (int k = 1; k <= steps; ++k) {
            clock.advance(every);
            moveIcon(far(from + (to - from) * k / steps, radius));
            if (pause > 0 && k == std::lround(steps * (b - from) / (to - from))) {
                clock.advance(pause);
                ASSERT_EQ(drag.hoverCandidateID(), id('B'));
            }
            ASSERT_EQ(drag.liveOrder().has_value(), past > 49 && shown() == u"BACDEFGH") << k;
        }
        clock.advance(hold);
        const bool merged = action == Action::merged, reordered = action == Action::reordered;
        expectRelease(action, merged ? mergeBA : reordered ? reorderCalls : QStringList(), stillFor);
        EXPECT_EQ(names(store.items), reordered ? u"BACDEFGH" : u"ABCDEFGH");
    }
}

// On a busy machine motion can wait behind a timer: the timer asks where the pointer is before it takes
// the last reported position for a rest.
TEST_F(RingDragTest, ATimerAsksWhereThePointerIsBeforeTakingARest) {
    std::optional<QPointF> real;
    drag.setPointerProbe([&] { return real; });
    startDrag();
    step(slot(1)); // onto B, and already back home by the window system's account
    real = slot(0) + drag.grabOffset();
    clock.advance(300);
    EXPECT_FALSE(drag.hoverCandidateID() || drag.isMergeArmed());
    real = slot(1) + drag.grabOffset(); // back on B, as the events say
    step(slot(1));
    clock.advance(300);
    EXPECT_EQ(drag.dropTargetItemID(), id('B'));
}

TEST_F(RingDragTest, GroupIconTakesAPlainItemWithinReach) {
    store.fill(8, QStringLiteral("B"));
    startDrag();
    step(outward(1, 70)); // within 0.9 × 87 = 78.3: a target at once, no dwell
    EXPECT_EQ(drag.dropTargetGroupID(), id('B'));
    step(outward(1, 90)); // out of reach but inside the half-slot: no target, and the ring holds still
    clock.advance(500);
    EXPECT_EQ(held(), "");
    step(outward(1, 20));
    expectRelease(Action::movedIntoGroup, {"moveItemToSubList A B"});
}

// A pointer at rest needs no more events: the candidate is taken 90 ms after the jump onto B, and armed
// 160 ms after it was taken; a dwell check of a candidate lost meanwhile does nothing.
TEST_F(RingDragTest, SettledPointerArmsTheMergeWithoutMoreEventsAndAStaleDwellCheckDoesNothing) {
    dragOnto(slot(1) + QPointF(5, 5), 89);
    EXPECT_FALSE(drag.hoverCandidateID());
    clock.advance(1);
    ASSERT_EQ(drag.hoverCandidateID(), id('B'));
    EXPECT_TRUE(held() == "c" && drag.showsDropSlot());
    const qint64 taken = clock.nowMs(); // its dwell check is due at taken + 160
    clock.advance(10);
    moveIcon(outward(1, 80)); // candidate lost
    clock.advance(10);
    moveIcon(slot(1)); // back, and at rest again: a new candidate at taken + 110
    clock.advance(taken + 160 - clock.nowMs());
    EXPECT_EQ(held(), "c");
    clock.advance(109);
    EXPECT_FALSE(drag.isMergeArmed());
    clock.advance(1);
    EXPECT_EQ(drag.dropTargetItemID(), id('B'));
    step(outward(1, 60)); // armed: held out to keep, let go beyond it, and reordering resumes
    EXPECT_EQ(held(), "cm");
    step(outward(1, 70));
    EXPECT_EQ(held(), "p");
    drag.cancel();
    // A check left over from a finished drag does not arm the next one.
    dragOnto(slot(1), 100);
    drag.cancel();
    dragOnto(outward(1, 56), 200);
    EXPECT_EQ(held(), "");
}

// A shown order is stored even when it is the one the drag began with; the store may change under the drag.
TEST_F(RingDragTest, AShownOrderIsStoredUnlessTheStoreChangedUnderIt) {
    using Change = std::function<void(RecordingStore &, RingDrag &)>;
    const std::tuple<const char *, Change, Action, const char *, const char *> cases[] = {
        {"back where it began", [this](auto &, auto &) { wobble(far(-pi), 250); }, Action::reordered,
         "withCurrentItems,save", "ABCDEFGH"},
        {"no lists: only saved", [](auto &s, auto &) { s.lists = 0; }, Action::reordered, "save", "ABCDEFGH"},
        {"renamed: kept", [](auto &s, auto &) { s.items[1].name = "b"; }, Action::reordered,
         "withCurrentItems,save", "bCADEFGH"},
        {"added: kept", [](auto &s, auto &) { s.items += entries::app("X"); }, Action::nothing, "",
         "ABCDEFGHX"},
        {"dragged item removed", [](auto &s, auto &d) { d.itemRemoved(s.items[0].id); }, Action::nothing, "",
         "ABCDEFGH"},
    };
    for (const auto &[name, change, action, calls, stored] : cases) {
        SCOPED_TRACE(name);
        store.fill(8);
        startDrag();
        wobble(far(-pi / 2), 250);
        ASSERT_EQ(shown(), u"BCADEFGH");
        change(store, drag);
        expectRelease(action, QString(calls).split(u',', Qt::SkipEmptyParts));
        EXPECT_EQ(names(store.items), QLatin1String(stored));
    }
}

TEST(RingDragOrder, CandidateOrderPlacesTheItemAtTheNearestSlot) {
    RecordingStore store;
    store.fill(4); // slots at -π (left), -π/2 (top), 0 (right), π/2 (bottom)
    const QUuid a = store.items[0].id;
    // Half-way goes to the higher slot; half-way past the last slot wraps to 0.
    const std::pair<double, const char *> cases[] = {
        {0, "BCAD"},          {-3 * pi / 4, "BACD"},       {-3 * pi / 4 - 0.01, "ABCD"},
        {3 * pi / 4, "ABCD"}, {3 * pi / 4 - 0.01, "BCDA"},
    };
    for (const auto &[angle, order] : cases)
        EXPECT_EQ(names(RingDrag::candidateOrder(store.items, a, angle).value()), QLatin1String(order))
            << angle;
    EXPECT_FALSE(RingDrag::candidateOrder(store.items, QUuid::createUuid(), 0));
    EXPECT_FALSE(RingDrag::candidateOrder({}, a, 0));
    // Every copy of the dragged id goes and it is put back once; slots count the stored entries (5 here,
    // so 3 o'clock is slot 3, capped at the 3 that remain).
    store.items.append(store.items[0]);
    EXPECT_EQ(names(RingDrag::candidateOrder(store.items, a, 0).value()), u"BCDA");
}

} // namespace
