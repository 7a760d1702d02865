#include "StoreFixture.h"

#include "l10n/L.h"

#include <functional>

namespace {

class Groups : public StoreFixture {};

struct MergeCase {
    const char *title;
    const char *target;
    const char *dragged;
    const char *expected; // top-level names, "G" for the new group
};

class Merge : public Groups, public ::testing::WithParamInterface<MergeCase> {};

TEST_P(Merge, ReplacesTheTargetByAGroupOfBoth) {
    const MergeCase &c = GetParam();
    load({"A B C D E"});
    const AppItem target = top(0, QLatin1String(c.target));
    const AppItem dragged = top(0, QLatin1String(c.dragged));

    const auto groupID = state->mergeIntoNewGroup(target.id, dragged.id);

    ASSERT_TRUE(groupID);
    const qsizetype at = words(c.expected).indexOf(u"G");
    const AppItem made = state->lists()[0].items.value(at);
    EXPECT_EQ(made.id, *groupID);
    EXPECT_EQ(made.name, L::defaultGroupName());
    EXPECT_TRUE(made.isSubList && !made.folderTint && made.appPath.isEmpty());
    QStringList shownWithG = shown();
    shownWithG[at] = QStringLiteral("G");
    EXPECT_EQ(shownWithG, words(c.expected));
    EXPECT_EQ(*made.subItems, QList<AppItem>({target, dragged})); // both kept whole, target first
    EXPECT_EQ(changes->count(), 0);
    expectSaved();
}

INSTANTIATE_TEST_SUITE_P(Table, Merge,
                         ::testing::Values(MergeCase{"draggedBeforeTarget", "D", "B", "A C G E"},
                                           MergeCase{"draggedAfterTarget", "B", "D", "A G C E"},
                                           MergeCase{"draggedJustBefore", "C", "B", "A G D E"},
                                           MergeCase{"draggedJustAfter", "B", "C", "A G D E"},
                                           MergeCase{"firstOntoLast", "E", "A", "B C D G"},
                                           MergeCase{"lastOntoFirst", "A", "E", "G B C D"}),
                         [](const auto &test) { return std::string(test.param.title); });

// Groups are one level deep and only take top-level entries of the active list.
TEST_F(Groups, RefusedMergesAndMovesChangeNothing) {
    load({"A B G:x H:", "C K:"});
    const QByteArray bytesBefore = fileBytes();
    const QUuid a = id("A"), g = id("G"), h = id("H"), x = member("G"), c = id("C", 1), k = id("K", 1);
    const QUuid unknown = QUuid::createUuid();
    const auto merge = [&](QUuid target, QUuid dragged) {
        EXPECT_FALSE(state->mergeIntoNewGroup(target, dragged));
    };
    const auto into = [&](QUuid item, QUuid group) { state->moveItemToSubList(item, group); };
    const auto intoList = [&](QUuid item, QUuid group, int list) {
        state->moveTopLevelItem(item, group, listID(list));
    };
    const std::pair<const char *, std::function<void()>> rows[] = {
        {"mergeSameEntry", [&] { merge(a, a); }},
        {"mergeOntoAGroup", [&] { merge(g, a); }},
        {"mergeDraggingAGroup", [&] { merge(a, g); }},
        {"mergeUnknownTarget", [&] { merge(unknown, a); }},
        {"mergeUnknownDragged", [&] { merge(a, unknown); }},
        {"mergeFromAnotherList", [&] { merge(a, c); }},
        {"mergeAMember", [&] { merge(a, x); }},
        {"groupIntoGroup", [&] { into(h, g); }},
        {"groupIntoItself", [&] { into(g, g); }},
        {"intoAnEntry", [&] { into(a, id("B")); }},
        {"intoUnknownGroup", [&] { into(a, unknown); }},
        {"memberIntoGroup", [&] { into(x, h); }},
        {"fromAnotherListIntoGroup", [&] { into(c, g); }},
        {"groupIntoGroupOfList", [&] { intoList(h, g, 0); }},
        {"groupIntoItselfInList", [&] { intoList(g, g, 0); }},
        {"notInActiveList", [&] { intoList(c, k, 1); }},
        {"memberIntoGroupOfList", [&] { intoList(x, k, 1); }},
        {"targetNotAGroup", [&] { intoList(a, c, 1); }},
        {"groupNotInThatList", [&] { intoList(a, g, 1); }},
        {"unknownList", [&] { intoList(a, k, -1); }},
        {"moveOutWithNoGroupOpen", [&] { state->moveItemFromOpenSubList(x, listID(1)); }},
        {"moveOutToAGroupWithNoGroupOpen", [&] { state->moveItemFromOpenSubList(x, h, listID(0)); }},
        {"mergeWhileAGroupIsOpen",
         [&] {
             state->openSubList(g);
             merge(a, id("B"));
         }},
        {"moveOutANonMember", [&] { state->moveItemFromOpenSubList(a, listID(1)); }},
        {"moveOutANonMemberToAGroup", [&] { state->moveItemFromOpenSubList(a, h, listID(0)); }},
    };
    for (const auto &[title, operation] : rows) {
        operation();
        EXPECT_EQ(fileBytes(), bytesBefore) << title;
    }
}

TEST_F(Groups, OpeningAndClosingSignalOnlyForGroups) {
    load({"A G:x"});
    state->openSubList(id("A"));
    state->openSubList(QUuid::createUuid());
    state->closeSubList();
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(changes->count(), 0);

    state->openSubList(id("G"));
    state->openSubList(id("G")); // again: signals again
    EXPECT_EQ(changes->count(), 2);
    EXPECT_EQ(names(state->currentItems()), words("x"));
    state->closeSubList();
    EXPECT_EQ(changes->count(), 3);
    EXPECT_EQ(names(state->currentItems()), words("A G"));
}

TEST_F(Groups, AddSubListKeepsTheNameAndRefusesBlankNamesAndNesting) {
    load({"A"});
    EXPECT_FALSE(state->addSubList(QStringLiteral(" \t "), std::nullopt));
    EXPECT_FALSE(state->addSubList(QString(), std::nullopt));

    const auto groupID = state->addSubList(QStringLiteral(" Work "), QStringLiteral("#06B6D4"));
    ASSERT_TRUE(groupID);
    const AppItem &made = state->lists()[0].items.last();
    EXPECT_EQ(made.id, *groupID);
    EXPECT_EQ(made.name, QStringLiteral(" Work "));
    EXPECT_EQ(made.folderTint, QStringLiteral("#06B6D4"));
    EXPECT_TRUE(made.isSubList);
    EXPECT_EQ(made.subItems, QList<AppItem>{}); // present, not absent
    expectSaved();

    state->openSubList(*groupID);
    const QByteArray bytesBefore = fileBytes();
    EXPECT_FALSE(state->addSubList(QStringLiteral("Inner"), std::nullopt));
    EXPECT_EQ(fileBytes(), bytesBefore);
}

struct MoveOutCase {
    const char *title;
    const char *members;     // of the open group G in list L0 ("A G:<members> H:h")
    const char *targetGroup; // "H" (L0), "K" (L1), "G" (itself), "?" unknown; "" moves to the list
    int targetList;          // -1 unknown
    const char *expected;    // top-level names of L0 afterwards; empty: nothing changes
    const char *target;      // members of the target group, or the target list's names
    bool prunes;             // the open group lost its last member
};

class MoveOut : public Groups, public ::testing::WithParamInterface<MoveOutCase> {};

TEST_P(MoveOut, NeverLosesTheMember) {
    const MoveOutCase &c = GetParam();
    const QByteArray one = "A G:" + QByteArray(c.members) + " H:h";
    load({one.constData(), "C K:k"});
    state->openSubList(id("G"));
    changes->clear();
    const QByteArray bytesBefore = fileBytes();
    const QString target = QLatin1String(c.targetGroup);
    const int inList = target == u"K" ? 1 : 0;

    if (target.isEmpty())
        state->moveItemFromOpenSubList(member("G"), listID(c.targetList));
    else
        state->moveItemFromOpenSubList(member("G"), target == u"?" ? QUuid::createUuid() : id(target, inList),
                                       listID(c.targetList));

    if (!*c.expected) {
        EXPECT_EQ(fileBytes(), bytesBefore);
        EXPECT_TRUE(state->openSubListID());
        return;
    }
    EXPECT_EQ(shown(0), words(c.expected));
    if (target.isEmpty()) {
        EXPECT_EQ(shown(c.targetList), words(c.target));
    } else if (target == u"K" || target == u"H") {
        EXPECT_EQ(membersOf(target, inList), words(c.target));
    }
    EXPECT_EQ(changes->count(), c.prunes ? 1 : 0);
    EXPECT_EQ(state->openSubListID().has_value(), !c.prunes);
    expectSaved();
}

INSTANTIATE_TEST_SUITE_P(
    Table, MoveOut,
    ::testing::Values(MoveOutCase{"lastMemberToOtherList", "x", "", 1, "A H", "C K x", true},
                      // Back on the ring beside the group.
                      MoveOutCase{"toTheActiveList", "x,y", "", 0, "A G H x", "A G H x", false},
                      MoveOutCase{"toGroupInSameList", "x,y", "H", 0, "A G H", "h x", false},
                      MoveOutCase{"lastMemberToGroupInSameList", "x", "H", 0, "A H", "h x", true},
                      MoveOutCase{"toGroupInOtherList", "x,y", "K", 1, "A G H", "k x", false},
                      MoveOutCase{"lastMemberToGroupInOtherList", "x", "K", 1, "A H", "k x", true},
                      // The group is not in the named list: the member lands on the active list.
                      MoveOutCase{"groupNotInList", "x,y", "K", 0, "A G H x", "k", false},
                      MoveOutCase{"lastMemberGroupNotInList", "x", "?", 0, "A H x", "", true},
                      MoveOutCase{"targetIsAnEntry", "x", "A", 0, "A H x", "", true},
                      MoveOutCase{"intoTheOpenGroup", "x", "G", 0, "", "", false},
                      MoveOutCase{"unknownList", "x", "H", -1, "", "", false},
                      MoveOutCase{"toUnknownList", "x", "", -1, "", "", false}),
    [](const auto &test) { return std::string(test.param.title); });

// Views pass ids that live inside the store's own lists. Taking an entry out of the middle of a list
// shifts the ones behind it, so an operation must not read such an id after changing the list.
TEST_F(Groups, IdsPassedFromInsideTheListsStayValidWhileTheListsChange) {
    load({"E A B G:x H:y C D F"});
    const QUuid one = listID(0);
    const auto item = [&](int index) -> const QUuid & { return state->lists()[0].items[index].id; };

    state->moveItemToSubList(item(2), item(3)); // B into G
    EXPECT_EQ(membersOf("G"), words("x B"));

    state->moveTopLevelItem(item(1), item(3), one); // A into H
    EXPECT_EQ(membersOf("H"), words("y A"));

    const auto merged = state->mergeIntoNewGroup(item(4), item(3)); // C dragged onto D
    ASSERT_TRUE(merged);
    EXPECT_EQ(state->lists()[0].items[3].id, *merged);
    EXPECT_EQ(names(*state->lists()[0].items[3].subItems), words("D C"));

    state->remove(state->lists()[0].items[2]); // H, with y and A
    const QString merge = L::defaultGroupName();
    EXPECT_EQ(shown(), QStringList({QStringLiteral("E"), QStringLiteral("G"), merge, QStringLiteral("F")}));

    // G loses its last member, and pruning it shifts the target group.
    state->openSubList(item(1));
    state->moveItemFromOpenSubList(state->currentItems()[0].id, one);          // x
    state->moveItemFromOpenSubList(state->currentItems()[0].id, item(2), one); // B into the merged group
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(shown(), QStringList({QStringLiteral("E"), merge, QStringLiteral("F"), QStringLiteral("x")}));
    EXPECT_EQ(names(*state->lists()[0].items[1].subItems), words("D C B"));
    expectSaved();
}

} // namespace
