#pragma once

#include "platform/Platform.h"
#include "platform/linux/LinuxOnly.h"

struct ca_context;

// The freedesktop sound theme's "complete" event, through libcanberra. The context is made at the first
// sound; without one (no sound system) every sound is silent.
class CanberraSound : public SoundPlayer {
  public:
    CanberraSound() = default;
    ~CanberraSound() override;
    CanberraSound(const CanberraSound &) = delete;
    CanberraSound &operator=(const CanberraSound &) = delete;

    void playDone() override;

  private:
    ca_context *m_context = nullptr;
    bool m_tried = false;
};
