// Cost of one pointer-change step of the ring drag with 24 items, the worst case the ring shows before
// its radius hits the ceiling. The goal is well under 50 µs per step.
#include "ring/RingDrag.h"
#include "support/Entries.h"
#include "support/ManualClock.h"

#include <QElapsedTimer>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

struct MemoryStore : RingDragStore {
    explicit MemoryStore(int count) {
        for (int i = 0; i < count; ++i) // every sixth a group
            m_items.append(i % 6 == 5 ? entries::group(QString::number(i), {})
                                      : entries::app(QString::number(i)));
    }
    QList<AppItem> currentItems() const override { return m_items; }
    int listCount() const override { return 3; }
    std::optional<QUuid> openSubListID() const override { return std::nullopt; }
    double launcherScale() const override { return 1.0; }
    bool soundsEnabled() const override { return false; }
    void moveItemToSubList(const QUuid &, const QUuid &) override {}
    std::optional<QUuid> mergeIntoNewGroup(const QUuid &, const QUuid &) override { return std::nullopt; }
    bool withCurrentItems(const std::function<void(QList<AppItem> &)> &change) override {
        change(m_items);
        return true;
    }
    bool save() override { return true; }
    QList<AppItem> m_items;
};

// Drags item 0 round the ring in 16 ms steps, alternating a sweep (reordering) with rests on icons
// (merge candidates), and returns nanoseconds per pointer step.
double measure(int items, int steps) {
    MemoryStore store(items);
    ManualClock clock;
    RingDrag drag(store, clock);
    const RingGeometry geometry = drag.geometry();
    drag.press(store.currentItems()[0].id, 0, geometry.iconPosition(0));
    drag.pointerMoved(geometry.iconPosition(0) + QPointF(6, 0));

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < steps; ++i) {
        clock.advance(16);
        const int phase = i % 64;
        const double angle = -std::numbers::pi + 2 * std::numbers::pi * ((i / 64) % items) / items;
        const double sweep = phase < 32 ? phase * 0.02 : 0; // moving, then resting with small jitter
        const QPointF centre(geometry.radius() * std::cos(angle + sweep),
                             geometry.radius() * std::sin(angle + sweep));
        drag.pointerMoved(centre + drag.grabOffset() + QPointF(phase % 2, 0));
    }
    return double(timer.nsecsElapsed()) / steps; // the drag is dropped with its store
}

} // namespace

int main() {
    const int steps = 200000;
    for (int items : {8, 24, 40})
        std::printf("ring drag, %2d items: %8.2f us per pointer step (%d steps)\n", items,
                    measure(items, steps) / 1000.0, steps);
    return 0;
}
