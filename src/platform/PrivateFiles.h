#pragma once

#include <QFileDevice>
#include <QString>

// The user's own files (the lists file and its backups, the preferences, the favicon folder) hold names,
// paths and bookmarks: folders are 0700 and files 0600. A mode the user made tighter is kept; group and
// other bits are always taken away.
namespace PrivateFiles {

// Creates the folder (its parents as usual) private when it is missing, and takes the group and other
// bits from an existing one. False when there is no folder afterwards.
bool makeFolder(const QString &path);
// The mode for a new copy of the file at path: 0600, or the existing file's owner bits of 0600.
QFileDevice::Permissions fileMode(const QString &path);
// Takes the group and other bits from an existing file.
void restrict(const QString &path);
// Removes the temporary copies ("lists.json.Ab12Cd") that a save cut short left beside path, and makes
// path and its backups ("lists.json.bak…") private. Only the one writer of path may call this. Returns how
// many copies were removed.
int tidy(const QString &path);
// Creates an empty private file when none is there yet (a store that writes later keeps the mode), or
// makes the existing one private.
void prepareFile(const QString &path);

} // namespace PrivateFiles
