#include "ring/ActivationGate.h"
#include "ring/Clock.h"

#include <gtest/gtest.h>

namespace {

TEST(ActivationGate, SwallowsTheSecondClickOfADoubleClickAndEverythingOnceDismissing) {
    constexpr int interval = 400;
    const struct {
        const char *name;
        bool groupOpened, dismissing;
        qint64 after; // ms after the event
        bool click, activate;
    } cases[] = {
        {"fresh", false, false, 0, true, true},
        {"second click after a group opened", true, false, interval - 1, false, true},
        {"a later click in the group", true, false, interval, true, true},
        {"a click while the launcher goes", false, true, 5000, false, false},
        {"a group opened, then dismissed", true, true, interval, false, false},
    };
    for (const auto &c : cases) {
        ManualClock clock;
        ActivationGate gate(clock, interval);
        if (c.groupOpened)
            gate.groupOpened();
        if (c.dismissing)
            gate.dismissalBegan();
        clock.advance(c.after);
        EXPECT_EQ(gate.acceptsClick(), c.click) << c.name;
        EXPECT_EQ(gate.mayActivate(), c.activate) << c.name;
        gate.reset(); // shown again
        EXPECT_TRUE(gate.acceptsClick() && gate.mayActivate()) << c.name;
    }
}

} // namespace
