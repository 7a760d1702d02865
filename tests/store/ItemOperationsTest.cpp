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
                                           NameCase{"spaces", "   ", nullptr, nullptr},
                                           NameCase{"tabsAndSpaces", " \t ", nullptr, nullptr},
                                           NameCase{"padded", "  News  ", "  News  ", "News"},
                                           NameCase{"tabs", "\tNews\t", "\tNews\t", "News"},
                                           NameCase{"inner", " Two words ", " Two words ", "Two words"}),
                         [](const auto &info) { return std::string(info.param.title); });

struct AddCase {
    const char *title;
    const char *relativePath; // under HOME; a trailing slash makes a folder
    bool makeFolder;
    const char *expectedName;
    bool expectFolder;
    bool expectApplication;
};

class AddPath : public StoreFixture, public ::testing::WithParamInterface<AddCase> {};

TEST_P(AddPath, BuildsTheRightKindOfEntry) {
    const AddCase &c = GetParam();
    const QString relative = QString::fromLatin1(c.relativePath);
    const QString path =
        c.makeFolder ? sandbox.makeFolder(relative) : sandbox.writeFile(relative, "[Desktop Entry]\n");
    workspace.install(QStringLiteral("org.example.Editor"), path, QStringLiteral("Editor Pro"));
    load({"A"});

    state->add(path);

    ASSERT_EQ(state->currentItems().size(), 2);
    const AppItem added = state->currentItems().last();
    EXPECT_EQ(added.name, QString::fromLatin1(c.expectedName));
    EXPECT_EQ(added.appPath, path);
    EXPECT_EQ(added.isFolder, c.expectFolder);
    EXPECT_EQ(added.bundleIdentifier, c.expectApplication ? QStringLiteral("org.example.Editor") : QString());
    EXPECT_EQ(added.bookmarkData, QByteArray("bookmark:") + path.toUtf8());
    expectSaved();
}

INSTANTIATE_TEST_SUITE_P(
    Table, AddPath,
    ::testing::Values(
        AddCase{"folder", "Projects", true, "Projects", true, false},
        AddCase{"folderWithTrailingSlash", "Projects/", true, "Projects", true, false},
        AddCase{"desktopEntry", "apps/editor.desktop", false, "Editor Pro", false, true},
        AddCase{"desktopEntryUpperCase", "apps/EDITOR.DESKTOP", false, "Editor Pro", false, true},
        // A folder named like an application is an application, as a bundle is on other desktops.
        AddCase{"folderNamedLikeAnApplication", "Tools.Desktop", true, "Editor Pro", false, true},
        AddCase{"document", "Papers/report.pdf", false, "report", false, false},
        AddCase{"documentWithTwoExtensions", "backup.tar.gz", false, "backup.tar", false, false},
        AddCase{"dotFile", ".profile", false, ".profile", false, false}),
    [](const auto &info) { return std::string(info.param.title); });

TEST_F(ItemOperations, AddingWithAGroupOpenGoesIntoTheGroup) {
    const QString path = sandbox.writeFile(QStringLiteral("apps/editor.desktop"), "[Desktop Entry]\n");
    load({"A G:x"});
    state->openSubList(id("G"));

    state->add(path);
    state->addURL(QStringLiteral("https://example.com"), QStringLiteral("Example"));

    EXPECT_EQ(shown(), words("A G"));
    EXPECT_EQ(names(state->currentItems()), words("x editor Example"));
    expectSaved();
}

TEST_F(ItemOperations, RemovingTheLastMemberOfTheOpenGroupDeletesAndClosesIt) {
    load({"A G:x B"});
    state->openSubList(id("G"));
    changes->clear();

    state->remove(state->currentItems().first());

    EXPECT_EQ(shown(), words("A B"));
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(changes->count(), 1);
    EXPECT_EQ(names(state->lists()[0].snapshot), words("A G B"));
    expectSaved();
}

TEST_F(ItemOperations, RemovingTakesEveryEntryWithTheIdFromTheCurrentItemsOnly) {
    AppList apps = list(QStringLiteral("Apps"), QStringLiteral("A B"));
    apps.items.append(apps.items[0]); // a duplicate id, as an imported document can bring
    AppList other = list(QStringLiteral("Other"));
    other.items.append(apps.items[0]);
    start({apps, other});

    state->remove(apps.items[0]);

    EXPECT_EQ(shown(0), words("B"));
    EXPECT_EQ(shown(1), words("A"));
}

TEST_F(ItemOperations, TintingActsOnTheCurrentItems) {
    load({"A G:x"});
    state->setFolderTint(id("G"), QStringLiteral("#22C55E"));
    state->setFolderTint(member("G"), QStringLiteral("#EF4444")); // not a current item: no change
    EXPECT_EQ(top(0, "G").folderTint, QStringLiteral("#22C55E"));
    EXPECT_FALSE(top(0, "G").subItems->first().folderTint);

    state->openSubList(id("G"));
    state->setFolderTint(member("G"), QStringLiteral("#EF4444"));
    state->closeSubList();
    state->setFolderTint(id("G"), std::nullopt);
    EXPECT_EQ(top(0, "G").subItems->first().folderTint, QStringLiteral("#EF4444"));
    EXPECT_FALSE(top(0, "G").folderTint);
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
                         [](const auto &info) { return std::string(info.param.title); });

TEST_F(ItemOperations, MoveTopLevelItemFindsTheGroupAfterTheShiftAndInOtherLists) {
    QList<AppList> lists{list(QStringLiteral("One"), QStringLiteral("A B G:x C")),
                         list(QStringLiteral("Two"), QStringLiteral("D K:"))};
    lists[1].items[1].subItems.reset(); // an absent member array counts as empty
    start(lists);
    state->moveTopLevelItem(id("A"), id("G"), listID(0)); // the group shifts left
    state->moveTopLevelItem(id("C"), id("G"), listID(0));
    state->moveTopLevelItem(id("B"), id("K", 1), listID(1));
    EXPECT_EQ(shown(), words("G"));
    EXPECT_EQ(membersOf("G"), words("x A C"));
    EXPECT_EQ(membersOf("K", 1), words("B"));
    expectSaved();
}

TEST_F(ItemOperations, MoveTopLevelItemRefusals) {
    load({"A G:x H:y", "C K:"});
    const QByteArray bytesBefore = fileBytes();
    const struct {
        const char *title;
        QUuid item, group, list;
    } rows[] = {
        {"groupIntoGroup", id("H"), id("G"), listID(0)},
        {"entryIsTheGroup", id("G"), id("G"), listID(0)},
        {"notInActiveList", id("C", 1), id("K", 1), listID(1)},
        {"memberOfAGroup", member("G"), id("K", 1), listID(1)},
        {"targetNotAGroup", id("A"), id("C", 1), listID(1)},
        {"groupInOtherList", id("A"), id("G"), listID(1)},
        {"unknownList", id("A"), id("K", 1), listID(-1)},
    };
    for (const auto &row : rows) {
        state->moveTopLevelItem(row.item, row.group, row.list);
        EXPECT_EQ(fileBytes(), bytesBefore) << row.title;
    }
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

    for (const AppItem &launched :
         {item(installed, "org.example.Editor"), item(moved, "org.example.Editor"), item(moved, ""),
          item(upperCase, "org.example.Editor"), item(folder, "", true), item(document, ""),
          group(QStringLiteral("G"), {QStringLiteral("x")})})
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
