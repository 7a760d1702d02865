#pragma once

#include "platform/Bookmarks.h"
#include "platform/Workspace.h"

#include <QHash>
#include <QList>
#include <QUrl>

// An in-memory desktop: installed applications are registered by id, and every open request is recorded.
class FakeWorkspace : public Workspace {
  public:
    void install(const QString &bundleIdentifier, const QString &path, const QString &name = {});

    std::optional<QString> applicationPath(const QString &bundleIdentifier) const override;
    QString applicationName(const QString &path) const override;
    QString bundleIdentifier(const QString &path) const override;
    QString iconName(const QString &) const override { return {}; }
    QList<InstalledApplication> installedApplications() const override { return applications; }
    void openUrl(const QUrl &url) override { openedUrls.append(url); }
    void openApplication(const QString &path) override { openedApplications.append(path); }

    QList<InstalledApplication> applications;
    QList<QUrl> openedUrls;
    QList<QString> openedApplications;

  private:
    QHash<QString, QString> m_paths; // id -> path
    QHash<QString, QString> m_names; // path -> name
};

// Bookmarks that record only the path; creation can be made to fail.
class FakeBookmarks : public Bookmarks {
  public:
    std::optional<QByteArray> create(const QString &path, bool securityScope) override;
    std::optional<ResolvedBookmark> resolve(const QByteArray &data, bool securityScope) override;
    bool startAccess(const QString &path) override;

    bool failCreation = false;
};
