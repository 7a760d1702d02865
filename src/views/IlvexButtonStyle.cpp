#include "views/IlvexButtonStyle.h"

#include "views/PaintHelpers.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QStyleOptionButton>

namespace {
QFont labelFont(QFont font) {
    font.setPixelSize(12);
    font.setWeight(QFont::Medium);
    return font;
}

using PaintHelpers::withAlpha;

void paintBackground(QPainter *painter, const QRect &rect, const QColor &fill, const QColor &stroke) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect).adjusted(0.4, 0.4, -0.4, -0.4), 7, 7);
    painter->fillPath(path, fill);
    painter->setPen(QPen(stroke, 0.8));
    painter->drawPath(path);
    painter->restore();
}

QSize labelSize(const QStyleOption *option, const QWidget *widget, int horizontalInset) {
    const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
    const QFontMetrics metrics(labelFont(widget ? widget->font() : QFont()));
    const int textWidth = button ? metrics.horizontalAdvance(button->text) : 0;
    return QSize(textWidth + 2 * horizontalInset, metrics.height() + 8);
}

void prepare(QAbstractButton *button, QStyle *style) {
    style->setParent(button);
    button->setStyle(style);
    button->setFont(labelFont(button->font()));
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setAttribute(Qt::WA_Hover);
}
} // namespace

IlvexButtonStyle::IlvexButtonStyle(const QColor &tint, const QColor &foreground)
    : m_tint(tint), m_foreground(foreground) {}

IlvexButtonStyle *IlvexButtonStyle::apply(QAbstractButton *button, const QColor &tint,
                                          const QColor &foreground) {
    auto *style = new IlvexButtonStyle(tint, foreground);
    prepare(button, style);
    return style;
}

void IlvexButtonStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                   const QWidget *widget) const {
    const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
    if (element != CE_PushButton || !button) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const bool pressed = option->state & State_Sunken;
    painter->save();
    // A button that takes no clicks (an empty form's Add) shows it.
    if (!(option->state & State_Enabled))
        painter->setOpacity(0.4);
    // Pressed, the fill fades to 0.55 of the tint's own opacity (a faint tint stays faint).
    paintBackground(painter, option->rect, pressed ? withAlpha(m_tint, 0.55 * m_tint.alphaF()) : m_tint,
                    withAlpha(Qt::white, 0.14));
    const QFont font = labelFont(widget ? widget->font() : painter->font());
    painter->setFont(font);
    painter->setPen(m_foreground);
    const QRect textRect = option->rect.adjusted(7, 4, -7, -4);
    painter->drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine,
                      QFontMetrics(font).elidedText(button->text, Qt::ElideRight, textRect.width()));
    painter->restore();
}

QSize IlvexButtonStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                         const QWidget *widget) const {
    if (type == CT_PushButton)
        return labelSize(option, widget, 7);
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

IlvexDestructiveButtonStyle::IlvexDestructiveButtonStyle(bool isDisabled) : m_isDisabled(isDisabled) {}

QColor IlvexDestructiveButtonStyle::systemRed() {
    return QColor(255, 59, 48);
}

IlvexDestructiveButtonStyle *IlvexDestructiveButtonStyle::apply(QAbstractButton *button, bool isDisabled) {
    auto *style = new IlvexDestructiveButtonStyle(isDisabled);
    prepare(button, style);
    // Long labels wrap instead of widening the row: the button may get narrower than its text, and
    // grows in height at the width it is given.
    button->setMinimumWidth(1);
    button->installEventFilter(style);
    return style;
}

bool IlvexDestructiveButtonStyle::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Resize) {
        const auto *resize = static_cast<QResizeEvent *>(event);
        if (resize->size().width() != resize->oldSize().width()) {
            // A push button keeps its size hint until some change event clears it.
            QEvent changed(QEvent::ContentsRectChange);
            QCoreApplication::sendEvent(watched, &changed);
            static_cast<QWidget *>(watched)->updateGeometry();
        }
    }
    return QProxyStyle::eventFilter(watched, event);
}

void IlvexDestructiveButtonStyle::drawControl(ControlElement element, const QStyleOption *option,
                                              QPainter *painter, const QWidget *widget) const {
    const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
    if (element != CE_PushButton || !button) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const bool pressed = option->state & State_Sunken;
    paintBackground(painter, option->rect, withAlpha(systemRed(), pressed ? 0.2 : 0.1),
                    withAlpha(systemRed(), m_isDisabled ? 0.15 : 0.3));
    painter->save();
    painter->setFont(labelFont(widget ? widget->font() : painter->font()));
    painter->setPen(withAlpha(systemRed(), m_isDisabled ? 0.35 : 0.85));
    painter->drawText(option->rect.adjusted(10, 4, -10, -4), Qt::AlignCenter | Qt::TextWordWrap,
                      button->text);
    painter->restore();
}

QSize IlvexDestructiveButtonStyle::sizeFromContents(ContentsType type, const QStyleOption *option,
                                                    const QSize &size, const QWidget *widget) const {
    if (type != CT_PushButton)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    QSize label = labelSize(option, widget, 10);
    const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
    if (widget && button && widget->width() > 2 * 10) {
        const QFontMetrics metrics(labelFont(widget->font()));
        const QRect wrapped = metrics.boundingRect(QRect(0, 0, widget->width() - 2 * 10, 1 << 20),
                                                   Qt::AlignCenter | Qt::TextWordWrap, button->text);
        label.setHeight(std::max(label.height(), wrapped.height() + 8));
    }
    return label;
}
