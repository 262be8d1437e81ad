// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/usageread.h"

#include <QBuffer>
#include <QFile>
#include <QtTest>

using namespace records::usage;

namespace {

struct Outcome {
    ReadResult result;
    QList<ReadSlot> got;
};

Outcome readBytes(const QByteArray& bytes, const ReadOptions& options = {}) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    Outcome o;
    o.result = readUsage(buffer, options, [&](const ReadSlot& s) {
        o.got << s;
        return true;
    });
    return o;
}

QByteArray fixture(const QString& name) {
    QFile f(QStringLiteral(USAGE_DATA "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("no fixture %s", qPrintable(name));
    return f.readAll();
}

// "2024-06-30T23:00Z 30 0.063 import 5414..." per slot, "e" for estimated, " | " between them.
QString described(const QList<ReadSlot>& list) {
    QStringList out;
    for (const ReadSlot& s : list)
        out << QDateTime::fromSecsSinceEpoch(s.slot.start, Qt::UTC).toString("yyyy-MM-ddTHH:mmZ") +
                   ' ' + QString::number(s.slot.seconds / 60) + ' ' + QString::number(s.slot.kwh) +
                   ' ' + domain::directionName(s.direction) +
                   (s.meter.isEmpty() ? QString() : ' ' + s.meter) + (s.slot.estimated ? " e" : "");
    return out.join(" | ");
}

ReadOptions options(const QString& zone, const QString& meter = {},
                    domain::Direction d = domain::Direction::Import) {
    ReadOptions o;
    if (!zone.isEmpty())
        o.zone = QTimeZone(zone.toLatin1());
    o.meter = meter;
    o.direction = d;
    return o;
}

// The slot starts of one local day, oldest first.
QList<qint64> dayStarts(const QTimeZone& zone, QDate day, int seconds) {
    QList<qint64> starts;
    const qint64 to = QDateTime(day.addDays(1), QTime(0, 0), zone).toSecsSinceEpoch();
    for (qint64 t = QDateTime(day, QTime(0, 0), zone).toSecsSinceEpoch(); t < to; t += seconds)
        starts << t;
    return starts;
}

QString wall(qint64 t, const QTimeZone& zone, const char* form) {
    return QDateTime::fromSecsSinceEpoch(t, zone).toString(QString::fromLatin1(form));
}

// A day of one format as its source writes it (local times without offset), the i-th slot
// from midnight holding i kWh.
QByteArray changeDayFile(const QString& kind, const QTimeZone& zone, QDate day) {
    QByteArray out;
    auto line = [&out](const QString& l) { out += l.toUtf8() + '\n'; };
    if (kind == "datadis") {
        line("CUPS;Fecha;Hora;Consumo_kWh;Metodo_obtencion");
        const QList<qint64> starts = dayStarts(zone, day, 3600);
        for (int i = 0; i < starts.size(); ++i)
            line(QString("ES00;%1;%2;%3,0;R").arg(day.toString("dd/MM/yyyy")).arg(i + 1).arg(i));
        return out;
    }
    const int seconds = kind == "fluvius" ? 900 : 1800;
    const QList<qint64> starts = dayStarts(zone, day, seconds);
    if (kind == "octopus json") { // newest first
        QStringList items;
        for (int i = int(starts.size()) - 1; i >= 0; --i)
            items << QString("{\"consumption\":%1,\"interval_start\":\"%2\",\"interval_end\":"
                             "\"%3\"}")
                         .arg(i)
                         .arg(wall(starts[i], zone, "yyyy-MM-ddTHH:mm:ss"),
                              wall(starts[i] + seconds, zone, "yyyy-MM-ddTHH:mm:ss"));
        return "{\"count\":" + QByteArray::number(items.size()) + ",\"results\":[" +
               items.join(',').toUtf8() + "]}";
    }
    if (kind == "voltrake")
        line("start,end,kwh");
    else if (kind == "esb")
        line("MPRN,Meter Serial Number,Read Value,Read Type,Read Date and End Time");
    else
        line("Van datum;Van tijdstip;Tot datum;Tot tijdstip;EAN;Meter;Metertype;Register;Volume;"
             "Eenheid;Validatiestatus");
    for (int n = 0; n < starts.size(); ++n) {
        const int i = kind == "esb" ? int(starts.size()) - 1 - n : n; // ESB: newest first
        const qint64 t = starts[i];
        if (kind == "voltrake")
            line(wall(t, zone, "yyyy-MM-ddTHH:mm") + ',' +
                 wall(t + seconds, zone, "yyyy-MM-ddTHH:mm") + ',' + QString::number(i));
        else if (kind == "esb")
            line(QString("1,2,%1,Active Import Interval (kWh),").arg(i) +
                 wall(t + seconds, zone, "dd-MM-yyyy HH:mm"));
        else
            for (const char* reg : {"Afname Dag", "Afname Nacht"})
                line(wall(t, zone, "dd-MM-yyyy;HH:mm:ss;") +
                     wall(t + seconds, zone, "dd-MM-yyyy;HH:mm:ss;") + "=\"5414\";1;D;" + reg +
                     ';' + (reg[7] == 'D' ? QString::number(i) + ",0" : "") + ";kWh;Gevalideerd");
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(records::usage::ReadOptions)

class TestUsageRead : public QObject {
    Q_OBJECT

  private slots:
    void formats_data();
    void formats();
    void changeDays_data();
    void changeDays();
    void repeatedOnce();
    void refused_data();
    void refused();
    void sinkStops();
    void jsonBound();
    void lines();
};

void TestUsageRead::formats_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<ReadOptions>("opts");
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QString>("expected");

    QTest::newRow("octopus v1, an empty value is a gap")
        << "octopus_v1.csv" << options({}, "MPAN1") << Format::OctopusCsv << "Europe/London"
        << "2024-06-30T23:00Z 30 0.063 import MPAN1 | 2024-06-30T23:30Z 30 0.071 import MPAN1 | "
           "2024-07-01T00:30Z 30 0.1 import MPAN1";
    QTest::newRow("octopus v2, +00:00 and Z")
        << "octopus_v2.csv" << options({}, {}, domain::Direction::Export) << Format::OctopusCsv
        << "Europe/London"
        << "2025-01-15T00:00Z 30 0.25 export | 2025-01-15T00:30Z 30 0.5 export";
    QTest::newRow("octopus v3, the repeated hour by its offsets")
        << "octopus_v3.csv" << options({}) << Format::OctopusCsv << "Europe/London"
        << "2025-10-26T00:00Z 30 1.2 import | 2025-10-26T01:00Z 30 1.3 import";
    QTest::newRow("octopus json: offsets, none, null; a once-only repeated time is the earlier")
        << "octopus.json" << options({}) << Format::OctopusJson << "Europe/London"
        << "2018-05-18T23:30Z 30 0.4 import | 2018-05-18T23:00Z 30 0.063 import | "
           "2025-10-26T00:30Z 30 0.2 import";
    QTest::newRow("octopus json, --tz for the time without offset")
        << "octopus.json" << options("America/New_York") << Format::OctopusJson
        << "America/New_York"
        << "2025-10-26T05:30Z 30 0.2 import | 2018-05-18T23:30Z 30 0.4 import | "
           "2018-05-18T23:00Z 30 0.063 import";
    QTest::newRow("voltrake csv, --tz for the times without offset")
        << "voltrake.csv" << options("Europe/Paris", "M", domain::Direction::Export)
        << Format::VoltrakeCsv << "Europe/Paris"
        << "2025-05-31T22:00Z 15 0.125 import M | 2025-05-31T22:00Z 15 0.5 export M e | "
           "2025-05-31T22:15Z 15 1.5 export M";
    QTest::newRow("esb kWh, end labels newest first")
        << "esb_kwh.csv" << options({}, "ignored") << Format::EsbHdf << "Europe/Dublin"
        << "2025-01-02T00:30Z 30 0.512 import 10012345678 | "
           "2025-01-02T00:30Z 30 0 export 10012345678 | 2025-01-02T00:00Z 30 0.25 import "
           "10012345678";
    QTest::newRow("esb kW, average power over the half-hour")
        << "esb_kw.csv" << options({}) << Format::EsbHdf << "Europe/Dublin"
        << "2023-07-15T11:00Z 30 0.512 import 10012345678 | "
           "2023-07-15T11:00Z 30 0.15 export 10012345678";
    QTest::newRow("fluvius dutch, day and night add up")
        << "fluvius_nl.csv" << options({}) << Format::Fluvius << "Europe/Brussels"
        << "2025-01-31T23:00Z 15 0.123 import 541448800000000017 | "
           "2025-01-31T23:15Z 15 0.21 import 541448800000000017 e";
    QTest::newRow("fluvius english")
        << "fluvius_en.csv" << options({}) << Format::Fluvius << "Europe/Brussels"
        << "2025-02-01T11:00Z 15 0.05 import 541448800000000017 | "
           "2025-02-01T11:00Z 15 1.25 export 541448800000000017 e";
    QTest::newRow("fluvius dutch, bracketed header, substituted")
        << "fluvius_nl_brackets.csv" << options({}) << Format::Fluvius << "Europe/Brussels"
        << "2025-06-15T08:00Z 15 1 export 541448800000000017 e";
    QTest::newRow("datadis, HH:00 hours and surplus")
        << "datadis_surplus.csv" << options({}) << Format::Datadis << "Europe/Madrid"
        << "2025-06-14T22:00Z 60 0.5 import ES0021000000000000AA0F | "
           "2025-06-15T11:00Z 60 0.1 import ES0021000000000000AA0F | "
           "2025-06-15T11:00Z 60 2.25 export ES0021000000000000AA0F";
    QTest::newRow("datadis") << "datadis.csv" << options("UTC") << Format::Datadis
                             << "Europe/Madrid"
                             << "2025-02-28T23:00Z 60 0.184 import ES0021000000000000AA0F | "
                                "2025-03-01T01:00Z 60 0.2 import ES0021000000000000AA0F e";
    QTest::newRow("dsmr-reader") << "dsmr.csv" << options({}) << Format::DsmrReader
                                 << "Europe/Amsterdam"
                                 << "2024-04-30T22:00Z 60 0.214 import | "
                                    "2024-04-30T22:00Z 60 0 export | 2024-05-01T11:00Z 60 0.05 "
                                    "import | 2024-05-01T11:00Z 60 1.5 export";
}

void TestUsageRead::formats() {
    QFETCH(QString, file);
    QFETCH(ReadOptions, opts);
    QFETCH(Format, format);
    QFETCH(QString, zone);
    QFETCH(QString, expected);
    const Outcome o = readBytes(fixture(file), opts);
    QVERIFY2(!o.result.error, qPrintable(o.result.error ? o.result.error->text() : QString()));
    QCOMPARE(o.result.format, format);
    QCOMPARE(QString::fromUtf8(o.result.zone.id()), zone);
    QCOMPARE(described(o.got), expected);
}

void TestUsageRead::changeDays_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("count");
    const struct {
        const char *kind, *zone;
        int spring, autumn;
    } kinds[] = {{"octopus json", "Europe/London", 46, 50},
                 {"voltrake", "Europe/London", 46, 50},
                 {"esb", "Europe/Dublin", 46, 50},
                 {"fluvius", "Europe/Brussels", 92, 100},
                 {"datadis", "Europe/Madrid", 23, 25}};
    for (const auto& k : kinds) {
        QTest::addRow("%s spring", k.kind) << k.kind << k.zone << QDate(2025, 3, 30) << k.spring;
        QTest::addRow("%s autumn", k.kind) << k.kind << k.zone << QDate(2025, 10, 26) << k.autumn;
    }
}

// Every slot of the day, none twice, the repeated hour's values where they belong.
void TestUsageRead::changeDays() {
    QFETCH(QString, kind);
    QFETCH(QString, zone);
    QFETCH(QDate, day);
    QFETCH(int, count);
    const QTimeZone z(zone.toLatin1());
    const Outcome o = readBytes(changeDayFile(kind, z, day), options(zone));
    QVERIFY2(!o.result.error, qPrintable(o.result.error ? o.result.error->text() : QString()));
    QCOMPARE(o.result.zone, z);
    QList<ReadSlot> got = o.got;
    std::sort(got.begin(), got.end(),
              [](const ReadSlot& a, const ReadSlot& b) { return a.slot.start < b.slot.start; });
    QCOMPARE(got.size(), count);
    const int seconds = got.first().slot.seconds;
    QCOMPARE(got.first().slot.start, QDateTime(day, QTime(0, 0), z).toSecsSinceEpoch());
    for (int i = 0; i < count; ++i) {
        QCOMPARE(got[i].slot.start, got.first().slot.start + qint64(i) * seconds);
        QCOMPARE(got[i].slot.kwh, double(i));
    }
}

// ESB writes the repeated hour once: each such label is the earlier instant, the later hour
// a gap.
void TestUsageRead::repeatedOnce() {
    QByteArray file = "MPRN,Meter Serial Number,Read Value,Read Type,Read Date and End Time\n";
    for (const char* row : {"3,Active Import Interval (kWh),26-10-2025 02:00",
                            "2,Active Import Interval (kWh),26-10-2025 01:30",
                            "1,Active Import Interval (kWh),26-10-2025 01:00",
                            "0,Active Import Interval (kWh),26-10-2025 00:30"})
        file += QByteArray("1,2,") + row + '\n';
    Outcome o = readBytes(file);
    std::sort(o.got.begin(), o.got.end(),
              [](const ReadSlot& a, const ReadSlot& b) { return a.slot.start < b.slot.start; });
    QCOMPARE(described(o.got),
             "2025-10-25T23:00Z 30 0 import 1 | 2025-10-25T23:30Z 30 1 import 1 | "
             "2025-10-26T00:00Z 30 2 import 1 | 2025-10-26T01:30Z 30 3 import 1");
}

void TestUsageRead::refused_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    const QByteArray fluvius = "Van datum;Van tijdstip;Tot datum;Tot tijdstip;EAN;Meter;Metertype;"
                               "Register;Volume;Eenheid;Validatiestatus\n";
    QTest::newRow("empty") << QByteArray("\n\n") << "the file is empty. " + knownFormats();
    QTest::newRow("foreign first line")
        << QByteArray("date,value\n2025-01-01,3\n")
        << "Line 1: the first line is none of the formats Voltrake reads. " + knownFormats();
    QTest::newRow("fluvius skipped spring time")
        << fluvius + "30-03-2025;01:45:00;30-03-2025;03:00:00;1;1;D;Afname Dag;0,1;kWh;G\n"
                     "30-03-2025;02:00:00;30-03-2025;02:15:00;1;1;D;Afname Dag;0,1;kWh;G\n"
        << "Line 3, column Van tijdstip: 2025-03-30 02:00 does not exist in Europe/Brussels";
    QTest::newRow("voltrake skipped spring time")
        << QByteArray("start,end,kwh\n2025-03-30T01:30:00,2025-03-30T02:00:00,1\n")
        << "Line 2, column start: 2025-03-30 01:30 does not exist in Europe/London";
    QTest::newRow("voltrake 45 minutes")
        << QByteArray("start,end,kwh\n2025-01-01T00:00:00Z,2025-01-01T00:45:00Z,1\n")
        << "Line 2, column end: the slot is not 15, 30 or 60 minutes long";
    QTest::newRow("octopus not a number")
        << QByteArray("Consumption (kWh), Start, End\n"
                      "1,2024-07-01T00:00:00+01:00,2024-07-01T00:30:00+01:00\n"
                      "abc,2024-07-01T00:30:00+01:00,2024-07-01T01:00:00+01:00\n")
        << "Line 3, column Consumption (kWh): \"abc\" is not a number";
    QTest::newRow("octopus row too short")
        << QByteArray("Consumption (kWh), Start, End\n1,2024-07-01T00:00:00+01:00\n")
        << "Line 2, column End: the row ends before this column";
    QTest::newRow("esb register read")
        << QByteArray("MPRN,Meter Serial Number,Read Value,Read Type,Read Date and End Time\n"
                      "1,2,3,Active Import Register (kWh),01-01-2025 00:30\n")
        << "Line 2, column Read Type: \"Active Import Register (kWh)\" is not an interval read "
           "type of active energy";
    QTest::newRow("datadis hour 24 in spring")
        << QByteArray("CUPS;Fecha;Hora;Consumo_kWh;Metodo_obtencion\nES;30/03/2025;24;1;R\n")
        << "Line 2, column Hora: \"24\" is not an hour from 1 to 23 of 2025-03-30";
    QTest::newRow("json") << QByteArray("{\"count\":1,\n\"results\":[}")
                          << "Line 2: not JSON: object is missing after a comma";
    QTest::newRow("json time")
        << QByteArray("{\"results\":[{\"consumption\":1,\"interval_start\":\"x\"}]}")
        << "results[0].interval_start: \"x\" is not an ISO 8601 time";
}

void TestUsageRead::refused() {
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    const Outcome o = readBytes(file, options("Europe/London"));
    QVERIFY(o.result.error);
    QCOMPARE(o.result.error->text(), text);
}

void TestUsageRead::sinkStops() {
    QByteArray copy = fixture("datadis.csv");
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    int calls = 0;
    const ReadResult r = readUsage(buffer, {}, [&](const ReadSlot&) { return ++calls < 1; });
    QCOMPARE(calls, 1);
    QVERIFY(r.cancelled && !r.error);
}

// A file larger than any JSON download is refused before it is read.
void TestUsageRead::jsonBound() {
    class Huge : public QIODevice {
      public:
        qint64 size() const override { return 300LL << 20; }

      protected:
        qint64 readData(char* data, qint64 max) override {
            static const QByteArray head = "{\"count\":1,\"results\":[";
            for (qint64 i = 0; i < max; ++i, ++at)
                data[i] = at < head.size() ? head[at] : ' ';
            return max;
        }
        qint64 writeData(const char*, qint64) override { return -1; }

      private:
        qint64 at = 0;
    } huge;
    huge.open(QIODevice::ReadOnly);
    QVERIFY(!detectFormat("{\"other\":1}"));
    const ReadResult r = readUsage(huge, {}, [](const ReadSlot&) { return true; });
    QCOMPARE(r.format, Format::OctopusJson);
    QVERIFY(r.error);
    QCOMPARE(r.error->text(), "a JSON file of more than 256 MiB is not read");
}

// A slot names the last line that added to it (the store names it for a duplicate); a JSON
// slot its place in the results.
void TestUsageRead::lines() {
    for (const auto& [file, want] : {std::pair{"fluvius_nl.csv", QList<qsizetype>{3, 7}},
                                     std::pair{"octopus.json", QList<qsizetype>{3, 4, 1}}}) {
        QList<qsizetype> got;
        for (const ReadSlot& s : readBytes(fixture(file)).got)
            got << s.line;
        QCOMPARE(got, want);
    }
}

QTEST_GUILESS_MAIN(TestUsageRead)
#include "tst_usageread.moc"
