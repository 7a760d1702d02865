#pragma once

#include "ring/Clock.h"

#include <QPointer>

#include <map>

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

  private:
    struct Task {
        QPointer<QObject> context;
        std::function<void()> run;
    };
    qint64 m_now = 1000000; // far from zero, so that "time 0" is never mistaken for "no time"
    std::multimap<qint64, Task> m_tasks;
};
