#include "platform/linux/XcbKeyboard.h"

#include <xkbcommon/xkbcommon.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

// What each key of the digit row (1 to 9) opens on a layout, unshifted and with Shift, as the ring reads
// the key: its typed text and its first two symbols, taken from the layout itself. "-" is no slot.
std::string slotsOf(xkb_keymap *keymap, bool shift) {
    std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state(xkb_state_new(keymap), xkb_state_unref);
    const xkb_mod_mask_t shifted = 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_SHIFT);
    xkb_state_update_mask(state.get(), shift ? shifted : 0, 0, 0, 0, 0, 0);
    std::string slots;
    for (xkb_keycode_t key = 10; key <= 18; ++key) {
        quint32 symbols[2] = {0, 0};
        for (xkb_level_index_t level = 0; level < 2; ++level) {
            const xkb_keysym_t *found = nullptr;
            if (xkb_keymap_key_get_syms_by_level(keymap, key, 0, level, &found) == 1)
                symbols[level] = found[0];
        }
        char text[16] = {};
        xkb_state_key_get_utf8(state.get(), key, text, sizeof text);
        const auto slot = slotDigitOf(QString::fromUtf8(text), false, digitOfSymbols(symbols, 2));
        slots += slot ? char('0' + *slot) : '-';
    }
    return slots;
}

TEST(KeyboardTest, DigitRowLettersSearchAndShiftedDigitsOpenSlots) {
    const std::tuple<const char *, const char *, const char *> layouts[] = {
        // layout, plain, shifted
        {"fr", "1-3456-8-", "123456789"}, // é è ç are letters; & " ' ( - _ count as their digits
        {"cz", "1--------", "123456789"}, // + is 1; ě š č ř ž ý á í are letters
        {"de", "123456789", "123456789"}, // Shift types ! " § $ % & / ( )
    };
    std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS),
                                                                       xkb_context_unref);
    ASSERT_TRUE(context);
    for (const auto &[layout, plain, shifted] : layouts) {
        SCOPED_TRACE(layout);
        const xkb_rule_names names{"evdev", "pc105", layout, "", ""};
        std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap(
            xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS), xkb_keymap_unref);
        ASSERT_TRUE(keymap);
        EXPECT_EQ(slotsOf(keymap.get(), false), plain);
        EXPECT_EQ(slotsOf(keymap.get(), true), shifted);
    }
}

} // namespace
