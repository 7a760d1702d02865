#pragma once

#include "store/Types.h"

#include <QList>

#include <functional>

class QMenu;
class QWidget;

// What the entries of an item's context menu do. An empty handler leaves its entry in place, doing nothing.
struct AppIconMenuHandlers {
    std::function<void()> open;
    std::function<void()> rename;    // groups
    std::function<void()> pickColor; // groups and folders: opens the tint popover
    std::function<void(const MoveDestination &)> moveTo;
    std::function<void()> remove;
};

// Builds the context menu of one entry: Open; Rename… and Group color… for groups; the "Move to"
// submenu (lists first, then, after a separator, groups) when there is anywhere to go; Folder color…
// for folders; and Remove from launcher, disabled for a group that still has members.
namespace AppIconMenu {
QMenu *build(const AppItem &item, const QList<MoveDestination> &destinations,
             const AppIconMenuHandlers &handlers, QWidget *parent = nullptr);
// The symbol of the Open entry for this kind of item.
QString openSymbol(const AppItem &item);
} // namespace AppIconMenu
