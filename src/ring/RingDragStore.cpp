// The drag's view of the real store.
#include "ring/RingDrag.h"

#include "settings/Preferences.h"
#include "store/AppState.h"

QList<AppItem> AppStateRingStore::currentItems() const {
    return m_state.currentItems();
}
int AppStateRingStore::listCount() const {
    return int(m_state.lists().size());
}
std::optional<QUuid> AppStateRingStore::openSubListID() const {
    return m_state.openSubListID();
}
double AppStateRingStore::launcherScale() const {
    return m_state.preferences().launcherScale();
}
bool AppStateRingStore::soundsEnabled() const {
    return m_state.preferences().launcherSoundsEnabled();
}
void AppStateRingStore::moveItemToSubList(const QUuid &itemID, const QUuid &subListID) {
    m_state.moveItemToSubList(itemID, subListID);
}
std::optional<QUuid> AppStateRingStore::mergeIntoNewGroup(const QUuid &targetID, const QUuid &draggedID) {
    return m_state.mergeIntoNewGroup(targetID, draggedID);
}
bool AppStateRingStore::withCurrentItems(const std::function<void(QList<AppItem> &)> &change) {
    return m_state.withCurrentItems(change);
}
bool AppStateRingStore::save() {
    return m_state.save();
}
