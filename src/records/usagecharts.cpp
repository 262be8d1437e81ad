// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/usagecharts.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace records::usage {

namespace {

constexpr qint64 Day = 86400;
const qint64 EpochJulian = QDate(1970, 1, 1).toJulianDay();

qint64 floorDiv(qint64 a, qint64 b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

QDate localDate(qint64 local) {
    return QDate::fromJulianDay(EpochJulian + floorDiv(local, Day));
}

int secondOfDay(qint64 local) {
    return int(local - floorDiv(local, Day) * Day);
}

auto firstFrom(const QList<domain::Slot>& data, qint64 utc) {
    return std::lower_bound(data.cbegin(), data.cend(), utc,
                            [](const domain::Slot& s, qint64 t) { return s.start < t; });
}

QString clockText(int second) {
    return QTime(0, 0).addSecs(second % int(Day)).toString(QStringLiteral("HH:mm"));
}

} // namespace

LocalClock::LocalClock(const QTimeZone& zone, qint64 fromUtc, qint64 toUtc) {
    const QDateTime from = QDateTime::fromSecsSinceEpoch(fromUtc, Qt::UTC);
    changes_.append({std::numeric_limits<qint64>::min(), zone.offsetFromUtc(from)});
    for (const QTimeZone::OffsetData& t :
         zone.transitions(from, QDateTime::fromSecsSinceEpoch(toUtc, Qt::UTC)))
        changes_.append({t.atUtc.toSecsSinceEpoch(), t.offsetFromUtc});
}

qint64 LocalClock::local(qint64 utc) const {
    auto it = std::upper_bound(changes_.cbegin(), changes_.cend(), utc,
                               [](qint64 t, const Change& c) { return t < c.at; });
    return utc + std::prev(it)->offset;
}

qint64 LocalClock::dayStart(const QDate& day, const QTimeZone& zone) {
    return QDateTime(day, QTime(0, 0), zone).toSecsSinceEpoch();
}

int commonSlotSeconds(const QList<domain::Slot>& data) {
    QHash<int, qint64> counts;
    for (const domain::Slot& s : data)
        ++counts[s.seconds];
    int best = 1800;
    qint64 most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most || (it.value() == most && it.key() < best))
            best = it.key(), most = it.value();
    return best;
}

QList<domain::Slot> slotsBetween(const QList<domain::Slot>& data, qint64 from, qint64 to) {
    const auto first = firstFrom(data, from);
    const auto last = firstFrom(data, to);
    return first < last ? data.mid(first - data.cbegin(), last - first) : QList<domain::Slot>();
}

QList<DayTotal> dailyTotals(const QList<domain::Slot>& imports, const QList<domain::Slot>& exports,
                            const QTimeZone& zone, const QDate& from, const QDate& to) {
    const qint64 days = std::max<qint64>(0, from.daysTo(to));
    QList<DayTotal> out(days);
    for (qint64 d = 0; d < days; ++d)
        out[d].day = from.addDays(d);
    if (days == 0)
        return out;
    const qint64 start = LocalClock::dayStart(from, zone), end = LocalClock::dayStart(to, zone);
    const LocalClock clock(zone, start, end);
    const qint64 firstDay = from.toJulianDay();
    auto add = [&](const QList<domain::Slot>& data, bool imported) {
        for (auto it = firstFrom(data, start); it != data.cend() && it->start < end; ++it) {
            const qint64 d = localDate(clock.local(it->start)).toJulianDay() - firstDay;
            if (d < 0 || d >= days)
                continue;
            (imported ? out[d].imported : out[d].exported) += it->kwh;
            ++(imported ? out[d].importSlots : out[d].exportSlots);
        }
    };
    add(imports, true);
    add(exports, false);
    // A week's mean over the days of it that have data, so a gap does not pull it to zero.
    for (qint64 d = 0; d < days; ++d) {
        double sum = 0;
        int n = 0;
        for (qint64 k = std::max<qint64>(0, d - 6); k <= d; ++k)
            if (out[k].importSlots > 0)
                sum += out[k].imported, ++n;
        if (n > 0)
            out[d].average = sum / n;
    }
    return out;
}

QString HeatMap::describe(int d, int row) const {
    const HeatCell& c = at(d, row);
    const QString when = QLocale().toString(day(d), QStringLiteral("ddd d MMM yyyy")) +
                         QStringLiteral(", ") + clockText(row * slotSeconds) + QChar(0x2013) +
                         clockText((row + 1) * slotSeconds) + QStringLiteral(": ");
    switch (c.state) {
    case HeatCell::Skipped:
        return when + QStringLiteral("this time did not happen (the clocks went forward)");
    case HeatCell::Missing:
        return when + QStringLiteral("missing");
    case HeatCell::NoData:
        return when + QStringLiteral("no data");
    case HeatCell::Value:
        break;
    }
    QString text = when + QLocale().toString(double(c.kwh), 'f', 3) + QStringLiteral(" kWh");
    if (c.instances == 2)
        text += c.present == 2
                    ? QStringLiteral(" (this time came twice, the clocks went back: both slots "
                                     "added)")
                    : QStringLiteral(" (this time came twice, the clocks went back: one of the "
                                     "two slots is missing)");
    return text;
}

HeatMap heatMap(const QList<domain::Slot>& data, const QTimeZone& zone, const QDate& from,
                const QDate& to, int slotSeconds, qint64 spanFrom, qint64 spanTo) {
    HeatMap map;
    map.from = from;
    map.slotSeconds = std::clamp(slotSeconds, 60, int(Day));
    map.rows = int(Day / map.slotSeconds);
    map.days = int(std::max<qint64>(0, from.daysTo(to)));
    map.cells.resize(qsizetype(map.days) * map.rows);
    if (map.days == 0)
        return map;
    const qint64 step = map.slotSeconds;
    const qint64 start = LocalClock::dayStart(from, zone), end = LocalClock::dayStart(to, zone);
    const LocalClock clock(zone, start, end);
    const qint64 n = std::max<qint64>(0, (end - start + step - 1) / step);
    const qint64 firstDay = from.toJulianDay();

    // Every instant of the range falls in one cell; an autumn day's repeated time gets two.
    QList<qint32> cellOf(n, -1);
    QList<quint8> covered(map.cells.size(), 0);
    for (qint64 i = 0; i < n; ++i) {
        const qint64 u = start + i * step;
        const qint64 local = clock.local(u);
        const qint64 d = localDate(local).toJulianDay() - firstDay;
        if (d < 0 || d >= map.days)
            continue;
        const qint32 c = qint32(d * map.rows + secondOfDay(local) / step);
        cellOf[i] = c;
        ++map.cells[c].instances;
        if (u >= spanFrom && u < spanTo)
            ++covered[c];
    }
    QList<double> kwh(n, 0.0);
    QList<bool> has(n, false);
    for (auto it = firstFrom(data, start); it != data.cend() && it->start < end; ++it) {
        const qint64 first = (it->start - start) / step;
        const qint64 parts = std::max<qint64>(1, it->seconds / step);
        for (qint64 k = 0; k < parts && first + k < n; ++k) {
            kwh[first + k] += it->kwh / double(parts);
            has[first + k] = true;
        }
    }
    for (qint64 i = 0; i < n; ++i)
        if (has[i] && cellOf[i] >= 0) {
            HeatCell& c = map.cells[cellOf[i]];
            c.kwh += float(kwh[i]);
            ++c.present;
        }
    for (qsizetype c = 0; c < map.cells.size(); ++c) {
        HeatCell& cell = map.cells[c];
        if (cell.instances == 0)
            cell.state = HeatCell::Skipped;
        else if (cell.present > 0)
            cell.state = HeatCell::Value, map.maximum = std::max(map.maximum, double(cell.kwh));
        else
            cell.state = covered[c] > 0 ? HeatCell::Missing : HeatCell::NoData;
    }
    return map;
}

AverageDay averageDay(const HeatMap& map) {
    AverageDay out;
    out.slotSeconds = map.slotSeconds;
    QList<double> sum[2] = {QList<double>(map.rows, 0.0), QList<double>(map.rows, 0.0)};
    QList<int> count[2] = {QList<int>(map.rows, 0), QList<int>(map.rows, 0)};
    for (int d = 0; d < map.days; ++d) {
        const int weekend = map.day(d).dayOfWeek() >= 6 ? 1 : 0;
        for (int r = 0; r < map.rows; ++r) {
            const HeatCell& c = map.at(d, r);
            // Per slot: the autumn day's repeated time holds two of them.
            if (c.state == HeatCell::Value && c.present == c.instances)
                sum[weekend][r] += double(c.kwh) / c.instances, ++count[weekend][r];
        }
    }
    for (int w = 0; w < 2; ++w) {
        QList<std::optional<double>>& line = w == 0 ? out.weekday : out.weekend;
        line.resize(map.rows);
        for (int r = 0; r < map.rows; ++r)
            if (count[w][r] > 0)
                line[r] = sum[w][r] / count[w][r];
    }
    return out;
}

Coverage coverage(const QList<domain::Slot>& data, const QTimeZone& zone) {
    Coverage c;
    if (data.isEmpty())
        return c;
    c.slotSeconds = commonSlotSeconds(data);
    c.first = data.front().start;
    c.last = data.back().start;
    c.count = data.size();
    qint64 until = c.first;
    for (const domain::Slot& s : data)
        until = std::max(until, s.end());
    c.end = until;
    const LocalClock clock(zone, c.first, c.end);
    QSet<QDate> missing, estimated;
    qint64 cursor = c.first;
    for (const domain::Slot& s : data) {
        for (; cursor + c.slotSeconds <= s.start; cursor += c.slotSeconds) {
            ++c.missing;
            missing.insert(localDate(clock.local(cursor)));
        }
        cursor = std::max(cursor, s.end());
        if (s.estimated) {
            ++c.estimated;
            estimated.insert(localDate(clock.local(s.start)));
        }
    }
    c.missingDays = missing.values();
    c.estimatedDays = estimated.values();
    std::sort(c.missingDays.begin(), c.missingDays.end());
    std::sort(c.estimatedDays.begin(), c.estimatedDays.end());
    return c;
}

QList<BandRun> bandRuns(const domain::TouTariff& tariff, const QDate& day, int stepSeconds) {
    QList<BandRun> runs;
    const QDate next = day.addDays(1);
    // The pricing itself says which band each step falls in: one kWh priced at a time, so the
    // shading can never disagree with the bill.
    if (stepSeconds <= 0 ||
        std::holds_alternative<domain::TouRefusal>(domain::priceSlots(tariff, {}, {}, day, next)))
        return runs;
    const QTimeZone zone = tariff.zone.isValid() ? tariff.zone : QTimeZone::systemTimeZone();
    const qint64 start = LocalClock::dayStart(day, zone);
    const qint64 end = LocalClock::dayStart(next, zone);
    const LocalClock clock(zone, start, end);
    for (qint64 u = start; u < end; u += stepSeconds) {
        const int wall = secondOfDay(clock.local(u));
        QString name;
        const auto priced =
            domain::priceSlots(tariff, {domain::Slot{u, stepSeconds, 1.0, false}}, {}, day, next);
        if (const auto* bill = std::get_if<domain::TouBill>(&priced)) {
            double most = 0;
            for (const domain::BandFigures& b : bill->bands)
                if (b.kwh > most)
                    most = b.kwh, name = b.name;
        }
        if (!runs.isEmpty() && runs.back().name == name && runs.back().toSecond == wall)
            runs.back().toSecond = wall + stepSeconds;
        else
            runs.append({name, wall, wall + stepSeconds});
    }
    return runs;
}

} // namespace records::usage
