// Another client holding Alt+Z: grabs Mod1+Z on the root window, says "held" and waits to be killed.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main() {
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return 2;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, 0x7a);
    if (!codes || codes[0] == XCB_NO_SYMBOL)
        return 2;
    if (xcb_generic_error_t *error =
            xcb_request_check(connection, xcb_grab_key_checked(connection, 1, root, XCB_MOD_MASK_1, codes[0],
                                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC))) {
        std::free(error);
        return 3;
    }
    std::puts("held");
    std::fflush(stdout);
    while (true)
        ::pause();
}
