#pragma once

#include "store/Types.h"

class Workspace;

// How the store opens an entry it is asked to launch. The store decides where the entry is (the path its
// bookmark gave, or a moved application found again by its id); the opener hands it to the desktop.
class ItemOpener {
  public:
    virtual ~ItemOpener() = default;
    // path: where the entry is now; for a link, the text as typed.
    virtual void open(const AppItem &item, const QString &path) = 0;
};

// Opens through the desktop: a link as typed (https when it names no scheme), an application by its
// desktop file, a folder or a file by its URL.
class WorkspaceOpener : public ItemOpener {
  public:
    explicit WorkspaceOpener(Workspace &workspace) : m_workspace(workspace) {}
    void open(const AppItem &item, const QString &path) override;

  private:
    Workspace &m_workspace;
};
