#pragma once

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QNetworkProxy>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <memory>

// A tiny HTTP server on 127.0.0.1 answering canned responses, for tests only. Each request
// gets the response registered for its path (the target without the query) or the default.
class HttpServer {
  public:
    struct Response {
        QByteArray head;          // status line and headers, without the blank line
        QList<QByteArray> chunks; // body, sent piece by piece
        int delayMs = 0;          // pause before each piece
        bool hold = false;        // never answer: the client has to give up
    };

    static Response ok(const QByteArray& body, bool withLength = true) {
        QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close";
        if (withLength)
            head += "\r\nContent-Length: " + QByteArray::number(body.size());
        return {head, {body}};
    }
    static Response slow(const QList<QByteArray>& chunks, int delayMs) {
        qsizetype n = 0;
        for (const QByteArray& c : chunks)
            n += c.size();
        return {"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " + QByteArray::number(n),
                chunks, delayMs};
    }
    static Response status(int code, const QByteArray& reason, const QByteArray& body = {}) {
        return {"HTTP/1.1 " + QByteArray::number(code) + ' ' + reason +
                    "\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body.size()),
                {body}};
    }
    static Response redirect(const QByteArray& location) {
        return {"HTTP/1.1 302 Found\r\nConnection: close\r\nContent-Length: 0\r\nLocation: " +
                    location,
                {}};
    }
    static Response held() { return {{}, {}, 0, true}; }

    HttpServer() {
        // The tests talk to 127.0.0.1 only; no proxy from the environment may stand between.
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        server_->listen(QHostAddress::LocalHost, 0);
        QObject::connect(server_.get(), &QTcpServer::newConnection, server_.get(), [this] {
            while (QTcpSocket* socket = server_->nextPendingConnection())
                serve(socket);
        });
    }

    quint16 port() const { return server_->serverPort(); }
    QString root() const { return QStringLiteral("http://127.0.0.1:%1/").arg(port()); }

    Response response = ok("");
    QHash<QByteArray, Response> byPath;
    QList<QByteArray> targets; // request targets, query included, in order of arrival
    QList<QByteArray> heads;   // whole request heads

  private:
    void serve(QTcpSocket* socket) {
        auto buffer = std::make_shared<QByteArray>();
        auto served = std::make_shared<bool>(false); // one request per connection
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer, served] {
            *buffer += socket->readAll();
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0 || *served)
                return;
            *served = true;
            const QByteArray head = buffer->left(end);
            const QByteArray target = head.split('\r').first().split(' ').value(1);
            heads.append(head);
            targets.append(target);
            const QByteArray path = target.split('?').first();
            const Response r = byPath.value(path, response);
            if (r.hold)
                return;
            socket->write(r.head + "\r\n\r\n");
            send(socket, r.chunks, r.delayMs);
        });
    }

    static void send(QPointer<QTcpSocket> socket, QList<QByteArray> chunks, int delayMs) {
        if (!socket || socket->state() != QAbstractSocket::ConnectedState)
            return;
        if (chunks.isEmpty()) {
            socket->disconnectFromHost();
            return;
        }
        if (delayMs == 0) {
            for (const QByteArray& c : chunks)
                socket->write(c);
            socket->disconnectFromHost();
            return;
        }
        QTimer::singleShot(delayMs, socket, [socket, chunks, delayMs]() mutable {
            if (!socket)
                return;
            socket->write(chunks.takeFirst());
            socket->flush();
            send(socket, chunks, delayMs);
        });
    }

    std::unique_ptr<QTcpServer> server_ = std::make_unique<QTcpServer>();
};

// A port on 127.0.0.1 where nothing listens.
inline quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when probe goes
}
