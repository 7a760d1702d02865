#include "platform/linux/PortalHotkey.h"
#include "support/CaptureStdout.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// The desktop's side of the conversation: answers CreateSession and BindShortcuts the way the portal
// does (a request path at once, the outcome later as a Response signal) with the configured codes.
class FakePortal : public QDBusVirtualObject {
  public:
    FakePortal(QDBusConnection bus, uint sessionResponse, uint bindResponse)
        : m_bus(std::move(bus)), m_sessionResponse(sessionResponse), m_bindResponse(bindResponse) {}

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override {
        const QString member = message.member();
        if (message.interface() == u"org.freedesktop.portal.Session" && member == u"Close") {
            closed.append(message.path());
            m_bus.send(message.createReply());
            return true;
        }
        if (message.interface() != shortcutsInterface)
            return false;
        QVariantMap options, results;
        uint response = 0;
        if (member == u"CreateSession") {
            options = qdbus_cast<QVariantMap>(message.arguments().at(0));
            session = portalPath + QStringLiteral("/session/") + sender(message) + u'/' +
                      options.value(QStringLiteral("session_handle_token")).toString();
            results.insert(QStringLiteral("session_handle"), session);
            response = m_sessionResponse;
        } else if (member == u"BindShortcuts") {
            boundSession = message.arguments().at(0).value<QDBusObjectPath>().path();
            const auto shortcuts = message.arguments().at(1).value<QDBusArgument>();
            shortcuts.beginArray();
            while (!shortcuts.atEnd()) {
                QString id;
                QVariantMap properties;
                shortcuts.beginStructure();
                shortcuts >> id >> properties;
                shortcuts.endStructure();
                triggers.insert(id, properties.value(QStringLiteral("preferred_trigger")).toString());
            }
            shortcuts.endArray();
            options = qdbus_cast<QVariantMap>(message.arguments().at(3));
            response = m_bindResponse;
        } else {
            return false;
        }
        const QString request = portalPath + QStringLiteral("/request/") + sender(message) + u'/' +
                                options.value(QStringLiteral("handle_token")).toString();
        m_bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage answer =
            QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"), "Response");
        answer << response << results;
        m_bus.send(answer);
        return true;
    }

    void activate(const QString &id) {
        QDBusMessage signal = QDBusMessage::createSignal(portalPath, shortcutsInterface, "Activated");
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1) << QVariantMap();
        m_bus.send(signal);
    }

    QString session, boundSession;
    QMap<QString, QString> triggers;
    QStringList closed;

  private:
    static QString sender(const QDBusMessage &message) {
        return message.service().mid(1).replace(u'.', u'_');
    }

    QDBusConnection m_bus;
    uint m_sessionResponse, m_bindResponse;
};

// A private session bus for the test, without service activation so no real portal can answer.
class PortalHotkeyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(
            "<busconfig><type>session</type><listen>unix:dir=" + m_dir.path().toUtf8() +
            "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
            "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        config.close();
        m_daemon.start(daemon, {QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                                QStringLiteral("--config-file=") + config.fileName()});
        ASSERT_TRUE(m_daemon.waitForReadyRead(5000)) << m_daemon.readAllStandardError().toStdString();
        const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        ASSERT_TRUE(QDBusConnection::connectToBus(address, QStringLiteral("portal")).isConnected());
        ASSERT_TRUE(QDBusConnection::connectToBus(address, QStringLiteral("client")).isConnected());
    }

    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    static QDBusConnection portalBus() { return QDBusConnection(QStringLiteral("portal")); }
    static QDBusConnection clientBus() { return QDBusConnection(QStringLiteral("client")); }
    static void publish(FakePortal *portal) {
        ASSERT_TRUE(portalBus().registerVirtualObject(portalPath, portal, QDBusConnection::SubPath));
        ASSERT_TRUE(portalBus().registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    }
    static void withdraw() {
        portalBus().unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        portalBus().unregisterObject(portalPath, QDBusConnection::UnregisterTree);
    }

    QTemporaryDir m_dir;
    QProcess m_daemon;
};

TEST_F(PortalHotkeyTest, BindsAltZAtThePortalAndTogglesOnItsOwnActivation) {
    FakePortal portal(portalBus(), 0, 0);
    publish(&portal);
    int presses = 0;
    {
        PortalHotkey hotkey(clientBus());
        QSignalSpy bound(&hotkey, &PortalHotkey::bound);
        const QString printed = captureStdout([&] {
            EXPECT_TRUE(hotkey.registerHotkey([&presses] { ++presses; }));
            ASSERT_TRUE(bound.wait(5000));
        });
        EXPECT_TRUE(bound.at(0).at(0).toBool());
        EXPECT_EQ(printed, QString());
        EXPECT_TRUE(hotkey.isRegistered());
        EXPECT_EQ(portal.boundSession, portal.session);
        EXPECT_EQ(portal.triggers,
                  (QMap<QString, QString>{{QStringLiteral("toggle"), QStringLiteral("ALT+z")}}));

        portal.activate(QStringLiteral("something-else"));
        portal.activate(QStringLiteral("toggle"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return presses > 0; }, 5000));
        QTest::qWait(50);
        EXPECT_EQ(presses, 1);
    }
    // Letting go of the key closes the session at the portal.
    EXPECT_TRUE(QTest::qWaitFor([&] { return portal.closed == QStringList{portal.session}; }, 5000));
    withdraw();
}

TEST_F(PortalHotkeyTest, WithoutABindingSaysToBindTheToggleCommand) {
    const struct {
        const char *name;
        bool portal;
        uint sessionResponse, bindResponse;
        const char *reason;
    } cases[] = {
        {"no portal", false, 0, 0, "no desktop portal"},
        {"session refused", true, 2, 0, "refused a shortcuts session (response 2)"},
        {"binding cancelled", true, 0, 1, "did not bind Alt+Z (response 1)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakePortal portal(portalBus(), c.sessionResponse, c.bindResponse);
        if (c.portal)
            publish(&portal);
        PortalHotkey hotkey(clientBus());
        QSignalSpy bound(&hotkey, &PortalHotkey::bound);
        const QString printed = captureStdout([&] {
            hotkey.registerHotkey([] { ADD_FAILURE() << "pressed without a binding"; });
            ASSERT_TRUE(bound.wait(5000));
        });
        EXPECT_FALSE(bound.at(0).at(0).toBool());
        EXPECT_FALSE(hotkey.isRegistered());
        EXPECT_EQ(printed.count(u'\n'), 1) << printed.toStdString();
        EXPECT_TRUE(printed.contains(QLatin1String(c.reason))) << printed.toStdString();
        EXPECT_TRUE(printed.contains(
            QStringLiteral("bind `ilvex --toggle` to Alt+Z in the desktop's shortcut settings")));
        if (c.portal) {
            portal.activate(QStringLiteral("toggle"));
            QTest::qWait(50);
            withdraw();
        }
    }
}

} // namespace
