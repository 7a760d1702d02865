// The lists file: loading, saving, and changes made to it from outside (a sync tool replacing it, an
// editor rewriting it). The store remembers what it last read or wrote; a file that is something else is
// taken in when it reads, moved aside when it does not, and never overwritten without a backup.
#include "store/AppState.h"

#include "platform/Log.h"
#include "platform/PrivateFiles.h"
#include "store/ListsCodec.h"
#include "store/UniqueIDs.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QRegularExpression>
#include <QTimer>

namespace {
constexpr int keptOlderBackups = 5;
// An editor that rewrites the file in place is given this long to finish before it is read.
constexpr int settleMs = 300;

QByteArray digest(const QByteArray &bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}
} // namespace

void AppState::rememberListsFile(const QByteArray &bytes,
                                 const std::optional<PrivateFiles::FileStamp> &stamp) {
    m_known = KnownFile{stamp, digest(bytes)};
}

// MARK: loading

bool AppState::loadListsFile() {
    m_known = KnownFile{};
    const auto file = PrivateFiles::readRegularFile(listsFilePath(), ListsCodec::maxDocumentSize);
    switch (file.status) {
    case PrivateFiles::ReadResult::missing:
        return false;
    case PrivateFiles::ReadResult::tooLarge:
        // Too big to be ours; keep it aside rather than overwrite it later.
        backUpBadListsFile();
        return false;
    case PrivateFiles::ReadResult::notRegular:
    case PrivateFiles::ReadResult::unreadable:
        // A file that is there but cannot be read must not be replaced by the first save.
        if (moveAsideAsBackup())
            qCWarning(lcStore).noquote()
                << QStringLiteral("lists.json unreadable (%1) — moved to lists.json.bak")
                       .arg(file.reason.isEmpty() ? QStringLiteral("not a regular file") : file.reason);
        return false;
    case PrivateFiles::ReadResult::read:
        break;
    }
    auto decoded = ListsCodec::decodeLists(file.bytes);
    if (!decoded || decoded->isEmpty()) {
        backUpBadListsFile();
        return false;
    }
    if (const auto reason = ListsCodec::overLimit(*decoded)) {
        moveAsideAsBackup();
        qCWarning(lcStore).noquote()
            << QStringLiteral("lists.json refused: %1 — moved to lists.json.bak").arg(*reason);
        return false;
    }
    m_lists = std::move(*decoded);
    rememberListsFile(file.bytes, file.stamp);
    if (normaliseLoadedLists())
        save();
    return true;
}

bool AppState::normaliseLoadedLists() {
    // A repeated id would make an operation act on the wrong list or entry.
    bool normalised = UniqueIDs::renewRepeated(m_lists);
    for (AppList &list : m_lists) {
        bool valid = !list.snapshot.isEmpty();
        for (const AppItem &saved : std::as_const(list.snapshot)) {
            const bool present = std::any_of(list.items.cbegin(), list.items.cend(),
                                             [&](const AppItem &item) { return item.id == saved.id; });
            if (!present) {
                valid = false;
                break;
            }
        }
        if (!valid && list.snapshot != list.items) {
            list.snapshot = list.items;
            normalised = true;
        }
    }
    return normalised;
}

bool AppState::moveAsideAsBackup(const QByteArray *content) {
    const QString backup = m_supportDirectory + QStringLiteral("/lists.json.bak");
    // Earlier backups shift up instead of being deleted, so a second bad file never destroys the first.
    QFile::remove(backup + QStringLiteral(".%1").arg(keptOlderBackups));
    for (int n = keptOlderBackups - 1; n >= 1; --n)
        QFile::rename(backup + QStringLiteral(".%1").arg(n), backup + QStringLiteral(".%1").arg(n + 1));
    QFile::rename(backup, backup + QStringLiteral(".1"));
    // A copy of content leaves the lists file where it is (it may be a link into a synced folder).
    if (content)
        return PrivateFiles::writeAtomically(backup, *content);
    return QFile::rename(listsFilePath(), backup);
}

void AppState::backUpBadListsFile() {
    moveAsideAsBackup();
    qCWarning(lcStore).noquote() << QStringLiteral("lists.json corrupt — backed up to lists.json.bak");
}

// MARK: saving

bool AppState::save() {
    const QByteArray bytes = ListsCodec::encodeLists(m_lists);
    QString reason;
    if (bytes.isEmpty()) {
        reason = QStringLiteral("the lists could not be encoded");
    } else if (bytes.size() > ListsCodec::maxDocumentSize) {
        // The next start would refuse it.
        reason = QStringLiteral("the lists would take more than 64 MiB");
    } else {
        PrivateFiles::makeFolder(m_supportDirectory);
        keepOutsideChange();
        PrivateFiles::FileStamp stamp;
        if (PrivateFiles::writeAtomically(listsFilePath(), bytes, &reason, &stamp)) {
            // A rename that moves the change time on is seen as a touch: the content is compared.
            rememberListsFile(bytes, stamp);
            m_lastSaveError.clear();
            m_saveFailing = false;
            if (m_retry)
                m_retry->stop();
            return true;
        }
    }
    m_lastSaveError = reason;
    if (!m_quietRetry)
        qCWarning(lcStore).noquote() << QStringLiteral("could not write lists.json: ") + reason;
    return false;
}

// A change the disk did not take stays in memory: said once, then saved again until it works.
void AppState::keepTrying() {
    if (!m_retry) {
        m_retry = new QTimer(this);
        m_retry->setInterval(retryMs);
        connect(m_retry, &QTimer::timeout, this, [this] {
            const QString before = m_lastSaveError;
            m_quietRetry = true; // the same reason again is not news
            m_lastChangeSaved = save();
            m_quietRetry = false;
            if (!m_lastChangeSaved && m_lastSaveError != before)
                qCWarning(lcStore).noquote()
                    << QStringLiteral("could not write lists.json: ") + m_lastSaveError;
        });
    }
    m_retry->start();
    if (!std::exchange(m_saveFailing, true))
        Q_EMIT saveFailed(m_lastSaveError);
}

// Before the file is replaced: when it is not what the store last read or wrote, its content becomes the
// newest backup.
void AppState::keepOutsideChange() {
    const auto stamp = PrivateFiles::stampOf(listsFilePath());
    if (!stamp || stamp == m_known.stamp)
        return;
    const auto file = PrivateFiles::readRegularFile(listsFilePath(), ListsCodec::maxDocumentSize);
    if (file.status == PrivateFiles::ReadResult::read && digest(file.bytes) == m_known.digest) {
        m_known.stamp = file.stamp; // touched, not changed
        return;
    }
    if (file.status == PrivateFiles::ReadResult::notRegular)
        return; // a folder or a device is not replaced: the write fails and says why
    const bool kept =
        file.status == PrivateFiles::ReadResult::read ? moveAsideAsBackup(&file.bytes) : moveAsideAsBackup();
    if (kept)
        qCInfo(lcStore).noquote() << QStringLiteral(
            "lists.json was changed outside Ilvex — kept as lists.json.bak");
}

// MARK: outside changes

void AppState::watchListsFile() {
    if (m_watcher)
        return;
    m_watcher = new QFileSystemWatcher(this);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(settleMs);
    connect(m_settle, &QTimer::timeout, this, [this] {
        takeOutsideChange();
        followListsFile();
    });
    auto later = [this] { m_settle->start(); };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, later);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, later);
    followListsFile();
    takeOutsideChange(); // a change between loading and watching
}

// A replaced file is a new inode, so the file is watched again after every change, and the folder (and
// a linked file's own folder) for replacements.
void AppState::followListsFile() {
    const QString path = listsFilePath();
    QStringList wanted{m_supportDirectory};
    if (QFileInfo::exists(path))
        wanted << path;
    if (const QString target = QFileInfo(path).canonicalFilePath(); !target.isEmpty() && target != path)
        wanted << QFileInfo(target).absolutePath();
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    for (const QString &entry : wanted) {
        if (!watched.contains(entry) || entry == path)
            m_watcher->addPath(entry);
    }
}

void AppState::takeOutsideChange() {
    reportConflictCopies();
    if (m_change)
        return;
    const auto stamp = PrivateFiles::stampOf(listsFilePath());
    if (!stamp || stamp == m_known.stamp)
        return; // ours, or gone (the next save writes it again)
    const auto file = PrivateFiles::readRegularFile(listsFilePath(), ListsCodec::maxDocumentSize);
    const QByteArray hash = digest(file.bytes);
    if (file.status == PrivateFiles::ReadResult::read && hash == m_known.digest) {
        m_known.stamp = file.stamp;
        return;
    }
    auto decoded =
        file.status == PrivateFiles::ReadResult::read ? ListsCodec::decodeLists(file.bytes) : std::nullopt;
    std::optional<QString> refusal = decoded && !decoded->isEmpty() ? ListsCodec::overLimit(*decoded)
                                                                    : QStringLiteral("it cannot be read");
    if (refusal) {
        // Moved aside as a bad file at start would be; the lists in memory are written in its place.
        const bool moved = moveAsideAsBackup();
        qCWarning(lcStore).noquote()
            << QStringLiteral("lists.json was changed outside Ilvex but %1 — %2; Ilvex keeps its lists")
                   .arg(*refusal,
                        moved ? QStringLiteral("moved to lists.json.bak") : QStringLiteral("left as it is"));
        m_known = KnownFile{};
        if (moved)
            save();
        return;
    }
    Change change(*this, Change::postsActiveListChanged);
    m_lists = std::move(*decoded);
    m_known = KnownFile{file.stamp, hash};
    if (normaliseLoadedLists())
        change.add(Change::saves);
    if (m_activeListIndex >= m_lists.size()) {
        setActiveListIndex(0);
        change.add(Change::storesActiveListIndex);
    }
    if (m_openSubListID && !openSubList())
        m_openSubListID.reset();
    qCInfo(lcStore).noquote() << QStringLiteral("lists.json was changed outside Ilvex — loaded");
}

// Sync tools keep both sides of a conflict: "lists.sync-conflict-20250101-120000-ABCDEFG.json",
// "lists (conflicted copy 2025-01-01 120000).json", "lists.json (conflicted copy …)". Ilvex goes on
// with lists.json and says once where each copy is, so the user can import the one they want.
void AppState::reportConflictCopies() {
    static const QRegularExpression conflict(
        QStringLiteral("^lists(\\.json)?[ .(].*(sync-conflict|conflicted copy|conflict)"),
        QRegularExpression::CaseInsensitiveOption);
    const QStringList names = QDir(m_supportDirectory).entryList({QStringLiteral("lists*")}, QDir::Files);
    for (const QString &name : names) {
        if (!conflict.match(name).hasMatch() || m_reportedConflicts.contains(name))
            continue;
        m_reportedConflicts.insert(name);
        qCInfo(lcStore).noquote() << QStringLiteral(
                                         "a sync conflict copy of lists.json is at %1 — Ilvex uses "
                                         "lists.json; import the copy (Settings, Import lists…) to "
                                         "use it instead")
                                         .arg(QDir(m_supportDirectory).filePath(name));
    }
}
