#include "platform/linux/XcbHotkey.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr uint32_t keysymZ = 0x007a;
// The key where Z sits on a US keyboard (evdev and the older XFree86 key codes agree): Alt+Z there when no
// group of the layout types z (Russian, Greek or Arabic alone).
constexpr uint8_t physicalZ = 52;
constexpr uint32_t keysymNumLock = 0xff7f;
constexpr uint32_t keysymScrollLock = 0xff14;
// The modifier bits of a key event's state (Shift … Mod5); the rest are pointer buttons.
constexpr uint16_t modifierBits = 0x00ff;
// XKB notifications (their kind is the event's second byte) that change which key codes carry Z.
constexpr uint8_t xkbNewKeyboardNotify = 0;
constexpr uint8_t xkbMapNotify = 1;
// Held keys are given up after this long, whether or not the launcher showed.
constexpr int holdTimeoutMs = 1500;
// Once the launcher shows, the keyboard stays grabbed (its keys sent on) until typing pauses this long,
// so that keys the server sent before the launcher took over reach it too, and in order.
constexpr int forwardQuietMs = 150;

} // namespace

XcbHotkey::XcbHotkey() {
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    m_connection = x11->connection();
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    static const char xkb[] = "XKEYBOARD";
    if (auto *reply = xcb_query_extension_reply(
            m_connection, xcb_query_extension(m_connection, sizeof xkb - 1, xkb), nullptr)) {
        if (reply->present)
            m_xkbFirstEvent = reply->first_event;
        std::free(reply);
    }
    m_regrab.setSingleShot(true);
    m_regrab.setInterval(0);
    m_holdTimeout.setSingleShot(true);
    QObject::connect(&m_holdTimeout, &QTimer::timeout, [this] {
        if (m_forwardTo)
            letKeyboardGo();
        else
            releaseHeldKeys();
    });
    QObject::connect(&m_regrab, &QTimer::timeout, [this] {
        if (!m_pressed)
            return;
        grab();
    });
}

XcbHotkey::~XcbHotkey() {
    unregisterHotkey();
    if (m_filterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    if (m_symbols)
        xcb_key_symbols_free(m_symbols);
}

bool XcbHotkey::registerHotkey(std::function<void()> pressed) {
    unregisterHotkey();
    if (!m_connection) {
        qCWarning(lcHotkey, "RegisterEventHotKey failed: no X11 display — bind `ilvex --toggle` to Alt+Z in "
                            "the desktop's shortcut settings");
        return false;
    }
    m_pressed = std::move(pressed);
    if (!m_filterInstalled) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
    return grab();
}

void XcbHotkey::unregisterHotkey() {
    releaseHeldKeys();
    m_regrab.stop();
    ungrab();
    m_pressed = nullptr;
}

uint16_t XcbHotkey::maskOfKeysym(uint32_t keysym) const {
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(m_symbols, keysym);
    if (!codes)
        return 0;
    uint16_t mask = 0;
    if (auto *map =
            xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr)) {
        const xcb_keycode_t *keys = xcb_get_modifier_mapping_keycodes(map);
        const int perModifier = map->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8 && !mask; ++modifier) {
            for (int k = 0; k < perModifier; ++k) {
                const xcb_keycode_t key = keys[modifier * perModifier + k];
                for (const xcb_keycode_t *code = codes; key && *code != XCB_NO_SYMBOL; ++code) {
                    if (*code == key)
                        mask = uint16_t(1u << modifier);
                }
            }
        }
        std::free(map);
    }
    std::free(codes);
    return mask;
}

bool XcbHotkey::grab() {
    if (m_symbols)
        xcb_key_symbols_free(m_symbols);
    m_symbols = xcb_key_symbols_alloc(m_connection);
    m_keycodes.clear();
    if (xcb_keycode_t *codes = xcb_key_symbols_get_keycode(m_symbols, keysymZ)) {
        for (const xcb_keycode_t *code = codes; *code != XCB_NO_SYMBOL; ++code) {
            if (!m_keycodes.contains(*code))
                m_keycodes.append(*code);
        }
        std::free(codes);
    }
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const bool onPhysicalZ =
        m_keycodes.isEmpty() && setup->min_keycode <= physicalZ && physicalZ <= setup->max_keycode;
    if (onPhysicalZ) {
        m_keycodes.append(physicalZ);
        if (!m_onPhysicalZ)
            qCInfo(lcHotkey,
                   "no group of the keyboard layout types z: Alt+Z is the key in Z's place on a US keyboard");
    }
    m_onPhysicalZ = onPhysicalZ;
    if (m_keycodes.isEmpty()) {
        ungrab();
        qCWarning(
            lcHotkey,
            "RegisterEventHotKey failed: no key of the keyboard layout types z, and the "
            "keyboard has no key in Z's place — bind `ilvex --toggle` in the desktop's shortcut settings");
        return false;
    }

    QList<uint16_t> locks{XCB_MOD_MASK_LOCK};
    for (const uint16_t mask : {maskOfKeysym(keysymNumLock), maskOfKeysym(keysymScrollLock)}) {
        if (mask && mask != XCB_MOD_MASK_1 && !locks.contains(mask))
            locks.append(mask);
    }
    m_lockMask = 0;
    for (const uint16_t mask : locks)
        m_lockMask |= mask;

    QList<Grab> wanted;
    for (const uint8_t keycode : std::as_const(m_keycodes)) {
        for (unsigned combination = 0; combination < (1u << locks.size()); ++combination) {
            uint16_t modifiers = XCB_MOD_MASK_1;
            for (qsizetype i = 0; i < locks.size(); ++i) {
                if (combination & (1u << i))
                    modifiers |= locks[i];
            }
            wanted.append({keycode, modifiers});
        }
    }
    // Only what changed is taken and given up, in that order: a press while the grabs are redone would be
    // lost, and a keyboard used for the first time announces a keymap that is mostly the one before.
    struct Pending {
        Grab grab;
        xcb_void_cookie_t cookie;
    };
    QList<Pending> pending;
    for (const Grab &grab : std::as_const(wanted)) {
        if (!m_grabbed.contains(grab))
            pending.append({grab, xcb_grab_key_checked(m_connection, 1, m_root, grab.modifiers, grab.keycode,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC)});
    }
    for (const Grab &grab : std::exchange(m_grabbed, {})) {
        if (wanted.contains(grab))
            m_grabbed.append(grab);
        else
            xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.modifiers);
    }
    int failure = 0;
    for (const Pending &request : std::as_const(pending)) {
        if (xcb_generic_error_t *error = xcb_request_check(m_connection, request.cookie)) {
            if (!failure)
                failure = error->error_code;
            std::free(error);
        } else {
            m_grabbed.append(request.grab);
        }
    }
    if (failure) {
        // Half a hotkey (working only with some lock keys) would be worse than none.
        ungrab();
        qCWarning(lcHotkey, "RegisterEventHotKey failed: %d — Alt+Z may be in use by another app", failure);
        return false;
    }
    return true;
}

void XcbHotkey::ungrab() {
    if (!m_connection || m_grabbed.isEmpty())
        return;
    for (const Grab &grab : std::as_const(m_grabbed))
        xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.modifiers);
    m_grabbed.clear();
    xcb_flush(m_connection);
}

void XcbHotkey::holdKeys(uint32_t time) {
    if (!m_holding) {
        auto *reply = xcb_grab_keyboard_reply(
            m_connection,
            xcb_grab_keyboard(m_connection, 0, m_root, time, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
            nullptr);
        m_holding = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
        m_held.clear();
        m_forwardTo = XCB_NONE; // these keys wait for the launcher shown next, if it shows
    }
    if (m_holding && !m_forwardTo)
        m_holdTimeout.start(holdTimeoutMs);
}

void XcbHotkey::forward(QByteArray event) const {
    auto *key = reinterpret_cast<xcb_key_press_event_t *>(event.data());
    key->event = m_forwardTo;
    key->child = XCB_NONE;
    key->same_screen = 1;
    xcb_send_event(m_connection, 0, m_forwardTo, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE,
                   event.constData());
}

void XcbHotkey::deliverHeldKeys(quintptr window) {
    if (!m_connection || !m_holding)
        return;
    // Keys the server sent before the grab took them may still wait in the queue of events: they are
    // sent on as they come, after these, until typing pauses.
    m_forwardTo = xcb_window_t(window);
    for (const QByteArray &event : std::exchange(m_held, {}))
        forward(event);
    xcb_flush(m_connection);
    m_holdTimeout.start(forwardQuietMs);
}

void XcbHotkey::letKeyboardGo() {
    m_holdTimeout.stop();
    m_held.clear();
    if (!m_connection || !m_holding)
        return;
    m_holding = false;
    xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
    xcb_flush(m_connection);
    if (m_keyboardReleased)
        m_keyboardReleased();
}

void XcbHotkey::releaseHeldKeys() {
    m_forwardTo = XCB_NONE;
    letKeyboardGo();
}

bool XcbHotkey::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) {
    if (!m_pressed || eventType != "xcb_generic_event_t")
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
        auto *key = reinterpret_cast<xcb_key_press_event_t *>(event);
        const bool hotkey =
            m_keycodes.contains(key->detail) && (key->state & modifierBits & ~m_lockMask) == XCB_MOD_MASK_1;
        // Only the grabs report on the root window: Alt+Z typed into one of our own windows is not it,
        // unless the launcher's own grab took the key from the root's (never a key we sent on ourselves).
        if (key->event != m_root) {
            const bool grabbed = m_activeGrabWindow && key->event == m_activeGrabWindow &&
                                 !(event->response_type & 0x80) && hotkey;
            if (grabbed && type == XCB_KEY_PRESS && key->time != m_lastRelease)
                QMetaObject::invokeMethod(QCoreApplication::instance(), m_pressed, Qt::QueuedConnection);
            else if (grabbed)
                m_lastRelease = key->time;
            return grabbed;
        }
        if (hotkey && type == XCB_KEY_PRESS) {
            // The press froze the keyboard: grab all of it before it goes on.
            holdKeys(key->time);
            if (key->time != m_lastRelease) // an auto-repeat press follows its release at once
                QMetaObject::invokeMethod(QCoreApplication::instance(), m_pressed, Qt::QueuedConnection);
        } else if (hotkey) {
            m_lastRelease = key->time;
        } else if (m_forwardTo) {
            // Also a key typed before the keyboard was let go but read after it.
            forward(QByteArray(reinterpret_cast<const char *>(key), sizeof *key));
            if (m_holding)
                m_holdTimeout.start(forwardQuietMs);
        } else if (m_holding) {
            m_held.append(QByteArray(reinterpret_cast<const char *>(key), sizeof *key));
        }
        // Whatever the event, a keyboard frozen by the grab goes on (a no-op when it is not frozen).
        xcb_allow_events(m_connection, XCB_ALLOW_ASYNC_KEYBOARD, XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        return hotkey || m_holding || m_forwardTo;
    }
    if (type == XCB_MAPPING_NOTIFY) {
        auto *mapping = reinterpret_cast<xcb_mapping_notify_event_t *>(event);
        if (mapping->request != XCB_MAPPING_POINTER)
            m_regrab.start();
    } else if (m_xkbFirstEvent && type == m_xkbFirstEvent) {
        const uint8_t kind = reinterpret_cast<const uint8_t *>(event)[1];
        if (kind == xkbNewKeyboardNotify || kind == xkbMapNotify)
            m_regrab.start();
    }
    return false;
}
