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

std::optional<QList<AppList>> decodeLists(const QByteArray &json);
std::optional<QList<AppItem>> decodeItems(const QByteArray &json);
QByteArray encodeLists(const QList<AppList> &lists);

} // namespace ListsCodec
