#pragma once

#include <QList>
#include <QRect>
#include <QSize>

#include <cstdint>

// A dock's reservation along the edges of the display (_NET_WM_STRUT_PARTIAL): how deep it reaches in
// from each edge of the whole display, and the span of the other axis it covers there.
struct DockStrut {
    uint32_t left = 0, right = 0, top = 0, bottom = 0;
    uint32_t leftStart = 0, leftEnd = 0, rightStart = 0, rightEnd = 0;
    uint32_t topStart = 0, topEnd = 0, bottomStart = 0, bottomEnd = 0;
};

// The part of one monitor (in the display's pixels) that the docks leave free, on a display of the given
// size. A dock reserves space on a monitor only where its span crosses that monitor, so a panel along
// the top of the left monitor leaves the right one whole. An empty rectangle when the docks would leave
// less than half of the monitor (taken for a mistake rather than obeyed).
QRect workAreaFromStruts(const QRect &monitor, const QSize &display, const QList<DockStrut> &struts);
