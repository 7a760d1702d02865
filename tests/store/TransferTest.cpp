#include "StoreFixture.h"

#include <QDir>

class Transfer : public StoreFixture {};

// Appending adds lists under new ids with their entry ids and leaves the active list and the open group
// alone; replacing keeps every id, starts on the first list and closes the group. (The limit of eight and
// refused documents are driven from the command line's test.)
TEST_F(Transfer, ImportAppendsOrReplaces) {
    for (bool append : {true, false}) {
        SCOPED_TRACE(append);
        const QList<AppList> have = lists({"", "A G:x"}), incoming = lists({"e", "f G:y"});
        start(have, 1);
        state->openSubList(id("G", 1));
        const auto open = state->openSubListID();
        sandbox.preferences().setActiveListIndex(-1); // so that a write shows
        changes->clear();
        ASSERT_TRUE(state->importLists(ListsCodec::encodeLists(incoming), append));
        QList<AppList> expected = append ? have + incoming : incoming;
        for (int i = 2; i < expected.size(); ++i) {
            EXPECT_NE(state->lists().value(i).id, expected[i].id);
            expected[i].id = state->lists().value(i).id;
        }
        EXPECT_EQ(state->lists(), expected);
        EXPECT_EQ(QList<int>({state->activeListIndex(), storedIndex(), int(changes->count())}),
                  QList<int>({int(append), append ? -1 : 0, 0}));
        EXPECT_EQ(state->openSubListID(), append ? open : std::nullopt);
        expectSaved();
    }
}

// An export drops bookmarks and writes paths under HOME with "~", links as they are, snapshots too; an
// import expands "~" and "~/" in paths only and keeps a bookmark the document brings.
TEST_F(Transfer, ExportAbbreviatesHomePathsWithoutBookmarksAndImportExpandsThem) {
    AppList one = list("One", "Projects Link Other G:Projects");
    QList<AppItem> &in = one.items;
    in[0].isFolder = in[1].isURL = true;
    in[0].appPath = (*in[3].subItems)[0].appPath = sandbox.makeFolder("Projects");
    in[1].appPath = QDir::homePath() + "/not-a-path";
    in[2].appPath = "~other/x";
    one.snapshot = in;
    start({one});
    const auto data = state->exportListsData();
    ASSERT_TRUE(data && !data->contains("bookmarkData"));
    AppList back = ListsCodec::decodeLists(*data)->value(0);
    const auto paths = [](const QList<AppItem> &items) {
        return QStringList(
            {items[0].appPath, items[1].appPath, items[2].appPath, (*items[3].subItems)[0].appPath});
    };
    for (const QList<AppItem> &items : {back.items, back.snapshot})
        EXPECT_EQ(paths(items), QStringList({"~/Projects", in[1].appPath, "~other/x", "~/Projects"}));
    EXPECT_TRUE(top(0, "Projects").bookmarkData) << "made at start, and kept by the export";

    AppItem &member = (*back.items[3].subItems)[0];
    back.items[0].appPath = "~";
    back.items[1].appPath = "~/x";
    member.bookmarkData = QByteArray("kept as it was");
    ASSERT_TRUE(state->importLists(ListsCodec::encodeLists({back}), false));
    back.items[0].appPath = QDir::homePath();
    back.items[0].bookmarkData = "bookmark:" + back.items[0].appPath.toUtf8(); // made: it exists
    member.appPath = in[0].appPath;
    EXPECT_EQ(state->lists()[0].items, back.items);
}

// Two copies of one list: the later copy gets fresh ids, its snapshot follows its entries, and a move
// into a group of the active list stays in that list.
TEST_F(Transfer, RepeatedIDsInALoadedFileOrAnImportGetFreshOnes) {
    const AppList first = list("First", "A G:x");
    AppList copy = first;
    copy.name = "Copy";
    const QByteArray repeated = ListsCodec::encodeLists({first, copy});
    for (bool imported : {false, true}) {
        SCOPED_TRACE(imported);
        imported ? load({""}) : start(repeated);
        ASSERT_TRUE(!imported || state->importLists(repeated, false));
        ASSERT_EQ(state->lists().size(), 2);
        EXPECT_EQ(state->lists()[0], first);
        EXPECT_EQ(UniqueIDs::allIDs(state->lists()).size(), 2 * UniqueIDs::allIDs({first}).size());
        EXPECT_EQ(state->lists()[1].snapshot, state->lists()[1].items);
        expectSaved();
        state->switchToList(1);
        state->moveItemToSubList(id("A", 1), id("G", 1));
        EXPECT_EQ(QStringList({shape(0), shape(1)}), QStringList({"A G:x", "G:x,A"}));
    }
}

TEST_F(Transfer, SnapshotRestoreBringsBackTheSavedOrderAndRemovedEntries) {
    AppList one = list("One", "A B G:x,y C");
    one.items[0].folderTint = "#EF4444";
    one.items[0].bookmarkData = QByteArray("bookmark:/gone");
    start({one, list("Two", "D E")});
    state->withCurrentItems([](QList<AppItem> &items) { items.move(0, 3); }); // not the order loaded
    state->saveSnapshot();
    const QList<AppList> saved = state->lists();

    // Rearrange, remove (also from inside the group), add, and change the other list.
    state->withCurrentItems([](QList<AppItem> &items) { items.move(0, 3); });
    state->remove(top(0, "B"));
    state->openSubList(id("G"));
    state->remove(state->currentItems().first());
    state->addURL("example.com", {});
    state->moveItem(id("D", 1), listID(1), listID(0));
    changes->clear();
    state->restoreSnapshot();
    EXPECT_EQ(state->lists()[0].items, saved[0].items); // ids, tints, bookmarks and members come back
    EXPECT_EQ(shape(1), "E");                           // other lists are not touched
    EXPECT_TRUE(!state->openSubListID() && changes->count() == 0);
    expectSaved();

    // The snapshot of a list made empty is empty: restoring it must not clear what was added since.
    state->addList("New", ListTheme::red);
    state->addURL("example.com", {});
    const QByteArray added = fileBytes();
    state->restoreSnapshot();
    EXPECT_EQ(fileBytes(), added);
}
