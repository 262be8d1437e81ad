// SPDX-License-Identifier: GPL-3.0-or-later
// voltrake-cli usage as a user runs it: a separate process on a working directory.
#include <QtTest>

namespace {

struct Run {
    int exit = -1;
    QByteArray out;
    QString err;
};

// voltrake-cli usage ARGS in dir, in en_GB with the system's zone UTC.
Run run(const QTemporaryDir& dir, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "en_GB.UTF-8");
    env.insert("TZ", "UTC");
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(VOLTRAKE_CLI), QStringList{"usage"} + args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), p.readAllStandardOutput(),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

void write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QDir(dir.path()).mkpath(QFileInfo(name).path());
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
}

// Half-hours from 29 March 2025 00:00 UTC (London), every tenth estimated, every third exported.
QByteArray halfHours(int n, const QList<int>& left = {}) {
    QByteArray out = "start,end,kwh,direction,estimated\n";
    const QDateTime base(QDate(2025, 3, 29), QTime(0, 0), Qt::UTC);
    const auto at = [&](int i) {
        return base.addSecs(i * 1800)
            .toTimeZone(QTimeZone("Europe/London"))
            .toString(Qt::ISODate)
            .toLatin1();
    };
    for (int i = 0; i < n; ++i) {
        if (left.contains(i))
            continue;
        const QByteArray slot = at(i) + ',' + at(i + 1) + ',';
        out +=
            slot + QByteArray::number(0.1 + i % 7 * 0.013) + ",import," + (i % 10 ? "0\n" : "1\n");
        if (i % 3 == 0)
            out += slot + "0.05,export,0\n";
    }
    return out;
}

} // namespace

class TestUsageCli : public QObject {
    Q_OBJECT

  private slots:
    // A refused file is named and the others kept (2); a store not ours is left as it was (1).
    void import() {
        QTemporaryDir dir;
        write(dir, "bad.csv", "start,end,kwh\n2025-03-29T00:00:00Z,x,1\n");
        write(dir, "good.csv", halfHours(4));
        Run r = run(dir, {"import", "bad.csv", "good.csv"});
        QCOMPARE(r.exit, 2);
        QCOMPARE(r.out, "good.csv: Voltrake CSV, 6 new, 0 unchanged, 0 replaced, "
                        "2025-03-29T00:00:00+00:00 to 2025-03-29T01:30:00+00:00\n");
        QVERIFY2(r.err.contains("bad.csv: Line 2, column end"), qPrintable(r.err));
        write(dir, "Data/usage.sqlite", "not a database");
        r = run(dir, {"import", "good.csv"});
        QCOMPARE(r.exit, 1);
        QVERIFY2(r.out.isEmpty() &&
                     r.err.contains("usage.sqlite is not a Voltrake smart-meter store"),
                 qPrintable(r.err));
        QFile kept(dir.filePath("Data/usage.sqlite"));
        QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == "not a database");
    }

    void summaryJson() {
        QTemporaryDir dir;
        write(dir, "a.csv", halfHours(48 + 46, {50, 51}));
        QCOMPARE(
            run(dir, {"import", "a.csv", "--tz", "Europe/London", "--meter", "1200012345678"}).exit,
            0);
        const Run r = run(dir, {"summary", "--format", "json", "--from", "30/03/2025"});
        QCOMPARE(r.exit, 0);
        // The export meter's object has the same shape; its counts are the summary's tests'.
        const QJsonArray meters = QJsonDocument::fromJson(r.out)["meters"].toArray();
        QCOMPARE(meters.size(), 2);
        QCOMPARE(QJsonDocument(meters[0].toObject()), QJsonDocument::fromJson(R"(
 {"meter":"1200012345678","direction":"import","zone":"Europe/London",
  "first":"2025-03-30T00:00:00+00:00","last":"2025-03-30T23:30:00+01:00","slot_minutes":30,
  "slots":44,"kwh":6.116000000000002,"missing":2,"estimated":4,"days_missing":1,
  "months":[{"month":"2025-03","kwh":6.116000000000002,"missing":2,"estimated":4}]})"));
    }

    // What export writes, imported into an empty store, gives the same slots: the same summary
    // and, exported again, the same bytes. Then forget, by local days or all.
    void exportRoundTripAndForget() {
        QTemporaryDir one, two;
        write(one, "a.csv", halfHours(200, {7, 8, 120}));
        QCOMPARE(run(one, {"import", "a.csv", "--tz", "Europe/London", "--meter", "M"}).exit, 0);
        const QByteArray exported = run(one, {"export"}).out;
        QCOMPARE(exported.count('\n'), 1 + 197 + 66);
        write(two, "again.csv", exported);
        QCOMPARE(run(two, {"import", "again.csv", "--tz", "Europe/London", "--meter", "M"}).exit,
                 0);
        QCOMPARE(run(two, {"export"}).out, exported);
        QCOMPARE(run(two, {"summary", "--format", "csv"}).out,
                 run(one, {"summary", "--format", "csv"}).out);
        const QByteArray day =
            run(one, {"export", "--from", "30/03/2025", "--to", "31/03/2025"}).out;
        QVERIFY(day.startsWith("start,end,kwh,direction,estimated\n2025-03-30T00:00:00+00:00,"));
        QCOMPARE(day.count('\n'), 1 + 46 + 16);

        QCOMPARE(run(one, {"forget", "--from", "30/03/2025"}).exit, 64); // a range needs both ends
        QCOMPARE(run(one, {"forget", "--from", "30/03/2025", "--to", "31/03/2025"}).out,
                 "Removed 62 slots.\n"); // one local day: 46 import and 16 export slots
        QVERIFY(run(one, {"summary", "--format", "csv"}).out.split('\n')[1].contains(",151,"));
        QCOMPARE(run(one, {"forget", "--all"}).out, "Removed 201 slots.\n");
        QCOMPARE(run(one, {"summary", "--format", "csv"}).out.count('\n'), 1);
    }
};

QTEST_GUILESS_MAIN(TestUsageCli)
#include "tst_usagecli.moc"
