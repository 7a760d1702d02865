#include "StoreFixture.h"

#include "l10n/L.h"
#include "support/CaptureStdout.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLibraryInfo>
#include <QSettings>

namespace {

class Lifecycle : public StoreFixture {
  protected:
    void SetUp() override { L::setLanguage(AppLanguage::en); }
    QString installApp(const QString &id, const QString &name = {}) {
        const QString path =
            sandbox.writeFile(".local/share/applications/" + id + ".desktop", "[Desktop Entry]\n");
        workspace.install(id, path, name);
        return path;
    }
    static AppList one(const QList<AppItem> &items, const QList<AppItem> &snapshot = {}) {
        return AppList{QUuid::createUuid(), "A", items, ListTheme::blue, snapshot};
    }
};

TEST_F(Lifecycle, FirstStartSeedsInstalledAppsExistingFoldersAndTheWebList) {
    // Evolution is the mail slot's second candidate: not used; xterm has no name: the slot's fallback;
    // Chromium is a later candidate than Firefox.
    for (const QString &row : table("thunderbird Thunderbird_Mail; org.gnome.Evolution; debian-xterm; "
                                    "chromium Chromium; org.mozilla.firefox Firefox; org.kde.kate Kate"))
        installApp(words(row)[0], words(row).value(1).replace(u'_', u' '));
    // The desktop's defaults come first; one that is not installed, or already took a slot, is passed.
    workspace.defaults = {{"text/plain", "org.kde.kate"},
                          {"inode/directory", "gone.filemanager"},
                          {"audio/mpeg", "org.kde.kate"},
                          {"x-scheme-handler/https", "chromium"}};
    for (const char *folder : {"Documents", "Videos", "Pictures"})
        sandbox.makeFolder(folder);
    open();
    const QList<AppList> &lists = state->lists();
    ASSERT_EQ(names(lists), words("Apps Folders Web"));
    EXPECT_EQ(QStringList({shape(0), shape(1), shape(2)}),
              QStringList({"Thunderbird Mail Kate Terminal", "Documents Movies Pictures", "Chromium"}));
    EXPECT_TRUE(lists[1].items[0].appPath == sandbox.home() + "/Documents" && lists[1].items[0].isFolder);
    expectSaved(); // the bookmark pass wrote the file
    EXPECT_TRUE(onDisk()[1].items[0].bookmarkData);
}

TEST_F(Lifecycle, FirstStartInAnEmptyHomeOffersTheHomeFolderAndWritesNothingUntilSomethingChanges) {
    bookmarks.failCreation = true;
    L::setLanguage(AppLanguage::de);
    open();
    EXPECT_FALSE(QFile::exists(sandbox.listsFile()));
    EXPECT_EQ(names(state->lists()), QStringList({"Apps", L::listFolders(), "Web"})) << "Apps and Web stay";
    EXPECT_EQ(QStringList({shape(0), shape(1)}), QStringList({"", L::folderHome()}));
    EXPECT_EQ(state->lists()[1].items[0].appPath, QDir::homePath());
}

// Empty or stale snapshots are repaired and saved once; a valid file is left byte for byte. A stored
// index out of range on either side starts on the first list.
TEST_F(Lifecycle, SnapshotsAreRepairedOnLoadAndAValidFileIsNotRewritten) {
    const AppItem a = entry("a"), b = entry("b"), c = entry("c"), gone = entry("gone");
    const QList<AppList> stored{one({a}), one({b}, {gone, b}), one({c, gone}, {gone})};
    start(stored, 3);
    EXPECT_EQ(state->activeListIndex(), 0);
    const QList<AppList> &loaded = state->lists(); // a snapshot of present entries stays
    EXPECT_EQ(QList({loaded[0].snapshot, loaded[1].snapshot, loaded[2].snapshot}),
              QList({stored[0].items, stored[1].items, stored[2].snapshot}));
    expectSaved();

    const QList<AppList> valid{one({a}, {a}), one({})};
    const QByteArray bytes = ListsCodec::encodeLists(valid) + "\n  ";
    start(bytes, -1);
    EXPECT_TRUE(state->lists() == valid && state->activeListIndex() == 0);
    EXPECT_EQ(fileBytes(), bytes);
}

TEST_F(Lifecycle, AListsFileThatCannotBeOpenedIsMovedAsideNotOverwritten) {
    sandbox.writeFile(".local/share/Ilvex/lists.json/inside", "keep me");
    EXPECT_TRUE(captureStdout([&] { open(); }).startsWith("[Ilvex] lists.json unreadable"));
    EXPECT_EQ(Sandbox::readFile(sandbox.listsFile() + ".bak/inside"), "keep me");
    EXPECT_TRUE(state->save());
    expectSaved();
}

// Each bad file is moved aside whole with one line and the defaults follow; later ones push the older
// backups along, five at most. The last is too large and refused unread.
TEST_F(Lifecycle, BadListsFilesAreMovedAsideIntactWithOneLine) {
    const QByteArray rows[] = {
        "garbage \x01\x02",
        "[]",
        "",
        "{}",
        R"([{"id": "0F8FAD5B-D9CB-469F-A165-70867728950E", "name": "A", "items": [], "theme": "violet"}])",
        QByteArray(100000, '[') + QByteArray(100000, ']'),
        "too large"};
    for (const QByteArray &bad : rows) {
        const bool large = &bad == std::end(rows) - 1;
        QFile file(sandbox.writeFile(".local/share/Ilvex/lists.json", bad));
        ASSERT_TRUE(!large || file.resize(ListsCodec::maxDocumentSize + 1));
        EXPECT_EQ(captureStdout([&] { open(); }),
                  "[Ilvex] lists.json corrupt — backed up to lists.json.bak\n")
            << bad.left(40).constData();
        EXPECT_TRUE(large || backup() == bad) << bad.left(40).constData();
        EXPECT_EQ(state->lists().size(), 3) << "the defaults follow";
    }
    EXPECT_EQ(QFileInfo(sandbox.listsFile() + ".bak").size(), ListsCodec::maxDocumentSize + 1);
    EXPECT_EQ(QList<QByteArray>({backup(".1"), backup(".5")}), QList<QByteArray>({rows[5], rows[1]}));
    EXPECT_FALSE(QFile::exists(sandbox.listsFile() + ".bak.6"));
}

// The legacy items file wins over the legacy preference and is removed; an unreadable one is left alone
// while the preference is migrated.
TEST_F(Lifecycle, LegacyItemsAreMigratedOnce) {
    const QList<AppItem> legacy = entries("Mail Notes");
    const QJsonValue items = QJsonDocument::fromJson(ListsCodec::encodeLists({one(legacy)}))[0]["items"];
    const QString file =
        sandbox.writeFile(".local/share/Ilvex/apps.json", QJsonDocument(items.toArray()).toJson());
    sandbox.preferences().setLauncherApps("[]");
    open();
    const AppList &apps = state->lists().value(0);
    EXPECT_TRUE(state->lists().size() == 1 && apps.name == "Apps" && apps.theme == ListTheme::blue);
    EXPECT_EQ(apps.items, legacy);
    EXPECT_TRUE(!QFile::exists(file) && sandbox.preferences().launcherApps());
    expectSaved();

    QFile::remove(sandbox.listsFile());
    sandbox.writeFile(".local/share/Ilvex/apps.json", "not an array");
    sandbox.preferences().setLauncherApps(R"([{"id": "7C9E6679-7425-40DE-944B-E07FC1F90AE7", "name": "Web",
                                              "bundleIdentifier": "firefox", "appPath": "/x/firefox.desktop"}])");
    open();
    EXPECT_EQ(shape(), "Web");
    EXPECT_TRUE(!sandbox.preferences().launcherApps() && QFile::exists(file));
}

// Links never get bookmarks, groups neither, their members do; only existing paths get one.
TEST_F(Lifecycle, BookmarksAreMadeOnlyForExistingPaths) {
    QList<AppItem> items = entries("moved here link G:m");
    items[1].appPath = installApp("here");
    items[2].isURL = true;
    items[2].appPath = sandbox.home();
    (*items[3].subItems)[0].appPath = sandbox.makeFolder("Projects");
    start({one(items)});
    QList<bool> marked;
    for (const AppItem &item : state->lists()[0].items)
        marked << bool(item.bookmarkData) << bool(item.subItems && item.subItems->first().bookmarkData);
    EXPECT_EQ(marked, QList<bool>({false, false, true, false, false, false, false, true}));
    expectSaved();
}

// The stored language is read once, at start, and Qt's own texts (standard buttons, file dialogs)
// follow it from then on; a change writes both preferences and is announced when it is one.
TEST_F(Lifecycle, TheLanguageIsSeededOnceWithQtTextsAndChangesBothPreferences) {
    const bool qtTexts =
        QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm");
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    Preferences &preferences = sandbox.preferences();
    for (const auto &[stored, seeded] :
         {std::pair{"klingon", AppLanguage::system}, {"de", AppLanguage::de}}) {
        L::resetLanguageCacheForTesting();
        preferences.setAppLanguage(stored);
        open();
        EXPECT_EQ(state->language(), seeded) << stored;
    }
    EXPECT_TRUE(!qtTexts || cancel() == "Abbrechen") << cancel().toStdString();
    preferences.setAppLanguage("fr");
    open();
    EXPECT_EQ(state->language(), AppLanguage::de) << "read once, then only set by the store";
    QSignalSpy changed(state.get(), &AppState::languageChanged);
    state->setLanguage(AppLanguage::zh);
    EXPECT_TRUE(L::language() == AppLanguage::zh && preferences.appLanguage() == "zh" &&
                preferences.appleLanguages() == QStringList{"zh-Hans"});
    state->setLanguage(AppLanguage::system);
    state->setLanguage(AppLanguage::system);
    EXPECT_TRUE(preferences.appleLanguages().isEmpty());
    EXPECT_EQ(changed.count(), 2) << "an unchanged language announces nothing";
    state->setLanguage(AppLanguage::en);
    EXPECT_EQ(cancel(), "Cancel");
}

// Preferences that cannot be written are said once, the way unwritable lists are, and held meanwhile;
// the next write that works writes them all.
TEST_F(Lifecycle, PreferencesThatCannotBeWrittenAreSaidOnceAndHeld) {
    const QString blocker = sandbox.writeFile("blocker", "a file where the folder should be");
    Preferences unwritable(std::make_unique<QSettings>(blocker + "/Ilvex.conf", QSettings::IniFormat));
    sandbox.writeFile(".local/share/Ilvex/lists.json", ListsCodec::encodeLists(lists({"A", "B"})));
    AppState store(StoreServices{&workspace, nullptr, &unwritable, sandbox.supportDirectory(), false});
    QSignalSpy failed(&store, &AppState::saveFailed);
    captureStdout([&] {
        store.switchToList(1);
        unwritable.setHotCornerEnabled(false);
    });
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed[0][0].toString(), unwritable.writeError());
    EXPECT_TRUE(unwritable.writeError().startsWith("could not write the preferences file " + blocker));
    EXPECT_TRUE(unwritable.activeListIndex() == 1 && !unwritable.hotCornerEnabled());

    ASSERT_TRUE(QFile::remove(blocker));
    unwritable.setLauncherScale(1.2);
    EXPECT_TRUE(unwritable.writeError().isEmpty());
    const QSettings disk(blocker + "/Ilvex.conf", QSettings::IniFormat);
    EXPECT_EQ(disk.value("activeListIndex").toInt(), 1);
    EXPECT_EQ(disk.value("hotCornerEnabled").toString(), "false");
}

} // namespace
