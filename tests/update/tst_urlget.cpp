#include "httpserver.h"
#include "update/urlget.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

class TestUrlGet : public QObject {
    Q_OBJECT

  private:
    // Lets the event loop run for a while so that stray events would have arrived.
    static void settle(int ms = 300) { QTest::qWait(ms); }

  private slots:
    void emptyUrlDoesNothing() {
        HttpServer server;
        server.byPath["/held"] = HttpServer::held();
        urlGet get;
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        QSignalSpy failed(&get, &urlGet::DownloadFailed);

        get.DownloadStart(QString());
        QVERIFY(!get.Busy());

        get.DownloadStart(server.root() + "held");
        QTRY_COMPARE(server.targets.size(), 1);
        get.DownloadStart(QString()); // neither cancels nor replaces the running fetch
        QVERIFY(get.Busy());
        settle();
        QCOMPARE(complete.size() + failed.size(), 0);
        QCOMPARE(server.targets.size(), 1);
    }

    void completeDeliversBytesAndDuration() {
        HttpServer server;
        const QByteArray body = "<Name>Voltrake</Name>\r\n\x80\xff";
        server.response = HttpServer::slow({body}, 200); // the body comes 200 ms after the head
        urlGet get;
        int seenDuration = -1;
        bool busyInHandler = true;
        int countInHandler = -1;
        connect(&get, &urlGet::DownloadComplete, this, [&](int) {
            seenDuration = get.Duration();
            busyInHandler = get.Busy();
            countInHandler = get.byteCount();
        });
        QSignalSpy complete(&get, &urlGet::DownloadComplete);

        get.DownloadStart(server.root() + "doc", urlGet::ForceFresh);
        QVERIFY(get.Busy());
        QCOMPARE(get.Duration(), 0);
        QVERIFY(complete.wait(10000));
        QCOMPARE(complete.size(), 1);
        QCOMPARE(complete.first().first().toInt(), body.size());
        QCOMPARE(get.Bytes(), body);
        QVERIFY(!busyInHandler);
        QCOMPARE(countInHandler, int(body.size()));
        QVERIFY(seenDuration >= 150); // the fetch cannot have been shorter than the pause
    }

    // The query goes out exactly as written, and mode 16 asks every cache to step aside.
    void requestIsSentAsWritten() {
        HttpServer server;
        urlGet get;
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        get.DownloadStart(server.root() +
                              "software/misc/updatecheck.xml?PName=Voltrake&ampPVer=3.1.0.0",
                          urlGet::ForceFresh);
        QVERIFY(complete.wait(10000));
        QCOMPARE(server.targets.value(0),
                 QByteArray("/software/misc/updatecheck.xml?PName=Voltrake&ampPVer=3.1.0.0"));
        QVERIFY(server.heads.value(0).contains("Cache-Control: no-cache"));

        get.DownloadStart(server.root() + "plain");
        QVERIFY(complete.wait(10000));
        QVERIFY(!server.heads.value(1).contains("no-cache"));
    }

    void failures_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<int>("error");
        // false when progress may have replaced the previous data with partial data
        QTest::addColumn<bool>("keepsPrevious");

        QTest::newRow("404") << "missing" << 30000 << int(urlGet::BadStatus) << true;
        QTest::newRow("500 with a body") << "broken" << 30000 << int(urlGet::BadStatus) << true;
        QTest::newRow("declared larger than 1 MiB")
            << "big" << 30000 << int(urlGet::TooLarge) << true;
        QTest::newRow("streams past 1 MiB") << "stream" << 30000 << int(urlGet::TooLarge) << false;
        QTest::newRow("redirect to another scheme")
            << "tohttps" << 30000 << int(urlGet::BadRedirect) << true;
        // refused by the network layer itself before we are asked
        QTest::newRow("redirect to ftp")
            << "toftp" << 30000 << int(QNetworkReply::ProtocolUnknownError) << true;
        QTest::newRow("no answer") << "held" << 400 << int(urlGet::TimedOut) << true;
    }

    void failures() {
        QFETCH(QString, path);
        QFETCH(int, timeoutMs);
        QFETCH(int, error);
        QFETCH(bool, keepsPrevious);

        HttpServer server;
        const QByteArray previous = "previous document";
        server.byPath["/first"] = HttpServer::ok(previous);
        server.byPath["/missing"] = HttpServer::status(404, "Not Found");
        server.byPath["/broken"] = HttpServer::status(500, "Internal Server Error", "oops");
        server.byPath["/big"] = HttpServer::ok(QByteArray(urlGet::MaxBytes + 1, 'x'));
        server.byPath["/stream"] = HttpServer::ok(QByteArray(urlGet::MaxBytes * 3 / 2, 'y'), false);
        server.byPath["/tohttps"] = HttpServer::redirect(
            QStringLiteral("https://127.0.0.1:%1/first").arg(server.port()).toLatin1());
        server.byPath["/toftp"] = HttpServer::redirect("ftp://127.0.0.1/first");
        server.byPath["/held"] = HttpServer::held();

        urlGet get;
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        QSignalSpy failed(&get, &urlGet::DownloadFailed);
        QSignalSpy progress(&get, &urlGet::DownloadProgress);
        get.DownloadStart(server.root() + "first");
        QVERIFY(complete.wait(10000));
        QCOMPARE(get.byteCount(), int(previous.size()));

        get.setTimeoutMs(timeoutMs);
        get.DownloadStart(server.root() + path, urlGet::ForceFresh);
        QVERIFY(failed.wait(10000));
        settle(100);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(complete.size(), 1);
        QCOMPARE(failed.first().at(0).toInt(), error);
        QVERIFY(!failed.first().at(1).toString().isEmpty());
        QVERIFY(!get.Busy());
        QCOMPARE(get.byteCount(), 0);
        QVERIFY(get.Bytes().size() <= urlGet::MaxBytes);
        if (keepsPrevious)
            QCOMPARE(get.Bytes(), previous);
        QVERIFY(get.Duration() >= 0);
    }

    void connectionRefused() {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();

        urlGet get;
        QSignalSpy failed(&get, &urlGet::DownloadFailed);
        get.DownloadStart(QStringLiteral("http://127.0.0.1:%1/doc").arg(port));
        QVERIFY(failed.wait(10000));
        QCOMPARE(failed.first().at(0).toInt(), int(QNetworkReply::ConnectionRefusedError));
        QVERIFY(!get.Busy());
        QCOMPARE(get.byteCount(), 0);
        QVERIFY(get.Bytes().isEmpty());
    }

    // Addresses that cannot be fetched start nothing: no event, and the control stays busy
    // until the next start.
    void unusableAddress_data() {
        QTest::addColumn<QString>("url");
        QTest::newRow("file") << "file:///etc/passwd";
        QTest::newRow("no scheme") << "127.0.0.1/doc";
        QTest::newRow("no host") << "http:///doc";
    }
    void unusableAddress() {
        QFETCH(QString, url);
        urlGet get;
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        QSignalSpy failed(&get, &urlGet::DownloadFailed);
        get.DownloadStart(url);
        settle();
        QVERIFY(get.Busy());
        QCOMPARE(complete.size() + failed.size(), 0);
    }

    void sameSchemeRedirectIsFollowed() {
        HttpServer server;
        server.byPath["/old"] = HttpServer::redirect("/new");
        server.byPath["/new"] = HttpServer::ok("moved here");
        urlGet get;
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        get.DownloadStart(server.root() + "old");
        QVERIFY(complete.wait(10000));
        QCOMPARE(get.Bytes(), QByteArray("moved here"));
    }

    void progressReportsDataSoFar() {
        HttpServer server;
        const QList<QByteArray> chunks = {"<Name>", "Volt", "rake</Name>", "<Index>x</Index>"};
        server.response = HttpServer::slow(chunks, 80);
        urlGet get;
        QList<int> counts;
        QList<QByteArray> seen;
        connect(&get, &urlGet::DownloadProgress, this, [&](int n) {
            counts.append(n);
            seen.append(get.Bytes());
            QVERIFY(get.Busy());
        });
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        get.DownloadStart(server.root() + "doc");
        QVERIFY(complete.wait(10000));

        QVERIFY(counts.size() >= 3);
        for (int i = 0; i < counts.size(); ++i) {
            QCOMPARE(seen[i].size(), counts[i]);
            if (i > 0)
                QVERIFY(counts[i] > counts[i - 1]);
        }
        QCOMPARE(get.Bytes(), chunks.join());
        QCOMPARE(complete.first().first().toInt(), int(chunks.join().size()));
    }

    void cancelKeepsBusyAndRaisesNothing() {
        HttpServer server;
        server.response = HttpServer::slow({"a", "b", "c"}, 150);
        urlGet get;
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        QSignalSpy failed(&get, &urlGet::DownloadFailed);
        QSignalSpy progress(&get, &urlGet::DownloadProgress);
        get.DownloadStart(server.root() + "doc");
        QTRY_COMPARE(server.targets.size(), 1);
        get.DownloadCancel();
        QVERIFY(get.Busy());
        settle(700);
        QVERIFY(get.Busy());
        QCOMPARE(complete.size() + failed.size() + progress.size(), 0);
        get.DownloadCancel(); // a second cancel is harmless
        QVERIFY(get.Busy());
    }

    void restartReplacesRunningFetch() {
        HttpServer server;
        server.byPath["/slow"] = HttpServer::slow({"slow ", "body"}, 300);
        server.byPath["/fast"] = HttpServer::ok("fast body");
        urlGet get;
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        QSignalSpy failed(&get, &urlGet::DownloadFailed);
        get.DownloadStart(server.root() + "slow");
        QTRY_COMPARE(server.targets.size(), 1);
        get.DownloadStart(server.root() + "fast");
        QVERIFY(complete.wait(10000));
        settle(900); // the first fetch's data would have come by now
        QCOMPARE(complete.size(), 1);
        QCOMPARE(failed.size(), 0);
        QCOMPARE(get.Bytes(), QByteArray("fast body"));
        QVERIFY(!get.Busy());
    }

    // A handler may start the next fetch from inside an event.
    void restartFromHandler() {
        HttpServer server;
        server.byPath["/one"] = HttpServer::status(404, "Not Found");
        server.byPath["/two"] = HttpServer::ok("second");
        urlGet get;
        connect(&get, &urlGet::DownloadFailed, this,
                [&] { get.DownloadStart(server.root() + "two"); });
        QSignalSpy complete(&get, &urlGet::DownloadComplete);
        get.DownloadStart(server.root() + "one");
        QVERIFY(complete.wait(10000));
        QCOMPARE(get.Bytes(), QByteArray("second"));
    }

    void deletedWhileRunning() {
        HttpServer server;
        server.response = HttpServer::slow({"a", "b"}, 100);
        auto* get = new urlGet;
        get->DownloadStart(server.root() + "doc");
        QTRY_COMPARE(server.targets.size(), 1);
        delete get;
        settle(400); // nothing may reach the deleted control
    }
};

QTEST_GUILESS_MAIN(TestUrlGet)
#include "tst_urlget.moc"
