#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>

#include <functional>
#include <memory>

class PointerWatch;
class QSocketNotifier;

// The top-right hot corner of every screen, watched by a 50 ms poll. It fires once for each entry: after
// firing it is disarmed until one poll finds the pointer outside every corner zone. A screen's zone (the
// last 4 × 4 pixels at its top right) counts only while the pointer is inside that screen, so a taller
// neighbour's edge never passes for a corner.
//
// The poll is the only idle work of the program: it reads the pointer position (one QueryPointer on X)
// and compares it with screen frames kept since the screens last changed; it allocates nothing of its
// own. While the corner is switched off the timer stops.
//
// Where motion can be watched (X Input on X), a pointer that has not moved for a few polls lets the poll
// rest: it then runs every restingPollMs until motion is heard of, which brings back the 50 ms poll at
// once. A resting pointer cannot enter a corner, so this changes nothing a user sees; the slow poll is
// there for pointers moved where no motion is reported (warped over another program's window).
class HotCorner : public QObject {
    Q_OBJECT

  public:
    static constexpr int pollMs = 50;
    static constexpr int restingPollMs = 250;
    static constexpr int stillPolls = 4; // polls with the pointer in one place before the poll rests
    static constexpr int zone = 4;

    // pointer: the pointer's global position (default: QCursor::pos()).
    explicit HotCorner(std::function<QPoint()> pointer = {}, QObject *parent = nullptr);
    // The platform's pointer (QCursor::pos() when it has none or cannot tell), watched for motion where
    // the platform reports it.
    explicit HotCorner(PointerWatch *pointer, QObject *parent = nullptr);
    ~HotCorner() override;

    // Lets the poll rest while the pointer does: socket turns readable when motion may have happened,
    // takeMotion reads what arrived and says whether it was motion.
    void watchMotion(int socket, std::function<bool()> takeMotion);
    int pollInterval() const { return m_timer.interval(); }

    // Switching on arms the corner and starts the poll; switching off disarms it and stops the poll. So
    // turning it on while the pointer rests in a corner fires at the next poll.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_timer.isActive(); }
    bool isArmed() const { return m_armed; }

    // The screens' frames, in the system's order; kept up to date from the application's screens unless
    // set here.
    void setScreens(QList<QRect> frames);
    // The screen whose corner zone holds point, or -1.
    static int cornerAt(QPoint point, const QList<QRect> &frames);

    // One poll step (the timer's); public so that tests step it without waiting.
    void check();

  Q_SIGNALS:
    // The pointer entered the corner of screen frame while armed.
    void fired(QRect frame);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void followScreens();
    void pace(bool moved);
    void wake();
    bool resting() const;

    std::function<QPoint()> m_pointer;
    std::function<bool()> m_takeMotion;
    std::unique_ptr<QSocketNotifier> m_motion;
    QList<QRect> m_frames;
    QPoint m_last{-1, -1};
    int m_still = 0;
    bool m_ownScreens = true;
    bool m_armed = false;
    QTimer m_timer;
};
