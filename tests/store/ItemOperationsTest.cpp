#include "StoreFixture.h"

#include <QUrl>

class ItemOperations : public StoreFixture {};

// A link keeps its name as typed, while renaming trims; blank names fall back to the text or are refused.
TEST_F(ItemOperations, NamesOfLinksAndRenames) {
    // name, link name (nullptr: the text), renamed (nullptr: refused)
    const char *const rows[][3] = {
        {"", nullptr, nullptr}, {" \t ", nullptr, nullptr}, {" Two  words ", " Two  words ", "Two  words"}};
    const QString text = "  example.com/a path ";
    for (const auto &[name, linkName, renamed] : rows) {
        load({"A"});
        state->addURL(text, name);
        const AppItem link = state->currentItems().last();
        EXPECT_EQ(link.name, linkName ? QString(linkName) : text);
        EXPECT_TRUE(link.appPath == text && link.isURL && !link.isFolder && !link.bookmarkData);
        state->renameItem(id("A"), name);
        EXPECT_EQ(state->currentItems()[0].name, renamed ? renamed : "A");
        expectSaved();
    }
}

// Rows: the path under HOME ("/" at the end: a folder), the name, f folder or a application.
TEST_F(ItemOperations, AddingAPathBuildsTheRightKindOfEntry) {
    load({""});
    const QStringList rows =
        table("Projects/ Projects f; apps/editor.desktop Editor_Pro a; apps/EDITOR.DESKTOP "
              "Editor_Pro a; Tools.Desktop/ Editor_Pro a; backup.tar.gz backup.tar; .profile .profile");
    for (const QString &row : rows) {
        const QStringList w = words(row);
        const QString path =
            w[0].endsWith('/') ? sandbox.makeFolder(w[0].chopped(1)) : sandbox.writeFile(w[0], "x");
        workspace.install("org.example.Editor", path, "Editor Pro");
        state->add(path);
        const AppItem added = state->currentItems().last();
        EXPECT_EQ(added.name, QString(w[1]).replace(u'_', u' ')) << row.toStdString();
        EXPECT_TRUE(added.appPath == path && added.isFolder == (w.value(2) == "f")) << row.toStdString();
        EXPECT_EQ(added.bundleIdentifier, w.value(2) == "a" ? "org.example.Editor" : QString());
        EXPECT_EQ(added.bookmarkData, "bookmark:" + path.toUtf8());
    }
    expectSaved();
}

// Only a group opens; with one open, adding, tinting and removing act on its members and no group is
// made inside it; removing the last member deletes it. A group made at the top takes a name that is not
// blank and starts with members present, none yet.
TEST_F(ItemOperations, ItemOperationsActOnTheOpenGroup) {
    const QString path = sandbox.writeFile("apps/editor.desktop", "[Desktop Entry]\n");
    load({"A G:x B"});
    const QByteArray before = fileBytes();
    for (const QUuid &notAGroup : {id("A"), QUuid::createUuid()})
        state->openSubList(notAGroup);
    state->setFolderTint(member("G"), "#EF4444"); // not a current item
    EXPECT_TRUE(!state->openSubListID() && changes->count() == 0 && fileBytes() == before);
    state->setFolderTint(id("G"), "#22C55E");
    changes->clear();
    state->openSubList(id("G"));
    EXPECT_EQ(changes->count(), 1);
    EXPECT_FALSE(state->addSubList("Inner", std::nullopt));
    state->add(path);
    state->addURL("https://example.com", "Example");
    state->setFolderTint(member("G"), "#EF4444");
    EXPECT_EQ(shape(), "A G:x,editor,Example B");
    EXPECT_EQ(top(0, "G").folderTint, "#22C55E");
    EXPECT_EQ(state->currentItems()[0].folderTint, "#EF4444");
    changes->clear();
    state->closeSubList();
    EXPECT_TRUE(changes->count() == 1 && names(state->currentItems()) == words("A G B"));
    state->openSubList(id("G"));
    changes->clear();
    for (const AppItem &item : state->currentItems())
        state->remove(item);
    EXPECT_TRUE(shape() == "A B" && !state->openSubListID() && changes->count() == 1);
    state->setFolderTint(id("A"), "#22C55E");
    state->setFolderTint(id("A"), std::nullopt);
    EXPECT_FALSE(top(0, "A").folderTint);
    EXPECT_FALSE(state->addSubList(" \t ", std::nullopt) || state->addSubList(QString(), std::nullopt));
    const auto groupID = state->addSubList(" Work ", "#06B6D4");
    const AppItem &made = state->lists()[0].items.last();
    EXPECT_TRUE(groupID && made.id == *groupID && made.name == " Work " && made.isSubList &&
                made.folderTint == "#06B6D4" && made.subItems == QList<AppItem>{});
    expectSaved();
}

// Links open as typed or over https, text that is no link opens nothing. A moved application opens the
// installed copy when its id is known, else the stale path; an entry whose bookmark resolves opens the
// bookmarked path, with no fallback by id. Rows: kind (a application or document, f folder, l link, g
// group), path ("_" a blank), id, bookmarked path; then what opens, as a path or an address.
TEST_F(ItemOperations, LaunchOpensEachKindThroughTheWorkspace) {
    const QString home = sandbox.home();
    workspace.install("org.example.Editor", sandbox.writeFile("apps/org.example.Editor.desktop", "x"));
    workspace.install("org.example.Gone", "/elsewhere/Gone.desktop");
    sandbox.makeFolder("Projects");
    const QStringList rows = table(
        "a ~/apps/E.desktop Editor > ~/apps/E.desktop; a /opt/E.desktop Editor > ~/apps/E.desktop; "
        "a /opt/E.desktop - > /opt/E.desktop; a /opt/E.DESKTOP Editor > file:///opt/E.DESKTOP; "
        "f ~/Projects - > file://~/Projects; g G - >; f /nonexistent/F - ~/Projects > file://~/Projects; "
        "a /nonexistent/Gone.desktop Gone ~/Projects > ~/Projects; l ___ - >; l exa_mple.com - >; "
        "l example.com/news - > https://example.com/news; l example.com:8080 - > https://example.com:8080; "
        "l localhost:3000/app - > https://localhost:3000/app; l mailto:a@b.org - > mailto:a@b.org");
    const auto expand = [&](QString text) {
        return text.replace(u'_', u' ').replace("E.", "org.example.Editor.").replace("~", home);
    };
    for (const QString &row : rows) {
        const QStringList w = words(row.section(u'>', 0, 0)), opens = words(expand(row.section(u'>', 1)));
        AppItem made = w[0] == "g" ? entries("G:x")[0] : entry("x");
        made.appPath = w[0] == "g" ? QString() : expand(w[1]);
        made.bundleIdentifier = w[2] == "-" ? QString() : "org.example." + w[2];
        made.isFolder = w[0] == "f";
        made.isURL = w[0] == "l";
        made.bookmarkData = w.size() > 3 ? std::optional("bookmark:" + expand(w[3]).toUtf8()) : std::nullopt;
        start({AppList{QUuid::createUuid(), "A", {made}, ListTheme::blue, {}}});
        workspace.openedApplications.clear();
        workspace.openedUrls.clear();
        state->launch(made);
        QStringList opened = workspace.openedApplications;
        for (const QUrl &url : workspace.openedUrls)
            opened.append(url.toString());
        EXPECT_EQ(opened, opens) << row.toStdString();
    }
}

// A list holds at most 1,000 entries, its groups and their members counted. Rows: what a change past the
// limit does to the full first list (998 entries and a group with one member) from the second list
// ("A B"); each is refused whole, nothing is written, and the same change in the second list works.
TEST_F(ItemOperations, ChangesPastTheEntryLimitAreRefusedWhole) {
    QStringList full;
    for (int i = 0; i < 998; ++i)
        full << QStringLiteral("e%1").arg(i);
    const QString path = sandbox.writeFile("report.pdf", "x");
    using Result = AppState::AddResult;
    const std::function<bool()> rows[] = {
        [&] { return state->add(path) == Result::listFull; },
        [&] { return state->addURL("example.com", "") == Result::listFull; },
        [&] { return !state->addSubList("New", std::nullopt); },
        [&] { return !state->mergeIntoNewGroup(id("e0"), id("e1")); },
        [&] { return state->openSubList(id("G")), state->add(path) == Result::listFull; },
        [&] { return state->moveItem(id("A", 1), listID(1), listID(0)), true; },
    };
    for (const auto &row : rows) {
        load({full.join(' ') + " G:x", "A B"});
        const QByteArray file = fileBytes();
        EXPECT_TRUE(row() && state->lastChangeRefused()) << &row - rows;
        EXPECT_EQ(onDisk(), state->lists()) << &row - rows;
        EXPECT_EQ(fileBytes(), file) << &row - rows;
    }
    state->switchToList(1);
    EXPECT_EQ(state->add(path), AppState::AddResult::added);
    EXPECT_FALSE(state->lastChangeRefused());
    expectSaved();
}
