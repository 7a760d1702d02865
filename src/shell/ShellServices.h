#pragma once

class FaviconCache;
class GlobalHotkey;
class KeyboardLayout;
class LoginItem;
class PointerWatch;
class SoundPlayer;
class WindowSystem;
class Workspace;

// The desktop facilities the shell uses (not owned; any may be missing).
struct ShellServices {
    GlobalHotkey *hotkey = nullptr;
    LoginItem *loginItem = nullptr;
    Workspace *workspace = nullptr;  // opens the feedback mail and the download page
    WindowSystem *windows = nullptr; // how the launcher's window stands among the others; none offscreen
    PointerWatch *pointer = nullptr; // the hot corner's; QCursor::pos() without
    SoundPlayer *sound = nullptr;
    KeyboardLayout *keyboard = nullptr; // the launcher's digit keys
    // Site icons for links; none in a build without them.
    FaviconCache *favicons = nullptr;
};
