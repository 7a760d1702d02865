#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QObject>

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
};

// One Ilvex runs per user: two writers of lists.json would lose data. The first start takes a lock file
// in the runtime folder and listens on a local socket beside it; later starts hand their request over
// that socket and exit. Messages are a 32-bit big-endian length followed by the payload, whose first
// byte is an InstanceRequest.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // runtimeDirectory empty: $XDG_RUNTIME_DIR, else the temporary folder.
    explicit SingleInstance(const QString &runtimeDirectory = {}, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Sends the request to a running instance; false when none answers.
    bool sendToRunning(InstanceRequest request, int timeoutMs = 1000) const;
    // Takes the lock and starts listening; false when another instance holds the lock.
    bool becomePrimary();

    QString socketPath() const;
    QString lockPath() const;

    static QByteArray encode(InstanceRequest request);
    // Takes complete messages off the front of buffer; a malformed one is dropped with the rest.
    static QList<InstanceRequest> decode(QByteArray &buffer);

Q_SIGNALS:
    void requestReceived(InstanceRequest request);

private:
    QString m_directory;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
