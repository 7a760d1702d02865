// The lists file: loading, saving, and changes made to it from outside (a sync tool replacing it, an
// editor rewriting it).
#include "store/ListsFile.h"

#include "platform/Log.h"
#include "store/ListsCodec.h"
#include "store/ListsDocument.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cstdio>

namespace {
constexpr int keptOlderBackups = 5;

void printDiagnostic(const QString &line) {
    qCInfo(lcStore).noquote() << line;
}

QByteArray digest(const QByteArray &bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

PrivateFiles::ReadResult readLists(const QString &path) {
    return PrivateFiles::readRegularFile(path, ListsCodec::maxDocumentSize);
}
} // namespace

ListsFile::ListsFile(const QString &directory) : m_directory(directory) {}

QString ListsFile::path() const {
    return m_directory + QStringLiteral("/lists.json");
}

void ListsFile::prepare() {
    PrivateFiles::makeFolder(m_directory);
    PrivateFiles::tidy(path());
}

void ListsFile::remember(const QByteArray &bytes, const std::optional<PrivateFiles::FileStamp> &stamp) {
    m_stamp = stamp;
    m_digest = digest(bytes);
}

// MARK: loading

std::optional<QList<AppList>> ListsFile::load() {
    m_stamp.reset();
    m_digest.clear();
    const auto file = readLists(path());
    switch (file.status) {
    case PrivateFiles::ReadResult::missing:
        return std::nullopt;
    case PrivateFiles::ReadResult::tooLarge:
        // Too big to be ours; kept aside rather than overwritten later.
        setAsideBadFile(QStringLiteral("corrupt"));
        return std::nullopt;
    case PrivateFiles::ReadResult::notRegular:
    case PrivateFiles::ReadResult::unreadable:
        // A file that is there but cannot be read must not be replaced by the first save.
        setAsideBadFile(QStringLiteral("unreadable (%1)")
                            .arg(file.reason.isEmpty() ? QStringLiteral("not a regular file") : file.reason));
        return std::nullopt;
    case PrivateFiles::ReadResult::read:
        break;
    }
    auto decoded = ListsCodec::decodeLists(file.bytes);
    if (!decoded || decoded->isEmpty()) {
        setAsideBadFile(QStringLiteral("corrupt"));
        return std::nullopt;
    }
    if (const auto reason = ListsCodec::overLimit(*decoded)) {
        setAsideBadFile(QStringLiteral("refused: ") + *reason);
        return std::nullopt;
    }
    remember(file.bytes, file.stamp);
    return decoded;
}

void ListsFile::setAsideBadFile(const QString &what) {
    QString reason;
    if (moveAsideAsBackup(nullptr, &reason)) {
        printDiagnostic(what == u"corrupt"
                            ? QStringLiteral("lists.json corrupt — backed up to lists.json.bak")
                            : QStringLiteral("lists.json %1 — moved to lists.json.bak").arg(what));
        return;
    }
    // Saving now would replace the user's file: the lists stay in memory only until it can be moved.
    m_readOnly = true;
    m_readOnlyReason = QStringLiteral("lists.json is %1 and could not be moved aside (%2); Ilvex does not "
                                      "write over it")
                           .arg(what, reason);
    printDiagnostic(m_readOnlyReason);
}

std::optional<QList<AppItem>> ListsFile::loadLegacyItems() const {
    const QString legacy = m_directory + QStringLiteral("/apps.json");
    const auto file = PrivateFiles::readRegularFile(legacy, ListsCodec::maxDocumentSize);
    if (file.status != PrivateFiles::ReadResult::read)
        return std::nullopt;
    return ListsCodec::decodeItems(file.bytes);
}

void ListsFile::removeLegacyItems() const {
    QFile::remove(m_directory + QStringLiteral("/apps.json"));
}

bool ListsFile::moveAsideAsBackup(const QByteArray *content, QString *reason) {
    const QString backup = m_directory + QStringLiteral("/lists.json.bak");
    // Earlier backups shift up instead of being deleted, so a second bad file never destroys the first.
    QFile::remove(backup + QStringLiteral(".%1").arg(keptOlderBackups));
    for (int n = keptOlderBackups - 1; n >= 1; --n)
        QFile::rename(backup + QStringLiteral(".%1").arg(n), backup + QStringLiteral(".%1").arg(n + 1));
    QFile::rename(backup, backup + QStringLiteral(".1"));
    // A copy of content leaves the lists file where it is (it may be a link into a synced folder).
    if (content)
        return PrivateFiles::writeAtomically(backup, *content, reason);
    QFile file(path());
    if (file.rename(backup))
        return true;
    if (reason)
        *reason = file.errorString();
    return false;
}

// MARK: saving

bool ListsFile::save(const QList<AppList> &lists, QString *reason) {
    if (m_readOnly) {
        *reason = m_readOnlyReason;
        return false;
    }
    const QByteArray bytes = ListsCodec::encodeLists(lists);
    if (const auto refusal = ListsDocument::refusalToWrite(bytes)) {
        *reason = *refusal;
        return false;
    }
    PrivateFiles::makeFolder(m_directory);
    // An outside change is looked for once the new copy is written, right before it replaces the file:
    // a sync tool's replace during the write is kept too.
    bool kept = true;
    PrivateFiles::FileStamp stamp;
    if (!ListsDocument::write(path(), bytes, reason, &stamp, [&] { return kept = keepOutsideChange(); })) {
        if (!kept)
            *reason =
                QStringLiteral("lists.json was changed outside Ilvex and could not be kept as a backup");
        return false;
    }
    // A rename that moves the change time on is seen as a touch: the content is compared.
    remember(bytes, stamp);
    return true;
}

// Before the file is replaced: when it is not what was last read or written, its content becomes the
// newest backup. False when that backup could not be made.
bool ListsFile::keepOutsideChange() {
    const auto stamp = PrivateFiles::stampOf(path());
    if (!stamp || stamp == m_stamp)
        return true;
    const auto file = readLists(path());
    if (file.status == PrivateFiles::ReadResult::read && digest(file.bytes) == m_digest) {
        m_stamp = file.stamp; // touched, not changed
        return true;
    }
    if (file.status == PrivateFiles::ReadResult::notRegular)
        return true; // a folder or a device is not replaced: the write fails and says why
    const bool kept =
        file.status == PrivateFiles::ReadResult::read ? moveAsideAsBackup(&file.bytes) : moveAsideAsBackup();
    if (kept)
        printDiagnostic(QStringLiteral("lists.json was changed outside Ilvex — kept as lists.json.bak"));
    return kept;
}

// MARK: outside changes

ListsFile::OutsideChange ListsFile::takeOutsideChange() {
    const auto stamp = PrivateFiles::stampOf(path());
    if (!stamp || stamp == m_stamp)
        return {}; // ours, or gone (the next save writes it again)
    const auto file = readLists(path());
    const QByteArray hash = digest(file.bytes);
    if (file.status == PrivateFiles::ReadResult::read && hash == m_digest) {
        m_stamp = file.stamp;
        return {};
    }
    const auto decoded = file.status == PrivateFiles::ReadResult::read ? ListsDocument::decode(file.bytes)
                                                                       : ListsDocument::Decoded{};
    if (!decoded.lists) {
        // Moved aside as a bad file at start would be; the caller writes its lists in its place.
        const QString refusal = decoded.refusal.startsWith(u"was refused: ")
                                    ? decoded.refusal.mid(13)
                                    : QStringLiteral("it cannot be read");
        QString reason;
        const bool moved = moveAsideAsBackup(nullptr, &reason);
        printDiagnostic(
            QStringLiteral("lists.json was changed outside Ilvex but %1 — %2; Ilvex keeps its lists")
                .arg(refusal,
                     moved ? QStringLiteral("moved to lists.json.bak") : QStringLiteral("left as it is")));
        m_stamp.reset();
        m_digest.clear();
        if (!moved) {
            m_readOnly = true;
            m_readOnlyReason =
                QStringLiteral("lists.json was changed outside Ilvex and could not be moved aside (%1); "
                               "Ilvex does not write over it")
                    .arg(reason);
        }
        return OutsideChange{true, std::nullopt, refusal};
    }
    m_stamp = file.stamp;
    m_digest = hash;
    m_readOnly = false; // a readable file in place of the bad one
    printDiagnostic(QStringLiteral("lists.json was changed outside Ilvex — loaded"));
    return OutsideChange{true, decoded.lists, {}};
}

// Sync tools keep both sides of a conflict: "lists.sync-conflict-20250101-120000-ABCDEFG.json",
// "lists (conflicted copy 2025-01-01 120000).json", "lists.json (conflicted copy …)". Ilvex goes on
// with lists.json and says once where each copy is, so the user can import the one they want.
void ListsFile::reportConflictCopies() {
    static const QRegularExpression conflict(
        QStringLiteral("^lists(\\.json)?[ .(].*(sync-conflict|conflicted copy|conflict)"),
        QRegularExpression::CaseInsensitiveOption);
    const QStringList names = QDir(m_directory).entryList({QStringLiteral("lists*")}, QDir::Files);
    for (const QString &name : names) {
        if (!conflict.match(name).hasMatch() || m_reportedConflicts.contains(name))
            continue;
        m_reportedConflicts.insert(name);
        printDiagnostic(QStringLiteral("a sync conflict copy of lists.json is at %1 — Ilvex uses lists.json; "
                                       "import the copy (Settings, Import lists…) to use it instead")
                            .arg(QDir(m_directory).filePath(name)));
    }
}
