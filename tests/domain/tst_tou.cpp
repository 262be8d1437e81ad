// SPDX-License-Identifier: GPL-3.0-or-later
#include "domain/tou.h"
#include "text/values.h"

#include <QtTest>
#include <functional>

using namespace domain;
using namespace Qt::StringLiterals;

namespace {

const QTimeZone London("Europe/London");

Band band(const QString& name, double price, const QString& from = {}, const QString& to = {},
          quint8 weekdays = 0, bool holidays = false) {
    Band b;
    b.name = name;
    b.price = price;
    if (!from.isEmpty()) {
        b.from = QTime::fromString(from, u"HH:mm");
        b.to = QTime::fromString(to, u"HH:mm");
    }
    b.weekdays = weekdays;
    b.holidays = holidays;
    return b;
}

TouPeriod period(const QList<Band>& bands, double standing = 0, double vat = 0,
                 const QDate& from = QDate(2025, 1, 1)) {
    TouPeriod p;
    p.from = from;
    p.standing = standing;
    p.vat = vat;
    p.bands = bands;
    return p;
}

TouTariff tariff(const QList<TouPeriod>& periods, bool utc = false) {
    TouTariff t;
    t.name = u"test"_s;
    t.zone = London;
    t.utcClock = utc;
    t.periods = periods;
    return t;
}

qint64 at(const QString& iso) {
    return QDateTime::fromString(iso, Qt::ISODate).toSecsSinceEpoch();
}

// Half-hours over local days [from, to) in London, kWh by local start time.
QList<Slot> halfHours(const QDate& from, const QDate& to,
                      const std::function<double(const QTime&)>& kwh = {}) {
    QList<Slot> out;
    const qint64 end = to.startOfDay(London).toSecsSinceEpoch();
    for (qint64 t = from.startOfDay(London).toSecsSinceEpoch(); t < end; t += 1800) {
        const QTime local = QDateTime::fromSecsSinceEpoch(t, London).time();
        out.append({t, 1800, kwh ? kwh(local) : 1.0, false});
    }
    return out;
}

QList<Slot> oneSlot(const QString& iso, int seconds, double kwh) {
    return {{at(iso), seconds, kwh, false}};
}

// "total energy standing vat credit | band kWh cost ... | month kWh total ..."
QString described(const TouBill& b) {
    auto n = [](double v) { return values::plainNumber(values::round15(v), QLocale::c()); };
    QStringList bands, months;
    for (const BandFigures& f : b.bands)
        bands << f.name + ' ' + n(f.kwh) + ' ' + n(values::roundHalfAway(f.cost, 4));
    for (const MonthFigures& m : b.months)
        months << m.month.toString(u"yyyy-MM") + ' ' + n(m.kwh) + ' ' + n(m.total);
    return QStringList{n(b.total), n(b.energy), n(b.standing), n(b.vat), n(b.exportCredit)}.join(
               ' ') +
           " | " + bands.join(' ') + " | " + months.join(' ');
}

const QDate Jan6(2025, 1, 6); // a Monday
const QDate Jul7(2025, 7, 7); // a Monday, summer time
const QList<Band> NightDay = {band(u"Night"_s, 10, u"00:30"_s, u"07:30"_s), band(u"Day"_s, 30)};
// Only the two local half-hours 07:30-08:30 used: in summer they are 06:30-07:30 UTC.
double morning(const QTime& t) {
    return t >= QTime(7, 30) && t < QTime(8, 30) ? 1 : 0;
}

} // namespace

Q_DECLARE_METATYPE(domain::TouTariff)
Q_DECLARE_METATYPE(QList<domain::Slot>)

class TestTou : public QObject {
    Q_OBJECT
  private slots:
    void price_data() {
        QTest::addColumn<TouTariff>("tariff");
        QTest::addColumn<QList<Slot>>("imports");
        QTest::addColumn<QList<Slot>>("exports");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("expected");
        const QDate jan7 = Jan6.addDays(1);

        // 48 x 0.5 kWh x 20p + 50p standing
        QTest::newRow("one band") << tariff({period({band(u"All"_s, 20)}, 50)})
                                  << halfHours(Jan6, jan7, [](const QTime&) { return 0.5; })
                                  << QList<Slot>() << Jan6 << jan7
                                  << "5.3 4.8 0.5 0 0 | All 24 4.8 | 2025-01 24 5.3";
        // 00:00-05:30 and 23:30-24:00 are 12 half-hours at 10p, 36 at 30p
        QTest::newRow("band crossing midnight")
            << tariff({period({band(u"EV"_s, 10, u"23:30"_s, u"05:30"_s), band(u"Day"_s, 30)})})
            << halfHours(Jan6, jan7) << QList<Slot>() << Jan6 << jan7
            << "12 12 0 0 0 | EV 12 1.2 Day 36 10.8 | 2025-01 48 12";
        QTest::newRow("local clock, January")
            << tariff({period(NightDay)}) << halfHours(Jan6, jan7, morning) << QList<Slot>() << Jan6
            << jan7 << "0.6 0.6 0 0 0 | Night 0 0 Day 2 0.6 | 2025-01 2 0.6";
        QTest::newRow("utc clock, January")
            << tariff({period(NightDay)}, true) << halfHours(Jan6, jan7, morning) << QList<Slot>()
            << Jan6 << jan7 << "0.6 0.6 0 0 0 | Night 0 0 Day 2 0.6 | 2025-01 2 0.6";
        QTest::newRow("local clock, July")
            << tariff({period(NightDay)}) << halfHours(Jul7, Jul7.addDays(1), morning)
            << QList<Slot>() << Jul7 << Jul7.addDays(1)
            << "0.6 0.6 0 0 0 | Night 0 0 Day 2 0.6 | 2025-07 2 0.6";
        QTest::newRow("utc clock, July")
            << tariff({period(NightDay)}, true) << halfHours(Jul7, Jul7.addDays(1), morning)
            << QList<Slot>() << Jul7 << Jul7.addDays(1)
            << "0.2 0.2 0 0 0 | Night 2 0.2 Day 0 0 | 2025-07 2 0.2";

        // Night 00:00-07:00 local. Spring: 00:00-01:00, 02:00-07:00 = 12 of 46 half-hours.
        // Autumn: 01:00-02:00 comes twice, 16 of 50. Standing 10p a day either way.
        const TouTariff nights = tariff(
            {period({band(u"Night"_s, 10, u"00:00"_s, u"07:00"_s), band(u"Day"_s, 20)}, 10)});
        const QDate spring(2025, 3, 30), autumn(2025, 10, 26);
        QTest::newRow("spring change day, 46 half-hours")
            << nights << halfHours(spring, spring.addDays(1)) << QList<Slot>() << spring
            << spring.addDays(1) << "8.1 8 0.1 0 0 | Night 12 1.2 Day 34 6.8 | 2025-03 46 8.1";
        QTest::newRow("autumn change day, 50 half-hours")
            << nights << halfHours(autumn, autumn.addDays(1)) << QList<Slot>() << autumn
            << autumn.addDays(1) << "8.5 8.4 0.1 0 0 | Night 16 1.6 Day 34 6.8 | 2025-10 50 8.5";
        // Spring under the utc clock: 00:00-07:00 UTC is local 00:00-01:00 and 02:00-08:00.
        QTest::newRow("spring change day, utc clock")
            << tariff({period({band(u"Night"_s, 10, u"00:00"_s, u"07:00"_s), band(u"Day"_s, 20)})},
                      true)
            << halfHours(spring, spring.addDays(1)) << QList<Slot>() << spring << spring.addDays(1)
            << "7.8 7.8 0 0 0 | Night 14 1.4 Day 32 6.4 | 2025-03 46 7.8";

        // Wed 24 at 30p; Thu 25 and Fri 26 (holidays), Sat, Sun at 10p: 48 + 4 x 48 kWh
        TouTariff holidays =
            tariff({period({band(u"Weekend"_s, 10, {}, {}, 0x60, true), band(u"Week"_s, 30)})});
        holidays.holidays = {QDate(2025, 12, 25), QDate(2025, 12, 26)};
        QTest::newRow("weekend and holiday bands")
            << holidays << halfHours(QDate(2025, 12, 24), QDate(2025, 12, 29)) << QList<Slot>()
            << QDate(2025, 12, 24) << QDate(2025, 12, 29)
            << "33.6 33.6 0 0 0 | Weekend 192 19.2 Week 48 14.4 | 2025-12 240 33.6";
        // Fridays 23:00-01:00 at 5p: Friday's own 00:00-01:00 and 23:00-24:00 (4 half-hours);
        // Saturday 00:00-01:00 is Saturday's, at 30p.
        QTest::newRow("a minute's own date after midnight")
            << tariff({period(
                   {band(u"Friday late"_s, 5, u"23:00"_s, u"01:00"_s, 0x10), band(u"Day"_s, 30)})})
            << halfHours(QDate(2025, 1, 10), QDate(2025, 1, 12)) << QList<Slot>()
            << QDate(2025, 1, 10) << QDate(2025, 1, 12)
            << "27.8 27.8 0 0 0 | Friday late 4 0.2 Day 92 27.6 | 2025-01 96 27.8";
        // 00:30-01:00 cut at 00:45: 0.5 kWh at 10p and 0.5 kWh at 30p
        QTest::newRow("half-hour cut by a band edge")
            << tariff({period({band(u"Cheap"_s, 10, u"00:00"_s, u"00:45"_s), band(u"Day"_s, 30)})})
            << oneSlot(u"2025-01-06T00:30:00Z"_s, 1800, 1) << QList<Slot>() << Jan6 << jan7
            << "0.2 0.2 0 0 0 | Cheap 0.5 0.05 Day 0.5 0.15 | 2025-01 1 0.2";
        // 24 kWh at 20p + 50p = 530p, VAT 26.5p: 556.5 rounds away to 557
        QTest::newRow("VAT 5 %") << tariff({period({band(u"All"_s, 20)}, 50, 5)})
                                 << halfHours(Jan6, jan7, [](const QTime&) { return 0.5; })
                                 << QList<Slot>() << Jan6 << jan7
                                 << "5.57 4.8 0.5 0.27 0 | All 24 4.8 | 2025-01 24 5.57";

        // Two periods; the range starts inside the first, on the spring change day, and has
        // slots on 31 March only: three days of standing charge, 1 kWh at 20p.
        const TouTariff quarters = tariff({period({band(u"All"_s, 20)}, 50, 0),
                                           period({band(u"All"_s, 25)}, 60, 5, QDate(2025, 4, 1))});
        QTest::newRow("range inside a period, days without slots")
            << quarters << oneSlot(u"2025-03-31T12:00:00+01:00"_s, 1800, 1) << QList<Slot>()
            << QDate(2025, 3, 30) << QDate(2025, 4, 2)
            << "1.83 0.2 1.6 0.03 0 | All 1 0.2 | 2025-03 1 1.2 2025-04 0 0.63";

        // Export: 2 kWh at 15p flat, without VAT
        TouTariff flat = tariff({period({band(u"All"_s, 20)}, 0, 5)});
        flat.periods[0].exportPrice = 15;
        QTest::newRow("export flat") << flat << oneSlot(u"2025-01-06T10:00:00Z"_s, 1800, 1)
                                     << oneSlot(u"2025-01-06T12:00:00Z"_s, 3600, 2) << Jan6 << jan7
                                     << "-0.09 0.2 0 0.01 0.3 | All 1 0.2 | 2025-01 1 -0.09";
        // Export series: 5p to noon UTC, 10p after; 11:30-12:30 is half at each
        TouTariff exportSeries = tariff({period({band(u"All"_s, 20)})});
        exportSeries.series = {{u"export.csv"_s,
                                {{at(u"2025-01-06T00:00:00Z"_s), at(u"2025-01-06T12:00:00Z"_s), 5},
                                 {at(u"2025-01-06T12:00:00Z"_s), std::nullopt, 10}}}};
        exportSeries.periods[0].exportSeries = 0;
        QTest::newRow("export series")
            << exportSeries << QList<Slot>() << oneSlot(u"2025-01-06T11:30:00Z"_s, 3600, 2) << Jan6
            << jan7 << "-0.15 0 0 0 0.15 | All 0 0 | 2025-01 0 -0.15";

        // An hour of data under half-hourly prices: 1 kWh at 10p, 1 kWh at 20p
        TouTariff dayAhead = tariff({period({band(u"Agile"_s, 0)})});
        dayAhead.periods[0].bands[0].price.reset();
        dayAhead.periods[0].bands[0].series = 0;
        dayAhead.series = {{u"agile.json"_s,
                            {{at(u"2025-01-06T00:00:00Z"_s), at(u"2025-01-06T00:30:00Z"_s), 10},
                             {at(u"2025-01-06T00:30:00Z"_s), at(u"2025-01-06T01:00:00Z"_s), 20}}}};
        QTest::newRow("hourly slot under half-hourly prices")
            << dayAhead << oneSlot(u"2025-01-06T00:00:00Z"_s, 3600, 2) << QList<Slot>() << Jan6
            << jan7 << "0.3 0.3 0 0 0 | Agile 2 0.3 | 2025-01 2 0.3";
    }
    void price() {
        QFETCH(TouTariff, tariff);
        QFETCH(QList<Slot>, imports);
        QFETCH(QList<Slot>, exports);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, expected);
        const auto priced = priceSlots(tariff, imports, exports, from, to);
        if (const auto* r = std::get_if<TouRefusal>(&priced))
            QFAIL(qPrintable(r->reason));
        QCOMPARE(described(std::get<TouBill>(priced)), expected);
    }

    void pieces() {
        const TouTariff t = tariff({period({band(u"All"_s, 20)}, 50, 0),
                                    period({band(u"All"_s, 25)}, 60, 5, QDate(2025, 4, 1))});
        const auto b =
            std::get<TouBill>(priceSlots(t, oneSlot(u"2025-04-01T12:00:00+01:00"_s, 1800, 2), {},
                                         QDate(2025, 3, 30), QDate(2025, 4, 3)));
        QCOMPARE(b.pieces.size(), 2);
        QCOMPARE(b.pieces[0].from, QDate(2025, 3, 30));
        QCOMPARE(b.pieces[0].to, QDate(2025, 4, 1));
        QCOMPARE(b.pieces[0].days, 2);
        QCOMPARE(b.pieces[0].cost, 1.0);
        // (50 + 120) x 1.05 = 178.5
        QCOMPARE(b.pieces[1].days, 2);
        QCOMPARE(b.pieces[1].cost, 1.79);
        QCOMPARE(b.total, 2.79);
        QCOMPARE(b.costPerDay, 2.79 / 4);
    }

    void refused_data() {
        QTest::addColumn<TouTariff>("tariff");
        QTest::addColumn<QList<Slot>>("imports");
        QTest::addColumn<QList<Slot>>("exports");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QString>("reason");
        TouTariff agile = tariff({period({band(u"Agile"_s, 0)})});
        agile.periods[0].bands[0].price.reset();
        agile.periods[0].bands[0].series = 0;
        agile.series = {
            {u"agile.csv"_s,
             {{at(u"2025-07-07T00:00:00+01:00"_s), at(u"2025-07-07T01:00:00+01:00"_s), 10}}}};
        QTest::newRow("series stops")
            << agile << oneSlot(u"2025-07-07T00:30:00+01:00"_s, 3600, 1) << QList<Slot>() << Jul7
            << "no price at 2025-07-07T01:00:00+01:00";
        TouTariff exports = tariff({period({band(u"All"_s, 20)})});
        exports.series = agile.series;
        exports.periods[0].exportSeries = 0;
        QTest::newRow("export series stops")
            << exports << QList<Slot>() << oneSlot(u"2025-07-07T02:00:00+01:00"_s, 1800, 1) << Jul7
            << "no export price at 2025-07-07T02:00:00+01:00";
        QTest::newRow("no band covers the moment")
            << tariff({period({band(u"Night"_s, 10, u"00:30"_s, u"07:30"_s)})})
            << oneSlot(u"2025-01-06T07:00:00Z"_s, 3600, 1) << QList<Slot>() << Jan6
            << "no price at 2025-01-06T07:30:00+00:00";
        QTest::newRow("range before the first period")
            << tariff({period({band(u"All"_s, 20)})}) << QList<Slot>() << QList<Slot>()
            << QDate(2024, 12, 31)
            << "the range starts on 2024-12-31, before the tariff's first period (2025-01-01)";
    }
    void refused() {
        QFETCH(TouTariff, tariff);
        QFETCH(QList<Slot>, imports);
        QFETCH(QList<Slot>, exports);
        QFETCH(QDate, from);
        QFETCH(QString, reason);
        const auto priced = priceSlots(tariff, imports, exports, from, from.addDays(2));
        QVERIFY(std::holds_alternative<TouRefusal>(priced));
        QCOMPARE(std::get<TouRefusal>(priced).reason, reason);
    }
};

QTEST_GUILESS_MAIN(TestTou)
#include "tst_tou.moc"
