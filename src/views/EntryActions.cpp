#include "views/EntryActions.h"

#include "l10n/L.h"
#include "views/AppIconMenu.h"
#include "views/NamePrompt.h"
#include "views/TintPopover.h"

#include <QMenu>

namespace {
// A handler that runs only while the owner is alive.
std::function<void()> whileAlive(const QPointer<QWidget> &owner, std::function<void()> run) {
    if (!run)
        return {};
    return [owner, run = std::move(run)] {
        if (owner)
            run();
    };
}
} // namespace

NamePrompt *EntryActions::openRenamePrompt(const AppItem &item, const EntryEdits &edits,
                                           const EntryActionPlace &place) {
    if (!place.owner)
        return nullptr;
    QPointer<QWidget> owner = place.owner;
    auto rename = [owner, rename = edits.rename](const QString &name) {
        if (owner && rename)
            rename(name);
    };
    return NamePrompt::open(L::renameGroup(), item.name, rename, place.promptParent, place.subListTint,
                            place.host);
}

TintPopover *EntryActions::openTintPopover(const AppItem &item, const EntryEdits &edits,
                                           const EntryActionPlace &place) {
    if (!place.owner)
        return nullptr;
    QPointer<QWidget> owner = place.owner;
    auto pick = [owner, setTint = edits.setTint](const std::optional<QString> &tint) {
        if (owner && setTint)
            setTint(tint);
    };
    auto *popover = new TintPopover(item.folderTint, item.isSubList, place.subListTint, pick, place.host,
                                    place.owner.data());
    popover->setAttribute(Qt::WA_DeleteOnClose);
    popover->popup(place.anchor);
    return popover;
}

QMenu *EntryActions::buildMenu(const AppItem &item, const QList<MoveDestination> &destinations,
                               const EntryEdits &edits, const EntryActionPlace &place,
                               std::function<void()> pickColor) {
    const QPointer<QWidget> owner = place.owner;
    AppIconMenuHandlers handlers;
    handlers.open = whileAlive(owner, edits.open);
    handlers.rename = whileAlive(owner, [item, edits, place] { openRenamePrompt(item, edits, place); });
    handlers.pickColor =
        pickColor ? whileAlive(owner, std::move(pickColor))
                  : whileAlive(owner, [item, edits, place] { openTintPopover(item, edits, place); });
    if (edits.moveTo) {
        handlers.moveTo = [owner, moveTo = edits.moveTo](const MoveDestination &destination) {
            if (owner)
                moveTo(destination);
        };
    }
    handlers.remove = whileAlive(owner, edits.remove);
    return AppIconMenu::build(item, destinations, handlers, place.owner.data());
}
