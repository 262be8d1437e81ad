// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/usagecharts.h"

#include <QDateTime>
#include <QtTest>

using namespace records::usage;
using domain::Slot;

namespace {

const QTimeZone London("Europe/London");

qint64 midnight(const QDate& d) {
    return QDateTime(d, QTime(0, 0), London).toSecsSinceEpoch();
}

// Every half-hour of local days [from, to), 1 kWh each, less the starts listed in `gaps`.
QList<Slot> halfHours(const QDate& from, const QDate& to, const QSet<qint64>& gaps = {}) {
    QList<Slot> out;
    for (qint64 t = midnight(from); t < midnight(to); t += 1800)
        if (!gaps.contains(t))
            out.append({t, 1800, 1.0, false});
    return out;
}

// "state:kWh" of the cells of one day: "v2" a value of 2 kWh, "s" skipped, "m" missing,
// "n" no data; only rows 0-5 (00:00-03:00), where the clocks change.
QString earlyCells(const HeatMap& map, int day) {
    QStringList out;
    for (const HeatCell& c : map.cells.mid(day * map.rows, 6))
        out << (c.state == HeatCell::Value ? 'v' + QString::number(c.kwh)
                                           : QString("-msn"[c.state]));
    return out.join(' ');
}

} // namespace

class TestUsageCharts : public QObject {
    Q_OBJECT
  private slots:
    // The 2025 change days in London: a day of 46 half-hours and one of 50, neither a gap.
    void changeDays_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<int>("slotsThatDay");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("hover"); // of 01:00-01:30
        QTest::newRow("spring") << QDate(2025, 3, 30) << 46 << "v1 v1 s s v1 v1"
                                << "Sun 30 Mar 2025, 01:00–01:30: this time did not happen "
                                   "(the clocks went forward)";
        QTest::newRow("autumn") << QDate(2025, 10, 26) << 50 << "v1 v1 v2 v2 v1 v1"
                                << "Sun 26 Oct 2025, 01:00–01:30: 2.000 kWh (this time came "
                                   "twice, the clocks went back: both slots added)";
    }
    void changeDays() {
        QFETCH(QDate, day);
        QFETCH(int, slotsThatDay);
        QFETCH(QString, cells);
        QFETCH(QString, hover);
        const QDate from = day.addDays(-1), to = day.addDays(2);
        const QList<Slot> data = halfHours(from, to);
        const Coverage c = coverage(data, London);
        QCOMPARE(c.count, qint64(48 + slotsThatDay + 48));
        QCOMPARE(c.missing, qint64(0));

        const QList<DayTotal> days = dailyTotals(data, {}, London, from, to);
        QCOMPARE(days.size(), 3);
        QCOMPARE(days[1].day, day);
        QCOMPARE(days[1].importSlots, slotsThatDay);
        QCOMPARE(days[1].imported, double(slotsThatDay));
        QCOMPARE(*days[2].average, (96.0 + slotsThatDay) / 3);

        const HeatMap map = heatMap(data, London, from, to, 1800, c.first, c.end);
        QCOMPARE(map.rows, 48);
        QCOMPARE(earlyCells(map, 1), cells);
        QCOMPARE(map.describe(1, 2), hover);
        // Per slot, the repeated hour is an ordinary one and the skipped one leaves no hole.
        QCOMPARE(averageDay(map).weekend, QList<std::optional<double>>(48, 1.0));
    }

    // A gap inside the data is missing, the time before the first slot is no data; one of
    // the autumn day's two 01:00 slots missing leaves the cell's value and says so.
    void gapsAndAverages() {
        const QDate day(2025, 10, 26);
        const qint64 m = midnight(day);
        // Less the first of the two 01:00s (BST) and 07:30 GMT.
        const QList<Slot> data = halfHours(day, day.addDays(1), {m + 3600, m + 30600});
        const QList<Slot> late = slotsBetween(data, m + 1800, m + 86400 * 2);
        QCOMPARE(late.size(), data.size() - 1);
        const Coverage c = coverage(late, London);
        QCOMPARE(c.missing, qint64(2));
        QCOMPARE(c.missingDays, QList<QDate>{day});
        const HeatMap map = heatMap(late, London, day, day.addDays(1), 1800, c.first, c.end);
        QCOMPARE(earlyCells(map, 0), QString("n v1 v1 v2 v1 v1"));
        QVERIFY(map.describe(0, 2).endsWith("1.000 kWh (this time came twice, the clocks went "
                                            "back: one of the two slots is missing)"));
        QVERIFY(map.describe(0, 15).endsWith("07:30–08:00: missing"));
        // A day with a gap still counts where it is complete.
        QCOMPARE(*averageDay(map).weekend[3], 1.0);
        QVERIFY(!averageDay(map).weekend[15]);

        // Weekdays and weekends apart; an hourly slot spread over the two half-hours it spans;
        // export kept apart from import.
        QList<Slot> june = halfHours(QDate(2025, 6, 6), QDate(2025, 6, 8)); // Fri, Sat
        for (Slot& s : june)
            if (QDateTime::fromSecsSinceEpoch(s.start, London).date().dayOfWeek() == 6)
                s.kwh = 3;
        june.append({midnight(QDate(2025, 6, 8)), 3600, 4.0, true});
        const HeatMap weeks = heatMap(june, London, QDate(2025, 6, 6), QDate(2025, 6, 9), 1800,
                                      june.front().start, june.back().end());
        QCOMPARE(earlyCells(weeks, 2), QString("v2 v2 n n n n"));
        const AverageDay avg = averageDay(weeks);
        QCOMPARE(*avg.weekday[10], 1.0);
        QCOMPARE(*avg.weekend[10], 3.0);
        QCOMPARE(*avg.weekend[0], 2.5); // Saturday 3, Sunday 2
        const QList<Slot> exported{{midnight(QDate(2025, 6, 6)) + 43200, 1800, 0.5, false}};
        const QList<DayTotal> days =
            dailyTotals(june, exported, London, QDate(2025, 6, 6), QDate(2025, 6, 9));
        QCOMPARE(days[0].exported, 0.5);
        QCOMPARE(days[1].imported, 144.0);
        QCOMPARE(days[2].imported, 4.0);
        QCOMPARE(coverage(june, London).estimatedDays, QList<QDate>{QDate(2025, 6, 8)});
    }

    // Shading follows the tariff's clock: UTC night hours move an hour later in summer.
    void bands() {
        const QList<domain::Band> bands{{"Weekend", {}, {}, 0x60, false, 10.0, -1},
                                        {"Night", QTime(0, 30), QTime(7, 30), 0, false, 13.0, -1},
                                        {"Day", {}, {}, 0, false, 30.0, -1}};
        domain::TouTariff t{"", "", London, true, {}, {{QDate(2025, 1, 1), 0, 0, {}, -1, bands}},
                            {}};
        const auto runs = [&t](const QDate& day) {
            QStringList out;
            for (const BandRun& r : bandRuns(t, day))
                out << r.name +
                           QStringLiteral(" %1-%2").arg(r.fromSecond / 1800).arg(r.toSecond / 1800);
            return out.join(' ');
        };
        QCOMPARE(runs(QDate(2025, 7, 15)), "Day 0-3 Night 3-17 Day 17-48");
        QCOMPARE(runs(QDate(2025, 7, 19)), "Weekend 0-48");
        QCOMPARE(runs(QDate(2024, 12, 31)), "");
        t.utcClock = false;
        QCOMPARE(runs(QDate(2025, 7, 15)), "Day 0-1 Night 1-15 Day 15-48");
    }
};

QTEST_GUILESS_MAIN(TestUsageCharts)
#include "tst_usagecharts.moc"
