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
// The theme icon name iconForPath uses ("folder", "text-x-generic", an entry's Icon, …).
QString iconNameForPath(const QString &path);
} // namespace FileIcons
