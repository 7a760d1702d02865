#include "platform/WorkArea.h"

#include <algorithm>

namespace {
bool overlaps(uint32_t start, uint32_t end, int low, int high) {
    return qint64(start) <= high && qint64(end) >= low;
}
} // namespace

QRect workAreaFromStruts(const QRect &monitor, const QSize &display, const QList<DockStrut> &struts) {
    QRect area = monitor;
    for (const DockStrut &s : struts) {
        if (s.top && overlaps(s.topStart, s.topEnd, monitor.left(), monitor.right()))
            area.setTop(std::max(area.top(), int(s.top)));
        if (s.bottom && overlaps(s.bottomStart, s.bottomEnd, monitor.left(), monitor.right()))
            area.setBottom(std::min(area.bottom(), display.height() - int(s.bottom) - 1));
        if (s.left && overlaps(s.leftStart, s.leftEnd, monitor.top(), monitor.bottom()))
            area.setLeft(std::max(area.left(), int(s.left)));
        if (s.right && overlaps(s.rightStart, s.rightEnd, monitor.top(), monitor.bottom()))
            area.setRight(std::min(area.right(), display.width() - int(s.right) - 1));
    }
    if (area.width() < monitor.width() / 2 || area.height() < monitor.height() / 2)
        return {};
    return area;
}
