#pragma once

#include "platform/linux/LinuxServices.h"
#include "settings/Preferences.h"
#include "store/AppState.h"

// What the store is given on Linux: the desktop services and the user's own preferences.
struct LinuxStoreServices : LinuxServices {
    Preferences preferences;

    StoreServices store() { return StoreServices{&workspace, &bookmarks, &preferences, {}, isSandboxed()}; }
};
