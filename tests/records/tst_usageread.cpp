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

} // namespace

Q_DECLARE_METATYPE(records::usage::ReadOptions)

class TestUsageRead : public QObject {
    Q_OBJECT

  private slots:
    void formats_data();
    void formats();
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

QTEST_GUILESS_MAIN(TestUsageRead)
#include "tst_usageread.moc"
