#include "StoreFixture.h"

#include "l10n/L.h"

namespace {

class Groups : public StoreFixture {
  protected:
    QUuid id(const QString &name) const { return top(0, name).id; }
    QUuid member(const QString &groupName, int index) const {
        return (*top(0, groupName).subItems)[index].id;
    }
};

struct MergeCase {
    const char *title;
    const char *target;
    const char *dragged;
    const char *expected; // top-level names, "G" for the new group
    const char *members;
};

class Merge : public Groups, public ::testing::WithParamInterface<MergeCase> {};

TEST_P(Merge, ReplacesTheTargetByAGroupOfBoth) {
    const MergeCase &c = GetParam();
    start({list(QStringLiteral("One"), QStringLiteral("A B C D E"))});
    const AppItem target = top(0, QLatin1String(c.target));
    const AppItem dragged = top(0, QLatin1String(c.dragged));

    const auto groupID = state->mergeIntoNewGroup(target.id, dragged.id);

    ASSERT_TRUE(groupID);
    QStringList shown;
    for (const AppItem &item : state->lists()[0].items)
        shown.append(item.id == *groupID ? QStringLiteral("G") : item.name);
    EXPECT_EQ(shown, words(c.expected));
    const AppItem *made = nullptr;
    for (const AppItem &item : state->lists()[0].items) {
        if (item.id == *groupID)
            made = &item;
    }
    ASSERT_TRUE(made);
    EXPECT_TRUE(made->isSubList);
    EXPECT_EQ(made->name, L::defaultGroupName());
    EXPECT_FALSE(made->folderTint);
    EXPECT_TRUE(made->bundleIdentifier.isEmpty() && made->appPath.isEmpty());
    // Both entries keep their ids and everything else.
    EXPECT_EQ(*made->subItems, QList<AppItem>({target, dragged}));
    EXPECT_EQ(names(*made->subItems), words(c.members));
    EXPECT_EQ(changes->count(), 0);
    EXPECT_EQ(onDisk(), state->lists());
}

INSTANTIATE_TEST_SUITE_P(Table, Merge,
                         ::testing::Values(MergeCase{"draggedBeforeTarget", "D", "B", "A C G E", "D B"},
                                           MergeCase{"draggedAfterTarget", "B", "D", "A G C E", "B D"},
                                           MergeCase{"draggedJustBefore", "C", "B", "A G D E", "C B"},
                                           MergeCase{"draggedJustAfter", "B", "C", "A G D E", "B C"},
                                           MergeCase{"firstOntoLast", "E", "A", "B C D G", "E A"},
                                           MergeCase{"lastOntoFirst", "A", "E", "G B C D", "A E"}),
                         [](const auto &info) { return std::string(info.param.title); });

TEST_F(Groups, MergeRefusalsChangeNothing) {
    start({list(QStringLiteral("One"), QStringLiteral("A B H:x")),
           list(QStringLiteral("Two"), QStringLiteral("C"))});
    const QByteArray bytesBefore = fileBytes();
    const QUuid a = id(QStringLiteral("A"));
    const QUuid b = id(QStringLiteral("B"));
    const QUuid h = id(QStringLiteral("H"));
    const struct {
        const char *title;
        QUuid target, dragged;
    } rows[] = {
        {"sameEntry", a, a},
        {"ontoAGroup", h, a},
        {"draggingAGroup", a, h},
        {"unknownTarget", QUuid::createUuid(), a},
        {"unknownDragged", a, QUuid::createUuid()},
        {"fromAnotherList", a, state->lists()[1].items[0].id},
        {"groupMember", a, member(QStringLiteral("H"), 0)},
    };
    for (const auto &row : rows) {
        EXPECT_FALSE(state->mergeIntoNewGroup(row.target, row.dragged)) << row.title;
        EXPECT_EQ(fileBytes(), bytesBefore) << row.title;
    }
    state->openSubList(h);
    EXPECT_FALSE(state->mergeIntoNewGroup(a, b));
    EXPECT_EQ(fileBytes(), bytesBefore);
}

TEST_F(Groups, MoveItemToSubListAppendsWhereverTheGroupStands) {
    start({list(QStringLiteral("One"), QStringLiteral("A G:x B"))});
    state->moveItemToSubList(id(QStringLiteral("A")), id(QStringLiteral("G"))); // the group shifts left
    state->moveItemToSubList(id(QStringLiteral("B")), id(QStringLiteral("G")));
    EXPECT_EQ(names(state->lists()[0].items), words("G"));
    EXPECT_EQ(names(*top(0, QStringLiteral("G")).subItems), words("x A B"));
    EXPECT_EQ(onDisk(), state->lists());
}

TEST_F(Groups, MoveItemToSubListRefusals) {
    start({list(QStringLiteral("One"), QStringLiteral("A G:x H:")),
           list(QStringLiteral("Two"), QStringLiteral("C"))});
    const QByteArray bytesBefore = fileBytes();
    const QUuid a = id(QStringLiteral("A"));
    const QUuid g = id(QStringLiteral("G"));
    const struct {
        const char *title;
        QUuid item, group;
    } rows[] = {
        {"groupIntoGroup", id(QStringLiteral("H")), g},
        {"intoItself", g, g},
        {"intoAnEntry", a, id(QStringLiteral("A"))},
        {"unknownGroup", a, QUuid::createUuid()},
        {"memberOfAGroup", member(QStringLiteral("G"), 0), id(QStringLiteral("H"))},
        {"fromAnotherList", state->lists()[1].items[0].id, g},
    };
    for (const auto &row : rows) {
        state->moveItemToSubList(row.item, row.group);
        EXPECT_EQ(fileBytes(), bytesBefore) << row.title;
    }
}

TEST_F(Groups, OpeningAndClosingSignalOnlyForGroups) {
    start({list(QStringLiteral("One"), QStringLiteral("A G:x"))});
    state->openSubList(id(QStringLiteral("A")));
    state->openSubList(QUuid::createUuid());
    state->closeSubList();
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(changes->count(), 0);

    state->openSubList(id(QStringLiteral("G")));
    state->openSubList(id(QStringLiteral("G"))); // again: signals again
    EXPECT_EQ(changes->count(), 2);
    EXPECT_EQ(names(state->currentItems()), words("x"));
    state->closeSubList();
    EXPECT_EQ(changes->count(), 3);
    EXPECT_EQ(names(state->currentItems()), words("A G"));
}

TEST_F(Groups, AddSubList) {
    start({list(QStringLiteral("One"), QStringLiteral("A"))});
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
    EXPECT_EQ(onDisk(), state->lists());

    // Groups are one level deep.
    state->openSubList(*groupID);
    const QByteArray bytesBefore = fileBytes();
    EXPECT_FALSE(state->addSubList(QStringLiteral("Inner"), std::nullopt));
    EXPECT_EQ(fileBytes(), bytesBefore);
}

TEST_F(Groups, WithCurrentItemsWritesMembersBackAndIsRefusedWithoutLists) {
    QList<AppList> lists{list(QStringLiteral("One"), QStringLiteral("A G:"))};
    lists[0].items[1].subItems.reset();
    start(lists);
    state->openSubList(id(QStringLiteral("G")));
    int calls = 0;
    EXPECT_TRUE(state->withCurrentItems([&](QList<AppItem> &items) {
        ++calls;
        EXPECT_TRUE(items.isEmpty());
    }));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(top(0, QStringLiteral("G")).subItems, QList<AppItem>{}); // now present

    state->closeSubList();
    state->withCurrentItems([](QList<AppItem> &items) { items.move(0, 1); });
    EXPECT_EQ(names(state->currentItems()), words("G A"));
}

TEST_F(Groups, MovingTheLastMemberOutDeletesTheOpenGroup) {
    start({list(QStringLiteral("One"), QStringLiteral("A G:x")),
           list(QStringLiteral("Two"), QStringLiteral("C"))});
    state->openSubList(id(QStringLiteral("G")));
    changes->clear();

    state->moveItemFromOpenSubList(member(QStringLiteral("G"), 0), state->lists()[1].id);

    EXPECT_EQ(names(state->lists()[0].items), words("A"));
    EXPECT_EQ(names(state->lists()[1].items), words("C x"));
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(changes->count(), 1);
    EXPECT_EQ(onDisk(), state->lists());
}

TEST_F(Groups, MovingAMemberToTheActiveListPutsItBesideTheGroup) {
    start({list(QStringLiteral("One"), QStringLiteral("A G:x,y B"))});
    const QUuid g = id(QStringLiteral("G"));
    state->openSubList(g);
    changes->clear();

    state->moveItemFromOpenSubList(member(QStringLiteral("G"), 0), state->lists()[0].id);

    EXPECT_EQ(names(state->lists()[0].items), words("A G B x"));
    EXPECT_EQ(names(state->currentItems()), words("y"));
    EXPECT_EQ(state->openSubListID(), g);
    EXPECT_EQ(changes->count(), 0);
    EXPECT_EQ(onDisk(), state->lists());
}

struct OutToGroupCase {
    const char *title;
    const char *members;        // of the open group G in list One ("A G:<members> H:h")
    const char *targetGroup;    // "H" (list One), "K" (list Two), "G" (itself), "?" unknown
    int targetList;             // -1 unknown
    const char *expectedOne;    // top-level names of list One afterwards; empty: nothing changes
    const char *expectedTarget; // members of the target group afterwards
    bool prunes;                // the open group lost its last member
};

class MoveOutToGroup : public Groups, public ::testing::WithParamInterface<OutToGroupCase> {};

TEST_P(MoveOutToGroup, NeverLosesTheMember) {
    const OutToGroupCase &c = GetParam();
    start({list(QStringLiteral("One"), QStringLiteral("A G:%1 H:h").arg(QLatin1String(c.members))),
           list(QStringLiteral("Two"), QStringLiteral("C K:k"))});
    state->openSubList(id(QStringLiteral("G")));
    changes->clear();
    const QByteArray bytesBefore = fileBytes();
    const QUuid moving = member(QStringLiteral("G"), 0);
    const QString target = QLatin1String(c.targetGroup);
    const QUuid groupID = target == u"?"   ? QUuid::createUuid()
                          : target == u"K" ? state->lists()[1].items[1].id
                                           : id(target);
    const QUuid listID = c.targetList < 0 ? QUuid::createUuid() : state->lists()[c.targetList].id;

    state->moveItemFromOpenSubList(moving, groupID, listID);

    if (QString::fromLatin1(c.expectedOne).isEmpty()) {
        EXPECT_EQ(fileBytes(), bytesBefore);
        EXPECT_TRUE(state->openSubListID());
        return;
    }
    EXPECT_EQ(names(state->lists()[0].items), words(c.expectedOne));
    if (target == u"K")
        EXPECT_EQ(names(*state->lists()[1].items[1].subItems), words(c.expectedTarget));
    else if (target == u"H")
        EXPECT_EQ(names(*top(0, QStringLiteral("H")).subItems), words(c.expectedTarget));
    EXPECT_EQ(changes->count(), c.prunes ? 1 : 0);
    EXPECT_EQ(state->openSubListID().has_value(), !c.prunes);
    EXPECT_EQ(onDisk(), state->lists());
}

INSTANTIATE_TEST_SUITE_P(
    Table, MoveOutToGroup,
    ::testing::Values(OutToGroupCase{"toGroupInSameList", "x,y", "H", 0, "A G H", "h x", false},
                      OutToGroupCase{"lastMemberToGroupInSameList", "x", "H", 0, "A H", "h x", true},
                      OutToGroupCase{"toGroupInOtherList", "x,y", "K", 1, "A G H", "k x", false},
                      OutToGroupCase{"lastMemberToGroupInOtherList", "x", "K", 1, "A H", "k x", true},
                      // The group is not in the named list: the member lands on the active list.
                      OutToGroupCase{"groupNotInList", "x,y", "K", 0, "A G H x", "k", false},
                      OutToGroupCase{"lastMemberGroupNotInList", "x", "?", 0, "A H x", "", true},
                      OutToGroupCase{"targetIsAnEntry", "x", "A", 0, "A H x", "", true},
                      OutToGroupCase{"intoTheOpenGroup", "x", "G", 0, "", "", false},
                      OutToGroupCase{"unknownList", "x", "H", -1, "", "", false}),
    [](const auto &info) { return std::string(info.param.title); });

TEST_F(Groups, MoveOutRefusesEntriesThatAreNotMembers) {
    start({list(QStringLiteral("One"), QStringLiteral("A G:x H:")),
           list(QStringLiteral("Two"), QStringLiteral("C"))});
    const QByteArray bytesBefore = fileBytes();
    const QUuid two = state->lists()[1].id;
    // No group open.
    state->moveItemFromOpenSubList(member(QStringLiteral("G"), 0), two);
    state->moveItemFromOpenSubList(member(QStringLiteral("G"), 0), id(QStringLiteral("H")),
                                   state->lists()[0].id);
    state->openSubList(id(QStringLiteral("G")));
    // A top-level entry is not a member of the open group.
    state->moveItemFromOpenSubList(id(QStringLiteral("A")), two);
    state->moveItemFromOpenSubList(id(QStringLiteral("A")), id(QStringLiteral("H")), state->lists()[0].id);
    state->moveItemFromOpenSubList(member(QStringLiteral("G"), 0), QUuid::createUuid());
    EXPECT_EQ(fileBytes(), bytesBefore);
}

TEST_F(Groups, AGroupFromAnotherListIsNotFoundAfterTheListChanges) {
    start({list(QStringLiteral("One"), QStringLiteral("G:x")),
           list(QStringLiteral("Two"), QStringLiteral("A B"))});
    state->openSubList(id(QStringLiteral("G")));
    state->removeList(0); // the open id is left over from a list that is gone
    EXPECT_FALSE(state->openSubList());
    EXPECT_EQ(names(state->currentItems()), words("A B"));
    state->remove(state->currentItems().first());
    EXPECT_EQ(names(state->lists()[0].items), words("B"));
    EXPECT_EQ(onDisk(), state->lists());
}

} // namespace

namespace {

// Views pass ids that live inside the store's own lists. Taking an entry out of the middle of a list
// shifts the ones behind it, so an operation must not read such an id after changing the list.
TEST_F(Groups, IdsPassedFromInsideTheListsStayValidWhileTheListsChange) {
    start({list(QStringLiteral("One"), QStringLiteral("E A B G:x H:y C D F"))});
    const QUuid one = state->lists()[0].id;
    const auto item = [&](int index) -> const QUuid & { return state->lists()[0].items[index].id; };

    state->moveItemToSubList(item(2), item(3)); // B into G
    EXPECT_EQ(names(*top(0, QStringLiteral("G")).subItems), words("x B"));

    state->moveTopLevelItem(item(1), item(3), one); // A into H
    EXPECT_EQ(names(*top(0, QStringLiteral("H")).subItems), words("y A"));

    const auto merged = state->mergeIntoNewGroup(item(4), item(3)); // C dragged onto D
    ASSERT_TRUE(merged);
    EXPECT_EQ(state->lists()[0].items[3].id, *merged);
    EXPECT_EQ(names(*state->lists()[0].items[3].subItems), words("D C"));

    state->remove(state->lists()[0].items[2]); // H, with y and A
    EXPECT_EQ(names(state->lists()[0].items), QStringList({QStringLiteral("E"), QStringLiteral("G"),
                                                           L::defaultGroupName(), QStringLiteral("F")}));

    // G loses its last member, and pruning it shifts the target group.
    state->openSubList(item(1));
    state->moveItemFromOpenSubList(state->currentItems()[0].id, one);          // x
    state->moveItemFromOpenSubList(state->currentItems()[0].id, item(2), one); // B into the merged group
    EXPECT_FALSE(state->openSubListID());
    EXPECT_EQ(names(state->lists()[0].items), QStringList({QStringLiteral("E"), L::defaultGroupName(),
                                                           QStringLiteral("F"), QStringLiteral("x")}));
    EXPECT_EQ(names(*state->lists()[0].items[1].subItems), words("D C B"));
    EXPECT_EQ(onDisk(), state->lists());
}

} // namespace
