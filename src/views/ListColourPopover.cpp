#include "views/ListColourPopover.h"

#include "views/ListThemeSwatchRow.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QScreen>

ListColourPopover::ListColourPopover(ListTheme current, std::function<void(ListTheme)> onPick,
                                     QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setObjectName(QStringLiteral("ListColourPopover"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    auto *row = new ListThemeSwatchRow(current, 22, 10, [this, onPick = std::move(onPick)](ListTheme theme) {
        if (onPick)
            onPick(theme);
        close();
    });
    layout->addWidget(row);
}

void ListColourPopover::popup(const QRect &anchorRect) {
    adjustSize();
    QPoint topLeft(anchorRect.right() + 8, anchorRect.center().y() - height() / 2);
    if (const QScreen *screen = QGuiApplication::screenAt(anchorRect.center())) {
        const QRect area = screen->availableGeometry();
        if (topLeft.x() + width() > area.right())
            topLeft.setX(anchorRect.left() - 8 - width());
        topLeft.setY(std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() - height())));
    }
    move(topLeft);
    show();
}

void ListColourPopover::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 46), 1));
    painter.setBrush(QColor(30, 34, 48, 235));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
}

void ListColourPopover::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    Q_EMIT closed();
}
