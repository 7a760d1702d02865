#pragma once

#include <QPoint>

#include <cstdint>

struct xcb_connection_t;

// The pointer's position on the X display, in the display's own pixels, read over a connection of its
// own. The hot corner asks twenty times a second for as long as Ilvex runs: on Qt's connection every
// answer would also wake Qt's event-reader thread and hand over to the main thread, which costs more than
// the question. Here one QueryPointer is written and its reply read on the calling thread, nothing else.
class XcbPointer {
  public:
    XcbPointer() = default; // connects to the display of $DISPLAY at the first reading
    ~XcbPointer();
    XcbPointer(const XcbPointer &) = delete;
    XcbPointer &operator=(const XcbPointer &) = delete;

    // False when there is no display to ask (or it stopped answering).
    bool position(QPoint *at);

  private:
    bool connect();

    xcb_connection_t *m_connection = nullptr;
    uint32_t m_root = 0;
};
