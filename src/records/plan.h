// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "domain/plan.h"
#include "records/historyperiods.h"
#include "records/readingchecks.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <variant>

// Tariff plan files and bills under a plan, shared by the window and the command-line tool.
//
// A plan is CSV: UTF-8, a header row, "." decimals, ISO dates, one row per price period:
//   from,unit_p_per_kwh,standing_p_per_day,cheap_p_per_kwh,export_p_per_kwh,vat_percent
// Columns may stand in any order; the cheap, export and VAT cells may be empty (none, VAT 0).
namespace records::plan {

// Why a plan was refused: the line (1-based; 0 for the file as a whole) and column it names.
struct PlanError {
    qsizetype line = 0;
    QString column; // empty when the fault is not in one column
    QString reason;
    // "Line 3, column unit_p_per_kwh: "abc" is not a number"
    QString text() const;
};

// The plan in the bytes, or the first fault found; a plan with one bad row is refused whole.
std::variant<domain::TariffPlan, PlanError> parsePlan(QByteArrayView bytes);

// A plan file read and parsed; the message names the file.
struct PlanFile {
    std::optional<domain::TariffPlan> plan;
    std::optional<QByteArray> bytes; // as read, when it could be read
    QString message;                 // why there is no plan
    bool unreadable = false;         // the file itself could not be read
    QString fault;                   // why, when it is not a regular file or too large to be a plan
};
PlanFile readPlanFile(const QString& path);

// The plan as a file again: the header in the documented order, then one row per price.
QByteArray planCsv(const domain::TariffPlan& plan);

// The readings typed for a bill under a plan; the export pair is optional.
struct PlanReadingTexts {
    ReadingTexts readings;
    QString export1;
    QString export2;
};

// The checks of the window's readings (the same messages), the export readings, and then the
// pricing; every message when the bill is refused.
std::variant<domain::PlanBill, QStringList> planBill(const domain::TariffPlan& plan,
                                                     const PlanReadingTexts& texts,
                                                     const QLocale& locale = QLocale());

// The message for a period the plan cannot price, dates in the short date form.
QString refusalText(const domain::TariffPlan& plan, const domain::PlanPricing& pricing,
                    const QLocale& locale = QLocale());

// A saved period's readings as plan usage (no export: the history keeps none).
domain::PlanUsage usageOf(const domain::MeterReadings& readings);

// Each saved period priced under its own tariff and under the plan; a period the plan cannot
// price has no other total. `periods` must outlive the result.
Comparison comparePlan(const QList<Period>& periods, const domain::TariffPlan& plan);

// The pieces as CSV (ISO dates, "." decimals, LF): from, to, days, normal_units, unit_p_per_kwh,
// standing_p_per_day, cheap_units, cheap_p_per_kwh, export_units, export_p_per_kwh,
// vat_percent, cost; a last row "total".
QByteArray billCsv(const domain::PlanBill& bill);

} // namespace records::plan
