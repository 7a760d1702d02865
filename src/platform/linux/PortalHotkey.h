#pragma once

#include "platform/GlobalHotkey.h"
#include "platform/linux/LinuxOnly.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

class QDBusObjectPath;

// Alt+Z on Wayland, where no client may grab keys: the desktop's global shortcuts portal binds it for us.
// Binding is a conversation (a session is created, then the shortcut is bound, each answered later by a
// Response signal on a request object, possibly after the desktop asked the user), so registerHotkey()
// only starts it; bound() reports how it ended. Without a portal, or when the portal or the user refuses,
// one line says to bind `ilvex --toggle` in the desktop's shortcut settings instead.
class PortalHotkey : public QObject, public GlobalHotkey {
    Q_OBJECT

  public:
    static constexpr const char *shortcutId = "toggle";
    static constexpr const char *preferredTrigger = "ALT+z";

    explicit PortalHotkey(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    ~PortalHotkey() override;

    // False at once (with the line printed) when there is no session bus; otherwise true while the
    // binding is under way, and bound() tells the outcome.
    bool registerHotkey(std::function<void()> pressed) override;
    void unregisterHotkey() override;
    bool isRegistered() const override { return m_step == Step::bound; }

  Q_SIGNALS:
    // The conversation with the portal ended: the shortcut is bound, or the fallback line was printed.
    void bound(bool ok);

  private Q_SLOTS:
    void requestAnswered(uint response, const QVariantMap &results);
    void activated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                   const QVariantMap &options);

  private:
    enum class Step { idle, creatingSession, binding, bound, failed };

    void call(const QString &method, const QVariantList &arguments, const QString &token);
    void expectResponse(const QString &requestPath);
    void dropResponse();
    void bindShortcut();
    void fail(const QString &reason);
    void closeSession();

    QDBusConnection m_bus;
    std::function<void()> m_pressed;
    Step m_step = Step::idle;
    QString m_requestPath; // the request whose Response is awaited
    QString m_session;
    bool m_watchingActivations = false;
    unsigned m_attempt = 0; // tells answers to an abandoned attempt from the current one
};
