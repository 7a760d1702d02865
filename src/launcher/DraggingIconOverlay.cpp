#include "launcher/DraggingIconOverlay.h"

#include "views/PaintHelpers.h"

#include <QPainter>

#include <cmath>

using PaintHelpers::blurredShadow;

double DraggingIconOverlay::pulse(double seconds) {
    return (std::sin(5 * seconds) + 1) / 2;
}

void DraggingIconOverlay::prepare(const QImage &icon, double iconSize, const QColor &tint, qreal dpr) {
    if (icon.cacheKey() == m_iconKey && iconSize == m_iconSize && tint == m_tint && dpr == m_dpr)
        return;
    m_iconKey = icon.cacheKey();
    m_iconSize = iconSize;
    m_tint = tint;
    m_dpr = dpr;

    const double glowSide = iconSize + 46;
    QImage circle(QSize(int(std::ceil(glowSide * dpr)), int(std::ceil(glowSide * dpr))),
                  QImage::Format_ARGB32_Premultiplied);
    circle.setDevicePixelRatio(dpr);
    circle.fill(Qt::transparent);
    {
        QPainter p(&circle);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(tint);
        p.drawEllipse(QRectF(0, 0, glowSide, glowSide));
    }
    m_glow = blurredShadow(circle, 12, QColor(tint.red(), tint.green(), tint.blue()));

    const double fit = iconSize + 8;
    m_iconImage = QImage();
    m_iconShadow = QImage();
    if (icon.isNull())
        return;
    m_iconImage =
        icon.scaled(QSize(int(fit * dpr), int(fit * dpr)), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_iconImage.setDevicePixelRatio(dpr);
    m_iconShadow = blurredShadow(m_iconImage, 22, QColor(0, 0, 0, int(0.55 * 255)));
}

void DraggingIconOverlay::paint(QPainter &painter, QPointF centre, const QImage &icon, double iconSize,
                                const QColor &tint, double seconds, double appear) {
    if (appear <= 0)
        return;
    const qreal dpr = painter.device()->devicePixelRatioF();
    prepare(icon, iconSize, tint, dpr);
    auto drawCentred = [&painter](const QImage &image, QPointF at) {
        const QSizeF size = QSizeF(image.size()) / image.devicePixelRatio();
        painter.drawImage(QRectF(at - QPointF(size.width() / 2, size.height() / 2), size), image);
    };

    painter.save();
    painter.translate(centre);
    painter.scale(0.75 + 0.25 * appear, 0.75 + 0.25 * appear);
    painter.setOpacity(painter.opacity() * appear * glowOpacity(seconds));
    drawCentred(m_glow, {});
    painter.setOpacity(painter.opacity() / glowOpacity(seconds));
    const double scale = iconScale(seconds);
    painter.scale(scale, scale);
    if (!m_iconImage.isNull()) {
        drawCentred(m_iconShadow, QPointF(0, 12));
        drawCentred(m_iconImage, {});
    }
    painter.restore();
}
