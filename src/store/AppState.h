#pragma once

#include "l10n/AppLanguage.h"
#include "store/ListsFile.h"
#include "store/Types.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

class Bookmarks;
class ItemOpener;
class Preferences;
class QFileSystemWatcher;
class QTimer;
class Workspace;

// What the store needs from the outside world. The shell passes the Linux services; tests pass fakes
// and a temporary support folder.
struct StoreServices {
    Workspace *workspace = nullptr;
    Bookmarks *bookmarks = nullptr;
    Preferences *preferences = nullptr; // nullptr: the user's own preferences
    QString supportDirectory;           // empty: the default support folder
    bool sandboxed = false;
    ItemOpener *opener = nullptr; // nullptr: a WorkspaceOpener over workspace (when there is one)
};

// The one store of the launcher: every list, the active list, the open group; the UI language forwarded.
// It loads synchronously when built, and every operation that changes the lists rewrites the lists
// file before it returns. Operations check their arguments and silently do nothing on a bad one.
// Each operation is one Change: it saves at most once and announces each property that changed once,
// when it is done.
//
// The operations are split by concern: lifecycle (AppState.cpp), the lists file (AppStateFile.cpp over
// ListsFile), whole lists (AppStateLists.cpp), single entries and launching through the opener
// (AppStateItems.cpp), groups (AppStateGroups.cpp), snapshot, export and import (AppStateTransfer.cpp).
class AppState : public QObject {
    Q_OBJECT

  public:
    static constexpr int maxLists = 8;
    static constexpr int retryMs = 5000;

    explicit AppState(const StoreServices &services, QObject *parent = nullptr);
    ~AppState() override;

    // The support folder: $XDG_DATA_HOME/Ilvex, or a temporary folder when there is no data location.
    static QString defaultSupportDirectory();
    // The desktop the store opens entries through; nullptr in tests that give none.
    Workspace *workspace() const { return m_services.workspace; }
    QString supportDirectory() const { return m_file.directory(); }
    QString listsFilePath() const { return m_file.path(); }
    Preferences &preferences() const;

    // Observable properties.
    const QList<AppList> &lists() const { return m_lists; }
    int activeListIndex() const { return m_activeListIndex; }
    std::optional<QUuid> openSubListID() const { return m_openSubListID; }
    AppLanguage language() const { return m_language; }
    void setLanguage(AppLanguage language);

    // Derived values.
    int safeIndex() const;
    ListTheme currentTheme() const;
    QList<AppItem> snapshot() const;
    std::optional<AppItem> openSubList() const;
    QList<AppItem> currentItems() const;
    // The active list's own top-level entries, whether or not a group is open (currentItems gives the
    // open group's members): what decides whether the list is empty.
    QList<AppItem> activeListItems() const {
        return m_lists.isEmpty() ? QList<AppItem>() : m_lists[safeIndex()].items;
    }

    // Writes all lists atomically. A failure prints one diagnostic line and returns false; the lists in
    // memory stay and the next change tries again. A lists file that is not what the store last read or
    // wrote (changed from outside) is kept as the newest backup first.
    bool save();
    // Whether the last operation that writes the lists file got it to the disk, and if not, why.
    bool lastChangeSaved() const { return m_lastChangeSaved; }
    QString lastSaveError() const { return m_lastSaveError; }
    // Whether the last operation was refused whole because a list would have held more than
    // ListsCodec::maxEntriesPerList entries (its groups' members counted); nothing of it was kept.
    bool lastChangeRefused() const { return m_lastChangeRefused; }

    // Follows the lists file from now on (the running instance does; a command's store does not): a
    // change from outside is taken in by takeOutsideChange once it has settled.
    void watchListsFile();
    // A lists file that is not what the store last read or wrote: a readable one replaces the lists, one
    // that does not read (or is over the limits) is moved aside as a bad file and the lists in memory are
    // written in its place. Also reports sync conflict copies beside it.
    void takeOutsideChange();

    // Lifecycle helpers.
    QString appDisplayName(const QString &path, const std::optional<QString> &fallback) const;
    QList<AppItem> appItems(const QList<QPair<QString, QString>> &fallbackNameAndBundleID) const;
    QList<AppList> defaultLists() const;

    // Lists.
    void addList(const QString &name, ListTheme theme);
    void removeList(int index);
    void renameList(int index, const QString &name);
    void setTheme(ListTheme theme, int index);
    void switchToList(int index);
    void reorderList(int from, int to);

    // Entries and launching. An add tells whether the entry is there, or why not.
    enum class AddResult { added, noList, listFull };
    void launch(const AppItem &item);
    AddResult add(const QString &path);
    AddResult addURL(const QString &urlText, const QString &name);
    void remove(const AppItem &item);
    void setFolderTint(const QUuid &itemID, const std::optional<QString> &tint);
    void renameItem(const QUuid &itemID, const QString &name);
    void moveItem(const QUuid &itemID, const QUuid &fromListID, const QUuid &toListID);
    void moveTopLevelItem(const QUuid &itemID, const QUuid &groupID, const QUuid &listID);

    // Groups. withCurrentItems applies a change to the open group's members, or else to the active
    // list's entries; false (and the change not called) when there are no lists. It announces the
    // change (listsChanged) but does not save: callers save.
    bool withCurrentItems(const std::function<void(QList<AppItem> &)> &change);
    void openSubList(const QUuid &groupID);
    void closeSubList();
    std::optional<QUuid> addSubList(const QString &name, const std::optional<QString> &tint);
    void moveItemToSubList(const QUuid &itemID, const QUuid &subListID);
    std::optional<QUuid> mergeIntoNewGroup(const QUuid &targetID, const QUuid &draggedID);
    void moveItemFromOpenSubList(const QUuid &itemID, const QUuid &toListID);
    void moveItemFromOpenSubList(const QUuid &itemID, const QUuid &toGroupID, const QUuid &inListID);

    // Snapshot, export and import.
    void saveSnapshot();
    void restoreSnapshot();
    std::optional<QByteArray> exportListsData() const;
    bool importLists(const QByteArray &data, bool append);
    static QList<AppItem> transformItems(const QList<AppItem> &items,
                                         const std::function<AppItem(const AppItem &)> &transform);
    static QList<AppList> mapLists(const QList<AppList> &lists,
                                   const std::function<AppItem(const AppItem &)> &transform);

  Q_SIGNALS:
    void listsChanged();
    void activeListIndexChanged();
    void openSubListIDChanged();
    void languageChanged();
    // The ring now shows other content (another list, or a group opened or closed).
    void activeListChanged();
    // A change was refused whole (lastChangeRefused): a list would have held more entries than it may.
    void listFull();
    // A change could not be written (once until a save works again); the store keeps it and tries
    // again every retryMs. An import that could not be written is put back instead, and not announced.
    // The preferences' writeFailed comes through here too.
    void saveFailed(const QString &reason);

  private:
    // The guard of one operation. The outermost Change of an operation, when it ends, saves once if
    // asked to, writes the "activeListIndex" preference if asked to, and announces every property that
    // differs from when it began; a Change made inside another joins the outer one.
    class Change {
      public:
        // rollsBackUnsaved: a save that fails puts everything back as it was, announcing nothing.
        enum Flag { saves = 1, storesActiveListIndex = 2, postsActiveListChanged = 4, rollsBackUnsaved = 8 };
        explicit Change(AppState &state, int flags = 0);
        ~Change();
        Change(const Change &) = delete;
        Change &operator=(const Change &) = delete;
        void add(int flags) { (m_outer ? m_outer->m_flags : m_flags) |= flags; }

      private:
        AppState &m_state;
        Change *m_outer;
        int m_flags = 0;
        QList<AppList> m_lists;
        int m_activeListIndex;
        std::optional<QUuid> m_openSubListID;
    };

    void loadLists();
    bool normaliseLoadedLists();
    bool loadLegacyItemsFile();
    bool loadLegacyPreference();
    void keepTrying();
    void followListsFile();
    // Whether a list holds more entries than the limit and more than it did in before.
    bool grewPastLimit(const QList<AppList> &before) const;
    void createMissingBookmarks();
    void beginBookmarkAccess();
    void walkEntries(const std::function<void(AppItem &)> &visit);

    void setActiveListIndex(int index) { m_activeListIndex = std::max(0, index); }

    AppList *activeList();
    int indexOfList(const QUuid &listID) const;
    std::optional<AppItem> extractFromOpenSubList(const QUuid &itemID);
    void pruneOpenSubListIfEmpty();
    AppItem makeFileEntry(const QString &path) const;

    StoreServices m_services;
    std::unique_ptr<Preferences> m_ownPreferences; // when the services bring none
    std::unique_ptr<ItemOpener> m_ownOpener;       // the same for the opener
    ItemOpener *m_opener = nullptr;
    Change *m_change = nullptr;
    bool m_lastChangeSaved = true;
    bool m_lastChangeRefused = false;
    QString m_lastSaveError;
    ListsFile m_file;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_settle = nullptr;
    QTimer *m_retry = nullptr;
    bool m_saveFailing = false; // announced, not yet written
    bool m_building = true;     // in the constructor
    bool m_quietRetry = false;
    QList<AppList> m_lists;
    int m_activeListIndex = 0;
    std::optional<QUuid> m_openSubListID;
    AppLanguage m_language = AppLanguage::system;
    // Entries whose file access has been started: the entry's appPath at that time and the resolved
    // path. A record is only used while the entry still has that appPath (an import may reuse the id).
    struct AccessedPath {
        QString appPath;
        QString resolved;
    };
    QHash<QUuid, AccessedPath> m_accessedPaths;
    const QString *accessedPath(const AppItem &item) const;
};
