#pragma once

#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "store/UniqueIDs.h"
#include "support/Entries.h"
#include "support/FakeWorkspace.h"
#include "support/QtPrinters.h"
#include "support/Sandbox.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

// The rows of a text table "row; row; …" (read by words, so the spaces around them do not count).
inline QStringList table(const char *text) {
    return QString(text).split(u';');
}

inline QStringList words(const QString &text) {
    return text.split(u' ', Qt::SkipEmptyParts);
}

// A store in a private HOME with a fake desktop, over a lists file the test writes.
class StoreFixture : public ::testing::Test {
  public:
    // An application whose path does not exist, so start-up gives it no bookmark.
    static AppItem entry(const QString &name) {
        AppItem item = ::entries::app(name);
        item.bundleIdentifier = "org.example." + name;
        return item;
    }
    // "A G:x,y C": entries A and C around a group G holding x and y; "G:" is an empty group.
    static QList<AppItem> entries(const QString &shape) {
        QList<AppItem> items;
        for (const QString &word : words(shape)) {
            const QStringList parts = word.split(u':');
            QList<AppItem> members;
            for (const QString &member : parts.value(1).split(u',', Qt::SkipEmptyParts))
                members.append(entry(member));
            items.append(parts.size() < 2 ? entry(parts[0]) : ::entries::group(parts[0], members));
        }
        return items;
    }
    static AppList list(const QString &name, const QString &shape = {}) {
        return ::entries::list(name, entries(shape));
    }
    // Lists "L0", "L1", … holding the entries of each shape.
    static QList<AppList> lists(const QStringList &shapes) {
        QList<AppList> out;
        for (const QString &shape : shapes)
            out.append(list(QStringLiteral("L%1").arg(out.size()), shape));
        return out;
    }

  protected:
    // Whatever a test did, groups are one level deep and the active list is one of at most eight.
    void TearDown() override {
        for (const AppList &l : state ? state->lists() : QList<AppList>{})
            for (const AppItem &item : l.items)
                for (const AppItem &member : item.subItems.value_or(QList<AppItem>{}))
                    EXPECT_FALSE(member.isSubList || member.subItems) << qPrintable(member.name);
        EXPECT_TRUE(!state || (state->lists().size() <= AppState::maxLists && state->activeListIndex() >= 0 &&
                               state->activeListIndex() < state->lists().size()));
    }
    void open() {
        state = std::make_unique<AppState>(
            StoreServices{&workspace, &bookmarks, &sandbox.preferences(), sandbox.supportDirectory(), false});
        changes = std::make_unique<QSignalSpy>(state.get(), &AppState::activeListChanged);
    }
    void start(const QByteArray &file, int active = 0) {
        sandbox.writeFile(".local/share/Ilvex/lists.json", file);
        sandbox.preferences().setActiveListIndex(active);
        open();
    }
    void start(const QList<AppList> &lists, int active = 0) { start(ListsCodec::encodeLists(lists), active); }
    void load(const QStringList &shapes, int active = 0) { start(lists(shapes), active); }

    QByteArray fileBytes() const { return Sandbox::readFile(sandbox.listsFile()); }
    QByteArray backup(const QString &suffix = {}) const {
        return Sandbox::readFile(sandbox.listsFile() + ".bak" + suffix);
    }
    QList<AppList> onDisk() const { return ListsCodec::decodeLists(fileBytes()).value_or(QList<AppList>{}); }
    void expectSaved() const { EXPECT_EQ(onDisk(), state->lists()); }
    int storedIndex() { return sandbox.preferences().value(Preferences::Key::activeListIndex).toInt(); }

    // Every entry that is not a group, by id: an entry there twice is there twice.
    static QMultiHash<QUuid, AppItem> leaves(const QList<AppList> &from) {
        QMultiHash<QUuid, AppItem> out;
        for (const AppList &l : from)
            for (const AppItem &item : l.items)
                for (const AppItem &leaf :
                     item.isSubList ? item.subItems.value_or(QList<AppItem>{}) : QList{item})
                    out.insert(leaf.id, leaf);
        return out;
    }
    template <typename T> static QStringList names(const QList<T> &from) {
        QStringList out;
        for (const T &one : from)
            out.append(one.name);
        return out;
    }
    const AppItem &top(int list, const QString &name) const {
        static const AppItem none;
        for (const AppItem &item : state->lists()[list].items)
            if (item.name == name)
                return item;
        ADD_FAILURE() << "no entry " << qPrintable(name);
        return none;
    }
    QUuid id(const QString &name, int list = 0) const { return top(list, name).id; }
    QUuid member(const QString &group, int list = 0) const { return (*top(list, group).subItems)[0].id; }
    QUuid listID(int index) const { return state->lists()[index].id; }
    // The list as "A G:x,y H:", the form load() takes.
    QString shape(int list = 0) const {
        QStringList out;
        for (const AppItem &item : state->lists()[list].items)
            out.append(item.isSubList
                           ? item.name + ':' + names(item.subItems.value_or(QList<AppItem>{})).join(',')
                           : item.name);
        return out.join(' ');
    }
    // By name in lists like "A B G:x H:", "C K:": "0" and "1" the lists, "x" G's first member, "?" unknown.
    QUuid at(const QString &name) const {
        return name == "?"                  ? QUuid::createUuid()
               : name == "0" || name == "1" ? listID(name.toInt())
               : name == "x"                ? member("G")
                                            : id(name, name == "C" || name == "K");
    }
    // "open G", "merge A B", "into A G", "top A K 1", "item A 0 1", "out x 1", "out x H 0"; a merge returns
    // the group it made.
    std::optional<QUuid> run(const QString &row) {
        const QStringList w = words(row);
        const auto arg = [&](int i) { return at(w.value(i)); };
        if (w[0] == "merge")
            return state->mergeIntoNewGroup(arg(1), arg(2));
        w[0] == "open"   ? state->openSubList(arg(1))
        : w[0] == "into" ? state->moveItemToSubList(arg(1), arg(2))
        : w[0] == "top"  ? state->moveTopLevelItem(arg(1), arg(2), arg(3))
        : w[0] == "item" ? state->moveItem(arg(1), arg(2), arg(3))
        : w.size() == 3  ? state->moveItemFromOpenSubList(arg(1), arg(2))
                         : state->moveItemFromOpenSubList(arg(1), arg(2), arg(3));
        return std::nullopt;
    }

    Sandbox sandbox;
    FakeWorkspace workspace;
    FakeBookmarks bookmarks;
    std::unique_ptr<AppState> state;
    std::unique_ptr<QSignalSpy> changes; // activeListChanged
};
