#include "shell/LauncherSound.h"

#include <canberra.h>

namespace LauncherSound {

void play() {
    static ca_context *context = [] {
        ca_context *created = nullptr;
        if (ca_context_create(&created) != CA_SUCCESS)
            return static_cast<ca_context *>(nullptr);
        ca_context_change_props(created, CA_PROP_APPLICATION_NAME, "Ilvex", CA_PROP_APPLICATION_ID, "ilvex",
                                nullptr);
        return created;
    }();
    if (!context)
        return;
    // Asynchronous; a missing device fails quietly.
    ca_context_play(context, 0, CA_PROP_EVENT_ID, "complete", CA_PROP_EVENT_DESCRIPTION, "Ilvex", nullptr);
}

} // namespace LauncherSound
