#include "support/FakeWorkspace.h"

#include <QFileInfo>

void FakeWorkspace::install(const QString &bundleIdentifier, const QString &path, const QString &name) {
    m_paths.insert(bundleIdentifier, path);
    if (!name.isEmpty())
        m_names.insert(path, name);
}

std::optional<QString> FakeWorkspace::applicationPath(const QString &bundleIdentifier) const {
    const auto it = m_paths.constFind(bundleIdentifier);
    return it == m_paths.cend() ? std::nullopt : std::optional<QString>(*it);
}

QString FakeWorkspace::applicationName(const QString &path) const {
    return m_names.value(path);
}

QString FakeWorkspace::bundleIdentifier(const QString &path) const {
    return m_paths.key(path);
}

std::optional<QByteArray> FakeBookmarks::create(const QString &path, bool) {
    if (failCreation)
        return std::nullopt;
    return QByteArray("bookmark:") + path.toUtf8();
}

std::optional<ResolvedBookmark> FakeBookmarks::resolve(const QByteArray &data, bool) {
    if (!data.startsWith("bookmark:"))
        return std::nullopt;
    const QString path = QString::fromUtf8(data.mid(9));
    if (!QFileInfo::exists(path))
        return std::nullopt;
    return ResolvedBookmark{path, false};
}

bool FakeBookmarks::startAccess(const QString &path) {
    return QFileInfo::exists(path);
}
