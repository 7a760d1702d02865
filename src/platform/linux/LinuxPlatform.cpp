#include "platform/linux/LinuxPlatform.h"
#include "platform/Log.h"

#include "platform/linux/CanberraSound.h"
#include "platform/linux/DisplayProbe.h"
#include "platform/linux/FileBookmarks.h"
#include "platform/linux/GioWorkspace.h"
#include "platform/linux/PortalHotkey.h"
#include "platform/linux/XcbHotkey.h"
#include "platform/linux/XcbKeyboard.h"
#include "platform/linux/XcbPointer.h"
#include "platform/linux/XcbWindowSystem.h"
#include "platform/linux/XdgAutostart.h"

#include <QGuiApplication>

#include <cstdio>

namespace {

// Each facility is made at its first use: some need the application object (the login item names
// this program's file), and a command that only prints its version needs none.
template <typename T> T &made(std::unique_ptr<T> &slot) {
    if (!slot)
        slot = std::make_unique<T>();
    return *slot;
}

class LinuxPlatform : public Platform {
  public:
    bool displayReachable() const override { return DisplayProbe::displayReachable(); }

    void chooseDisplayPlatform(bool native) override {
        // X11 by default: the launcher's placement, stacking and focus need it. Launched programs do not
        // inherit this (the workspace strips it).
        if (!native && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsSet("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "xcb");
    }

    Workspace &workspace() override { return made(m_workspace); }
    Bookmarks &bookmarks() override { return made(m_bookmarks); }
    // Flatpak counts as a sandbox, like the container variable of other sandboxes.
    bool isSandboxed() const override {
        return qEnvironmentVariableIsSet("FLATPAK_ID") ||
               qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID");
    }
    LoginItem &loginItem() override { return made(m_loginItem); }
    SoundPlayer &sound() override { return made(m_sound); }
    KeyboardLayout &keyboard() override { return m_keyboard; }

    DesktopServices connectDesktop() override {
        DesktopServices desktop;
        const bool x11 = QGuiApplication::platformName() == u"xcb";
        // On Wayland only the desktop may bind global keys (an X grab through XWayland would see keys only
        // while an X window has the focus): the shortcuts portal binds Alt+Z there.
        if (x11 && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) {
            auto hotkey = std::make_unique<XcbHotkey>();
            desktop.windows = std::make_unique<XcbWindowSystem>(hotkey.get());
            desktop.hotkey = std::move(hotkey);
        } else {
            desktop.hotkey = std::make_unique<PortalHotkey>();
            if (x11) {
                desktop.windows = std::make_unique<XcbWindowSystem>();
            } else {
                qCInfo(lcShell,
                       "Wayland: the compositor places the launcher (not under the pointer), and the "
                       "hot corner is not available");
            }
        }
        if (x11)
            desktop.pointer = std::make_unique<XcbPointer>();
        return desktop;
    }

  private:
    std::unique_ptr<GioWorkspace> m_workspace;
    std::unique_ptr<FileBookmarks> m_bookmarks;
    std::unique_ptr<XdgAutostart> m_loginItem;
    std::unique_ptr<CanberraSound> m_sound;
    XcbKeyboard m_keyboard;
};

} // namespace

std::unique_ptr<Platform> createPlatform() {
    return std::make_unique<LinuxPlatform>();
}
