#pragma once

#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// Answers each request on 127.0.0.1 with `reply`, `delayMs` late, and keeps the request heads.
class HttpServer : public QTcpServer {
  public:
    static QByteArray answer(const QByteArray& status, const QByteArray& body = {}) {
        return "HTTP/1.1 " + status +
               "\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\n\r\n" + body;
    }
    explicit HttpServer(const QByteArray& r = {}, int ms = 0) : reply(r), delayMs(ms) {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); // nothing may stand between
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->peek(1 << 16).endsWith("\r\n\r\n"))
                        return; // the head is not complete yet
                    heads.append(socket->readAll().trimmed());
                    QTimer::singleShot(delayMs, socket, [socket, r = reply] {
                        if (socket->isOpen() && socket->write(r) > 0)
                            socket->disconnectFromHost();
                    });
                });
        });
    }
    QString root() const { return QStringLiteral("http://127.0.0.1:%1/").arg(serverPort()); }

    QByteArray reply;
    int delayMs;
    QList<QByteArray> heads;
};

// The update-check document as the web site publishes it, in the code page: "\xa3" is "£".
inline QByteArray updateDocument(const QByteArray& version1 = "3.2") {
    return "<Update><Name>Voltrake</Name><Version1>" + version1 + "</Version1><Version2>0.0" +
           "</Version2>\r\n<Download>d</Download><History>h</History><KIssues>k</KIssues><Index>" +
           "i</Index>\r\n<Message>News \xa3</Message><Uninstall>No</Uninstall></Update>";
}
