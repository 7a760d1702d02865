#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <functional>
#include <optional>

// The user's own files (the lists file and its backups, the preferences, the favicon folder) hold names,
// paths and bookmarks: folders are 0700 and files 0600. A mode the user made tighter is kept; group and
// other bits are always taken away.
namespace PrivateFiles {

// Creates the folder (its parents as usual) private when it is missing, and takes the group and other
// bits from an existing one. False when there is no folder afterwards.
bool makeFolder(const QString &path);
// A folder only this user can change: created private (parents as usual) when missing; an existing one
// must be a folder the user owns that no one else can write to, and is never changed. False, with the
// reason, otherwise.
bool ownFolder(const QString &path, QString *reason = nullptr);
// The mode for a new copy of the file at path: 0600, or the existing file's owner bits of 0600.
QFileDevice::Permissions fileMode(const QString &path);
// Takes the group and other bits from an existing file.
void restrict(const QString &path);
// Which file is at a path and whether it was written since: two looks that give the same stamp saw the
// same content (the change time moves on every write and cannot be set back).
struct FileStamp {
    quint64 device = 0, inode = 0;
    qint64 size = 0, modified = 0, changed = 0;
    bool operator==(const FileStamp &) const = default;
};
std::optional<FileStamp> stampOf(const QString &path);

// Replaces the file at path (the target of a symbolic link there) with bytes, or leaves it as it was.
// The bytes go to a new private copy beside it, written unbuffered with every write checked, synced and
// closed; only then is the copy renamed over the file. On any failure the copy is removed and reason
// (when given) gets the system's own words ("No space left on device"). The copy's mode is fileMode().
// A copy whose size is not that of bytes is refused too. stamp (when given) gets the written file's, as it
// was before the rename. beforeReplace (when given) runs right before the rename, so that what it checks
// cannot change during the write; false leaves the file as it was.
bool writeAtomically(const QString &path, const QByteArray &bytes, QString *reason = nullptr,
                     FileStamp *stamp = nullptr, const std::function<bool()> &beforeReplace = {});
// The same for a name in the file system's own bytes (not necessarily UTF-8).
bool writeAtomically(const QByteArray &nativePath, const QByteArray &bytes, QString *reason = nullptr,
                     FileStamp *stamp = nullptr, const std::function<bool()> &beforeReplace = {});
// The name of writeAtomically's copy for a file name, before its six random characters: a hidden name no
// person would give a file (".lists.json.ilvex-unfinished-").
QString unfinishedPrefix(const QString &fileName);
// Removes the copies of writeAtomically beside path (names of unfinishedPrefix and six random characters,
// regular files) last written more than olderThanSeconds ago (0: all of them): a write at work in another
// process takes far less. Returns how many were removed.
int removeUnfinished(const QString &path, int olderThanSeconds);
// Removes the copies that a write cut short left beside path (only names of unfinishedPrefix, regular
// files), and makes path and its backups ("lists.json.bak…") private. Only the
// one writer of path may call this. Returns how many copies were removed.
int tidy(const QString &path);
// A whole regular file read without blocking: a FIFO, device or folder at path is refused unopened
// (stat first, then opened non-blocking and checked again), and so is a file over limit bytes.
struct ReadResult {
    enum Status { read, missing, notRegular, tooLarge, unreadable } status = missing;
    QByteArray bytes;
    QString reason;  // the system's words when unreadable
    FileStamp stamp; // of what was read, taken before reading
};
ReadResult readRegularFile(const QString &path, qint64 limit);
ReadResult readRegularFile(const QByteArray &nativePath, qint64 limit);

// Creates an empty private file when none is there yet (a store that writes later keeps the mode), or
// makes the existing one private.
void prepareFile(const QString &path);

// Writes all of bytes to fd, going on after interruptions; false (errno set) on any failure, a write that
// takes nothing counting as a full device.
bool writeAll(int fd, const QByteArray &bytes);

} // namespace PrivateFiles
