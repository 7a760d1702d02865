#pragma once

#include <QtGlobal>

#include <functional>

// The system-wide Alt+Z that summons the launcher. register() replaces any earlier registration, so there
// is never more than one; when the key cannot be had it prints the failure line and the program goes on
// without it (the hot corner, the tray and the command line still work).
class GlobalHotkey {
  public:
    virtual ~GlobalHotkey() = default;

    // pressed runs on the main thread for every press of the key (not for auto-repeat). False when the
    // key is not registered.
    virtual bool registerHotkey(std::function<void()> pressed) = 0;
    virtual void unregisterHotkey() = 0;
    virtual bool isRegistered() const = 0;

    // Keys typed right after the press, before the launcher has the focus, are held rather than left to
    // the window that had it: deliverHeldKeys sends them to the launcher's window (a native window id),
    // and what follows until typing pauses; releaseHeldKeys drops them and lets the keyboard go at once.
    // A short time-out lets it go when the launcher does not show.
    virtual void deliverHeldKeys(quintptr window) { (void)window; }
    virtual void releaseHeldKeys() {}
};
