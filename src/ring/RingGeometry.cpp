#include "ring/RingGeometry.h"

#include "store/AppState.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double twoPi = 2 * std::numbers::pi;

double ringRadius(const RingGeometry::Inputs &in, double s) {
    // Every icon claims 128·s of arc, the ring never shrinks below 178·s, and the ceiling wins over both.
    const double circumferenceRadius = 128 * s * std::max(in.storedCount, 1) / twoPi;
    const double base = std::min(std::max(178 * s, circumferenceRadius), in.maxRadius);
    if (in.groupOpen || in.listCount < 2)
        return base;
    // The hole must also fit the list switcher: one 29-point row per list plus 18, scaled by 1.3, with
    // 14·s padding, halved, plus half an icon and a 20·s rim.
    const double switcher = (14 * s + (29.0 * in.listCount + 18) * s * 1.3) * 0.5;
    const double need = 20 * s + (43.5 * s + switcher);
    return std::max(base, std::min(need, in.maxRadius));
}
} // namespace

double RingGeometry::effectiveScale(double launcherScale) {
    if (std::isnan(launcherScale) || launcherScale <= 0)
        return 1.0;
    if (launcherScale < 0.8)
        return 0.8;
    return std::min(launcherScale, 1.4);
}

double RingGeometry::slotAngle(int index, int count) {
    return twoPi / std::max(count, 1) * index + ringStartAngle;
}

RingGeometry::RingGeometry(const Inputs &inputs)
    : m_scale(effectiveScale(inputs.launcherScale)), m_radius(ringRadius(inputs, m_scale)),
      m_displayedCount(std::max(inputs.displayedCount, 0)) {}

RingGeometry RingGeometry::forStore(const AppState &state, double launcherScale, double maxRadius,
                                    std::optional<int> displayedCount) {
    Inputs in;
    in.launcherScale = launcherScale;
    in.storedCount = int(state.currentItems().size());
    in.displayedCount = displayedCount.value_or(in.storedCount);
    in.listCount = int(state.lists().size());
    in.groupOpen = state.openSubListID().has_value();
    in.maxRadius = maxRadius;
    return RingGeometry(in);
}

double RingGeometry::outerRadius() const {
    return m_radius + 43.5 * m_scale + 26 * m_scale;
}

double RingGeometry::holeDiameter() const {
    return std::max(0.0, 2 * (m_radius - 43.5 * m_scale - 20 * m_scale));
}

QPointF RingGeometry::pointOnRing(double angle) const {
    return {m_radius * std::cos(angle), m_radius * std::sin(angle)};
}

QHash<QUuid, QPointF> RingGeometry::iconPositionsByID(const QList<AppItem> &displayedOrder) const {
    QHash<QUuid, QPointF> positions;
    positions.reserve(displayedOrder.size());
    for (int i = 0; i < displayedOrder.size(); ++i)
        positions.insert(displayedOrder[i].id, iconPosition(i));
    return positions;
}

RingGeometry::MergeRadii RingGeometry::mergeRadii() const {
    const double neighbourDistance =
        m_displayedCount >= 2 ? 2 * m_radius * std::sin(std::numbers::pi / m_displayedCount) : 2 * m_radius;
    return {std::min(0.72 * neighbourDistance / 2, 0.66 * iconSize()),
            std::min(0.94 * neighbourDistance / 2, 1.05 * iconSize())};
}

double RingGeometry::manageOffsetX() const {
    const double half = managePanelWidth / 2;
    return -std::min(outerRadius() + 16 + half, panelSide() / 2 - half - 6);
}
