// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/tariffread.h"

#include <QtTest>

using namespace records::tariff;
using namespace Qt::StringLiterals;

namespace {

// A one-period tariff whose period and band keys can be added to.
QByteArray oneBand(const QByteArray& band = R"("p_per_kwh": 20)",
                   const QByteArray& period = R"("standing_p_per_day": 50)",
                   const QByteArray& top = R"("zone": "Europe/London")") {
    return "{" + top + R"(, "periods": [{"from": "2025-01-01", )" + period + R"(, "bands": [{)" +
           band + "}]}]}";
}

// "name zone clock holidays | from standing vat export | band from-to days price ..."
QString described(const domain::TouTariff& t) {
    QStringList out{t.name + ' ' + t.zone.id() + ' ' + (t.utcClock ? "utc" : "local") + ' ' +
                    QString::number(t.holidays.size())};
    for (const domain::TouPeriod& p : t.periods) {
        QStringList bands;
        for (const domain::Band& b : p.bands)
            bands << b.name + ' ' +
                         (b.from ? b.from->toString(u"HH:mm") + '-' + b.to->toString(u"HH:mm")
                                 : u"all"_s) +
                         ' ' + QString::number(b.weekdays, 16) + (b.holidays ? "h" : "") + ' ' +
                         (b.price ? QString::number(*b.price)
                                  : "series " + QString::number(b.series));
        out << p.from.toString(Qt::ISODate) + ' ' + QString::number(p.standing) + ' ' +
                   QString::number(p.vat) + ' ' +
                   (p.exportPrice ? QString::number(*p.exportPrice)
                                  : "series " + QString::number(p.exportSeries)) +
                   " | " + bands.join(u" / "_s);
    }
    return out.join(u" || "_s);
}

class Files {
  public:
    Files() { QVERIFY(dir.isValid()); }
    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
        return f.fileName();
    }
    // The message without the directory in front of the file name.
    QString read(const QString& name) {
        const TariffFile r = readTariffFile(dir.filePath(name));
        return r.tariff ? described(*r.tariff) : r.message().mid(dir.path().size() + 1);
    }
    QTemporaryDir dir;
};

const QByteArray SeriesCsv = "start,end,p_per_kwh\n"
                             "2025-08-17T02:30:00Z,2025-08-17T03:00:00Z,-1.5\n"
                             "2025-08-17T03:00:00+01:00,2025-08-17T02:30:00+0000,15.75\n";
const QByteArray SeriesJson =
    R"({"count":2,"results":[{"value_exc_vat":15.75,"value_inc_vat":16.5375,)"
    R"("valid_from":"2025-08-17T02:00:00Z","valid_to":"2025-08-17T02:30:00Z"},)"
    R"({"value_exc_vat":12,"value_inc_vat":12.6,"valid_from":"2025-08-17T02:30:00Z","valid_to":null}]})";

} // namespace

class TestTariffRead : public QObject {
    Q_OBJECT
  private slots:
    void accepted_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        QTest::newRow("night saver")
            << QByteArray(R"({"name": "Night Saver 2025", "zone": "Europe/London", "clock": "utc",
  "holidays": ["2025-12-25", "2025-12-26"],
  "periods": [
    {"from": "2025-01-01", "standing_p_per_day": 60.97, "vat_percent": 5, "export_p_per_kwh": 15.0,
     "bands": [{"name": "Night", "from": "00:30", "to": "07:30", "p_per_kwh": 13.55},
               {"name": "Day", "p_per_kwh": 30.15}]},
    {"from": "2025-04-01", "standing_p_per_day": 53.80, "vat_percent": 5,
     "bands": [{"name": "Weekend", "days": ["sat", "SUN", "holiday"], "p_per_kwh": 14.82},
               {"from": "16:00", "to": "24:00", "p_per_kwh": 40}, {"p_per_kwh": 32.96}]}]})")
            << "Night Saver 2025 Europe/London utc 2 || 2025-01-01 60.97 5 15 | Night 00:30-07:30 "
               "0 13.55 / Day all 0 30.15 || 2025-04-01 53.8 5 series -1 | Weekend all 60h 14.82 / "
               "Band 2 16:00-00:00 0 40 / Band 3 all 0 32.96";
        QTest::newRow("defaults: name from the file, local clock")
            << oneBand()
            << "tariff Europe/London local 0 || 2025-01-01 50 0 series -1 | Band 1 all 0 20";
    }
    void accepted() {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        Files files;
        files.write(u"tariff.json"_s, json);
        QCOMPARE(files.read(u"tariff.json"_s), expected);
    }

    // Every fault names the file, where it is and what is wrong.
    void refused_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("message");
        QTest::newRow("not JSON")
            << QByteArray("{\"name\": 1,}")
            << "t.json: not JSON (object is missing after a comma at byte 12)";
        QTest::newRow("bad time") << oneBand(R"("from": "25:00", "to": "07:00", "p_per_kwh": 1)")
                                  << "t.json: periods[0].bands[0].from: 25:00 is not a time of "
                                     "day (HH:MM)";
        QTest::newRow("time not HH:MM")
            << oneBand(R"("from": "7:00", "to": "08:00", "p_per_kwh": 1)")
            << "t.json: periods[0].bands[0].from: 7:00 is not a time "
               "of day (HH:MM)";
        QTest::newRow("from without to") << oneBand(R"("from": "07:00", "p_per_kwh": 1)")
                                         << "t.json: periods[0].bands[0].to: missing; a band gives "
                                            "both from and to, or neither for the whole day";
        QTest::newRow("negative price") << oneBand(R"("p_per_kwh": -3)")
                                        << "t.json: periods[0].bands[0].p_per_kwh: -3 is below 0";
        QTest::newRow("price as text")
            << oneBand(R"("p_per_kwh": "13.5")")
            << "t.json: periods[0].bands[0].p_per_kwh: \"13.5\" is not a "
               "number";
        QTest::newRow("no price") << oneBand(R"("name": "Day")")
                                  << "t.json: periods[0].bands[0]: has no price: give p_per_kwh or "
                                     "prices";
        QTest::newRow("unknown day") << oneBand(R"("days": ["mon", "funday"], "p_per_kwh": 1)")
                                     << "t.json: periods[0].bands[0].days[1]: \"funday\" is not a "
                                        "day (mon, tue, wed, thu, fri, sat, sun, holiday)";
        QTest::newRow("unknown key") << oneBand(R"("p_per_kwh": 1, "price": 2)")
                                     << "t.json: periods[0].bands[0].price: not a key of a band "
                                        "(name, from, to, days, p_per_kwh, prices)";
        QTest::newRow("missing standing charge")
            << oneBand(R"("p_per_kwh": 1)", R"("vat_percent": 5)")
            << "t.json: periods[0].standing_p_per_day: missing";
        QTest::newRow("VAT above 100")
            << oneBand(R"("p_per_kwh": 1)", R"("standing_p_per_day": 1, "vat_percent": 120)")
            << "t.json: periods[0].vat_percent: 120 is above 100";
        QTest::newRow("unknown zone") << oneBand(R"("p_per_kwh": 1)", R"("standing_p_per_day": 1)",
                                                 R"("zone": "Europe/Atlantis")")
                                      << "t.json: zone: \"Europe/Atlantis\" is not a time zone (an "
                                         "IANA name such as Europe/London)";
        QTest::newRow("unknown clock")
            << oneBand(R"("p_per_kwh": 1)", R"("standing_p_per_day": 1)", R"("clock": "gmt")")
            << "t.json: clock: \"gmt\" is neither \"local\" nor \"utc\"";
        QTest::newRow("bad holiday") << oneBand(R"("p_per_kwh": 1)", R"("standing_p_per_day": 1)",
                                                R"("holidays": ["2025-02-30"])")
                                     << "t.json: holidays[0]: \"2025-02-30\" is not a date of the "
                                        "form yyyy-mm-dd";
        QTest::newRow("periods out of order")
            << QByteArray(R"({"periods": [{"from": "2025-04-01", "standing_p_per_day": 1,
                "bands": [{"p_per_kwh": 1}]}, {"from": "2025-01-01", "standing_p_per_day": 1,
                "bands": [{"p_per_kwh": 1}]}]})")
            << "t.json: periods[1].from: 2025-01-01 comes before 2025-04-01 of periods[0]; "
               "periods must be in date order";
        QTest::newRow("two periods on one date")
            << QByteArray(R"({"periods": [{"from": "2025-04-01", "standing_p_per_day": 1,
                "bands": [{"p_per_kwh": 1}]}, {"from": "2025-04-01", "standing_p_per_day": 1,
                "bands": [{"p_per_kwh": 1}]}]})")
            << "t.json: periods[1].from: 2025-04-01 is the date of periods[0] too";
        QTest::newRow("last band leaves hours")
            << oneBand(R"("name": "Night", "from": "00:30", "to": "07:30", "p_per_kwh": 1}, )"
                       R"({"name": "Evening", "from": "16:00", "to": "00:00", "p_per_kwh": 2)")
            << "t.json: periods[0].bands: no band covers 00:00 on Mondays; the last band must "
               "cover every moment the others leave";
        QTest::newRow("weekend band last")
            << oneBand(R"("name": "Night", "from": "00:30", "to": "07:30", "p_per_kwh": 1}, )"
                       R"({"name": "Weekend", "days": ["sat", "sun"], "p_per_kwh": 2)")
            << "t.json: periods[0].bands: no band covers 00:00 on Mondays; the last band must "
               "cover every moment the others leave";
        QTest::newRow("missing prices file") << oneBand(R"("prices": "agile.csv")")
                                             << "t.json: periods[0].bands[0].prices: agile.csv: no "
                                                "such file";
        QTest::newRow("both export kinds")
            << oneBand(R"("p_per_kwh": 1)",
                       R"("standing_p_per_day": 1, "export_p_per_kwh": 5, "export_prices": "x")")
            << "t.json: periods[0].export_prices: given with export_p_per_kwh; a period has one "
               "or the other";
    }
    void refused() {
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        Files files;
        files.write(u"t.json"_s, json);
        QCOMPARE(files.read(u"t.json"_s), message);
    }

    // Series beside the tariff: CSV (any order, offsets in three forms, negative prices as
    // published) and the unit-rates JSON (open-ended last price); one file named twice is
    // read once.
    void series() {
        Files files;
        files.write(u"agile.csv"_s, SeriesCsv);
        files.write(u"rates.json"_s, SeriesJson);
        files.write(u"t.json"_s,
                    oneBand(R"("prices": "agile.csv")",
                            R"("standing_p_per_day": 1, "export_prices": "rates.json")"));
        const TariffFile r = readTariffFile(files.dir.filePath(u"t.json"_s));
        QVERIFY2(r.tariff, qPrintable(r.reason));
        const domain::TouTariff& t = *r.tariff;
        QCOMPARE(t.series.size(), 2);
        const qint64 at0200 =
            QDateTime(QDate(2025, 8, 17), QTime(2, 0), Qt::UTC).toSecsSinceEpoch();
        const auto& csv = t.series[t.periods[0].bands[0].series];
        QCOMPARE(csv.file, u"agile.csv"_s);
        QCOMPARE(csv.prices.size(), 2);
        QCOMPARE(csv.prices[0].start, at0200);
        QCOMPARE(csv.prices[0].end, at0200 + 1800);
        QCOMPARE(csv.prices[0].price, 15.75);
        QCOMPARE(csv.prices[1].price, -1.5);
        const auto& json = t.series[t.periods[0].exportSeries];
        QCOMPARE(json.prices.size(), 2);
        QCOMPARE(json.prices[1].start, at0200 + 1800);
        QVERIFY(!json.prices[1].end);
    }

    void seriesRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("no offset") << QByteArray("start,end,p_per_kwh\n2025-08-17T02:00:00,"
                                                 "2025-08-17T02:30:00Z,1\n")
                                   << "line 2, column start: \"2025-08-17T02:00:00\" is not a date "
                                      "and time with offset";
        QTest::newRow("price not a number")
            << QByteArray("start,end,p_per_kwh\n2025-08-17T02:00:00Z,2025-08-17T02:30:00Z,1p\n")
            << "line 2, column p_per_kwh: \"1p\" is not a number";
        QTest::newRow("extra cell")
            << QByteArray("start,end,p_per_kwh\n2025-08-17T02:00:00Z,2025-08-17T02:30:00Z,1,5\n")
            << "line 2: 4 cells, the header has 3";
        QTest::newRow("end before start")
            << QByteArray("start,end,p_per_kwh\n2025-08-17T02:00:00Z,2025-08-17T01:30:00Z,1\n")
            << "line 2, column end: not after start";
        QTest::newRow("overlap") << QByteArray("start,end,p_per_kwh\n"
                                               "2025-08-17T02:00:00Z,2025-08-17T03:00:00Z,1\n"
                                               "2025-08-17T02:30:00Z,2025-08-17T03:30:00Z,2\n")
                                 << "line 3: overlaps line 2";
        QTest::newRow("wrong header") << QByteArray("from,to,price\n")
                                      << "line 1: \"from\" is not "
                                         "a column of a price "
                                         "series (start, end, "
                                         "p_per_kwh)";
        QTest::newRow("JSON without value")
            << QByteArray(R"({"results":[{"valid_from":"2025-08-17T02:00:00Z","valid_to":null}]})")
            << "results[0].value_exc_vat: missing";
        QTest::newRow("JSON open-ended overlap")
            << QByteArray(
                   R"({"results":[{"value_exc_vat":1,"valid_from":"2025-08-17T02:00:00Z","valid_to":null},)"
                   R"({"value_exc_vat":2,"valid_from":"2025-08-18T02:00:00Z","valid_to":null}]})")
            << "results[1]: overlaps results[0]";
    }
    void seriesRefused() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        Files files;
        files.write(u"s.csv"_s, bytes);
        files.write(u"t.json"_s, oneBand(R"("prices": "s.csv")"));
        QCOMPARE(files.read(u"t.json"_s), "t.json: periods[0].bands[0].prices: s.csv: " + message);
    }

    void plan_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("expected");
        const QByteArray header =
            "from,unit_p_per_kwh,standing_p_per_day,cheap_p_per_kwh,export_p_per_kwh,vat_percent\n";
        const QString zone = QTimeZone::systemTimeZone().id();
        QTest::newRow("plan") << header + "2025-01-01,24.5,60,,15,5\n\n2025-04-01,25,50,,,5\n"
                              << "plan " + zone +
                                     " local 0 || 2025-01-01 60 5 15 | All day all 0 "
                                     "24.5 || 2025-04-01 50 5 series -1 | All day all 0 25";
        QTest::newRow("cheap rate")
            << header + "2025-01-01,24.5,60,,15,5\n\n2025-04-01,25,50,9,,5\n"
            << "plan.csv: line 4, column cheap_p_per_kwh: a cheap rate names no hours, so it "
               "cannot price half-hours; write the tariff as JSON with bands";
        QTest::newRow("bad plan")
            << header + "2025-01-01,x,60,,,5\n"
            << "plan.csv: Line 2, column unit_p_per_kwh: \"x\" is not a number";
    }
    void plan() {
        QFETCH(QByteArray, csv);
        QFETCH(QString, expected);
        Files files;
        files.write(u"plan.csv"_s, csv);
        QCOMPARE(files.read(u"plan.csv"_s), expected);
    }

    // Only regular files of bounded size are read.
    void files() {
        Files files;
        QVERIFY(QDir(files.dir.path()).mkdir(u"folder.json"_s));
        QCOMPARE(files.read(u"folder.json"_s), u"folder.json: not a regular file"_s);
        QCOMPARE(files.read(u"none.json"_s), u"none.json: no such file"_s);
        QFile big(files.dir.filePath(u"big.json"_s));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(MaxTariffBytes + 1));
        big.close();
        QCOMPARE(files.read(u"big.json"_s),
                 u"big.json: larger than 4 MiB, too large for its kind"_s);
        files.write(u"s.json"_s, "{}");
        files.write(u"t.json"_s, oneBand(R"("prices": "folder.json")"));
        QCOMPARE(files.read(u"t.json"_s),
                 u"t.json: periods[0].bands[0].prices: folder.json: not a regular file"_s);
    }

    // The shipped examples read, each named as an example.
    void shipped() {
        const QDir dir(QStringLiteral(VOLTRAKE_SOURCE_DIR "/dist/Data/tariffs"));
        const QStringList names = dir.entryList({u"*.json"_s}, QDir::Files);
        QCOMPARE(names.size(), 5);
        for (const QString& name : names) {
            const TariffFile f = readTariffFile(dir.filePath(name));
            QVERIFY2(f.tariff, qPrintable(f.message()));
            QVERIFY2(f.tariff->name.startsWith(u"Example: "_s), qPrintable(name));
        }
    }

    void isoInstants_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("seconds"); // -1: refused
        QTest::newRow("Z") << "2025-03-30T01:00:00Z" << qint64(1743296400);
        QTest::newRow("+01:00") << "2025-03-30T02:00:00+01:00" << qint64(1743296400);
        QTest::newRow("-0500 and fraction") << "2025-03-29T20:00:00.000-0500" << qint64(1743296400);
        QTest::newRow("no seconds") << "2025-03-30T01:00Z" << qint64(1743296400);
        QTest::newRow("no offset") << "2025-03-30T01:00:00" << qint64(-1);
        QTest::newRow("no such day") << "2025-02-29T01:00:00Z" << qint64(-1);
        QTest::newRow("trailing text") << "2025-03-30T01:00:00Zx" << qint64(-1);
    }
    void isoInstants() {
        QFETCH(QString, text);
        QFETCH(qint64, seconds);
        QCOMPARE(isoInstant(text).value_or(-1), seconds);
    }
};

QTEST_GUILESS_MAIN(TestTariffRead)
#include "tst_tariffread.moc"
