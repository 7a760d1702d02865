#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct ResolvedBookmark {
    QString path;
    bool isStale = false; // the file at path is no longer the one the bookmark was made for
};

// Durable references to files and folders. Without a sandbox, a bookmark records the path and the
// file's identity; resolving tells whether the file there is still the same one.
class Bookmarks {
  public:
    virtual ~Bookmarks() = default;

    virtual std::optional<QByteArray> create(const QString &path, bool securityScope) = 0;
    virtual std::optional<ResolvedBookmark> resolve(const QByteArray &data, bool securityScope) = 0;
    // Starts access to a resolved path; true when the path may be used from now on.
    virtual bool startAccess(const QString &path) = 0;
};
