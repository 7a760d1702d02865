// The ring's small parts: the hovered name, finding entries by typing, the gate for clicks.
#include "ring/ActivationGate.h"
#include "ring/HoverModel.h"
#include "ring/RingSearch.h"
#include "support/Entries.h"
#include "support/ManualClock.h"

#include <gtest/gtest.h>

namespace {

using entries::app;
using entries::group;

TEST(HoverModel, OnlyTheLastPublisherCanClearTheName) {
    const QUuid a = QUuid::createUuid(), b = QUuid::createUuid();
    const struct {
        QUuid id;
        std::optional<QString> name, shown; // name absent: the pointer left
        bool notifies;
    } steps[] = {
        {a, {}, {}, false},                        // a "left" with nothing shown
        {a, "A", "A", true}, {a, "A", "A", false}, // the same again changes nothing
        {b, "B", "B", true}, {a, {}, "B", false},  // straight from A onto B, and A's late "left" is harmless
        {b, {}, {}, true},
    };
    HoverModel model;
    int notifications = 0;
    QObject::connect(&model, &HoverModel::changed, [&] { ++notifications; });
    for (const auto &s : steps) {
        const int before = notifications;
        model.publish(s.id, s.name);
        EXPECT_EQ(model.name(), s.shown);
        EXPECT_EQ(model.hoveredID(), s.shown ? std::optional(s.shown == "A" ? a : b) : std::nullopt);
        EXPECT_EQ(notifications - before, s.notifies ? 1 : 0);
    }
}

TEST(RingSearch, RanksWordStartsBeforeInnerMatchesInSlotOrderIgnoringCaseAndAccents) {
    const QList<AppItem> ring{
        app("Terminal"), app("Éditeur de texte"), group("Office", {app("Writer"), app("Café Notes")}),
        app("Notes"),    group("Empty", {}),      app("Mail"),
        app("Straße")};
    const std::tuple<const char *, bool, QStringList> cases[] = {
        {"", true, {}},
        {"zzz", true, {}},
        {"TERM", true, {"Terminal@0"}},
        {"edi", true, {"Éditeur de texte@1"}},
        {"cafe", true, {"Café Notes@2g"}},
        {"te", true, {"Terminal@0", "Éditeur de texte@1", "Writer@2g", "Café Notes@2g", "Notes@3"}},
        {"not", false, {"Notes@3"}},     // without the groups' members
        {"STRASSE", true, {"Straße@6"}}, // full case folding: ß is ss
        {"strAß", true, {"Straße@6"}},
        // A later word start goes before an earlier inner match.
        {"E",
         true,
         {"Éditeur de texte@1", "Empty@4", "Terminal@0", "Office@2", "Writer@2g", "Café Notes@2g", "Notes@3",
          "Straße@6"}},
    };
    for (const auto &[text, members, expected] : cases) {
        QStringList hits;
        for (const RingSearch::Hit &hit : RingSearch::find(ring, QString::fromUtf8(text), members))
            hits << hit.item.name + u'@' + QString::number(hit.slot) + (hit.groupID ? "g" : "");
        EXPECT_EQ(hits, expected) << text;
    }
}

TEST(ActivationGate, SwallowsTheSecondClickOfADoubleClickAndEverythingOnceDismissing) {
    const struct {
        bool groupOpened, dismissing;
        qint64 after; // ms after the event
        bool click, activate;
    } cases[] = {
        {false, false, 0, true, true},
        {true, false, 399, false, true}, // the second click of a double click
        {true, false, 400, true, true},
        {false, true, 5000, false, false}, // a click while the launcher goes
        {true, true, 400, false, false},
    };
    for (const auto &c : cases) {
        ManualClock clock;
        ActivationGate gate(clock, 400);
        if (c.groupOpened)
            gate.groupOpened();
        if (c.dismissing)
            gate.dismissalBegan();
        clock.advance(c.after);
        EXPECT_EQ(gate.acceptsClick(), c.click) << c.after;
        EXPECT_EQ(gate.mayActivate(), c.activate) << c.after;
        gate.reset(); // shown again
        EXPECT_TRUE(gate.acceptsClick() && gate.mayActivate());
    }
}

} // namespace
