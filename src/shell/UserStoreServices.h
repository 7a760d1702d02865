#pragma once

#include "platform/Platform.h"
#include "settings/Preferences.h"
#include "store/AppState.h"

// What the store is given: the platform's desktop services and the user's own preferences.
struct UserStoreServices {
    explicit UserStoreServices(Platform &given) : platform(given) {}

    Platform &platform;
    Preferences preferences;

    StoreServices store() {
        return StoreServices{
            &platform.workspace(), &platform.bookmarks(), &preferences, {}, platform.isSandboxed()};
    }
};
