// The store and its lists file: normalising what was read, saving with retries, and following changes
// made to the file from outside (a sync tool replacing it, an editor rewriting it).
#include "platform/Log.h"
#include "store/AppState.h"

#include "store/UniqueIDs.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace {
// An editor that rewrites the file in place is given this long to finish before it is read.
constexpr int settleMs = 300;
} // namespace

// MARK: loading

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

// MARK: saving

bool AppState::save() {
    QString reason;
    if (m_file.save(m_lists, &reason)) {
        m_lastSaveError.clear();
        m_saveFailing = false;
        if (m_retry)
            m_retry->stop();
        return true;
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
    if (std::exchange(m_saveFailing, true))
        return;
    // A failure while the store is being built is said once the shell can listen: from its event loop.
    if (m_building)
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT saveFailed(m_lastSaveError); }, Qt::QueuedConnection);
    else
        Q_EMIT saveFailed(m_lastSaveError);
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
    QStringList wanted{m_file.directory()};
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
    m_file.reportConflictCopies();
    if (m_change)
        return;
    auto outside = m_file.takeOutsideChange();
    if (!outside.changed)
        return;
    if (!outside.lists) {
        // Moved aside as a bad file, and the lists in memory take its place; or left, and not written over.
        if (!m_file.readOnly())
            save();
        return;
    }
    Change change(*this, Change::postsActiveListChanged);
    m_lists = std::move(*outside.lists);
    if (normaliseLoadedLists())
        change.add(Change::saves);
    if (m_activeListIndex >= m_lists.size()) {
        setActiveListIndex(0);
        change.add(Change::storesActiveListIndex);
    }
    if (m_openSubListID && !openSubList())
        m_openSubListID.reset();
}
