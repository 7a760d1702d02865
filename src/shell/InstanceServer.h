#pragma once

#include "shell/SingleInstance.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

class QLocalServer;

// The running instance's end of the instance socket. Clients cannot hold its memory or its descriptors:
// a connection may stay silent for idleTimeoutMs and take messageTimeoutMs for one message; all
// connections together buffer at most inputBudget bytes (a message reserves its announced length before
// its body is read; one that does not fit waits, unread, and is not timed while it waits); a length over
// the limit closes the connection. At maxConnections a new client takes the place of the longest silent
// one. A connection gets one answer and is then closed. A server that closes
// (accept fails when descriptors run out) listens again.
class InstanceServer : public QObject {
    Q_OBJECT

  public:
    static constexpr int maxConnections = 32;
    static constexpr int idleTimeoutMs = 5000;
    static constexpr int messageTimeoutMs = 20000;
    static constexpr qint64 inputBudget = qint64(SingleInstance::maxMessageSize) + (1 << 20);
    static constexpr qint64 readChunk = 64 * 1024;

    InstanceServer(const QString &socketPath, QObject *parent = nullptr);
    ~InstanceServer() override;

    // Removes a socket file left by an earlier holder of the lock and listens.
    void start();
    void setResponder(SingleInstance::Responder responder) { m_responder = std::move(responder); }

  Q_SIGNALS:
    void requestReceived(InstanceRequest request);

  private:
    struct Connection;

    void listenAgain();
    void accept();
    void pump(Connection *connection);
    void answer(Connection *connection, const QByteArray &body);
    void forget(Connection *connection);
    bool evictIdlest();
    void release(Connection *connection);
    void sweep();

    QString m_path;
    QLocalServer *m_server = nullptr;
    QTimer m_housekeeping;
    QList<Connection *> m_connections;
    qint64 m_reserved = 0;
    bool m_reportedDown = false;
    bool m_resumeScheduled = false;
    SingleInstance::Responder m_responder;
};
