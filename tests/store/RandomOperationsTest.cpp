#include "StoreFixture.h"

#include <QSet>

#include <functional>
#include <random>

// Thousands of random operations, many of them with arguments that the views would never pass. After
// each one, every entry that was not removed on purpose must be present exactly once, groups must still
// be one level deep, and the lists file must hold what the store holds.
namespace {

class RandomOperations : public StoreFixture, public ::testing::WithParamInterface<unsigned> {
  protected:
    template <typename T> const T &pick(const QList<T> &from) {
        return from[std::uniform_int_distribution<qsizetype>(0, from.size() - 1)(m_random)];
    }
    int number(int below) { return std::uniform_int_distribution<int>(0, below - 1)(m_random); }
    bool chance(int percent) { return number(100) < percent; }

    // Mostly a real id of the given kind, sometimes any id at all, sometimes an unknown one.
    QUuid anyID(const QList<QUuid> &preferred) {
        if (chance(5))
            return QUuid::createUuid();
        if (preferred.isEmpty() || chance(15))
            return pick(everyID());
        return pick(preferred);
    }

    enum Top { none, all, groups, entries };
    // Ids of the lists, of their top-level entries of a kind, and of the groups' members.
    QList<QUuid> collect(bool listIDs, Top top, bool members) const {
        QList<QUuid> out;
        for (const AppList &l : state->lists()) {
            if (listIDs)
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
    QList<QUuid> everyID() const { return collect(true, all, true); }
    QList<QUuid> listIDs() const { return collect(true, none, false); }
    // Entries that are not groups, wherever they are: pruning an empty group is not a loss.
    QList<QUuid> leafIDs() const { return collect(false, entries, true); }
    static QList<QUuid> ids(const QList<AppItem> &items, bool groupsOnly = false) {
        QList<QUuid> out;
        for (const AppItem &item : items)
            if (!groupsOnly || item.isSubList)
                out.append(item.id);
        return out;
    }
    int anyIndex() { return number(int(state->lists().size()) + 2) - 1; }

    // One random operation; returns its name for the failure message.
    const char *step() {
        const QList<AppItem> current = state->currentItems();
        const QList<AppItem> top = state->lists()[state->safeIndex()].items;
        const auto add = [&](auto operation) {
            operation();
            m_adding = true;
        };
        const auto groupIDs = [&] { return collect(false, Top::groups, false); };
        const std::pair<const char *, std::function<void()>> operations[] = {
            {"addURL",
             [&] { add([&] { state->addURL(QStringLiteral("example.com"), chance(50) ? " " : "Site"); }); }},
            {"add", [&] { add([&] { state->add(chance(50) ? m_folder : m_document); }); }},
            {"remove",
             [&] {
                 if (current.isEmpty() || chance(40))
                     return;
                 const AppItem victim = pick(current);
                 for (const QUuid &gone : ids({victim}) + ids(victim.subItems.value_or(QList<AppItem>{})))
                     m_expected.remove(gone); // a group's own id is never expected
                 state->remove(victim);
             }},
            {"mergeIntoNewGroup", [&] { state->mergeIntoNewGroup(anyID(ids(top)), anyID(ids(top))); }},
            {"moveItemToSubList", [&] { state->moveItemToSubList(anyID(ids(top)), anyID(ids(top, true))); }},
            {"moveTopLevelItem",
             [&] { state->moveTopLevelItem(anyID(ids(top)), anyID(groupIDs()), anyID(listIDs())); }},
            {"openSubList", [&] { state->openSubList(anyID(ids(top, true))); }},
            {"closeSubList", [&] { state->closeSubList(); }},
            {"moveItemFromOpenSubList(toList)",
             [&] { state->moveItemFromOpenSubList(anyID(ids(current)), anyID(listIDs())); }},
            {"moveItemFromOpenSubList(toGroup)",
             [&] {
                 state->moveItemFromOpenSubList(anyID(ids(current)), anyID(groupIDs()), anyID(listIDs()));
             }},
            {"moveItem",
             [&] {
                 const AppList &from = pick(state->lists());
                 state->moveItem(anyID(ids(from.items)), from.id, anyID(listIDs()));
             }},
            {"addList",
             [&] {
                 if (chance(40))
                     state->addList(QStringLiteral("List"), ListTheme::orange);
             }},
            // Only empty lists are removed; removing a full one is not an entry operation.
            {"removeList",
             [&] {
                 const int index = anyIndex();
                 if (index < 0 || index >= state->lists().size() || state->lists()[index].items.isEmpty())
                     state->removeList(index);
             }},
            {"reorderList", [&] { state->reorderList(anyIndex(), anyIndex()); }},
            {"switchToList", [&] { state->switchToList(anyIndex()); }},
            {"addSubList", [&] { state->addSubList(chance(20) ? "\t " : "Sub", std::nullopt); }},
            // A reorder by drag: the ring changes the current items, then saves.
            {"reorder",
             [&] {
                 state->withCurrentItems([&](QList<AppItem> &items) {
                     if (items.size() > 1)
                         items.move(number(int(items.size())), number(int(items.size())));
                 });
                 state->save();
             }},
        };
        const auto &[name, operation] = operations[number(int(std::size(operations)))];
        operation();
        return name;
    }

    void check(const char *operation, int stepNumber) {
        SCOPED_TRACE(::testing::Message()
                     << "seed " << GetParam() << ", step " << stepNumber << ": " << operation);
        const QList<QUuid> present = leafIDs();
        const QSet<QUuid> now(present.cbegin(), present.cend());
        if (std::exchange(m_adding, false)) {
            ASSERT_EQ((now - m_expected).size(), 1); // exactly one entry appeared
            m_expected += now - m_expected;
        }
        ASSERT_EQ(present.size(), m_expected.size()); // no duplicates
        ASSERT_EQ(now, m_expected);
        for (const AppList &l : state->lists())
            for (const AppItem &item : l.items)
                for (const AppItem &member : item.subItems.value_or(QList<AppItem>{}))
                    ASSERT_FALSE(member.isSubList || member.subItems); // one level deep
        ASSERT_GE(state->lists().size(), 1);
        ASSERT_LE(state->lists().size(), AppState::maxLists);
        ASSERT_GE(state->activeListIndex(), 0);
        ASSERT_LT(state->activeListIndex(), state->lists().size());
        ASSERT_EQ(onDisk(), state->lists());
    }

    std::mt19937 m_random;
    QSet<QUuid> m_expected;
    bool m_adding = false;
    QString m_folder;
    QString m_document;
};

TEST_P(RandomOperations, NoEntryIsEverLost) {
    m_random.seed(GetParam());
    m_folder = sandbox.makeFolder(QStringLiteral("Projects"));
    m_document = sandbox.writeFile(QStringLiteral("notes.txt"), "x");
    load({"A B C G:x,y", "D H:z", ""});
    const QList<QUuid> initial = leafIDs();
    m_expected = QSet<QUuid>(initial.cbegin(), initial.cend());
    for (int i = 0; i < 1200 && !HasFatalFailure(); ++i)
        check(step(), i);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomOperations, ::testing::Values(1u, 2u, 3u, 4u));

} // namespace
