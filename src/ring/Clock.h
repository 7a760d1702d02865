#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <map>

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

// Time that moves only when told to: for tests and benchmarks.
class ManualClock final : public Clock {
  public:
    qint64 nowMs() const override { return m_now; }

    void schedule(qint64 delayMs, QObject *context, std::function<void()> task) override {
        // Tasks due at the same moment run in the order they were scheduled (multimap keeps insertion
        // order among equal keys).
        m_tasks.emplace(m_now + std::max<qint64>(delayMs, 0),
                        Task{QPointer<QObject>(context), std::move(task)});
    }

    // Moves time forward, running every task that falls due on the way, each at its own due time; tasks
    // scheduled by a task run too if they fall due before the end.
    void advance(qint64 ms) {
        const qint64 end = m_now + std::max<qint64>(ms, 0);
        while (!m_tasks.empty() && m_tasks.begin()->first <= end) {
            auto node = m_tasks.extract(m_tasks.begin());
            m_now = node.key();
            if (node.mapped().context)
                node.mapped().run();
        }
        m_now = end;
    }

    std::size_t pendingTasks() const { return m_tasks.size(); }

  private:
    struct Task {
        QPointer<QObject> context;
        std::function<void()> run;
    };
    qint64 m_now = 1000000; // far from zero, so that "time 0" is never mistaken for "no time"
    std::multimap<qint64, Task> m_tasks;
};
