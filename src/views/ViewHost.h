#pragma once

#include <memory>

// Keeps the launcher up for as long as it lives: one count of the shell's autoDismissSuspenders, given
// back when it goes.
class LauncherHold {
  public:
    virtual ~LauncherHold() = default;
};

// What the views ask of whoever shows them. The shell implements it (see launcher/LauncherHost.h);
// tests hand in a fake. Views given no host hold nothing open.
class ViewHost {
  public:
    virtual ~ViewHost() = default;
    // A hold that keeps outside clicks and Escape from dismissing the launcher while an editor is open.
    virtual std::unique_ptr<LauncherHold> holdOpen() = 0;
};
