#pragma once

#include "views/ViewHost.h"

class FaviconCache;
class KeyboardLayout;
class QWidget;

// What the "add" file dialog picks.
enum class LauncherAddKind { app, folder, file };

// What the launcher's views ask of the shell that shows them: the shell implements it and hands it to
// the views; tests hand in a fake.
class LauncherHost : public ViewHost {
  public:
    // Hides the launcher (it fades out).
    virtual void dismiss() = 0;
    // Asks for applications, folders or files to add to the current list.
    virtual void pick(LauncherAddKind kind) = 0;
    // The cache link entries take their favicons from; nullptr shows the globe.
    virtual FaviconCache *faviconCache() = 0;
    // The short "done" sound of a launch, a group opening or a drop.
    virtual void playSound() = 0;
    // The layout the digit keys are read on; nullptr assumes the usual evdev key codes.
    virtual const KeyboardLayout *keyboardLayout() const { return nullptr; }
    // Builds the manage panel that the pencil opens beside the ring, of the given width; the ring puts it
    // up and takes it down (the panel closes itself to go). nullptr: no panel.
    virtual QWidget *createManagePanel(QWidget *parent, double width) = 0;
};
