#pragma once

#include "store/Types.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// Type to find on the ring: which of the shown entries (and of the members of the shown groups) match a
// typed text, best first. Matching ignores case and accents; a match at the start of a word ranks above
// one inside a word, and within a rank the ring's slot order holds, a group's members right after it.
class RingSearch {
  public:
    struct Hit {
        AppItem item;                 // the entry found: on the ring, or a member of one of its groups
        int slot = 0;                 // the ring slot that holds it (its group's slot for a member)
        std::optional<QUuid> groupID; // set for a group member
        bool wordStart = false;       // the text starts a word of the name
    };

    // The name reduced for comparison: fully case folded (ß is ss), decomposed, marks dropped.
    static QString fold(const QString &text);
    // The hits for the text among the entries in slot order; none for an empty text. Members of groups
    // count only when withMembers is true (at the top level of a list; an open group has none).
    static QList<Hit> find(const QList<AppItem> &shown, const QString &text, bool withMembers);
};
