#include "shell/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QtEndian>

#include <cstdio>

namespace {
// A request is one byte; anything much longer is not ours.
constexpr quint32 maxMessageSize = 1024;

bool isKnownRequest(quint8 kind) {
    return kind >= quint8(InstanceRequest::openSettings) && kind <= quint8(InstanceRequest::quit);
}
} // namespace

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

QByteArray SingleInstance::encode(InstanceRequest request) {
    QByteArray message(4, '\0');
    qToBigEndian<quint32>(1, message.data());
    message.append(char(request));
    return message;
}

QList<InstanceRequest> SingleInstance::decode(QByteArray &buffer) {
    QList<InstanceRequest> requests;
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
            requests.append(InstanceRequest(kind));
        buffer.remove(0, qsizetype(4 + length));
    }
    return requests;
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
                for (InstanceRequest request : decode(*buffer))
                    Q_EMIT requestReceived(request);
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}
