// Operations on whole lists: create, delete, rename, recolour, make active and reorder.
#include "store/AppState.h"

void AppState::addList(const QString &name, ListTheme theme) {
    if (m_lists.size() >= maxLists)
        return;
    // The new list is shown: a group open in the old one closes, rather than lingering as an id that
    // names nothing (a header without a group, the group tile refused).
    Change change(*this, Change::saves | Change::storesActiveListIndex |
                             (m_openSubListID ? Change::postsActiveListChanged : 0));
    m_openSubListID.reset();
    m_lists.append(AppList{QUuid::createUuid(), name, {}, theme, {}});
    setActiveListIndex(int(m_lists.size()) - 1);
}

void AppState::removeList(int index) {
    if (m_lists.size() < 2 || index < 0 || index >= m_lists.size())
        return;
    Change change(*this, Change::saves | Change::storesActiveListIndex | Change::postsActiveListChanged);
    m_lists.removeAt(index);
    m_openSubListID.reset(); // another list is shown now
    // The index follows the position, not the list.
    setActiveListIndex(std::min(int(m_lists.size()) - 1, m_activeListIndex));
}

void AppState::renameList(int index, const QString &name) {
    if (index < 0 || index >= m_lists.size())
        return;
    Change change(*this, Change::saves);
    m_lists[index].name = name;
}

void AppState::setTheme(ListTheme theme, int index) {
    if (index < 0 || index >= m_lists.size())
        return;
    Change change(*this, Change::saves);
    m_lists[index].theme = theme;
}

void AppState::switchToList(int index) {
    if (index < 0 || index >= m_lists.size())
        return;
    Change change(*this, Change::storesActiveListIndex | Change::postsActiveListChanged);
    m_openSubListID.reset();
    setActiveListIndex(index);
}

void AppState::reorderList(int from, int to) {
    if (from < 0 || to < 0 || from == to || from >= m_lists.size() || to >= m_lists.size())
        return;
    Change change(*this, Change::saves | Change::storesActiveListIndex);
    const QUuid activeID = m_lists[safeIndex()].id;
    m_lists.move(from, to);
    setActiveListIndex(indexOfList(activeID));
}
