#include "shell/InstanceServer.h"

#include "platform/Log.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

struct InstanceServer::Connection : QObject {
    explicit Connection(QLocalSocket *client) : socket(client) {
        socket->setParent(this);
        lastProgress.start();
    }
    QLocalSocket *socket;
    FrameReader reader{SingleInstance::maxMessageSize};
    qint64 reserved = 0;   // budget held for the message being read
    bool waiting = false;  // for budget; not timed meanwhile
    bool answered = false; // reads nothing more
    bool closed = false;
    QElapsedTimer lastProgress;
    QElapsedTimer messageStarted; // valid while a message is being read
};

namespace {
QByteArray framed(const QByteArray &body) {
    QByteArray message(4, '\0');
    qToBigEndian<quint32>(quint32(body.size()), message.data());
    return message + body;
}
} // namespace

InstanceServer::InstanceServer(const QString &socketPath, QObject *parent)
    : QObject(parent), m_path(socketPath) {}

InstanceServer::~InstanceServer() {
    for (Connection *connection : std::as_const(m_connections))
        delete connection;
}

void InstanceServer::start() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::accept);
    listenAgain();
    connect(&m_housekeeping, &QTimer::timeout, this, &InstanceServer::sweep);
    m_housekeeping.start(1000);
}

void InstanceServer::listenAgain() {
    // The lock is ours, so any socket file is left over from a crash or from the server closing.
    QLocalServer::removeServer(m_path);
    if (m_server->listen(m_path)) {
        if (m_reportedDown)
            qCInfo(lcShell).noquote() << QStringLiteral("listening again on %1").arg(m_path);
        m_reportedDown = false;
        return;
    }
    if (!m_reportedDown)
        qCWarning(lcShell).noquote()
            << QStringLiteral("cannot listen on %1: %2").arg(m_path, m_server->errorString());
    m_reportedDown = true;
}

void InstanceServer::accept() {
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        // The folder is private, but a socket is only trusted for what it says about its peer.
        if (!SingleInstance::peerIsThisUser(socket->socketDescriptor()) ||
            (m_connections.size() >= maxConnections && !evictIdlest())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setReadBufferSize(readChunk);
        auto *connection = new Connection(socket);
        m_connections.append(connection);
        connect(socket, &QLocalSocket::readyRead, connection, [this, connection] { pump(connection); });
        connect(socket, &QLocalSocket::bytesWritten, connection,
                [connection] { connection->lastProgress.start(); });
        connect(socket, &QLocalSocket::disconnected, connection, [this, connection] {
            pump(connection); // what a client wrote before closing still counts
            forget(connection);
        });
        pump(connection);
    }
}

void InstanceServer::pump(Connection *connection) {
    QLocalSocket *socket = connection->socket;
    while (!connection->closed && socket->bytesAvailable() > 0) {
        if (connection->answered) {
            socket->read(socket->bytesAvailable());
            return;
        }
        if (const auto length = connection->reader.announced(); length && connection->reserved == 0) {
            if (m_reserved + *length > inputBudget) {
                connection->waiting = true;
                return;
            }
            connection->waiting = false;
            connection->reserved = *length;
            m_reserved += *length;
        }
        const qint64 size =
            std::min({qint64(connection->reader.wanted()), socket->bytesAvailable(), readChunk});
        const auto body = connection->reader.feed(socket->read(size));
        connection->lastProgress.start();
        if (!connection->messageStarted.isValid())
            connection->messageStarted.start();
        if (connection->reader.broken()) {
            socket->abort();
            forget(connection);
            return;
        }
        if (body) {
            release(connection);
            answer(connection, *body);
        }
    }
}

void InstanceServer::answer(Connection *connection, const QByteArray &body) {
    const auto message = SingleInstance::parse(body);
    if (!message)
        return; // an unknown kind from a newer Ilvex: skipped, the framing holds
    if (!SingleInstance::expectsReply(message->request)) {
        Q_EMIT requestReceived(message->request);
        return;
    }
    InstanceReply reply{1, {}, QStringLiteral("the running Ilvex cannot do this")};
    if (m_responder)
        reply = m_responder(*message);
    connection->answered = true;
    connection->socket->write(framed(reply.encode()));
    connection->socket->disconnectFromServer(); // once the answer is written
    // The answer may have taken a while; no one could make progress meanwhile.
    for (Connection *other : std::as_const(m_connections))
        other->lastProgress.start();
}

void InstanceServer::release(Connection *connection) {
    m_reserved -= connection->reserved;
    connection->reserved = 0;
    connection->messageStarted.invalidate();
    if (m_resumeScheduled)
        return;
    m_resumeScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_resumeScheduled = false;
            const QList<Connection *> current = m_connections;
            for (Connection *waiting : current) {
                if (waiting->waiting && !waiting->closed) {
                    waiting->lastProgress.start();
                    pump(waiting);
                }
            }
        },
        Qt::QueuedConnection);
}

void InstanceServer::forget(Connection *connection) {
    if (connection->closed)
        return;
    connection->closed = true;
    release(connection);
    m_connections.removeOne(connection);
    connection->deleteLater();
}

bool InstanceServer::evictIdlest() {
    // A client that connected and sent nothing gives way to a new one; one in the middle of a message does
    // not.
    Connection *idlest = nullptr;
    for (Connection *connection : std::as_const(m_connections)) {
        const bool between = connection->reader.buffered() == 0 && !connection->reader.announced() &&
                             !connection->answered && !connection->waiting;
        if (between && (!idlest || connection->lastProgress.elapsed() > idlest->lastProgress.elapsed()))
            idlest = connection;
    }
    if (!idlest)
        return false;
    idlest->socket->abort();
    forget(idlest);
    return true;
}

void InstanceServer::sweep() {
    if (!m_server->isListening())
        listenAgain();
    const QList<Connection *> current = m_connections;
    for (Connection *connection : current) {
        if (connection->waiting)
            continue;
        const bool idle = connection->lastProgress.hasExpired(idleTimeoutMs);
        const bool slow =
            connection->messageStarted.isValid() && connection->messageStarted.hasExpired(messageTimeoutMs);
        if (idle || slow) {
            connection->socket->abort();
            forget(connection);
        }
    }
}
