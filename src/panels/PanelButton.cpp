#include "panels/PanelButton.h"

#include "views/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

PanelButton::PanelButton(const QString &text, const Look &look, QWidget *parent)
    : QAbstractButton(parent), m_look(look) {
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

QFont PanelButton::labelFont() const {
    QFont font = this->font();
    font.setPixelSize(int(m_look.textSize));
    font.setWeight(m_look.weight);
    return font;
}

QSize PanelButton::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    const double symbol = m_look.dot.isValid() ? 14 : (m_look.symbol.isEmpty() ? 0 : m_look.symbolSize + 2);
    const double textW = text().isEmpty() ? 0 : metrics.horizontalAdvance(text());
    const double textH = text().isEmpty() ? 0 : metrics.height();
    const QMargins &p = m_look.padding;
    if (m_look.stacked)
        return QSize(
            int(std::ceil(std::max(symbol, textW) + p.left() + p.right())),
            int(std::ceil(symbol + (textH > 0 && symbol > 0 ? 3 : 0) + textH + p.top() + p.bottom())));
    return QSize(int(std::ceil(symbol + (textW > 0 && symbol > 0 ? 5 : 0) + textW + p.left() + p.right())),
                 int(std::ceil(std::max(symbol, textH) + p.top() + p.bottom())));
}

void PanelButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = std::min(m_look.radius, std::min(face.width(), face.height()) / 2);
    QColor fill = m_look.fill;
    if (isDown())
        fill.setAlphaF(std::min(1.0, fill.alphaF() * 1.8));
    painter.setPen(m_look.stroke.alpha() > 0 ? QPen(m_look.stroke, 0.8) : Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(face, radius, radius);
    if (hasFocus()) {
        painter.setPen(QPen(QColor(255, 255, 255, 120), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(face.adjusted(1, 1, -1, -1), radius, radius);
    }

    QColor fg = m_look.foreground;
    if (!isEnabled())
        fg.setAlphaF(fg.alphaF() * 0.35);
    const QRectF inner = QRectF(rect()).marginsRemoved(QMarginsF(m_look.padding));
    const QFont font = labelFont();
    const double textH = text().isEmpty() ? 0 : QFontMetricsF(font).height();
    const double symbolH = m_look.dot.isValid() ? 14 : (m_look.symbol.isEmpty() ? 0 : m_look.symbolSize + 2);
    QRectF symbolRect, textRect;
    if (m_look.stacked) {
        const double total = symbolH + (textH > 0 && symbolH > 0 ? 3 : 0) + textH;
        const double top = inner.center().y() - total / 2;
        symbolRect = QRectF(inner.left(), top, inner.width(), symbolH);
        textRect = QRectF(inner.left(), top + total - textH, inner.width(), textH);
    } else {
        const double textW = text().isEmpty() ? 0 : QFontMetricsF(font).horizontalAdvance(text());
        const double total = symbolH + (textW > 0 && symbolH > 0 ? 5 : 0) + textW;
        const double left = inner.center().x() - total / 2;
        symbolRect = QRectF(left, inner.top(), symbolH, inner.height());
        textRect = QRectF(left + total - textW, inner.top(), textW + 1, inner.height());
    }
    if (m_look.dot.isValid()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_look.dot);
        QRectF dot(0, 0, 14, 14);
        dot.moveCenter(symbolRect.center());
        painter.drawEllipse(dot);
    } else if (!m_look.symbol.isEmpty()) {
        Symbols::paint(painter, symbolRect, m_look.symbol, Symbols::pixelSizeForFontSize(m_look.symbolSize),
                       fg);
    }
    if (!text().isEmpty()) {
        painter.setFont(font);
        painter.setPen(fg);
        painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine,
                         QFontMetricsF(font).elidedText(text(), Qt::ElideRight, textRect.width()));
    }
}
