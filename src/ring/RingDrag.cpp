#include "ring/RingDrag.h"

#include "ring/Clock.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double twoPi = 2 * std::numbers::pi;

double distance(QPointF a, QPointF b) {
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// An angle difference brought into -π..π.
double wrapped(double angle) {
    const double a = std::remainder(angle, twoPi);
    return std::isfinite(a) ? a : 0;
}

int indexOf(const QList<AppItem> &items, const QUuid &id) {
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].id == id)
            return i;
    }
    return -1;
}

const AppItem *findItem(const QList<AppItem> &items, const QUuid &id) {
    for (const AppItem &item : items) {
        if (item.id == id)
            return &item;
    }
    return nullptr;
}

bool sameIDs(const QList<AppItem> &a, const QList<AppItem> &b) {
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(),
                      [](const AppItem &x, const AppItem &y) { return x.id == y.id; });
}

QList<QUuid> sortedIDs(const QList<AppItem> &items) {
    QList<QUuid> ids;
    ids.reserve(items.size());
    for (const AppItem &item : items)
        ids.append(item.id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

// The entries of current, in the order of the ids of order. The entries themselves come from current, so
// nothing changed meanwhile is overwritten by a stale copy; anything order lacks stays, at the end.
QList<AppItem> arrangedLike(const QList<AppItem> &current, const QList<AppItem> &order) {
    QList<AppItem> result;
    result.reserve(current.size());
    QList<bool> taken(current.size(), false);
    for (const AppItem &wanted : order) {
        for (int i = 0; i < current.size(); ++i) {
            if (!taken[i] && current[i].id == wanted.id) {
                taken[i] = true;
                result.append(current[i]);
                break;
            }
        }
    }
    for (int i = 0; i < current.size(); ++i) {
        if (!taken[i])
            result.append(current[i]);
    }
    return result;
}
} // namespace

RingDrag::RingDrag(RingDragStore &store, Clock &clock, QObject *parent)
    : QObject(parent), m_store(store), m_clock(clock) {}

QPointF RingDrag::ringPoint(QPointF windowPoint, double panelSide) {
    return windowPoint - QPointF(panelSide / 2, panelSide / 2);
}

int RingDrag::slotForAngle(double angle, int count) {
    if (count <= 0)
        return 0;
    double a = std::fmod(angle - RingGeometry::ringStartAngle, twoPi);
    if (!std::isfinite(a))
        a = 0;
    if (a < 0)
        a += twoPi;
    const int slot = int(std::floor(a / twoPi * count + 0.5)) % count;
    return std::min(slot, count - 1);
}

std::optional<QList<AppItem>> RingDrag::candidateOrder(const QList<AppItem> &currentItems,
                                                       const QUuid &draggedID, double angle) {
    const AppItem *dragged = findItem(currentItems, draggedID);
    if (!dragged)
        return std::nullopt;
    const int slot = slotForAngle(angle, int(currentItems.size()));
    QList<AppItem> order;
    order.reserve(currentItems.size());
    for (const AppItem &item : currentItems) {
        if (item.id != draggedID)
            order.append(item);
    }
    order.insert(std::min(slot, int(order.size())), *dragged);
    return order;
}

void RingDrag::press(const QUuid &itemID, int displayedIndex, QPointF pointer) {
    if (m_pressedID || m_draggingID)
        return;
    m_pressedID = itemID;
    m_pressedIndex = displayedIndex;
    m_pressPoint = pointer;
    m_lastPointer = pointer;
}

void RingDrag::pointerMoved(QPointF pointer) {
    if (!m_pressedID)
        return;
    if (!m_draggingID) {
        if (distance(pointer, m_pressPoint) < dragThreshold)
            return;
        begin();
    }
    evaluate(pointer);
}

RingRelease RingDrag::release(qint64 stillForMs) {
    if (!m_pressedID)
        return {};
    if (!m_draggingID) {
        RingRelease click{RingRelease::Action::click, *m_pressedID, m_store.soundsEnabled(), std::nullopt};
        m_pressedID.reset();
        return click;
    }
    // The last position once more, as the timers would have seen it had they run on time: on a busy
    // machine they, or the motion events themselves, can come late, so that the rest before the release
    // was never looked at. The pointer was still for at least as long as the events say.
    if (stillForMs > 0 && m_pauseSince)
        m_pauseSince = std::min(*m_pauseSince, m_clock.nowMs() - stillForMs);
    evaluate(m_lastPointer);
    const RingRelease outcome = drop();
    reset();
    Q_EMIT changed();
    return outcome;
}

void RingDrag::cancel() {
    const bool wasDragging = isDragging();
    reset();
    if (wasDragging)
        Q_EMIT changed();
}

void RingDrag::itemRemoved(const QUuid &itemID) {
    // Everything goes, not only the drag's position: a merge target or candidate left over from the
    // abandoned drag must not carry into the next one.
    if (m_pressedID == itemID || m_draggingID == itemID)
        cancel();
}

std::optional<AppItem> RingDrag::draggedItem() const {
    if (!m_draggingID)
        return std::nullopt;
    if (const AppItem *item = findItem(m_store.currentItems(), *m_draggingID))
        return *item;
    if (const AppItem *item = findItem(displayedOrder(), *m_draggingID))
        return *item;
    return std::nullopt;
}

QList<AppItem> RingDrag::displayedOrder() const {
    return m_liveOrder ? *m_liveOrder : m_store.currentItems();
}

RingGeometry RingDrag::geometryFor(const QList<AppItem> &currentItems, int displayedCount) const {
    RingGeometry::Inputs in;
    in.launcherScale = m_store.launcherScale();
    in.storedCount = int(currentItems.size());
    in.displayedCount = displayedCount;
    in.listCount = m_store.listCount();
    in.groupOpen = m_store.openSubListID().has_value();
    in.maxRadius = m_maxRadius;
    return RingGeometry(in);
}

RingGeometry RingDrag::geometry() const {
    const QList<AppItem> items = m_store.currentItems();
    return geometryFor(items, int(m_liveOrder ? m_liveOrder->size() : items.size()));
}

void RingDrag::begin() {
    const QUuid id = *m_pressedID;
    const QList<AppItem> items = m_store.currentItems();
    reset();
    m_pressedID = id;
    ++m_dragSerial;
    m_draggingID = id;

    m_dragStartIndex = m_pressedIndex;
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].id == id) {
            m_dragStartIndex = i;
            break;
        }
    }
    // The icon keeps the offset the pointer had to it at the press, so it does not jump and, after a
    // quick flick whose first motion lands far from the press, does not trail behind the pointer.
    const double angle = RingGeometry::slotAngle(m_dragStartIndex, int(items.size()));
    const QPointF start = geometryFor(items, int(items.size())).pointOnRing(angle);
    m_grabOffset = m_pressPoint - start;
    m_dragPoint = start;
    m_dragAngle = angle;
    m_pauseAnchor = start;
    m_pauseSince = m_clock.nowMs();
}

void RingDrag::evaluate(QPointF pointer) {
    const qint64 now = m_clock.nowMs();
    m_lastPointer = pointer;
    m_lastEvaluation = now;

    const QList<AppItem> items = m_store.currentItems();
    const QList<AppItem> &order = m_liveOrder ? *m_liveOrder : items;
    const RingGeometry geometry = geometryFor(items, int(order.size()));

    m_dragPoint = pointer - m_grabOffset;
    m_dragAngle = std::atan2(m_dragPoint.y(), m_dragPoint.x());

    const bool settling = distance(m_dragPoint, m_pauseAnchor) <= pauseTolerance;
    if (!settling) {
        m_pauseAnchor = m_dragPoint;
        m_pauseSince = now;
    }
    const qint64 paused = now - m_pauseSince.value_or(now);

    const AppItem *dragged = findItem(items, *m_draggingID);
    if (!dragged)
        dragged = findItem(order, *m_draggingID);
    const bool draggingGroup = dragged && dragged->isSubList;
    const bool groupOpen = m_store.openSubListID().has_value();
    const Targets targets = findTargets(order, geometry, paused, draggingGroup, groupOpen);
    m_dropTargetGroupID = targets.group;
    updateMergeDwell(targets.candidate, now);
    if (!targets.group && targets.mayReorder) {
        updateReorder(items, order, geometry, now, !draggingGroup && !groupOpen);
    } else {
        m_pendingOrder.reset();
        m_pendingSince.reset();
    }
    scheduleRecheck(now);
    Q_EMIT changed();
}

RingDrag::Targets RingDrag::findTargets(const QList<AppItem> &order, const RingGeometry &geometry,
                                        qint64 paused, bool draggingGroup, bool groupOpen) {
    Targets result;
    if (draggingGroup)
        return result; // groups are reordered, never merged or put into another group

    const AppItem *angularNearest = nullptr;
    const AppItem *nearest = nullptr;
    double bestAngle = std::numeric_limits<double>::max();
    double bestDist = std::numeric_limits<double>::max();
    QPointF angularNearestPosition;
    for (int i = 0; i < order.size(); ++i) {
        const AppItem &item = order[i];
        if (item.id == *m_draggingID)
            continue;
        const double theta = geometry.slotAngle(i);
        double a = std::fmod(std::abs(theta - m_dragAngle), twoPi);
        if (a > std::numbers::pi)
            a = twoPi - a;
        const QPointF position = geometry.pointOnRing(theta);
        const double d = distance(m_dragPoint, position);
        if (a < bestAngle) {
            bestAngle = a;
            angularNearest = &item;
            angularNearestPosition = position;
        }
        if (d < bestDist) {
            bestDist = d;
            nearest = &item;
        }
    }
    m_lastBestDist = bestDist;
    if (!nearest)
        return result;

    const double halfSlot = std::numbers::pi / std::max(int(order.size()), 1);
    if (angularNearest->isSubList && bestAngle < halfSlot) {
        // Over a group's half-slot the ring holds still; close enough, the group takes the item.
        result.mayReorder = false;
        if (distance(m_dragPoint, angularNearestPosition) < geometry.groupDropRadius())
            result.group = angularNearest->id;
        return result;
    }

    if (nearest->isSubList || groupOpen)
        return result; // merging happens only between plain items at the top level of a list
    const RingGeometry::MergeRadii radii = geometry.mergeRadii();
    if (m_hoverCandidateID == nearest->id) {
        // A candidate is kept out to `keep` once armed, or while the pointer still rests where it took it;
        // a pointer that moved on before the dwell was over (a hand that only hesitated while passing,
        // or stalled input on a busy machine) lets go of it at `capture`.
        const bool armed = m_dropTargetItemID == nearest->id;
        const bool stillResting = m_pauseSince && m_candidateSince && *m_pauseSince <= *m_candidateSince;
        if (bestDist < (armed || stillResting ? radii.keep : radii.capture)) {
            result.candidate = nearest->id;
            result.mayReorder = false;
        }
    } else if (paused >= pauseTimeMs && bestDist < radii.keep) {
        result.mayReorder = false;
        if (bestDist < radii.capture)
            result.candidate = nearest->id;
    }
    return result;
}

bool RingDrag::carriesIconFromPointer(const QList<AppItem> &shown, const QList<AppItem> &proposed,
                                      const RingGeometry &geometry) const {
    // The icon that gives up its slot is the one shown where the dragged icon is proposed to go.
    const int target = indexOf(proposed, *m_draggingID);
    const int from = indexOf(shown, *m_draggingID);
    if (target < 0 || from < 0 || target >= shown.size() || shown[target].isSubList)
        return false;
    const double iconAngle = geometry.slotAngle(target);
    if (distance(m_dragPoint, geometry.pointOnRing(iconAngle)) < geometry.mergeRadii().capture)
        return true; // over it
    // On the way to it from the dragged icon's slot, short of its centre.
    const double toIcon = wrapped(iconAngle - geometry.slotAngle(from));
    const double toPointer = wrapped(m_dragAngle - geometry.slotAngle(from));
    return toIcon * toPointer > 0 && std::abs(toPointer) < std::abs(toIcon);
}

void RingDrag::updateReorder(const QList<AppItem> &currentItems, const QList<AppItem> &shown,
                             const RingGeometry &geometry, qint64 now, bool mayMerge) {
    const std::optional<QList<AppItem>> proposed = candidateOrder(currentItems, *m_draggingID, m_dragAngle);
    if (!proposed)
        return;
    if (sameIDs(*proposed, shown)) {
        m_pendingOrder.reset();
        m_pendingSince.reset();
    } else if (m_pendingOrder && sameIDs(*m_pendingOrder, *proposed)) {
        // The icon the pointer is heading for or resting on stays where it is drawn, whatever the speed:
        // the pointer may be about to settle on it for a merge. The order waits, its age kept, until the
        // pointer has passed clear of that icon (or is released: the drop takes the order then).
        const bool holdsTarget = mayMerge && carriesIconFromPointer(shown, *proposed, geometry);
        if (!holdsTarget && m_pendingSince && now - *m_pendingSince >= commitDelayMs) {
            m_liveOrder = proposed;
            m_pendingOrder.reset();
            m_pendingSince.reset();
        }
    } else {
        m_pendingOrder = proposed;
        m_pendingSince = now;
    }
}

RingRelease RingDrag::drop() {
    RingRelease outcome;
    outcome.itemID = *m_draggingID;
    const bool sounds = m_store.soundsEnabled();

    if (m_dropTargetGroupID) {
        m_store.moveItemToSubList(outcome.itemID, *m_dropTargetGroupID);
        outcome.action = RingRelease::Action::movedIntoGroup;
        outcome.playSound = sounds;
        return outcome;
    }

    // A release close to a candidate merges even before the dwell completed.
    std::optional<QUuid> target = m_dropTargetItemID;
    if (!target && m_lastBestDist < geometry().mergeRadii().capture)
        target = m_hoverCandidateID;
    if (target) {
        // The sound confirms a group that was made; a merge the store refused stays silent.
        outcome.newGroupID = m_store.mergeIntoNewGroup(*target, outcome.itemID);
        if (outcome.newGroupID) {
            outcome.action = RingRelease::Action::merged;
            outcome.playSound = sounds;
        }
        return outcome;
    }

    // An order held back only because the pointer was on its way to an icon is taken as shown.
    if (m_pendingOrder && m_pendingSince && m_clock.nowMs() - *m_pendingSince >= commitDelayMs)
        m_liveOrder = m_pendingOrder;
    if (m_liveOrder && storeShownOrder()) {
        outcome.action = RingRelease::Action::reordered;
        outcome.playSound = sounds;
    }
    return outcome;
}

bool RingDrag::storeShownOrder() {
    if (m_store.listCount() > 0) {
        // The shown order is a permutation of the ring's items as they were; if the ring's content changed
        // under the drag (lists imported, another list shown), writing it would lose or duplicate entries.
        if (sortedIDs(m_store.currentItems()) != sortedIDs(*m_liveOrder))
            return false;
        const QList<AppItem> order = *m_liveOrder;
        m_store.withCurrentItems([&order](QList<AppItem> &items) { items = arrangedLike(items, order); });
    }
    m_store.save();
    return true;
}

void RingDrag::reset() {
    m_pressedID.reset();
    m_draggingID.reset();
    m_liveOrder.reset();
    m_dropTargetGroupID.reset();
    m_dropTargetItemID.reset();
    m_hoverCandidateID.reset();
    m_candidateSince.reset();
    m_pauseSince.reset();
    m_pendingOrder.reset();
    m_pendingSince.reset();
    m_dragPoint = {};
    m_grabOffset = {};
    m_dragAngle = 0;
    m_lastBestDist = std::numeric_limits<double>::max();
    m_dwellScheduledFor.reset();
    m_recheckDue.reset();
    ++m_recheckGeneration;
}
