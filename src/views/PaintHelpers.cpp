#include "views/PaintHelpers.h"

#include <QPainter>
#include <QtWidgets/qtwidgetsglobal.h>

#include <cmath>

QT_BEGIN_NAMESPACE
// Qt's own blur (the one behind QGraphicsBlurEffect), exported by QtWidgets.
extern Q_WIDGETS_EXPORT void qt_blurImage(QPainter *p, QImage &blurImage, qreal radius, bool quality,
                                          bool alphaOnly, int transposed);
QT_END_NAMESPACE

QColor PaintHelpers::withAlpha(QColor color, qreal alpha) {
    color.setAlphaF(float(alpha));
    return color;
}

QImage PaintHelpers::blurredShadow(const QImage &source, qreal blurRadius, const QColor &color) {
    const qreal dpr = source.devicePixelRatio();
    const int margin = int(std::ceil(blurRadius * dpr)) + 2;
    QImage shape(source.width() + 2 * margin, source.height() + 2 * margin,
                 QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    {
        QPainter p(&shape);
        p.drawImage(margin, margin, source.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(shape.rect(), color);
    }
    QImage result(shape.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    {
        QPainter p(&result);
        qt_blurImage(&p, shape, blurRadius * dpr, true, false, 0);
    }
    result.setDevicePixelRatio(dpr);
    return result;
}

QPainterPath PaintHelpers::calloutPath(const QRectF &bounds, qreal arrow, bool arrowOnLeft, qreal radius) {
    const QRectF body = bounds.adjusted(arrowOnLeft ? arrow : 0, 0, arrowOnLeft ? 0 : -arrow, 0);
    QPainterPath path;
    path.addRoundedRect(body, radius, radius);
    const qreal mid = bounds.center().y();
    const qreal edge = arrowOnLeft ? body.left() : body.right();
    QPainterPath tip;
    tip.moveTo(edge, mid - arrow);
    tip.lineTo(arrowOnLeft ? bounds.left() : bounds.right(), mid);
    tip.lineTo(edge, mid + arrow);
    tip.closeSubpath();
    return path.united(tip);
}
