#include "platform/linux/XcbPointer.h"

#include <QGuiApplication>
#include <QScreen>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

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

namespace {
QPoint fromNativePixels(QPoint native) {
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect frame = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        if (QRect(frame.topLeft(), frame.size() * ratio).contains(native))
            return frame.topLeft() + (native - frame.topLeft()) / ratio;
    }
    return native;
}
} // namespace

XcbPointer::XcbPointer() {
    if (connect())
        watchMotion();
}

XcbPointer::~XcbPointer() {
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool XcbPointer::position(QPoint *at) {
    if (!m_root || xcb_connection_has_error(m_connection))
        return false;
    xcb_query_pointer_reply_t *reply =
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
    if (!reply)
        return false;
    *at = fromNativePixels(QPoint(reply->root_x, reply->root_y));
    std::free(reply);
    return true;
}

bool XcbPointer::watchMotion() {
    const xcb_query_extension_reply_t *input = xcb_get_extension_data(m_connection, &xcb_input_id);
    if (!input || !input->present)
        return false;
    // Raw events reach a client during another's grab only from version 2.2 on.
    xcb_input_xi_query_version_reply_t *version = xcb_input_xi_query_version_reply(
        m_connection, xcb_input_xi_query_version(m_connection, 2, 2), nullptr);
    const bool recent = version && (version->major_version > 2 ||
                                    (version->major_version == 2 && version->minor_version >= 2));
    std::free(version);
    if (!recent)
        return false;
    struct {
        xcb_input_event_mask_t head;
        uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           XCB_INPUT_XI_EVENT_MASK_RAW_MOTION | XCB_INPUT_XI_EVENT_MASK_MOTION |
               XCB_INPUT_XI_EVENT_MASK_ENTER | XCB_INPUT_XI_EVENT_MASK_LEAVE};
    xcb_generic_error_t *error = xcb_request_check(
        m_connection, xcb_input_xi_select_events_checked(m_connection, m_root, 1, &mask.head));
    if (error) {
        std::free(error);
        return false;
    }
    m_inputOpcode = input->major_opcode;
    return true;
}

int XcbPointer::motionSocket() const {
    return m_inputOpcode && !xcb_connection_has_error(m_connection) ? xcb_get_file_descriptor(m_connection)
                                                                    : -1;
}

bool XcbPointer::takeMotion() {
    if (!m_inputOpcode)
        return false;
    bool moved = false;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == XCB_GE_GENERIC &&
            reinterpret_cast<xcb_ge_generic_event_t *>(event)->extension == m_inputOpcode)
            moved = true;
        std::free(event);
    }
    // A lost display cannot be watched: report motion, so that the corner keeps asking (and hearing no).
    return moved || xcb_connection_has_error(m_connection);
}
