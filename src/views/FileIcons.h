#pragma once

#include <QIcon>
#include <QString>

class Workspace;

// The desktop's icon for a path: a desktop entry's Icon (an application icon when it names none),
// "folder" for folders, otherwise the icon of the file's MIME type, all from the freedesktop icon theme.
namespace FileIcons {
// Where desktop entries' icons are read (not owned); without one, every entry shows the application icon.
void setWorkspace(const Workspace *workspace);
// Makes theme icons resolvable where no desktop set a theme (offscreen, bare X servers).
void ensureIconTheme();
QIcon iconForPath(const QString &path);
// Icon files larger than this are not read.
inline constexpr qint64 maxIconFileSize = 4 * 1024 * 1024;
// Whether an icon named by path may be read: a regular file (looked at without opening it) of an icon's
// size. A FIFO or a device named as an entry's Icon would block the reader or never end.
bool isIconFile(const QString &path);
// The theme icon name iconForPath uses ("folder", "text-x-generic", an entry's Icon, …).
QString iconNameForPath(const QString &path);
} // namespace FileIcons
