#pragma once

#include "store/Types.h"

#include <QList>

#include <optional>

class AppState;

// The targets of an entry's "Move to" menu, and the move itself.
namespace MoveDestinations {
// Every list, then every group of every list ("List › Group"), leaving out the two given.
QList<MoveDestination> all(const AppState &state, const std::optional<QUuid> &excludingGroup,
                           const std::optional<QUuid> &excludingList);
// Where an entry shown on the ring can go: from an open group anywhere but that group; from a list to
// the other lists and, unless the entry is itself a group (groups are one level deep), to any group.
QList<MoveDestination> forRingEntry(const AppState &state, const AppItem &item);
// Moves an entry shown on the ring (of the active list, or of its open group) to a destination.
void move(AppState &state, const AppItem &item, const MoveDestination &destination);
} // namespace MoveDestinations
