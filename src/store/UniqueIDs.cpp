#include "store/UniqueIDs.h"

#include <QHash>

namespace UniqueIDs {
namespace {

// The ids the entries with one old id ended up with, in the order the entries came.
using Renewals = QHash<QUuid, QList<QUuid>>;

void renewItems(QList<AppItem> &items, QSet<QUuid> &taken, Renewals &renewals, bool &changed) {
    for (AppItem &item : items) {
        const QUuid old = item.id;
        if (taken.contains(item.id)) {
            item.id = QUuid::createUuid();
            changed = true;
        }
        taken.insert(item.id);
        renewals[old].append(item.id);
        if (item.subItems)
            renewItems(*item.subItems, taken, renewals, changed);
    }
}

// The k-th snapshot entry with an old id takes the id of the k-th list entry with it; anything else that
// repeats within the snapshot gets a fresh one.
void followRenewals(QList<AppItem> &snapshot, Renewals &renewals, QSet<QUuid> &used, bool &changed) {
    for (AppItem &item : snapshot) {
        const auto found = renewals.find(item.id);
        QUuid id = item.id;
        if (found != renewals.end() && !found->isEmpty())
            id = found->takeFirst();
        else if (used.contains(id))
            id = QUuid::createUuid();
        if (id != item.id) {
            item.id = id;
            changed = true;
        }
        used.insert(id);
        if (item.subItems)
            followRenewals(*item.subItems, renewals, used, changed);
    }
}

void collect(const QList<AppItem> &items, QSet<QUuid> &ids) {
    for (const AppItem &item : items) {
        ids.insert(item.id);
        if (item.subItems)
            collect(*item.subItems, ids);
    }
}

} // namespace

bool renewRepeated(QList<AppList> &lists, QSet<QUuid> taken) {
    bool changed = false;
    for (AppList &list : lists) {
        if (taken.contains(list.id)) {
            list.id = QUuid::createUuid();
            changed = true;
        }
        taken.insert(list.id);
        Renewals renewals;
        renewItems(list.items, taken, renewals, changed);
        QSet<QUuid> used;
        followRenewals(list.snapshot, renewals, used, changed);
    }
    return changed;
}

QSet<QUuid> allIDs(const QList<AppList> &lists) {
    QSet<QUuid> ids;
    for (const AppList &list : lists) {
        ids.insert(list.id);
        collect(list.items, ids);
        collect(list.snapshot, ids);
    }
    return ids;
}

} // namespace UniqueIDs
