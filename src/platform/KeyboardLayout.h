#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What the keyboard's layout says about a key, beyond what the key typed.
class KeyboardLayout {
  public:
    virtual ~KeyboardLayout() = default;

    // Which digit 1–9 a key of the digit row stands for, from the key itself rather than from what it
    // types: on layouts where the digits need Shift (AZERTY types "&" with the key of 1) the key still
    // counts as 1. keycode is the X key code of the event (QKeyEvent::nativeScanCode on X11 and Wayland).
    virtual std::optional<int> digitRowKey(quint32 keycode) const = 0;
};

// The digit row of the usual evdev key codes (10 to 18 for 1 to 9), for when no layout can be asked.
std::optional<int> evdevDigitRowKey(quint32 keycode);

// The slot digit a key press means, from what it typed, whether it came from the keypad, and the digit
// its key stands for on the digit row (digitRowKey). A key that types a letter is a letter wherever it
// sits (AZERTY's é, Czech š); the digit row counts only for keys typing no letter (AZERTY's & " ' ( - _),
// and a typed digit (Shift on AZERTY, the keypad) always counts.
std::optional<int> slotDigitOf(const QString &typed, bool keypad, std::optional<int> rowDigit);
