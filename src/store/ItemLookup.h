#pragma once

#include "store/Types.h"

#include <algorithm>

// Small helpers shared by the store's operations on entry arrays.
namespace ItemLookup {

inline int indexOfItem(const QList<AppItem> &items, const QUuid &id) {
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].id == id)
            return i;
    }
    return -1;
}

// The first entry with the id, when it is a group; -1 otherwise.
inline int indexOfGroup(const QList<AppItem> &items, const QUuid &id) {
    const int index = indexOfItem(items, id);
    return index >= 0 && items[index].isSubList ? index : -1;
}

inline bool isSpaceOrTab(QChar c) {
    return c == u' ' || c == u'\t';
}

// Names are trimmed of spaces and tabs only, not of other white space.
inline bool isBlank(const QString &text) {
    return std::all_of(text.cbegin(), text.cend(), isSpaceOrTab);
}

inline QString trimSpacesAndTabs(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpaceOrTab(text[begin]))
        ++begin;
    while (end > begin && isSpaceOrTab(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// Puts an entry back where it was taken from, so that a failed move never loses it.
inline void putBack(QList<AppItem> &items, int index, AppItem item) {
    items.insert(std::min(index, int(items.size())), std::move(item));
}

inline void appendMember(AppItem &group, AppItem member) {
    if (!group.subItems)
        group.subItems = QList<AppItem>{};
    group.subItems->append(std::move(member));
}

} // namespace ItemLookup
