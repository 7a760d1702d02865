// The shell's presence in the desktop: the start-up sequence, the hotkey and the hot corner, the tray
// icon with its menu, the login item, feedback and quit.
#include "shell/AppDelegate.h"

#include "BuildConfig.h"
#include "l10n/L.h"
#include "launcher/CircularLauncherView.h"
#include "platform/GlobalHotkey.h"
#include "platform/Log.h"
#include "platform/LoginItem.h"
#include "platform/Workspace.h"
#include "ring/RingGeometry.h"
#include "settings/Preferences.h"
#include "shell/HotCorner.h"
#include "shell/IlvexPanel.h"
#include "shell/StatusItem.h"
#include "store/AppState.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

void AppDelegate::applicationDidFinishLaunching() {
    // The language and the store come first (the caller builds the store before the shell).
    if (!m_state)
        return;
    Preferences &preferences = m_state->preferences();
    // Without a tray icon the windows stay in the taskbar, whatever the file says.
    m_showsInTaskbar = !preferences.hideDockIcon() || !preferences.showInMenuBar();
    if (preferences.showInMenuBar())
        setMenuBarVisible(true);
    registerHotkey();
    startHotCorner();
    syncLoginItem();
    // The tray icon and the corner follow their preferences from now on, whoever changes them.
    disconnect(&preferences, &Preferences::changed, this, nullptr);
    connect(&preferences, &Preferences::changed, this,
            [this](Preferences::Key key) { followPreference(int(key)); });
}

void AppDelegate::registerHotkey() {
    if (!m_services.hotkey)
        return;
    QPointer<AppDelegate> self(this);
    // The key's handler only schedules the toggle.
    m_services.hotkey->registerHotkey([self] {
        if (self)
            Q_EMIT self->hotkeyPressed();
        QTimer::singleShot(0, self, [self] {
            if (self)
                self->toggleLauncher();
        });
    });
}

void AppDelegate::startHotCorner() {
    if (!m_hotCorner) {
        m_hotCorner = new HotCorner({}, this);
        connect(m_hotCorner, &HotCorner::fired, this, [this] {
            if (isLauncherVisible())
                hideLauncher();
            else
                showLauncher(LaunchSource::hotCorner);
        });
    }
    setHotCornerEnabled(m_state && m_state->preferences().hotCornerEnabled());
}

void AppDelegate::setHotCornerEnabled(bool enabled) {
    if (m_hotCorner)
        m_hotCorner->setEnabled(enabled);
}

void AppDelegate::setMenuBarVisible(bool visible) {
    if (!visible) {
        delete m_statusItem;
        m_statusItem = nullptr;
        return;
    }
    if (m_statusItem)
        return;
    QPointer<AppDelegate> self(this);
    auto later = [self](void (AppDelegate::*action)()) {
        // Menu actions run once the menu has closed.
        return [self, action] {
            QTimer::singleShot(0, self, [self, action] {
                if (self)
                    (self.data()->*action)();
            });
        };
    };
    m_statusItem = new StatusItem({later(&AppDelegate::toggleFromTray), later(&AppDelegate::openAbout),
                                   later(&AppDelegate::sendFeedback), later(&AppDelegate::openSettings),
                                   later(&AppDelegate::quitApp), later(&AppDelegate::checkForUpdates),
                                   [self] {
                                       if (self && self->m_state)
                                           self->m_state->preferences().setCheckForUpdatesAutomatically(
                                               !self->m_state->preferences().checkForUpdatesAutomatically());
                                   },
                                   [self] {
                                       return self && self->m_state &&
                                              self->m_state->preferences().checkForUpdatesAutomatically();
                                   }},
                                  this);
    connect(m_statusItem, &StatusItem::shownInTray, this, &AppDelegate::trayReady);
    // Without a tray host (GNOME without its AppIndicator extension, a bare window manager) the icon never
    // appears: say so once, with the ways that still reach Ilvex.
    connect(m_statusItem, &StatusItem::trayMissing, this, [this] {
        if (!m_state || m_state->preferences().trayHintShown())
            return;
        m_state->preferences().setTrayHintShown(true);
        qCWarning(lcShell, "no system tray found: the tray icon cannot be shown");
        auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("Ilvex"), L::noTrayHost());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setObjectName(QStringLiteral("noTrayHint"));
        box->show();
    });
    if (m_statusItem->isInTray())
        Q_EMIT trayReady();
}

void AppDelegate::toggleMenuBarFromDock() {
    if (!m_state)
        return;
    const bool visible = !m_state->preferences().showInMenuBar();
    m_state->preferences().setShowInMenuBar(visible);
    setMenuBarVisible(visible);
}

void AppDelegate::syncLoginItem() {
    // Only ever registers at start, and repairs an entry that starts another Ilvex (an old build tree, a
    // removed installation); switching the preference off is the settings window's business.
    if (m_services.loginItem && m_state && m_state->preferences().openAtLogin() &&
        !m_services.loginItem->isEnabled())
        m_services.loginItem->setEnabled(true);
}

void AppDelegate::prepareLauncher() {
    if (m_panel)
        return; // already shown once
    buildPanel();
    if (!m_panel)
        return;
    // The native window, the layout and the view's cached layers exist before the first request.
    const int side =
        qRound(RingGeometry::panelSide(RingGeometry::effectiveScale(m_state->preferences().launcherScale())));
    m_panel->setFixedSize(side, side);
    m_panel->winId();
    if (m_view) {
        m_view->resize(side, side);
        m_view->renderFrame(m_panel->devicePixelRatioF());
    }
}

QUrl AppDelegate::feedbackUrl() {
    return QUrl(QStringLiteral("mailto:%1?subject=Ilvex%20Feedback")
                    .arg(QLatin1String(BuildConfig::feedbackAddress)));
}

void AppDelegate::sendFeedback() {
    const QUrl url = feedbackUrl();
    if (url.isValid() && m_services.workspace)
        m_services.workspace->openUrl(url);
}

void AppDelegate::quitApp() {
    QCoreApplication::quit();
}
