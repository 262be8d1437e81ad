// The running-copy mark as another process sees it.

#include "records/instance.h"

#include <QtTest>

class TestInstance : public QObject {
    Q_OBJECT

  private slots:
    void secondCopySeesTheFirstUntilItEnds() {
        QTemporaryDir marks; // where the marks live, for this test and the copies it starts
        qputenv("XDG_RUNTIME_DIR", marks.path().toLocal8Bit());
        QProcess first, second;
        first.start(MARKHOLDER, {"Voltrake", "hold"});
        QVERIFY(first.waitForReadyRead(30000) && first.readAll() == "alone\n");
        for (const char* seen : {"running\n", "alone\n"}) {
            second.start(MARKHOLDER, {"Voltrake", "check"});
            QVERIFY(second.waitForFinished(30000));
            QCOMPARE(second.readAll(), seen);
            first.closeWriteChannel(); // the first copy ends
            first.waitForFinished(30000);
        }
    }
};

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
