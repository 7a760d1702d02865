#include "ring/RingGeometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// A ring of items (displayed ones, when a drag shows one more or less than stored).
RingGeometry ring(int items, int lists = 1, bool groupOpen = false, double maxRadius = 434, double scale = 1,
                  int displayed = -1) {
    return RingGeometry({scale, items, displayed < 0 ? items : displayed, lists, groupOpen, maxRadius});
}

TEST(RingGeometry, ScaleIsClampedAndZeroOrNaNMeansDefault) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN(),
                     inf = std::numeric_limits<double>::infinity();
    for (const auto &[stored, scale] :
         {std::pair{0.0, 1.0}, {-1, 1}, {nan, 1}, {0.5, 0.8}, {1.2, 1.2}, {2, 1.4}, {inf, 1.4}}) {
        EXPECT_DOUBLE_EQ(RingGeometry::effectiveScale(stored), scale) << stored;
        EXPECT_DOUBLE_EQ(ring(0, 1, false, 434, stored).scale(), scale) << stored;
    }
}

TEST(RingGeometry, RadiusDiscAndHoleFollowItemsListsGroupAndCeiling) {
    // Items, lists, a group open, the ceiling, the scale; the radius, the outer radius, the hole's diameter.
    const std::tuple<int, int, bool, double, double, double, double, double> cases[] = {
        {0, 1, false, 434, 1, 178, 247.5, 229}, // empty ring: the minimum
        {21, 1, false, 434, 1, 427.8085, 497.3085, 728.617},
        {22, 1, false, 434, 1, 434, 503.5, 741}, // the ceiling
        {8, 8, false, 100, 1, 100, 169.5, 73},   // a ceiling below the minimum wins, also over the switcher
        {0, 1, false, 50, 1, 50, 119.5, 0},      // the hole never goes negative
        {0, 8, false, 434, 1, 233, 302.5, 339},  // eight lists need 233
        {0, 8, true, 434, 1, 178, 247.5, 229},   // an open group drops the switcher term
        {0, 8, false, 434, 1.4, 326.2, 423.5, 474.6},
    };
    for (const auto &[items, lists, groupOpen, maxRadius, scale, radius, outer, hole] : cases) {
        const RingGeometry g = ring(items, lists, groupOpen, maxRadius, scale);
        SCOPED_TRACE(testing::Message() << items << " items, " << lists << " lists, " << maxRadius);
        EXPECT_NEAR(g.radius(), radius, 1e-3);
        EXPECT_NEAR(g.outerRadius(), outer, 1e-3);
        EXPECT_NEAR(g.holeDiameter(), hole, 1e-3);
    }
}

TEST(RingGeometry, MergeRadiiFromNeighbourDistance) {
    // The displayed items count, not the stored ones (a drag may show one more or less).
    const std::tuple<int, int, double, double, double> cases[] = {
        // stored, displayed, ceiling, capture, keep
        {1, 1, 50, 36, 47},         // one item: the full diameter, 0.72·r and 0.94·r
        {24, 1, 434, 57.42, 91.35}, // ... capped by the icon size
        {2, 2, 60, 43.2, 56.4},     // two items: neighbours a diameter apart
    };
    for (const auto &[stored, displayed, ceiling, capture, keep] : cases) {
        const RingGeometry::MergeRadii radii = ring(stored, 1, false, ceiling, 1, displayed).mergeRadii();
        EXPECT_NEAR(radii.capture, capture, 1e-3) << displayed << " items, ceiling " << ceiling;
        EXPECT_NEAR(radii.keep, keep, 1e-3) << displayed << " items, ceiling " << ceiling;
    }
}

} // namespace
