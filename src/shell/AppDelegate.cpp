#include "shell/AppDelegate.h"

#include "platform/Workspace.h"
#include "shell/AboutView.h"
#include "shell/SettingsWindow.h"
#include "shell/UpdateChecker.h"
#include "store/AppState.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace {
void centreOnPointerScreen(QWidget *window) {
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->adjustSize();
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
} // namespace

AppDelegate::AppDelegate(AppState *state, QObject *parent)
    : QObject(parent), m_state(state), m_launcher(state), m_presence(state->preferences()) {
    connect(&m_presence, &DesktopPresence::hotkeyPressed, this, &AppDelegate::hotkeyPressed);
    connect(&m_presence, &DesktopPresence::trayReady, this, &AppDelegate::trayReady);
    // The key's handler only reports the press; the toggle runs after it.
    connect(
        &m_presence, &DesktopPresence::hotkeyPressed, &m_launcher, [this] { m_launcher.toggle(); },
        Qt::QueuedConnection);
    connect(&m_presence, &DesktopPresence::hotCornerFired, &m_launcher,
            [this] { m_launcher.toggle(LaunchSource::hotCorner); });
    connect(&m_presence, &DesktopPresence::trayClicked, &m_launcher, &LauncherWindow::toggleFromTray);
    connect(&m_presence, &DesktopPresence::aboutChosen, this, &AppDelegate::openAbout);
    connect(&m_presence, &DesktopPresence::settingsChosen, this, &AppDelegate::openSettings);
    connect(&m_presence, &DesktopPresence::checkForUpdatesChosen, this, &AppDelegate::checkForUpdates);
    connect(&m_presence, &DesktopPresence::showsInTaskbarChanged, this, &AppDelegate::setShowsInTaskbar);
    // The offer is not hidden behind the ring.
    connect(&m_alerts, &UpdateAlerts::offering, &m_launcher, &LauncherWindow::hide);
    connect(&m_alerts, &UpdateAlerts::downloadChosen, this, [this](const QUrl &page) {
        if (m_services.workspace)
            m_services.workspace->openUrl(page);
    });
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::setServices(const ShellServices &services) {
    m_services = services;
    m_launcher.setServices(services);
    m_presence.setServices(services.hotkey, services.loginItem, services.workspace, services.pointer);
}

void AppDelegate::setShowsInTaskbar(bool shows) {
    for (QWidget *window :
         {static_cast<QWidget *>(m_settingsWindow.data()), static_cast<QWidget *>(m_aboutWindow.data())}) {
        if (window)
            OwnWindows::setShowsInTaskbar(window, shows);
    }
}

void AppDelegate::openSettings() {
    if (!m_settingsWindow) {
        m_settingsWindow =
            new SettingsWindow(m_state, {[this] { m_launcher.playSound(); }}, m_presence.showsInTaskbar());
        centreOnPointerScreen(m_settingsWindow);
    }
    m_settingsWindow->present();
}

void AppDelegate::openAbout() {
    if (!m_aboutWindow) {
        const UpdateChecker *checker = m_alerts.checker();
        const UpdateChecker::Config config = checker ? checker->config() : UpdateChecker::buildConfig();
        m_aboutWindow = new AboutView(m_state, config.version, config.build, m_presence.showsInTaskbar());
        centreOnPointerScreen(m_aboutWindow);
    }
    m_aboutWindow->present();
}

SettingsWindow *AppDelegate::settingsWindow() const {
    return m_settingsWindow;
}

AboutView *AppDelegate::aboutWindow() const {
    return m_aboutWindow;
}

void AppDelegate::checkForUpdates() {
    m_launcher.hide();
    if (UpdateChecker *checker = m_alerts.checker())
        checker->checkNow();
}
