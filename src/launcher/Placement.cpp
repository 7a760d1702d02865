#include "launcher/Placement.h"

#include "ring/RingGeometry.h"

#include <QPointF>
#include <QRectF>

#include <algorithm>

namespace Placement {

int screenAt(QPoint pointer, const QList<QRect> &frames) {
    for (int i = 0; i < frames.size(); ++i) {
        if (frames[i].contains(pointer))
            return i;
    }
    return frames.isEmpty() ? -1 : 0;
}

QRect launcherRect(LaunchSource source, const Screen &screen, int panelSide, double outerRadius) {
    // Edges as lines, not pixels: a QRect's right() is one short of its edge.
    const QRectF frame(screen.frame), work(screen.workArea);
    const QPointF origin = source == LaunchSource::hotCorner
                               ? QPointF(frame.x() + frame.width() - outerRadius - panelSide / 2.0,
                                         work.top() + outerRadius - panelSide / 2.0)
                               : QPointF(frame.x() + (frame.width() - panelSide) / 2,
                                         frame.y() + (frame.height() - panelSide) / 2);
    return {QPoint(qRound(origin.x()), qRound(origin.y())), QSize(panelSide, panelSide)};
}

QPoint clampedOrigin(QPoint origin, const QRect &workArea, QSize panelSize, double outerRadius) {
    const QRectF work(workArea);
    auto clampAxis = [](double centre, double low, double high, double mid) {
        return low <= high ? std::clamp(centre, low, high) : mid;
    };
    const double cx = clampAxis(origin.x() + panelSize.width() / 2.0, work.left() + outerRadius,
                                work.right() - outerRadius, work.center().x());
    const double cy = clampAxis(origin.y() + panelSize.height() / 2.0, work.top() + outerRadius,
                                work.bottom() - outerRadius, work.center().y());
    return QPointF(cx - panelSize.width() / 2.0, cy - panelSize.height() / 2.0).toPoint();
}

double maxRadiusFor(double availableHeight, double scale) {
    const double halfIcon = RingGeometry::iconSize(scale) / 2;
    return std::min(std::max(availableHeight / 2 - (26 * scale + halfIcon) - 8, 178 * scale), 434 * scale);
}

} // namespace Placement
