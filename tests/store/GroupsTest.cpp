#include "StoreFixture.h"

#include "l10n/L.h"

namespace {

class Groups : public StoreFixture {};

// The target's place takes a new group of both entries, kept whole, target first. Rows: target, dragged,
// the list after ("G" the group).
TEST_F(Groups, MergeReplacesTheTargetByAGroupOfBoth) {
    for (const QString &row : table("D B A C G:D,B E; B D A G:B,D C E; C B A G:C,B D E; B C A G:B,C D E; "
                                    "E A B C D G:E,A; A E G:A,E B C D")) {
        const QStringList w = words(row);
        load({"A B C D E"});
        const AppItem onto = top(0, w[0]), moved = top(0, w[1]);
        const auto groupID = state->mergeIntoNewGroup(onto.id, moved.id);
        ASSERT_TRUE(groupID);
        EXPECT_EQ(shape(), w.mid(2).join(' ').replace("G:", L::defaultGroupName() + ':'))
            << row.toStdString();
        const AppItem &made = top(0, L::defaultGroupName());
        EXPECT_TRUE(made.id == *groupID && made.isSubList && !made.folderTint && made.appPath.isEmpty());
        EXPECT_EQ(*made.subItems, QList<AppItem>({onto, moved}));
        EXPECT_EQ(changes->count(), 0);
        expectSaved();
    }
}

// Groups are one level deep and only take top-level entries of the active list; entries move between
// lists only from the top level of the named one. In "A B G:x H:", "C K:": x is G's member, "0" and "1"
// the lists, "?" an unknown id; after "open G" merges and non-members are refused.
TEST_F(Groups, RefusedMergesAndMovesChangeNothing) {
    load({"A B G:x H:", "C K:"});
    const QByteArray before = fileBytes();
    const QStringList rows =
        table("merge A A; merge G A; merge A G; merge ? A; merge A ?; merge A C; merge A x; into H G; "
              "into G G; into A B; into A ?; into x H; into C G; top H G 0; top G G 0; top C K 1; "
              "top x K 1; top A C 1; top A G 1; top A K ?; item A 0 0; item A ? 1; item A 0 ?; "
              "item C 0 1; item x 0 1; out x 1; out x H 0; open G; merge A B; out A 1; out A H 0");
    for (const QString &row : rows) {
        run(row);
        EXPECT_EQ(fileBytes(), before) << row.toStdString();
    }
}

TEST_F(Groups, OpeningAndAddingTakeOnlyGroupsAndRefuseBlankNamesAndNesting) {
    load({"A G:x"});
    for (const QUuid &notAGroup : {id("A"), QUuid::createUuid()})
        state->openSubList(notAGroup);
    EXPECT_TRUE(!state->openSubListID() && changes->count() == 0);
    state->openSubList(id("G"));
    state->openSubList(id("G")); // again: signals again
    EXPECT_EQ(names(state->currentItems()), words("x"));
    state->closeSubList();
    EXPECT_TRUE(changes->count() == 3 && names(state->currentItems()) == words("A G"));

    EXPECT_FALSE(state->addSubList(" \t ", std::nullopt) || state->addSubList(QString(), std::nullopt));
    const auto groupID = state->addSubList(" Work ", "#06B6D4");
    ASSERT_TRUE(groupID);
    const AppItem &made = state->lists()[0].items.last();
    EXPECT_TRUE(made.id == *groupID && made.name == " Work " && made.isSubList &&
                made.folderTint == "#06B6D4");
    EXPECT_EQ(made.subItems, QList<AppItem>{}); // present, not absent
    expectSaved();
    state->openSubList(*groupID);
    const QByteArray before = fileBytes();
    EXPECT_FALSE(state->addSubList("Inner", std::nullopt));
    EXPECT_EQ(fileBytes(), before);
}

// A member moved out of the open group G lands in the target group, else on the named list, else beside
// G; it is never lost. The open group closes when it loses its last member. Rows: G's members, the move,
// the lists after ("=": refused).
TEST_F(Groups, MovingOutOfTheOpenGroupNeverLosesTheMember) {
    const QStringList rows =
        table("x|out x 1|A H:h|C K:k x; x,y|out x 0|A G:y H:h x; x,y|out x H 0|A G:y H:h,x; "
              "x|out x H 0|A H:h,x; x,y|out x K 1|A G:y H:h|C K:k,x; x|out x K 1|A H:h|C K:k,x; "
              "x,y|out x K 0|A G:y H:h x; x|out x ? 0|A H:h x; x|out x A 0|A H:h x; x|out x G 0|=; "
              "x|out x H ?|=; x|out x ?|=");
    for (const QString &row : rows) {
        SCOPED_TRACE(row.toStdString());
        const QStringList c = row.split(u'|');
        load({"A G:" + c[0] + " H:h", "C K:k"});
        run("open G");
        changes->clear();
        const QByteArray before = fileBytes();
        run(c[1]);
        if (c[2] == "=") {
            EXPECT_EQ(fileBytes(), before);
            EXPECT_TRUE(state->openSubListID());
            continue;
        }
        EXPECT_EQ(QStringList({shape(0), shape(1)}), QStringList({c[2], c.value(3, "C K:k")}));
        const bool pruned = !shape(0).contains("G:");
        EXPECT_EQ(changes->count(), pruned ? 1 : 0);
        EXPECT_EQ(state->openSubListID().has_value(), !pruned);
        expectSaved();
    }
}

// Views pass ids that live inside the store's own lists. Taking an entry out of the middle of a list
// shifts the ones behind it, so an operation must not read such an id after changing the list.
TEST_F(Groups, IdsPassedFromInsideTheListsStayValidWhileTheListsChange) {
    load({"E A B G:x H:y C D F"});
    const QUuid one = listID(0);
    const auto item = [&](int index) -> const QUuid & { return state->lists()[0].items[index].id; };
    state->moveItemToSubList(item(2), item(3));              // B into G
    state->moveTopLevelItem(item(1), item(3), one);          // A into H
    ASSERT_TRUE(state->mergeIntoNewGroup(item(4), item(3))); // C dragged onto D
    const QString merged = L::defaultGroupName();
    EXPECT_EQ(shape(), "E G:x,B H:y,A " + merged + ":D,C F");
    state->remove(state->lists()[0].items[2]); // H, with y and A
    // G loses its last member, and pruning it shifts the target group.
    state->openSubList(item(1));
    state->moveItemFromOpenSubList(state->currentItems()[0].id, one);          // x
    state->moveItemFromOpenSubList(state->currentItems()[0].id, item(2), one); // B into the merged group
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(shape(), "E " + merged + ":D,C,B F x");
    expectSaved();
}

} // namespace
