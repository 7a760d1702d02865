// The order snapshot, and export and import of all lists.
#include "store/AppState.h"

#include "store/ListsCodec.h"
#include "store/UniqueIDs.h"

#include <QDir>

namespace {
QString homePath() {
    return QDir::homePath();
}

// Paths are stored with "~" in documents that move between accounts; links are never touched.
AppItem exportTransform(const AppItem &item) {
    AppItem out = item;
    out.bookmarkData.reset();
    if (!out.isURL && !out.appPath.isEmpty()) {
        const QString home = homePath();
        if (out.appPath == home)
            out.appPath = QStringLiteral("~");
        else if (out.appPath.startsWith(home + u'/'))
            out.appPath = u'~' + out.appPath.mid(home.size());
    }
    return out;
}

AppItem importTransform(const AppItem &item) {
    AppItem out = item;
    if (!out.isURL && !out.appPath.isEmpty()) {
        if (out.appPath == u"~")
            out.appPath = homePath();
        else if (out.appPath.startsWith(QLatin1String("~/")))
            out.appPath = homePath() + out.appPath.mid(1);
    }
    return out;
}
} // namespace

void AppState::saveSnapshot() {
    if (m_lists.isEmpty())
        return;
    Change change(*this, Change::saves);
    for (AppList &list : m_lists)
        list.snapshot = list.items;
}

void AppState::restoreSnapshot() {
    AppList *active = activeList();
    if (!active || active->snapshot.isEmpty())
        return;
    Change change(*this, Change::saves);
    m_openSubListID.reset();
    active->items = active->snapshot;
}

QList<AppItem> AppState::transformItems(const QList<AppItem> &items,
                                        const std::function<AppItem(const AppItem &)> &transform) {
    QList<AppItem> out;
    out.reserve(items.size());
    for (const AppItem &item : items) {
        AppItem changed = transform(item);
        if (changed.subItems)
            changed.subItems = transformItems(*changed.subItems, transform);
        out.append(std::move(changed));
    }
    return out;
}

QList<AppList> AppState::mapLists(const QList<AppList> &lists,
                                  const std::function<AppItem(const AppItem &)> &transform) {
    QList<AppList> out = lists;
    for (AppList &list : out) {
        list.items = transformItems(list.items, transform);
        list.snapshot = transformItems(list.snapshot, transform);
    }
    return out;
}

std::optional<QByteArray> AppState::exportListsData() const {
    const QByteArray data = ListsCodec::encodeLists(mapLists(m_lists, exportTransform));
    if (data.isEmpty())
        return std::nullopt;
    return data;
}

bool AppState::importLists(const QByteArray &data, bool append) {
    auto decoded = ListsCodec::decodeLists(data);
    if (!decoded || decoded->isEmpty() || ListsCodec::overLimit(*decoded))
        return false;
    QList<AppList> incoming = mapLists(*decoded, importTransform);
    if (append && m_lists.size() >= maxLists)
        return false;
    {
        // An import that does not reach the disk is not taken at all: it was reported as failed.
        Change change(*this, Change::saves | Change::rollsBackUnsaved);
        if (append) {
            incoming.resize(std::min(int(incoming.size()), maxLists - int(m_lists.size())));
            for (AppList &list : incoming)
                list.id = QUuid::createUuid();
            UniqueIDs::renewRepeated(incoming, UniqueIDs::allIDs(m_lists));
            m_lists.append(std::move(incoming));
        } else {
            incoming.resize(std::min(int(incoming.size()), maxLists));
            UniqueIDs::renewRepeated(incoming);
            m_lists = std::move(incoming);
            setActiveListIndex(0);
            m_openSubListID.reset();
            change.add(Change::storesActiveListIndex);
        }
        createMissingBookmarks();
        beginBookmarkAccess();
    }
    return m_lastChangeSaved;
}
