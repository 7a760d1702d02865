#pragma once

#include <QObject>
#include <QUrl>

class GlobalHotkey;
class HotCorner;
class LoginItem;
class PointerWatch;
class Preferences;
class StatusItem;
class Workspace;

// How Ilvex is reachable on the desktop: the global hotkey, the hot corner, the tray icon with its menu,
// the taskbar presence of its own windows and the login item, each following its preference whoever
// changes it. What the hotkey, the corner and the menu ask for is sent as signals, after the menu has
// closed.
class DesktopPresence : public QObject {
    Q_OBJECT

  public:
    // preferences: not owned, outlives this.
    explicit DesktopPresence(Preferences &preferences, QObject *parent = nullptr);
    ~DesktopPresence() override;

    // The desktop facilities (not owned; any may be null).
    void setServices(GlobalHotkey *hotkey, LoginItem *loginItem, Workspace *workspace,
                     PointerWatch *pointer = nullptr);
    // Registers the hotkey, arms the corner, shows the tray icon and repairs the login item as the
    // preferences say, and follows them from now on.
    void start();

    // The one rule of the two presences: Ilvex's windows leave the taskbar ("Hide Dock icon") only while
    // the tray icon is there to reach it by.
    static bool showsInTaskbar(const Preferences &preferences);
    bool showsInTaskbar() const { return m_showsInTaskbar; }
    // The desktop entry's "Show in menu bar" action: flips "showInMenuBar" and the tray icon with it.
    void toggleTrayIcon();
    void sendFeedback();
    static QUrl feedbackUrl();

    StatusItem *statusItem() const { return m_statusItem; }
    HotCorner *hotCorner() const { return m_hotCorner; }

  Q_SIGNALS:
    // The hotkey was pressed; ask for the toggle with a queued connection, the key's handler only
    // reports it.
    void hotkeyPressed();
    void hotCornerFired();
    void trayClicked();
    void aboutChosen();
    void settingsChosen();
    void checkForUpdatesChosen();
    // The tray icon is in a tray.
    void trayReady();
    void showsInTaskbarChanged(bool shows);

  private:
    void followPreference(int key);
    void setTrayIconVisible(bool visible);

    Preferences &m_preferences;
    GlobalHotkey *m_hotkey = nullptr;
    LoginItem *m_loginItem = nullptr;
    Workspace *m_workspace = nullptr;
    PointerWatch *m_pointer = nullptr;
    StatusItem *m_statusItem = nullptr;
    HotCorner *m_hotCorner = nullptr;
    bool m_showsInTaskbar = false;
};
