#include "platform/linux/XcbPointer.h"

#include <xcb/xcb.h>

#include <cstdlib>

bool XcbPointer::connect() {
    int screen = 0;
    m_connection = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(m_connection))
        return false;
    xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (; roots.rem && screen > 0; --screen)
        xcb_screen_next(&roots);
    if (roots.rem)
        m_root = roots.data->root;
    return m_root != 0;
}

XcbPointer::~XcbPointer() {
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool XcbPointer::position(QPoint *at) {
    if (!m_connection && !connect())
        return false;
    if (!m_root || xcb_connection_has_error(m_connection))
        return false;
    xcb_query_pointer_reply_t *reply =
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
    if (!reply)
        return false;
    *at = QPoint(reply->root_x, reply->root_y);
    std::free(reply);
    return true;
}
