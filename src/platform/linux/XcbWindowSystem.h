#pragma once

#include "platform/WindowSystem.h"
#include "platform/linux/LinuxOnly.h"

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <cstdint>

struct xcb_connection_t;
class XcbHotkey;

// The launcher's window on X11, bypassing the window manager (override-redirect): the manager never
// moves, frames, tiles or files it, so it shows on the first summon, exactly where it was put, on every
// desktop at once, with no taskbar entry. What a manager would do for it, it does itself:
//
// - it raises itself above every window, and keeps the program's own dialogs (prompts, file pickers)
//   above it by stacking itself right under them;
// - it takes the keyboard (an active grab that reports keys to the program's own focused window first)
//   and the input focus, takes them back after one of Qt's menus, the hotkey's own hold or a focus-
//   follows-mouse manager let them go, and gives the focus back to the window that had it when it
//   hides;
// - it watches raw button presses on the root window (X Input 2.2: reported whatever holds the pointer)
//   and tells of those outside the program's windows, including the bare desktop, panels and windows
//   that never take the focus.
//
// The work area under the desktop's panels comes from their struts (_NET_WM_STRUT_PARTIAL), per monitor,
// as _NET_WORKAREA is one rectangle for all monitors.
class XcbWindowSystem : public WindowSystem, public QAbstractNativeEventFilter {
    Q_OBJECT

  public:
    // hotkey: the Alt+Z grab, whose hold on the keyboard the launcher takes over (may be nullptr).
    explicit XcbWindowSystem(XcbHotkey *hotkey = nullptr, QObject *parent = nullptr);
    ~XcbWindowSystem() override;

    bool fadesWindows() const override { return true; }
    bool bypassesWindowManager() const override { return m_connection != nullptr; }
    bool reportsOutsidePresses() const override { return m_inputOpcode != 0; }
    QRect workArea(const QRect &screenGeometry, const QRect &fallback) const override;
    void launcherShown(QWindow *window) override;
    void launcherHiding(QWindow *window) override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

  private:
    uint32_t atom(const char *name) const;
    bool isOwnWindow(uint32_t window) const;
    bool pointerOverOwnWindow() const;
    uint32_t topLevelOf(uint32_t window) const;
    void selectPresses(bool on);
    // Grabs the keyboard and takes the focus for the launcher, unless a menu or a dialog of the program
    // has them now.
    void keepKeyboard(bool summoned);
    void releaseKeyboard();
    void stackUnder(uint32_t window);
    bool isAbove(uint32_t window, uint32_t other) const;
    bool otherWindowShows() const;

    xcb_connection_t *m_connection = nullptr;
    uint32_t m_root = 0;
    uint32_t m_resourceBase = 0;
    uint32_t m_resourceMask = 0;
    uint8_t m_inputOpcode = 0; // 0: no X Input 2.2, no raw presses
    XcbHotkey *m_hotkey = nullptr;
    QPointer<QWindow> m_launcher; // while it shows
    uint32_t m_focusBefore = 0;   // the window that had the focus when the launcher showed
    bool m_grabbed = false;
    bool m_pressedOutside = false; // this showing ends with a press elsewhere, which decides the focus
    static constexpr int maxFocusTakes = 3;
    int m_focusTakes = 0; // times the focus was taken back in this showing
    QTimer m_keep;        // coalesces the reasons to take the keyboard back into one attempt
    QTimer m_restack;
    uint32_t m_keptAbove = 0; // the dialog of ours last mapped while the launcher shows
    int m_restacks = 0;
    bool m_lowered = false; // put at the bottom under a dialog: raised again when the keyboard is back
};
