#include "StoreFixture.h"

#include "support/CaptureStdout.h"

#include <QDir>

namespace {

class ListOperations : public StoreFixture {};

struct IndexCase {
    const char *title;
    bool remove; // otherwise reorder from → to
    int count;
    int active;
    int from;
    int to;
    const char *expectedLists; // the lists unchanged: refused
    int expectedIndex;
};

class ListIndex : public StoreFixture, public ::testing::WithParamInterface<IndexCase> {};

// removeList keeps the index by position (clamped); reorderList keeps the same list active.
TEST_P(ListIndex, FollowsTheRule) {
    const IndexCase &c = GetParam();
    start(emptyLists(c.count), c.active);
    const QByteArray bytesBefore = fileBytes();

    if (c.remove)
        state->removeList(c.from);
    else
        state->reorderList(c.from, c.to);

    const QStringList expected = words(c.expectedLists);
    const bool refused = c.remove ? expected.size() == c.count : expected == words("L0 L1 L2 L3 L4");
    EXPECT_EQ(listNames(), expected);
    EXPECT_EQ(state->activeListIndex(), c.expectedIndex);
    EXPECT_EQ(changes->count(), c.remove && !refused ? 1 : 0);
    if (refused) {
        EXPECT_EQ(fileBytes(), bytesBefore);
    } else {
        EXPECT_EQ(storedIndex(), c.expectedIndex);
        expectSaved();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ListIndex,
    ::testing::Values(IndexCase{"removeBeforeTheLastActive", true, 3, 2, 0, 0, "L1 L2", 1},
                      IndexCase{"removeBeforeTheActive", true, 3, 1, 0, 0, "L1 L2", 1}, // now L2
                      IndexCase{"removeAfterTheActive", true, 3, 0, 2, 0, "L0 L1", 0},
                      IndexCase{"removeTheActiveLast", true, 3, 2, 2, 0, "L0 L1", 1},
                      IndexCase{"removeTheActiveMiddle", true, 3, 1, 1, 0, "L0 L2", 1},
                      IndexCase{"removeTheOnlyList", true, 1, 0, 0, 0, "L0", 0},
                      IndexCase{"removeIndexEqualToCount", true, 3, 0, 3, 0, "L0 L1 L2", 0},
                      IndexCase{"removeNegativeIndex", true, 3, 0, -1, 0, "L0 L1 L2", 0},
                      IndexCase{"activeMovesForward", false, 5, 0, 0, 3, "L1 L2 L3 L0 L4", 3},
                      IndexCase{"activeMovesBack", false, 5, 3, 3, 0, "L3 L0 L1 L2 L4", 0},
                      IndexCase{"otherCrossesActiveForward", false, 5, 2, 0, 3, "L1 L2 L3 L0 L4", 1},
                      IndexCase{"otherCrossesActiveBack", false, 5, 2, 4, 0, "L4 L0 L1 L2 L3", 3},
                      IndexCase{"otherMovesBehindActive", false, 5, 1, 3, 4, "L0 L1 L2 L4 L3", 1},
                      IndexCase{"reorderSameIndex", false, 5, 1, 2, 2, "L0 L1 L2 L3 L4", 1},
                      IndexCase{"reorderToEqualsCount", false, 5, 1, 0, 5, "L0 L1 L2 L3 L4", 1},
                      IndexCase{"reorderFromEqualsCount", false, 5, 1, 5, 0, "L0 L1 L2 L3 L4", 1},
                      IndexCase{"reorderNegativeFrom", false, 5, 1, -1, 0, "L0 L1 L2 L3 L4", 1},
                      IndexCase{"reorderNegativeTo", false, 5, 1, 0, -1, "L0 L1 L2 L3 L4", 1}),
    [](const auto &test) { return std::string(test.param.title); });

TEST_F(ListOperations, AddListMakesTheNewListActiveWithoutSignallingOrClosingTheGroup) {
    QList<AppList> lists = emptyLists(6);
    lists[2].items = entries("A G:x");
    start(lists, 2);
    state->openSubList(id("G", 2));
    const auto openGroup = state->openSubListID();
    changes->clear();

    state->addList(QStringLiteral("  Work "), ListTheme::teal);

    ASSERT_EQ(state->lists().size(), 7);
    const AppList &added = state->lists().last();
    EXPECT_EQ(added.name, QStringLiteral("  Work "));
    EXPECT_EQ(added.theme, ListTheme::teal);
    EXPECT_TRUE(added.items.isEmpty() && added.snapshot.isEmpty());
    EXPECT_EQ(state->activeListIndex(), 6);
    EXPECT_EQ(storedIndex(), 6);
    EXPECT_EQ(changes->count(), 0);
    // The group stays "open" but is no longer found in the new active list.
    EXPECT_EQ(state->openSubListID(), openGroup);
    EXPECT_TRUE(state->currentItems().isEmpty());
    expectSaved();

    state->addList(QStringLiteral("Eighth"), ListTheme::red);
    const QByteArray full = fileBytes();
    state->addList(QStringLiteral("Ninth"), ListTheme::red);
    EXPECT_EQ(state->lists().size(), 8);
    EXPECT_EQ(storedIndex(), 7);
    EXPECT_EQ(fileBytes(), full);
}

TEST_F(ListOperations, RenameAndRecolourKeepTheTextExactlyAndGuardTheIndex) {
    start(emptyLists(2), 0);
    state->renameList(1, QString());
    state->setTheme(ListTheme::orange, 1);
    EXPECT_EQ(state->lists()[1].name, QString());
    EXPECT_EQ(state->lists()[1].theme, ListTheme::orange);
    expectSaved();

    const QByteArray bytesBefore = fileBytes();
    for (int index : {-1, 2}) {
        state->renameList(index, QStringLiteral("x"));
        state->setTheme(ListTheme::red, index);
    }
    EXPECT_EQ(fileBytes(), bytesBefore);
    EXPECT_EQ(changes->count(), 0);
}

// Each operation saves once and announces each property it changed once; an index or a group that did
// not change is not announced. Saves are counted by the one line each failed save prints; the index
// preference is written by the list operations even when the index stays.
TEST_F(ListOperations, AnOperationSavesOnceAndAnnouncesEachChangedPropertyOnce) {
    const struct {
        const char *title;
        std::function<void(AppState &)> run;
        int saves, lists, index, open, content;
        bool storesIndex;
    } rows[] = {
        {"addList", [](AppState &s) { s.addList(QStringLiteral("New"), ListTheme::red); }, 1, 1, 1, 0, 0,
         true},
        {"reorderTheActiveList", [](AppState &s) { s.reorderList(1, 0); }, 1, 1, 1, 0, 0, true},
        {"removeAListBeforeTheActive", [](AppState &s) { s.removeList(0); }, 1, 1, 0, 0, 1, true},
        {"switchToTheActiveList", [](AppState &s) { s.switchToList(1); }, 0, 0, 0, 1, 1, true},
        {"switchOutOfRange", [](AppState &s) { s.switchToList(3); }, 0, 0, 0, 0, 0, false},
        {"removeTheLastMember", [](AppState &s) { s.remove(s.currentItems()[0]); }, 1, 1, 0, 1, 1, false},
        {"renameToTheSameName", [](AppState &s) { s.renameList(0, QStringLiteral("L0")); }, 1, 0, 0, 0, 0,
         false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.title);
        load({"A", "G:x B", "C"}, 1);
        state->openSubList(id("G", 1));
        QSignalSpy lists(state.get(), &AppState::listsChanged),
            index(state.get(), &AppState::activeListIndexChanged),
            open(state.get(), &AppState::openSubListIDChanged);
        changes->clear();
        sandbox.preferences().setActiveListIndex(-1); // so that a write shows
        QFile::remove(sandbox.listsFile()); // a folder in its place makes every save fail and say so
        QDir().mkpath(sandbox.listsFile());
        const QString printed = captureStdout([&] { row.run(*state); });
        EXPECT_EQ(printed.count(QStringLiteral("could not save")), row.saves);
        EXPECT_EQ(state->lastChangeSaved(), row.saves == 0);
        EXPECT_EQ(lists.count(), row.lists);
        EXPECT_EQ(index.count(), row.index);
        EXPECT_EQ(open.count(), row.open);
        EXPECT_EQ(changes->count(), row.content);
        EXPECT_EQ(storedIndex(), row.storesIndex ? state->activeListIndex() : -1);
        QDir().rmdir(sandbox.listsFile());
    }
}

} // namespace
