#pragma once

#include "shell/SingleInstance.h"

#include <QString>

class Platform;

// Starts Ilvex with its windows on the platform's desktop facilities, or hands request to the Ilvex
// already running. wayland leaves the choice of display platform to Qt; otherwise the platform chooses
// (X11 whenever there is an X display).
int runGui(int argc, char **argv, InstanceRequest request, bool wayland, Platform &platform);

// Renders the launcher for the current lists into a PNG at a file name given as bytes and returns (no
// display needed).
int runScreenshot(int argc, char **argv, const QByteArray &nativePath, Platform &platform);

// Makes the preferences file private (0600 in a 0700 folder) before anything writes it. Only for the
// holder of the instance lock; the store makes its own folder private.
void preparePrivateFiles();
