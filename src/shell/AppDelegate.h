#pragma once

#include "shell/DesktopPresence.h"
#include "shell/LauncherWindow.h"
#include "shell/UpdateAlerts.h"

#include <QObject>
#include <QPointer>

class AboutView;
class AppState;
class SettingsWindow;
class UpdateChecker;

// The application shell: puts the launcher's window, the desktop presence and the update alerts
// together, and keeps the settings and About windows (each created on first use and reused).
class AppDelegate : public QObject {
    Q_OBJECT

  public:
    // state: the store the launcher shows (not owned, not null).
    explicit AppDelegate(AppState *state, QObject *parent = nullptr);
    ~AppDelegate() override;

    void setServices(const ShellServices &services);
    // The start-up sequence after the store exists: the hotkey, the corner, the tray, the login item.
    void applicationDidFinishLaunching() { m_presence.start(); }

    LauncherWindow &launcher() { return m_launcher; }
    UpdateAlerts &updateAlerts() { return m_alerts; }

    void showLauncher(LaunchSource source) { m_launcher.show(source); }
    void hideLauncher() { m_launcher.hide(); }
    void toggleLauncher() { m_launcher.toggle(); }
    bool isLauncherShown() const { return m_launcher.isShown(); }
    CircularLauncherView *launcherView() const { return m_launcher.view(); }
    void prepareLauncher() { m_launcher.prepare(); }
    void toggleMenuBarFromDock() { m_presence.toggleTrayIcon(); }
    void sendFeedback() { m_presence.sendFeedback(); }
    bool showsInTaskbar() const { return m_presence.showsInTaskbar(); }
    StatusItem *statusItem() const { return m_presence.statusItem(); }
    HotCorner *hotCorner() const { return m_presence.hotCorner(); }

    void openSettings();
    void openAbout();
    SettingsWindow *settingsWindow() const;
    AboutView *aboutWindow() const;
    // Updates: the checker (not owned) serves the tray menu's two items; its results show as alerts.
    void setUpdateChecker(UpdateChecker *checker) { m_alerts.setChecker(checker); }
    void checkForUpdates();

  Q_SIGNALS:
    // The hotkey was pressed; the toggle follows.
    void hotkeyPressed();
    // The tray icon is in a tray.
    void trayReady();

  private:
    void setShowsInTaskbar(bool shows);

    AppState *m_state;
    ShellServices m_services;
    LauncherWindow m_launcher;
    DesktopPresence m_presence;
    UpdateAlerts m_alerts;
    QPointer<SettingsWindow> m_settingsWindow;
    QPointer<AboutView> m_aboutWindow;
};
