#include "platform/linux/CanberraSound.h"

#include <canberra.h>

CanberraSound::~CanberraSound() {
    if (m_context)
        ca_context_destroy(m_context);
}

void CanberraSound::playDone() {
    if (!m_tried) {
        m_tried = true;
        if (ca_context_create(&m_context) != CA_SUCCESS)
            m_context = nullptr;
        else
            ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Ilvex", CA_PROP_APPLICATION_ID,
                                    "ilvex", nullptr);
    }
    if (!m_context)
        return;
    // Asynchronous; a missing device fails quietly.
    ca_context_play(m_context, 0, CA_PROP_EVENT_ID, "complete", CA_PROP_EVENT_DESCRIPTION, "Ilvex", nullptr);
}
