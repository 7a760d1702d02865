#include "StoreFixture.h"

#include <QSet>

#include <functional>
#include <random>

// Thousands of random operations, many with arguments the views would never pass. After each one, every
// entry not removed on purpose is present exactly once, groups are one level deep, and the lists file
// holds what the store holds.
namespace {

class RandomOperations : public StoreFixture, public ::testing::WithParamInterface<unsigned> {
  protected:
    int number(int below) { return std::uniform_int_distribution<int>(0, below - 1)(m_random); }
    bool chance(int percent) { return number(100) < percent; }
    template <typename T> const T &pick(const QList<T> &from) { return from[number(int(from.size()))]; }

    enum Top { none, all, groups, leaves };
    // Ids of the lists (when asked), of their top-level entries of a kind, and of the groups' members.
    QList<QUuid> collect(bool lists, Top top, bool members) const {
        QList<QUuid> out;
        for (const AppList &l : state->lists()) {
            if (lists)
                out.append(l.id);
            for (const AppItem &item : l.items) {
                if (top == all || (top != none && (top == groups) == item.isSubList))
                    out.append(item.id);
                if (members)
                    out += ids(item.subItems.value_or(QList<AppItem>{}));
            }
        }
        return out;
    }
    static QList<QUuid> ids(const QList<AppItem> &items, bool groupsOnly = false) {
        QList<QUuid> out;
        for (const AppItem &item : items)
            if (!groupsOnly || item.isSubList)
                out.append(item.id);
        return out;
    }
    // Mostly a real id of the given kind, sometimes any id at all, sometimes an unknown one.
    QUuid anyID(const QList<QUuid> &preferred) {
        if (chance(5))
            return QUuid::createUuid();
        return preferred.isEmpty() || chance(15) ? pick(collect(true, all, true)) : pick(preferred);
    }
    QUuid anyList() { return anyID(collect(true, none, false)); }
    QUuid anyGroup() { return anyID(collect(false, groups, false)); }
    int anyIndex() { return number(int(state->lists().size()) + 2) - 1; }

    // One random operation; returns its name for the failure message.
    const char *step() {
        AppState &s = *state;
        const QList<AppItem> current = s.currentItems(), top = s.lists()[s.safeIndex()].items;
        const auto adding = [this](auto operation) {
            return [this, operation] {
                operation();
                m_adding = true;
            };
        };
        const std::pair<const char *, std::function<void()>> operations[] = {
            {"addURL", adding([&] { s.addURL("example.com", chance(50) ? " " : "Site"); })},
            {"add", adding([&] { s.add(chance(50) ? m_folder : m_document); })},
            {"remove",
             [&] {
                 if (current.isEmpty() || chance(40))
                     return;
                 const AppItem victim = pick(current);
                 for (const QUuid &gone : ids({victim}) + ids(victim.subItems.value_or(QList<AppItem>{})))
                     m_expected.remove(gone);
                 s.remove(victim);
             }},
            {"mergeIntoNewGroup", [&] { s.mergeIntoNewGroup(anyID(ids(top)), anyID(ids(top))); }},
            {"moveItemToSubList", [&] { s.moveItemToSubList(anyID(ids(top)), anyID(ids(top, true))); }},
            {"moveTopLevelItem", [&] { s.moveTopLevelItem(anyID(ids(top)), anyGroup(), anyList()); }},
            {"openSubList", [&] { s.openSubList(anyID(ids(top, true))); }},
            {"closeSubList", [&] { s.closeSubList(); }},
            {"moveOutToList", [&] { s.moveItemFromOpenSubList(anyID(ids(current)), anyList()); }},
            {"moveOutToGroup",
             [&] { s.moveItemFromOpenSubList(anyID(ids(current)), anyGroup(), anyList()); }},
            {"moveItem",
             [&] {
                 const AppList &from = pick(s.lists());
                 s.moveItem(anyID(ids(from.items)), from.id, anyList());
             }},
            {"addList",
             [&] {
                 if (chance(40))
                     s.addList("List", ListTheme::orange);
             }},
            // Only empty lists are removed; removing a full one is not an entry operation.
            {"removeList",
             [&] {
                 const int index = anyIndex();
                 if (index < 0 || index >= s.lists().size() || s.lists()[index].items.isEmpty())
                     s.removeList(index);
             }},
            {"reorderList", [&] { s.reorderList(anyIndex(), anyIndex()); }},
            {"switchToList", [&] { s.switchToList(anyIndex()); }},
            {"addSubList", [&] { s.addSubList(chance(20) ? "\t " : "Sub", std::nullopt); }},
            // A reorder by drag: the ring changes the current items, then saves.
            {"reorder",
             [&] {
                 s.withCurrentItems([&](QList<AppItem> &items) {
                     if (items.size() > 1)
                         items.move(number(int(items.size())), number(int(items.size())));
                 });
                 s.save();
             }},
        };
        const auto &[name, operation] = operations[number(int(std::size(operations)))];
        operation();
        return name;
    }

    void check(const char *operation, int stepNumber) {
        SCOPED_TRACE(::testing::Message()
                     << "seed " << GetParam() << ", step " << stepNumber << ": " << operation);
        // Entries that are not groups, wherever they are: pruning an empty group is not a loss.
        const QList<QUuid> present = collect(false, leaves, true);
        const QSet<QUuid> now(present.cbegin(), present.cend());
        if (std::exchange(m_adding, false)) {
            ASSERT_EQ((now - m_expected).size(), 1); // exactly one entry appeared
            m_expected += now;
        }
        ASSERT_EQ(present.size(), m_expected.size()); // no duplicates
        ASSERT_EQ(now, m_expected);
        for (const AppList &l : state->lists())
            for (const AppItem &item : l.items)
                for (const AppItem &member : item.subItems.value_or(QList<AppItem>{}))
                    ASSERT_FALSE(member.isSubList || member.subItems); // one level deep
        ASSERT_TRUE(state->lists().size() >= 1 && state->lists().size() <= AppState::maxLists);
        ASSERT_TRUE(state->activeListIndex() >= 0 && state->activeListIndex() < state->lists().size());
        ASSERT_EQ(onDisk(), state->lists());
    }

    std::mt19937 m_random;
    QSet<QUuid> m_expected;
    bool m_adding = false;
    QString m_folder, m_document;
};

TEST_P(RandomOperations, NoEntryIsEverLost) {
    m_random.seed(GetParam());
    m_folder = sandbox.makeFolder("Projects");
    m_document = sandbox.writeFile("notes.txt", "x");
    load({"A B C G:x,y", "D H:z", ""});
    const QList<QUuid> initial = collect(false, leaves, true);
    m_expected = QSet<QUuid>(initial.cbegin(), initial.cend());
    for (int i = 0; i < 1200 && !HasFatalFailure(); ++i)
        check(step(), i);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomOperations, ::testing::Values(1u, 2u, 3u, 4u));

} // namespace
