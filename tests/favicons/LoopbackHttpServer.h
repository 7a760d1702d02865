#pragma once

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QTcpServer>

// A tiny HTTP/1.0 server on 127.0.0.1 for favicon tests: each path has a canned answer, and every
// request path is recorded in order.
class LoopbackHttpServer : public QObject {
  public:
    struct Answer {
        int status = 200;
        QByteArray body{};
        bool sendLength = true;
        bool silent = false;    // accept the connection and never answer
        int trickleEveryMs = 0; // send the body one byte at a time, forever
    };

    LoopbackHttpServer();
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    void answer(const QString &path, Answer reply) { m_answers.insert(path, std::move(reply)); }
    QStringList requests() const { return m_requests; }

  private:
    void serve(class QTcpSocket *socket);

    QTcpServer m_server;
    QHash<QString, Answer> m_answers;
    QStringList m_requests;
};
