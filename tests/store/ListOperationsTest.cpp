#include "StoreFixture.h"

namespace {

class ListOperations : public StoreFixture {};

struct RemoveCase {
    const char *title;
    int count;
    int active;
    int removeAt;
    const char *expectedLists; // empty: nothing changes
    int expectedIndex;
};

class RemoveList : public StoreFixture, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(RemoveList, KeepsTheIndexByPosition) {
    const RemoveCase &c = GetParam();
    start(emptyLists(c.count), c.active);
    const QStringList before = listNames();
    const QByteArray bytesBefore = fileBytes();

    state->removeList(c.removeAt);

    if (QString::fromLatin1(c.expectedLists).isEmpty()) {
        EXPECT_EQ(listNames(), before);
        EXPECT_EQ(state->activeListIndex(), c.active);
        EXPECT_EQ(changes->count(), 0);
        EXPECT_EQ(fileBytes(), bytesBefore);
        return;
    }
    EXPECT_EQ(listNames(), words(c.expectedLists));
    EXPECT_EQ(state->activeListIndex(), c.expectedIndex);
    EXPECT_EQ(storedIndex(), c.expectedIndex);
    EXPECT_EQ(changes->count(), 1);
    EXPECT_EQ(onDisk(), state->lists());
}

INSTANTIATE_TEST_SUITE_P(Table, RemoveList,
                         ::testing::Values(RemoveCase{"beforeTheLastActive", 3, 2, 0, "L1 L2", 1},
                                           // L1 was active; the index stays 1, which is now L2.
                                           RemoveCase{"beforeTheActive", 3, 1, 0, "L1 L2", 1},
                                           RemoveCase{"afterTheActive", 3, 0, 2, "L0 L1", 0},
                                           RemoveCase{"theActiveLast", 3, 2, 2, "L0 L1", 1},
                                           RemoveCase{"theActiveMiddle", 3, 1, 1, "L0 L2", 1},
                                           RemoveCase{"theOnlyList", 1, 0, 0, "", 0},
                                           RemoveCase{"indexEqualToCount", 3, 0, 3, "", 0},
                                           RemoveCase{"negativeIndex", 3, 0, -1, "", 0}),
                         [](const auto &info) { return std::string(info.param.title); });

struct ReorderCase {
    const char *title;
    int active;
    int from;
    int to;
    const char *expectedLists; // empty: nothing changes
    int expectedIndex;
};

class ReorderList : public StoreFixture, public ::testing::WithParamInterface<ReorderCase> {};

TEST_P(ReorderList, KeepsTheSameListActive) {
    const ReorderCase &c = GetParam();
    start(emptyLists(5), c.active);
    const QByteArray bytesBefore = fileBytes();

    state->reorderList(c.from, c.to);

    EXPECT_EQ(changes->count(), 0);
    if (QString::fromLatin1(c.expectedLists).isEmpty()) {
        EXPECT_EQ(listNames(), words("L0 L1 L2 L3 L4"));
        EXPECT_EQ(state->activeListIndex(), c.active);
        EXPECT_EQ(fileBytes(), bytesBefore);
        return;
    }
    EXPECT_EQ(listNames(), words(c.expectedLists));
    EXPECT_EQ(state->activeListIndex(), c.expectedIndex);
    EXPECT_EQ(storedIndex(), c.expectedIndex);
    EXPECT_EQ(onDisk(), state->lists());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReorderList,
    ::testing::Values(ReorderCase{"activeMovesForward", 0, 0, 3, "L1 L2 L3 L0 L4", 3},
                      ReorderCase{"activeMovesBack", 3, 3, 0, "L3 L0 L1 L2 L4", 0},
                      ReorderCase{"otherCrossesActiveForward", 2, 0, 3, "L1 L2 L3 L0 L4", 1},
                      ReorderCase{"otherCrossesActiveBack", 2, 4, 0, "L4 L0 L1 L2 L3", 3},
                      ReorderCase{"otherMovesBehindActive", 1, 3, 4, "L0 L1 L2 L4 L3", 1},
                      ReorderCase{"sameIndex", 1, 2, 2, "", 0}, ReorderCase{"toEqualsCount", 1, 0, 5, "", 0},
                      ReorderCase{"fromEqualsCount", 1, 5, 0, "", 0},
                      ReorderCase{"negativeFrom", 1, -1, 0, "", 0},
                      ReorderCase{"negativeTo", 1, 0, -1, "", 0}),
    [](const auto &info) { return std::string(info.param.title); });

TEST_F(ListOperations, AddListMakesTheNewListActiveWithoutSignallingOrClosingTheGroup) {
    QList<AppList> lists = emptyLists(6);
    lists[2].items = entries("A G:x");
    start(lists, 2);
    state->openSubList(top(2, QStringLiteral("G")).id);
    const auto openGroup = state->openSubListID();
    changes->clear();

    state->addList(QStringLiteral("  Work "), ListTheme::teal);

    ASSERT_EQ(state->lists().size(), 7);
    const AppList &added = state->lists().last();
    EXPECT_EQ(added.name, QStringLiteral("  Work "));
    EXPECT_EQ(added.theme, ListTheme::teal);
    EXPECT_TRUE(added.items.isEmpty());
    EXPECT_TRUE(added.snapshot.isEmpty());
    EXPECT_EQ(state->activeListIndex(), 6);
    EXPECT_EQ(storedIndex(), 6);
    EXPECT_EQ(changes->count(), 0);
    // The group stays "open" but is no longer found in the new active list.
    EXPECT_EQ(state->openSubListID(), openGroup);
    EXPECT_FALSE(state->openSubList());
    EXPECT_TRUE(state->currentItems().isEmpty());
    EXPECT_EQ(onDisk(), state->lists());
}

TEST_F(ListOperations, AddListRefusesANinthList) {
    start(emptyLists(8), 3);
    const QByteArray bytesBefore = fileBytes();
    state->addList(QStringLiteral("Ninth"), ListTheme::red);
    EXPECT_EQ(state->lists().size(), 8);
    EXPECT_EQ(state->activeListIndex(), 3);
    EXPECT_EQ(storedIndex(), 3);
    EXPECT_EQ(fileBytes(), bytesBefore);
}

TEST_F(ListOperations, SwitchingToTheActiveListStillClosesTheGroupAndSignals) {
    QList<AppList> lists = emptyLists(2);
    lists[1].items = entries("G:x");
    start(lists, 1);
    state->openSubList(top(1, QStringLiteral("G")).id);
    sandbox.preferences().remove(QLatin1String(Preferences::activeListIndex));
    changes->clear();
    const QByteArray bytesBefore = fileBytes();

    state->switchToList(1);

    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(state->activeListIndex(), 1);
    EXPECT_EQ(storedIndex(), 1);
    EXPECT_EQ(changes->count(), 1);
    EXPECT_EQ(fileBytes(), bytesBefore); // switching is not a change of list data
}

TEST_F(ListOperations, SwitchingOutOfRangeDoesNothing) {
    QList<AppList> lists = emptyLists(2);
    lists[0].items = entries("G:x");
    start(lists, 0);
    state->openSubList(top(0, QStringLiteral("G")).id);
    changes->clear();
    for (int index : {-1, 2}) {
        state->switchToList(index);
        EXPECT_EQ(state->activeListIndex(), 0);
        EXPECT_TRUE(state->openSubListID());
        EXPECT_EQ(changes->count(), 0);
    }
}

TEST_F(ListOperations, RenameAndRecolourKeepTheTextExactlyAndGuardTheIndex) {
    start(emptyLists(2), 0);
    state->renameList(1, QString());
    state->setTheme(ListTheme::orange, 1);
    EXPECT_EQ(state->lists()[1].name, QString());
    EXPECT_EQ(state->lists()[1].theme, ListTheme::orange);
    EXPECT_EQ(onDisk(), state->lists());

    const QByteArray bytesBefore = fileBytes();
    state->renameList(2, QStringLiteral("x"));
    state->renameList(-1, QStringLiteral("x"));
    state->setTheme(ListTheme::red, 2);
    state->setTheme(ListTheme::red, -1);
    EXPECT_EQ(fileBytes(), bytesBefore);
    EXPECT_EQ(changes->count(), 0);
}

} // namespace
