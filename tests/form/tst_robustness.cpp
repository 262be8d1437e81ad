// Files survive a killed program and a full disk: every rewrite leaves the old file or the
// new one, never a mixture or a truncated file. The test runs copies of itself as the
// program being killed or starved of disk space.
#include "form/config.h"
#include "form/history.h"
#include "form/mainform.h"
#include "scriptedhost.h"
#include "text/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <csignal>
#include <sys/resource.h>

namespace {

QString big(char c, int kib) {
    return QString(kib * 1024 - 2, QLatin1Char(c)) + QStringLiteral("\r\n");
}

// The child's side: loops rewriting files until killed, or writes once under a size limit.
int child(const QString& mode, const QString& dir) {
    if (mode == QLatin1String("rewrite")) {
        const QString a = big('a', 2048), b = big('b', 2048);
        for (bool flip = false;; flip = !flip)
            files::replace(dir + "/file.txt", flip ? a : b);
    }
    ScriptedHost host;
    MainForm f(host);
    f.baseDir = dir;
    f.FileSystem = true;
    if (mode == QLatin1String("savedata")) {
        ReadConfiguration(f);
        for (int i = 0;; i = (i + 1) % 90)
            f.setText("NormalR1", QStringLiteral("0.%1").arg(10 + i)), Save_Defaults_Click(f);
    }
    if (mode == QLatin1String("removelast")) {
        f.HistoryLogName = "Voltrake_H.log";
        for (;;)
            Del_Last_Click(f);
    }
    // "full": a disk with 256 bytes left
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{256, 256};
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool replaced = files::replace(dir + "/file.txt", big('n', 64));
    ReadConfiguration(f);
    f.setText("Notes", "x");
    f.setText("NormalR1", "0.2");
    Save_Defaults_Click(f);
    QTextStream(stdout) << (replaced ? "replaced" : "refused") << '\n'
                        << (host.boxes.isEmpty() ? QString() : host.boxes.last().text) << '\n';
    return 0;
}

QByteArray runChild(const QString& mode, const QString& dir, int killAfterMs) {
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {"--child", mode, dir});
    p.waitForStarted();
    if (killAfterMs < 0) {
        p.waitForFinished(60000);
        return p.readAllStandardOutput();
    }
    QThread::msleep(killAfterMs);
    p.kill(); // SIGKILL: no clean-up of any kind
    p.waitForFinished();
    return {};
}

} // namespace

class TestRobustness : public QObject {
    Q_OBJECT
  private slots:
    void killedMidWrite_data() {
        QTest::addColumn<QString>("mode");
        row("rewrite", "rewrite");
        row("Save Data", "savedata");
        row("Remove Last", "removelast");
    }

    void killedMidWrite() {
        QFETCH(QString, mode);
        Workspace w;
        const QString history = "Voltrake History Log\r\nVersion 3.1\r\nFile Created\r\n"
                                "05-Dec-26 04:40:50\r\n\r\n\r\n\r\nh1\r\nh2\r\nh3\r\n";
        QString records;
        for (int i = 0; i < 20000; ++i)
            records += QStringLiteral("01-Jan-2001, %1,       ,  .150000,        , F     ,  "
                                      ".050000,   13.50,  17.5%,       ,        ,  Qtr\r\n")
                           .arg(1000 + i, 7);
        w.write("Data/Voltrake.ini", installedIni());
        w.write("file.txt", big('a', 2048).toLatin1());
        auto* rng = QRandomGenerator::global();
        for (int round = 0; round < 8; ++round) {
            if (mode == QLatin1String("removelast"))
                w.write("Log/Voltrake_H.log", (history + records).toLatin1());
            runChild(mode, w.dir(), 30 + int(rng->bounded(120)));
            if (mode == QLatin1String("rewrite")) {
                const QByteArray got = w.read("file.txt");
                QVERIFY(got == big('a', 2048).toLatin1() || got == big('b', 2048).toLatin1());
            } else if (mode == QLatin1String("savedata")) {
                const QList<QByteArray> lines = w.read("Data/Voltrake.ini").split('\n');
                QCOMPARE(lines.size(), 26); // 25 lines, each ended by CR LF
                QVERIFY(lines.at(18).startsWith("NRate1=0."));
            } else {
                const QByteArray got = w.read("Log/Voltrake_H.log");
                QVERIFY(got.endsWith("Qtr\r\n"));
                QVERIFY((history + records).toLatin1().startsWith(got));
            }
        }
    }

    void fullDisk() {
        Workspace w;
        w.write("Data/Voltrake.ini", installedIni());
        w.write("file.txt", "old\r\n");
        const QList<QByteArray> out = runChild("full", w.dir(), -1).split('\n');
        QCOMPARE(out.value(0), QByteArray("refused"));
        QCOMPARE(out.value(1), QByteArray("Unable to write to the configuration file.\r"));
        QCOMPARE(w.read("file.txt"), QByteArray("old\r\n"));
        QCOMPARE(w.read("Data/Voltrake.ini"), installedIni());
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--child")
        return child(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    QLocale::setDefault(QLocale("en_GB"));
    TestRobustness t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_robustness.moc"
