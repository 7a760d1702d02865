#pragma once

#include "platform/GlobalHotkey.h"
#include "platform/linux/LinuxOnly.h"

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QTimer>

#include <cstdint>

struct xcb_connection_t;
struct _XCBKeySymbols; // xcb_key_symbols_t

// Alt+Z as a passive key grab on the root window of the X display Qt uses. X reports a grabbed key only
// when the event's modifiers match the grab exactly, so the key is grabbed once for every combination of
// the lock modifiers (CapsLock, NumLock, ScrollLock; the last two take their masks from the live modifier
// map). Every grab is a checked request: when another client holds any of them, all are undone and the
// failure line names the X error. A keyboard mapping change grabs the key again under its new key codes.
// A layout typing no z in any group (Russian alone) gets the key in Z's place on a US keyboard.
//
// The grab freezes the keyboard at the press (synchronous mode) until the handler has grabbed the whole
// keyboard and thawed it, so no key typed right after Alt+Z reaches another window before the launcher
// shows; those keys are held and sent on to the launcher's window.
class XcbHotkey : public GlobalHotkey, public QAbstractNativeEventFilter {
  public:
    XcbHotkey();
    ~XcbHotkey() override;

    bool registerHotkey(std::function<void()> pressed) override;
    void unregisterHotkey() override;
    bool isRegistered() const override { return !m_grabbed.isEmpty(); }

    void deliverHeldKeys(quintptr window) override;
    void releaseHeldKeys() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // Between a press and the pause in typing after the launcher showed, the keyboard is this hotkey's.
    bool holdsKeyboard() const { return m_holding; }
    // Called right after the hold lets the keyboard go, so that the launcher can take it over.
    void setKeyboardReleased(std::function<void()> released) { m_keyboardReleased = std::move(released); }
    // While the launcher holds the keyboard with an active grab, the root's passive grab of Alt+Z cannot
    // fire: the key then reaches the launcher's window, and counts there too.
    void setActiveGrabWindow(uint32_t window) { m_activeGrabWindow = window; }

  private:
    struct Grab {
        uint8_t keycode;
        uint16_t modifiers;
        bool operator==(const Grab &) const = default;
    };
    bool grab();
    void ungrab();
    uint16_t maskOfKeysym(uint32_t keysym) const;
    void holdKeys(uint32_t time);
    void forward(QByteArray event) const;
    void letKeyboardGo();

    xcb_connection_t *m_connection = nullptr;
    uint32_t m_root = 0;
    _XCBKeySymbols *m_symbols = nullptr;
    uint8_t m_xkbFirstEvent = 0; // 0: no XKB extension
    uint16_t m_lockMask = 0;     // every lock modifier, ignored when matching a press
    QList<uint8_t> m_keycodes;
    bool m_onPhysicalZ = false; // the layout types no z: the key in Z's US place is grabbed
    QList<Grab> m_grabbed;
    std::function<void()> m_pressed;
    bool m_filterInstalled = false;
    uint32_t m_lastRelease = 0; // X time of the last release: auto-repeat presses carry the same
    QTimer m_regrab;            // mapping notifications come in bursts: grab again once they settle
    bool m_holding = false;     // the keyboard is grabbed from a press until the launcher takes it
    QList<QByteArray> m_held;   // key events typed meanwhile
    uint32_t m_forwardTo = 0;   // the launcher's window, once shown: held keys go on to it
    QTimer m_holdTimeout;
    std::function<void()> m_keyboardReleased;
    uint32_t m_activeGrabWindow = 0;
};
