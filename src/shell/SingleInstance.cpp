#include "shell/SingleInstance.h"

#include "platform/PrivateFiles.h"
#include "shell/InstanceServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QtEndian>

#include <cerrno>
#include <cstring>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
bool isKnownRequest(quint8 kind) {
    return kind >= quint8(InstanceRequest::openSettings) && kind <= quint8(InstanceRequest::importLists);
}

int remainingMs(const QDeadlineTimer &deadline) {
    return int(std::max<qint64>(0, deadline.remainingTime()));
}

// Reads one framed message from a connected socket, waiting at most until the deadline.
std::optional<QByteArray> readFramed(QLocalSocket &socket, QDeadlineTimer deadline) {
    FrameReader reader(SingleInstance::maxMessageSize);
    while (!reader.broken()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(remainingMs(deadline)))
            return std::nullopt;
        while (socket.bytesAvailable() > 0 && !reader.broken()) {
            if (auto body = reader.feed(socket.read(reader.wanted())))
                return body;
        }
    }
    return std::nullopt;
}

bool writeAll(QLocalSocket &socket, const QByteArray &bytes, const QDeadlineTimer &deadline) {
    socket.write(bytes);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(remainingMs(deadline)))
            return false;
    }
    return true;
}
} // namespace

qsizetype FrameReader::wanted() const {
    if (m_broken)
        return 0;
    return m_haveLength ? qsizetype(m_length) - m_buffer.size() : 4 - m_buffer.size();
}

std::optional<QByteArray> FrameReader::feed(const QByteArray &bytes) {
    if (m_broken || bytes.size() > wanted()) {
        m_broken = true;
        return std::nullopt;
    }
    m_buffer.append(bytes);
    if (!m_haveLength) {
        if (m_buffer.size() < 4)
            return std::nullopt;
        m_length = qFromBigEndian<quint32>(m_buffer.constData());
        m_buffer.clear();
        m_haveLength = true;
        if (m_length == 0 || m_length > m_limit) {
            m_broken = true;
            return std::nullopt;
        }
        return std::nullopt;
    }
    if (m_buffer.size() < qsizetype(m_length))
        return std::nullopt;
    m_haveLength = false;
    return std::exchange(m_buffer, {});
}

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
    : QObject(parent),
      m_directory(runtimeDirectory.isEmpty() ? defaultRuntimeDirectory() : runtimeDirectory) {}

QString SingleInstance::defaultRuntimeDirectory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(u'/') && PrivateFiles::ownFolder(runtime) && QFileInfo(runtime).isDir())
        return runtime;
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!cache.startsWith(u'/'))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    return cache + QStringLiteral("/Ilvex/runtime");
}

QString SingleInstance::unreachableReason() const {
    return m_problem.isEmpty() ? QStringLiteral("another Ilvex is running but does not answer") : m_problem;
}

bool SingleInstance::peerIsThisUser(qintptr descriptor) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return descriptor >= 0 && ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::getuid();
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketPath() const {
    return m_directory + u'/' + QLatin1String(InstanceProtocol::socketName);
}
QString SingleInstance::lockPath() const {
    return m_directory + u'/' + QLatin1String(InstanceProtocol::lockName);
}

bool SingleInstance::expectsReply(InstanceRequest request) {
    return request == InstanceRequest::exportLists || request == InstanceRequest::importLists;
}

QByteArray SingleInstance::encode(InstanceRequest request, const QByteArray &payload) {
    const QByteArray body = QByteArray(1, char(request)) + payload;
    QByteArray message(4, '\0');
    qToBigEndian<quint32>(quint32(body.size()), message.data());
    return message + body;
}

std::optional<InstanceMessage> SingleInstance::parse(const QByteArray &body) {
    if (body.isEmpty() || !isKnownRequest(quint8(body.at(0))))
        return std::nullopt;
    return InstanceMessage{InstanceRequest(quint8(body.at(0))), body.mid(1)};
}

// Held by no process on this machine: the Ilvex that took it stopped without letting it go.
static bool holderIsGone(const QLockFile &lock) {
    qint64 pid = 0;
    QString host, application;
    return lock.getLockInfo(&pid, &host, &application) && pid > 0 && host == QSysInfo::machineHostName() &&
           ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

bool SingleInstance::tryLock() {
    if (m_lock)
        return true;
    QString reason;
    if (!PrivateFiles::ownFolder(m_directory, &reason)) {
        m_problem = QStringLiteral("cannot use the runtime folder %1: %2").arg(m_directory, reason);
        return false;
    }
    auto lock = std::make_unique<QLockFile>(lockPath());
    // Only a holder that died gives the lock up: age alone never makes a live instance's lock stale.
    lock->setStaleLockTime(0);
    // A holder that died leaves its lock behind, and Qt removes it on the next try; a start racing
    // this one for the same stale lock can hold the removal for a moment, so look again before
    // calling the lock stuck.
    bool locked = lock->tryLock(0);
    for (int attempt = 0;
         !locked && attempt < 10 && lock->error() == QLockFile::LockFailedError && holderIsGone(*lock);
         ++attempt) {
        QThread::msleep(20);
        locked = lock->tryLock(0);
    }
    if (!locked) {
        const QString folderProblem = ::access(QFile::encodeName(m_directory).constData(), W_OK) == 0
                                          ? QString()
                                          : QString::fromLocal8Bit(std::strerror(errno));
        if (lock->error() != QLockFile::LockFailedError) {
            m_problem =
                QStringLiteral("cannot write in the runtime folder %1: %2")
                    .arg(m_directory,
                         folderProblem.isEmpty() ? QStringLiteral("the lock cannot be made") : folderProblem);
        } else if (holderIsGone(*lock)) {
            // Held by no process: an Ilvex that stopped left it, and it cannot be taken over.
            m_problem =
                QStringLiteral("no Ilvex is running, but the lock %1 it left cannot be removed: %2")
                    .arg(lockPath(), folderProblem.isEmpty() ? QStringLiteral("the runtime folder refuses it")
                                                             : folderProblem);
        }
        return false;
    }
    m_lock = std::move(lock);
    return true;
}

SingleInstance::Contact SingleInstance::reach(QLocalSocket &socket, int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    m_problem.clear();
    QString reason;
    if (!PrivateFiles::ownFolder(m_directory, &reason)) {
        m_problem = QStringLiteral("cannot use the runtime folder %1: %2").arg(m_directory, reason);
        return Contact::unreachable;
    }
    while (true) {
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(std::min(remainingMs(deadline), 1000))) {
            if (peerIsThisUser(socket.socketDescriptor()))
                return Contact::delivered;
            socket.abort();
            m_problem = QStringLiteral("the instance socket %1 belongs to another user").arg(socketPath());
            return Contact::unreachable;
        }
        socket.abort();
        if (tryLock())
            return Contact::lockTaken;
        if (!m_problem.isEmpty())
            return Contact::unreachable;
        // The holder of the lock is starting (it listens right after taking the lock), has a full
        // backlog, or is a command working on the lists file: wait for it, in real time.
        if (deadline.hasExpired())
            return Contact::unreachable;
        QThread::msleep(std::min(50, remainingMs(deadline)));
    }
}

SingleInstance::Contact SingleInstance::sendToRunning(InstanceRequest request, int waitMs) {
    QLocalSocket socket;
    const Contact contact = reach(socket, waitMs);
    if (contact != Contact::delivered)
        return contact;
    const QDeadlineTimer deadline(std::max(waitMs, 1000));
    if (!writeAll(socket, encode(request), deadline))
        return Contact::unreachable;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(remainingMs(deadline));
    return Contact::delivered;
}

SingleInstance::Contact SingleInstance::askRunning(InstanceRequest request, const QByteArray &payload,
                                                   int timeoutMs, InstanceReply &reply, int waitMs) {
    QLocalSocket socket;
    const Contact contact = reach(socket, waitMs);
    if (contact != Contact::delivered)
        return contact;
    const QDeadlineTimer deadline(timeoutMs);
    std::optional<InstanceReply> answer;
    if (writeAll(socket, encode(request, payload), deadline)) {
        if (const auto body = readFramed(socket, deadline))
            answer = InstanceReply::decode(*body);
    }
    socket.abort();
    reply = answer ? *answer : InstanceReply{1, {}, QStringLiteral("the running Ilvex did not answer")};
    return Contact::delivered;
}

bool SingleInstance::becomePrimary() {
    if (!tryLock())
        return false;
    listen();
    return true;
}

void SingleInstance::listen() {
    if (!m_lock || m_server)
        return;
    m_server = new InstanceServer(socketPath(), this);
    m_server->setResponder(m_responder);
    connect(m_server, &InstanceServer::requestReceived, this, &SingleInstance::requestReceived);
    m_server->start();
}

void SingleInstance::setResponder(Responder responder) {
    m_responder = std::move(responder);
    if (m_server)
        m_server->setResponder(m_responder);
}
