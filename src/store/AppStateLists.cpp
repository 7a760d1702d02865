// Operations on whole lists: create, delete, rename, recolour, make active and reorder.
#include "store/AppState.h"

void AppState::addList(const QString &name, ListTheme theme) {
    if (m_lists.size() >= maxLists)
        return;
    m_lists.append(AppList{QUuid::createUuid(), name, {}, theme, {}});
    Q_EMIT listsChanged();
    setActiveListIndex(int(m_lists.size()) - 1);
    storeActiveListIndex();
    save();
}

void AppState::removeList(int index) {
    if (m_lists.size() < 2 || index < 0 || index >= m_lists.size())
        return;
    m_lists.removeAt(index);
    Q_EMIT listsChanged();
    // The index follows the position, not the list.
    setActiveListIndex(std::min(int(m_lists.size()) - 1, m_activeListIndex));
    storeActiveListIndex();
    Q_EMIT activeListChanged();
    save();
}

void AppState::renameList(int index, const QString &name) {
    if (index < 0 || index >= m_lists.size())
        return;
    m_lists[index].name = name;
    Q_EMIT listsChanged();
    save();
}

void AppState::setTheme(ListTheme theme, int index) {
    if (index < 0 || index >= m_lists.size())
        return;
    m_lists[index].theme = theme;
    Q_EMIT listsChanged();
    save();
}

void AppState::switchToList(int index) {
    if (index < 0 || index >= m_lists.size())
        return;
    setOpenSubListID(std::nullopt);
    setActiveListIndex(index);
    storeActiveListIndex();
    Q_EMIT activeListChanged();
}

void AppState::reorderList(int from, int to) {
    if (from < 0 || to < 0 || from == to || from >= m_lists.size() || to >= m_lists.size())
        return;
    const QUuid activeID = m_lists[safeIndex()].id;
    m_lists.move(from, to);
    Q_EMIT listsChanged();
    setActiveListIndex(indexOfList(activeID));
    storeActiveListIndex();
    save();
}
