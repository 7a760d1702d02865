#pragma once

#include "store/Types.h"

#include <QByteArray>

#include <optional>

// The lists file and the export document: a JSON array of list objects, pretty-printed with sorted keys.
// Reading is strict: a wrong type, a malformed UUID or Base64 value or an unknown theme anywhere makes
// the whole document unreadable. Every text written reads back equal: an unpaired surrogate, which has no
// UTF-8 form, is written as its \u escape.
namespace ListsCodec {

// Documents larger than this are refused unread.
inline constexpr qint64 maxDocumentSize = 64 * 1024 * 1024;

// More entries than anyone arranges on one ring; a list over it (its groups' members counted, and its
// snapshot on its own) is refused whole, so what is already there stays.
inline constexpr qsizetype maxEntriesPerList = 1000;

std::optional<QList<AppList>> decodeLists(const QByteArray &json);
// Why lists cannot be taken in ("the list \"Apps\" has more than 1000 entries"), or none.
std::optional<QString> overLimit(const QList<AppList> &lists);
qsizetype entryCount(const QList<AppItem> &items);
std::optional<QList<AppItem>> decodeItems(const QByteArray &json);
QByteArray encodeLists(const QList<AppList> &lists);

} // namespace ListsCodec
