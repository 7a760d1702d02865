#pragma once

#include "store/Types.h"

#include <QSet>

// Ids are what operations find lists and entries by, so no two may be equal. A lists file or an imported
// document written by hand or by an old version may repeat one; the later ones get fresh ids.
namespace UniqueIDs {

// Gives every list and entry (group members included) whose id was already used, earlier in lists or in
// taken, a fresh id. A list's snapshot is a copy of its entries: its entries follow their originals'
// new ids, so the snapshot still matches. True when anything changed.
bool renewRepeated(QList<AppList> &lists, QSet<QUuid> taken = {});

// Every list and entry id of lists, snapshots included.
QSet<QUuid> allIDs(const QList<AppList> &lists);

} // namespace UniqueIDs
