#include "ring/RingGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

RingGeometry ring(int items, int lists = 1, bool groupOpen = false, double maxRadius = 434,
                  double scale = 1.0) {
    RingGeometry::Inputs in;
    in.launcherScale = scale;
    in.storedCount = items;
    in.displayedCount = items;
    in.listCount = lists;
    in.groupOpen = groupOpen;
    in.maxRadius = maxRadius;
    return RingGeometry(in);
}

TEST(RingGeometry, ScaleIsClampedAndZeroMeansDefault) {
    struct Case {
        double stored, scale, halfIcon, panelSide;
    };
    const Case cases[] = {
        {0, 1.0, 43.5, 1067},
        {-1, 1.0, 43.5, 1067},
        {0.5, 0.8, 34.8, 853.6},
        {0.8, 0.8, 34.8, 853.6},
        {1.2, 1.2, 52.2, 1280.4},
        {1.4, 1.4, 60.9, 1493.8},
        {2.0, 1.4, 60.9, 1493.8},
        {std::numeric_limits<double>::quiet_NaN(), 1.0, 43.5, 1067},
        {std::numeric_limits<double>::infinity(), 1.4, 60.9, 1493.8},
    };
    for (const Case &c : cases) {
        const double s = RingGeometry::effectiveScale(c.stored);
        EXPECT_DOUBLE_EQ(s, c.scale) << c.stored;
        EXPECT_NEAR(RingGeometry::iconSize(s) / 2, c.halfIcon, 1e-9) << c.stored;
        EXPECT_NEAR(RingGeometry::panelSide(s), c.panelSide, 1e-9) << c.stored;
        EXPECT_DOUBLE_EQ(ring(0, 1, false, 434, c.stored).scale(), c.scale) << c.stored;
    }
}

TEST(RingGeometry, RadiusFollowsItemsListsGroupAndCeiling) {
    struct Case {
        int items, lists;
        bool groupOpen;
        double maxRadius, scale, radius;
    };
    const Case cases[] = {
        {0, 1, false, 434, 1.0, 178}, // empty ring: the minimum, slot formula divides by 1
        {8, 1, false, 434, 1.0, 178},       {12, 1, false, 434, 1.0, 244.4620}, // 128 points of arc per icon
        {21, 1, false, 434, 1.0, 427.8085}, {22, 1, false, 434, 1.0, 434},      // the ceiling
        {0, 1, false, 150, 1.0, 150}, // a ceiling below the minimum wins
        {8, 8, false, 100, 1.0, 100}, // ... also over the list switcher
        {0, 2, false, 434, 1.0, 178}, // two lists need 119.9: no growth
        {0, 8, false, 434, 1.0, 233}, // eight lists need 233
        {0, 8, true, 434, 1.0, 178},  // an open group drops the switcher term
        {0, 8, false, 434, 1.4, 326.2},
    };
    for (const Case &c : cases) {
        const RingGeometry g = ring(c.items, c.lists, c.groupOpen, c.maxRadius, c.scale);
        EXPECT_NEAR(g.radius(), c.radius, 1e-3)
            << c.items << " items, " << c.lists << " lists, ceiling " << c.maxRadius << ", scale " << c.scale;
    }
}

TEST(RingGeometry, DiscHoleAndOuterRadius) {
    struct Case {
        int items, lists;
        bool groupOpen;
        double maxRadius, outer, hole;
    };
    const Case cases[] = {
        {12, 1, false, 434, 313.962, 361.924}, {5, 1, false, 434, 247.5, 229}, {5, 8, false, 434, 302.5, 339},
        {5, 8, true, 434, 247.5, 229},         {0, 1, false, 50, 119.5, 0}, // the hole never goes negative
    };
    for (const Case &c : cases) {
        const RingGeometry g = ring(c.items, c.lists, c.groupOpen, c.maxRadius);
        EXPECT_NEAR(g.outerRadius(), c.outer, 1e-3) << c.items << " items, " << c.lists << " lists";
        EXPECT_DOUBLE_EQ(g.ringDiameter(), 2 * g.outerRadius());
        EXPECT_NEAR(g.holeDiameter(), c.hole, 1e-3) << c.items << " items, " << c.lists << " lists";
    }
}

TEST(RingGeometry, SlotZeroIsAtNineOClockAndSlotsRunClockwise) {
    struct Case {
        int count, index;
        double x, y; // in units of the radius
    };
    const Case cases[] = {
        {4, 0, -1, 0}, {4, 1, 0, -1}, {4, 2, 1, 0},  {4, 3, 0, 1}, // left, top, right, bottom
        {2, 1, 1, 0},  {0, 0, -1, 0}, {8, 2, 0, -1}, {8, 1, -std::sqrt(0.5), -std::sqrt(0.5)},
    };
    for (const Case &c : cases) {
        const RingGeometry g = ring(c.count);
        const QPointF p = g.iconPosition(c.index);
        EXPECT_NEAR(p.x(), c.x * g.radius(), 1e-9) << c.count << "/" << c.index;
        EXPECT_NEAR(p.y(), c.y * g.radius(), 1e-9) << c.count << "/" << c.index;
    }
}

TEST(RingGeometry, PositionsByIDUseTheDisplayedOrderAndLaterDuplicatesWin) {
    QList<AppItem> order(3);
    for (AppItem &item : order)
        item.id = QUuid::createUuid();
    order[2].id = order[0].id;
    RingGeometry::Inputs in;
    in.storedCount = 3;
    in.displayedCount = 3;
    const RingGeometry g(in);
    const QHash<QUuid, QPointF> positions = g.iconPositionsByID(order);
    ASSERT_EQ(positions.size(), 2);
    EXPECT_EQ(positions.value(order[0].id), g.iconPosition(2));
    EXPECT_EQ(positions.value(order[1].id), g.iconPosition(1));
}

TEST(RingGeometry, MergeRadiiFromNeighbourDistance) {
    struct Case {
        int displayed;
        double maxRadius, capture, keep;
    };
    const Case cases[] = {
        {1, 50, 36, 47},        // one item: the full diameter, 0.72·r and 0.94·r
        {1, 434, 57.42, 91.35}, // ... capped by the icon size
        {2, 60, 43.2, 56.4},    // two items: neighbours a diameter apart
        {8, 434, 49.0447, 64.0306},
        {24, 434, 40.7868, 53.2495},
    };
    // The displayed items count, not the stored ones (a drag may show one more or less).
    RingGeometry::Inputs in;
    in.storedCount = 24;
    in.displayedCount = 1;
    EXPECT_NEAR(RingGeometry(in).mergeRadii().capture, 57.42, 1e-9);
    for (const Case &c : cases) {
        const RingGeometry g = ring(c.displayed, 1, false, c.maxRadius);
        const RingGeometry::MergeRadii radii = g.mergeRadii();
        EXPECT_NEAR(radii.capture, c.capture, 1e-3) << c.displayed << " items, ceiling " << c.maxRadius;
        EXPECT_NEAR(radii.keep, c.keep, 1e-3) << c.displayed << " items, ceiling " << c.maxRadius;
        EXPECT_LT(radii.capture, radii.keep);
    }
}

TEST(RingGeometry, ManagePanelClearsTheRingOrStaysInsideThePanel) {
    // At 1.4 there is room beside the empty ring; at 1.0 an 8-item ring pushes the panel to the frame.
    EXPECT_NEAR(ring(0, 1, false, 434, 1.4).manageOffsetX(), -(346.5 + 16 + 140), 1e-9);
    EXPECT_NEAR(ring(8, 1, false, 434, 1.0).manageOffsetX(), -(533.5 - 140 - 6), 1e-9);
}

} // namespace
