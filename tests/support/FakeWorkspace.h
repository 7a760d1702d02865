#pragma once

#include "platform/Bookmarks.h"
#include "platform/Workspace.h"

#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QUrl>

// An in-memory desktop: installed applications are registered by id, and every open request is recorded.
class FakeWorkspace : public Workspace {
  public:
    void install(const QString &id, const QString &path, const QString &name = {}) {
        m_paths.insert(id, path);
        m_names.insert(path, name);
    }
    std::optional<QString> applicationPath(const QString &id) const override {
        return m_paths.contains(id) ? std::optional(m_paths[id]) : std::nullopt;
    }
    QString applicationName(const QString &path) const override { return m_names.value(path); }
    QString bundleIdentifier(const QString &path) const override { return m_paths.key(path); }
    QString iconName(const QString &) const override { return {}; }
    std::optional<QString> defaultApplication(const QString &type) const override {
        return defaults.contains(type) ? std::optional(defaults[type]) : std::nullopt;
    }
    QList<InstalledApplication> installedApplications() const override { return applications; }
    void openUrl(const QUrl &url) override { openedUrls.append(url); }
    void openApplication(const QString &path) override { openedApplications.append(path); }

    QList<InstalledApplication> applications;
    QHash<QString, QString> defaults; // content type -> bundle identifier
    QList<QUrl> openedUrls;
    QList<QString> openedApplications;

  private:
    QHash<QString, QString> m_paths, m_names; // id -> path, path -> name
};

// Bookmarks that hold only the path and resolve while it exists; creation can be made to fail.
class FakeBookmarks : public Bookmarks {
  public:
    std::optional<QByteArray> create(const QString &path, bool) override {
        return failCreation ? std::nullopt : std::optional("bookmark:" + path.toUtf8());
    }
    std::optional<ResolvedBookmark> resolve(const QByteArray &data, bool) override {
        const QString path = QString::fromUtf8(data.mid(9));
        if (!data.startsWith("bookmark:") || !QFileInfo::exists(path))
            return std::nullopt;
        return ResolvedBookmark{path, false};
    }
    bool startAccess(const QString &path) override { return QFileInfo::exists(path); }

    bool failCreation = false;
};
