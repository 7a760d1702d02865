// The shell's own windows (settings, About), what the preferences do to the desktop, and the update
// checker's alerts.
#include "l10n/L.h"
#include "platform/Log.h"
#include "platform/LoginItem.h"
#include "platform/Workspace.h"
#include "ring/RingGeometry.h"
#include "settings/Preferences.h"
#include "shell/AboutView.h"
#include "shell/AppDelegate.h"
#include "shell/IlvexPanel.h"
#include "shell/LauncherSound.h"
#include "shell/SettingsWindow.h"
#include "shell/UpdateChecker.h"
#include "store/AppState.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <cstdio>

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

void AppDelegate::followPreference(int changed) {
    if (!m_state)
        return;
    Preferences &preferences = m_state->preferences();
    switch (Preferences::Key(changed)) {
    case Preferences::Key::showInMenuBar:
        // One of the tray icon and the taskbar presence always remains.
        if (!preferences.showInMenuBar() && preferences.hideDockIcon())
            preferences.setHideDockIcon(false);
        setMenuBarVisible(preferences.showInMenuBar());
        setShowsInTaskbar(!preferences.hideDockIcon() || !preferences.showInMenuBar());
        break;
    case Preferences::Key::hideDockIcon:
        if (preferences.hideDockIcon() && !preferences.showInMenuBar())
            preferences.setShowInMenuBar(true);
        setShowsInTaskbar(!preferences.hideDockIcon() || !preferences.showInMenuBar());
        break;
    case Preferences::Key::hotCornerEnabled:
        setHotCornerEnabled(preferences.hotCornerEnabled());
        break;
    case Preferences::Key::openAtLogin: {
        const bool wanted = preferences.openAtLogin();
        if (!m_services.loginItem || m_services.loginItem->setEnabled(wanted))
            break;
        // The toggle shows what the desktop will really do at the next login.
        qCWarning(lcShell).noquote() << QStringLiteral("autostart error: could not %1 the login entry")
                                            .arg(wanted ? QStringLiteral("write") : QStringLiteral("remove"));
        preferences.setOpenAtLogin(m_services.loginItem->isEnabled());
        break;
    }
    case Preferences::Key::launcherScale:
        applyLauncherScale();
        break;
    default:
        break;
    }
}

void AppDelegate::setShowsInTaskbar(bool shows) {
    m_showsInTaskbar = shows;
    for (QWidget *window :
         {static_cast<QWidget *>(m_settingsWindow.data()), static_cast<QWidget *>(m_aboutWindow.data())}) {
        if (window)
            OwnWindows::setShowsInTaskbar(window, shows);
    }
}

void AppDelegate::applyLauncherScale() {
    // A launcher on screen takes the new size at once; a hidden one at its next showing.
    if (!m_shown || !m_panel || !m_state)
        return;
    const double scale = RingGeometry::effectiveScale(m_state->preferences().launcherScale());
    const int side = qRound(RingGeometry::panelSide(scale));
    QScreen *screen = m_panel->screen() ? m_panel->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    m_state->setLauncherMaxRadius(maxRadiusFor(screen->availableGeometry().height(), scale));
    m_panel->setFixedSize(side, side);
    const QPointF origin = placement(m_lastLaunchSource, screen->geometry(), screen->availableGeometry(),
                                     side, currentRingOuterRadius());
    m_panel->move(origin.toPoint());
}

void AppDelegate::openSettings() {
    if (!m_state)
        return;
    if (!m_settingsWindow) {
        m_settingsWindow = new SettingsWindow(m_state, {&LauncherSound::play}, m_showsInTaskbar);
        centreOnPointerScreen(m_settingsWindow);
    }
    m_settingsWindow->present();
}

void AppDelegate::openAbout() {
    if (!m_aboutWindow) {
        const UpdateChecker::Config config = m_updater ? m_updater->config() : UpdateChecker::buildConfig();
        m_aboutWindow = new AboutView(m_state, config.version, config.build, m_showsInTaskbar);
        centreOnPointerScreen(m_aboutWindow);
    }
    m_aboutWindow->present();
}

void AppDelegate::setUpdateChecker(UpdateChecker *checker) {
    if (m_updater)
        disconnect(m_updater, nullptr, this, nullptr);
    m_updater = checker;
    if (!checker)
        return;
    connect(checker, &UpdateChecker::finished, this,
            [this](const UpdateChecker::Result &result, bool userInitiated) {
                const QString version = m_updater ? m_updater->config().version : QString();
                QString title;
                QString message;
                switch (result.outcome) {
                case UpdateChecker::Outcome::newer:
                    hideLauncher(); // the offer is not hidden behind the ring
                    title = L::updateAvailable();
                    message = L::updateAvailableMessage(
                        UpdateChecker::shownFeedText(result.release.displayVersion()), version);
                    break;
                case UpdateChecker::Outcome::upToDate:
                    title = L::upToDate();
                    message = L::latestVersionMessage(version);
                    break;
                case UpdateChecker::Outcome::failed:
                    qCWarning(lcShell).noquote() << QStringLiteral("update check failed: ") + result.reason;
                    title = L::updateCheckFailed();
                    message = L::updateCheckFailedMessage();
                    break;
                case UpdateChecker::Outcome::cannotCheck:
                    title = L::checkForUpdates();
                    message = L::updatesNotConfigured();
                    break;
                }
                // Checks of their own accord speak only when there is something new.
                if (!userInitiated && result.outcome != UpdateChecker::Outcome::newer)
                    return;
                delete m_updateAlert.data();
                auto *box = new QMessageBox(result.outcome == UpdateChecker::Outcome::failed
                                                ? QMessageBox::Warning
                                                : QMessageBox::Information,
                                            title, title);
                m_updateAlert = box;
                box->setObjectName(QStringLiteral("updateAlert"));
                box->setAttribute(Qt::WA_DeleteOnClose);
                box->setInformativeText(message);
                // Feed texts are the feed's: never markup, never a link.
                box->setTextFormat(Qt::PlainText);
                if (auto *informative =
                        box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
                    informative->setTextFormat(Qt::PlainText);
                    informative->setOpenExternalLinks(false);
                }
                box->setWindowIcon(OwnWindows::applicationIcon());
                const QUrl page = result.release.page;
                if (result.outcome == UpdateChecker::Outcome::newer && page.isValid()) {
                    QPushButton *download = box->addButton(L::download(), QMessageBox::AcceptRole);
                    download->setObjectName(QStringLiteral("download"));
                    box->setDefaultButton(download);
                    box->setEscapeButton(box->addButton(L::cancel(), QMessageBox::RejectRole));
                    connect(download, &QPushButton::clicked, this, [this, page] {
                        if (m_services.workspace)
                            m_services.workspace->openUrl(page);
                    });
                } else {
                    box->setEscapeButton(box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
                }
                OwnWindows::bringToFront(box);
            });
}

SettingsWindow *AppDelegate::settingsWindow() const {
    return m_settingsWindow;
}

AboutView *AppDelegate::aboutWindow() const {
    return m_aboutWindow;
}

UpdateChecker *AppDelegate::updateChecker() const {
    return m_updater;
}

QMessageBox *AppDelegate::updateAlert() const {
    return m_updateAlert;
}

void AppDelegate::checkForUpdates() {
    hideLauncher();
    if (m_updater)
        m_updater->checkNow();
}
