#include "launcher/ListColourPopover.h"

#include "views/ListThemeSwatchRow.h"
#include "views/PaintHelpers.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QScreen>

namespace {
constexpr int arrowSize = 8; // as the tint popover's
}

ListColourPopover::ListColourPopover(ListTheme current, std::function<void(ListTheme)> onPick,
                                     QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setObjectName(QStringLiteral("ListColourPopover"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12 + arrowSize, 12, 12, 12);
    auto *row = new ListThemeSwatchRow(current, 22, 10, [this, onPick = std::move(onPick)](ListTheme theme) {
        if (onPick)
            onPick(theme);
        close();
    });
    layout->addWidget(row);
}

void ListColourPopover::popup(const QRect &anchorRect) {
    adjustSize();
    // Like the tint popover: beside the row, its arrow touching it.
    QPoint topLeft(anchorRect.right() + 1, anchorRect.center().y() - height() / 2);
    m_arrowOnLeft = true;
    if (const QScreen *screen = QGuiApplication::screenAt(anchorRect.center())) {
        const QRect area = screen->availableGeometry();
        if (topLeft.x() + width() > area.right()) {
            topLeft.setX(anchorRect.left() - width());
            m_arrowOnLeft = false;
        }
        topLeft.setY(std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() - height())));
    }
    layout()->setContentsMargins(12 + (m_arrowOnLeft ? arrowSize : 0), 12,
                                 12 + (m_arrowOnLeft ? 0 : arrowSize), 12);
    move(topLeft);
    show();
}

void ListColourPopover::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 46), 1));
    painter.setBrush(QColor(30, 34, 48, 235));
    painter.drawPath(PaintHelpers::calloutPath(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), arrowSize,
                                               m_arrowOnLeft, 10));
}

void ListColourPopover::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    Q_EMIT closed();
}
