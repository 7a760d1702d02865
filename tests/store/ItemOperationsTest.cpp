#include "StoreFixture.h"

#include <QUrl>

namespace {

class ItemOperations : public StoreFixture {};

// A link keeps its name as typed, while renaming trims; blank names fall back to the text or are refused.
TEST_F(ItemOperations, NamesOfLinksAndRenames) {
    const char *const rows[][3] = {// name, link name (nullptr: the text), renamed (nullptr: refused)
                                   {"", nullptr, nullptr},
                                   {" \t ", nullptr, nullptr},
                                   {"  News  ", "  News  ", "News"},
                                   {" Two words ", " Two words ", "Two words"}};
    const QString text = "  example.com/a path ";
    for (const auto &[name, linkName, renamed] : rows) {
        load({"A"});
        state->addURL(text, name);
        const AppItem link = state->currentItems().last();
        EXPECT_EQ(link.name, linkName ? QString(linkName) : text);
        EXPECT_TRUE(link.appPath == text && link.isURL);
        EXPECT_FALSE(link.isFolder || link.isSubList || link.bookmarkData || link.folderTint);
        state->renameItem(id("A"), name);
        EXPECT_EQ(state->currentItems()[0].name, renamed ? renamed : "A");
        expectSaved();
    }
}

TEST_F(ItemOperations, AddingAPathBuildsTheRightKindOfEntry) {
    load({""});
    const struct {
        const char *path; // under HOME
        bool makeFolder;
        const char *name;
        bool folder, application;
    } rows[] = {
        {"Projects/", true, "Projects", true, false},
        {"apps/editor.desktop", false, "Editor Pro", false, true},
        {"apps/EDITOR.DESKTOP", false, "Editor Pro", false, true},
        {"Tools.Desktop", true, "Editor Pro", false, true}, // a folder named like an application is one
        {"Papers/report.pdf", false, "report", false, false},
        {"backup.tar.gz", false, "backup.tar", false, false},
        {".profile", false, ".profile", false, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.path);
        const QString path = row.makeFolder ? sandbox.makeFolder(row.path) : sandbox.writeFile(row.path, "x");
        workspace.install("org.example.Editor", path, "Editor Pro");
        state->add(path);
        const AppItem added = state->currentItems().last();
        EXPECT_EQ(added.name, row.name);
        EXPECT_TRUE(added.appPath == path && added.isFolder == row.folder);
        EXPECT_EQ(added.bundleIdentifier, row.application ? "org.example.Editor" : QString());
        EXPECT_EQ(added.bookmarkData, "bookmark:" + path.toUtf8());
    }
    EXPECT_EQ(state->currentItems().size(), std::size(rows));
    expectSaved();
}

// With a group open, adding, tinting and removing act on its members; removing the last one deletes it.
TEST_F(ItemOperations, ItemOperationsActOnTheOpenGroup) {
    const QString path = sandbox.writeFile("apps/editor.desktop", "[Desktop Entry]\n");
    load({"A G:x B"});
    state->setFolderTint(member("G"), "#EF4444"); // not a current item: no change
    state->setFolderTint(id("G"), "#22C55E");
    state->openSubList(id("G"));
    state->add(path);
    state->addURL("https://example.com", "Example");
    state->setFolderTint(member("G"), "#EF4444");
    EXPECT_EQ(shown(), words("A G B"));
    EXPECT_EQ(names(state->currentItems()), words("x editor Example"));
    EXPECT_EQ(top(0, "G").folderTint, "#22C55E");
    EXPECT_EQ(state->currentItems()[0].folderTint, "#EF4444");
    changes->clear();
    for (const AppItem &item : state->currentItems())
        state->remove(item);
    EXPECT_EQ(shown(), words("A B"));
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(changes->count(), 1);
    EXPECT_EQ(names(state->lists()[0].snapshot), words("A G B"));
    state->setFolderTint(id("A"), "#22C55E");
    state->setFolderTint(id("A"), std::nullopt);
    EXPECT_FALSE(top(0, "A").folderTint);
    expectSaved();
}

// Top-level entries go to the end of another list, into a group there too (an absent member array counts
// as empty); refusals are in the groups' table.
TEST_F(ItemOperations, MovesToAnotherList) {
    const char *const rows[][4] = {{"A", "1", "B G", "C K A"},
                                   {"C", "0", "A B G C", "K"},
                                   {"G", "1", "A B", "C K G"},
                                   {"B", "K", "A G", "C K"}};
    for (const auto &[entry, to, first, second] : rows) {
        SCOPED_TRACE(entry);
        QList<AppList> two = lists({"A B G:x", "C K:"});
        two[1].items[1].subItems.reset();
        start(two);
        const QString name = entry;
        const bool fromSecond = name == "C";
        if (QString(to) == "K")
            state->moveTopLevelItem(id("B"), id("K", 1), listID(1));
        else
            state->moveItem(id(name, fromSecond), listID(fromSecond), listID(QString(to).toInt()));
        EXPECT_EQ(shown(0), words(first));
        EXPECT_EQ(shown(1), words(second));
        EXPECT_EQ(membersOf("K", 1), QString(to) == "K" ? words("B") : QStringList());
        EXPECT_EQ(names(state->lists()[0].snapshot), words("A B G"));
        expectSaved();
    }
}

// Links open as typed or over https, text that is no link opens nothing. A moved application opens the
// installed copy when its id is known, else the stale path; an entry whose bookmark resolves opens the
// bookmarked path, with no fallback by id.
TEST_F(ItemOperations, LaunchOpensEachKindThroughTheWorkspace) {
    const QString installed = sandbox.writeFile("apps/org.example.Editor.desktop", "[Desktop Entry]\n");
    const QString folder = sandbox.makeFolder("Projects"), document = sandbox.writeFile("notes.txt", "x");
    workspace.install("org.example.Editor", installed);
    workspace.install("org.example.Gone", "/elsewhere/Gone.desktop");
    const QString moved = "/opt/old/org.example.Editor.desktop";
    const QString upperCase = "/opt/old/org.example.Editor.DESKTOP"; // a document
    const auto item = [](const QString &path, const char *bundle, char kind = 'a', QString marked = {}) {
        AppItem made = entry("x");
        made.appPath = path;
        made.bundleIdentifier = bundle;
        made.isFolder = kind == 'f';
        made.isURL = kind == 'l';
        if (!marked.isEmpty())
            made.bookmarkData = "bookmark:" + marked.toUtf8();
        return made;
    };
    QList<AppItem> launched{item(installed, "org.example.Editor"),
                            item(moved, "org.example.Editor"),
                            item(moved, ""),
                            item(upperCase, "org.example.Editor"),
                            item(folder, "", 'f'),
                            item(document, ""),
                            entries("G:x")[0],
                            item("/nonexistent/F", "", 'f', folder),
                            item("/nonexistent/Gone.desktop", "org.example.Gone", 'a', folder)};
    for (const char *text : {"https://example.org/a?b=c", "example.com/news", "example.com:8080",
                             "localhost:3000/app", "mailto:team@example.com", "", "   ", "exa mple.com"})
        launched.append(item(text, "", 'l'));
    start({AppList{QUuid::createUuid(), "A", launched, ListTheme::blue, {}}});
    for (const AppItem &one : launched)
        state->launch(one);
    EXPECT_EQ(workspace.openedApplications, QList<QString>({installed, installed, moved, folder}));
    QList<QUrl> urls;
    for (const QString &file : {upperCase, folder, document, folder})
        urls.append(QUrl::fromLocalFile(file));
    for (const char *url :
         {"https://example.org/a?b=c", "https://example.com/news", "https://example.com:8080",
          "https://localhost:3000/app", "mailto:team@example.com"})
        urls.append(QUrl(url));
    EXPECT_EQ(workspace.openedUrls, urls); // a host with a port is no scheme
}

} // namespace
