#include "platform/WorkArea.h"

#include <gtest/gtest.h>

namespace {
DockStrut top(uint32_t h, uint32_t from, uint32_t to) {
    return {.top = h, .topStart = from, .topEnd = to};
}
DockStrut bottom(uint32_t h, uint32_t from, uint32_t to) {
    return {.bottom = h, .bottomStart = from, .bottomEnd = to};
}
} // namespace

// Two monitors side by side (1600×1200 and 1920×1080 at x 1600) unless a row says otherwise.
TEST(WorkArea, DocksReserveSpaceOnlyOnTheMonitorsTheyCross) {
    const QRect l(0, 0, 1600, 1200), r(1600, 0, 1920, 1080), lower(0, 1080, 1920, 1080);
    const QSize wide(3520, 1200);
    const std::tuple<const char *, QRect, QList<DockStrut>, QRect, QSize> rows[] = {
        {"no dock", l, {}, l, wide},
        {"a top panel on the left monitor", l, {top(30, 0, 1599)}, QRect(0, 30, 1600, 1170), wide},
        {"the same panel seen from the right monitor", r, {top(30, 0, 1599)}, r, wide},
        {"a panel across both", r, {top(27, 0, 3519)}, QRect(1600, 27, 1920, 1053), wide},
        // The right monitor is shorter: a bottom strut counts from the display's bottom edge.
        {"a bottom panel on the right one", r, {bottom(150, 1600, 3519)}, QRect(1600, 0, 1920, 1050), wide},
        {"the deeper of two", l, {top(30, 0, 1599), top(44, 800, 900)}, QRect(0, 44, 1600, 1156), wide},
        {"a dock that claims most of the monitor", l, {top(900, 0, 1599)}, QRect(), wide},
        // Stacked monitors: a panel along the display's top edge belongs to the upper one.
        {"the lower of two stacked ones", lower, {top(32, 0, 1919)}, lower, QSize(1920, 2160)},
    };
    for (const auto &[what, monitor, struts, expected, display] : rows)
        EXPECT_EQ(workAreaFromStruts(monitor, display, struts), expected) << what;
}
