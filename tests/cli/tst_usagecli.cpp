// SPDX-License-Identifier: GPL-3.0-or-later
// voltrake-cli usage as a user runs it: a separate process on a working directory.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exit = -1;
    QByteArray out;
    QString err;
};

Run run(const QString& dir, QStringList args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LANG", "LC_NUMERIC", "LC_TIME"})
        env.insert(name, "en_GB.UTF-8");
    env.insert("TZ", "UTC");
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral(VOLTRAKE_CLI), QStringList{"usage"} + args);
    if (!p.waitForFinished(30000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Half-hours of Europe/London from 29 March 2025 00:00 UTC over the spring change: n rows,
// the ones listed left out, every tenth estimated, every third with an export row too.
QByteArray halfHours(int n, const QList<int>& left = {}) {
    QByteArray out = "start,end,kwh,direction,estimated\n";
    const QDateTime base(QDate(2025, 3, 29), QTime(0, 0), Qt::UTC);
    const QTimeZone london("Europe/London");
    for (int i = 0; i < n; ++i) {
        if (left.contains(i))
            continue;
        const QByteArray from =
            base.addSecs(i * 1800).toTimeZone(london).toString(Qt::ISODate).toLatin1();
        const QByteArray to =
            base.addSecs(i * 1800 + 1800).toTimeZone(london).toString(Qt::ISODate).toLatin1();
        const QByteArray kwh = QByteArray::number(0.1 + i % 7 * 0.013);
        out += from + ',' + to + ',' + kwh + ",import," + (i % 10 == 0 ? "1" : "0") + '\n';
        if (i % 3 == 0)
            out += from + ',' + to + ",0.05,export,0\n";
    }
    return out;
}

} // namespace

class TestUsageCli : public QObject {
    Q_OBJECT

  private slots:
    void import_data() {
        QTest::addColumn<QStringList>("files"); // name=content; "-" for a file not there
        QTest::addColumn<QByteArray>("store");  // Data/usage.sqlite beforehand, if any
        QTest::addColumn<int>("exit");
        QTest::addColumn<QStringList>("out");
        QTest::addColumn<QStringList>("err");
        const QString good = "good.csv=" + QString::fromLatin1(halfHours(4));
        const QString bad = "bad.csv=start,end,kwh\n2025-03-29T00:00:00Z,2025-03-29T00:30:00Z,x\n";
        QTest::newRow("all kept") << QStringList{good} << QByteArray() << 0
                                  << QStringList{"good.csv: Voltrake CSV, 6 new, 0 unchanged, "
                                                 "0 replaced, 2025-03-29T00:00:00+00:00 to "
                                                 "2025-03-29T01:30:00+00:00"}
                                  << QStringList();
        QTest::newRow("one refused, the other kept")
            << QStringList{bad, good} << QByteArray() << 2 << QStringList{"good.csv: Voltrake CSV"}
            << QStringList{"bad.csv: Line 2", "nothing of the file was kept"};
        QTest::newRow("one not there") << QStringList{good, "none.csv=-"} << QByteArray() << 1
                                       << QStringList{"good.csv"} << QStringList{"none.csv"};
        QTest::newRow("a store that is not ours")
            << QStringList{good} << QByteArray("not a database") << 1 << QStringList()
            << QStringList{"usage.sqlite is not a Voltrake smart-meter store"};
    }
    void import() {
        QFETCH(QStringList, files);
        QFETCH(QByteArray, store);
        QFETCH(int, exit);
        QFETCH(QStringList, out);
        QFETCH(QStringList, err);
        QTemporaryDir dir;
        QStringList args{"import"};
        for (const QString& f : files) {
            const QString name = f.section('=', 0, 0), content = f.section('=', 1);
            if (content != "-")
                write(dir.filePath(name), content.toLatin1());
            args << name;
        }
        if (!store.isEmpty())
            write(dir.filePath("Data/usage.sqlite"), store);
        const Run r = run(dir.path(), args);
        QCOMPARE(r.exit, exit);
        const QStringList lines = QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), out.size());
        for (qsizetype i = 0; i < out.size(); ++i)
            QVERIFY2(lines[i].startsWith(out[i]), qPrintable(lines[i]));
        for (const QString& e : err)
            QVERIFY2(r.err.contains(e), qPrintable(r.err));
        if (!store.isEmpty())
            QCOMPARE(read(dir.filePath("Data/usage.sqlite")), store);
    }

    void summaryJson() {
        QTemporaryDir dir;
        write(dir.filePath("a.csv"), halfHours(48 + 46, {50, 51}));
        QCOMPARE(run(dir.path(),
                     {"import", "a.csv", "--tz", "Europe/London", "--meter", "1200012345678"})
                     .exit,
                 0);
        const Run r = run(dir.path(), {"summary", "--format", "json", "--from", "2025-03-30"});
        QCOMPARE(r.exit, 0);
        const auto expected = QJsonDocument::fromJson(R"({"meters":[
 {"meter":"1200012345678","direction":"import","zone":"Europe/London",
  "first":"2025-03-30T00:00:00+00:00","last":"2025-03-30T23:30:00+01:00","slot_minutes":30,
  "slots":44,"kwh":6.116000000000002,"missing":2,"estimated":4,"days_missing":1,
  "months":[{"month":"2025-03","kwh":6.116000000000002,"missing":2,"estimated":4}]},
 {"meter":"1200012345678","direction":"export","zone":"Europe/London",
  "first":"2025-03-30T00:00:00+00:00","last":"2025-03-30T23:30:00+01:00","slot_minutes":30,
  "slots":15,"kwh":0.7500000000000001,"missing":31,"estimated":0,"days_missing":1,
  "months":[{"month":"2025-03","kwh":0.7500000000000001,"missing":31,"estimated":0}]}]})");
        QCOMPARE(QJsonDocument::fromJson(r.out), expected);
    }

    // What export writes, imported into an empty store, gives the same slots: the same summary
    // and, exported again, the same bytes.
    void exportRoundTrip() {
        QTemporaryDir one, two;
        write(one.filePath("a.csv"), halfHours(200, {7, 8, 120}));
        QCOMPARE(run(one.path(), {"import", "a.csv", "--tz", "Europe/London", "--meter", "M"}).exit,
                 0);
        const Run exported = run(one.path(), {"export"});
        QCOMPARE(exported.exit, 0);
        QCOMPARE(exported.out.count('\n'), 1 + 197 + 66);
        write(two.filePath("again.csv"), exported.out);
        QCOMPARE(
            run(two.path(), {"import", "again.csv", "--tz", "Europe/London", "--meter", "M"}).exit,
            0);
        QCOMPARE(run(two.path(), {"export"}).out, exported.out);
        QCOMPARE(run(two.path(), {"summary", "--format", "json"}).out,
                 run(one.path(), {"summary", "--format", "json"}).out);
        // Part of it, in local days.
        const Run day = run(one.path(), {"export", "--from", "2025-03-30", "--to", "2025-03-31"});
        QVERIFY(day.out.split('\n')[1].startsWith("2025-03-30T00:00:00+00:00,"));
        QCOMPARE(day.out.count('\n'), 1 + 46 + 16);
    }

    void forget_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("left"); // slots the summary counts afterwards
        QTest::newRow("one local day") << QStringList{"--from", "30/03/2025", "--to", "31/03/2025"}
                                       << 0 << "Removed 46 slots.\n"
                                       << 48 + 48;
        QTest::newRow("all") << QStringList{"--all"} << 0 << "Removed 142 slots.\n" << 0;
        QTest::newRow("neither range nor all") << QStringList{} << 64 << "" << 142;
        QTest::newRow("a range with --all")
            << QStringList{"--all", "--from", "30/03/2025"} << 64 << "" << 142;
    }
    void forget() {
        QFETCH(QStringList, args);
        QFETCH(int, exit);
        QFETCH(QString, out);
        QFETCH(int, left);
        QTemporaryDir dir;
        QByteArray file = "start,end,kwh\n";
        for (const QByteArray& line : halfHours(142).split('\n').mid(1))
            if (line.contains("import"))
                file += line.left(line.indexOf(",import")) + '\n';
        write(dir.filePath("a.csv"), file);
        QCOMPARE(run(dir.path(), {"import", "a.csv", "--tz", "Europe/London"}).exit, 0);
        const Run r = run(dir.path(), QStringList{"forget"} + args);
        QCOMPARE(r.exit, exit);
        QCOMPARE(QString::fromUtf8(r.out), out);
        const auto summary =
            QJsonDocument::fromJson(run(dir.path(), {"summary", "--format", "json"}).out);
        int counted = 0;
        for (const QJsonValue& m : summary["meters"].toArray())
            counted += m["slots"].toInt();
        QCOMPARE(counted, left);
    }
};

QTEST_GUILESS_MAIN(TestUsageCli)
#include "tst_usagecli.moc"
