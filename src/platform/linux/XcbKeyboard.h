#pragma once

#include <QtGlobal>

#include <optional>

// Which digit 1–9 a key of the digit row stands for, from the key itself rather than from what it types:
// on layouts where the digits need Shift (AZERTY types "&" with the key of 1) the key still counts as 1.
// keycode is the X key code of the event (QKeyEvent::nativeScanCode on X11 and Wayland). The digit is
// found among the key's symbols on its first two levels in the live keyboard mapping; without an X
// display, evdev key codes (10 to 18 for 1 to 9) are assumed.
std::optional<int> digitRowKey(quint32 keycode);
