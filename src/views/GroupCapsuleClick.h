#pragma once

#include "store/Types.h"

#include <QPointF>

#include <functional>
#include <memory>

// The click rule of an entry's name capsule. On a group the capsule takes a double click (rename), and
// that gesture wins over the click: a single click there acts only once the double-click interval has
// passed without a second one. Clicks anywhere else act at once.
//
// The owner hands in how to run something later (a QTimer, or the ring's clock), tied to its own
// lifetime; a task that comes due after this object is gone does nothing.
class GroupCapsuleClick {
  public:
    using Schedule = std::function<void(int delayMs, std::function<void()> task)>;

    explicit GroupCapsuleClick(Schedule schedule);

    // Whether a point in the entry's frame coordinates lies on the name capsule of a group.
    static bool onGroupCapsule(const AppItem &item, qreal iconSize, QPointF framePoint);

    // A completed click: runs action now, or after the double-click interval when it was on a group's
    // capsule, where it replaces a click still waiting.
    void click(bool onCapsule, std::function<void()> action);
    // A double click. True when it was on a group's capsule: the waiting click is dropped and the caller
    // renames the group; false leaves everything as it was.
    bool doubleClick(bool onCapsule);
    // Drops a waiting click.
    void cancel();

  private:
    Schedule m_schedule;
    // A waiting click runs only while this is unchanged; shared so that tasks can outlive this object.
    std::shared_ptr<quint64> m_generation = std::make_shared<quint64>(0);
};
