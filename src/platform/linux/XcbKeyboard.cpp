#include "platform/linux/XcbKeyboard.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace {
constexpr quint32 keysymOne = 0x31, keysymNine = 0x39;
} // namespace

std::optional<int> XcbKeyboard::digitRowKey(quint32 keycode) const {
    if (keycode < 8 || keycode > 255)
        return std::nullopt;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return evdevDigitRowKey(keycode);
    // One round trip per key press: the mapping may have changed since the last (setxkbmap).
    auto *reply = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, xcb_keycode_t(keycode), 1), nullptr);
    if (!reply)
        return std::nullopt;
    const std::optional<int> digit =
        digitOfSymbols(xcb_get_keyboard_mapping_keysyms(reply), reply->keysyms_per_keycode);
    std::free(reply);
    return digit;
}

std::optional<int> digitOfSymbols(const quint32 *symbols, int count) {
    for (int level = 0; level < std::min(count, 2); ++level) {
        if (symbols[level] >= keysymOne && symbols[level] <= keysymNine)
            return int(symbols[level] - keysymOne) + 1;
    }
    return std::nullopt;
}
