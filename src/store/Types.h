#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// One entry on a ring: an application, folder, file, web link or group.
// Groups are one level deep; the store never puts a group into a group.
struct AppItem {
    QUuid id;
    QString name;
    QString bundleIdentifier; // desktop-file id without ".desktop"; empty for everything but applications
    QString appPath;          // file path, or the link text as typed; empty for groups
    bool isFolder = false;
    bool isURL = false;
    std::optional<QString> folderTint; // a tint preset's hex, e.g. "#3B82F6"
    std::optional<QByteArray> bookmarkData;
    bool isSubList = false;
    std::optional<QList<AppItem>> subItems;

    bool operator==(const AppItem &other) const;
};

enum class ListTheme { blue, purple, green, orange, red, teal };

struct ListThemeColors {
    QColor primary;   // bright accent
    QColor deep;      // dark accent
    QColor holeInner; // centre of the ring's hole
    QColor holeOuter; // edge of the ring's hole
};

QString rawValue(ListTheme theme);
std::optional<ListTheme> listThemeFromRawValue(const QString &raw);
const QList<ListTheme> &allListThemes();
const ListThemeColors &colors(ListTheme theme);

// One named list, shown as one ring.
struct AppList {
    QUuid id;
    QString name;
    QList<AppItem> items;
    ListTheme theme = ListTheme::blue;
    QList<AppItem> snapshot; // the saved order, restored by restoreSnapshot()

    bool operator==(const AppList &other) const = default;
};

struct FolderTintPreset {
    QUuid id;
    QString name; // English; translated for display with L::colorName
    QString hex;  // the value stored in AppItem::folderTint
    double hueRotation = 0;
    double saturation = 1;
};

// The nine tints, in menu order.
const QList<FolderTintPreset> &folderTintPresets();
// Exact, case-sensitive look-up; nullptr for no tint or an unknown one.
const FolderTintPreset *folderTintPreset(const std::optional<QString> &tint);

// A target of the "Move to" menus: a list, or a group inside a list.
struct MoveDestination {
    QUuid id;     // the list's id, or the group entry's id
    QUuid listID; // the list that is, or holds, the target
    QString label;
    bool isGroup = false;

    bool operator==(const MoveDestination &other) const = default;
};

// Parses "#RRGGBB" (or the six digits alone) into an opaque sRGB colour. Never fails: no digits is black.
QColor hex(const QString &text);

// UUIDs are written upper-case with hyphens and no braces.
QString uuidString(const QUuid &id);
