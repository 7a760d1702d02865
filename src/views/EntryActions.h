#pragma once

#include "store/Types.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>
#include <optional>

class NamePrompt;
class QMenu;
class TintPopover;
class ViewHost;

// What an entry's context-menu actions change. Empty ones do nothing.
struct EntryEdits {
    std::function<void()> open;
    std::function<void(const QString &)> rename;
    std::function<void(const std::optional<QString> &)> setTint;
    std::function<void(const MoveDestination &)> moveTo;
    std::function<void()> remove;
};

// Where the editors of one entry appear: the widget that shows the entry (it parents the menu and the
// popover, and nothing runs once it is gone), the rename prompt's parent, the host the editors hold open,
// the group tint of the theme and the entry's rectangle on the screen that the popover sits beside.
struct EntryActionPlace {
    QPointer<QWidget> owner;
    QWidget *promptParent = nullptr;
    ViewHost *host = nullptr;
    QColor subListTint;
    QRect anchor;
};

// The context-menu actions of an entry, shared by the ring's entries and its group rename: the rename prompt,
// the tint popover beside the entry and the menu that offers them with open, move and remove.
namespace EntryActions {
NamePrompt *openRenamePrompt(const AppItem &item, const EntryEdits &edits, const EntryActionPlace &place);
// The popover deletes itself once closed.
TintPopover *openTintPopover(const AppItem &item, const EntryEdits &edits, const EntryActionPlace &place);
// pickColor replaces the default colour action (openTintPopover) when given.
QMenu *buildMenu(const AppItem &item, const QList<MoveDestination> &destinations, const EntryEdits &edits,
                 const EntryActionPlace &place, std::function<void()> pickColor = {});
} // namespace EntryActions
