#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>

// Small drawing helpers shared by every painter of the launcher.
namespace PaintHelpers {
// The colour with its alpha replaced.
QColor withAlpha(QColor color, qreal alpha);
// A soft shadow of an image's shape: its alpha, blurred, in one colour. The image is grown by the blur
// radius (and two pixels) on each side; the result has the source's device pixel ratio.
QImage blurredShadow(const QImage &source, qreal blurRadius, const QColor &color);
// A popover's outline within bounds: a rounded body and, on its left or right side, an arrow of the
// given size whose tip touches that edge of bounds, half-way down.
QPainterPath calloutPath(const QRectF &bounds, qreal arrow, bool arrowOnLeft, qreal radius);
} // namespace PaintHelpers
