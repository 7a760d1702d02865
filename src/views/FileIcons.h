#pragma once

#include <QIcon>
#include <QString>

// The desktop's icon for a path: a desktop entry's Icon, "folder" for folders, otherwise the icon of
// the file's MIME type, all from the freedesktop icon theme.
namespace FileIcons {
// Makes theme icons resolvable where no desktop set a theme (offscreen, bare X servers).
void ensureIconTheme();
QIcon iconForPath(const QString &path);
// The theme icon name iconForPath uses ("folder", "text-x-generic", an entry's Icon, …).
QString iconNameForPath(const QString &path);
} // namespace FileIcons
