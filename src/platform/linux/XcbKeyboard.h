#pragma once

#include "platform/KeyboardLayout.h"
#include "platform/linux/LinuxOnly.h"

// The digit row read from the live keyboard mapping of Qt's X connection: the digit is found among the
// key's symbols on its first two levels. Without an X display, evdev key codes are assumed.
class XcbKeyboard : public KeyboardLayout {
  public:
    std::optional<int> digitRowKey(quint32 keycode) const override;
};

// The digit 1–9 among the first two of a key's symbols (X keysyms of its first group, level by level).
std::optional<int> digitOfSymbols(const quint32 *symbols, int count);
