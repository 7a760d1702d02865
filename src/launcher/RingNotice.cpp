#include "launcher/RingNotice.h"

#include "launcher/HoverLabelView.h"
#include "ring/Clock.h"

#include <cmath>

RingNotice::RingNotice(QWidget *ring, Clock &clock) : QLabel(ring), m_clock(clock) {
    setObjectName(QStringLiteral("ringNotice"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    hide();
}

void RingNotice::say(const QString &text, double scale) {
    const int padding = int(std::lround(8 * scale));
    setStyleSheet(
        QStringLiteral("QLabel { color: white; background: rgba(20, 20, 24, 215); border-radius: %1px;"
                       " padding: %2px %3px; }")
            .arg(int(std::lround(12 * scale)))
            .arg(padding)
            .arg(2 * padding));
    setFont(HoverLabelView::font(scale));
    ensurePolished(); // the style sheet's padding counts in the height
    setText(text);
    setFixedWidth(int(std::lround(300 * scale)));
    setFixedHeight(heightForWidth(width()));
    const QWidget *ring = parentWidget();
    move((ring->width() - width()) / 2, (ring->height() - height()) / 2);
    show();
    raise();
    m_clock.schedule(shownMs, this, [this, said = ++m_said] {
        if (said == m_said)
            hide();
    });
}
