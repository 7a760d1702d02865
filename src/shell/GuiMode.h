#pragma once

#include "shell/SingleInstance.h"

#include <QString>

// Starts Ilvex with its windows, or hands request to the Ilvex already running. wayland leaves the
// choice of display platform to Qt; otherwise X11 is used whenever there is an X display.
int runGui(int argc, char **argv, InstanceRequest request, bool wayland);

// Renders the launcher for the current lists into a PNG and returns (no display needed).
int runScreenshot(int argc, char **argv, const QString &path);
