// What the drag does while the pointer rests: the merge dwell, and the timers that examine the last
// position again when no event comes.
#include "ring/RingDrag.h"

#include "ring/Clock.h"

#include <cmath>

void RingDrag::updateMergeDwell(const std::optional<QUuid> &candidate, qint64 now) {
    if (!candidate) {
        m_hoverCandidateID.reset();
        m_candidateSince.reset();
        m_dropTargetItemID.reset();
        return;
    }
    if (m_hoverCandidateID != candidate) {
        m_hoverCandidateID = candidate;
        m_candidateSince = now;
        // An armed target always belongs to the current candidate.
        if (m_dropTargetItemID != candidate)
            m_dropTargetItemID.reset();
    }
    if (!m_candidateSince)
        m_candidateSince = now;
    // The dwell is a rest over the candidate: moving on from the rest before it is over starts it again
    // from the next rest.
    if (m_dropTargetItemID != candidate && m_pauseSince && *m_pauseSince > *m_candidateSince)
        m_candidateSince = *m_pauseSince;
    if (now - *m_candidateSince >= mergeDwellMs)
        m_dropTargetItemID = candidate;
    else
        scheduleDwellCheck(*candidate, *m_candidateSince, now);
}

void RingDrag::scheduleDwellCheck(const QUuid &candidate, qint64 since, qint64 now) {
    // One check per candidate start is enough: later ones would capture the same values and fire later.
    if (m_dwellScheduledFor == since)
        return;
    m_dwellScheduledFor = since;
    const quint64 serial = m_dragSerial;
    m_clock.schedule(since + mergeDwellMs - now, this, [this, candidate, since, serial] {
        // Completes the dwell when the pointer stopped moving, unless the candidate or the drag changed.
        if (m_draggingID && m_dragSerial == serial && m_hoverCandidateID == candidate &&
            m_candidateSince == since && m_dropTargetItemID != candidate && !movedUnreported()) {
            m_dropTargetItemID = candidate;
            Q_EMIT changed();
        }
    });
}

// A pointer at rest reports nothing, yet two things can change while it rests: the pause becomes long
// enough to take a merge candidate, and a proposed order becomes old enough to show. The next of those
// moments after the last evaluation is when the last position is worth examining again.
std::optional<qint64> RingDrag::nextRecheckTime() const {
    std::optional<qint64> due;
    const auto consider = [&](const std::optional<qint64> &since, qint64 delay) {
        if (since && *since + delay > m_lastEvaluation && (!due || *since + delay < *due))
            due = *since + delay;
    };
    consider(m_pauseSince, pauseTimeMs);
    consider(m_pendingSince, commitDelayMs);
    return due;
}

void RingDrag::scheduleRecheck(qint64 now) {
    const std::optional<qint64> due = nextRecheckTime();
    if (!due || (m_recheckDue && *m_recheckDue <= *due))
        return; // nothing to wait for, or an earlier check will look again
    m_recheckDue = due;
    const quint64 generation = ++m_recheckGeneration;
    m_clock.schedule(*due - now, this, [this, generation] { recheck(generation); });
}

void RingDrag::recheck(quint64 generation) {
    if (generation != m_recheckGeneration)
        return;
    m_recheckDue.reset();
    if (!m_draggingID)
        return;
    const std::optional<qint64> due = nextRecheckTime();
    if (!due)
        return;
    const qint64 now = m_clock.nowMs();
    if (now < *due)
        scheduleRecheck(now);
    else if (!movedUnreported())
        evaluate(m_lastPointer);
}

// The pointer has moved on while its motion is still queued: it is taken where it is now, so the rest
// that its last reported position suggests is not mistaken for one.
bool RingDrag::movedUnreported() {
    const std::optional<QPointF> now = m_probe ? m_probe() : std::nullopt;
    if (!now || std::hypot(now->x() - m_lastPointer.x(), now->y() - m_lastPointer.y()) <= pauseTolerance)
        return false;
    evaluate(*now);
    return true;
}
