#include "StoreFixture.h"

#include <QUrl>

namespace {

class ItemOperations : public StoreFixture {};

struct NameCase {
    const char *title;
    const char *name;
    const char *linkName; // nullptr: the link text
    const char *renamed;  // nullptr: the name is refused
};

class Names : public StoreFixture, public ::testing::WithParamInterface<NameCase> {};

// A link keeps its name as typed, while renaming trims; blank names fall back or are refused.
TEST_P(Names, OfLinksAndRenames) {
    const NameCase &c = GetParam();
    load({"A"});
    const QString text = QStringLiteral("  example.com/a path ");

    state->addURL(text, QString::fromLatin1(c.name));
    ASSERT_EQ(state->currentItems().size(), 2);
    const AppItem link = state->currentItems().last();
    EXPECT_EQ(link.name, c.linkName ? QString::fromLatin1(c.linkName) : text);
    EXPECT_EQ(link.appPath, text);
    EXPECT_TRUE(link.isURL);
    EXPECT_FALSE(link.isFolder || link.isSubList || link.bookmarkData || link.folderTint);

    state->renameItem(id("A"), QString::fromLatin1(c.name));
    EXPECT_EQ(state->currentItems()[0].name, QString::fromLatin1(c.renamed ? c.renamed : "A"));
    expectSaved();
}

INSTANTIATE_TEST_SUITE_P(Table, Names,
                         ::testing::Values(NameCase{"empty", "", nullptr, nullptr},
                                           NameCase{"tabsAndSpaces", " \t ", nullptr, nullptr},
                                           NameCase{"padded", "  News  ", "  News  ", "News"},
                                           NameCase{"inner", " Two words ", " Two words ", "Two words"}),
                         [](const auto &test) { return std::string(test.param.title); });

TEST_F(ItemOperations, AddingAPathBuildsTheRightKindOfEntry) {
    load({""});
    const struct {
        const char *path; // under HOME; a trailing slash makes a folder
        bool makeFolder;
        const char *name;
        bool folder;
        bool application;
    } rows[] = {
        {"Projects/", true, "Projects", true, false},
        {"apps/editor.desktop", false, "Editor Pro", false, true},
        {"apps/EDITOR.DESKTOP", false, "Editor Pro", false, true},
        // A folder named like an application is an application, as a bundle is on other desktops.
        {"Tools.Desktop", true, "Editor Pro", false, true},
        {"Papers/report.pdf", false, "report", false, false},
        {"backup.tar.gz", false, "backup.tar", false, false},
        {".profile", false, ".profile", false, false},
    };
    for (const auto &row : rows) {
        const QString relative = QString::fromLatin1(row.path);
        const QString path =
            row.makeFolder ? sandbox.makeFolder(relative) : sandbox.writeFile(relative, "[Desktop Entry]\n");
        workspace.install(QStringLiteral("org.example.Editor"), path, QStringLiteral("Editor Pro"));

        state->add(path);

        const AppItem added = state->currentItems().last();
        EXPECT_EQ(added.name, QString::fromLatin1(row.name)) << row.path;
        EXPECT_EQ(added.appPath, path) << row.path;
        EXPECT_EQ(added.isFolder, row.folder) << row.path;
        EXPECT_EQ(added.bundleIdentifier, row.application ? QStringLiteral("org.example.Editor") : QString())
            << row.path;
        EXPECT_EQ(added.bookmarkData, QByteArray("bookmark:") + path.toUtf8()) << row.path;
    }
    EXPECT_EQ(state->currentItems().size(), std::size(rows));
    expectSaved();
}

// With a group open, adding, tinting and removing act on its members; removing the last one deletes it.
TEST_F(ItemOperations, ItemOperationsActOnTheOpenGroup) {
    const QString path = sandbox.writeFile(QStringLiteral("apps/editor.desktop"), "[Desktop Entry]\n");
    load({"A G:x B"});
    state->setFolderTint(member("G"), QStringLiteral("#EF4444")); // not a current item: no change
    state->setFolderTint(id("G"), QStringLiteral("#22C55E"));
    state->openSubList(id("G"));
    state->add(path);
    state->addURL(QStringLiteral("https://example.com"), QStringLiteral("Example"));
    state->setFolderTint(member("G"), QStringLiteral("#EF4444"));
    EXPECT_EQ(shown(), words("A G B"));
    EXPECT_EQ(names(state->currentItems()), words("x editor Example"));
    EXPECT_EQ(top(0, "G").folderTint, QStringLiteral("#22C55E"));
    EXPECT_EQ(state->currentItems()[0].folderTint, QStringLiteral("#EF4444"));
    expectSaved();
    changes->clear();

    for (const AppItem &item : state->currentItems())
        state->remove(item);

    EXPECT_EQ(shown(), words("A B"));
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(changes->count(), 1);
    EXPECT_EQ(names(state->lists()[0].snapshot), words("A G B"));
    state->setFolderTint(id("A"), QStringLiteral("#22C55E"));
    state->setFolderTint(id("A"), std::nullopt); // clears
    EXPECT_FALSE(top(0, "A").folderTint);
    expectSaved();
}

struct MoveCase {
    const char *title;
    const char *entry;
    int from; // list index; -1 an unknown list
    int to;
    const char *expectedFirst; // empty: nothing changes
    const char *expectedSecond;
};

class MoveItem : public StoreFixture, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveItem, MovesTopLevelEntriesToTheEndOfAnotherList) {
    const MoveCase &c = GetParam();
    load({"A B G:x", "C"});
    const QByteArray bytesBefore = fileBytes();
    const QString name = QLatin1String(c.entry);
    const QUuid entryID = name == u"x" ? member("G") : name == u"C" ? id(name, 1) : id(name);

    state->moveItem(entryID, listID(c.from), listID(c.to));

    if (!*c.expectedFirst) {
        EXPECT_EQ(fileBytes(), bytesBefore);
        return;
    }
    EXPECT_EQ(shown(0), words(c.expectedFirst));
    EXPECT_EQ(shown(1), words(c.expectedSecond));
    EXPECT_EQ(names(state->lists()[0].snapshot), words("A B G"));
    expectSaved();
}

INSTANTIATE_TEST_SUITE_P(Table, MoveItem,
                         ::testing::Values(MoveCase{"toAnotherList", "A", 0, 1, "B G", "C A"},
                                           MoveCase{"back", "C", 1, 0, "A B G C", ""},
                                           MoveCase{"aWholeGroup", "G", 0, 1, "A B", "C G"},
                                           MoveCase{"sameList", "A", 0, 0, "", ""},
                                           MoveCase{"unknownSource", "A", -1, 1, "", ""},
                                           MoveCase{"unknownTarget", "A", 0, -1, "", ""},
                                           MoveCase{"notInSource", "C", 0, 1, "", ""},
                                           MoveCase{"groupMember", "x", 0, 1, "", ""}),
                         [](const auto &test) { return std::string(test.param.title); });

// Moves into a group of the active list, where the group shifts, are in the ids-stay-valid test.
TEST_F(ItemOperations, MoveTopLevelItemIntoAGroupOfAnotherList) {
    QList<AppList> lists{list(QStringLiteral("One"), QStringLiteral("A B")),
                         list(QStringLiteral("Two"), QStringLiteral("C K:"))};
    lists[1].items[1].subItems.reset(); // an absent member array counts as empty
    start(lists);
    state->moveTopLevelItem(id("B"), id("K", 1), listID(1));
    EXPECT_EQ(shown(), words("A"));
    EXPECT_EQ(membersOf("K", 1), words("B"));
    expectSaved();
}

TEST_F(ItemOperations, LaunchOpensLinksAndRefusesTextThatIsNoLink) {
    load({""});
    const std::pair<const char *, const char *> rows[] = {
        {"https://example.org/a?b=c", "https://example.org/a?b=c"},
        {"example.com/news", "https://example.com/news"},
        {"example.com:8080", "https://example.com:8080"}, // a host with a port, not a scheme
        {"localhost:3000/app", "https://localhost:3000/app"},
        {"mailto:team@example.com", "mailto:team@example.com"},
        {"", nullptr},
        {"   ", nullptr},
        {"exa mple.com", nullptr},
    };
    QList<QUrl> expected;
    for (const auto &[text, url] : rows) {
        AppItem link = entry(QStringLiteral("Link"));
        link.isURL = true;
        link.appPath = QString::fromUtf8(text);
        state->launch(link);
        if (url)
            expected.append(QUrl(QString::fromUtf8(url)));
    }
    EXPECT_EQ(workspace.openedUrls, expected);
    EXPECT_TRUE(workspace.openedApplications.isEmpty());
}

TEST_F(ItemOperations, LaunchOpensEachKindThroughTheWorkspace) {
    const QString installed =
        sandbox.writeFile(QStringLiteral("apps/org.example.Editor.desktop"), "[Desktop Entry]\n");
    const QString folder = sandbox.makeFolder(QStringLiteral("Projects"));
    const QString document = sandbox.writeFile(QStringLiteral("notes.txt"), "x");
    workspace.install(QStringLiteral("org.example.Editor"), installed);
    load({""});
    const QString moved = QStringLiteral("/opt/old/org.example.Editor.desktop");
    const QString upperCase = QStringLiteral("/opt/old/org.example.Editor.DESKTOP"); // a document
    const auto item = [](const QString &path, const char *bundle, bool isFolder = false) {
        AppItem made = entry(QStringLiteral("x"));
        made.appPath = path;
        made.bundleIdentifier = QString::fromLatin1(bundle);
        made.isFolder = isFolder;
        return made;
    };

    for (const AppItem &launched : {item(installed, "org.example.Editor"), item(moved, "org.example.Editor"),
                                    item(moved, ""), item(upperCase, "org.example.Editor"),
                                    item(folder, "", true), item(document, ""), entries("G:x")[0]})
        state->launch(launched);

    // A moved application opens the installed copy when its identifier is known, else the stale path.
    EXPECT_EQ(workspace.openedApplications, QList<QString>({installed, installed, moved}));
    EXPECT_EQ(workspace.openedUrls, QList<QUrl>({QUrl::fromLocalFile(upperCase), QUrl::fromLocalFile(folder),
                                                 QUrl::fromLocalFile(document)}));
}

TEST_F(ItemOperations, LaunchPrefersThePathWhoseAccessWasStarted) {
    const QString real = sandbox.makeFolder(QStringLiteral("Real"));
    AppList apps = list(QStringLiteral("Apps"));
    AppItem dir = entry(QStringLiteral("Folder"));
    dir.isFolder = true;
    dir.appPath = QStringLiteral("/nonexistent/Folder");
    dir.bookmarkData = QByteArray("bookmark:") + real.toUtf8();
    AppItem app = entry(QStringLiteral("Gone")); // recorded path exists: no fallback by id
    app.appPath = QStringLiteral("/nonexistent/Gone.desktop");
    app.bookmarkData = QByteArray("bookmark:") + real.toUtf8();
    workspace.install(app.bundleIdentifier, QStringLiteral("/elsewhere/Gone.desktop"));
    apps.items = {dir, app};
    start({apps});

    state->launch(dir);
    state->launch(app);

    EXPECT_EQ(workspace.openedUrls, QList<QUrl>({QUrl::fromLocalFile(real)}));
    EXPECT_EQ(workspace.openedApplications, QList<QString>({real}));
}

} // namespace
