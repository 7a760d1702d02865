#include "StoreFixture.h"

class ListOperations : public StoreFixture {};

// removeList keeps the index by position (clamped); reorderList keeps the same list active. A refused
// call leaves the file alone.
TEST_F(ListOperations, TheActiveIndexFollowsTheRule) {
    // "r COUNT ACTIVE AT" removes, "m COUNT ACTIVE FROM TO" reorders; then the lists and the active index.
    const QStringList rows =
        table("r 3 0 2: L0 L1: 0; r 3 2 2: L0 L1: 1; r 3 1 1: L0 L2: 1; r 1 0 0: L0: 0; "
              "r 3 0 3: L0 L1 L2: 0; r 3 0 -1: L0 L1 L2: 0; m 5 0 0 3: L1 L2 L3 L0 L4: 3; "
              "m 5 3 3 0: L3 L0 L1 L2 L4: 0; m 5 2 0 3: L1 L2 L3 L0 L4: 1; m 5 2 4 0: L4 L0 L1 L2 L3: 3; "
              "m 5 1 2 2: L0 L1 L2 L3 L4: 1; m 5 1 0 5: L0 L1 L2 L3 L4: 1; m 5 1 5 0: L0 L1 L2 L3 L4: 1; "
              "m 5 1 -1 0: L0 L1 L2 L3 L4: 1; m 5 1 0 -1: L0 L1 L2 L3 L4: 1");
    for (const QString &row : rows) {
        SCOPED_TRACE(row.toStdString());
        const QStringList parts = row.split(u':'), w = words(parts[0]), expected = words(parts[1]);
        const bool remove = w[0] == "r";
        const int count = w[1].toInt(), from = w[3].toInt(), index = parts[2].toInt();
        start(lists(QStringList(count, QString())), w[2].toInt());
        const QByteArray before = fileBytes();
        remove ? state->removeList(from) : state->reorderList(from, w.value(4).toInt());
        const bool refused = remove ? expected.size() == count : expected == words("L0 L1 L2 L3 L4");
        EXPECT_EQ(names(state->lists()), expected);
        EXPECT_EQ(state->activeListIndex(), index);
        EXPECT_EQ(changes->count(), remove && !refused ? 1 : 0);
        EXPECT_TRUE(refused ? fileBytes() == before : storedIndex() == index && onDisk() == state->lists());
    }
}

// A new list becomes the active one, stored, with the open group of the list before closed.
TEST_F(ListOperations, AddRenameAndRecolourKeepTheTextAndStopAtEight) {
    start(lists({"", "", "G:x", "", "", ""}), 2);
    state->openSubList(id("G", 2));
    state->addList("  Work ", ListTheme::teal);
    state->renameList(1, QString());
    state->setTheme(ListTheme::orange, 1);
    const QList<AppList> &l = state->lists();
    EXPECT_TRUE(l[6].name == "  Work " && l[6].theme == ListTheme::teal && l[1].name.isEmpty() &&
                l[1].theme == ListTheme::orange);
    EXPECT_TRUE(state->activeListIndex() == 6 && storedIndex() == 6 && !state->openSubListID() &&
                state->currentItems().isEmpty());
    state->addList("Eighth", ListTheme::red);
    expectSaved();
    const QByteArray full = fileBytes();
    state->addList("Ninth", ListTheme::red);
    for (int index : {-1, 8}) {
        state->renameList(index, "x");
        state->setTheme(ListTheme::red, index);
        state->switchToList(index);
    }
    EXPECT_TRUE(fileBytes() == full && state->activeListIndex() == 7);
}
