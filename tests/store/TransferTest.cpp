#include "StoreFixture.h"

#include <QDir>

namespace {

class Transfer : public StoreFixture {
  protected:
    // A document of `count` lists named "D0", "D1", …, each with one entry.
    static QByteArray document(int count) {
        QList<AppList> lists;
        for (int i = 0; i < count; ++i)
            lists.append(list(QStringLiteral("D%1").arg(i), QStringLiteral("e%1").arg(i), ListTheme::green));
        return ListsCodec::encodeLists(lists);
    }
};

struct ImportCase {
    bool append;
    int have;
    int incoming;
    int kept; // lists taken from the document; -1: refused
};

class Import : public Transfer, public ::testing::WithParamInterface<ImportCase> {};

// Appending fills free places with new list ids and leaves the active list and the open group alone;
// replacing keeps at most eight lists with their ids, starts on the first and closes the group.
TEST_P(Import, KeepsAtMostEightLists) {
    const ImportCase &c = GetParam();
    QList<AppList> lists = emptyLists(c.have);
    lists.last().items = entries("A G:x");
    lists.last().snapshot = lists.last().items;
    start(lists, c.have - 1);
    state->openSubList(id("G", c.have - 1));
    const auto openBefore = state->openSubListID();
    sandbox.preferences().setActiveListIndex(-1); // so that a write shows
    const QByteArray bytesBefore = fileBytes();
    const QByteArray data = document(c.incoming);
    const QList<AppList> incoming = ListsCodec::decodeLists(data)->mid(0, c.kept);
    changes->clear();

    const bool imported = state->importLists(data, c.append);

    EXPECT_EQ(changes->count(), 0);
    if (c.kept < 0) {
        EXPECT_FALSE(imported);
        EXPECT_EQ(fileBytes(), bytesBefore);
        return;
    }
    ASSERT_TRUE(imported);
    expectSaved();
    if (!c.append) {
        EXPECT_EQ(state->lists(), incoming);
        EXPECT_EQ(state->activeListIndex(), 0);
        EXPECT_EQ(storedIndex(), 0);
        EXPECT_FALSE(state->openSubListID());
        return;
    }
    EXPECT_EQ(state->activeListIndex(), c.have - 1);
    EXPECT_EQ(storedIndex(), -1); // not written
    EXPECT_EQ(state->openSubListID(), openBefore);
    ASSERT_EQ(state->lists().size(), c.have + c.kept);
    EXPECT_EQ(state->lists().mid(0, c.have), lists);
    for (int i = 0; i < c.kept; ++i) {
        AppList added = state->lists()[c.have + i];
        EXPECT_NE(added.id, incoming[i].id);
        added.id = incoming[i].id;
        EXPECT_EQ(added, incoming[i]); // entry ids are kept
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Import,
                         ::testing::Values(ImportCase{true, 6, 5, 2}, ImportCase{true, 1, 3, 3},
                                           ImportCase{true, 7, 10, 1}, ImportCase{true, 8, 1, -1},
                                           ImportCase{false, 3, 1, 1}, ImportCase{false, 3, 8, 8},
                                           ImportCase{false, 3, 10, 8}),
                         [](const auto &test) {
                             return std::string(test.param.append ? "append" : "replace") + "Have" +
                                    std::to_string(test.param.have) + "Incoming" +
                                    std::to_string(test.param.incoming);
                         });

// Malformed documents are the codec's business; here only that a refused one changes nothing.
TEST_F(Transfer, UnreadableOrEmptyDocumentsChangeNothingInEitherMode) {
    load({"A B"});
    const QByteArray bytesBefore = fileBytes();
    const QList<AppList> listsBefore = state->lists();
    QByteArray badTheme = ListsCodec::encodeLists({list(QStringLiteral("One"))}).replace("blue", "magenta");
    for (const QByteArray &data :
         {QByteArray(), QByteArray("lists: none"), QByteArray("[]"), QByteArray("[{\"id\":"), badTheme}) {
        for (bool append : {false, true})
            EXPECT_FALSE(state->importLists(data, append)) << data.constData();
    }
    EXPECT_EQ(state->lists(), listsBefore);
    EXPECT_EQ(fileBytes(), bytesBefore);
}

TEST_F(Transfer, ExportRemovesBookmarksAndAbbreviatesHomePathsExceptLinks) {
    AppList one = list(QStringLiteral("One"), QStringLiteral("Projects Link G:Projects"));
    one.items[0].isFolder = true;
    one.items[0].appPath = sandbox.makeFolder(QStringLiteral("Projects"));
    one.items[1].isURL = true;
    one.items[1].appPath = QDir::homePath() + QStringLiteral("/not-a-path");
    (*one.items[2].subItems)[0].appPath = one.items[0].appPath;
    one.snapshot = one.items;
    start({one});
    const AppItem &link = one.items[1];
    ASSERT_TRUE(top(0, QStringLiteral("Projects")).bookmarkData); // made at start

    const auto data = state->exportListsData();
    ASSERT_TRUE(data);
    const QList<AppList> exported = *ListsCodec::decodeLists(*data);
    for (const QList<AppItem> &items : {exported[0].items, exported[0].snapshot}) {
        EXPECT_EQ(items[0].appPath, QStringLiteral("~/Projects"));
        EXPECT_FALSE(items[0].bookmarkData);
        EXPECT_EQ(items[1].appPath, link.appPath);
        EXPECT_EQ((*items[2].subItems)[0].appPath, QStringLiteral("~/Projects"));
        EXPECT_FALSE((*items[2].subItems)[0].bookmarkData);
    }
    EXPECT_FALSE(data->contains("bookmarkData"));
    EXPECT_TRUE(top(0, QStringLiteral("Projects")).bookmarkData); // the store is not changed

    // Back in (replace): the same lists, with bookmarks made again for paths that exist.
    const QList<AppList> before = state->lists();
    ASSERT_TRUE(state->importLists(*data, false));
    EXPECT_EQ(state->lists(), before);
    // Appended beside itself: the same entries under new ids, so that no id is there twice.
    ASSERT_TRUE(state->importLists(*data, true));
    ASSERT_EQ(state->lists().size(), 2);
    EXPECT_EQ(names(state->lists()[1].items), names(before[0].items));
    EXPECT_EQ(UniqueIDs::allIDs(state->lists()).size(), 2 * UniqueIDs::allIDs(before).size());
    expectSaved();
}

// A document that repeats ids (two copies of one list): the later copies get fresh ids, the snapshot
// follows its entries, and a move into a group of the active list stays in that list.
TEST_F(Transfer, RepeatedIDsInALoadedFileOrAnImportGetFreshOnes) {
    AppList first = list(QStringLiteral("First"), QStringLiteral("A G:x"));
    AppList copy = first;
    copy.name = QStringLiteral("Copy");
    const QByteArray repeated = ListsCodec::encodeLists({first, copy});
    for (bool imported : {false, true}) {
        SCOPED_TRACE(imported ? "imported" : "loaded");
        if (imported) {
            load({""});
            ASSERT_TRUE(state->importLists(repeated, false));
        } else {
            start(repeated);
        }
        const QList<AppList> &lists = state->lists();
        ASSERT_EQ(lists.size(), 2);
        EXPECT_EQ(lists[0], first) << "the first of each id keeps it";
        EXPECT_EQ(UniqueIDs::allIDs(lists).size(), 2 * UniqueIDs::allIDs({first}).size());
        EXPECT_EQ(lists[1].snapshot, lists[1].items);
        expectSaved();

        state->switchToList(1);
        state->moveItemToSubList(id("A", 1), id("G", 1));
        EXPECT_EQ(membersOf("G", 1), words("x A"));
        EXPECT_EQ(shown(0), words("A G"));
    }
}

TEST_F(Transfer, ImportExpandsTildeOnlyInPathsAndKeepsBookmarksFromTheDocument) {
    load({""});
    AppList incoming = list(QStringLiteral("In"), QStringLiteral("Home Notes Link Other"));
    QList<AppItem> &in = incoming.items;
    in[0].isFolder = true;
    in[0].appPath = QStringLiteral("~");
    in[1].appPath = QStringLiteral("~/notes.txt");
    in[1].bookmarkData = QByteArray("kept as it was");
    in[2].isURL = true;
    in[2].appPath = QStringLiteral("~/x");
    in[3].appPath = QStringLiteral("~other/x");

    ASSERT_TRUE(state->importLists(ListsCodec::encodeLists({incoming}), false));

    const QList<AppItem> &items = state->lists()[0].items;
    EXPECT_EQ(items[0].appPath, QDir::homePath());
    EXPECT_EQ(items[0].bookmarkData, QByteArray("bookmark:") + QDir::homePath().toUtf8()); // made: it exists
    EXPECT_EQ(items[1].appPath, QDir::homePath() + QStringLiteral("/notes.txt"));
    EXPECT_EQ(items[1].bookmarkData, QByteArray("kept as it was"));
    EXPECT_EQ(items[2].appPath, QStringLiteral("~/x"));
    EXPECT_EQ(items[3].appPath, QStringLiteral("~other/x"));
}

TEST_F(Transfer, SnapshotRestoreBringsBackTheSavedOrderAndRemovedEntries) {
    AppList one = list(QStringLiteral("One"), QStringLiteral("A B G:x,y C"));
    one.items[0].folderTint = QStringLiteral("#EF4444");
    one.items[0].bookmarkData = QByteArray("bookmark:/gone");
    one.snapshot = {};
    start({one, list(QStringLiteral("Two"), QStringLiteral("D E"))});
    state->saveSnapshot();
    const QList<AppList> saved = state->lists();
    for (const AppList &l : saved)
        EXPECT_EQ(l.snapshot, l.items);

    // Rearrange, remove (also from inside the group), add, and change the other list.
    state->withCurrentItems([](QList<AppItem> &items) { items.move(0, 3); });
    state->remove(top(0, "B"));
    state->openSubList(id("G"));
    state->remove(state->currentItems().first());
    state->addURL(QStringLiteral("example.com"), {});
    state->moveItem(id("D", 1), listID(1), listID(0));
    changes->clear();

    state->restoreSnapshot();

    EXPECT_EQ(state->lists()[0].items, saved[0].items); // ids, tints, bookmarks and members come back
    EXPECT_EQ(shown(1), words("E"));                    // other lists are not touched
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(changes->count(), 0);
    expectSaved();

    const QByteArray once = fileBytes();
    state->restoreSnapshot();
    EXPECT_EQ(fileBytes(), once);
}

TEST_F(Transfer, RestoringAnEmptySnapshotDoesNothing) {
    load({""});
    state->addURL(QStringLiteral("example.com"), {});
    const QByteArray bytesBefore = fileBytes();
    state->restoreSnapshot();
    EXPECT_EQ(fileBytes(), bytesBefore);
}

} // namespace
