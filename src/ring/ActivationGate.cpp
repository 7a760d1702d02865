#include "ring/ActivationGate.h"

#include "ring/Clock.h"

ActivationGate::ActivationGate(Clock &clock, int doubleClickIntervalMs)
    : m_clock(clock), m_intervalMs(doubleClickIntervalMs) {}

void ActivationGate::groupOpened() {
    m_groupOpenedAt = m_clock.nowMs();
}

void ActivationGate::dismissalBegan() {
    m_dismissing = true;
}

void ActivationGate::reset() {
    m_dismissing = false;
    m_groupOpenedAt.reset();
}

bool ActivationGate::acceptsClick() const {
    if (m_dismissing)
        return false;
    return !m_groupOpenedAt || m_clock.nowMs() - *m_groupOpenedAt >= m_intervalMs;
}
