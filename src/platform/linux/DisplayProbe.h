#pragma once

#include "platform/linux/LinuxOnly.h"

// Whether a display Qt could show windows on is there, asked before the toolkit starts: Qt aborts the
// process when its platform finds no display. An X display counts when a connection to it succeeds, a
// Wayland display when its socket exists; a platform that needs no display (offscreen, vnc) always counts.
namespace DisplayProbe {
bool displayReachable();
}
