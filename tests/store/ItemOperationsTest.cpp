#include "StoreFixture.h"

#include <QDir>
#include <QUrl>

namespace {

class ItemOperations : public StoreFixture {};

struct LinkNameCase {
    const char *title;
    const char *name;
    const char *expectedName; // nullptr: the link text
};

class LinkNames : public StoreFixture, public ::testing::WithParamInterface<LinkNameCase> {};

TEST_P(LinkNames, BlankNamesFallBackToTheLinkTextAndOthersAreKeptAsTyped) {
    const LinkNameCase &c = GetParam();
    start({list(QStringLiteral("Web"), QStringLiteral("A"))});
    const QString text = QStringLiteral("  example.com/a path ");

    state->addURL(text, QString::fromLatin1(c.name));

    ASSERT_EQ(state->currentItems().size(), 2);
    const AppItem link = state->currentItems().last();
    EXPECT_EQ(link.name, c.expectedName ? QString::fromLatin1(c.expectedName) : text);
    EXPECT_EQ(link.appPath, text); // stored exactly as typed
    EXPECT_TRUE(link.isURL);
    EXPECT_FALSE(link.isFolder || link.isSubList || link.bookmarkData || link.folderTint);
    EXPECT_EQ(onDisk(), state->lists());
}

INSTANTIATE_TEST_SUITE_P(Table, LinkNames,
                         ::testing::Values(LinkNameCase{"empty", "", nullptr},
                                           LinkNameCase{"spaces", "   ", nullptr},
                                           LinkNameCase{"tabsAndSpaces", " \t ", nullptr},
                                           LinkNameCase{"padded", "  News  ", "  News  "},
                                           LinkNameCase{"plain", "News", "News"}),
                         [](const auto &info) { return std::string(info.param.title); });

struct RenameCase {
    const char *title;
    const char *name;
    const char *expected;
};

class RenameItem : public StoreFixture, public ::testing::WithParamInterface<RenameCase> {};

TEST_P(RenameItem, TrimsSpacesAndTabsAndIgnoresBlankNames) {
    const RenameCase &c = GetParam();
    start({list(QStringLiteral("Apps"), QStringLiteral("A B"))});
    state->renameItem(top(0, QStringLiteral("B")).id, QString::fromLatin1(c.name));
    EXPECT_EQ(names(state->currentItems()),
              QStringList({QStringLiteral("A"), QString::fromLatin1(c.expected)}));
    EXPECT_EQ(onDisk(), state->lists());
}

INSTANTIATE_TEST_SUITE_P(Table, RenameItem,
                         ::testing::Values(RenameCase{"padded", "  Docs  ", "Docs"},
                                           RenameCase{"tabs", "\tDocs\t", "Docs"},
                                           RenameCase{"inner", " Two words ", "Two words"},
                                           RenameCase{"blank", " \t ", "B"}, RenameCase{"empty", "", "B"}),
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
    start({list(QStringLiteral("Apps"), QStringLiteral("A"))});

    state->add(path);

    ASSERT_EQ(state->currentItems().size(), 2);
    const AppItem added = state->currentItems().last();
    EXPECT_EQ(added.name, QString::fromLatin1(c.expectedName));
    EXPECT_EQ(added.appPath, path);
    EXPECT_EQ(added.isFolder, c.expectFolder);
    EXPECT_EQ(added.bundleIdentifier, c.expectApplication ? QStringLiteral("org.example.Editor") : QString());
    EXPECT_FALSE(added.isURL || added.isSubList);
    EXPECT_EQ(added.bookmarkData, QByteArray("bookmark:") + path.toUtf8());
    EXPECT_EQ(onDisk(), state->lists());
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
    start({list(QStringLiteral("Apps"), QStringLiteral("A G:x"))});
    state->openSubList(top(0, QStringLiteral("G")).id);

    state->add(path);
    state->addURL(QStringLiteral("https://example.com"), QStringLiteral("Example"));

    EXPECT_EQ(names(state->lists()[0].items), words("A G"));
    EXPECT_EQ(names(state->currentItems()), words("x editor Example"));
    EXPECT_EQ(onDisk(), state->lists());
}

TEST_F(ItemOperations, RemovingTheLastMemberOfTheOpenGroupDeletesAndClosesIt) {
    start({list(QStringLiteral("Apps"), QStringLiteral("A G:x B"))});
    state->openSubList(top(0, QStringLiteral("G")).id);
    changes->clear();

    state->remove(state->currentItems().first());

    EXPECT_EQ(names(state->lists()[0].items), words("A B"));
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(changes->count(), 1);
    // The snapshot is not touched.
    EXPECT_EQ(names(state->lists()[0].snapshot), words("A G B"));
    EXPECT_EQ(onDisk(), state->lists());
}

TEST_F(ItemOperations, RemovingTakesEveryEntryWithTheIdFromTheCurrentItemsOnly) {
    AppList apps = list(QStringLiteral("Apps"), QStringLiteral("A B"));
    apps.items.append(apps.items[0]); // a duplicate id, as an imported document can bring
    AppList other = list(QStringLiteral("Other"));
    other.items.append(apps.items[0]);
    start({apps, other});

    state->remove(apps.items[0]);

    EXPECT_EQ(names(state->lists()[0].items), words("B"));
    EXPECT_EQ(names(state->lists()[1].items), words("A"));
}

TEST_F(ItemOperations, TintingActsOnTheCurrentItems) {
    start({list(QStringLiteral("Apps"), QStringLiteral("A G:x"))});
    const QUuid groupID = top(0, QStringLiteral("G")).id;
    const QUuid memberID = top(0, QStringLiteral("G")).subItems->first().id;

    state->setFolderTint(groupID, QStringLiteral("#22C55E"));
    state->setFolderTint(memberID, QStringLiteral("#EF4444")); // not a current item: no change
    EXPECT_EQ(top(0, QStringLiteral("G")).folderTint, QStringLiteral("#22C55E"));
    EXPECT_FALSE(top(0, QStringLiteral("G")).subItems->first().folderTint);

    state->openSubList(groupID);
    state->setFolderTint(memberID, QStringLiteral("#EF4444"));
    state->closeSubList();
    state->setFolderTint(groupID, std::nullopt);
    EXPECT_EQ(top(0, QStringLiteral("G")).subItems->first().folderTint, QStringLiteral("#EF4444"));
    EXPECT_FALSE(top(0, QStringLiteral("G")).folderTint);
    EXPECT_EQ(onDisk(), state->lists());
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
    start({list(QStringLiteral("One"), QStringLiteral("A B G:x")),
           list(QStringLiteral("Two"), QStringLiteral("C"))});
    const QByteArray bytesBefore = fileBytes();
    const auto listID = [&](int i) { return i < 0 ? QUuid::createUuid() : state->lists()[i].id; };
    QUuid entryID;
    for (const AppList &l : state->lists()) {
        for (const AppItem &item : l.items) {
            if (item.name == QLatin1String(c.entry))
                entryID = item.id;
            for (const AppItem &member : item.subItems.value_or(QList<AppItem>{})) {
                if (member.name == QLatin1String(c.entry))
                    entryID = member.id;
            }
        }
    }

    state->moveItem(entryID, listID(c.from), listID(c.to));

    if (QString::fromLatin1(c.expectedFirst).isEmpty()) {
        EXPECT_EQ(fileBytes(), bytesBefore);
        EXPECT_EQ(names(state->lists()[0].items), words("A B G"));
        EXPECT_EQ(names(state->lists()[1].items), words("C"));
        return;
    }
    EXPECT_EQ(names(state->lists()[0].items), words(c.expectedFirst));
    EXPECT_EQ(names(state->lists()[1].items), words(c.expectedSecond));
    EXPECT_EQ(names(state->lists()[0].snapshot), words("A B G"));
    EXPECT_EQ(onDisk(), state->lists());
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

TEST_F(ItemOperations, MoveTopLevelItemIntoAGroupOfTheActiveListFindsTheGroupAfterTheShift) {
    start({list(QStringLiteral("One"), QStringLiteral("A B G:x C"))});
    state->moveTopLevelItem(top(0, QStringLiteral("A")).id, top(0, QStringLiteral("G")).id,
                            state->lists()[0].id);
    state->moveTopLevelItem(top(0, QStringLiteral("C")).id, top(0, QStringLiteral("G")).id,
                            state->lists()[0].id);
    EXPECT_EQ(names(state->lists()[0].items), words("B G"));
    EXPECT_EQ(names(*top(0, QStringLiteral("G")).subItems), words("x A C"));
    EXPECT_EQ(onDisk(), state->lists());
}

TEST_F(ItemOperations, MoveTopLevelItemIntoAGroupOfAnotherList) {
    QList<AppList> lists{list(QStringLiteral("One"), QStringLiteral("A B")),
                         list(QStringLiteral("Two"), QStringLiteral("C G:"))};
    lists[1].items[1].subItems.reset(); // an absent member array counts as empty
    start(lists);
    state->moveTopLevelItem(top(0, QStringLiteral("B")).id, top(1, QStringLiteral("G")).id,
                            state->lists()[1].id);
    EXPECT_EQ(names(state->lists()[0].items), words("A"));
    EXPECT_EQ(names(top(1, QStringLiteral("G")).subItems.value_or(QList<AppItem>{})), words("B"));
    EXPECT_EQ(onDisk(), state->lists());
}

TEST_F(ItemOperations, MoveTopLevelItemRefusals) {
    start({list(QStringLiteral("One"), QStringLiteral("A G:x H:y")),
           list(QStringLiteral("Two"), QStringLiteral("C K:"))});
    const QByteArray bytesBefore = fileBytes();
    const QUuid one = state->lists()[0].id;
    const QUuid two = state->lists()[1].id;
    const QUuid a = top(0, QStringLiteral("A")).id;
    const QUuid g = top(0, QStringLiteral("G")).id;
    const QUuid k = top(1, QStringLiteral("K")).id;
    const struct {
        const char *title;
        QUuid item, group, list;
    } rows[] = {
        {"groupIntoGroup", top(0, QStringLiteral("H")).id, g, one},
        {"entryIsTheGroup", g, g, one},
        {"notInActiveList", top(1, QStringLiteral("C")).id, k, two},
        {"memberOfAGroup", top(0, QStringLiteral("G")).subItems->first().id, k, two},
        {"targetNotAGroup", a, top(1, QStringLiteral("C")).id, two},
        {"groupInOtherList", a, g, two},
        {"unknownList", a, k, QUuid::createUuid()},
    };
    for (const auto &row : rows) {
        state->moveTopLevelItem(row.item, row.group, row.list);
        EXPECT_EQ(fileBytes(), bytesBefore) << row.title;
    }
}

struct LaunchCase {
    const char *title;
    const char *link; // for link rows
    const char *expectedUrl;
};

class LaunchLink : public StoreFixture, public ::testing::WithParamInterface<LaunchCase> {};

TEST_P(LaunchLink, OpensLinksWithTheDefaultHandler) {
    const LaunchCase &c = GetParam();
    start({list(QStringLiteral("Web"))});
    AppItem link = entry(QStringLiteral("Link"));
    link.bundleIdentifier.clear();
    link.isURL = true;
    link.appPath = QString::fromUtf8(c.link);

    state->launch(link);

    EXPECT_TRUE(workspace.openedApplications.isEmpty());
    if (!c.expectedUrl) {
        EXPECT_TRUE(workspace.openedUrls.isEmpty());
        return;
    }
    ASSERT_EQ(workspace.openedUrls.size(), 1);
    EXPECT_EQ(workspace.openedUrls[0].toString(), QString::fromUtf8(c.expectedUrl));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LaunchLink,
    ::testing::Values(LaunchCase{"withScheme", "https://example.org/a?b=c", "https://example.org/a?b=c"},
                      LaunchCase{"withoutScheme", "example.com", "https://example.com"},
                      LaunchCase{"withoutSchemeWithPath", "example.com/news", "https://example.com/news"},
                      LaunchCase{"hostAndPort", "example.com:8080", "https://example.com:8080"},
                      LaunchCase{"localhostAndPort", "localhost:3000/app", "https://localhost:3000/app"},
                      LaunchCase{"mail", "mailto:team@example.com", "mailto:team@example.com"},
                      LaunchCase{"telephone", "tel:0123456", "tel:0123456"}, LaunchCase{"empty", "", nullptr},
                      LaunchCase{"blank", "   ", nullptr}, LaunchCase{"space", "exa mple.com", nullptr}),
    [](const auto &info) { return std::string(info.param.title); });

TEST_F(ItemOperations, LaunchOpensEachKindThroughTheWorkspace) {
    const QString installed =
        sandbox.writeFile(QStringLiteral("apps/org.example.Editor.desktop"), "[Desktop Entry]\n");
    const QString folder = sandbox.makeFolder(QStringLiteral("Projects"));
    const QString document = sandbox.writeFile(QStringLiteral("notes.txt"), "x");
    workspace.install(QStringLiteral("org.example.Editor"), installed);
    start({list(QStringLiteral("Apps"))});

    AppItem app = entry(QStringLiteral("Editor"));
    app.bundleIdentifier = QStringLiteral("org.example.Editor");
    app.appPath = installed;
    AppItem moved = app;
    moved.appPath = QStringLiteral("/opt/old/org.example.Editor.desktop");
    AppItem movedUnknown = moved;
    movedUnknown.bundleIdentifier.clear();
    AppItem upperCase = moved; // the suffix test is case-sensitive: this is a document
    upperCase.appPath = QStringLiteral("/opt/old/org.example.Editor.DESKTOP");
    AppItem dir = entry(QStringLiteral("Projects"));
    dir.isFolder = true;
    dir.appPath = folder;
    AppItem file = entry(QStringLiteral("notes"));
    file.appPath = document;
    AppItem groupItem = group(QStringLiteral("G"), {QStringLiteral("x")});

    for (const AppItem &item : {app, moved, movedUnknown, upperCase, dir, file, groupItem})
        state->launch(item);

    EXPECT_EQ(workspace.openedApplications,
              QList<QString>({installed, installed, QStringLiteral("/opt/old/org.example.Editor.desktop")}));
    EXPECT_EQ(workspace.openedUrls,
              QList<QUrl>({QUrl::fromLocalFile(upperCase.appPath), QUrl::fromLocalFile(folder),
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
