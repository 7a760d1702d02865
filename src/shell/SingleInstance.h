#pragma once

#include "shell/InstanceProtocol.h"

#include <QByteArray>
#include <QLockFile>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class InstanceServer;
class QLocalSocket;

struct InstanceMessage {
    InstanceRequest request;
    QByteArray payload;
};

// The answer to a request that has one: an exit code, bytes for standard output and an error line.
struct InstanceReply {
    int exitCode = 0;
    QByteArray output;
    QString error;

    QByteArray encode() const;
    static std::optional<InstanceReply> decode(const QByteArray &body);
};

// Splits a byte stream into messages: a 32-bit big-endian length, then that many bytes of body. A length
// of zero or over the limit breaks the framing for good: nothing after it can be trusted.
class FrameReader {
  public:
    explicit FrameReader(quint32 limit) : m_limit(limit) {}
    // How many bytes the current header or body still needs.
    qsizetype wanted() const;
    // The body length the sender announced, once the header is complete.
    std::optional<quint32> announced() const { return m_haveLength ? std::optional(m_length) : std::nullopt; }
    bool broken() const { return m_broken; }
    // Takes at most wanted() bytes; returns the body when they complete one.
    std::optional<QByteArray> feed(const QByteArray &bytes);
    qsizetype buffered() const { return m_buffer.size(); }

  private:
    quint32 m_limit;
    QByteArray m_buffer;
    quint32 m_length = 0;
    bool m_haveLength = false;
    bool m_broken = false;
};

// One Ilvex runs per user, and only the holder of the instance lock writes the lists file. The first
// start takes the lock in the runtime folder, listens on a local socket beside it and only then loads
// the store; later starts hand their request over that socket and exit. A command that finds no instance
// (--import-lists, --export-lists) takes the lock itself for as long as it works on the lists file.
// Messages both ways are framed by FrameReader; a request's body starts with its InstanceRequest byte.
class SingleInstance : public QObject {
    Q_OBJECT

  public:
    // Import documents are at most 64 MiB; nothing larger is ever read off the socket.
    static constexpr quint32 maxMessageSize = 64 * 1024 * 1024 + 64;
    // How long a start waits for an instance that holds the lock but does not answer yet (it is
    // starting, or a command is working on the lists file).
    static constexpr int startWaitMs = 10000;

    // runtimeDirectory empty: defaultRuntimeDirectory().
    explicit SingleInstance(const QString &runtimeDirectory = {}, QObject *parent = nullptr);
    // $XDG_RUNTIME_DIR when it is the user's own and no one else can write to it, else "Ilvex/runtime"
    // in $XDG_CACHE_HOME (~/.cache): never a shared folder such as the temporary one.
    static QString defaultRuntimeDirectory();
    // Why the last contact was unreachable: another Ilvex that does not answer, or a runtime folder
    // that cannot be used (another user's, writable by others, read-only) or another user's socket.
    QString unreachableReason() const;
    ~SingleInstance() override;

    // The outcome of trying to reach the running instance.
    enum class Contact {
        delivered,   // the running instance has the request (and, for askRunning, answered or not)
        lockTaken,   // none runs: the lock is now this process's, so it may write the lists file
        unreachable, // one holds the lock but did not answer within the wait
    };
    // Hands a request without an answer to the running instance, waiting up to waitMs for one that starts.
    Contact sendToRunning(InstanceRequest request, int waitMs = startWaitMs);
    // Sends a request that has an answer and waits up to timeoutMs for it. Delivered without an answer
    // in time (or the instance went away) gives a failure reply; the request may have been carried out.
    Contact askRunning(InstanceRequest request, const QByteArray &payload, int timeoutMs,
                       InstanceReply &reply, int waitMs = startWaitMs);
    // Takes the lock when no live process holds it.
    bool tryLock();
    bool ownsLock() const { return m_lock != nullptr; }
    // Takes the lock and starts listening; false when another instance holds the lock.
    bool becomePrimary();
    // With the lock taken: serves requests from now on, listening again whenever the server closes.
    void listen();

    // Answers requests that have an answer (exportLists, importLists) in the primary instance.
    using Responder = std::function<InstanceReply(const InstanceMessage &)>;
    void setResponder(Responder responder);

    // Whether the other end of a connected local socket runs as this user.
    static bool peerIsThisUser(qintptr descriptor);

    QString socketPath() const;
    QString lockPath() const;

    static QByteArray encode(InstanceRequest request, const QByteArray &payload = {});
    // A request body: a known InstanceRequest byte, then the payload.
    static std::optional<InstanceMessage> parse(const QByteArray &body);
    static bool expectsReply(InstanceRequest request);

  Q_SIGNALS:
    void requestReceived(InstanceRequest request);

  private:
    Contact reach(QLocalSocket &socket, int waitMs);

    QString m_directory;
    QString m_problem; // the folder's or the socket's, when there is one
    std::unique_ptr<QLockFile> m_lock;
    InstanceServer *m_server = nullptr;
    Responder m_responder;
};
