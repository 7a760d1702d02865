#pragma once

#include "platform/linux/FileBookmarks.h"
#include "platform/linux/GioWorkspace.h"

// The desktop services the store uses on Linux, owned together for the life of the store. The shell
// hands them to the store (shell/LinuxStoreServices.h).
struct LinuxServices {
    GioWorkspace workspace;
    FileBookmarks bookmarks;

    // Flatpak counts as a sandbox, like the container variable of other sandboxes.
    static bool isSandboxed() {
        return qEnvironmentVariableIsSet("FLATPAK_ID") ||
               qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID");
    }
};
