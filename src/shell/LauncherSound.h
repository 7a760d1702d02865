#pragma once

// The short "done" sound of the launcher (opening a group, launching, a drop): the freedesktop sound
// theme's "complete" event. Silent when there is no sound device.
namespace LauncherSound {
// Plays it (the caller checks the "launcherSoundsEnabled" preference).
void play();
} // namespace LauncherSound
