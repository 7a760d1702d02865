#include "views/TintPopover.h"

#include "l10n/L.h"
#include "store/Types.h"
#include "views/AppIconPainter.h"
#include "views/PaintHelpers.h"
#include "views/SwatchDot.h"
#include "views/Symbols.h"

#include <QAbstractButton>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int arrowSize = 8;
constexpr int contentWidth = 210;

// The "default" row: a colour circle, the title and, when nothing is chosen, a check mark.
class DefaultRow : public QAbstractButton {
  public:
    DefaultRow(const QColor &color, const QString &title, bool checked, QWidget *parent)
        : QAbstractButton(parent), m_color(color), m_checked(checked) {
        setText(title);
        setCursor(Qt::PointingHandCursor);
        QFont font = this->font();
        font.setPixelSize(12);
        setFont(font);
    }
    QSize sizeHint() const override { return {contentWidth - 28, 24}; }

  protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor text = palette().color(QPalette::WindowText);
        const QRectF circle(0.5, (height() - 20) / 2.0 + 0.5, 19, 19);
        painter.setBrush(m_color);
        QColor edge = text;
        edge.setAlphaF(0.25);
        painter.setPen(QPen(edge, 1));
        painter.drawEllipse(circle);
        painter.setPen(text);
        painter.drawText(QRectF(28, 0, width() - 48, height()), Qt::AlignVCenter | Qt::AlignLeft,
                         this->text());
        if (m_checked)
            Symbols::paint(painter, QRectF(width() - 18, 0, 18, height()), QStringLiteral("checkmark"),
                           Symbols::pixelSizeForFontSize(11), text);
    }

  private:
    QColor m_color;
    bool m_checked;
};
} // namespace

TintPopover::TintPopover(const std::optional<QString> &folderTint, bool isGroup, const QColor &subListTint,
                         Pick onPick, ViewHost *host, QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      m_onPick(std::move(onPick)), m_defaultChecked(!folderTint.has_value()), m_guard(host) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14 + arrowSize, 14, 14, 14);
    layout->setSpacing(10);
    m_defaultRow = new DefaultRow(isGroup ? subListTint : AppIconPainter::defaultTint(),
                                  isGroup ? L::themeColor() : L::defaultColor(), m_defaultChecked, this);
    connect(m_defaultRow, &QAbstractButton::clicked, this, [this] { choose(std::nullopt); });
    layout->addWidget(m_defaultRow);

    auto *separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFixedHeight(1);
    separator->setStyleSheet(QStringLiteral("background: rgba(127,127,127,0.35); border: none;"));
    layout->addWidget(separator);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    const QList<FolderTintPreset> &presets = folderTintPresets();
    for (int i = 0; i < presets.size(); ++i) {
        const FolderTintPreset &preset = presets[i];
        auto *dot = new SwatchDot(
            hex(preset.hex), folderTint == preset.hex, 24, true, [this, tint = preset.hex] { choose(tint); },
            this);
        dot->setToolTip(L::colorName(preset.name));
        dot->setAccessibleName(dot->toolTip());
        auto *cell = new QWidget(this); // fixed 26-wide columns, the dot centred
        cell->setFixedSize(26, 26);
        auto *cellLayout = new QHBoxLayout(cell);
        cellLayout->setContentsMargins(0, 0, 0, 0);
        cellLayout->addWidget(dot, 0, Qt::AlignCenter);
        grid->addWidget(cell, i / 5, i % 5);
        m_swatches.append(dot);
    }
    auto *gridRow = new QHBoxLayout;
    gridRow->addStretch();
    gridRow->addLayout(grid);
    gridRow->addStretch();
    layout->addLayout(gridRow);
    setFixedWidth(contentWidth + arrowSize);
    adjustSize();
}

void TintPopover::choose(const std::optional<QString> &tint) {
    if (m_onPick)
        m_onPick(tint);
    close();
}

void TintPopover::popup(const QRect &anchorRect) {
    adjustSize();
    QPoint topLeft(anchorRect.right() + 1, anchorRect.center().y() - height() / 2);
    m_arrowOnLeft = true;
    if (const QScreen *screen = QGuiApplication::screenAt(anchorRect.center())) {
        const QRect available = screen->availableGeometry();
        if (topLeft.x() + width() > available.right()) { // no room after the entry: open before it
            topLeft.setX(anchorRect.left() - width());
            m_arrowOnLeft = false;
        }
        topLeft.setY(std::clamp(topLeft.y(), available.top(),
                                std::max(available.top(), available.bottom() - height())));
    }
    QMargins margins = layout()->contentsMargins();
    margins.setLeft(14 + (m_arrowOnLeft ? arrowSize : 0));
    margins.setRight(14 + (m_arrowOnLeft ? 0 : arrowSize));
    layout()->setContentsMargins(margins);
    move(topLeft);
    show();
}

void TintPopover::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = PaintHelpers::calloutPath(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5),
                                                        arrowSize, m_arrowOnLeft, 10);
    QColor fill = palette().color(QPalette::Window);
    fill.setAlphaF(0.97);
    painter.fillPath(path, fill);
    QColor stroke = palette().color(QPalette::WindowText);
    stroke.setAlphaF(0.15);
    painter.setPen(QPen(stroke, 1));
    painter.drawPath(path);
}

void TintPopover::showEvent(QShowEvent *event) {
    m_guard.setActive(true);
    QWidget::showEvent(event);
}

void TintPopover::hideEvent(QHideEvent *event) {
    m_guard.setActive(false);
    QWidget::hideEvent(event);
    Q_EMIT closed();
}
