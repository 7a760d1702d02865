// What the benchmarks share: a run of timings in milliseconds and the figures they print of it.
#pragma once

#include <QElapsedTimer>
#include <QList>

#include <algorithm>

class Timings {
  public:
    template <typename Work> void time(Work &&work) {
        QElapsedTimer clock;
        clock.start();
        work();
        m_ms.append(clock.nsecsElapsed() / 1e6);
    }
    double percentile(int percent) {
        std::sort(m_ms.begin(), m_ms.end());
        return m_ms[std::min(m_ms.size() - 1, m_ms.size() * percent / 100)];
    }
    double median() { return percentile(50); }
    double p95() { return percentile(95); }
    double min() { return percentile(0); }
    double max() { return percentile(100); }
    qsizetype count() const { return m_ms.size(); }

  private:
    QList<double> m_ms;
};
