#include "store/MoveDestinations.h"

#include "store/AppState.h"

QList<MoveDestination> MoveDestinations::all(const AppState &state,
                                             const std::optional<QUuid> &excludingGroup,
                                             const std::optional<QUuid> &excludingList) {
    QList<MoveDestination> destinations;
    const QList<AppList> &lists = state.lists();
    for (const AppList &list : lists) {
        if (list.id != excludingList)
            destinations.append({list.id, list.id, list.name, false});
    }
    for (const AppList &list : lists) {
        for (const AppItem &item : list.items) {
            if (item.isSubList && item.id != excludingGroup)
                destinations.append(
                    {item.id, list.id, list.name + QStringLiteral(" \u203A ") + item.name, true});
        }
    }
    return destinations;
}

QList<MoveDestination> MoveDestinations::forRingEntry(const AppState &state, const AppItem &item) {
    if (const auto group = state.openSubListID())
        return all(state, group, std::nullopt);
    const QList<AppList> &lists = state.lists();
    const std::optional<QUuid> active =
        lists.isEmpty() ? std::nullopt : std::optional<QUuid>(lists[state.safeIndex()].id);
    QList<MoveDestination> destinations = all(state, std::nullopt, active);
    if (item.isSubList)
        destinations.removeIf([](const MoveDestination &d) { return d.isGroup; });
    return destinations;
}

void MoveDestinations::move(AppState &state, const AppItem &item, const MoveDestination &destination) {
    const QList<AppList> &lists = state.lists();
    if (lists.isEmpty())
        return;
    if (state.openSubListID()) {
        if (destination.isGroup)
            state.moveItemFromOpenSubList(item.id, destination.id, destination.listID);
        else
            state.moveItemFromOpenSubList(item.id, destination.listID);
    } else if (destination.isGroup) {
        state.moveTopLevelItem(item.id, destination.id, destination.listID);
    } else {
        state.moveItem(item.id, lists[state.safeIndex()].id, destination.listID);
    }
}
