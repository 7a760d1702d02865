#pragma once

#include "platform/Platform.h"
#include "platform/linux/LinuxOnly.h"

// The desktop facilities on Linux: GIO for applications and handlers, XDG autostart for the login item,
// libcanberra for sounds, and for the hotkey, the window system and the pointer either X11 (xcb) or,
// on Wayland, the desktop's portal. The program's entry point calls this and hands the result down.
std::unique_ptr<Platform> createPlatform();
