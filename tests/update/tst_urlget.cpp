#include "httpserver.h"
#include "update/urlget.h"

#include <QSignalSpy>
#include <QTest>

class TestUrlGet : public QObject {
    Q_OBJECT

  private slots:
    // The query goes out exactly as written; Duration and Busy are final inside the handler.
    void complete() {
        HttpServer server;
        const QByteArray body = "<Name>Voltrake</Name>\r\n\x80\xff";
        server.response = HttpServer::slow({body}, 200); // the body comes 200 ms after the head
        urlGet get;
        int duration = -1;
        bool busy = true;
        connect(&get, &urlGet::DownloadComplete, this, [&] {
            duration = get.Duration();
            busy = get.Busy();
        });
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        get.DownloadStart(server.root() +
                              "software/misc/updatecheck.xml?PName=Voltrake&ampPVer=3.1.0.0",
                          urlGet::ForceFresh);
        QVERIFY(get.Busy());
        QVERIFY(complete.wait(10000));
        QCOMPARE(complete.first().first().toInt(), body.size());
        QCOMPARE(get.Bytes(), body);
        QVERIFY(!busy);
        QVERIFY(duration >= 150); // cannot have been shorter than the server's pause
        QCOMPARE(server.targets.value(0),
                 QByteArray("/software/misc/updatecheck.xml?PName=Voltrake&ampPVer=3.1.0.0"));
        QVERIFY(server.heads.value(0).contains("Cache-Control: no-cache"));
    }

    // Every failure leaves the control idle with ByteCount 0 and the earlier data in Bytes.
    void failures_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("keepsPrevious"); // false: progress brought partial data

        QTest::newRow("404") << "missing" << int(urlGet::BadStatus) << true;
        QTest::newRow("declared over 1 MiB") << "big" << int(urlGet::TooLarge) << true;
        QTest::newRow("streams past 1 MiB") << "stream" << int(urlGet::TooLarge) << false;
        QTest::newRow("redirect to https") << "tohttps" << int(urlGet::BadRedirect) << true;
        QTest::newRow("no answer") << "held" << int(urlGet::TimedOut) << true;
        QTest::newRow("connection refused")
            << "refused" << int(QNetworkReply::ConnectionRefusedError) << true;
    }

    void failures() {
        QFETCH(QString, path);
        QFETCH(int, error);
        QFETCH(bool, keepsPrevious);

        HttpServer server;
        const QByteArray previous = "previous document";
        server.byPath["/first"] = HttpServer::ok(previous);
        server.byPath["/missing"] = HttpServer::status(404, "Not Found", "gone");
        server.byPath["/big"] = HttpServer::ok(QByteArray(urlGet::MaxBytes + 1, 'x'));
        server.byPath["/stream"] = HttpServer::ok(QByteArray(urlGet::MaxBytes * 3 / 2, 'y'), false);
        server.byPath["/tohttps"] = HttpServer::redirect(
            QStringLiteral("https://127.0.0.1:%1/first").arg(server.port()).toLatin1());
        server.byPath["/held"] = HttpServer::held();

        urlGet get;
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        QSignalSpy failed(&get, &urlGet::DownloadFailed);
        get.DownloadStart(server.root() + "first");
        QVERIFY(complete.wait(10000));

        get.setTimeoutMs(400);
        const QString url = path == "refused"
                                ? QStringLiteral("http://127.0.0.1:%1/").arg(closedPort())
                                : server.root() + path;
        get.DownloadStart(url, urlGet::ForceFresh);
        QVERIFY(failed.wait(10000));
        QTest::qWait(100);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(complete.size(), 1);
        QCOMPARE(failed.first().at(0).toInt(), error);
        QVERIFY(!failed.first().at(1).toString().isEmpty());
        QVERIFY(!get.Busy());
        QCOMPARE(get.byteCount(), 0);
        QVERIFY(get.Bytes().size() <= urlGet::MaxBytes);
        if (keepsPrevious)
            QCOMPARE(get.Bytes(), previous);
    }

    void progressReportsDataSoFar() {
        HttpServer server;
        const QList<QByteArray> chunks = {"<Name>", "Volt", "rake</Name>", "<Index>x</Index>"};
        server.response = HttpServer::slow(chunks, 80);
        urlGet get;
        QList<int> counts;
        connect(&get, &urlGet::DownloadProgress, this, [&](int n) {
            QCOMPARE(get.Bytes().size(), n);
            counts.append(n);
        });
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        get.DownloadStart(server.root() + "doc");
        QVERIFY(complete.wait(10000));
        QVERIFY(counts.size() >= 3);
        QVERIFY(std::is_sorted(counts.begin(), counts.end()));
        QCOMPARE(get.Bytes(), chunks.join());
    }

    // A cancelled fetch stays busy and raises nothing; an empty address changes nothing; a
    // new start replaces the running fetch without an event for it.
    void cancelAndRestart() {
        HttpServer server;
        server.byPath["/slow"] = HttpServer::slow({"slow ", "body"}, 300);
        server.byPath["/fast"] = HttpServer::ok("fast body");
        urlGet get;
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        QSignalSpy failed(&get, &urlGet::DownloadFailed);
        QSignalSpy progress(&get, &urlGet::DownloadProgress);

        get.DownloadStart(QString());
        QVERIFY(!get.Busy());
        get.DownloadStart(server.root() + "slow");
        get.DownloadCancel();
        QVERIFY(get.Busy());
        get.DownloadStart(QString());
        QVERIFY(get.Busy());
        QTest::qWait(900);
        QCOMPARE(complete.size() + failed.size() + progress.size(), 0);

        get.DownloadStart(server.root() + "slow");
        QTest::qWait(100); // let the slow fetch get going
        get.DownloadStart(server.root() + "fast");
        QVERIFY(complete.wait(10000));
        QTest::qWait(900); // the slow body would have come by now
        QCOMPARE(complete.size(), 1);
        QCOMPARE(failed.size(), 0);
        QCOMPARE(get.Bytes(), QByteArray("fast body"));
    }

    // Handlers may start the next fetch from inside an event; addresses that cannot be
    // fetched start nothing and leave the control busy.
    void startFromHandler() {
        HttpServer server;
        server.byPath["/one"] = HttpServer::status(404, "Not Found");
        server.byPath["/two"] = HttpServer::redirect("/three"); // same scheme: followed
        server.byPath["/three"] = HttpServer::ok("third");
        urlGet get;
        connect(&get, &urlGet::DownloadFailed, this,
                [&] { get.DownloadStart(server.root() + "two"); });
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        get.DownloadStart(server.root() + "one");
        QVERIFY(complete.wait(10000));
        QCOMPARE(get.Bytes(), QByteArray("third"));

        get.DownloadStart(QStringLiteral("file:///etc/passwd"));
        QTest::qWait(200);
        QVERIFY(get.Busy());
        QCOMPARE(complete.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestUrlGet)
#include "tst_urlget.moc"
