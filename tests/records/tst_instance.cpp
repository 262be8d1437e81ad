// The running-copy mark as another process sees it.

#include "records/instance.h"

#include <QtTest>

#include <sys/file.h>
#include <unistd.h>

class TestInstance : public QObject {
    Q_OBJECT

  private slots:
    void secondCopySeesTheFirstUntilItEnds() {
        QTemporaryDir marks; // where the marks live, for this test and the copies it starts
        qputenv("XDG_RUNTIME_DIR", marks.path().toLocal8Bit());
        // This copy's own mark is not another copy running, at a second look either.
        QVERIFY(!IsRunning("Own") && !IsRunning("Own"));
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

    // A mark file planted by someone else is neither followed nor locked: the copy runs alone.
    void plantedMarkIsNotTrusted_data() {
        QTest::addColumn<QString>("planted");
        QTest::newRow("link to another file") << "link";
        QTest::newRow("link to a missing file") << "dangling";
        QTest::newRow("another user's file") << "foreign";
        QTest::newRow("directory") << "dir";
    }
    void plantedMarkIsNotTrusted() {
        QFETCH(QString, planted);
        QTemporaryDir marks;
        qputenv("XDG_RUNTIME_DIR", marks.path().toLocal8Bit());
        const QString name = "Planted" + planted;
        const QString mark = marks.filePath(name + ".lock");
        const QString target = marks.filePath("target");
        if (planted == "link") {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
        }
        if (planted == "link" || planted == "dangling")
            QVERIFY(QFile::link(target, mark));
        if (planted == "dir")
            QVERIFY(QDir(marks.path()).mkdir(name + ".lock"));
        if (planted == "foreign") {
            if (::getuid() != 0)
                QSKIP("giving a file to another user needs root");
            QFile file(mark);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(::fchown(file.handle(), 65534, 65534) == 0);
        }
        QVERIFY(!IsRunning(name));
        // A second look must not find a mark held by the first either.
        QVERIFY(!IsRunning(name));
        QCOMPARE(QFileInfo(target).exists(), planted == "link");
        if (planted == "link" || planted == "foreign") {
            // Nobody holds a lock on the planted file.
            QFile file(planted == "link" ? target : mark);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(::flock(file.handle(), LOCK_EX | LOCK_NB), 0);
            QCOMPARE(file.readAll(), QByteArray(planted == "link" ? "kept" : ""));
        }
    }
};

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
