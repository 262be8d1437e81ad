// urlGet on arbitrary HTTP answers: a local server sends the input as the whole response,
// then closes the connection.
#include "update/urlget.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_urlget";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTcpServer server;
    static const bool listening = [] {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        return server.listen(QHostAddress::LocalHost, 0);
    }();
    if (!listening)
        return 0;
    const QByteArray answer(reinterpret_cast<const char*>(data), qsizetype(size));
    // Each run's connections end with the run, so no answer of one reaches the next.
    QObject scope;
    QObject::connect(&server, &QTcpServer::newConnection, &scope, [&scope, answer] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            socket->setParent(&scope);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, answer] {
                if (!socket->peek(1 << 16).contains("\r\n\r\n"))
                    return; // the request head is not complete yet
                socket->readAll();
                socket->write(answer);
                socket->disconnectFromHost();
            });
        }
    });

    QEventLoop loop;
    urlGet get;
    get.setTimeoutMs(500);
    QObject::connect(&get, &urlGet::DownloadComplete, &loop, &QEventLoop::quit);
    QObject::connect(&get, &urlGet::DownloadFailed, &loop, &QEventLoop::quit);
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    get.DownloadStart(
        QStringLiteral("http://127.0.0.1:%1/updatecheck.xml").arg(server.serverPort()),
        urlGet::ForceFresh);
    loop.exec();
    get.DownloadCancel();
    if (get.Bytes().size() > urlGet::MaxBytes)
        __builtin_trap(); // the size limit must hold whatever the answer claims
    return 0;
}
