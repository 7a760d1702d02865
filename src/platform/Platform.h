#pragma once

#include "platform/GlobalHotkey.h"
#include "platform/WindowSystem.h"

#include <QPoint>

#include <memory>

class Bookmarks;
class KeyboardLayout;
class LoginItem;
class Workspace;

// The pointer's position on the whole display, for the hot corner, which asks many times a second.
class PointerWatch {
  public:
    virtual ~PointerWatch() = default;

    // The pointer's global position in the toolkit's coordinates; false when the display cannot tell.
    virtual bool position(QPoint *at) = 0;
    // A descriptor that turns readable when the pointer may have moved, so that a resting pointer costs
    // no questions; -1 when motion is not reported.
    virtual int motionSocket() const = 0;
    // Reads what arrived on motionSocket; true when it told of motion.
    virtual bool takeMotion() = 0;
};

// The short "done" sound of the launcher (opening a group, launching, a drop, a saved backup).
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;

    // Plays it, without waiting; silent when there is no sound device. The caller checks the
    // "launcherSoundsEnabled" preference.
    virtual void playDone() = 0;
};

// The facilities that need the toolkit's own display connection, built once the application object
// exists: the backend of the hotkey, the window system and the pointer that fit the display platform Qt
// runs on. Any may be missing (none of them offscreen). The window system may hold on to the hotkey, so
// it is declared after it and goes first.
struct DesktopServices {
    std::unique_ptr<GlobalHotkey> hotkey;
    std::unique_ptr<WindowSystem> windows;
    std::unique_ptr<PointerWatch> pointer;
};

// Every desktop facility the program uses, behind the interfaces of platform/. One implementation per
// system is made by its factory (createPlatform() in platform/linux/LinuxPlatform.h), which the
// program's entry point calls and hands down; tests hand in fakes of the single interfaces instead.
class Platform {
  public:
    virtual ~Platform() = default;

    // Asked before the toolkit starts (Qt aborts the process when its platform finds no display): whether
    // a display Qt could show windows on is there.
    virtual bool displayReachable() const = 0;
    // Chooses the display platform the toolkit is to use, before the application object is made: the
    // desktop's own when native is true, else the one the launcher's placement and focus work best on.
    virtual void chooseDisplayPlatform(bool native) = 0;

    // The desktop's applications and handlers; durable references to files; whether a sandbox runs us.
    virtual Workspace &workspace() = 0;
    virtual Bookmarks &bookmarks() = 0;
    virtual bool isSandboxed() const = 0;
    virtual LoginItem &loginItem() = 0;
    virtual SoundPlayer &sound() = 0;
    virtual KeyboardLayout &keyboard() = 0;

    // Once the application object exists. Prints what the desktop will not offer.
    virtual DesktopServices connectDesktop() = 0;
};
