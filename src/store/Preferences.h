#pragma once

#include <QSettings>

// The per-user preferences ("~/.config/Ilvex/Ilvex.conf"). Tools and tests install their own store.
namespace Preferences {

inline constexpr const char *activeListIndex = "activeListIndex";
inline constexpr const char *appLanguage = "appLanguage";
inline constexpr const char *appleLanguages = "AppleLanguages";
inline constexpr const char *launcherApps = "launcherApps";
inline constexpr const char *showInMenuBar = "showInMenuBar";
inline constexpr const char *hideDockIcon = "hideDockIcon";
inline constexpr const char *openAtLogin = "openAtLogin";
inline constexpr const char *launcherSoundsEnabled = "launcherSoundsEnabled";
inline constexpr const char *hotCornerEnabled = "hotCornerEnabled";
inline constexpr const char *launcherScale = "launcherScale";

// The preferences in use: the installed store, else the user's own file.
QSettings &settings();
// Replaces the store for this process (not owned; nullptr goes back to the user's file).
void install(QSettings *settings);

bool boolValue(const char *key, bool fallback);
double doubleValue(const char *key, double fallback);

} // namespace Preferences
