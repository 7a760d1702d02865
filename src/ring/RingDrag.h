#pragma once

#include "ring/RingGeometry.h"
#include "store/Types.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QUuid>

#include <functional>
#include <limits>
#include <optional>

class AppState;
class Clock;

// What the drag needs of the store: the ring's content and the three operations a drop can end in.
// AppStateRingStore forwards to the real store; tests record the calls.
class RingDragStore {
  public:
    virtual ~RingDragStore() = default;
    virtual QList<AppItem> currentItems() const = 0;
    virtual int listCount() const = 0;
    virtual std::optional<QUuid> openSubListID() const = 0;
    virtual double launcherScale() const = 0; // raw preference, clamped by RingGeometry
    virtual bool soundsEnabled() const = 0;

    virtual void moveItemToSubList(const QUuid &itemID, const QUuid &subListID) = 0;
    virtual std::optional<QUuid> mergeIntoNewGroup(const QUuid &targetID, const QUuid &draggedID) = 0;
    virtual bool withCurrentItems(const std::function<void(QList<AppItem> &)> &change) = 0;
    virtual bool save() = 0;
};

class AppStateRingStore final : public RingDragStore {
  public:
    explicit AppStateRingStore(AppState &state) : m_state(state) {}
    QList<AppItem> currentItems() const override;
    int listCount() const override;
    std::optional<QUuid> openSubListID() const override;
    double launcherScale() const override;
    bool soundsEnabled() const override;
    void moveItemToSubList(const QUuid &itemID, const QUuid &subListID) override;
    std::optional<QUuid> mergeIntoNewGroup(const QUuid &targetID, const QUuid &draggedID) override;
    bool withCurrentItems(const std::function<void(QList<AppItem> &)> &change) override;
    bool save() override;

  private:
    AppState &m_state;
};

// How a press on an icon ended.
struct RingRelease {
    enum class Action {
        nothing,        // no press, or a drag that changed nothing
        click,          // the pointer travelled less than the drag threshold: run the icon's action
        movedIntoGroup, // the dragged item went into the group under it
        merged,         // the dragged item and the one under it became a new group
        reordered,      // the shown order was stored
    };
    Action action = Action::nothing;
    QUuid itemID;                    // the pressed item
    bool playSound = false;          // play the drop sound (already false when sounds are off)
    std::optional<QUuid> newGroupID; // ask the user to name this new group, pre-filled "Group"
};

// Dragging icons round the ring: live reordering, merging two icons into a group, dropping into a group.
// Plain logic driven by ring-relative pointer positions and an injected clock; the ring view forwards
// the pointer and paints what it reads back:
//
//     drag.press(item.id, displayedIndex, RingDrag::ringPoint(windowPos, geometry.panelSide()));
//     drag.pointerMoved(ringPoint);          // on every mouse move while the button is down
//     RingRelease r = drag.release();        // on button release: click, or the drop's outcome
//     // paint displayedOrder(), the dragged icon at dragPoint(), the slot marker while showsDropSlot()
//     // repaint on changed(), which timers can emit too (dwell completed, still pointer re-checked)
//
// Reordering: a proposed order is shown only after it has stayed the same for 0.2 s, so a sweep across
// several slots does not shuffle the ring. Merging needs a settled pointer: the pointer must stay within
// 12 points for 0.09 s near another icon (inside `capture`), then rest on that candidate for 0.16 s (moving
// on restarts that dwell; the candidate is kept out to the wider `keep` while resting or once armed, else
// to `capture`). While a settled pointer sits near an icon nothing reorders, and the live
// reorder never carries away the icon the pointer is heading for or over: that icon gives up its slot
// only once the pointer has passed clear of it, so a pointer that comes to rest on it merges whatever
// speed it arrived at. A release between icons stores the order a reorder would have shown. A release
// inside `capture` merges even before the dwell completes. Groups are only reordered, and inside an open
// group nothing merges.
//
// A pointer at rest sends no events, so the drag re-examines the last position by itself when the pause
// time or the commit delay runs out: "move fast, then hold still" merges, and a held slot gets shown.
class RingDrag : public QObject {
    Q_OBJECT

  public:
    static constexpr double dragThreshold = 5;   // points of travel before a press becomes a drag
    static constexpr double pauseTolerance = 12; // movement that still counts as resting
    static constexpr qint64 pauseTimeMs = 90;    // rest needed before a new merge candidate is taken
    static constexpr qint64 mergeDwellMs = 160;  // a candidate held this long becomes the merge target
    static constexpr qint64 commitDelayMs = 200; // a proposed order must last this long to be shown

    RingDrag(RingDragStore &store, Clock &clock, QObject *parent = nullptr);

    // A window location turned into a ring-relative point (the ring fills the panel content).
    static QPointF ringPoint(QPointF windowPoint, double panelSide);
    // The stored order with the dragged item moved to the slot nearest angle; nothing when the item is
    // not among currentItems. Always derived from the stored items, never from a shown order.
    static std::optional<QList<AppItem>> candidateOrder(const QList<AppItem> &currentItems,
                                                        const QUuid &draggedID, double angle);
    // The slot nearest angle among count slots: half-way goes to the higher slot, past the last wraps to 0.
    static int slotForAngle(double angle, int count);

    // Gesture. A press during a drag is ignored (one drag at a time).
    void press(const QUuid &itemID, int displayedIndex, QPointF pointer);
    void pointerMoved(QPointF pointer);
    // stillForMs: how long the pointer had not moved when the button went up, by the events' own times
    // (0 when unknown); a rest the drag's timers did not get to see on a busy machine still counts.
    RingRelease release(qint64 stillForMs = 0);
    // Where the pointer is now (ring-relative), asked of the window system. A timer that finds the pointer
    // at rest checks with it first: on a busy machine motion can still be queued behind the timer, and a
    // pointer that has moved on is not resting on the icon it passed. Without one the timers trust the
    // last reported position.
    void setPointerProbe(std::function<std::optional<QPointF>()> probe) { m_probe = std::move(probe); }
    // The ring's radius ceiling on the launcher's screen (RingGeometry::Inputs::maxRadius).
    void setMaxRadius(double radius) { m_maxRadius = radius; }
    // Ends a press or drag without storing anything (the panel was hidden, the view went away).
    void cancel();
    // The item was removed (context menu) while it may be dragged: that drag is abandoned.
    void itemRemoved(const QUuid &itemID);

    // State for painting.
    bool isDragging() const { return m_draggingID.has_value(); }
    std::optional<QUuid> draggingID() const { return m_draggingID; }
    std::optional<AppItem> draggedItem() const;
    int dragStartIndex() const { return m_dragStartIndex; }
    QPointF dragPoint() const { return m_dragPoint; } // centre of the dragged icon
    QPointF grabOffset() const { return m_grabOffset; }
    double dragAngle() const { return m_dragAngle; }
    std::optional<QList<AppItem>> liveOrder() const { return m_liveOrder; }
    std::optional<QList<AppItem>> pendingOrder() const { return m_pendingOrder; }
    QList<AppItem> displayedOrder() const; // the live order when shown, else the stored items
    std::optional<QUuid> dropTargetGroupID() const { return m_dropTargetGroupID; }
    std::optional<QUuid> dropTargetItemID() const { return m_dropTargetItemID; }
    std::optional<QUuid> hoverCandidateID() const { return m_hoverCandidateID; }
    bool isMergeArmed() const { return m_dropTargetItemID.has_value(); }
    // The drop-slot marker: shown while dragging without a group or merge target, on the ring at the
    // dragged icon's angle.
    bool showsDropSlot() const { return isDragging() && !m_dropTargetGroupID && !m_dropTargetItemID; }
    RingGeometry geometry() const;

  Q_SIGNALS:
    // Something drawn changed: after every pointer event, and when a timer completed a dwell or a
    // re-check changed the state.
    void changed();

  private:
    struct Targets {
        std::optional<QUuid> group;
        std::optional<QUuid> candidate;
        bool mayReorder = true;
    };

    void begin();
    void evaluate(QPointF pointer);
    Targets findTargets(const QList<AppItem> &order, const RingGeometry &geometry, qint64 paused,
                        bool draggingGroup, bool groupOpen);
    void updateMergeDwell(const std::optional<QUuid> &candidate, qint64 now);
    bool carriesIconFromPointer(const QList<AppItem> &shown, const QList<AppItem> &proposed,
                                const RingGeometry &geometry) const;
    void updateReorder(const QList<AppItem> &currentItems, const QList<AppItem> &shown,
                       const RingGeometry &geometry, qint64 now, bool mayMerge);
    void scheduleDwellCheck(const QUuid &candidate, qint64 since, qint64 now);
    std::optional<qint64> nextRecheckTime() const;
    void scheduleRecheck(qint64 now);
    void recheck(quint64 generation);
    bool movedUnreported();
    RingRelease drop();
    bool storeShownOrder();
    RingGeometry geometryFor(const QList<AppItem> &currentItems, int displayedCount) const;
    void reset();

    RingDragStore &m_store;
    Clock &m_clock;
    std::function<std::optional<QPointF>()> m_probe;
    double m_maxRadius = RingGeometry::defaultMaxRadius;

    // The press, before it becomes a drag.
    std::optional<QUuid> m_pressedID;
    int m_pressedIndex = 0;
    QPointF m_pressPoint;
    QPointF m_lastPointer;

    quint64 m_dragSerial = 0; // tells one drag's timers from the next drag's
    std::optional<QUuid> m_draggingID;
    int m_dragStartIndex = 0;
    QPointF m_dragPoint;
    QPointF m_grabOffset;
    double m_dragAngle = 0;
    std::optional<QList<AppItem>> m_liveOrder;
    std::optional<QUuid> m_dropTargetGroupID;
    std::optional<QUuid> m_dropTargetItemID;
    std::optional<QUuid> m_hoverCandidateID;
    std::optional<qint64> m_candidateSince;
    double m_lastBestDist = std::numeric_limits<double>::max();
    std::optional<QList<AppItem>> m_pendingOrder;
    std::optional<qint64> m_pendingSince;
    QPointF m_pauseAnchor;
    std::optional<qint64> m_pauseSince;

    std::optional<qint64> m_dwellScheduledFor; // candidateSince of the dwell check already scheduled
    qint64 m_lastEvaluation = 0;
    std::optional<qint64> m_recheckDue;
    quint64 m_recheckGeneration = 0;
};
