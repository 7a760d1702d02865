#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class QLocalServer;

// What a second start of Ilvex asks the running one to do.
enum class InstanceRequest : quint8 {
    openSettings = 1, // a plain start
    toggle,
    show,
    hide,
    settings,
    about,
    toggleMenuBar,
    quit,
    exportLists, // answered with the export document
    importLists, // payload: one byte (1 = append) and the document; answered with the outcome
};

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

// One Ilvex runs per user: two writers of lists.json would lose data. The first start takes a lock file
// in the runtime folder and listens on a local socket beside it; later starts hand their request over
// that socket and exit. Messages both ways are a 32-bit big-endian length followed by the body; a
// request's body starts with its InstanceRequest byte.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // Import documents are at most 64 MiB; nothing larger is ever read off the socket.
    static constexpr quint32 maxMessageSize = 64 * 1024 * 1024 + 64;

    // runtimeDirectory empty: $XDG_RUNTIME_DIR, else the temporary folder.
    explicit SingleInstance(const QString &runtimeDirectory = {}, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Sends the request to a running instance; false when none answers.
    bool sendToRunning(InstanceRequest request, int timeoutMs = 1000) const;
    // Sends a request that has an answer and waits for it; none when no instance runs or it did not
    // answer in time.
    std::optional<InstanceReply> askRunning(InstanceRequest request, const QByteArray &payload,
                                            int timeoutMs) const;
    // Takes the lock and starts listening; false when another instance holds the lock.
    bool becomePrimary();

    // Answers requests that have an answer (exportLists, importLists) in the primary instance.
    using Responder = std::function<InstanceReply(const InstanceMessage &)>;
    void setResponder(Responder responder) { m_responder = std::move(responder); }

    QString socketPath() const;
    QString lockPath() const;

    static QByteArray encode(InstanceRequest request, const QByteArray &payload = {});
    // Takes complete messages off the front of buffer; a malformed one is dropped with the rest.
    static QList<InstanceMessage> decode(QByteArray &buffer);
    static bool expectsReply(InstanceRequest request);

Q_SIGNALS:
    void requestReceived(InstanceRequest request);

private:
    QString m_directory;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    Responder m_responder;
};
