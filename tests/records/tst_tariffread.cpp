// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/tariffread.h"

#include <QtTest>

using namespace records::tariff;
using namespace Qt::StringLiterals;

namespace {

// A one-period tariff whose band and period keys can be given.
QByteArray oneBand(const QByteArray& band, const QByteArray& period = R"("standing_p_per_day": 50)",
                   const QByteArray& top = R"("zone": "Europe/London")") {
    return "{" + top + R"(, "periods": [{"from": "2025-01-01", )" + period + R"(, "bands": [{)" +
           band + "}]}]}";
}

// "name zone clock holidays || from standing vat export | band hours days price / ..."
QString described(const domain::TouTariff& t) {
    auto price = [](const std::optional<double>& p, int s) {
        return p ? QString::number(*p) : "series " + QString::number(s);
    };
    QStringList out{t.name + ' ' + t.zone.id() + (t.utcClock ? " utc " : " local ") +
                    QString::number(t.holidays.size())};
    for (const domain::TouPeriod& p : t.periods) {
        QStringList bands;
        for (const domain::Band& b : p.bands)
            bands << b.name + ' ' +
                         (b.from ? b.from->toString(u"HH:mm") + '-' + b.to->toString(u"HH:mm")
                                 : u"all"_s) +
                         ' ' + QString::number(b.weekdays, 16) + (b.holidays ? "h " : " ") +
                         price(b.price, b.series);
        out << p.from.toString(Qt::ISODate) + ' ' + QString::number(p.standing) + ' ' +
                   QString::number(p.vat) + ' ' + price(p.exportPrice, p.exportSeries) + " | " +
                   bands.join(u" / "_s);
    }
    return out.join(u" || "_s);
}

struct Files {
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    // The tariff described, or the message without the directory.
    QString read(const QString& name) {
        const TariffFile r = readTariffFile(dir.filePath(name));
        return r.tariff ? described(*r.tariff) : r.message().mid(dir.path().size() + 1);
    }
    QTemporaryDir dir;
};

const QByteArray PlanHeader =
    "from,unit_p_per_kwh,standing_p_per_day,cheap_p_per_kwh,export_p_per_kwh,vat_percent\n";

} // namespace

class TestTariffRead : public QObject {
    Q_OBJECT
  private slots:
    void accepted() {
        Files files;
        files.write(u"t.json"_s, R"({"name": "Night", "zone": "Europe/London",
  "clock": "utc", "holidays": ["2025-12-25", "2025-12-26"], "periods": [
    {"from": "2025-01-01", "standing_p_per_day": 60.97, "vat_percent": 5, "export_p_per_kwh": 15,
     "bands": [{"name": "Night", "from": "00:30", "to": "07:30", "p_per_kwh": 13.55},
               {"name": "Day", "p_per_kwh": 30.15}]},
    {"from": "2025-04-01", "standing_p_per_day": 53.80,
     "bands": [{"name": "Weekend", "days": ["sat", "SUN", "holiday"], "p_per_kwh": 14.82},
               {"from": "16:00", "to": "24:00", "p_per_kwh": 40}, {"p_per_kwh": 32.96}]}]})");
        QCOMPARE(files.read(u"t.json"_s),
                 u"Night Europe/London utc 2 || 2025-01-01 60.97 5 15 | Night 00:30-07:30 0 13.55 "
                 u"/ Day all 0 30.15 || 2025-04-01 53.8 0 series -1 | Weekend all 60h 14.82 / "
                 u"Band 2 16:00-00:00 0 40 / Band 3 all 0 32.96"_s);

        // Series beside the tariff: CSV in any order with offsets in three forms and negative
        // prices as published, and the unit-rates JSON with an open-ended last price.
        files.write(u"a.csv"_s, "start,end,p_per_kwh\n"
                                "2025-08-17T02:30:00Z,2025-08-17T03:00:00Z,-1.5\n"
                                "2025-08-17T03:00:00+01:00,2025-08-17T02:30:00+0000,15.75\n");
        files.write(u"r.json"_s, R"({"results":[{"value_exc_vat":12,"value_inc_vat":12.6,)"
                                 R"("valid_from":"2025-08-17T02:30:00Z","valid_to":null},)"
                                 R"({"value_exc_vat":15.75,"valid_from":"2025-08-17T02:00:00Z",)"
                                 R"("valid_to":"2025-08-17T02:30:00Z"}]})");
        files.write(u"s.json"_s, oneBand(R"("prices": "a.csv")",
                                         R"("standing_p_per_day": 1, "export_prices": "r.json")"));
        const TariffFile r = readTariffFile(files.dir.filePath(u"s.json"_s));
        QVERIFY2(r.tariff, qPrintable(r.reason));
        // Minutes from 02:00 UTC: "start-end price" of the band's, then the export's series.
        const qint64 at0200 =
            QDateTime(QDate(2025, 8, 17), QTime(2, 0), Qt::UTC).toSecsSinceEpoch();
        QStringList got;
        for (int i : {r.tariff->periods[0].bands[0].series, r.tariff->periods[0].exportSeries})
            for (const domain::SeriesPrice& p : r.tariff->series[i].prices)
                got << QStringLiteral("%1-%2 %3")
                           .arg((p.start - at0200) / 60)
                           .arg(p.end ? QString::number((*p.end - at0200) / 60) : QString())
                           .arg(p.price);
        QCOMPARE(got.join(u" | "_s), u"0-30 15.75 | 30-60 -1.5 | 0-30 15.75 | 30- 12"_s);
    }

    // Every fault names the file, where it is and what is wrong; a series' faults name the
    // series too.
    void refused_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("series"); // s.csv beside it
        QTest::addColumn<QString>("message");
        const QByteArray none;
        auto row = [&](const char* name, const QByteArray& json, const QString& message,
                       const QByteArray& series = {}) {
            QTest::newRow(name) << u"t.json"_s << json << series << "t.json: " + message;
        };
        row("not JSON", "{\"name\": 1,}", "not JSON (object is missing after a comma at byte 12)");
        row("bad time", oneBand(R"("from": "25:00", "to": "07:00", "p_per_kwh": 1)"),
            "periods[0].bands[0].from: 25:00 is not a time of day (HH:MM)");
        row("negative price", oneBand(R"("p_per_kwh": -3)"),
            "periods[0].bands[0].p_per_kwh: -3 is below 0");
        row("price as text", oneBand(R"("p_per_kwh": "13.5")"),
            "periods[0].bands[0].p_per_kwh: \"13.5\" is not a number");
        row("unknown day", oneBand(R"("days": ["mon", "funday"], "p_per_kwh": 1)"),
            "periods[0].bands[0].days[1]: \"funday\" is not a day (mon, tue, wed, thu, fri, sat, "
            "sun, holiday)");
        row("unknown zone",
            oneBand(R"("p_per_kwh": 1)", R"("standing_p_per_day": 1)",
                    R"("zone": "Europe/Atlantis")"),
            "zone: \"Europe/Atlantis\" is not a time zone (an IANA name such as Europe/London)");
        row("periods out of order",
            R"({"periods": [{"from": "2025-04-01", "standing_p_per_day": 1, "bands": [{"p_per_kwh": 1}]},
                            {"from": "2025-01-01", "standing_p_per_day": 1, "bands": [{"p_per_kwh": 1}]}]})",
            "periods[1].from: 2025-01-01 comes before 2025-04-01 of periods[0]; periods must be in "
            "date order");
        row("last band leaves hours",
            oneBand(R"("name": "Night", "from": "00:30", "to": "07:30", "p_per_kwh": 1}, )"
                    R"({"name": "Weekend", "days": ["sat", "sun"], "from": "00:00", "to": "12:00",)"
                    R"("p_per_kwh": 2}, {"days": ["sat", "sun"], "p_per_kwh": 3)"),
            "periods[0].bands: no band covers 00:00 on Mondays; the last band must cover every "
            "moment the others leave");
        row("missing prices file", oneBand(R"("prices": "agile.csv")"),
            "periods[0].bands[0].prices: agile.csv: it does not exist");
        row("series without offset", oneBand(R"("prices": "s.csv")"),
            "periods[0].bands[0].prices: s.csv: line 2, column start: \"2025-08-17T02:00:00\" is "
            "not a date and time with offset",
            "start,end,p_per_kwh\n2025-08-17T02:00:00,2025-08-17T02:30:00Z,1\n");
        row("series price not a number", oneBand(R"("prices": "s.csv")"),
            "periods[0].bands[0].prices: s.csv: line 2, column p_per_kwh: \"1p\" is not a number",
            "start,end,p_per_kwh\n2025-08-17T02:00:00Z,2025-08-17T02:30:00Z,1p\n");
        row("series overlap", oneBand(R"("prices": "s.csv")"),
            "periods[0].bands[0].prices: s.csv: line 3: overlaps line 2",
            "start,end,p_per_kwh\n2025-08-17T02:00:00Z,2025-08-17T03:00:00Z,1\n"
            "2025-08-17T02:30:00Z,2025-08-17T03:30:00Z,2\n");
        row("series JSON without value", oneBand(R"("prices": "s.csv")"),
            "periods[0].bands[0].prices: s.csv: results[0].value_exc_vat: missing",
            R"({"results":[{"valid_from":"2025-08-17T02:00:00Z","valid_to":null}]})");
        QTest::newRow("plan with a cheap rate")
            << u"plan.csv"_s << PlanHeader + "2025-01-01,24.5,60,,15,5\n\n2025-04-01,25,50,9,,5\n"
            << none
            << "plan.csv: line 4, column cheap_p_per_kwh: a cheap rate names no hours, so it "
               "cannot price half-hours; write the tariff as JSON with bands";
    }
    void refused() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, series);
        QFETCH(QString, message);
        Files files;
        files.write(file, bytes);
        if (!series.isEmpty())
            files.write(u"s.csv"_s, series);
        QCOMPARE(files.read(file), message);
    }

    // Only regular files of bounded size are read; the shipped examples all read.
    void files() {
        Files files;
        QVERIFY(QDir(files.dir.path()).mkdir(u"folder.json"_s));
        QCOMPARE(files.read(u"folder.json"_s), u"folder.json: it is a folder, not a file"_s);
        QFile big(files.dir.filePath(u"big.json"_s));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(MaxTariffBytes + 1));
        big.close();
        QCOMPARE(files.read(u"big.json"_s), u"big.json: it is larger than 4 MiB"_s);

        const QDir dir(QStringLiteral(VOLTRAKE_SOURCE_DIR "/dist/Data/tariffs"));
        const QStringList names = dir.entryList({u"*.json"_s}, QDir::Files);
        QCOMPARE(names.size(), 5);
        for (const QString& name : names) {
            const TariffFile f = readTariffFile(dir.filePath(name));
            QVERIFY2(f.tariff && f.tariff->name.startsWith(u"Example: "_s), qPrintable(f.reason));
        }
    }
};

QTEST_GUILESS_MAIN(TestTariffRead)
#include "tst_tariffread.moc"
