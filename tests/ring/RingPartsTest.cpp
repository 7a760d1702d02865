// The ring's small parts: the hovered name, finding entries by typing, the gate for clicks.
#include "ring/ActivationGate.h"
#include "ring/HoverModel.h"
#include "ring/RingSearch.h"
#include "support/Entries.h"
#include "support/ManualClock.h"

#include <gtest/gtest.h>

namespace {

using entries::app, entries::group;

TEST(HoverModel, OnlyTheLastPublisherCanClearTheName) {
    const QUuid a = QUuid::createUuid(), b = QUuid::createUuid();
    // Who publishes, the name (absent: the pointer left), the name shown after, whether it notified.
    const std::tuple<QUuid, std::optional<QString>, std::optional<QString>, bool> steps[] = {
        {a, {}, {}, false},                        // a "left" with nothing shown
        {a, "A", "A", true}, {a, "A", "A", false}, // the same again changes nothing
        {b, "B", "B", true}, {a, {}, "B", false},  // straight from A onto B, and A's late "left" is harmless
        {b, {}, {}, true},
    };
    HoverModel model;
    int notifications = 0;
    QObject::connect(&model, &HoverModel::changed, [&] { ++notifications; });
    for (const auto &[id, name, shown, notifies] : steps) {
        const int before = notifications;
        model.publish(id, name);
        EXPECT_EQ(model.name(), shown);
        EXPECT_EQ(model.hoveredID(), shown ? std::optional(shown == "A" ? a : b) : std::nullopt);
        EXPECT_EQ(notifications - before, notifies ? 1 : 0);
    }
}

TEST(RingSearch, RanksWordStartsBeforeInnerMatchesInSlotOrderIgnoringCaseAndAccents) {
    const QList<AppItem> ring{
        app("Terminal"), app("Éditeur de texte"), group("Office", {app("Writer"), app("Café Notes")}),
        app("Notes"),    group("Empty", {}),      app("Mail"),
        app("Straße")};
    const std::tuple<const char *, bool, QStringList> cases[] = {
        {"", true, {}},
        {"cafe", true, {"Café Notes@2g"}},
        {"te", true, {"Terminal@0", "Éditeur de texte@1", "Writer@2g", "Café Notes@2g", "Notes@3"}},
        {"not", false, {"Notes@3"}},     // without the groups' members
        {"STRASSE", true, {"Straße@6"}}, // full case folding (ß is ss), so any case
        {"n",
         true,
         {"Café Notes@2g", "Notes@3", "Terminal@0"}}, // a later word start before an earlier inner match
    };
    for (const auto &[text, members, expected] : cases) {
        QStringList hits;
        for (const RingSearch::Hit &hit : RingSearch::find(ring, QString::fromUtf8(text), members))
            hits << hit.item.name + u'@' + QString::number(hit.slot) + (hit.groupID ? "g" : "");
        EXPECT_EQ(hits, expected) << text;
    }
}

TEST(ActivationGate, SwallowsTheSecondClickOfADoubleClickAndEverythingOnceDismissing) {
    // A group was opened, the launcher is going, ms after that; a click is taken, an activation allowed.
    const std::tuple<bool, bool, qint64, bool, bool> cases[] = {
        {true, false, 399, false, true}, // the second click of a double click
        {true, false, 400, true, true},
        {false, true, 5000, false, false}, // a click while the launcher goes
    };
    for (const auto &[groupOpened, dismissing, after, click, activate] : cases) {
        ManualClock clock;
        ActivationGate gate(clock, 400);
        if (groupOpened)
            gate.groupOpened();
        if (dismissing)
            gate.dismissalBegan();
        clock.advance(after);
        EXPECT_EQ(gate.acceptsClick(), click) << after;
        EXPECT_EQ(gate.mayActivate(), activate) << after;
        gate.reset(); // shown again: as a new gate
        EXPECT_TRUE(gate.acceptsClick() && gate.mayActivate());
    }
}

} // namespace
