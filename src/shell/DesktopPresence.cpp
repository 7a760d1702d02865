#include "shell/DesktopPresence.h"

#include "BuildConfig.h"
#include "l10n/L.h"
#include "platform/GlobalHotkey.h"
#include "platform/Log.h"
#include "platform/LoginItem.h"
#include "platform/Workspace.h"
#include "settings/Preferences.h"
#include "shell/HotCorner.h"
#include "shell/StatusItem.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>

#include <cstdio>

namespace {
void printLine(const QString &line) {
    qCInfo(lcShell).noquote() << line;
}
} // namespace

DesktopPresence::DesktopPresence(Preferences &preferences, QObject *parent)
    : QObject(parent), m_preferences(preferences) {}

DesktopPresence::~DesktopPresence() {
    if (m_hotkey)
        m_hotkey->unregisterHotkey();
}

void DesktopPresence::setServices(GlobalHotkey *hotkey, LoginItem *loginItem, Workspace *workspace,
                                  PointerWatch *pointer) {
    m_pointer = pointer;
    if (m_hotkey && m_hotkey != hotkey)
        m_hotkey->unregisterHotkey();
    m_hotkey = hotkey;
    m_loginItem = loginItem;
    m_workspace = workspace;
}

bool DesktopPresence::showsInTaskbar(const Preferences &preferences) {
    return !preferences.hideDockIcon() || !preferences.showInMenuBar();
}

void DesktopPresence::start() {
    m_showsInTaskbar = showsInTaskbar(m_preferences);
    setTrayIconVisible(m_preferences.showInMenuBar());
    if (m_hotkey) {
        QPointer<DesktopPresence> self(this);
        m_hotkey->registerHotkey([self] {
            if (self)
                Q_EMIT self->hotkeyPressed();
        });
    }
    if (!m_hotCorner) {
        m_hotCorner = new HotCorner(m_pointer, this);
        connect(m_hotCorner, &HotCorner::fired, this, &DesktopPresence::hotCornerFired);
    }
    m_hotCorner->setEnabled(m_preferences.hotCornerEnabled());
    // Only ever registers at start, and repairs an entry that starts another Ilvex (an old build tree, a
    // removed installation); switching the preference off is the settings window's business.
    if (m_loginItem && m_preferences.openAtLogin() && !m_loginItem->isEnabled())
        m_loginItem->setEnabled(true);
    disconnect(&m_preferences, &Preferences::changed, this, nullptr);
    connect(&m_preferences, &Preferences::changed, this,
            [this](Preferences::Key key) { followPreference(int(key)); });
}

void DesktopPresence::followPreference(int changed) {
    using Key = Preferences::Key;
    switch (Key(changed)) {
    case Key::showInMenuBar:
    case Key::hideDockIcon:
        // The presence switched off last brings the other back.
        if (m_preferences.hideDockIcon() && !m_preferences.showInMenuBar()) {
            if (Key(changed) == Key::showInMenuBar)
                m_preferences.setHideDockIcon(false);
            else
                m_preferences.setShowInMenuBar(true);
        }
        setTrayIconVisible(m_preferences.showInMenuBar());
        if (const bool shows = showsInTaskbar(m_preferences); shows != m_showsInTaskbar) {
            m_showsInTaskbar = shows;
            Q_EMIT showsInTaskbarChanged(shows);
        }
        break;
    case Key::hotCornerEnabled:
        if (m_hotCorner)
            m_hotCorner->setEnabled(m_preferences.hotCornerEnabled());
        break;
    case Key::openAtLogin: {
        const bool wanted = m_preferences.openAtLogin();
        if (!m_loginItem || m_loginItem->setEnabled(wanted))
            break;
        // The toggle shows what the desktop will really do at the next login.
        printLine(QStringLiteral("autostart error: could not %1 the login entry")
                      .arg(wanted ? QStringLiteral("write") : QStringLiteral("remove")));
        m_preferences.setOpenAtLogin(m_loginItem->isEnabled());
        break;
    }
    default:
        break;
    }
}

void DesktopPresence::setTrayIconVisible(bool visible) {
    if (!visible) {
        delete m_statusItem;
        m_statusItem = nullptr;
        return;
    }
    if (m_statusItem)
        return;
    m_statusItem = new StatusItem([this] { return m_preferences.checkForUpdatesAutomatically(); }, this);
    // The menu's choices are acted on once the menu has closed.
    constexpr auto later = Qt::QueuedConnection;
    connect(m_statusItem, &StatusItem::clicked, this, &DesktopPresence::trayClicked, later);
    connect(m_statusItem, &StatusItem::aboutChosen, this, &DesktopPresence::aboutChosen, later);
    connect(m_statusItem, &StatusItem::settingsChosen, this, &DesktopPresence::settingsChosen, later);
    connect(m_statusItem, &StatusItem::checkForUpdatesChosen, this, &DesktopPresence::checkForUpdatesChosen,
            later);
    connect(m_statusItem, &StatusItem::feedbackChosen, this, &DesktopPresence::sendFeedback, later);
    connect(m_statusItem, &StatusItem::quitChosen, QCoreApplication::instance(), &QCoreApplication::quit,
            later);
    connect(m_statusItem, &StatusItem::automaticChecksToggled, this, [this] {
        m_preferences.setCheckForUpdatesAutomatically(!m_preferences.checkForUpdatesAutomatically());
    });
    connect(m_statusItem, &StatusItem::shownInTray, this, &DesktopPresence::trayReady);
    // Without a tray host (GNOME without its AppIndicator extension, a bare window manager) the icon never
    // appears: say so once, with the ways that still reach Ilvex.
    connect(m_statusItem, &StatusItem::trayMissing, this, [this] {
        if (m_preferences.trayHintShown())
            return;
        m_preferences.setTrayHintShown(true);
        printLine(QStringLiteral("no system tray found: the tray icon cannot be shown"));
        auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("Ilvex"), L::noTrayHost());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setObjectName(QStringLiteral("noTrayHint"));
        box->show();
    });
    if (m_statusItem->isInTray())
        Q_EMIT trayReady();
}

void DesktopPresence::toggleTrayIcon() {
    const bool visible = !m_preferences.showInMenuBar();
    m_preferences.setShowInMenuBar(visible);
    setTrayIconVisible(visible);
}

QUrl DesktopPresence::feedbackUrl() {
    return QUrl(QStringLiteral("mailto:%1?subject=Ilvex%20Feedback")
                    .arg(QLatin1String(BuildConfig::feedbackAddress)));
}

void DesktopPresence::sendFeedback() {
    const QUrl url = feedbackUrl();
    if (url.isValid() && m_workspace)
        m_workspace->openUrl(url);
}
