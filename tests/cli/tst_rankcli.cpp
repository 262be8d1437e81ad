// SPDX-License-Identifier: GPL-3.0-or-later
// voltrake-cli rank and bill --usage as a user runs them, on a store of two January days.
#include <QJsonDocument>
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int exit = -1;
    QByteArray out;
    QString err;
};

Run run(const QStringList& args, const QString& workingDir = {}) {
    QProcess p;
    p.setWorkingDirectory(workingDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"en_GB.UTF-8"_s);
    env.insert(u"TZ"_s, u"UTC"_s); // a plan, which names no zone, takes the tariffs' zone
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VOLTRAKE_CLI), args);
    if (!p.waitForFinished(30000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// 6 and 7 January 2025 (GMT): 96 half-hours of 1 kWh less 12:00 and 12:30 on the 7th, and
// 2 kWh exported 12:00-12:30 on the 6th.
QByteArray twoDays() {
    QByteArray csv = "start,end,kwh,direction\n";
    QDateTime t(QDate(2025, 1, 6), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < 96; ++i, t = t.addSecs(1800)) {
        if (i == 48 + 24 || i == 48 + 25)
            continue;
        csv += t.toString(Qt::ISODate).toUtf8() + ',' +
               t.addSecs(1800).toString(Qt::ISODate).toUtf8() + ",1,import\n";
    }
    return csv + "2025-01-06T12:00:00Z,2025-01-06T12:30:00Z,2,export\n";
}

const QByteArray Flat = R"({"name": "Flat", "zone": "Europe/London", "periods": [
    {"from": "2025-01-01", "standing_p_per_day": 50, "vat_percent": 5, "export_p_per_kwh": 15,
     "bands": [{"name": "All", "p_per_kwh": 20}]}]})";
const QByteArray Night = R"({"name": "Night", "zone": "Europe/London", "clock": "utc", "periods": [
    {"from": "2025-01-01", "standing_p_per_day": 40, "vat_percent": 5,
     "bands": [{"name": "Night", "from": "00:30", "to": "07:30", "p_per_kwh": 10},
               {"name": "Day", "p_per_kwh": 30}]}]})";
const QByteArray Ev = R"({"name": "EV", "zone": "Europe/London", "periods": [
    {"from": "2024-12-01", "standing_p_per_day": 45,
     "bands": [{"name": "EV", "from": "23:30", "to": "05:30", "p_per_kwh": 8},
               {"name": "Day", "p_per_kwh": 25}]}]})";

class Workspace {
  public:
    Workspace() {
        QVERIFY(QDir(dir.path()).mkpath(u"Data"_s));
        for (const auto& [name, bytes] :
             {std::pair{"flat.json", Flat}, {"night.json", Night}, {"ev.json", Ev}})
            write(QString::fromLatin1(name), bytes);
    }
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    void import(const QByteArray& csv, const QStringList& meter = {}) {
        write(u"in.csv"_s, csv);
        const QStringList args{u"usage"_s, u"import"_s, u"in.csv"_s, u"--tz"_s, u"Europe/London"_s};
        QCOMPARE(run(args + meter, dir.path()).exit, 0);
    }
    Run rank(const QStringList& args) {
        return run(QStringList{u"rank"_s, u"--dir"_s, dir.path()} + args, dir.path());
    }
    QTemporaryDir dir;
};

} // namespace

class TestRankCli : public QObject {
    Q_OBJECT
  private slots:
    // Worked by hand, 94 half-hours used, 2 missing, 2 kWh exported:
    // EV (current, VAT 0): 24 x 8 + 70 x 25 + 2 x 45 = 2032p
    // Flat, and the plan that says the same: (94 x 20 + 2 x 50) x 1.05 - 2 x 15 = 2049p
    // Night (utc clock, = local in January): (28 x 10 + 66 x 30 + 2 x 40) x 1.05 = 2457p
    // Refused: a plan with a cheap rate (the reasons of every refusal are the reader's tests').
    void rank() {
        Workspace w;
        w.import(twoDays());
        const QByteArray header =
            "from,unit_p_per_kwh,standing_p_per_day,cheap_p_per_kwh,export_p_per_kwh,vat_percent\n";
        w.write(u"plan.csv"_s, header + "2025-01-01,20,50,,15,5\n");
        w.write(u"cheap.csv"_s, header + "2025-01-01,20,50,10,15,5\n");
        QStringList args{u"--current"_s, u"ev.json"_s};
        for (const char* t : {"flat.json", "night.json", "plan.csv", "cheap.csv"})
            args << u"--tariff"_s << QString::fromLatin1(t);

        const Run table = w.rank(args);
        QCOMPARE(table.exit, 2);
        QCOMPARE(QString::fromLocal8Bit(table.out),
                 u"Range: 06/01/2025 up to 08/01/2025 (2 days, Europe/London)\n"
                 u"Meter: (no id) import, (no id) export\n"
                 u"Slots: 94 used, 2 missing, 0 estimated\n"
                 u"Every total leaves out the 2 missing slots.\n\n"
                 u"#  Tariff        Total  Per day  Difference     %  File\n"
                 u"1  EV (current)  20.32    10.16        0.00   0.0  ev.json\n"
                 u"2  Flat          20.49    10.25        0.17   0.8  flat.json\n"
                 u"3  plan          20.49    10.25        0.17   0.8  plan.csv\n"
                 u"4  Night         24.57    12.29        4.25  20.9  night.json\n"
                 u"-  (unread)                                        cheap.csv: refused: line 2, "
                 u"column cheap_p_per_kwh: a cheap rate names no hours, so it cannot price "
                 u"half-hours; write the tariff as JSON with bands\n"_s);
        QVERIFY2(table.err.contains(u"cheap.csv: line 2, column cheap_p_per_kwh"_s),
                 qPrintable(table.err));

        const Run json = w.rank(args + QStringList{u"--format"_s, u"json"_s});
        QCOMPARE(json.exit, 2);
        const QJsonObject o = QJsonDocument::fromJson(json.out).object();
        QCOMPARE(QJsonDocument(o[u"coverage"_s].toObject()).toJson(QJsonDocument::Compact),
                 R"({"estimated":0,"missing":2,"slots":94})");
        QCOMPARE(
            QJsonDocument(o[u"tariffs"_s].toArray()[1].toObject()).toJson(QJsonDocument::Compact),
            R"({"bands":[{"cost":18.8,"kwh":94,"name":"All"}],"difference":0.17,)"
            R"("difference_percent":0.8,"energy":18.8,"export_credit":0.3,"file":"flat.json",)"
            R"("months":[{"kwh":94,"month":"2025-01","total":20.49}],"name":"Flat",)"
            R"("standing":1,"total":20.49,"vat":0.99})");
        QCOMPARE(o[u"tariffs"_s].toArray().size(), 4);
        QCOMPARE(o[u"refused"_s].toArray()[0].toObject()[u"file"_s].toString(), u"cheap.csv"_s);

        const Run csv = w.rank(args + QStringList{u"--format"_s, u"csv"_s});
        QCOMPARE(
            csv.out.split('\n').mid(0, 3),
            (QList<QByteArray>{"rank,name,file,total,energy,standing,vat,export_credit,"
                               "cost_per_day,difference,difference_percent,reason",
                               "1,EV,ev.json,20.32,19.42,0.90,0.00,0.00,10.1600,0.00,0.0,",
                               "2,Flat,flat.json,20.49,18.80,1.00,0.99,0.30,10.2450,0.17,0.8,"}));
    }

    // One tariff over a range inside the data: the 7th only, its two missing slots counted.
    // (46 x 20 + 50) x 1.05 = 1018.5
    void billUsage() {
        Workspace w;
        w.import(twoDays());
        const Run r = run({u"bill"_s, u"--usage"_s, u"--tariff"_s, u"flat.json"_s, u"--from"_s,
                           u"07/01/2025"_s, u"--to"_s, u"08/01/2025"_s, u"--format"_s, u"json"_s,
                           u"--dir"_s, w.dir.path()},
                          w.dir.path());
        QCOMPARE(r.exit, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o[u"total"_s].toDouble(), 10.19);
        QCOMPARE(o[u"coverage"_s].toObject()[u"missing"_s].toInt(), 2);
        QCOMPARE(QJsonDocument(o[u"pieces"_s].toArray()).toJson(QJsonDocument::Compact),
                 R"([{"cost":10.19,"days":1,"energy":9.2,"export_credit":0,"from":"2025-01-07",)"
                 R"("standing":0.5,"to":"2025-01-08","vat":0.49}])");
    }

    // Store: 0 the two days and a tariff of another zone, 1 a second import meter as well, 2 none.
    // Each exits 2. (A file that is no store is refused as for usage import.)
    void refused_data() {
        QTest::addColumn<int>("store");
        QTest::addColumn<QString>("message");
        QTest::newRow("zone of another tariff")
            << 0
            << "paris.json: its zone is Europe/Paris, the current tariff's Europe/London; every "
               "tariff of a ranking prices the same local days";
        QTest::newRow("several import meters, none named")
            << 1 << "several meters have import slots ((no id), M2): name one";
        QTest::newRow("no store") << 2 << "the store has no import slots";
    }
    void refused() {
        QFETCH(int, store);
        QFETCH(QString, message);
        Workspace w;
        if (store < 2)
            w.import(twoDays());
        if (store == 1)
            w.import("start,end,kwh\n2025-01-06T00:00:00Z,2025-01-06T00:30:00Z,1\n",
                     {u"--meter"_s, u"M2"_s});
        w.write(u"paris.json"_s, QByteArray(Flat).replace("Europe/London", "Europe/Paris"));
        QStringList args{u"--tariff"_s, u"flat.json"_s};
        if (store == 0)
            args << u"--tariff"_s << u"paris.json"_s;
        const Run r = w.rank(args);
        QCOMPARE(r.exit, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestRankCli)
#include "tst_rankcli.moc"
