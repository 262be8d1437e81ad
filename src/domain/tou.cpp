// SPDX-License-Identifier: GPL-3.0-or-later
#include "domain/tou.h"

#include "text/values.h"

#include <QDateTime>
#include <QHash>
#include <algorithm>
#include <limits>

namespace domain {

namespace {

constexpr qint64 Day = 86400;
constexpr qint64 EpochJulianDay = 2440588; // 1970-01-01
// Beyond this a range is a slip, and the per-day tables stay small.
constexpr qint64 MaxDays = 366 * 200;

qint64 floorDiv(qint64 a, qint64 b) {
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The zone's offset at any instant of the range, from its transitions: one lookup per
// segment instead of a time-zone query.
class Offsets {
  public:
    Offsets(const QTimeZone& zone, qint64 lo, qint64 hi) {
        const QDateTime start = QDateTime::fromSecsSinceEpoch(lo, Qt::UTC);
        base_ = zone.offsetFromUtc(start);
        if (zone.hasTransitions()) {
            for (const QTimeZone::OffsetData& t :
                 zone.transitions(start, QDateTime::fromSecsSinceEpoch(hi, Qt::UTC)))
                changes_.append({t.atUtc.toSecsSinceEpoch(), t.offsetFromUtc});
        }
    }
    // The offset at t and the next instant it may change (or `none`).
    int at(qint64 t, qint64* next) const {
        const auto after = std::upper_bound(changes_.cbegin(), changes_.cend(), t,
                                            [](qint64 v, const Change& c) { return v < c.at; });
        *next = after == changes_.cend() ? std::numeric_limits<qint64>::max() : after->at;
        return after == changes_.cbegin() ? base_ : (after - 1)->offset;
    }

  private:
    struct Change {
        qint64 at;
        int offset;
    };
    int base_ = 0;
    QList<Change> changes_;
};

struct BandRule {
    int from = 0, to = 0; // seconds of the day; equal: the whole day
    quint8 weekdays = 0;
    bool holidays = false;
    int figure = 0; // index into the bill's bands
    const Band* band = nullptr;

    bool coversDay(quint8 weekdayBit, bool holiday) const {
        if (weekdays == 0 && !holidays)
            return true;
        return (weekdays & weekdayBit) != 0 || (holidays && holiday);
    }
    bool coversTime(int s) const {
        if (from == to)
            return true;
        return from < to ? (s >= from && s < to) : (s >= from || s < to);
    }
};

struct PeriodRules {
    QList<BandRule> bands;
    QList<int> edges; // the bands' times of day, sorted, without 0
};

// What every local day of the range needs: its period and what its bands ask of a day.
struct DayInfo {
    int period = -1;
    quint8 weekdayBit = 0;
    bool holiday = false;
    double energy = 0, credit = 0, kwh = 0; // pence, pence, kWh
};

// The entry of the series that covers t, or null.
const SeriesPrice* priceAt(const PriceSeries& series, qint64 t) {
    const auto after = std::upper_bound(series.prices.cbegin(), series.prices.cend(), t,
                                        [](qint64 v, const SeriesPrice& p) { return v < p.start; });
    if (after == series.prices.cbegin())
        return nullptr;
    const SeriesPrice* p = &*(after - 1);
    return (!p->end || t < *p->end) ? p : nullptr;
}

QString moment(qint64 t, const QTimeZone& zone) {
    return QDateTime::fromSecsSinceEpoch(t, zone).toString(Qt::ISODate);
}

int secondsOf(const QTime& t) {
    return t.msecsSinceStartOfDay() / 1000;
}

} // namespace

std::variant<TouBill, TouRefusal> priceSlots(const TouTariff& tariff, const QList<Slot>& imports,
                                             const QList<Slot>& exports, const QDate& from,
                                             const QDate& to) {
    if (!from.isValid() || !to.isValid() || to <= from)
        return TouRefusal{QStringLiteral("the range has no days")};
    if (tariff.periods.isEmpty())
        return TouRefusal{QStringLiteral("the tariff has no periods")};
    if (from < tariff.periods.first().from)
        return TouRefusal{
            QStringLiteral("the range starts on %1, before the tariff's first "
                           "period (%2)")
                .arg(values::isoDate(from), values::isoDate(tariff.periods.first().from))};
    const qint64 days = from.daysTo(to);
    if (days > MaxDays)
        return TouRefusal{QStringLiteral("the range is longer than 200 years")};
    const QTimeZone& zone = tariff.zone;
    const qint64 rangeStart = from.startOfDay(zone).toSecsSinceEpoch();
    const qint64 rangeEnd = to.startOfDay(zone).toSecsSinceEpoch();
    const qint64 firstDay = from.toJulianDay() - EpochJulianDay;

    TouBill bill;
    bill.from = from;
    bill.to = to;

    // The bands of every period, one figure per band name in order of first mention.
    QHash<QString, int> figureOf;
    QList<PeriodRules> rules;
    for (const TouPeriod& p : tariff.periods) {
        PeriodRules r;
        for (const Band& b : p.bands) {
            BandRule rule;
            rule.band = &b;
            if (b.from && b.to) {
                rule.from = secondsOf(*b.from);
                rule.to = secondsOf(*b.to);
            }
            rule.weekdays = b.weekdays;
            rule.holidays = b.holidays;
            auto known = figureOf.constFind(b.name);
            if (known == figureOf.cend()) {
                known = figureOf.insert(b.name, int(bill.bands.size()));
                bill.bands.append({b.name, 0, 0});
            }
            rule.figure = *known;
            for (int e : {rule.from, rule.to})
                if (e != 0 && !r.edges.contains(e))
                    r.edges.append(e);
            r.bands.append(rule);
        }
        std::sort(r.edges.begin(), r.edges.end());
        rules.append(r);
    }

    QList<DayInfo> day(days);
    {
        int period = 0;
        for (qint64 i = 0; i < days; ++i) {
            const QDate d = from.addDays(i);
            while (period + 1 < tariff.periods.size() && tariff.periods[period + 1].from <= d)
                ++period;
            day[i].period = period;
            day[i].weekdayBit = quint8(1u << (d.dayOfWeek() - 1));
            day[i].holiday = tariff.holidays.contains(d);
        }
    }

    // A day either side, so that an instant near an edge still finds its offset.
    const Offsets offsets(zone, rangeStart - 2 * Day, rangeEnd + 2 * Day);

    // Walks the slots through stretches of one price each: a stretch ends at a band's edge,
    // local midnight, a change of offset, the end of a series price, or the slot's end.
    auto walk = [&](const QList<Slot>& given, bool exporting) -> std::optional<TouRefusal> {
        QList<Slot> sorted;
        const QList<Slot>* list = &given;
        if (!std::is_sorted(given.cbegin(), given.cend(),
                            [](const Slot& a, const Slot& b) { return a.start < b.start; })) {
            sorted = given;
            std::sort(sorted.begin(), sorted.end(),
                      [](const Slot& a, const Slot& b) { return a.start < b.start; });
            list = &sorted;
        }
        for (const Slot& slot : *list) {
            if (slot.seconds <= 0)
                continue;
            qint64 t = std::max(slot.start, rangeStart);
            const qint64 end = std::min(slot.end(), rangeEnd);
            while (t < end) {
                qint64 next = end;
                qint64 change;
                const int offset = offsets.at(t, &change);
                next = std::min(next, change);
                const qint64 wall = t + offset;
                const qint64 localDays = floorDiv(wall, Day);
                const int localSecond = int(wall - localDays * Day);
                next = std::min(next, t + (Day - localSecond));
                const qint64 index = localDays - firstDay;
                if (index < 0 || index >= days)
                    break; // outside the range's days: an odd zone at its edge
                DayInfo& info = day[index];
                const TouPeriod& period = tariff.periods[info.period];

                double price = 0;
                const PriceSeries* series = nullptr;
                int figure = -1;
                if (exporting) {
                    if (period.exportSeries >= 0)
                        series = &tariff.series[period.exportSeries];
                    else if (period.exportPrice)
                        price = *period.exportPrice;
                } else {
                    const PeriodRules& r = rules[info.period];
                    const int clock =
                        tariff.utcClock ? int(t - floorDiv(t, Day) * Day) : localSecond;
                    if (tariff.utcClock)
                        next = std::min(next, t + (Day - clock));
                    const auto edge = std::upper_bound(r.edges.cbegin(), r.edges.cend(), clock);
                    if (edge != r.edges.cend())
                        next = std::min(next, t + (*edge - clock));
                    const BandRule* rule = nullptr;
                    for (const BandRule& b : r.bands) {
                        if (b.coversDay(info.weekdayBit, info.holiday) && b.coversTime(clock)) {
                            rule = &b;
                            break;
                        }
                    }
                    if (!rule)
                        return TouRefusal{QStringLiteral("no price at ") + moment(t, zone)};
                    figure = rule->figure;
                    if (rule->band->series >= 0)
                        series = &tariff.series[rule->band->series];
                    else
                        price = rule->band->price.value_or(0);
                }
                if (series) {
                    const SeriesPrice* p = priceAt(*series, t);
                    if (!p)
                        return TouRefusal{(exporting ? QStringLiteral("no export price at ")
                                                     : QStringLiteral("no price at ")) +
                                          moment(t, zone)};
                    price = p->price;
                    if (p->end)
                        next = std::min(next, *p->end);
                }

                const double kwh = next - t == slot.seconds
                                       ? slot.kwh
                                       : slot.kwh * double(next - t) / double(slot.seconds);
                if (exporting) {
                    info.credit += kwh * price;
                } else {
                    info.energy += kwh * price;
                    info.kwh += kwh;
                    bill.bands[figure].kwh += kwh;
                    bill.bands[figure].cost += kwh * price;
                }
                t = next;
            }
        }
        return std::nullopt;
    };
    if (auto refused = walk(imports, false))
        return *refused;
    if (auto refused = walk(exports, true))
        return *refused;
    for (BandFigures& b : bill.bands)
        b.cost /= 100;

    // Pieces: the range's days under each period, each rounded once.
    qint64 pence = 0;
    double energy = 0, standing = 0, vat = 0, credit = 0;
    for (qint64 i = 0; i < days;) {
        const int p = day[i].period;
        qint64 j = i;
        TouPiece piece;
        while (j < days && day[j].period == p) {
            piece.energy += day[j].energy;
            piece.exportCredit += day[j].credit;
            ++j;
        }
        const TouPeriod& period = tariff.periods[p];
        piece.from = from.addDays(i);
        piece.to = from.addDays(j);
        piece.days = j - i;
        piece.standing = double(piece.days) * period.standing;
        const double charges = piece.energy + piece.standing;
        piece.vat = charges * period.vat / 100;
        const double hundredths =
            values::roundHalfAway(charges + piece.vat - piece.exportCredit, 0);
        pence += qint64(hundredths);
        piece.cost = hundredths / 100;
        energy += piece.energy;
        standing += piece.standing;
        vat += piece.vat;
        credit += piece.exportCredit;
        piece.energy /= 100;
        piece.standing /= 100;
        piece.vat /= 100;
        piece.exportCredit /= 100;
        bill.pieces.append(piece);
        i = j;
    }
    bill.total = double(pence) / 100;
    bill.energy = values::roundHalfAway(energy, 0) / 100;
    bill.standing = values::roundHalfAway(standing, 0) / 100;
    bill.vat = values::roundHalfAway(vat, 0) / 100;
    bill.exportCredit = values::roundHalfAway(credit, 0) / 100;
    bill.costPerDay = bill.total / double(days);

    // Months: each local month's charges with their VAT, less its export credit.
    for (qint64 i = 0; i < days;) {
        const QDate d = from.addDays(i);
        const QDate month(d.year(), d.month(), 1);
        const qint64 j = std::min(days, from.daysTo(month.addMonths(1)));
        MonthFigures m;
        m.month = month;
        double charges = 0;
        for (qint64 k = i; k < j; ++k) {
            const TouPeriod& period = tariff.periods[day[k].period];
            charges += (day[k].energy + period.standing) * (1 + period.vat / 100) - day[k].credit;
            m.kwh += day[k].kwh;
        }
        m.total = values::roundHalfAway(charges, 0) / 100;
        bill.months.append(m);
        i = j;
    }
    return bill;
}

} // namespace domain
