#pragma once

// The short "done" sound of the launcher (opening a group, launching, a drop): the freedesktop sound
// theme's "complete" event. Silent when there is no sound device.
namespace LauncherSound {
// Plays it.
void play();
// Plays it when the "launcherSoundsEnabled" preference allows.
void playIfEnabled();
} // namespace LauncherSound
