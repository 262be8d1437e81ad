// SPDX-License-Identifier: GPL-3.0-or-later
#include "domain/tou.h"
#include "text/values.h"

#include <QtTest>
#include <functional>

using namespace domain;

namespace {

const QTimeZone London("Europe/London");

Band band(const char* name, double price, const char* from = nullptr, const char* to = nullptr,
          quint8 weekdays = 0, bool holidays = false) {
    auto time = [](const char* t) {
        return t ? std::optional(QTime::fromString(QString::fromLatin1(t), u"HH:mm"))
                 : std::nullopt;
    };
    return {QString::fromUtf8(name), time(from), time(to), weekdays, holidays, price};
}

TouPeriod period(const QList<Band>& bands, double standing = 0, double vat = 0,
                 const QDate& from = QDate(2025, 1, 1)) {
    return {from, standing, vat, std::nullopt, -1, bands};
}

TouTariff tariff(const QList<TouPeriod>& periods, bool utc = false) {
    return {QStringLiteral("test"), {}, London, utc, {}, periods, {}};
}

qint64 at(const char* iso) {
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).toSecsSinceEpoch();
}

// Slots with the range they are priced over.
struct Use {
    QList<Slot> list;
    QDate from = QDate(2025, 1, 6), to = QDate(2025, 1, 7);
};

// Half-hours over n local days in London, kWh by local start time (1 by default).
Use days(const QDate& from, int n, const std::function<double(const QTime&)>& kwh = {}) {
    Use out{{}, from, from.addDays(n)};
    const qint64 end = out.to.startOfDay(London).toSecsSinceEpoch();
    for (qint64 t = from.startOfDay(London).toSecsSinceEpoch(); t < end; t += 1800)
        out.list.append(
            {t, 1800, kwh ? kwh(QDateTime::fromSecsSinceEpoch(t, London).time()) : 1.0});
    return out;
}

Use oneSlot(const char* iso, int seconds, double kwh) {
    return {{{at(iso), seconds, kwh}}};
}

// "total energy standing vat credit | band kWh cost ... | month kWh total ...", or the refusal.
QString described(const std::variant<TouBill, TouRefusal>& priced) {
    if (const auto* r = std::get_if<TouRefusal>(&priced))
        return "refused: " + r->reason;
    const TouBill& b = std::get<TouBill>(priced);
    auto n = [](double v) {
        return values::plainNumber(values::roundHalfAway(v, 6), QLocale::c());
    };
    QStringList out{n(b.total), n(b.energy), n(b.standing), n(b.vat), n(b.exportCredit), "|"};
    for (const BandFigures& f : b.bands)
        out << f.name << n(f.kwh) << n(f.cost);
    out << "|";
    for (const MonthFigures& m : b.months)
        out << m.month.toString(u"yyyy-MM") << n(m.kwh) << n(m.total);
    return out.join(' ');
}

const QDate Jan6(2025, 1, 6), Jul7(2025, 7, 7); // Mondays, the second in summer time
const QList<Band> NightDay = {band("Night", 10, "00:30", "07:30"), band("Day", 30)};
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
        const auto row = [](const char* name, const TouTariff& t, const Use& imports,
                            const char* expected, const Use& exports = {}) {
            QTest::newRow(name) << t << imports.list << exports.list << imports.from << imports.to
                                << QString(expected);
        };

        const auto halves = [](const QTime&) { return 0.5; };
        // 48 x 0.5 kWh x 20p + 50p standing, VAT 0; with VAT 5 %: 530p + 26.5p rounds to 557p
        row("one band", tariff({period({band("All", 20)}, 50)}), days(Jan6, 1, halves),
            "5.3 4.8 0.5 0 0 | All 24 4.8 | 2025-01 24 5.3");
        row("VAT 5 %", tariff({period({band("All", 20)}, 50, 5)}), days(Jan6, 1, halves),
            "5.57 4.8 0.5 0.27 0 | All 24 4.8 | 2025-01 24 5.57");
        // 00:00-05:30 and 23:30-24:00 are 12 half-hours at 10p, 36 at 30p
        row("band crossing midnight",
            tariff({period({band("EV", 10, "23:30", "05:30"), band("Day", 30)})}), days(Jan6, 1),
            "12 12 0 0 0 | EV 12 1.2 Day 36 10.8 | 2025-01 48 12");
        for (bool utc : {false, true}) {
            row(utc ? "utc clock, January" : "local clock, January",
                tariff({period(NightDay)}, utc), days(Jan6, 1, morning),
                "0.6 0.6 0 0 0 | Night 0 0 Day 2 0.6 | 2025-01 2 0.6");
            row(utc ? "utc clock, July" : "local clock, July", tariff({period(NightDay)}, utc),
                days(Jul7, 1, morning),
                utc ? "0.2 0.2 0 0 0 | Night 2 0.2 Day 0 0 | 2025-07 2 0.2"
                    : "0.6 0.6 0 0 0 | Night 0 0 Day 2 0.6 | 2025-07 2 0.6");
        }

        // Night 00:00-07:00 local. Spring: 00:00-01:00, 02:00-07:00 = 12 of 46 half-hours.
        // Autumn: 01:00-02:00 comes twice, 16 of 50. Standing 10p a day either way.
        const TouTariff nights =
            tariff({period({band("Night", 10, "00:00", "07:00"), band("Day", 20)}, 10)});
        const QDate spring(2025, 3, 30), autumn(2025, 10, 26);
        row("spring change day, 46 half-hours", nights, days(spring, 1),
            "8.1 8 0.1 0 0 | Night 12 1.2 Day 34 6.8 | 2025-03 46 8.1");
        row("autumn change day, 50 half-hours", nights, days(autumn, 1),
            "8.5 8.4 0.1 0 0 | Night 16 1.6 Day 34 6.8 | 2025-10 50 8.5");

        // Wed 24 at 30p; Thu 25 and Fri 26 (holidays), Sat, Sun at 10p: 48 + 4 x 48 kWh
        TouTariff holidays =
            tariff({period({band("Weekend", 10, nullptr, nullptr, 0x60, true), band("Week", 30)})});
        holidays.holidays = {QDate(2025, 12, 25), QDate(2025, 12, 26)};
        row("weekend and holiday bands", holidays, days(QDate(2025, 12, 24), 5),
            "33.6 33.6 0 0 0 | Weekend 192 19.2 Week 48 14.4 | 2025-12 240 33.6");
        // Fridays 23:00-01:00 at 5p: Friday's own 00:00-01:00 and 23:00-24:00 (4 half-hours);
        // Saturday 00:00-01:00 is Saturday's, at 30p.
        row("a minute's own date after midnight",
            tariff({period({band("Friday late", 5, "23:00", "01:00", 0x10), band("Day", 30)})}),
            days(QDate(2025, 1, 10), 2),
            "27.8 27.8 0 0 0 | Friday late 4 0.2 Day 92 27.6 | 2025-01 96 27.8");
        // 00:30-01:00 cut at 00:45: 0.5 kWh at 10p and 0.5 kWh at 30p
        row("half-hour cut by a band edge",
            tariff({period({band("Cheap", 10, "00:00", "00:45"), band("Day", 30)})}),
            oneSlot("2025-01-06T00:30:00Z", 1800, 1),
            "0.2 0.2 0 0 0 | Cheap 0.5 0.05 Day 0.5 0.15 | 2025-01 1 0.2");

        // Two periods; the range starts inside the first, on the spring change day, and has
        // slots on 31 March only: three days of standing charge, 1 kWh at 20p.
        row("range inside a period, days without slots",
            tariff({period({band("All", 20)}, 50, 0),
                    period({band("All", 25)}, 60, 5, QDate(2025, 4, 1))}),
            Use{oneSlot("2025-03-31T12:00:00+01:00", 1800, 1).list, spring, QDate(2025, 4, 2)},
            "1.83 0.2 1.6 0.03 0 | All 1 0.2 | 2025-03 1 1.2 2025-04 0 0.63");
        row("range before the first period", tariff({period({band("All", 20)})}),
            Use{{}, QDate(2024, 12, 31), Jan6},
            "refused: the range starts on 2024-12-31, before the tariff's first period "
            "(2025-01-01)");
        row("no band covers the moment", tariff({period({band("Night", 10, "00:30", "07:30")})}),
            oneSlot("2025-01-06T07:00:00Z", 3600, 1),
            "refused: no price at 2025-01-06T07:30:00+00:00");

        // Export: 2 kWh at 15p flat, without VAT
        TouTariff flat = tariff({period({band("All", 20)}, 0, 5)});
        flat.periods[0].exportPrice = 15;
        row("export flat", flat, oneSlot("2025-01-06T10:00:00Z", 1800, 1),
            "-0.09 0.2 0 0.01 0.3 | All 1 0.2 | 2025-01 1 -0.09",
            oneSlot("2025-01-06T12:00:00Z", 3600, 2));

        // A series: 10p and 20p for the first two half-hours of 6 January, nothing after.
        // An hour of data under it is priced half at each; export at 01:00 has no price.
        TouTariff series = tariff({period({band("Agile", 0)})});
        series.periods[0].bands[0].price.reset();
        series.periods[0].bands[0].series = 0;
        series.series = {{QStringLiteral("agile.json"),
                          {{at("2025-01-06T00:00:00Z"), at("2025-01-06T00:30:00Z"), 10},
                           {at("2025-01-06T00:30:00Z"), at("2025-01-06T01:00:00Z"), 20}}}};
        row("hourly slot under half-hourly prices", series,
            oneSlot("2025-01-06T00:00:00Z", 3600, 2),
            "0.3 0.3 0 0 0 | Agile 2 0.3 | 2025-01 2 0.3");
        row("series stops", series, oneSlot("2025-01-06T00:30:00Z", 3600, 2),
            "refused: no price at 2025-01-06T01:00:00+00:00");
        // Export series: the same prices; 00:00-01:00 credits 1 kWh at each
        TouTariff exports = flat;
        exports.series = series.series;
        exports.periods[0].exportPrice.reset();
        exports.periods[0].exportSeries = 0;
        row("export series", exports, {}, "-0.3 0 0 0 0.3 | All 0 0 | 2025-01 0 -0.3",
            oneSlot("2025-01-06T00:00:00Z", 3600, 2));
        row("export series stops", exports, {},
            "refused: no export price at 2025-01-06T01:00:00+00:00",
            oneSlot("2025-01-06T01:00:00Z", 1800, 1));
    }
    void price() {
        QFETCH(TouTariff, tariff);
        QFETCH(QList<Slot>, imports);
        QFETCH(QList<Slot>, exports);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, expected);
        QCOMPARE(described(priceSlots(tariff, imports, exports, from, to)), expected);
    }
};

QTEST_GUILESS_MAIN(TestTou)
#include "tst_tou.moc"
