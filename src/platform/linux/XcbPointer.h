#pragma once

#include <QPoint>

#include <cstdint>

struct xcb_connection_t;

// The pointer's position on the X display, in the display's own pixels, read over a connection of its
// own. The hot corner asks many times a second: on Qt's connection every answer would also wake Qt's
// event-reader thread and hand over to the main thread, which costs more than the question. Here one
// QueryPointer is written and its reply read on the calling thread, nothing else.
//
// The same connection can watch for motion, so that a resting pointer costs no questions at all: raw
// motion of every pointing device (delivered during grabs too) and the root window's own motion and
// crossings, which is what a program that warps the pointer over the desktop produces.
class XcbPointer {
  public:
    XcbPointer() = default; // connects to the display of $DISPLAY at the first use
    ~XcbPointer();
    XcbPointer(const XcbPointer &) = delete;
    XcbPointer &operator=(const XcbPointer &) = delete;

    // False when there is no display to ask (or it stopped answering).
    bool position(QPoint *at);

    // Selects the motion events (X Input 2.2); false when the display cannot deliver them.
    bool watchMotion();
    // The connection's socket: readable when events arrive. -1 without a connection.
    int socket() const;
    // Reads every event that has arrived; true when one of them tells of motion.
    bool takeMotion();

  private:
    bool connect();

    xcb_connection_t *m_connection = nullptr;
    uint32_t m_root = 0;
    uint8_t m_inputOpcode = 0;
};
