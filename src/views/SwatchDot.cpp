#include "views/SwatchDot.h"

#include "views/Symbols.h"

#include <QPainter>
#include <QtMath>

SwatchDot::SwatchDot(const QColor &color, bool selected, qreal diameter, bool showCheck,
                     std::function<void()> action, QWidget *parent)
    : QAbstractButton(parent), m_color(color), m_selected(selected), m_diameter(diameter),
      m_showCheck(showCheck) {
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    if (action)
        connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
}

void SwatchDot::setSelected(bool selected) {
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

QSize SwatchDot::sizeHint() const {
    return QSize(qCeil(m_diameter), qCeil(m_diameter));
}

qreal SwatchDot::ringWidth(qreal diameter, bool selected) {
    return selected ? std::max(diameter * 0.115, 2.5) : 0.0;
}

void SwatchDot::paint(QPainter &painter, const QRectF &rect, const QColor &color, bool selected,
                      bool showCheck, const QColor &edgeColor) {
    const qreal diameter = std::min(rect.width(), rect.height());
    const QRectF circle(rect.center().x() - diameter / 2, rect.center().y() - diameter / 2, diameter,
                        diameter);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(circle);

    QColor edge = edgeColor;
    edge.setAlphaF(0.22);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(edge, 1));
    painter.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));

    if (const qreal ring = ringWidth(diameter, selected); ring > 0) {
        painter.setPen(QPen(Qt::white, ring));
        painter.drawEllipse(circle.adjusted(ring / 2, ring / 2, -ring / 2, -ring / 2));
    }
    painter.restore();
    if (selected && showCheck)
        Symbols::paint(painter, circle, QStringLiteral("checkmark"),
                       Symbols::pixelSizeForFontSize(diameter * 0.42), Qt::white);
}

void SwatchDot::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_color, m_selected, m_showCheck, palette().color(QPalette::WindowText));
}
