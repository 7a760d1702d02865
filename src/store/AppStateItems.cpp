// Operations on single entries: launching, adding, removing, renaming, tinting and moving.
#include "store/AppState.h"

#include "platform/Bookmarks.h"
#include "platform/Workspace.h"
#include "store/ItemLookup.h"
#include "store/ItemOpener.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

using namespace ItemLookup;

namespace {
// "example.com:8080" and "localhost:3000" parse as a scheme followed by a path, but the user typed a
// host and a port.
bool looksLikeHostAndPort(const QUrl &url) {
    const QString scheme = url.scheme();
    const QString rest = url.path();
    const bool portFollows = url.host().isEmpty() && !rest.isEmpty() && rest[0].isDigit();
    return portFollows && (scheme == u"localhost" || scheme.contains(u'.'));
}

// A link typed without a scheme ("example.com") opens as https.
QUrl linkUrl(const QString &text) {
    if (text.trimmed().isEmpty())
        return {};
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return {};
    if (url.scheme().isEmpty() || looksLikeHostAndPort(url))
        url = QUrl(QStringLiteral("https://") + text, QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}
} // namespace

void WorkspaceOpener::open(const AppItem &item, const QString &path) {
    if (item.isURL) {
        const QUrl url = linkUrl(path);
        if (url.isValid())
            m_workspace.openUrl(url);
    } else if (!item.isFolder && item.appPath.endsWith(QLatin1String(".desktop"))) {
        m_workspace.openApplication(path);
    } else {
        m_workspace.openUrl(QUrl::fromLocalFile(path));
    }
}

void AppState::launch(const AppItem &item) {
    if (item.isSubList || !m_opener)
        return;
    const QString *recorded = accessedPath(item);
    QString path = recorded ? *recorded : item.appPath;
    // A moved application is found again by its id.
    const bool application =
        !item.isURL && !item.isFolder && item.appPath.endsWith(QLatin1String(".desktop"));
    if (application && !recorded && !QFileInfo::exists(path) && !item.bundleIdentifier.isEmpty() &&
        m_services.workspace) {
        if (const auto installed = m_services.workspace->applicationPath(item.bundleIdentifier))
            path = *installed;
    }
    m_opener->open(item, path);
}

AppItem AppState::makeFileEntry(const QString &path) const {
    // Cleaned so that a folder chosen as "/home/me/Projects/" is still named "Projects".
    const QFileInfo info(QDir::cleanPath(path));
    AppItem item;
    item.id = QUuid::createUuid();
    item.appPath = path;
    if (m_services.bookmarks) {
        if (auto data = m_services.bookmarks->create(path, m_services.sandboxed))
            item.bookmarkData = std::move(*data);
    }
    const QString suffix = info.suffix().toLower();
    if (suffix == u"desktop") {
        item.name = appDisplayName(path, std::nullopt);
        item.bundleIdentifier =
            m_services.workspace ? m_services.workspace->bundleIdentifier(path) : QString();
    } else if (info.isDir()) {
        item.isFolder = true;
        item.name = info.fileName();
    } else {
        // A name that is all extension (".profile") keeps it, or the entry would have no name at all.
        item.name = info.completeBaseName().isEmpty() ? info.fileName() : info.completeBaseName();
    }
    return item;
}

AppState::AddResult AppState::add(const QString &path) {
    if (m_lists.isEmpty())
        return AddResult::noList;
    const AppItem item = makeFileEntry(path);
    {
        Change change(*this, Change::saves);
        withCurrentItems([&](QList<AppItem> &items) { items.append(item); });
    }
    if (m_lastChangeRefused)
        return AddResult::listFull;
    if (m_services.bookmarks && m_services.bookmarks->startAccess(item.appPath))
        m_accessedPaths.insert(item.id, {item.appPath, item.appPath});
    return AddResult::added;
}

AppState::AddResult AppState::addURL(const QString &urlText, const QString &name) {
    if (m_lists.isEmpty())
        return AddResult::noList;
    AppItem item;
    item.id = QUuid::createUuid();
    item.name = isBlank(name) ? urlText : name;
    item.appPath = urlText;
    item.isURL = true;
    {
        Change change(*this, Change::saves);
        withCurrentItems([&](QList<AppItem> &items) { items.append(item); });
    }
    return m_lastChangeRefused ? AddResult::listFull : AddResult::added;
}

void AppState::remove(const AppItem &item) {
    if (m_lists.isEmpty())
        return;
    Change change(*this, Change::saves);
    // The item may be an element of the very list being thinned out; hold on to its id alone.
    const QUuid id = item.id;
    withCurrentItems([&](QList<AppItem> &items) {
        items.removeIf([&](const AppItem &candidate) { return candidate.id == id; });
    });
    pruneOpenSubListIfEmpty();
}

void AppState::setFolderTint(const QUuid &itemID, const std::optional<QString> &tint) {
    if (m_lists.isEmpty())
        return;
    Change change(*this, Change::saves);
    withCurrentItems([&](QList<AppItem> &items) {
        const int index = indexOfItem(items, itemID);
        if (index >= 0)
            items[index].folderTint = tint;
    });
}

void AppState::renameItem(const QUuid &itemID, const QString &name) {
    const QString trimmed = trimSpacesAndTabs(name);
    if (m_lists.isEmpty() || trimmed.isEmpty())
        return;
    Change change(*this, Change::saves);
    withCurrentItems([&](QList<AppItem> &items) {
        const int index = indexOfItem(items, itemID);
        if (index >= 0)
            items[index].name = trimmed;
    });
}

void AppState::moveItem(const QUuid &itemID, const QUuid &fromListID, const QUuid &toListID) {
    if (fromListID == toListID)
        return;
    const int from = indexOfList(fromListID);
    const int to = indexOfList(toListID);
    if (from < 0 || to < 0)
        return;
    const int index = indexOfItem(m_lists[from].items, itemID);
    if (index < 0)
        return;
    Change change(*this, Change::saves);
    m_lists[to].items.append(m_lists[from].items.takeAt(index));
}

// Callers pass ids that live inside the lists (an entry's id, read from lists()). Taking an entry out
// of the middle of a list shifts those behind it, so every operation that changes a list before it is
// done with its ids works on copies of them.
void AppState::moveTopLevelItem(const QUuid &itemIDArg, const QUuid &groupIDArg, const QUuid &listIDArg) {
    const QUuid itemID = itemIDArg, groupID = groupIDArg, listID = listIDArg;
    AppList *active = activeList();
    if (!active || itemID == groupID)
        return;
    const int index = indexOfItem(active->items, itemID);
    if (index < 0 || active->items[index].isSubList)
        return;
    const int target = indexOfList(listID);
    if (target < 0)
        return;
    if (indexOfGroup(m_lists[target].items, groupID) < 0)
        return;

    Change change(*this);
    AppItem moving = active->items.takeAt(index);
    // The group's index may have moved by one when it is in the active list.
    const int found = indexOfGroup(m_lists[target].items, groupID);
    if (found < 0) {
        putBack(active->items, index, std::move(moving));
        return;
    }
    appendMember(m_lists[target].items[found], std::move(moving));
    change.add(Change::saves);
}
