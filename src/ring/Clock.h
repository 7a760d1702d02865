#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <functional>

// Time for the ring's drag logic: "now" and delayed tasks on the main thread. The drag takes a Clock
// instead of reading the system time, so tests step 0.16 s of dwell without sleeping.
class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic time in milliseconds; only differences matter.
    virtual qint64 nowMs() const = 0;
    // Runs task once, delayMs from now (0 or less: as soon as possible), on the calling thread. The task
    // is dropped when context has been destroyed meanwhile.
    virtual void schedule(qint64 delayMs, QObject *context, std::function<void()> task) = 0;
};

// The real clock: a monotonic timer and single-shot QTimers.
class SystemClock final : public Clock {
  public:
    SystemClock() { m_elapsed.start(); }
    qint64 nowMs() const override { return m_elapsed.elapsed(); }
    void schedule(qint64 delayMs, QObject *context, std::function<void()> task) override {
        const int delay = int(std::clamp<qint64>(delayMs, 0, 24 * 3600 * 1000));
        QTimer::singleShot(delay, context, std::move(task));
    }

  private:
    QElapsedTimer m_elapsed;
};
