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
    QBuffer buffer;
    buffer.setData(bytes);
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

// How each format writes a day: local times without offset ({s} start, {e} end, {n} hour of the
// day from 1), the i-th slot from midnight holding {v} = i kWh.
struct Kind {
    const char *name, *zone;
    int spring, autumn, seconds;
    const char *time, *header, *row;
    bool newestFirst;
} const Kinds[] = {
    {"octopus json", "Europe/London", 46, 50, 1800, "yyyy-MM-ddTHH:mm:ss", "{\"results\":[",
     "{\"consumption\":{v},\"interval_start\":\"{s}\",\"interval_end\":\"{e}\"},", true},
    {"voltrake", "Europe/London", 46, 50, 1800, "yyyy-MM-ddTHH:mm", "start,end,kwh\n",
     "{s},{e},{v}\n", false},
    {"esb", "Europe/Dublin", 46, 50, 1800, "dd-MM-yyyy HH:mm",
     "MPRN,Meter Serial Number,Read Value,Read Type,Read Date and End Time\n",
     "1,2,{v},Active Import Interval (kWh),{e}\n", true},
    {"fluvius", "Europe/Brussels", 92, 100, 900, "dd-MM-yyyy;HH:mm:ss",
     "Van datum;Van tijdstip;Tot datum;Tot tijdstip;EAN;Meter;Metertype;Register;Volume;Eenheid;"
     "Validatiestatus\n",
     "{s};{e};=\"5414\";1;D;Afname Dag;{v},0;kWh;Gevalideerd\n{s};{e};=\"5414\";1;D;Afname "
     "Nacht;;kWh;Gevalideerd\n",
     false},
    {"datadis", "Europe/Madrid", 23, 25, 3600, "dd/MM/yyyy",
     "CUPS;Fecha;Hora;Consumo_kWh;Metodo_obtencion\n", "ES00;{s};{n};{v},0;R\n", false}};

QByteArray changeDayFile(const Kind& k, QDate day) {
    const QTimeZone zone(k.zone);
    QList<qint64> starts;
    const qint64 to = QDateTime(day.addDays(1), QTime(0, 0), zone).toSecsSinceEpoch();
    for (qint64 t = QDateTime(day, QTime(0, 0), zone).toSecsSinceEpoch(); t < to; t += k.seconds)
        starts << t;
    const auto wall = [&](qint64 t) {
        return QDateTime::fromSecsSinceEpoch(t, zone).toString(QString::fromLatin1(k.time));
    };
    QString out = QString::fromLatin1(k.header);
    for (qsizetype n = 0; n < starts.size(); ++n) {
        const qsizetype i = k.newestFirst ? starts.size() - 1 - n : n;
        out += QString::fromLatin1(k.row)
                   .replace("{s}", wall(starts[i]))
                   .replace("{e}", wall(starts[i] + k.seconds))
                   .replace("{n}", QString::number(i + 1))
                   .replace("{v}", QString::number(i));
    }
    if (out.endsWith(','))
        out = out.chopped(1) + "]}";
    return out.toUtf8();
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
    void refused_data();
    void refused();
    void sinkStops();
    void jsonBound();
};

void TestUsageRead::formats_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<ReadOptions>("opts");
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("zone");
    QTest::addColumn<QString>("expected");
    // A slot names the last line that added to it (the store names it for a duplicate); a JSON
    // slot its place in the results.
    QTest::addColumn<QString>("lines");
    const auto row = [](const char* name, const char* file, Format format, const char* zone,
                        const char* expected, const ReadOptions& opts = {},
                        const char* lines = "") {
        QTest::newRow(name) << QString(file) << opts << format << QString(zone) << QString(expected)
                            << QString(lines);
    };

    row("octopus v1, an empty value is a gap", "octopus_v1.csv", Format::OctopusCsv,
        "Europe/London",
        "2024-06-30T23:00Z 30 0.063 import MPAN1 | 2024-06-30T23:30Z 30 0.071 import MPAN1 | "
        "2024-07-01T00:30Z 30 0.1 import MPAN1",
        options({}, "MPAN1"));
    row("octopus v2, +00:00 and Z", "octopus_v2.csv", Format::OctopusCsv, "Europe/London",
        "2025-01-15T00:00Z 30 0.25 export | 2025-01-15T00:30Z 30 0.5 export",
        options({}, {}, domain::Direction::Export));
    row("octopus v3, the repeated hour by its offsets", "octopus_v3.csv", Format::OctopusCsv,
        "Europe/London", "2025-10-26T00:00Z 30 1.2 import | 2025-10-26T01:00Z 30 1.3 import");
    row("octopus json: offsets, none, null; a once-only repeated time is the earlier",
        "octopus.json", Format::OctopusJson, "Europe/London",
        "2018-05-18T23:30Z 30 0.4 import | 2018-05-18T23:00Z 30 0.063 import | "
        "2025-10-26T00:30Z 30 0.2 import",
        {}, "3 4 1");
    row("octopus json, --tz for the time without offset", "octopus.json", Format::OctopusJson,
        "America/New_York",
        "2025-10-26T05:30Z 30 0.2 import | 2018-05-18T23:30Z 30 0.4 import | "
        "2018-05-18T23:00Z 30 0.063 import",
        options("America/New_York"));
    row("voltrake csv, --tz for the times without offset", "voltrake.csv", Format::VoltrakeCsv,
        "Europe/Paris",
        "2025-05-31T22:00Z 15 0.125 import M | 2025-05-31T22:00Z 15 0.5 export M e | "
        "2025-05-31T22:15Z 15 1.5 export M",
        options("Europe/Paris", "M", domain::Direction::Export));
    row("esb kWh, end labels newest first", "esb_kwh.csv", Format::EsbHdf, "Europe/Dublin",
        "2025-01-02T00:30Z 30 0.512 import 10012345678 | "
        "2025-01-02T00:30Z 30 0 export 10012345678 | 2025-01-02T00:00Z 30 0.25 import "
        "10012345678",
        options({}, "ignored"));
    // ESB writes the repeated hour once: each such label is the earlier instant, the later hour
    // a gap.
    row("esb, the repeated hour once",
        "MPRN,Meter Serial Number,Read Value,Read Type,Read Date and End Time\n"
        "1,2,3,Active Import Interval (kWh),26-10-2025 02:00\n"
        "1,2,2,Active Import Interval (kWh),26-10-2025 01:30\n"
        "1,2,1,Active Import Interval (kWh),26-10-2025 01:00\n"
        "1,2,0,Active Import Interval (kWh),26-10-2025 00:30\n",
        Format::EsbHdf, "Europe/Dublin",
        "2025-10-26T01:30Z 30 3 import 1 | 2025-10-25T23:00Z 30 0 import 1 | "
        "2025-10-25T23:30Z 30 1 import 1 | 2025-10-26T00:00Z 30 2 import 1");
    row("esb kW, average power over the half-hour", "esb_kw.csv", Format::EsbHdf, "Europe/Dublin",
        "2023-07-15T11:00Z 30 0.512 import 10012345678 | "
        "2023-07-15T11:00Z 30 0.15 export 10012345678");
    row("fluvius dutch, day and night add up", "fluvius_nl.csv", Format::Fluvius, "Europe/Brussels",
        "2025-01-31T23:00Z 15 0.123 import 541448800000000017 | "
        "2025-01-31T23:15Z 15 0.21 import 541448800000000017 e",
        {}, "3 7");
    row("fluvius english", "fluvius_en.csv", Format::Fluvius, "Europe/Brussels",
        "2025-02-01T11:00Z 15 0.05 import 541448800000000017 | "
        "2025-02-01T11:00Z 15 1.25 export 541448800000000017 e");
    row("fluvius dutch, bracketed header, substituted", "fluvius_nl_brackets.csv", Format::Fluvius,
        "Europe/Brussels", "2025-06-15T08:00Z 15 1 export 541448800000000017 e");
    row("datadis, HH:00 hours and surplus", "datadis_surplus.csv", Format::Datadis, "Europe/Madrid",
        "2025-06-14T22:00Z 60 0.5 import ES0021000000000000AA0F | "
        "2025-06-15T11:00Z 60 0.1 import ES0021000000000000AA0F | "
        "2025-06-15T11:00Z 60 2.25 export ES0021000000000000AA0F");
    row("datadis", "datadis.csv", Format::Datadis, "Europe/Madrid",
        "2025-02-28T23:00Z 60 0.184 import ES0021000000000000AA0F | "
        "2025-03-01T01:00Z 60 0.2 import ES0021000000000000AA0F e",
        options("UTC"));
    row("dsmr-reader", "dsmr.csv", Format::DsmrReader, "Europe/Amsterdam",
        "2024-04-30T22:00Z 60 0.214 import | "
        "2024-04-30T22:00Z 60 0 export | 2024-05-01T11:00Z 60 0.05 "
        "import | 2024-05-01T11:00Z 60 1.5 export");
}

void TestUsageRead::formats() {
    QFETCH(QString, file);
    QFETCH(ReadOptions, opts);
    QFETCH(Format, format);
    QFETCH(QString, zone);
    QFETCH(QString, expected);
    QFETCH(QString, lines);
    const Outcome o = readBytes(file.contains('\n') ? file.toUtf8() : fixture(file), opts);
    QVERIFY2(!o.result.error, qPrintable(o.result.error ? o.result.error->text() : QString()));
    QCOMPARE(o.result.format, format);
    QCOMPARE(QString::fromUtf8(o.result.zone.id()), zone);
    QCOMPARE(described(o.got), expected);
    QStringList got;
    for (const ReadSlot& s : o.got)
        got << QString::number(s.line);
    if (!lines.isEmpty())
        QCOMPARE(got.join(' '), lines);
}

void TestUsageRead::changeDays_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<int>("count");
    for (int k = 0; k < int(std::size(Kinds)); ++k) {
        QTest::addRow("%s spring", Kinds[k].name) << k << QDate(2025, 3, 30) << Kinds[k].spring;
        QTest::addRow("%s autumn", Kinds[k].name) << k << QDate(2025, 10, 26) << Kinds[k].autumn;
    }
}

// Every slot of the day, none twice, the repeated hour's values where they belong.
void TestUsageRead::changeDays() {
    QFETCH(int, kind);
    QFETCH(QDate, day);
    QFETCH(int, count);
    const QTimeZone z(Kinds[kind].zone);
    Outcome o = readBytes(changeDayFile(Kinds[kind], day), options(Kinds[kind].zone));
    QVERIFY2(!o.result.error, qPrintable(o.result.error ? o.result.error->text() : QString()));
    QCOMPARE(o.result.zone, z);
    QList<ReadSlot>& got = o.got;
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
    QBuffer buffer;
    buffer.setData(fixture("datadis.csv"));
    buffer.open(QIODevice::ReadOnly);
    int calls = 0;
    const ReadResult r = readUsage(buffer, {}, [&](const ReadSlot&) { return ++calls < 1; });
    QCOMPARE(calls, 1);
    QVERIFY(r.cancelled && !r.error);
}

// A file larger than any JSON download is refused before it is read (a sparse file).
void TestUsageRead::jsonBound() {
    QTemporaryFile huge;
    QVERIFY(huge.open() && huge.write("{\"count\":1,\"results\":[") > 0);
    QVERIFY(huge.resize(300LL << 20) && huge.seek(0));
    QVERIFY(!detectFormat("{\"other\":1}"));
    const ReadResult r = readUsage(huge, {}, [](const ReadSlot&) { return true; });
    QCOMPARE(r.format, Format::OctopusJson);
    QVERIFY(r.error);
    QCOMPARE(r.error->text(), "a JSON file of more than 256 MiB is not read");
}

QTEST_GUILESS_MAIN(TestUsageRead)
#include "tst_usageread.moc"
