#include "platform/KeyboardLayout.h"

#include <algorithm>

std::optional<int> evdevDigitRowKey(quint32 keycode) {
    if (keycode >= 10 && keycode <= 18)
        return int(keycode) - 9;
    return std::nullopt;
}

std::optional<int> slotDigitOf(const QString &typed, bool keypad, std::optional<int> rowDigit) {
    const bool typedDigit = typed.size() == 1 && typed[0] >= u'1' && typed[0] <= u'9';
    if (typedDigit)
        return typed[0].unicode() - u'0';
    if (keypad || std::any_of(typed.cbegin(), typed.cend(), [](QChar c) { return c.isLetter(); }))
        return std::nullopt;
    return rowDigit;
}
