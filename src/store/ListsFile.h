#pragma once

#include "platform/PrivateFiles.h"
#include "store/Types.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <optional>

// The lists file ("lists.json") in a folder, its backups ("lists.json.bak", ".bak.1" … ".bak.5") and the
// legacy entry file ("apps.json"). It remembers what it last read or wrote: a file that is something
// else is taken in when it reads, kept as a backup before it is replaced, and never overwritten without
// one. A bad file that cannot be moved aside makes it read-only: every save is refused (and says why)
// until a readable file takes its place.
class ListsFile {
  public:
    explicit ListsFile(const QString &directory);

    QString directory() const { return m_directory; }
    QString path() const;
    // True while a bad file is in the way and cannot be moved aside.
    bool readOnly() const { return m_readOnly; }

    // Makes the folder private and removes the copies a cut-short write left. Only the one writer calls it.
    void prepare();
    // The stored lists; none when there is no file or it is bad (then moved aside, or read-only).
    std::optional<QList<AppList>> load();
    // The entries of the first versions' file, and its removal once they are safely in the lists file.
    std::optional<QList<AppItem>> loadLegacyItems() const;
    void removeLegacyItems() const;

    // Writes the lists atomically, first keeping a file changed from outside as the newest backup.
    // False, with the reason, when the file was left as it was.
    bool save(const QList<AppList> &lists, QString *reason);

    // A lists file that is not what was last read or written: its lists when it reads (then it is what
    // was last read), or none. One that does not read is moved aside (refused then says why).
    struct OutsideChange {
        bool changed = false;
        std::optional<QList<AppList>> lists;
        QString refusal;
    };
    OutsideChange takeOutsideChange();
    // Says once for each sync conflict copy beside the file where it is.
    void reportConflictCopies();

  private:
    // Shifts the backups up and makes the lists file the newest: moved, or a copy of content.
    bool moveAsideAsBackup(const QByteArray *content = nullptr, QString *reason = nullptr);
    // A bad file is moved aside; when that fails the file stays read-only.
    void setAsideBadFile(const QString &what);
    bool keepOutsideChange();
    void remember(const QByteArray &bytes, const std::optional<PrivateFiles::FileStamp> &stamp);

    QString m_directory;
    bool m_readOnly = false;
    QString m_readOnlyReason;
    // What the file held when last read or written: no stamp when there was no file.
    std::optional<PrivateFiles::FileStamp> m_stamp;
    QByteArray m_digest;
    QSet<QString> m_reportedConflicts;
};
