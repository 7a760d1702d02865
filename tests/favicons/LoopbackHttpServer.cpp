#include "LoopbackHttpServer.h"

#include <QTcpSocket>
#include <QTimer>

LoopbackHttpServer::LoopbackHttpServer() {
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
}

void LoopbackHttpServer::serve(QTcpSocket *socket) {
    if (socket->property("served").toBool() || !socket->canReadLine())
        return;
    socket->setProperty("served", true);
    const QString target = QString::fromUtf8(socket->readLine().split(' ').value(1));
    m_requests.append(target.isEmpty() ? QStringLiteral("/") : target);
    const Answer reply = m_answers.value(target.section(u'?', 0, 0), Answer{404, "not found"});
    if (reply.silent)
        return;
    QByteArray head = "HTTP/1.0 " + QByteArray::number(reply.status) + " X\r\nContent-Type: image/png\r\n";
    if (reply.sendLength && !reply.trickleEveryMs)
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    socket->write(head + "\r\n");
    if (!reply.trickleEveryMs) {
        socket->write(reply.body);
        socket->disconnectFromHost();
        return;
    }
    auto *timer = new QTimer(socket);
    connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
    timer->start(reply.trickleEveryMs);
}
