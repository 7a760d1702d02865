#include "shell/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QtEndian>

#include <cstdio>

namespace {
bool isKnownRequest(quint8 kind) {
    return kind >= quint8(InstanceRequest::openSettings) && kind <= quint8(InstanceRequest::importLists);
}

QByteArray framed(const QByteArray &body) {
    QByteArray message(4, '\0');
    qToBigEndian<quint32>(quint32(body.size()), message.data());
    return message + body;
}

// Reads one framed message from a connected socket, waiting at most until the deadline.
std::optional<QByteArray> readFramed(QLocalSocket &socket, QDeadlineTimer deadline) {
    QByteArray buffer;
    while (true) {
        if (buffer.size() >= 4) {
            const quint32 length = qFromBigEndian<quint32>(buffer.constData());
            if (length > SingleInstance::maxMessageSize)
                return std::nullopt;
            if (quint32(buffer.size()) >= 4 + length)
                return buffer.mid(4, qsizetype(length));
        }
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            return std::nullopt;
        buffer.append(socket.readAll());
    }
}
} // namespace

QByteArray InstanceReply::encode() const {
    QByteArray body;
    body.append(char(quint8(exitCode)));
    QByteArray length(4, '\0');
    qToBigEndian<quint32>(quint32(output.size()), length.data());
    body.append(length);
    body.append(output);
    body.append(error.toUtf8());
    return body;
}

std::optional<InstanceReply> InstanceReply::decode(const QByteArray &body) {
    if (body.size() < 5)
        return std::nullopt;
    const quint32 outputLength = qFromBigEndian<quint32>(body.constData() + 1);
    if (quint64(outputLength) + 5 > quint64(body.size()))
        return std::nullopt;
    InstanceReply reply;
    reply.exitCode = quint8(body.at(0));
    reply.output = body.mid(5, qsizetype(outputLength));
    reply.error = QString::fromUtf8(body.mid(5 + qsizetype(outputLength)));
    return reply;
}

SingleInstance::SingleInstance(const QString &runtimeDirectory, QObject *parent)
    : QObject(parent), m_directory(runtimeDirectory) {
    if (m_directory.isEmpty())
        m_directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (m_directory.isEmpty())
        m_directory = QDir::tempPath();
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketPath() const { return m_directory + QStringLiteral("/ilvex.socket"); }
QString SingleInstance::lockPath() const { return m_directory + QStringLiteral("/ilvex.lock"); }

bool SingleInstance::expectsReply(InstanceRequest request) {
    return request == InstanceRequest::exportLists || request == InstanceRequest::importLists;
}

QByteArray SingleInstance::encode(InstanceRequest request, const QByteArray &payload) {
    return framed(QByteArray(1, char(request)) + payload);
}

QList<InstanceMessage> SingleInstance::decode(QByteArray &buffer) {
    QList<InstanceMessage> messages;
    while (buffer.size() >= 4) {
        const quint32 length = qFromBigEndian<quint32>(buffer.constData());
        if (length == 0 || length > maxMessageSize) {
            buffer.clear();
            break;
        }
        if (quint32(buffer.size()) < 4 + length)
            break;
        const quint8 kind = quint8(buffer.at(4));
        if (isKnownRequest(kind))
            messages.append({InstanceRequest(kind), buffer.mid(5, qsizetype(length) - 1)});
        buffer.remove(0, qsizetype(4 + length));
    }
    return messages;
}

bool SingleInstance::sendToRunning(InstanceRequest request, int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(encode(request));
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

std::optional<InstanceReply> SingleInstance::askRunning(InstanceRequest request, const QByteArray &payload,
                                                        int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(std::min(timeoutMs, 1000)))
        return std::nullopt;
    const QDeadlineTimer deadline(timeoutMs);
    socket.write(encode(request, payload));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return std::nullopt;
    }
    const auto body = readFramed(socket, deadline);
    socket.disconnectFromServer();
    return body ? InstanceReply::decode(*body) : std::nullopt;
}

bool SingleInstance::becomePrimary() {
    QDir().mkpath(m_directory);
    m_lock = std::make_unique<QLockFile>(lockPath());
    // A lock left by a process that died is recognised by its pid and taken over.
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    // The lock is ours, so any socket file is left over from a crash.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath())) {
        std::fprintf(stdout, "[Ilvex] cannot listen on %s: %s\n", qPrintable(socketPath()),
                     qPrintable(m_server->errorString()));
        std::fflush(stdout);
        return true; // still the one instance; later starts simply cannot reach it
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *client = m_server->nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            connect(client, &QLocalSocket::readyRead, this, [this, client, buffer] {
                buffer->append(client->readAll());
                if (buffer->size() > qsizetype(maxMessageSize) + 4) {
                    client->abort();
                    return;
                }
                for (const InstanceMessage &message : decode(*buffer)) {
                    if (!expectsReply(message.request)) {
                        Q_EMIT requestReceived(message.request);
                        continue;
                    }
                    InstanceReply reply{1, {}, QStringLiteral("the running Ilvex cannot do this")};
                    if (m_responder)
                        reply = m_responder(message);
                    client->write(framed(reply.encode()));
                    client->flush();
                }
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}
