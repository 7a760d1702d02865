#include "platform/linux/PortalHotkey.h"

#include "platform/Log.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <cstdio>

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

// One entry of BindShortcuts' a(sa{sv}): the shortcut's id and its description and preferred trigger.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace {
QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

// The session handle comes as a string in the documented results, as an object path from some portals.
QString pathOf(const QVariant &value) {
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}
} // namespace

PortalHotkey::PortalHotkey(QDBusConnection bus, QObject *parent) : QObject(parent), m_bus(std::move(bus)) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

PortalHotkey::~PortalHotkey() {
    unregisterHotkey();
}

bool PortalHotkey::registerHotkey(std::function<void()> pressed) {
    unregisterHotkey();
    m_pressed = std::move(pressed);
    if (!m_bus.isConnected()) {
        fail(QStringLiteral("no session bus"));
        return false;
    }
    m_step = Step::creatingSession;
    const QString token = QStringLiteral("ilvex_%1").arg(++m_attempt);
    call(QStringLiteral("CreateSession"),
         {QVariantMap{{QStringLiteral("handle_token"), token},
                      {QStringLiteral("session_handle_token"), token}}},
         token);
    return true;
}

void PortalHotkey::unregisterHotkey() {
    ++m_attempt;
    dropResponse();
    closeSession();
    if (m_watchingActivations) {
        m_bus.disconnect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                         SLOT(activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        m_watchingActivations = false;
    }
    m_pressed = nullptr;
    m_step = Step::idle;
}

void PortalHotkey::call(const QString &method, const QVariantList &arguments, const QString &token) {
    // The answer comes as a Response signal on a request object named after our unique bus name and
    // the token; listening there before calling means a quick answer cannot be missed.
    QString sender = m_bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    expectResponse(portalPath + QStringLiteral("/request/") + sender + u'/' + token);
    QDBusMessage message =
        QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
    message.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    const unsigned attempt = m_attempt;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, attempt] {
        watcher->deleteLater();
        if (attempt != m_attempt)
            return;
        QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            fail(reply.error().name() == u"org.freedesktop.DBus.Error.ServiceUnknown"
                     ? QStringLiteral("no desktop portal")
                     : QStringLiteral("the desktop portal has no global shortcuts (%1)")
                           .arg(reply.error().name()));
        } else if (reply.value().path() != m_requestPath) {
            expectResponse(reply.value().path()); // a portal that names its requests otherwise
        }
    });
}

void PortalHotkey::expectResponse(const QString &requestPath) {
    dropResponse();
    m_requestPath = requestPath;
    m_bus.connect(portalService, m_requestPath, requestInterface, QStringLiteral("Response"), this,
                  SLOT(requestAnswered(uint, QVariantMap)));
}

void PortalHotkey::dropResponse() {
    if (m_requestPath.isEmpty())
        return;
    m_bus.disconnect(portalService, m_requestPath, requestInterface, QStringLiteral("Response"), this,
                     SLOT(requestAnswered(uint, QVariantMap)));
    m_requestPath.clear();
}

void PortalHotkey::requestAnswered(uint response, const QVariantMap &results) {
    dropResponse();
    if (m_step == Step::creatingSession) {
        m_session = pathOf(results.value(QStringLiteral("session_handle")));
        if (response != 0 || m_session.isEmpty()) {
            fail(
                QStringLiteral("the desktop portal refused a shortcuts session (response %1)").arg(response));
            return;
        }
        bindShortcut();
    } else if (m_step == Step::binding) {
        if (response != 0) {
            fail(QStringLiteral("the desktop portal did not bind Alt+Z (response %1)").arg(response));
            return;
        }
        m_step = Step::bound;
        Q_EMIT bound(true);
    }
}

void PortalHotkey::bindShortcut() {
    m_step = Step::binding;
    m_watchingActivations =
        m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                      SLOT(activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    const QList<PortalShortcut> shortcuts{
        {QLatin1String(shortcutId),
         {{QStringLiteral("description"), QStringLiteral("Show or hide the Ilvex launcher")},
          {QStringLiteral("preferred_trigger"), QLatin1String(preferredTrigger)}}}};
    const QString token = QStringLiteral("ilvex_bind_%1").arg(m_attempt);
    call(QStringLiteral("BindShortcuts"),
         {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts), QString(),
          QVariantMap{{QStringLiteral("handle_token"), token}}},
         token);
}

void PortalHotkey::activated(const QDBusObjectPath &session, const QString &id, qulonglong,
                             const QVariantMap &) {
    if (m_step == Step::bound && session.path() == m_session && id == QLatin1String(shortcutId) && m_pressed)
        m_pressed();
}

void PortalHotkey::fail(const QString &reason) {
    dropResponse();
    closeSession();
    m_step = Step::failed;
    qCWarning(lcHotkey).noquote() << QStringLiteral(
                                         "RegisterEventHotKey failed: %1 — bind `ilvex --toggle` to "
                                         "Alt+Z in the desktop's shortcut settings")
                                         .arg(reason);
    Q_EMIT bound(false);
}

void PortalHotkey::closeSession() {
    if (m_session.isEmpty())
        return;
    if (m_bus.isConnected())
        m_bus.asyncCall(QDBusMessage::createMethodCall(portalService, m_session,
                                                       QStringLiteral("org.freedesktop.portal.Session"),
                                                       QStringLiteral("Close")));
    m_session.clear();
}
