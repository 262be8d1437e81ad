// SPDX-License-Identifier: GPL-3.0-or-later
// voltrake-cli rank and bill --usage as a user runs them, on a store of two January days.
#include "records/usagestore.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
    env.insert(u"TZ"_s, u"Europe/London"_s);
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
const QByteArray Broken = R"({"name": "Broken", "periods": [{"from": "2025-01-01",
    "standing_p_per_day": 1, "bands": [{"from": "25:00", "to": "07:00", "p_per_kwh": 1}]}]})";

class Workspace {
  public:
    Workspace() {
        QVERIFY(QDir(dir.path()).mkpath(u"Data"_s));
        for (const auto& [name, bytes] : {std::pair{"flat.json", Flat},
                                          {"night.json", Night},
                                          {"ev.json", Ev},
                                          {"broken.json", Broken}})
            write(QString::fromLatin1(name), bytes);
    }
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    void import(const QByteArray& csv, const QString& meter = {}) {
        auto opened = records::usage::Store::open(path(u"Data/usage.sqlite"_s), true);
        QVERIFY(std::holds_alternative<std::unique_ptr<records::usage::Store>>(opened));
        QBuffer in;
        in.setData(csv);
        QVERIFY(in.open(QIODevice::ReadOnly));
        records::usage::ReadOptions options;
        options.zone = QTimeZone("Europe/London");
        options.meter = meter;
        const auto outcome = std::get<0>(opened)->importFile(in, u"test.csv"_s, options);
        QVERIFY(!outcome.refused && outcome.failure.isEmpty());
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    Run rank(const QStringList& args) {
        return run(QStringList{u"rank"_s, u"--dir"_s, dir.path()} + args, dir.path());
    }
    QTemporaryDir dir;
};

QJsonObject json(const QByteArray& bytes) {
    QJsonParseError e;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &e);
    if (e.error != QJsonParseError::NoError)
        qWarning("%s", bytes.constData());
    return doc.object();
}

} // namespace

class TestRankCli : public QObject {
    Q_OBJECT
  private slots:
    // Worked by hand, 94 half-hours used, 2 missing, 2 kWh exported:
    // EV (current, VAT 0): 24 x 8 + 70 x 25 + 2 x 45 = 2032p
    // Flat: (94 x 20 + 2 x 50) x 1.05 - 2 x 15 = 2079 - 30 = 2049p
    // Night (utc clock, = local in January): (28 x 10 + 66 x 30 + 2 x 40) x 1.05 = 2457p
    void rankJson() {
        Workspace w;
        w.import(twoDays());
        const Run r = w.rank({u"--tariff"_s, u"flat.json"_s, u"--tariff"_s, u"night.json"_s,
                              u"--tariff"_s, w.path(u"broken.json"_s), u"--current"_s,
                              w.path(u"ev.json"_s), u"--format"_s, u"json"_s});
        QCOMPARE(r.exit, 2);
        QVERIFY2(r.err.contains(u"broken.json: periods[0].bands[0].from: 25:00 is not a time of "
                                u"day (HH:MM)"_s),
                 qPrintable(r.err));
        const QJsonObject o = json(r.out);
        QCOMPARE(o[u"from"_s].toString(), u"2025-01-06"_s);
        QCOMPARE(o[u"to"_s].toString(), u"2025-01-08"_s);
        QCOMPARE(o[u"coverage"_s].toObject(),
                 (QJsonObject{{u"slots"_s, 94}, {u"missing"_s, 2}, {u"estimated"_s, 0}}));
        QStringList order;
        for (const QJsonValue& t : o[u"tariffs"_s].toArray()) {
            const QJsonObject x = t.toObject();
            order << x[u"name"_s].toString() + ' ' + QString::number(x[u"total"_s].toDouble()) +
                         ' ' + QString::number(x[u"difference"_s].toDouble()) + ' ' +
                         QString::number(x[u"difference_percent"_s].toDouble());
        }
        QCOMPARE(order, (QStringList{u"EV 20.32 0 0"_s, u"Flat 20.49 0.17 0.8"_s,
                                     u"Night 24.57 4.25 20.9"_s}));
        const QJsonObject flat = o[u"tariffs"_s].toArray()[1].toObject();
        QCOMPARE(flat, (QJsonObject{{u"name"_s, u"Flat"_s},
                                    {u"file"_s, u"flat.json"_s},
                                    {u"total"_s, 20.49},
                                    {u"energy"_s, 18.8},
                                    {u"standing"_s, 1.0},
                                    {u"vat"_s, 0.99},
                                    {u"export_credit"_s, 0.3},
                                    {u"difference"_s, 0.17},
                                    {u"difference_percent"_s, 0.8},
                                    {u"bands"_s, QJsonArray{QJsonObject{{u"name"_s, u"All"_s},
                                                                        {u"kwh"_s, 94},
                                                                        {u"cost"_s, 18.8}}}},
                                    {u"months"_s, QJsonArray{QJsonObject{{u"month"_s, u"2025-01"_s},
                                                                         {u"kwh"_s, 94},
                                                                         {u"total"_s, 20.49}}}}}));
        const QJsonArray refused = o[u"refused"_s].toArray();
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused[0].toObject()[u"reason"_s].toString(),
                 u"periods[0].bands[0].from: 25:00 is not a time of day (HH:MM)"_s);
    }

    void rankTableAndCsv() {
        Workspace w;
        w.import(twoDays());
        const QStringList tariffs{u"--tariff"_s, w.path(u"night.json"_s),
                                  u"--tariff"_s, w.path(u"flat.json"_s),
                                  u"--tariff"_s, w.path(u"broken.json"_s)};
        const Run table = w.rank(tariffs);
        QCOMPARE(table.exit, 2);
        const QString text = QString::fromLocal8Bit(table.out);
        QVERIFY2(text.startsWith(u"Range: 06/01/2025 up to 08/01/2025 (2 days, Europe/London)\n"
                                 u"Meter: (no id) import, (no id) export\n"
                                 u"Slots: 94 used, 2 missing, 0 estimated\n"
                                 u"Every total leaves out the 2 missing slots.\n"_s),
                 qPrintable(text));
        QVERIFY2(text.contains(u"\n#  Tariff           Total  Per day  Difference      %  File\n"
                               u"1  Flat             20.49    10.25       -4.08  -16.6  "_s),
                 qPrintable(text));
        QVERIFY2(text.contains(u"\n2  Night (current)  24.57    12.29        0.00    0.0  "_s),
                 qPrintable(text));
        QVERIFY2(text.contains(u"-  (unread)"_s) &&
                     text.contains(u"broken.json: refused: periods[0]"_s),
                 qPrintable(text));
        const Run csv = w.rank(tariffs + QStringList{u"--format"_s, u"csv"_s});
        QCOMPARE(csv.exit, 2);
        const QList<QByteArray> lines = csv.out.split('\n');
        QCOMPARE(lines.value(0), "rank,name,file,total,energy,standing,vat,export_credit,"
                                 "cost_per_day,difference,difference_percent,reason");
        QCOMPARE(lines.value(1), "1,Flat," + w.path(u"flat.json"_s).toUtf8() +
                                     ",20.49,18.80,1.00,0.99,0.30,10.2450,-4.08,-16.6,");
    }

    // One tariff over a range inside the data: the 7th only, its two missing slots named.
    void billUsage() {
        Workspace w;
        w.import(twoDays());
        const Run r = run({u"bill"_s, u"--usage"_s, u"--tariff"_s, w.path(u"flat.json"_s),
                           u"--from"_s, u"07/01/2025"_s, u"--to"_s, u"08/01/2025"_s, u"--format"_s,
                           u"json"_s, u"--dir"_s, w.dir.path()});
        QCOMPARE(r.exit, 0);
        const QJsonObject o = json(r.out);
        // (46 x 20 + 50) x 1.05 = 1018.5
        QCOMPARE(o[u"total"_s].toDouble(), 10.19);
        QCOMPARE(o[u"coverage"_s].toObject()[u"missing"_s].toInt(), 2);
        QCOMPARE(o[u"pieces"_s].toArray(), (QJsonArray{QJsonObject{{u"from"_s, u"2025-01-07"_s},
                                                                   {u"to"_s, u"2025-01-08"_s},
                                                                   {u"days"_s, 1},
                                                                   {u"energy"_s, 9.2},
                                                                   {u"standing"_s, 0.5},
                                                                   {u"vat"_s, 0.49},
                                                                   {u"export_credit"_s, 0},
                                                                   {u"cost"_s, 10.19}}}));
        QVERIFY(!o.contains(u"difference"_s));
    }

    void refused_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("twoMeters");
        QTest::addColumn<QString>("message");
        QTest::newRow("zone of another tariff")
            << QStringList{u"--tariff"_s, u"flat.json"_s, u"--tariff"_s, u"paris.json"_s} << false
            << "paris.json: its zone is Europe/Paris, the current tariff's Europe/London; every "
               "tariff of a ranking prices the same local days";
        QTest::newRow("a meter without slots")
            << QStringList{u"--tariff"_s, u"flat.json"_s, u"--meter"_s, u"X"_s} << true
            << "meter X has no import slots; meters with import slots: (no id), M2";
        QTest::newRow("several import meters, none named")
            << QStringList{u"--tariff"_s, u"flat.json"_s} << true
            << "several meters have import slots ((no id), M2): name one";
        QTest::newRow("range before the tariff")
            << QStringList{u"--tariff"_s,   u"flat.json"_s, u"--from"_s,
                           u"30/12/2024"_s, u"--to"_s,      u"31/12/2024"_s}
            << false
            << "flat.json: the range starts on 2024-12-30, before the tariff's first period "
               "(2025-01-01)";
        QTest::newRow("a tariff that cannot be read")
            << QStringList{u"--tariff"_s, u"none.json"_s} << false << "none.json: no such file";
    }
    void refused() {
        QFETCH(QStringList, args);
        QFETCH(bool, twoMeters);
        QFETCH(QString, message);
        Workspace w;
        w.import(twoDays());
        if (twoMeters)
            w.import("start,end,kwh\n2025-01-06T00:00:00Z,2025-01-06T00:30:00Z,1\n", u"M2"_s);
        w.write(u"paris.json"_s, QByteArray(Flat).replace("Europe/London", "Europe/Paris"));
        const Run r = w.rank(args);
        QCOMPARE(r.exit, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }

    void store() {
        Workspace w;
        w.write(u"Data/usage.sqlite"_s, "not a database at all, but long enough to have a header "
                                        "of a hundred bytes like every SQLite file has....");
        const Run r = w.rank({u"--tariff"_s, w.path(u"flat.json"_s)});
        QCOMPARE(r.exit, 1);
        QVERIFY2(r.err.contains(w.path(u"Data/usage.sqlite"_s)), qPrintable(r.err));
        QFile::remove(w.path(u"Data/usage.sqlite"_s));
        const Run empty = w.rank({u"--tariff"_s, w.path(u"flat.json"_s)});
        QCOMPARE(empty.exit, 2);
        QVERIFY2(empty.err.contains(u"no import slots"_s), qPrintable(empty.err));
    }
};

QTEST_GUILESS_MAIN(TestRankCli)
#include "tst_rankcli.moc"
