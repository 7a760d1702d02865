#pragma once

#include <QObject>
#include <QRect>

class QWindow;

// How the launcher's window stands among the desktop's other windows.
//
// Window managers differ in what they do with a frameless window that asks to sit above the others:
// they file it on a desktop of their own choosing, move it out from under their panels, tile it, give it
// a shadow or a taskbar button. Where it can, the launcher's window bypasses the manager and does for
// itself what a manager would: it raises itself, takes the keyboard while it shows and gives the focus
// back when it hides, keeps the program's own dialogs above it, and watches for presses outside the
// program, because a click on the desktop, a panel or a window that never takes the focus changes no
// focus that could tell of it.
class WindowSystem : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    // A window's opacity can be animated (false where the platform would only warn).
    virtual bool fadesWindows() const = 0;
    // Whether the launcher's window must be created bypassing the window manager.
    virtual bool bypassesWindowManager() const = 0;
    // pressedOutside() is emitted for presses anywhere outside the program's windows while the launcher
    // shows. Without it a lost activation is the only sign of a click elsewhere.
    virtual bool reportsOutsidePresses() const = 0;

    // The part of the screen (given by its geometry) that the desktop's panels and docks leave free.
    virtual QRect workArea(const QRect &screenGeometry, const QRect &fallback) const = 0;

    // The launcher's window has just been shown (or brought back while it faded out): it goes above
    // every other window and takes the keyboard.
    virtual void launcherShown(QWindow *window) = 0;
    // The launcher begins to hide: the keyboard and the focus go back to where they were.
    virtual void launcherHiding(QWindow *window) = 0;

  Q_SIGNALS:
    void pressedOutside();
};
