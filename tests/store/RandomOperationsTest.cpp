#include "StoreFixture.h"

#include <functional>
#include <random>

// Thousands of random moves, many with ids the views would never pass. After each one every entry is there
// whole and once, groups are one level deep, and the lists file holds what the store holds.
namespace {

class RandomOperations : public StoreFixture, public ::testing::WithParamInterface<unsigned> {
  protected:
    int number(qsizetype below) { return std::uniform_int_distribution<int>(0, int(below) - 1)(m_random); }
    static QList<QUuid> ids(const QList<AppItem> &items, bool groups = false) {
        QList<QUuid> out;
        for (const AppItem &item : items)
            if (!groups || item.isSubList)
                out.append(item.id);
        return out;
    }
    QList<QUuid> all() const {
        QList<QUuid> out;
        for (const AppList &l : state->lists()) {
            out.append(l.id);
            for (const AppItem &item : l.items)
                out += QList{item.id} + ids(item.subItems.value_or(QList<AppItem>{}));
        }
        return out;
    }
    // Mostly one of the ids given, sometimes any id in the store, sometimes an unknown one.
    QUuid any(const QList<QUuid> &from) {
        const int roll = number(100);
        const QList<QUuid> pool = roll < 20 || from.isEmpty() ? all() : from;
        return roll < 5 ? QUuid::createUuid() : pool[number(pool.size())];
    }

    void step() {
        AppState &s = *state;
        const QList<AppItem> current = s.currentItems(), top = s.lists()[s.safeIndex()].items;
        const AppList other = s.lists()[number(s.lists().size())];
        const QUuid list = any({s.lists()[number(s.lists().size())].id}), group = any(ids(other.items, true));
        const std::function<void()> operations[] = {
            [&] { s.mergeIntoNewGroup(any(ids(top)), any(ids(top))); },
            [&] { s.moveItemToSubList(any(ids(top)), any(ids(top, true))); },
            [&] { s.moveTopLevelItem(any(ids(top)), group, list); },
            [&] { s.openSubList(any(ids(top, true))); },
            [&] { s.closeSubList(); },
            [&] { s.moveItemFromOpenSubList(any(ids(current)), list); },
            [&] { s.moveItemFromOpenSubList(any(ids(current)), group, list); },
            [&] { s.moveItem(any(ids(other.items)), other.id, list); },
            [&] { s.switchToList(number(s.lists().size() + 2) - 1); },
            [&] { s.addSubList(number(5) ? "Sub" : "\t ", std::nullopt); },
            [&] { // a drag: the ring reorders the current items, then saves
                s.withCurrentItems([&](QList<AppItem> &items) {
                    if (items.size() > 1)
                        items.move(number(items.size()), number(items.size()));
                });
                s.save();
            }};
        operations[number(std::size(operations))]();
    }

    std::mt19937 m_random;
};

TEST_P(RandomOperations, NoEntryIsEverLost) {
    m_random.seed(GetParam());
    load({"A B C G:x,y", "D H:z", ""});
    const auto expected = leaves(state->lists()); // pruning an empty group is no loss
    for (int i = 0; i < 1200 && !HasFatalFailure(); ++i) {
        SCOPED_TRACE(::testing::Message() << "seed " << GetParam() << ", step " << i);
        step();
        ASSERT_EQ(leaves(state->lists()), expected); // each whole and once
        for (const AppList &l : state->lists())
            for (const AppItem &item : l.items)
                for (const AppItem &member : item.subItems.value_or(QList<AppItem>{}))
                    ASSERT_FALSE(member.isSubList || member.subItems); // one level deep
        ASSERT_TRUE(state->activeListIndex() >= 0 && state->activeListIndex() < state->lists().size());
        ASSERT_EQ(onDisk(), state->lists());
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomOperations, ::testing::Values(1u, 2u, 3u, 4u));

} // namespace
