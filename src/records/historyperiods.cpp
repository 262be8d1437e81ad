// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/historyperiods.h"

#include "records/logformat.h"
#include "records/tariffchecks.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/values.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace records {

namespace {

// Where each column of a history line starts (0-based) and how wide it is; columns are
// ", "-separated and right-aligned, so a longer text lost its first characters.
struct Span {
    qsizetype at;
    qsizetype width;
};
constexpr Span NormalRate1{31, 7};
constexpr Span NormalRate2{40, 7};
constexpr Span BreakKind{49, 1};
constexpr Span BreakPoint{50, 5};
constexpr Span CheapRate{57, 7};
constexpr Span FixedTotal{66, 7};
constexpr Span VatRate{75, 5};
constexpr Span Discount1{82, 6};
constexpr Span Disc2Kind{90, 2};
constexpr Span Discount2{92, 6};
constexpr Span TimeKind{100, 4};
constexpr qsizetype LineWidth = 104;

QString column(QStringView line, Span s) {
    return line.mid(s.at, s.width).trimmed().toString();
}

double number(const QString& text, const QLocale& locale) {
    return values::leadingValue(text, locale);
}

// The locale's currency prefix and symbol, looked up once per log.
struct Currency {
    explicit Currency(const QLocale& locale)
        : prefix(values::currencyPrefix(locale)), symbol(values::currencySymbol(locale)) {}
    QString prefix;
    QString symbol;
};

// The record of a data line (as isDataLine tells them, each column read once).
std::optional<LogRecord> parseDataLine(QStringView line, const QLocale& locale,
                                       const Currency& currency) {
    const auto money = [&](const QString& text) {
        return values::leadingValue(withoutSymbol(text, currency.prefix, currency.symbol), locale);
    };
    const double normal = readingColumn(line, 14, locale);
    const double cheap = readingColumn(line, 23, locale);
    if (normal <= 1 && cheap <= 1)
        return std::nullopt;
    const auto date = values::readDate(dateColumn(line), locale);
    if (!date)
        return std::nullopt;
    LogRecord r;
    domain::HistoryRecord& h = r.record;
    h.date = *date;
    h.normalReading = normal;
    if (!line.mid(22, 7).trimmed().isEmpty())
        h.cheapReading = cheap;
    r.start = column(line, NormalRate1).isEmpty();
    if (r.start)
        return r;

    using namespace domain;
    Tariff& t = h.tariff;
    t.normalRate1 = money(column(line, NormalRate1));
    t.normalRate2 = money(column(line, NormalRate2));
    t.breakMode = column(line, BreakKind) == u"D"_s ? BreakMode::PerDay : BreakMode::PerPeriod;
    t.breakPoint = number(column(line, BreakPoint), locale);
    t.cheapRate = money(column(line, CheapRate));
    h.fixedCharges = money(column(line, FixedTotal));
    t.vat = number(column(line, VatRate), locale);
    const QString disc1 = column(line, Discount1);
    t.discount1Mode = disc1.endsWith(u'%') ? Disc1Mode::Percent : Disc1Mode::Amount;
    t.discount1 = money(disc1);
    t.discount2Mode = column(line, Disc2Kind) == u"F"_s ? Disc2Mode::Fixed : Disc2Mode::PerPeriod;
    t.discount2 = money(column(line, Discount2));
    t.period = column(line, TimeKind) == u"Mon"_s ? PeriodKind::Monthly : PeriodKind::Quarterly;
    return r;
}

std::optional<domain::Bill> billWith(const domain::Tariff& tariff,
                                     const domain::MeterReadings& readings, int decimals) {
    if (!readings.date1.isValid() || !readings.date2.isValid() || readings.date2 <= readings.date1)
        return std::nullopt;
    domain::Tariff t = tariff;
    t.predictionPeriods = 0;
    try {
        return domain::computeBill(t, readings, decimals);
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<LogRecord> parseHistoryLine(QStringView line, const QLocale& locale) {
    return parseDataLine(line, locale, Currency(locale));
}

namespace {

// Calls `f` with each data line's record, in file order.
template <class F> void forEachRecord(QByteArrayView bytes, const QLocale& locale, F f) {
    const Currency currency(locale);
    qsizetype number = 0;
    lines::forEachLine(bytes, [&](QByteArrayView line) {
        ++number;
        // Only the columns are decoded: an enormous line costs no more than a short one.
        const QString text = lines::decode(line.first(std::min(line.size(), LineWidth)));
        if (auto r = parseDataLine(text, locale, currency)) {
            r->line = number;
            f(*r);
        }
    });
}

// The period from one record to the next, appended, unless the next one starts anew.
void appendPeriod(QList<Period>& out, const LogRecord& from, const LogRecord& to, double co2,
                  int decimals) {
    if (to.start)
        return;                    // a new start: no period ends here
    Period& p = out.emplaceBack(); // in place: a long history has many and they are large
    p.line = to.line;
    p.readings.date1 = from.record.date;
    p.readings.date2 = to.record.date;
    p.readings.normal1 = from.record.normalReading;
    p.readings.normal2 = to.record.normalReading;
    p.readings.cheap1 = from.record.cheapReading;
    p.readings.cheap2 = to.record.cheapReading;
    p.tariff = to.record.tariff;
    p.tariff.co2 = co2;
    p.tariff.fixedCharge = 0;
    // The line keeps the bill's fixed charges; the charge per period was a two-decimal amount,
    // which the total over the bill's whole number of periods gives back.
    if (p.readings.date2 > p.readings.date1) {
        const double periods =
            domain::chargedPeriods(p.readings.date1, p.readings.date2, p.tariff.period);
        if (periods > 0)
            p.tariff.fixedCharge = values::roundHalfAway(to.record.fixedCharges / periods, 2);
    }
    if (const auto bill = billWith(p.tariff, p.readings, decimals))
        p.bill =
            PeriodBill{bill->usage, bill->costs, bill->co2, bill->unitsPerDay, bill->costPerDay};
}

} // namespace

QList<LogRecord> parseHistory(QByteArrayView bytes, const QLocale& locale) {
    QList<LogRecord> out;
    forEachRecord(bytes, locale, [&](const LogRecord& r) { out.append(r); });
    return out;
}

std::optional<domain::Bill> billUnder(const domain::Tariff& tariff,
                                      const domain::MeterReadings& readings,
                                      const QLocale& locale) {
    return billWith(tariff, readings, values::currencyDecimals(locale));
}

QList<Period> historyPeriods(const QList<LogRecord>& records, double co2, const QLocale& locale) {
    const int decimals = values::currencyDecimals(locale);
    QList<Period> out;
    out.reserve(records.size());
    for (qsizetype i = 1; i < records.size(); ++i)
        appendPeriod(out, records.at(i - 1), records.at(i), co2, decimals);
    return out;
}

QList<Period> historyPeriods(QByteArrayView bytes, double co2, const QLocale& locale) {
    const int decimals = values::currencyDecimals(locale);
    QList<Period> out;
    out.reserve(bytes.size() / (LineWidth + 2) + 1); // about one a full-width line
    std::optional<LogRecord> previous;
    forEachRecord(bytes, locale, [&](const LogRecord& r) {
        if (previous)
            appendPeriod(out, *previous, r, co2, decimals);
        previous = r;
    });
    return out;
}

QString columnName(Column c) {
    static const QStringList names = {u"from"_s,         u"to"_s,
                                      u"days"_s,         u"normal_from"_s,
                                      u"normal_to"_s,    u"cheap_from"_s,
                                      u"cheap_to"_s,     u"normal_units"_s,
                                      u"cheap_units"_s,  u"units_per_day"_s,
                                      u"rate1_units"_s,  u"rate2_units"_s,
                                      u"rate1_cost"_s,   u"rate2_cost"_s,
                                      u"cheap_cost"_s,   u"fixed_charges"_s,
                                      u"discount1"_s,    u"vat"_s,
                                      u"discount2"_s,    u"total"_s,
                                      u"cost_per_day"_s, u"co2"_s};
    return names.value(int(c));
}

QStringList columnNames() {
    QStringList names;
    for (int c = 0; c < ColumnCount; ++c)
        names << columnName(Column(c));
    return names;
}

std::optional<double> periodNumber(const Period& p, Column c) {
    const domain::MeterReadings& m = p.readings;
    switch (c) {
    case Column::From:
    case Column::To:
        return std::nullopt;
    case Column::NormalFrom:
        return m.normal1;
    case Column::NormalTo:
        return m.normal2;
    case Column::CheapFrom:
        return m.cheap1;
    case Column::CheapTo:
        return m.cheap2;
    default:
        break;
    }
    if (!p.bill)
        return std::nullopt;
    const PeriodBill& b = *p.bill;
    switch (c) {
    case Column::Days:
        return double(b.usage.days);
    case Column::NormalUnits:
        return b.usage.normalUnits;
    case Column::CheapUnits:
        return b.usage.cheapUnits;
    case Column::UnitsPerDay:
        return b.unitsPerDay;
    case Column::Rate1Units:
        return b.usage.rate1Units;
    case Column::Rate2Units:
        return b.usage.rate2Units;
    case Column::Rate1Cost:
        return b.costs.rate1;
    case Column::Rate2Cost:
        return b.costs.rate2;
    case Column::CheapCost:
        return b.costs.cheap;
    case Column::FixedCharges:
        return b.costs.fixedCharges;
    case Column::Discount1:
        return b.costs.discount1;
    case Column::Vat:
        return b.costs.vat;
    case Column::Discount2:
        return b.costs.discount2;
    case Column::Total:
        return b.costs.total;
    case Column::CostPerDay:
        return b.costPerDay;
    case Column::Co2:
        return b.co2;
    default:
        return std::nullopt;
    }
}

QVariant periodValue(const Period& p, Column c) {
    if (c == Column::From)
        return p.readings.date1;
    if (c == Column::To)
        return p.readings.date2;
    const auto v = periodNumber(p, c);
    return v ? QVariant(*v) : QVariant();
}

std::optional<double> ComparedPeriod::difference() const {
    if (!own || !other)
        return std::nullopt;
    return *other - *own;
}

Comparison compareWith(const QList<Period>& periods,
                       const std::function<std::optional<double>(const Period&)>& other) {
    Comparison c;
    for (const Period& p : periods) {
        ComparedPeriod row;
        row.period = &p;
        if (p.bill)
            row.own = p.bill->costs.total;
        row.other = other(p);
        if (row.own && row.other) {
            c.own += *row.own;
            c.other += *row.other;
        }
        c.rows.append(row);
    }
    return c;
}

Comparison compareTariff(const QList<Period>& periods, const domain::Tariff& other,
                         const QLocale& locale) {
    const int decimals = values::currencyDecimals(locale);
    return compareWith(periods, [&](const Period& p) -> std::optional<double> {
        if (const auto b = billWith(other, p.readings, decimals))
            return b->costs.total;
        return std::nullopt;
    });
}

} // namespace records
