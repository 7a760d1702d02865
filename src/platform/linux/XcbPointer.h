#pragma once

#include "platform/Platform.h"
#include "platform/linux/LinuxOnly.h"

#include <cstdint>

struct xcb_connection_t;

// The pointer's position on the X display, read over a connection of its own. The hot corner asks many
// times a second: on Qt's connection every answer would also wake Qt's event-reader thread and hand over
// to the main thread, which costs more than the question. Here one QueryPointer is written and its reply
// read on the calling thread, nothing else.
//
// The same connection watches for motion, so that a resting pointer costs no questions at all: raw
// motion of every pointing device (delivered during grabs too) and the root window's own motion and
// crossings, which is what a program that warps the pointer over the desktop produces.
class XcbPointer : public PointerWatch {
  public:
    XcbPointer(); // connects to the display of $DISPLAY and selects the motion events (X Input 2.2)
    ~XcbPointer() override;
    XcbPointer(const XcbPointer &) = delete;
    XcbPointer &operator=(const XcbPointer &) = delete;

    // False when there is no display to ask (or it stopped answering). The display's pixels are turned
    // into Qt's (a screen's origin kept, its extent divided by its pixel ratio).
    bool position(QPoint *at) override;
    // The connection's socket while motion is watched; -1 otherwise.
    int motionSocket() const override;
    bool takeMotion() override;

  private:
    bool connect();
    bool watchMotion();

    xcb_connection_t *m_connection = nullptr;
    uint32_t m_root = 0;
    uint8_t m_inputOpcode = 0; // 0: motion is not watched
};
