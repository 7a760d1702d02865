#include "platform/linux/PortalHotkey.h"
#include "support/CaptureStdout.h"
#include "support/Sandbox.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// The desktop's side of the conversation: answers CreateSession and BindShortcuts the way the portal
// does (a request path at once, the outcome later as a Response signal) with the configured codes.
struct FakePortal : QDBusVirtualObject {
    FakePortal(QDBusConnection connection, uint onSession, uint onBind)
        : bus(std::move(connection)), sessionResponse(onSession), bindResponse(onBind) {}

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override {
        const QString member = message.member();
        if (message.interface() == u"org.freedesktop.portal.Session" && member == u"Close") {
            closed.append(message.path());
            return bus.send(message.createReply());
        }
        const QString client = message.service().mid(1).replace(u'.', u'_');
        QVariantMap options, results;
        uint response = sessionResponse;
        if (message.interface() == shortcutsInterface && member == u"CreateSession") {
            options = qdbus_cast<QVariantMap>(message.arguments().at(0));
            session =
                portalPath + "/session/" + client + u'/' + options.value("session_handle_token").toString();
            results.insert("session_handle", session);
        } else if (message.interface() == shortcutsInterface && member == u"BindShortcuts") {
            boundSession = message.arguments().at(0).value<QDBusObjectPath>().path();
            QList<std::pair<QString, QVariantMap>> shortcuts;
            message.arguments().at(1).value<QDBusArgument>() >> shortcuts;
            for (const auto &[id, properties] : shortcuts)
                triggers.insert(id, properties.value("preferred_trigger").toString());
            options = qdbus_cast<QVariantMap>(message.arguments().at(3));
            response = bindResponse;
        } else {
            return false;
        }
        const QString request =
            portalPath + "/request/" + client + u'/' + options.value("handle_token").toString();
        bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        return bus.send(QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response")
                        << response << results);
    }

    void activate(const QString &id) {
        QDBusMessage signal = QDBusMessage::createSignal(portalPath, shortcutsInterface, "Activated");
        bus.send(signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1)
                        << QVariantMap());
    }

    QString session, boundSession;
    QMap<QString, QString> triggers;
    QStringList closed;
    QDBusConnection bus;
    uint sessionResponse, bindResponse;
};

// Alt+Z is bound at the portal, and only its own activation presses it; without a binding one line says
// to bind the toggle command instead, and no activation counts.
TEST(PortalHotkeyTest, BindsAltZOrSaysToBindTheToggleCommand) {
    // whether a portal answers, its responses to CreateSession and BindShortcuts; why no key (none: bound)
    const std::tuple<bool, uint, uint, const char *> cases[] = {
        {true, 0, 0, nullptr},
        {false, 0, 0, "no desktop portal"},
        {true, 2, 0, "the desktop portal refused a shortcuts session (response 2)"},
        {true, 0, 1, "the desktop portal did not bind Alt+Z (response 1)"},
    };
    // A private session bus, without service activation so no real portal can answer.
    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (daemon.isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    Sandbox sandbox;
    const QString config = sandbox.writeFile(
        "bus.conf",
        "<busconfig><type>session</type><listen>unix:dir=" + sandbox.home().toUtf8() +
            "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
            "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
    QTimer barrier; // outlives the connections (see clientCaughtUp)
    QProcess bus;
    const auto stop = qScopeGuard([&bus] {
        for (const QString &name : {QStringLiteral("portal"), QStringLiteral("client")})
            QDBusConnection::disconnectFromBus(name);
        bus.kill();
        bus.waitForFinished();
    });
    bus.start(daemon, {"--nofork", "--print-address=1", "--config-file=" + config});
    ASSERT_TRUE(bus.waitForReadyRead(5000)) << bus.readAllStandardError().toStdString();
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    QDBusConnection portalBus = QDBusConnection::connectToBus(address, "portal");
    QDBusConnection clientBus = QDBusConnection::connectToBus(address, "client");
    ASSERT_TRUE(portalBus.isConnected() && clientBus.isConnected());
    // Waits until the client has taken every signal the portal sent so far: signals of one sender arrive
    // in order, so when a last one has come (it starts the timer), the ones before it have been handled.
    barrier.setSingleShot(true);
    clientBus.connect({}, portalPath, "org.ilvex.Test", "Barrier", &barrier, SLOT(start()));
    auto clientCaughtUp = [&] {
        QSignalSpy passed(&barrier, &QTimer::timeout);
        portalBus.send(QDBusMessage::createSignal(portalPath, "org.ilvex.Test", "Barrier"));
        return passed.wait(5000);
    };
    for (const auto &[hasPortal, sessionResponse, bindResponse, reason] : cases) {
        SCOPED_TRACE(reason ? reason : "bound");
        FakePortal portal(portalBus, sessionResponse, bindResponse);
        if (hasPortal) {
            ASSERT_TRUE(portalBus.registerVirtualObject(portalPath, &portal, QDBusConnection::SubPath));
            ASSERT_TRUE(portalBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        }
        int presses = 0;
        auto hotkey = std::make_unique<PortalHotkey>(clientBus);
        QSignalSpy bound(hotkey.get(), &PortalHotkey::bound);
        const QString printed = captureStdout([&] {
            EXPECT_TRUE(hotkey->registerHotkey([&presses] { ++presses; }) || reason);
            ASSERT_TRUE(bound.wait(5000));
        });
        ASSERT_EQ(bound.size(), 1);
        EXPECT_EQ(std::pair(bound.at(0).at(0).toBool(), hotkey->isRegistered()), std::pair(!reason, !reason));
        const QString hint = " — bind `ilvex --toggle` to Alt+Z in the desktop's shortcut settings\n";
        EXPECT_EQ(printed,
                  reason ? "[Ilvex] RegisterEventHotKey failed: " + QString(reason) + hint : QString());
        const QMap<QString, QString> altZ{{"toggle", "ALT+z"}};
        EXPECT_TRUE(reason || (portal.boundSession == portal.session && portal.triggers == altZ));
        if (!portal.session.isEmpty()) {
            portal.activate("something-else");
            portal.activate("toggle");
        }
        ASSERT_TRUE(clientCaughtUp());
        EXPECT_EQ(presses, reason ? 0 : 1);
        // Letting go of the key closes the session at the portal.
        hotkey.reset();
        EXPECT_TRUE(reason ||
                    QTest::qWaitFor([&] { return portal.closed == QStringList{portal.session}; }, 5000));
        portalBus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        portalBus.unregisterObject(portalPath, QDBusConnection::UnregisterTree);
    }
}

} // namespace
