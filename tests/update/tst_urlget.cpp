#include "httpserver.h"
#include "update/urlget.h"

#include <QSignalSpy>
#include <QTest>

class TestUrlGet : public QObject {
    Q_OBJECT

  private slots:
    // Duration and Busy are final in the complete handler; a failure leaves the control idle,
    // ByteCount 0, Bytes with the earlier or partial data; cancel keeps it busy and silent.
    void fetches() {
        const QByteArray body = "<Name>Voltrake</Name>\r\n\x80\xff";
        HttpServer slow(HttpServer::answer("200 OK", body), 300);
        HttpServer missing(HttpServer::answer("404 Not Found", "gone"));
        HttpServer endless("HTTP/1.1 200 OK\r\n\r\n" + QByteArray(urlGet::MaxBytes * 3 / 2, 'x'));
        urlGet get;
        QSignalSpy complete(&get, &urlGet::DownloadComplete), failed(&get, &urlGet::DownloadFailed);
        QSignalSpy progress(&get, &urlGet::DownloadProgress);
        int duration = -1; // stays -1 when the control is still busy in the handler
        connect(&get, &urlGet::DownloadComplete, this,
                [&] { duration = get.Busy() ? -1 : get.Duration(); });
        get.DownloadStart(slow.root(), urlGet::ForceFresh);
        QVERIFY(get.Busy() && complete.wait(10000));
        QVERIFY(complete[0][0].toInt() == body.size() && duration >= 250); // 300 ms late
        get.DownloadStart(missing.root());
        QVERIFY(failed.wait(10000) && failed[0][0].toInt() == urlGet::BadStatus);
        QVERIFY(!get.Busy() && get.byteCount() == 0 && get.Bytes() == body);
        get.DownloadStart(endless.root());
        QVERIFY(failed.wait(10000) && failed[1][0].toInt() == urlGet::TooLarge);
        QVERIFY(!get.Busy() && get.byteCount() == 0 && get.Bytes().startsWith('x'));
        QVERIFY(get.Bytes().size() <= urlGet::MaxBytes && progress.size() > 1);

        const int events = complete.size() + failed.size() + progress.size();
        get.DownloadStart(QString());
        QVERIFY(!get.Busy());
        get.DownloadStart(slow.root());
        get.DownloadCancel();
        get.DownloadStart(QString());
        QVERIFY(get.Busy());
        QTest::qWait(900);
        QCOMPARE(complete.size() + failed.size() + progress.size(), events);
        get.DownloadStart(slow.root());
        QTest::qWait(100);
        get.DownloadStart(missing.root());
        QVERIFY(failed.wait(10000));
        QTest::qWait(900); // the slow body would have come by now
        QCOMPARE(complete.size() + failed.size() + progress.size(), events + 1);
    }
};

QTEST_GUILESS_MAIN(TestUrlGet)
#include "tst_urlget.moc"
