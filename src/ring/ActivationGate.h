#pragma once

#include <QtGlobal>

#include <optional>

class Clock;

// Decides whether a click, Enter or toggle on the ring may act. Two habits make a second click land
// where it was not meant to:
// - a double click on a group: the first click opens the group, and the second lands on the new ring,
//   where it would launch a member or step back out. A click within the double-click interval after a
//   group opened is swallowed.
// - a double click on an application: the first click starts the dismissal and the launch, and the
//   second would launch it again. Once a dismissal has begun, nothing acts until the launcher is shown
//   afresh.
class ActivationGate {
  public:
    ActivationGate(Clock &clock, int doubleClickIntervalMs);

    void groupOpened();
    void dismissalBegan();
    // A new showing: everything acts again.
    void reset();

    // A launch, a group opening, a step back: anything but a click.
    bool mayActivate() const { return !m_dismissing; }
    // A click on the ring (an entry or empty space).
    bool acceptsClick() const;

  private:
    Clock &m_clock;
    int m_intervalMs;
    bool m_dismissing = false;
    std::optional<qint64> m_groupOpenedAt;
};
