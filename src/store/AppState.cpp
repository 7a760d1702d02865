#include "store/AppState.h"

#include "l10n/L.h"
#include "platform/Bookmarks.h"
#include "platform/PrivateFiles.h"
#include "platform/Workspace.h"
#include "settings/Preferences.h"
#include "store/ItemOpener.h"
#include "store/ListsCodec.h"
#include "store/UniqueIDs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
// The default "Apps" and "Web" lists: each slot takes the application the desktop opens its content type
// with, else the first of its candidates that is installed.
struct AppSlot {
    const char *fallbackName;
    const char *contentType; // empty: the desktop names no default for this slot
    QList<const char *> candidates;
};

const QList<AppSlot> &defaultAppSlots() {
    static const QList<AppSlot> slots{
        {"Mail",
         "x-scheme-handler/mailto",
         {"org.mozilla.Thunderbird", "thunderbird", "org.gnome.Evolution", "org.kde.kmail2"}},
        {"Calendar", "text/calendar", {"org.gnome.Calendar", "org.kde.korganizer"}},
        {"Notes",
         "text/plain",
         {"org.gnome.TextEditor", "org.gnome.gedit", "org.kde.kwrite", "org.xfce.mousepad"}},
        {"Terminal",
         Workspace::terminalType,
         {"org.gnome.Terminal", "org.gnome.Console", "org.kde.konsole", "xfce4-terminal", "debian-xterm"}},
        {"Finder", "inode/directory", {"org.gnome.Nautilus", "org.kde.dolphin", "thunar", "pcmanfm"}},
        {"Messages", "", {"org.telegram.desktop", "signal-desktop", "org.gnome.Fractal"}},
        {"Music", "audio/mpeg", {"org.gnome.Music", "org.gnome.Rhythmbox3", "org.kde.elisa"}},
    };
    return slots;
}

const AppSlot &defaultWebSlot() {
    static const AppSlot slot{
        "Safari",
        "x-scheme-handler/https",
        {"firefox-esr", "firefox", "org.mozilla.firefox", "chromium", "org.gnome.Epiphany"}};
    return slot;
}
} // namespace

AppState::AppState(const StoreServices &services, QObject *parent)
    : QObject(parent), m_services(services),
      m_file(services.supportDirectory.isEmpty() ? defaultSupportDirectory() : services.supportDirectory) {
    if (!m_services.preferences) {
        m_ownPreferences = std::make_unique<Preferences>();
        m_services.preferences = m_ownPreferences.get();
    }
    if (!m_services.opener && m_services.workspace)
        m_ownOpener = std::make_unique<WorkspaceOpener>(*m_services.workspace);
    m_opener = m_services.opener ? m_services.opener : m_ownOpener.get();
    // The preferences' own failure to write is said the way a lists file that cannot be written is.
    connect(m_services.preferences, &Preferences::writeFailed, this, &AppState::saveFailed);
    m_language = startLanguage(preferences());
    m_file.prepare();
    loadLists();
    m_file.reportConflictCopies();
    const int stored = preferences().activeListIndex();
    m_activeListIndex = (stored >= 0 && stored < m_lists.size()) ? stored : 0;
    {
        Change change(*this);
        createMissingBookmarks();
        beginBookmarkAccess();
    }
    m_building = false;
}

AppState::~AppState() = default;

QString AppState::defaultSupportDirectory() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    return base + QStringLiteral("/Ilvex");
}

Preferences &AppState::preferences() const {
    return *m_services.preferences;
}

AppState::Change::Change(AppState &state, int flags)
    : m_state(state), m_outer(state.m_change), m_lists(state.m_lists),
      m_activeListIndex(state.m_activeListIndex), m_openSubListID(state.m_openSubListID) {
    // Operations change lists through pointers they took before this guard; a copy that still shared
    // the store's array would change with it.
    if (m_outer) {
        m_outer->m_flags |= flags;
        return;
    }
    m_lists.detach();
    m_flags = flags;
    state.m_change = this;
}

AppState::Change::~Change() {
    if (m_outer)
        return;
    m_state.m_change = nullptr; // whatever a signal's receiver does next is an operation of its own
    m_state.m_lastChangeRefused = m_state.grewPastLimit(m_lists);
    if (m_state.m_lastChangeRefused) {
        m_state.m_lists = m_lists;
        m_state.m_activeListIndex = m_activeListIndex;
        m_state.m_openSubListID = m_openSubListID;
        Q_EMIT m_state.listFull();
        return;
    }
    const bool listsDiffer = m_state.m_lists != m_lists;
    const bool indexDiffers = m_state.m_activeListIndex != m_activeListIndex;
    const bool openDiffers = m_state.m_openSubListID != m_openSubListID;
    if (m_flags & saves) {
        m_state.m_lastChangeSaved = m_state.save();
        if (!m_state.m_lastChangeSaved && (m_flags & rollsBackUnsaved)) {
            m_state.m_lists = m_lists;
            m_state.m_activeListIndex = m_activeListIndex;
            m_state.m_openSubListID = m_openSubListID;
            return;
        }
        if (!m_state.m_lastChangeSaved)
            m_state.keepTrying();
    }
    if (m_flags & storesActiveListIndex)
        m_state.preferences().setActiveListIndex(m_state.m_activeListIndex);
    if (listsDiffer)
        Q_EMIT m_state.listsChanged();
    if (indexDiffers)
        Q_EMIT m_state.activeListIndexChanged();
    if (openDiffers)
        Q_EMIT m_state.openSubListIDChanged();
    if (m_flags & postsActiveListChanged)
        Q_EMIT m_state.activeListChanged();
}

// MARK: loading

void AppState::loadLists() {
    if (auto stored = m_file.load()) {
        m_lists = std::move(*stored);
        if (normaliseLoadedLists())
            save();
        return;
    }
    if (loadLegacyItemsFile() || loadLegacyPreference())
        return;
    m_lists = defaultLists(); // first written by the first later save
}

bool AppState::grewPastLimit(const QList<AppList> &before) const {
    for (const AppList &list : m_lists) {
        const qsizetype count = ListsCodec::entryCount(list.items);
        if (count <= ListsCodec::maxEntriesPerList)
            continue;
        const auto old = std::find_if(before.cbegin(), before.cend(),
                                      [&list](const AppList &candidate) { return candidate.id == list.id; });
        if (old == before.cend() || ListsCodec::entryCount(old->items) < count)
            return true;
    }
    return false;
}

bool AppState::loadLegacyItemsFile() {
    auto items = m_file.loadLegacyItems();
    if (!items)
        return false;
    m_lists = {AppList{QUuid::createUuid(), QStringLiteral("Apps"), std::move(*items), ListTheme::blue, {}}};
    UniqueIDs::renewRepeated(m_lists);
    // The old file goes only once its entries are safely in the new one.
    if (save())
        m_file.removeLegacyItems();
    return true;
}

bool AppState::loadLegacyPreference() {
    const auto stored = preferences().launcherApps();
    if (!stored)
        return false;
    auto items = ListsCodec::decodeItems(*stored);
    if (!items)
        return false;
    m_lists = {AppList{QUuid::createUuid(), QStringLiteral("Apps"), std::move(*items), ListTheme::blue, {}}};
    UniqueIDs::renewRepeated(m_lists);
    if (save())
        preferences().setLauncherApps(std::nullopt);
    return true;
}

QList<AppList> AppState::defaultLists() const {
    auto fromSlots = [this](const QList<AppSlot> &slots) {
        QList<QPair<QString, QString>> table;
        QStringList taken; // one application fills one slot (a browser may also be the text editor)
        for (const AppSlot &slot : slots) {
            QStringList candidates;
            if (m_services.workspace && *slot.contentType)
                candidates << m_services.workspace->defaultApplication(QLatin1String(slot.contentType))
                                  .value_or(QString());
            for (const char *candidate : slot.candidates)
                candidates << QLatin1String(candidate);
            for (const QString &candidate : candidates) {
                if (!candidate.isEmpty() && !taken.contains(candidate) && m_services.workspace &&
                    m_services.workspace->applicationPath(candidate)) {
                    table.append({QLatin1String(slot.fallbackName), candidate});
                    taken << candidate;
                    break;
                }
            }
        }
        return appItems(table);
    };

    QList<AppItem> folders;
    const struct {
        QStandardPaths::StandardLocation location;
        QString name;
        const char *tint;
    } folderRows[] = {
        {QStandardPaths::DocumentsLocation, L::folderDocuments(), "#3B82F6"},
        {QStandardPaths::MusicLocation, L::folderMusic(), "#EC4899"},
        {QStandardPaths::MoviesLocation, L::folderMovies(), "#F97316"},
        // The other user folders the desktop names (xdg-user-dirs), and the home folder when none exists.
        {QStandardPaths::DownloadLocation, L::folderDownloads(), "#22C55E"},
        {QStandardPaths::PicturesLocation, L::folderPictures(), "#EAB308"},
        {QStandardPaths::HomeLocation, L::folderHome(), "#6B7280"},
    };
    for (const auto &row : folderRows) {
        const QString path = QStandardPaths::writableLocation(row.location);
        const bool home = row.location == QStandardPaths::HomeLocation;
        if (path.isEmpty() || !QFileInfo(path).isDir() || (home && !folders.isEmpty()))
            continue;
        // Without xdg-user-dirs a location falls back to the home folder itself: not a user folder.
        if (!home && QDir(path) == QDir::home())
            continue;
        AppItem folder;
        folder.id = QUuid::createUuid();
        folder.name = row.name;
        folder.appPath = path;
        folder.isFolder = true;
        folder.folderTint = QLatin1String(row.tint);
        folders.append(folder);
    }

    return {
        AppList{
            QUuid::createUuid(), QStringLiteral("Apps"), fromSlots(defaultAppSlots()), ListTheme::purple, {}},
        AppList{QUuid::createUuid(), L::listFolders(), folders, ListTheme::green, {}},
        AppList{
            QUuid::createUuid(), QStringLiteral("Web"), fromSlots({defaultWebSlot()}), ListTheme::blue, {}},
    };
}

QList<AppItem> AppState::appItems(const QList<QPair<QString, QString>> &fallbackNameAndBundleID) const {
    QList<AppItem> items;
    if (!m_services.workspace)
        return items;
    for (const auto &[fallback, bundleID] : fallbackNameAndBundleID) {
        const auto path = m_services.workspace->applicationPath(bundleID);
        if (!path)
            continue;
        AppItem item;
        item.id = QUuid::createUuid();
        item.name = appDisplayName(*path, fallback);
        item.bundleIdentifier = bundleID;
        item.appPath = *path;
        items.append(item);
    }
    return items;
}

QString AppState::appDisplayName(const QString &path, const std::optional<QString> &fallback) const {
    QString name = m_services.workspace ? m_services.workspace->applicationName(path) : QString();
    if (name.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive))
        name.chop(8);
    if (!name.isEmpty())
        return name;
    if (fallback)
        return *fallback;
    return QFileInfo(path).completeBaseName();
}

// MARK: bookmarks

void AppState::walkEntries(const std::function<void(AppItem &)> &visit) {
    for (AppList &list : m_lists) {
        for (AppItem &item : list.items) {
            visit(item);
            if (item.isSubList && item.subItems) {
                for (AppItem &member : *item.subItems)
                    visit(member);
            }
        }
    }
}

void AppState::createMissingBookmarks() {
    if (!m_services.bookmarks)
        return;
    Change change(*this);
    bool changed = false;
    walkEntries([&](AppItem &item) {
        if (item.isSubList || item.isURL || item.bookmarkData || item.appPath.isEmpty() ||
            !QFileInfo::exists(item.appPath))
            return;
        if (auto data = m_services.bookmarks->create(item.appPath, m_services.sandboxed)) {
            item.bookmarkData = std::move(*data);
            changed = true;
        }
    });
    if (changed)
        change.add(Change::saves);
}

void AppState::beginBookmarkAccess() {
    if (!m_services.bookmarks)
        return;
    Change change(*this);
    bool changed = false;
    walkEntries([&](AppItem &item) {
        if (item.isSubList || !item.bookmarkData || accessedPath(item))
            return;
        const auto resolved = m_services.bookmarks->resolve(*item.bookmarkData, m_services.sandboxed);
        if (!resolved)
            return;
        if (resolved->isStale) {
            if (auto fresh = m_services.bookmarks->create(resolved->path, m_services.sandboxed)) {
                item.bookmarkData = std::move(*fresh);
                changed = true;
            }
        }
        if (m_services.bookmarks->startAccess(resolved->path))
            m_accessedPaths.insert(item.id, {item.appPath, resolved->path});
    });
    if (changed)
        change.add(Change::saves);
}

const QString *AppState::accessedPath(const AppItem &item) const {
    const auto it = m_accessedPaths.constFind(item.id);
    return it != m_accessedPaths.cend() && it->appPath == item.appPath ? &it->resolved : nullptr;
}

// MARK: properties

void AppState::setLanguage(AppLanguage language) {
    chooseLanguage(language, preferences());
    if (m_language == language)
        return;
    m_language = language;
    Q_EMIT languageChanged();
}

// MARK: derived values

int AppState::safeIndex() const {
    if (m_lists.isEmpty())
        return 0;
    return std::min(int(m_lists.size()) - 1, m_activeListIndex);
}

ListTheme AppState::currentTheme() const {
    return m_lists.isEmpty() ? ListTheme::blue : m_lists[safeIndex()].theme;
}

QList<AppItem> AppState::snapshot() const {
    return m_lists.isEmpty() ? QList<AppItem>{} : m_lists[safeIndex()].snapshot;
}

AppList *AppState::activeList() {
    return m_lists.isEmpty() ? nullptr : &m_lists[safeIndex()];
}

int AppState::indexOfList(const QUuid &listID) const {
    for (int i = 0; i < m_lists.size(); ++i) {
        if (m_lists[i].id == listID)
            return i;
    }
    return -1;
}

std::optional<AppItem> AppState::openSubList() const {
    if (m_lists.isEmpty() || !m_openSubListID)
        return std::nullopt;
    for (const AppItem &item : m_lists[safeIndex()].items) {
        if (item.id == *m_openSubListID)
            return item.isSubList ? std::optional<AppItem>(item) : std::nullopt;
    }
    return std::nullopt;
}

QList<AppItem> AppState::currentItems() const {
    if (m_lists.isEmpty())
        return {};
    if (const auto group = openSubList())
        return group->subItems.value_or(QList<AppItem>{});
    return m_lists[safeIndex()].items;
}
