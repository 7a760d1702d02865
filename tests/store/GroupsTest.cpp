#include "StoreFixture.h"

#include "l10n/L.h"

class Groups : public StoreFixture {};

// Merges and moves between groups and lists, as rows "lists before|operations|lists after" (lists split
// by "/", none: "A G:x H:h/C K:k"; "M" the merged group; moves out of G open it first). Every
// entry stays whole and once, the snapshot stays, and nothing is announced but the open group G closing when
// it loses its last member. A merge puts a new group of both entries, target first, in the target's place. A
// member moved out of the open group lands in the target group, else on the named list, else beside G; it is
// never lost. Top-level entries go to the end of another list, into a group there too (an absent member array
// counts as empty); refusals have their own table.
TEST_F(Groups, MergesAndMovesKeepEveryEntryWhole) {
    const QStringList rows = table(
        "A B F D E/C|merge E A|B F D M:E,A/C; A B F D E/C|merge A E|M:A,E B F D/C; "
        "|out x 1|A H:h/C K:k x; A G:x,y H:h/C K:k|out x 0|A G:y H:h x/C K:k; "
        "A G:x,y H:h/C K:k|out x H 0|A G:y H:h,x/C K:k; |out x K 1|A H:h/C K:k,x; |out x ? 0|A H:h x/C K:k; "
        "A G:x,y H:h/C K:k|out x K 0|A G:y H:h x/C K:k; A B G:x/C K:|item A 0 1|B G:x/C K: A; "
        "A B G:x/C K:|item G 0 1|A B/C K: G:x; A B G:x/C K:|top B K 1|A G:x/C K:B");
    for (const QString &row : rows) {
        SCOPED_TRACE(row.toStdString());
        const QStringList c = row.trimmed().split(u'|');
        QList<AppList> before = lists(QString(c[0].isEmpty() ? "A G:x H:h/C K:k" : c[0]).split(u'/'));
        for (AppItem &item : before.last().items)
            if (item.subItems && item.subItems->isEmpty())
                item.subItems.reset();
        start(before);
        const bool opened = c[1].startsWith("out");
        if (opened)
            run("open G");
        changes->clear();
        const std::optional<QUuid> made = run(c[1]);
        const bool pruned = opened && !shape(0).contains("G:");
        EXPECT_EQ(QStringList({shape(0), shape(1)}),
                  QString(c[2]).replace("M:", L::defaultGroupName() + ':').split(u'/'));
        EXPECT_EQ(leaves(state->lists()), leaves(before));
        EXPECT_EQ(names(state->lists()[0].snapshot), names(before[0].items));
        EXPECT_EQ(changes->count(), pruned ? 1 : 0);
        EXPECT_EQ(state->openSubListID().has_value(), opened && !pruned);
        if (c[1].startsWith("merge")) {
            const AppItem &group = top(0, L::defaultGroupName());
            EXPECT_TRUE(made == group.id && !group.folderTint && group.appPath.isEmpty());
        }
        expectSaved();
    }
}

// Groups are one level deep and only take top-level entries of the active list; entries move between
// lists only from the top level of the named one. In "A B G:x H:", "C K:": x is G's member, "0" and "1"
// the lists, "?" an unknown id; after "open G" merges, non-members and moves to no list or into G are
// refused.
TEST_F(Groups, RefusedMergesAndMovesChangeNothing) {
    load({"A B G:x H:", "C K:"});
    const QByteArray before = fileBytes();
    const QStringList rows = table(
        "merge A A; merge G A; merge A G; merge ? A; merge A C; merge A x; into H G; into G G; into A B; "
        "into A ?; into x H; into C G; top H G 0; top G G 0; top C K 1; top x K 1; top A C 1; top A G 1; "
        "top A K ?; item A 0 0; item A ? 1; item C 0 1; item x 0 1; out x 1; out x H 0; open G; merge A B; "
        "out A 1; out x G 0; out x H ?; out x ?");
    for (const QString &row : rows) {
        run(row);
        EXPECT_EQ(fileBytes(), before) << row.toStdString();
    }
    EXPECT_EQ(state->openSubListID(), id("G")) << "a refused move out leaves G open";
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
