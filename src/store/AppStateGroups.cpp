// Groups: the open group, the current items, and moving entries into and out of groups.
// Groups are one level deep: nothing here puts a group into a group.
#include "store/AppState.h"

#include "l10n/L.h"
#include "store/ItemLookup.h"

using namespace ItemLookup;

bool AppState::withCurrentItems(const std::function<void(QList<AppItem> &)> &change) {
    AppList *active = activeList();
    if (!active)
        return false;
    Change guard(*this);
    if (m_openSubListID) {
        const int group = indexOfGroup(active->items, *m_openSubListID);
        if (group >= 0) {
            QList<AppItem> members = active->items[group].subItems.value_or(QList<AppItem>{});
            change(members);
            active->items[group].subItems = std::move(members);
            return true;
        }
    }
    change(active->items);
    return true;
}

void AppState::openSubList(const QUuid &groupID) {
    const AppList *active = activeList();
    if (!active || indexOfGroup(active->items, groupID) < 0)
        return;
    Change change(*this, Change::postsActiveListChanged);
    m_openSubListID = groupID;
}

void AppState::closeSubList() {
    if (!m_openSubListID)
        return;
    Change change(*this, Change::postsActiveListChanged);
    m_openSubListID.reset();
}

std::optional<QUuid> AppState::addSubList(const QString &name, const std::optional<QString> &tint) {
    AppList *active = activeList();
    if (!active || m_openSubListID || isBlank(name))
        return std::nullopt;
    AppItem group;
    group.id = QUuid::createUuid();
    group.name = name;
    group.folderTint = tint;
    group.isSubList = true;
    group.subItems = QList<AppItem>{};
    {
        Change change(*this, Change::saves);
        active->items.append(group);
    }
    return m_lastChangeRefused ? std::nullopt : std::optional<QUuid>(group.id);
}

// The move into a group of any list, with the active list as that list.
void AppState::moveItemToSubList(const QUuid &itemID, const QUuid &subListID) {
    if (const AppList *active = activeList())
        moveTopLevelItem(itemID, subListID, active->id);
}

std::optional<QUuid> AppState::mergeIntoNewGroup(const QUuid &targetIDArg, const QUuid &draggedIDArg) {
    const QUuid targetID = targetIDArg, draggedID = draggedIDArg;
    AppList *active = activeList();
    if (!active || m_openSubListID || targetID == draggedID)
        return std::nullopt;
    const int target = indexOfItem(active->items, targetID);
    if (target < 0 || active->items[target].isSubList)
        return std::nullopt;
    const int dragged = indexOfItem(active->items, draggedID);
    if (dragged < 0 || active->items[dragged].isSubList)
        return std::nullopt;

    const QUuid groupID = QUuid::createUuid();
    {
        Change change(*this);
        AppItem draggedItem = active->items.takeAt(dragged);
        const int targetNow = indexOfItem(active->items, targetID);
        if (targetNow < 0) {
            putBack(active->items, dragged, std::move(draggedItem));
            return std::nullopt;
        }
        AppItem group;
        group.id = groupID;
        group.name = L::defaultGroupName();
        group.isSubList = true;
        group.subItems = QList<AppItem>{active->items[targetNow], std::move(draggedItem)};
        active->items[targetNow] = std::move(group);
        change.add(Change::saves);
    }
    // A group at the entry limit is one entry too many: refused, as any change past it is.
    return m_lastChangeRefused ? std::nullopt : std::optional<QUuid>(groupID);
}

std::optional<AppItem> AppState::extractFromOpenSubList(const QUuid &itemID) {
    AppList *active = activeList();
    if (!active || !m_openSubListID)
        return std::nullopt;
    const int group = indexOfItem(active->items, *m_openSubListID);
    if (group < 0 || !active->items[group].subItems)
        return std::nullopt;
    QList<AppItem> &members = *active->items[group].subItems;
    const int index = indexOfItem(members, itemID);
    if (index < 0)
        return std::nullopt;
    return members.takeAt(index);
}

void AppState::pruneOpenSubListIfEmpty() {
    AppList *active = activeList();
    if (!active || !m_openSubListID)
        return;
    const int group = indexOfGroup(active->items, *m_openSubListID);
    if (group < 0 || !active->items[group].subItems.value_or(QList<AppItem>{}).isEmpty())
        return;
    Change change(*this, Change::postsActiveListChanged);
    active->items.removeAt(group);
    m_openSubListID.reset();
}

void AppState::moveItemFromOpenSubList(const QUuid &itemIDArg, const QUuid &toListIDArg) {
    const QUuid itemID = itemIDArg, toListID = toListIDArg;
    if (indexOfList(toListID) < 0)
        return;
    Change change(*this);
    auto member = extractFromOpenSubList(itemID);
    if (!member)
        return;
    change.add(Change::saves);
    m_lists[indexOfList(toListID)].items.append(std::move(*member));
    pruneOpenSubListIfEmpty();
}

void AppState::moveItemFromOpenSubList(const QUuid &itemIDArg, const QUuid &toGroupIDArg,
                                       const QUuid &inListIDArg) {
    const QUuid itemID = itemIDArg, toGroupID = toGroupIDArg, inListID = inListIDArg;
    if ((m_openSubListID && toGroupID == *m_openSubListID) || indexOfList(inListID) < 0)
        return;
    Change change(*this);
    auto member = extractFromOpenSubList(itemID);
    if (!member)
        return;
    change.add(Change::saves);
    pruneOpenSubListIfEmpty();
    const int list = indexOfList(inListID);
    const int group = list >= 0 ? indexOfGroup(m_lists[list].items, toGroupID) : -1;
    if (group >= 0)
        appendMember(m_lists[list].items[group], std::move(*member));
    else if (AppList *active = activeList())
        active->items.append(std::move(*member)); // never lose the entry
}
