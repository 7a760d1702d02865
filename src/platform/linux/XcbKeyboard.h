#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Which digit 1–9 a key of the digit row stands for, from the key itself rather than from what it types:
// on layouts where the digits need Shift (AZERTY types "&" with the key of 1) the key still counts as 1.
// keycode is the X key code of the event (QKeyEvent::nativeScanCode on X11 and Wayland). The digit is
// found among the key's symbols on its first two levels in the live keyboard mapping; without an X
// display, evdev key codes (10 to 18 for 1 to 9) are assumed.
std::optional<int> digitRowKey(quint32 keycode);

// The digit 1–9 among the first two of a key's symbols (X keysyms of its first group, level by level).
std::optional<int> digitOfSymbols(const quint32 *symbols, int count);

// The slot digit a key press means, from what it typed, whether it came from the keypad, and the digit
// its key stands for on the digit row (digitRowKey). A key that types a letter is a letter wherever it
// sits (AZERTY's é, Czech š); the digit row counts only for keys typing no letter (AZERTY's & " ' ( - _),
// and a typed digit (Shift on AZERTY, the keypad) always counts.
std::optional<int> slotDigitOf(const QString &typed, bool keypad, std::optional<int> rowDigit);
