#pragma once

#include "store/Types.h"

#include <QUuid>

#include <optional>

// Entries and lists for tests of the ring and its panels: applications at paths that do not exist (so no
// icon lookup finds anything), groups of them, and lists whose snapshot is their order.
namespace entries {

inline AppItem app(const QString &name) {
    AppItem item;
    item.id = QUuid::createUuid();
    item.name = name;
    item.appPath = "/nonexistent/" + name + ".desktop";
    return item;
}

inline AppItem group(const QString &name, QList<AppItem> members = {app("m")},
                     std::optional<QString> tint = std::nullopt) {
    AppItem item = app(name);
    item.appPath.clear();
    item.isSubList = true;
    item.subItems = std::move(members);
    item.folderTint = std::move(tint);
    return item;
}

inline AppList list(const QString &name, QList<AppItem> items, ListTheme theme = ListTheme::blue) {
    return AppList{QUuid::createUuid(), name, items, theme, items};
}

} // namespace entries
