// The order snapshot, and export and import of all lists.
#include "store/AppState.h"

#include "store/ListsCodec.h"

#include <QDir>

namespace {
QString homePath() { return QDir::homePath(); }

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
    for (AppList &list : m_lists)
        list.snapshot = list.items;
    Q_EMIT listsChanged();
    save();
}

void AppState::restoreSnapshot() {
    AppList *active = activeList();
    if (!active || active->snapshot.isEmpty())
        return;
    if (m_openSubListID)
        setOpenSubListID(std::nullopt);
    active->items = active->snapshot;
    Q_EMIT listsChanged();
    save();
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
    if (!decoded || decoded->isEmpty())
        return false;
    QList<AppList> incoming = mapLists(*decoded, importTransform);
    if (append) {
        if (m_lists.size() >= maxLists)
            return false;
        const int room = maxLists - int(m_lists.size());
        for (int i = 0; i < std::min(room, int(incoming.size())); ++i) {
            AppList list = incoming[i];
            list.id = QUuid::createUuid();
            m_lists.append(std::move(list));
        }
        Q_EMIT listsChanged();
    } else {
        incoming.resize(std::min(int(incoming.size()), maxLists));
        setLists(std::move(incoming));
        setActiveListIndex(0);
        setOpenSubListID(std::nullopt);
        storeActiveListIndex();
    }
    save();
    createMissingBookmarks();
    beginBookmarkAccess();
    return true;
}
