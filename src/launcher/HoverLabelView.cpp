#include "launcher/HoverLabelView.h"

#include "views/PaintHelpers.h"

#include <QEasingCurve>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {
QFont labelFont(double scale) {
    return HoverLabelView::font(scale);
}

double eased(double t) {
    static const QEasingCurve curve(QEasingCurve::InOutQuad);
    return curve.valueForProgress(std::clamp(t, 0.0, 1.0));
}
} // namespace

QFont HoverLabelView::font(double scale) {
    QFont font;
    // Sizes are in points of the ring (logical pixels), not typographic points, which would come out a
    // third larger at 96 dpi.
    font.setPixelSize(std::max(1, int(std::lround(fontSize(scale)))));
    font.setWeight(QFont::DemiBold);
    return font;
}

QPointF HoverLabelView::anchor(QPointF iconCentre, double iconSize, double scale) {
    return {iconCentre.x(), iconCentre.y() - (iconSize / 2 + 15 * scale)};
}

QSizeF HoverLabelView::capsuleSize(const QString &name, double scale) {
    const QFontMetricsF metrics(labelFont(scale));
    return {metrics.horizontalAdvance(name) + 22 * scale, metrics.height() + 10 * scale};
}

bool HoverLabelView::update(const Inputs &inputs) {
    const bool show =
        inputs.enabled && inputs.hoveredID && inputs.name && inputs.positions.contains(*inputs.hoveredID);
    if (!show) {
        const bool changed = m_shown;
        m_shown = false;
        return changed;
    }
    QPointF target = anchor(inputs.positions.value(*inputs.hoveredID), inputs.iconSize, inputs.scale);
    QRectF capsule(QPointF(), capsuleSize(*inputs.name, inputs.scale));
    capsule.moveCenter(target);
    if (capsule.intersects(inputs.avoid)) // drawn on the ring, it would be hidden under the panel
        target.setX(inputs.avoid.right() + 6 * inputs.scale + capsule.width() / 2);
    bool changed = !m_shown || m_text != *inputs.name || m_scale != inputs.scale || m_to != target;
    if (!m_shown && m_visibility <= 0) {
        // Appearing from nothing: no glide, just the fade and scale.
        m_from = m_to = target;
        m_moveProgress = 1;
    } else if (m_id != inputs.hoveredID || m_to != target) {
        m_from = position();
        m_to = target;
        m_moveProgress = 0;
    }
    m_shown = true;
    m_id = inputs.hoveredID;
    m_text = *inputs.name;
    m_scale = inputs.scale;
    return changed;
}

bool HoverLabelView::step(double dt) {
    const double delta = dt / transitionSeconds;
    m_visibility = std::clamp(m_visibility + (m_shown ? delta : -delta), 0.0, 1.0);
    m_moveProgress = std::min(1.0, m_moveProgress + delta);
    return (m_shown ? m_visibility < 1 : m_visibility > 0) || m_moveProgress < 1;
}

void HoverLabelView::finish() {
    m_visibility = m_shown ? 1 : 0;
    m_moveProgress = 1;
}

QPointF HoverLabelView::position() const {
    const double t = eased(m_moveProgress);
    return m_from + (m_to - m_from) * t;
}

QRectF HoverLabelView::bounds() const {
    if (m_text.isEmpty())
        return {};
    // The shadow reaches 8 points (and a pixel or two) beyond the capsule, 3 points lower.
    const QSizeF size = capsuleSize(m_text, m_scale) + QSizeF(2 * 12, 2 * 12 + 3);
    const QPointF at = position();
    return {at - QPointF(size.width() / 2, size.height() / 2), size};
}

void HoverLabelView::render(qreal dpr) {
    if (m_imageText == m_text && m_imageScale == m_scale && m_imageDpr == dpr && !m_image.isNull())
        return;
    m_imageText = m_text;
    m_imageScale = m_scale;
    m_imageDpr = dpr;

    const QSizeF size = capsuleSize(m_text, m_scale);
    QImage capsule(QSize(int(std::ceil(size.width() * dpr)) + 2, int(std::ceil(size.height() * dpr)) + 2),
                   QImage::Format_ARGB32_Premultiplied);
    capsule.setDevicePixelRatio(dpr);
    capsule.fill(Qt::transparent);
    const QRectF rect(0.5, 0.5, size.width(), size.height());
    {
        QPainter p(&capsule);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(rect, rect.height() / 2, rect.height() / 2);
        // A light translucent fill stands in for the blurred material, darkened as the label wants.
        p.fillPath(shape, QColor(70, 70, 78, 120));
        p.fillPath(shape, QColor(0, 0, 0, int(0.28 * 255)));
        p.setPen(QPen(QColor(255, 255, 255, int(0.2 * 255)), 0.8));
        p.drawPath(shape);
        p.setPen(Qt::white);
        p.setFont(labelFont(m_scale));
        p.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, m_text);
    }
    const QImage shadow = PaintHelpers::blurredShadow(capsule, 8, QColor(0, 0, 0, int(0.35 * 255)));
    // Shadow and capsule in one image: one blit per frame.
    m_image = QImage(shadow.size() + QSize(0, int(std::ceil(3 * dpr))), QImage::Format_ARGB32_Premultiplied);
    m_image.setDevicePixelRatio(dpr);
    m_image.fill(Qt::transparent);
    QPainter p(&m_image);
    p.drawImage(QPointF(0, 3), shadow);
    const QPointF capsuleOrigin =
        QPointF(shadow.width() - capsule.width(), shadow.height() - capsule.height()) / 2 / dpr;
    p.drawImage(capsuleOrigin, capsule);
    m_imageOffset = capsuleOrigin + rect.center();
}

void HoverLabelView::paint(QPainter &painter) {
    if (m_visibility <= 0 || m_text.isEmpty())
        return;
    render(painter.device()->devicePixelRatioF());
    const double appear = eased(m_visibility);
    painter.save();
    painter.translate(position());
    const double s = 0.9 + 0.1 * appear;
    painter.scale(s, s);
    painter.setOpacity(painter.opacity() * appear);
    painter.drawImage(-m_imageOffset, m_image);
    painter.restore();
}
