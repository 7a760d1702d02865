#pragma once

#include <QLabel>

class Clock;

// A short message in a dark capsule over the middle of the ring, such as why a change was refused. It
// takes no clicks, stays above the ring's other children and goes by itself after shownMs; a new message
// replaces the one showing and is shown for the whole time again.
class RingNotice : public QLabel {
    Q_OBJECT

  public:
    static constexpr int shownMs = 3000;

    RingNotice(QWidget *ring, Clock &clock);

    // Shows text at the ring's size setting (the clamped scale), centred on the ring.
    void say(const QString &text, double scale);

  private:
    Clock &m_clock;
    quint64 m_said = 0; // the latest message: an earlier one's time-out leaves it showing
};
