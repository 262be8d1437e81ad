// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "domain/bill.h"

#include <QByteArrayView>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

// The saved history as periods: the history log's data lines read back into records, one
// period between each record and the next, its figures worked out again by the domain from the
// tariff the closing line keeps. Shared by the command-line tool and the history window.
namespace records {

// One data line of the history log. A start record has its readings and no tariff.
struct LogRecord {
    domain::HistoryRecord record;
    bool start = false;
    qsizetype line = 0; // 1-based line number in the log
};

// The data lines of the log's bytes, in file order. Header blocks, column-header blocks and
// lines of other layouts are skipped as Get Last skips them; no input makes it fail.
QList<LogRecord> parseHistory(QByteArrayView bytes, const QLocale& locale = QLocale());
// One line, or nothing when it is not a data line.
std::optional<LogRecord> parseHistoryLine(QStringView line, const QLocale& locale = QLocale());

// What a period's bill comes to: the bill without the tariff and readings the period keeps
// once, and without a prediction (a long history holds many periods).
struct PeriodBill {
    domain::Usage usage;
    domain::Costs costs;
    double co2 = 0;
    double unitsPerDay = 0;
    double costPerDay = 0;
};

// From one record to the next. The bill is that of the readings of both records under the
// closing record's tariff, with the fixed charge per period taken back from the line's total
// and the given CO2 factor; empty when the two records make no bill (a date not after the
// other, a reading out of range).
struct Period {
    domain::MeterReadings readings;
    domain::Tariff tariff; // the closing record's, per period
    std::optional<PeriodBill> bill;
    qsizetype line = 0; // the closing record's line
};

// The fixed charge per period that makes the bill's total fixed charges the stored amount.
QList<Period> historyPeriods(const QList<LogRecord>& records, double co2,
                             const QLocale& locale = QLocale());
// The same straight from the log's bytes, without the records kept in between.
QList<Period> historyPeriods(QByteArrayView bytes, double co2, const QLocale& locale = QLocale());

// The bill of a period's readings under another tariff (its prediction left out).
std::optional<domain::Bill> billUnder(const domain::Tariff& tariff,
                                      const domain::MeterReadings& readings,
                                      const QLocale& locale = QLocale());

// The columns of a period row, in order. Dates are QDate; readings, units, money (in the
// currency, discounts positive when taken, a credit total negative) and CO2 (whole kg) are
// double; a cell with no value (no cheap reading, no bill) is a null QVariant.
enum class Column {
    From,
    To,
    Days,
    NormalFrom,
    NormalTo,
    CheapFrom,
    CheapTo,
    NormalUnits,
    CheapUnits,
    UnitsPerDay,
    Rate1Units,
    Rate2Units,
    Rate1Cost,
    Rate2Cost,
    CheapCost,
    FixedCharges,
    Discount1,
    Vat,
    Discount2,
    Total,
    CostPerDay,
    Co2,
};
constexpr int ColumnCount = int(Column::Co2) + 1;
// "from", "to", "days", "normal_from", ... "co2": CSV header, JSON keys.
QString columnName(Column c);
QStringList columnNames();
QVariant periodValue(const Period& p, Column c);
// The value of a number column (not From or To), or nothing.
std::optional<double> periodNumber(const Period& p, Column c);

// Each period priced under its own tariff and under another one.
struct ComparedPeriod {
    const Period* period = nullptr;
    std::optional<double> own;   // total under the stored tariff
    std::optional<double> other; // total under the other tariff
    std::optional<double> difference() const;
};
struct Comparison {
    QList<ComparedPeriod> rows;
    double own = 0; // sums over the periods that have both totals
    double other = 0;
    double difference() const { return other - own; }
};
// `periods` must outlive the result; `other` gives a period's other total, or nothing.
Comparison compareWith(const QList<Period>& periods,
                       const std::function<std::optional<double>(const Period&)>& other);
// The other tariff's prediction is ignored.
Comparison compareTariff(const QList<Period>& periods, const domain::Tariff& other,
                         const QLocale& locale = QLocale());

} // namespace records
