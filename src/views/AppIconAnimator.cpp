#include "views/AppIconAnimator.h"

#include <QEasingCurve>

namespace {
constexpr int pulseHalfPeriodMs = 450;
constexpr int pulseCalmMs = 150;
} // namespace

AppIconAnimator::AppIconAnimator(QObject *parent)
    : QObject(parent), m_hover(0.18, 0.65, 0, this), m_drop(0.16, 0.6, 0, this) {
    connect(&m_hover, &SpringAnimator::valueChanged, this, &AppIconAnimator::changed);
    connect(&m_drop, &SpringAnimator::valueChanged, this, &AppIconAnimator::changed);
    connect(&m_pulse, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_pulseValue = value.toReal();
        Q_EMIT changed();
    });
}

AppIconMotion AppIconAnimator::motion() const {
    return {m_hover.value(), m_drop.value(), m_pulseValue};
}

void AppIconAnimator::setHovered(bool hovered) {
    if (hovered == m_hovered)
        return;
    m_hovered = hovered;
    m_hover.animateTo(hovered ? 1 : 0);
}

void AppIconAnimator::setDropTarget(bool dropTarget) {
    if (dropTarget == m_dropTarget)
        return;
    m_dropTarget = dropTarget;
    m_dropPulse = dropTarget;
    m_drop.animateTo(dropTarget ? 1 : 0);
    m_pulse.stop();
    if (dropTarget) {
        // Low to high in 0.45 s and back again, eased both ways, for as long as the entry is a target.
        QEasingCurve breathing;
        breathing.setCustomType([](qreal progress) {
            const qreal half = progress < 0.5 ? 2 * progress : 2 - 2 * progress;
            return QEasingCurve(QEasingCurve::InOutQuad).valueForProgress(half);
        });
        m_pulse.setStartValue(0.0);
        m_pulse.setEndValue(1.0);
        m_pulse.setDuration(2 * pulseHalfPeriodMs);
        m_pulse.setEasingCurve(breathing);
        m_pulse.setLoopCount(-1);
    } else {
        m_pulse.setStartValue(m_pulseValue);
        m_pulse.setEndValue(0.0);
        m_pulse.setDuration(pulseCalmMs);
        m_pulse.setEasingCurve(QEasingCurve::InOutQuad);
        m_pulse.setLoopCount(1);
    }
    m_pulse.start();
}

void AppIconAnimator::settle() {
    m_pulse.stop();
    m_pulseValue = 0;
    m_hover.jumpTo(m_hovered ? 1 : 0);
    m_drop.jumpTo(m_dropTarget ? 1 : 0);
}
