// Where the launcher's window goes: the screen under the pointer, the window on it, kept inside it.
#include "launcher/Placement.h"

#include <gtest/gtest.h>

namespace {

using Placement::Screen;

TEST(Placement, ThePointersScreenOrThePrimary) {
    // Side by side, the second shorter and lower: a point above it is on no screen and takes the primary.
    const QList<QRect> frames{{0, 0, 1920, 1080}, {1920, 200, 1280, 800}};
    const std::tuple<QPoint, QList<QRect>, int> cases[] = {
        {{1919, 1079}, frames, 0}, {{1920, 200}, frames, 1}, {{2500, 100}, frames, 0}, {{10, 10}, {}, -1}};
    for (const auto &[pointer, screens, expected] : cases)
        EXPECT_EQ(Placement::screenAt(pointer, screens), expected) << pointer.x() << "," << pointer.y();
}

TEST(Placement, CentredOnTheWholeScreenOrByTheCornerUnderItsPanels) {
    const Screen second{{1920, 0, 1600, 1200}, {1920, 32, 1600, 1168}}; // a bar along its top
    const Screen docked{{0, 0, 1600, 1200}, {60, 0, 1480, 1200}};       // docks left and right
    const std::tuple<LaunchSource, Screen, QPoint> cases[] = {
        {LaunchSource::centered, second, {2187, 67}},    // the bar does not move the middle
        {LaunchSource::hotCorner, second, {2687, -202}}, // halves round away from zero
        {LaunchSource::hotCorner, docked, {767, -234}},  // docks beside do not move the corner
    };
    for (const auto &[source, screen, origin] : cases)
        EXPECT_EQ(Placement::launcherRect(source, screen, 1067, 300), QRect(origin, QSize(1067, 1067)))
            << int(source) << " " << screen.frame.width();
}

TEST(Placement, ClampedOriginKeepsTheRingInsideTheWorkArea) {
    const QRect bar(0, 30, 1600, 1170); // a panel bar on top
    const std::tuple<QPoint, QRect, QPoint> cases[] = {
        {{267, 67}, bar, {267, 67}},                // inside: unchanged
        {{1000, -700}, bar, {767, -204}},           // past top and right
        {{5, 5}, {100, 0, 400, 300}, {-234, -384}}, // too small: centred
        {{5, 5}, {100, 0, 400, 1000}, {-234, 5}},   // too narrow only: centred across
    };
    for (const auto &[origin, area, expected] : cases)
        EXPECT_EQ(Placement::clampedOrigin(origin, area, {1067, 1067}, 300), expected) << origin.x();
    for (const auto &[height, scale, radius] :
         {std::tuple{900.0, 1.0, 372.5}, {3000, 1.4, 434 * 1.4}, {100, 0.8, 178 * 0.8}})
        EXPECT_DOUBLE_EQ(Placement::maxRadiusFor(height, scale), radius) << height;
}

} // namespace
