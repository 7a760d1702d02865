#include "l10n/L.h"
#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "support/CaptureStdout.h"
#include "support/Entries.h"
#include "support/FakeWorkspace.h"
#include "support/QtPrinters.h"
#include "support/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString corruptLine = QStringLiteral("[Ilvex] lists.json corrupt — backed up to lists.json.bak\n");

class StoreLifecycle : public ::testing::Test {
  protected:
    void SetUp() override { L::setLanguage(AppLanguage::en); }

    std::unique_ptr<AppState> start() {
        return std::make_unique<AppState>(
            StoreServices{&workspace, &bookmarks, &sandbox.preferences(), sandbox.supportDirectory(), false});
    }
    // Starts the store and returns what it printed.
    QString startCapturing(std::unique_ptr<AppState> &state) {
        return captureStdout([&] { state = start(); });
    }
    QString installApp(const QString &id, const QString &name = {}) {
        const QString path =
            sandbox.writeFile(QStringLiteral(".local/share/applications/") + id + QStringLiteral(".desktop"),
                              "[Desktop Entry]\n");
        workspace.install(id, path, name);
        return path;
    }
    void writeLists(const QByteArray &bytes) {
        sandbox.writeFile(QStringLiteral(".local/share/Ilvex/lists.json"), bytes);
    }
    QList<AppList> listsOnDisk() const {
        return ListsCodec::decodeLists(Sandbox::readFile(sandbox.listsFile())).value_or(QList<AppList>{});
    }
    // A legacy items document: a bare array of item objects.
    static QByteArray itemsJson(const QList<AppItem> &items) {
        const QByteArray list =
            ListsCodec::encodeLists({AppList{QUuid::createUuid(), {}, items, ListTheme::blue, {}}});
        return QJsonDocument(QJsonDocument::fromJson(list)
                                 .array()[0]
                                 .toObject()
                                 .value(QLatin1String("items"))
                                 .toArray())
            .toJson();
    }
    static AppItem app(const QString &name) { return entries::app(name); }

    Sandbox sandbox;
    FakeWorkspace workspace;
    FakeBookmarks bookmarks;
};

TEST_F(StoreLifecycle, FirstStartSeedsInstalledAppsExistingFoldersAndTheWebList) {
    installApp(QStringLiteral("thunderbird"), QStringLiteral("Thunderbird Mail"));
    installApp(QStringLiteral("org.gnome.Evolution")); // second candidate of the same slot: not used
    installApp(QStringLiteral("debian-xterm"));        // no name: the slot's fallback
    installApp(QStringLiteral("chromium"), QStringLiteral("Chromium")); // later candidate than Firefox
    installApp(QStringLiteral("org.mozilla.firefox"), QStringLiteral("Firefox"));
    sandbox.makeFolder(QStringLiteral("Documents"));
    sandbox.makeFolder(QStringLiteral("Videos"));

    auto state = start();
    const auto field = [&](int list, QString AppItem::*member) {
        QStringList values;
        for (const AppItem &item : state->lists()[list].items)
            values.append(item.*member);
        return values;
    };
    ASSERT_EQ(state->lists().size(), 3);
    const QList<std::pair<QString, ListTheme>> shape{
        {"Apps", ListTheme::purple}, {"Folders", ListTheme::green}, {"Web", ListTheme::blue}};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(std::pair(state->lists()[i].name, state->lists()[i].theme), shape[i]);
    // One entry per slot, from its first installed candidate, named by it or by the slot's fallback.
    EXPECT_EQ(field(0, &AppItem::name), (QStringList{"Thunderbird Mail", "Terminal"}));
    EXPECT_EQ(field(0, &AppItem::bundleIdentifier), (QStringList{"thunderbird", "debian-xterm"}));
    EXPECT_EQ(field(2, &AppItem::bundleIdentifier), QStringList{"org.mozilla.firefox"});
    // Only folders that exist, under their names, each with its tint.
    EXPECT_EQ(field(1, &AppItem::name), (QStringList{"Documents", "Movies"}));
    EXPECT_EQ(field(1, &AppItem::appPath).first(), sandbox.home() + QStringLiteral("/Documents"));
    EXPECT_TRUE(state->lists()[1].items[0].isFolder);
    EXPECT_EQ(state->lists()[1].items[0].folderTint, QStringLiteral("#3B82F6"));
    EXPECT_EQ(state->lists()[1].items[1].folderTint, QStringLiteral("#F97316"));
    EXPECT_EQ(state->activeListIndex(), 0);

    // The bookmark pass gave every existing path a bookmark and wrote the file once.
    EXPECT_EQ(listsOnDisk(), state->lists());
    EXPECT_TRUE(listsOnDisk()[1].items[0].bookmarkData);
}

TEST_F(StoreLifecycle, FirstStartWritesNothingUntilSomethingChanges) {
    bookmarks.failCreation = true;
    sandbox.makeFolder(QStringLiteral("Music"));
    L::setLanguage(AppLanguage::de);
    auto state = start();
    EXPECT_FALSE(QFile::exists(sandbox.listsFile()));
    EXPECT_EQ(state->lists()[1].name, L::listFolders());
    EXPECT_EQ(state->lists()[1].items[0].name, L::folderMusic());
    EXPECT_TRUE(state->lists()[0].items.isEmpty());
    EXPECT_EQ(state->lists()[2].name, QStringLiteral("Web")) << "list names Apps and Web stay English";
}

TEST_F(StoreLifecycle, SnapshotsAreNormalisedOnLoadAndSavedOnce) {
    const AppItem a = app(QStringLiteral("a")), b = app(QStringLiteral("b")), c = app(QStringLiteral("c"));
    const AppItem gone = app(QStringLiteral("gone"));
    const QList<AppList> stored{
        AppList{QUuid::createUuid(), QStringLiteral("empty snapshot"), {a}, ListTheme::red, {}},
        AppList{QUuid::createUuid(), QStringLiteral("stale snapshot"), {b}, ListTheme::green, {gone, b}},
        AppList{QUuid::createUuid(), QStringLiteral("good snapshot"), {c, gone}, ListTheme::teal, {gone}},
    };
    writeLists(ListsCodec::encodeLists(stored));
    auto state = start();
    EXPECT_EQ(state->lists()[0].snapshot, stored[0].items);
    EXPECT_EQ(state->lists()[1].snapshot, stored[1].items);
    EXPECT_EQ(state->lists()[2].snapshot, stored[2].snapshot) << "a snapshot of present entries stays";
    EXPECT_EQ(listsOnDisk(), state->lists());
}

TEST_F(StoreLifecycle, AValidFileIsNotRewrittenAtStart) {
    const QList<AppList> stored{
        AppList{QUuid::createUuid(), QStringLiteral("A"), {app(QStringLiteral("a"))}, ListTheme::orange, {}},
        AppList{QUuid::createUuid(), QStringLiteral("empty"), {}, ListTheme::red, {}}};
    QList<AppList> normal = stored;
    normal[0].snapshot = normal[0].items;
    const QByteArray bytes = ListsCodec::encodeLists(normal) + "\n  ";
    writeLists(bytes);
    auto state = start();
    EXPECT_EQ(state->lists(), normal);
    EXPECT_EQ(Sandbox::readFile(sandbox.listsFile()), bytes);
}

TEST_F(StoreLifecycle, AListsFileThatCannotBeOpenedIsMovedAsideNotOverwritten) {
    sandbox.writeFile(QStringLiteral(".local/share/Ilvex/lists.json/inside"), "keep me");
    std::unique_ptr<AppState> state;
    const QString printed = startCapturing(state);
    EXPECT_TRUE(printed.startsWith(QStringLiteral("[Ilvex] lists.json unreadable"))) << printed.toStdString();
    EXPECT_EQ(Sandbox::readFile(sandbox.supportDirectory() + QStringLiteral("/lists.json.bak/inside")),
              "keep me");
    EXPECT_TRUE(state->save());
    EXPECT_EQ(listsOnDisk(), state->lists());
}

TEST_F(StoreLifecycle, AnEntryReimportedWithANewPathOpensTheNewPath) {
    AppItem folder = app(QStringLiteral("Projects"));
    folder.isFolder = true;
    folder.appPath = sandbox.makeFolder(QStringLiteral("Old"));
    writeLists(ListsCodec::encodeLists(
        {AppList{QUuid::createUuid(), QStringLiteral("A"), {folder}, ListTheme::blue, {}}}));
    auto state = start();
    folder.appPath = sandbox.makeFolder(QStringLiteral("New"));
    ASSERT_TRUE(state->importLists(
        ListsCodec::encodeLists(
            {AppList{QUuid::createUuid(), QStringLiteral("A"), {folder}, ListTheme::blue, {}}}),
        false));
    state->launch(state->lists()[0].items[0]);
    ASSERT_EQ(workspace.openedUrls.size(), 1);
    EXPECT_EQ(workspace.openedUrls[0].toLocalFile(), folder.appPath);
}

TEST_F(StoreLifecycle, StoredActiveIndexOutOfRangeStartsOnTheFirstList) {
    const QList<AppList> two{AppList{QUuid::createUuid(), QStringLiteral("A"), {}, ListTheme::blue, {}},
                             AppList{QUuid::createUuid(), QStringLiteral("B"), {}, ListTheme::blue, {}}};
    writeLists(ListsCodec::encodeLists(two));
    const struct {
        int stored;
        int expected;
    } cases[] = {{5, 0}, {-1, 0}, {2, 0}, {1, 1}};
    for (const auto &c : cases) {
        sandbox.preferences().setActiveListIndex(c.stored);
        EXPECT_EQ(start()->activeListIndex(), c.expected) << c.stored;
    }
}

TEST_F(StoreLifecycle, BadListsFilesAreMovedAsideIntactWithOneLine) {
    const QByteArray cases[] = {
        "garbage \x01\x02",
        "[]",
        "",
        R"([{"id": "0F8FAD5B-D9CB-469F-A165-70867728950E", "name": "A", "items": [], "theme": "violet"}])",
        R"([{"id": "0F8FAD5B-D9CB-469F-A165-70867728950E", "name": 7, "items": []}])",
        QByteArray(100000, '[') + QByteArray(100000, ']'),
    };
    for (const QByteArray &bad : cases) {
        QDir(sandbox.supportDirectory()).removeRecursively();
        writeLists(bad);
        std::unique_ptr<AppState> state;
        EXPECT_EQ(startCapturing(state), corruptLine) << bad.left(40).constData();
        EXPECT_EQ(Sandbox::readFile(sandbox.supportDirectory() + QStringLiteral("/lists.json.bak")), bad);
        EXPECT_EQ(state->lists().size(), 3) << "the defaults follow";
    }
}

TEST_F(StoreLifecycle, ASecondBadFileKeepsTheFirstBackup) {
    const QString backup = sandbox.supportDirectory() + QStringLiteral("/lists.json.bak");
    for (int round = 1; round <= 7; ++round) {
        writeLists(QByteArray("bad ") + QByteArray::number(round));
        std::unique_ptr<AppState> state;
        EXPECT_EQ(startCapturing(state), corruptLine);
    }
    EXPECT_EQ(Sandbox::readFile(backup), "bad 7");
    EXPECT_EQ(Sandbox::readFile(backup + QStringLiteral(".1")), "bad 6");
    EXPECT_EQ(Sandbox::readFile(backup + QStringLiteral(".5")), "bad 2");
    EXPECT_FALSE(QFile::exists(backup + QStringLiteral(".6"))) << "at most five older backups are kept";
}

TEST_F(StoreLifecycle, AnOversizedListsFileIsRefusedUnreadAndKept) {
    QFile file(sandbox.supportDirectory() + QStringLiteral("/lists.json"));
    QDir().mkpath(sandbox.supportDirectory());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(ListsCodec::maxDocumentSize + 1));
    file.close();
    std::unique_ptr<AppState> state;
    EXPECT_EQ(startCapturing(state), corruptLine);
    EXPECT_EQ(QFileInfo(sandbox.supportDirectory() + QStringLiteral("/lists.json.bak")).size(),
              ListsCodec::maxDocumentSize + 1);
}

TEST_F(StoreLifecycle, LegacyItemsFileWinsOverTheLegacyPreference) {
    const QList<AppItem> legacy{app(QStringLiteral("Old Mail")), app(QStringLiteral("Old Notes"))};
    const QByteArray items = itemsJson(legacy);
    sandbox.writeFile(QStringLiteral(".local/share/Ilvex/apps.json"), items);
    sandbox.preferences().setLauncherApps(QByteArray("[]"));

    auto state = start();
    ASSERT_EQ(state->lists().size(), 1);
    EXPECT_EQ(state->lists()[0].name, QStringLiteral("Apps"));
    EXPECT_EQ(state->lists()[0].theme, ListTheme::blue);
    EXPECT_EQ(state->lists()[0].items, legacy);
    EXPECT_FALSE(QFile::exists(sandbox.supportDirectory() + QStringLiteral("/apps.json")));
    EXPECT_TRUE(sandbox.preferences().launcherApps());
    EXPECT_EQ(listsOnDisk(), state->lists());
}

TEST_F(StoreLifecycle, LegacyPreferenceIsMigratedThenRemoved) {
    sandbox.writeFile(QStringLiteral(".local/share/Ilvex/apps.json"), "not an array");
    const QByteArray one = R"([{"id": "7C9E6679-7425-40DE-944B-E07FC1F90AE7", "name": "Safari",
                                "bundleIdentifier": "firefox", "appPath": "/x/firefox.desktop"}])";
    sandbox.preferences().setLauncherApps(one);
    auto state = start();
    ASSERT_EQ(state->lists().size(), 1);
    EXPECT_EQ(state->lists()[0].items[0].name, QStringLiteral("Safari"));
    EXPECT_FALSE(sandbox.preferences().launcherApps());
    EXPECT_TRUE(QFile::exists(sandbox.supportDirectory() + QStringLiteral("/apps.json")))
        << "an unreadable legacy file is left alone";
}

TEST_F(StoreLifecycle, BookmarksAreMadeOnlyForExistingPathsAndStaleOnesRenewed) {
    AppItem missing = app(QStringLiteral("moved"));
    missing.bundleIdentifier = QStringLiteral("org.gnome.Terminal");
    AppItem present = app(QStringLiteral("here"));
    present.appPath = installApp(QStringLiteral("here"));
    AppItem link;
    link.id = QUuid::createUuid();
    link.isURL = true;
    link.appPath = sandbox.home(); // exists, but links never get bookmarks
    AppItem member = app(QStringLiteral("member"));
    member.appPath = sandbox.makeFolder(QStringLiteral("Projects"));
    AppItem group;
    group.id = QUuid::createUuid();
    group.isSubList = true;
    group.subItems = QList<AppItem>{member};
    writeLists(ListsCodec::encodeLists({AppList{
        QUuid::createUuid(), QStringLiteral("A"), {missing, present, link, group}, ListTheme::blue, {}}}));
    auto state = start();
    const QList<AppItem> &items = state->lists()[0].items;
    EXPECT_FALSE(items[0].bookmarkData);
    EXPECT_TRUE(items[1].bookmarkData);
    EXPECT_FALSE(items[2].bookmarkData);
    EXPECT_FALSE(items[3].bookmarkData) << "groups have no bookmark";
    EXPECT_TRUE(items[3].subItems->first().bookmarkData) << "members are walked too";
    EXPECT_EQ(listsOnDisk(), state->lists());
}

TEST_F(StoreLifecycle, AFailedSaveKeepsTheListsAndSaysWhy) {
    auto state = start();
    QDir().mkpath(sandbox.listsFile()); // a folder where the file should be: every write fails
    bool saved = true;
    const QString printed = captureStdout([&] { saved = state->save(); });
    EXPECT_FALSE(saved);
    EXPECT_TRUE(printed.startsWith(QStringLiteral("[Ilvex] could not save lists.json: ")))
        << printed.toStdString();
    EXPECT_EQ(printed.count(u'\n'), 1);
    EXPECT_EQ(state->lists().size(), 3);
    QDir().rmdir(sandbox.listsFile());
    EXPECT_TRUE(state->save()) << "the next save tries again";
}

TEST_F(StoreLifecycle, TheLanguageIsSeededOnceFromItsPreferenceAndChangesBothPreferences) {
    L::resetLanguageCacheForTesting();
    sandbox.preferences().setAppLanguage(QStringLiteral("klingon"));
    EXPECT_EQ(start()->language(), AppLanguage::system) << "an unknown value means system";
    L::resetLanguageCacheForTesting();
    sandbox.preferences().setAppLanguage(QStringLiteral("de"));
    auto state = start();
    EXPECT_EQ(L::language(), AppLanguage::de);
    sandbox.preferences().setAppLanguage(QStringLiteral("fr"));
    EXPECT_EQ(start()->language(), AppLanguage::de) << "read once, then only set by the store";

    QSignalSpy changed(state.get(), &AppState::languageChanged);
    state->setLanguage(AppLanguage::zh);
    EXPECT_EQ(L::language(), AppLanguage::zh);
    EXPECT_EQ(sandbox.preferences().appLanguage(), QStringLiteral("zh"));
    EXPECT_EQ(sandbox.preferences().appleLanguages(), QStringList{QStringLiteral("zh-Hans")});
    state->setLanguage(AppLanguage::system);
    EXPECT_TRUE(sandbox.preferences().appleLanguages().isEmpty());
    state->setLanguage(AppLanguage::system);
    EXPECT_EQ(changed.count(), 2) << "an unchanged language announces nothing";
}

TEST_F(StoreLifecycle, DisplayNamesComeFromTheEntryThenTheFallbackThenTheFileName) {
    const QString named = installApp(QStringLiteral("org.gnome.Calendar"), QStringLiteral("Calendar"));
    const QString unnamed = installApp(QStringLiteral("org.kde.korganizer"));
    auto state = start();
    EXPECT_EQ(state->appDisplayName(named, QStringLiteral("Fallback")), QStringLiteral("Calendar"));
    EXPECT_EQ(state->appDisplayName(unnamed, QStringLiteral("Fallback")), QStringLiteral("Fallback"));
    EXPECT_EQ(state->appDisplayName(unnamed, std::nullopt), QStringLiteral("org.kde.korganizer"));
}

} // namespace
