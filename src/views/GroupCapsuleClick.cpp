#include "views/GroupCapsuleClick.h"

#include "views/AppIconPainter.h"

#include <QGuiApplication>
#include <QStyleHints>

GroupCapsuleClick::GroupCapsuleClick(Schedule schedule) : m_schedule(std::move(schedule)) {}

bool GroupCapsuleClick::onGroupCapsule(const AppItem &item, qreal iconSize, QPointF framePoint) {
    return item.isSubList && AppIconPainter::capsuleRect(item, iconSize).contains(framePoint);
}

void GroupCapsuleClick::click(bool onCapsule, std::function<void()> action) {
    if (!onCapsule || !m_schedule) {
        if (action)
            action();
        return;
    }
    cancel();
    const quint64 generation = *m_generation;
    m_schedule(QGuiApplication::styleHints()->mouseDoubleClickInterval(),
               [weak = std::weak_ptr<quint64>(m_generation), generation, action = std::move(action)] {
                   const auto current = weak.lock();
                   if (!current || *current != generation)
                       return; // replaced, cancelled by a double click, or its owner is gone
                   if (action)
                       action();
               });
}

bool GroupCapsuleClick::doubleClick(bool onCapsule) {
    if (!onCapsule)
        return false;
    cancel();
    return true;
}

void GroupCapsuleClick::cancel() {
    ++*m_generation;
}
