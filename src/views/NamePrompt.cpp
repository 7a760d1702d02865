#include "views/NamePrompt.h"

#include "l10n/L.h"
#include "views/AppIconPainter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int cardMargin = 18; // room around the card for its shadow
constexpr qreal cardRadius = 16;

// The ring's text: the system font in logical pixels, semibold.
QFont ringFont(int pixelSize, QFont::Weight weight = QFont::DemiBold) {
    QFont font;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QString rgba(const QColor &color) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}
} // namespace

NamePrompt::NamePrompt(const QString &title, const QString &text,
                       std::function<void(const QString &)> onAccept, QWidget *parent, const QColor &accent,
                       ViewHost *host)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_field(new QLineEdit(text, this)),
      m_ok(new QPushButton(QStringLiteral("OK"), this)), m_guard(host) {
    setWindowTitle(title);
    setModal(true);
    setAttribute(Qt::WA_TranslucentBackground);
    const QColor tint = accent.isValid() ? accent : AppIconPainter::defaultTint();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(cardMargin + 18, cardMargin + 16, cardMargin + 18, cardMargin + 16);
    layout->setSpacing(12);
    auto *heading = new QLabel(title, this);
    heading->setFont(ringFont(14));
    heading->setStyleSheet(QStringLiteral("color: white;"));
    layout->addWidget(heading);

    m_field->setPlaceholderText(L::name());
    m_field->setAccessibleName(title);
    m_field->setAccessibleDescription(L::name());
    m_field->setMinimumWidth(260);
    m_field->setFont(ringFont(13, QFont::Normal));
    QPalette palette = m_field->palette();
    palette.setColor(QPalette::PlaceholderText, QColor(255, 255, 255, 110));
    m_field->setPalette(palette);
    QColor selection = tint;
    selection.setAlpha(170);
    m_field->setStyleSheet(QStringLiteral("QLineEdit { color: white; background: rgba(255, 255, 255, 26);"
                                          " border: 1px solid rgba(255, 255, 255, 60); border-radius: 8px;"
                                          " padding: 5px 8px; selection-background-color: %1; }"
                                          "QLineEdit:focus { border: 1px solid %2; }")
                               .arg(rgba(selection), rgba(tint)));
    layout->addWidget(m_field);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch();
    auto *cancel = new QPushButton(L::cancel(), this);
    const QString button = QStringLiteral("QPushButton { color: white; border-radius: 8px; padding: 5px 16px;"
                                          " min-width: 56px; background: %1; border: 1px solid %2; }"
                                          "QPushButton:pressed { background: %3; }");
    cancel->setStyleSheet(button.arg(QStringLiteral("rgba(255, 255, 255, 30)"),
                                     QStringLiteral("rgba(255, 255, 255, 50)"),
                                     QStringLiteral("rgba(255, 255, 255, 60)")));
    QColor pressed = tint.lighter(125);
    m_ok->setStyleSheet(button.arg(rgba(tint), QStringLiteral("rgba(255, 255, 255, 70)"), rgba(pressed)));
    for (QPushButton *b : {cancel, m_ok}) {
        b->setFont(ringFont(12));
        b->setCursor(Qt::PointingHandCursor);
        b->setFocusPolicy(Qt::TabFocus);
    }
    cancel->setAutoDefault(false);
    m_ok->setDefault(true); // Enter in the field
    buttons->addWidget(cancel);
    buttons->addWidget(m_ok);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::accepted, this, [this, onAccept = std::move(onAccept)] {
        if (onAccept)
            onAccept(m_field->text());
    });
}

NamePrompt *NamePrompt::open(const QString &title, const QString &text,
                             std::function<void(const QString &)> onAccept, QWidget *parent,
                             const QColor &accent, ViewHost *host) {
    auto *prompt = new NamePrompt(title, text, std::move(onAccept), parent, accent, host);
    prompt->setAttribute(Qt::WA_DeleteOnClose);
    prompt->QDialog::open();
    prompt->m_field->selectAll();
    prompt->m_field->setFocus();
    return prompt;
}

std::optional<QString> NamePrompt::ask(const QString &title, const QString &text, QWidget *parent,
                                       const QColor &accent, ViewHost *host) {
    std::optional<QString> answer;
    NamePrompt prompt(
        title, text, [&answer](const QString &name) { answer = name; }, parent, accent, host);
    prompt.m_field->selectAll();
    prompt.m_field->setFocus();
    prompt.exec();
    return answer;
}

void NamePrompt::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(cardMargin, cardMargin, -cardMargin, -cardMargin);
    // A soft shadow in a few rings, lighter outwards.
    for (int i = cardMargin; i > 0; i -= 3) {
        QPainterPath ring;
        ring.addRoundedRect(card.adjusted(-i, -i + 4, i, i + 4), cardRadius + i, cardRadius + i);
        painter.fillPath(ring, QColor(0, 0, 0, 10));
    }
    QPainterPath shape;
    shape.addRoundedRect(card, cardRadius, cardRadius);
    painter.fillPath(shape, QColor(24, 26, 34, 224));
    QLinearGradient sheen(card.topLeft(), card.bottomLeft());
    sheen.setColorAt(0, QColor(255, 255, 255, 22));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillPath(shape, sheen);
    painter.setPen(QPen(QColor(255, 255, 255, 51), 0.8));
    painter.drawPath(shape);
}

void NamePrompt::showEvent(QShowEvent *event) {
    m_guard.setActive(true);
    QDialog::showEvent(event);
}

void NamePrompt::hideEvent(QHideEvent *event) {
    m_guard.setActive(false);
    QDialog::hideEvent(event);
}
