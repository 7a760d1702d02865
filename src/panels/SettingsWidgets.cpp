#include "panels/SettingsWidgets.h"

#include "views/PaintHelpers.h"
#include "views/Symbols.h"

#include <QCheckBox>
#include <QPainter>
#include <QPainterPath>

using PaintHelpers::withAlpha;

namespace SettingsWidgets {
namespace {
// Wide enough for the symbol drawn in front of a centred label.
const QString symbolRoom = QStringLiteral("\u2003 ");
} // namespace

QColor tint() {
    return QColor::fromRgbF(0.38f, 0.62f, 1.0f);
}

QPalette palette() {
    QPalette p;
    const QColor white(Qt::white);
    p.setColor(QPalette::WindowText, withAlpha(white, 0.85));
    p.setColor(QPalette::Disabled, QPalette::WindowText, withAlpha(white, 0.3));
    p.setColor(QPalette::Base, withAlpha(white, 0.12));
    p.setColor(QPalette::Disabled, QPalette::Base, withAlpha(white, 0.05));
    p.setColor(QPalette::Text, tint());
    p.setColor(QPalette::Disabled, QPalette::Text, withAlpha(tint(), 0.35));
    p.setColor(QPalette::Highlight, tint());
    p.setColor(QPalette::Button, QColor::fromRgbF(0.22f, 0.33f, 0.62f));
    p.setColor(QPalette::ButtonText, white);
    p.setColor(QPalette::Window, QColor::fromRgbF(0.13f, 0.22f, 0.48f));
    p.setColor(QPalette::ToolTipBase, QColor::fromRgbF(0.13f, 0.22f, 0.48f));
    p.setColor(QPalette::ToolTipText, white);
    return p;
}

QPalette popupPalette() {
    QPalette p = palette();
    p.setColor(QPalette::Base, QColor::fromRgbF(0.13f, 0.22f, 0.48f));
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

QLabel *label(int pixelSize, QFont::Weight weight, double opacity, QWidget *parent) {
    auto *text = new QLabel(parent);
    QFont font = text->font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    text->setFont(font);
    QPalette p = text->palette();
    p.setColor(QPalette::WindowText, withAlpha(Qt::white, opacity));
    text->setPalette(p);
    return text;
}

QLabel *sectionLabel(QString (*text)(), QList<std::function<void()>> &texts, QWidget *parent) {
    QLabel *title = label(11, QFont::DemiBold, 0.5, parent);
    texts.append([title, text] { title->setText(text().toUpper()); });
    return title;
}

QWidget *divider(QWidget *parent) {
    auto *line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    p.setColor(QPalette::Window, withAlpha(Qt::white, 0.35 * 0.3));
    line->setPalette(p);
    return line;
}

QLabel *symbol(const QString &name, QWidget *parent) {
    auto *image = new QLabel(parent);
    const qreal ratio = parent ? parent->devicePixelRatioF() : 1.0;
    QImage drawn = Symbols::image(name, Symbols::pixelSizeForFontSize(12), withAlpha(Qt::white, 0.55), ratio);
    image->setPixmap(QPixmap::fromImage(drawn));
    image->setFixedWidth(18);
    return image;
}

void styleToggle(QCheckBox *box, bool small) {
    QFont font = box->font();
    font.setPixelSize(small ? 11 : 13);
    box->setFont(font);
    if (small) {
        QPalette p = box->palette();
        p.setColor(QPalette::WindowText, withAlpha(Qt::white, 0.45));
        box->setPalette(p);
    }
    box->setFocusPolicy(Qt::StrongFocus);
}

KeyBadge::KeyBadge(const QString &keys, QWidget *parent) : QLabel(keys, parent) {
    QFont font = this->font();
    font.setPixelSize(12);
    font.setBold(true);
    setFont(font);
    setContentsMargins(9, 3, 9, 3);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, withAlpha(Qt::white, 0.75));
    setPalette(p);
    setAccessibleName(keys);
}

void KeyBadge::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter.fillPath(path, withAlpha(Qt::white, 0.08));
    painter.setPen(QPen(withAlpha(Qt::white, 0.18), 1));
    painter.drawPath(path);
    painter.end();
    QLabel::paintEvent(event);
}

SymbolButton::SymbolButton(QWidget *parent) : QPushButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void SymbolButton::setContent(const QString &text, const QString &symbol, const QColor &color) {
    setText(symbolRoom + text);
    setAccessibleName(text);
    m_symbol = symbol;
    m_color = color;
    update();
}

void SymbolButton::paintEvent(QPaintEvent *event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The style centres the label (with room in front of it); the symbol goes into that room.
    const QFontMetricsF metrics(font());
    const qreal textWidth = std::min<qreal>(metrics.horizontalAdvance(text()), width() - 14);
    const qreal left = (width() - textWidth) / 2;
    const qreal side = metrics.horizontalAdvance(QChar(0x2003));
    QColor color = m_color;
    if (!isEnabled())
        color.setAlphaF(color.alphaF() * 0.35f);
    Symbols::paint(painter, QRectF(left, 0, side, height()), m_symbol, Symbols::pixelSizeForFontSize(12),
                   color);
    if (hasFocus()) {
        painter.setPen(QPen(withAlpha(tint(), 0.9), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 7, 7);
    }
}

} // namespace SettingsWidgets
