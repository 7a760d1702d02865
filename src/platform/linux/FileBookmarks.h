#pragma once

#include "platform/Bookmarks.h"
#include "platform/linux/LinuxOnly.h"

// Bookmarks without a sandbox: a small versioned record of the path and the file's device and inode.
// Resolving gives the path while it exists, and reports it stale when another file now stands there.
class FileBookmarks : public Bookmarks {
  public:
    std::optional<QByteArray> create(const QString &path, bool securityScope) override;
    std::optional<ResolvedBookmark> resolve(const QByteArray &data, bool securityScope) override;
    bool startAccess(const QString &path) override;
};
