#include "platform/WorkArea.h"

#include <gtest/gtest.h>

namespace {
DockStrut topPanel(uint32_t h, uint32_t from, uint32_t to) {
    return {.top = h, .topStart = from, .topEnd = to};
}
DockStrut bottomPanel(uint32_t h, uint32_t from, uint32_t to) {
    return {.bottom = h, .bottomStart = from, .bottomEnd = to};
}
DockStrut leftDock(uint32_t w, uint32_t from, uint32_t to) {
    return {.left = w, .leftStart = from, .leftEnd = to};
}
} // namespace

// Two monitors side by side (1600×1200 and 1920×1080 at x 1600) unless a row says otherwise.
TEST(WorkArea, DocksReserveSpaceOnlyOnTheMonitorsTheyCross) {
    const QSize display(3520, 1200);
    const QRect left(0, 0, 1600, 1200), right(1600, 0, 1920, 1080);
    struct Row {
        const char *what;
        QRect monitor;
        QList<DockStrut> struts;
        QRect expected;
    } rows[] = {
        {"no dock", left, {}, left},
        {"a top panel on the left monitor", left, {topPanel(30, 0, 1599)}, QRect(0, 30, 1600, 1170)},
        {"the same panel seen from the right monitor", right, {topPanel(30, 0, 1599)}, right},
        {"a panel across both", right, {topPanel(27, 0, 3519)}, QRect(1600, 27, 1920, 1053)},
        // The right monitor is shorter: a bottom strut counts from the display's bottom edge.
        {"a bottom panel on the right monitor",
         right,
         {bottomPanel(150, 1600, 3519)},
         QRect(1600, 0, 1920, 1050)},
        {"a left dock and a top panel",
         left,
         {leftDock(48, 0, 1199), topPanel(30, 0, 1599)},
         QRect(48, 30, 1552, 1170)},
        {"the deeper of two top panels",
         left,
         {topPanel(30, 0, 1599), topPanel(44, 800, 900)},
         QRect(0, 44, 1600, 1156)},
        {"a dock that claims most of the monitor", left, {topPanel(900, 0, 1599)}, QRect()},
    };
    for (const Row &row : rows)
        EXPECT_EQ(workAreaFromStruts(row.monitor, display, row.struts), row.expected) << row.what;
}

TEST(WorkArea, TopPanelOfAnUpperMonitorLeavesTheLowerWhole) {
    // Stacked monitors: a panel along the display's top edge belongs to the upper one.
    EXPECT_EQ(workAreaFromStruts(QRect(0, 1080, 1920, 1080), QSize(1920, 2160), {topPanel(32, 0, 1919)}),
              QRect(0, 1080, 1920, 1080));
}
