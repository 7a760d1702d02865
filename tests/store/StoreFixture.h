#pragma once

#include "store/AppState.h"
#include "store/ListsCodec.h"
#include "store/UniqueIDs.h"
#include "support/FakeWorkspace.h"
#include "support/Sandbox.h"

#include <QSignalSpy>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

// A store over a lists file written by the test, in a private HOME, with a fake desktop.
class StoreFixture : public ::testing::Test {
  public:
    // An application entry whose path does not exist, so start-up gives it no bookmark.
    static AppItem entry(const QString &name) {
        AppItem item;
        item.id = QUuid::createUuid();
        item.name = name;
        item.bundleIdentifier = QStringLiteral("org.example.") + name;
        item.appPath = QStringLiteral("/nonexistent/") + name + QStringLiteral(".desktop");
        return item;
    }

    // "A B G:x,y C" builds entries A and B, a group G holding x and y, and C. "G:" is an empty group.
    static QList<AppItem> entries(const QString &spec) {
        QList<AppItem> items;
        for (const QString &word : spec.split(u' ', Qt::SkipEmptyParts)) {
            const qsizetype colon = word.indexOf(u':');
            items.append(entry(colon < 0 ? word : word.left(colon)));
            if (colon < 0)
                continue;
            AppItem &group = items.last();
            group.bundleIdentifier.clear();
            group.appPath.clear();
            group.isSubList = true;
            group.subItems = QList<AppItem>{};
            for (const QString &member : word.mid(colon + 1).split(u',', Qt::SkipEmptyParts))
                group.subItems->append(entry(member));
        }
        return items;
    }

    static AppList list(const QString &name, const QString &spec = {}, ListTheme theme = ListTheme::blue) {
        const QList<AppItem> items = entries(spec);
        return AppList{QUuid::createUuid(), name, items, theme, items};
    }

    // Lists named "L0", "L1", … with no entries.
    static QList<AppList> emptyLists(int count) {
        QList<AppList> lists;
        for (int i = 0; i < count; ++i)
            lists.append(list(QStringLiteral("L%1").arg(i)));
        return lists;
    }

  protected:
    void start(const QList<AppList> &lists, int activeIndex = 0) {
        start(ListsCodec::encodeLists(lists), activeIndex);
    }
    void start(const QByteArray &listsFile, int activeIndex = 0) {
        sandbox.writeFile(QStringLiteral(".local/share/Ilvex/lists.json"), listsFile);
        sandbox.preferences().setActiveListIndex(activeIndex);
        state = std::make_unique<AppState>(
            StoreServices{&workspace, &bookmarks, &sandbox.preferences(), sandbox.supportDirectory(), false});
        changes = std::make_unique<QSignalSpy>(state.get(), &AppState::activeListChanged);
    }

    QByteArray fileBytes() const { return Sandbox::readFile(sandbox.listsFile()); }

    QList<AppList> onDisk() const { return ListsCodec::decodeLists(fileBytes()).value_or(QList<AppList>{}); }

    int storedIndex() { return sandbox.preferences().value(Preferences::Key::activeListIndex).toInt(); }

    // Lists "L0", "L1", … holding the entries of each spec.
    void load(std::initializer_list<const char *> specs, int activeIndex = 0) {
        QList<AppList> lists;
        for (const char *spec : specs)
            lists.append(list(QStringLiteral("L%1").arg(lists.size()), QString::fromLatin1(spec)));
        start(lists, activeIndex);
    }

    void expectSaved() const { EXPECT_EQ(onDisk(), state->lists()); }

    template <typename T> static QStringList names(const QList<T> &from) {
        QStringList out;
        for (const T &one : from)
            out.append(one.name);
        return out;
    }
    QStringList listNames() const { return names(state->lists()); }

    const AppItem &top(int listIndex, const QString &name) const {
        static const AppItem none;
        for (const AppItem &item : state->lists()[listIndex].items)
            if (item.name == name)
                return item;
        ADD_FAILURE() << "no entry " << qPrintable(name);
        return none;
    }

    QUuid id(const QString &name, int listIndex = 0) const { return top(listIndex, name).id; }
    QUuid member(const QString &groupName, int index = 0, int listIndex = 0) const {
        return (*top(listIndex, groupName).subItems)[index].id;
    }
    QUuid listID(int index) const { return index < 0 ? QUuid::createUuid() : state->lists()[index].id; }
    QStringList shown(int listIndex = 0) const { return names(state->lists()[listIndex].items); }
    QStringList membersOf(const QString &groupName, int listIndex = 0) const {
        return names(top(listIndex, groupName).subItems.value_or(QList<AppItem>{}));
    }

    Sandbox sandbox;
    FakeWorkspace workspace;
    FakeBookmarks bookmarks;
    std::unique_ptr<AppState> state;
    std::unique_ptr<QSignalSpy> changes; // activeListChanged
};

// Words of a space-separated spec, for table rows.
inline QStringList words(const char *text) {
    return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
}
