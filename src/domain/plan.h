// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QList>
#include <optional>

// A dated tariff plan: prices that change on given dates, as bills state them today (a unit
// rate and a standing charge per day, before VAT). Beside the window's tariff, not instead of
// it. Prices are in hundredths of the currency unit (pence, cents); costs come out in the
// currency unit, rounded to hundredths.
namespace domain {

// The prices in force from `from` until the next row's date.
struct PriceRow {
    QDate from;
    double unit = 0;     // per unit (kWh)
    double standing = 0; // per day
    std::optional<double> cheap;
    std::optional<double> exportRate; // paid per unit exported, no VAT
    double vat = 0;                   // percent
};

// Rows in date order, no two on one date (the plan reader refuses anything else).
struct TariffPlan {
    QList<PriceRow> rows;
    // The row in force on `day`, or nothing before the first row.
    const PriceRow* rowOn(const QDate& day) const;
};

// What the meters say for one reading period. The readings say nothing finer than the whole
// period, so the units are shared between price periods in proportion to their days.
struct PlanUsage {
    QDate from;
    QDate to;
    double normalUnits = 0;
    double cheapUnits = 0;
    double exportUnits = 0;
};

// One stretch of the reading period under one price row.
struct PlanPiece {
    QDate from;
    QDate to; // the next piece's first day, or the second reading's date
    qint64 days = 0;
    double normalUnits = 0;
    double cheapUnits = 0;
    double exportUnits = 0;
    PriceRow price;
    double cost = 0; // VAT added, export credited; rounded to hundredths
};

struct PlanBill {
    PlanUsage usage;
    qint64 days = 0;
    QList<PlanPiece> pieces;
    double total = 0;                  // the sum of the pieces' costs
    double costPerDay = 0;             // unrounded
    std::optional<double> costPerUnit; // over normal and cheap units; none without units
};

// Why a period cannot be priced under a plan.
enum class PlanRefusal {
    BeforeFirstRow, // the period starts before the plan's first date
    NoCheapRate,    // cheap units fall in a price period without a cheap rate
    NotAfter,       // the second date is not after the first
};

struct PlanPricing {
    std::optional<PlanBill> bill;
    PlanRefusal refusal = PlanRefusal::BeforeFirstRow;
    QDate refusedFrom; // the piece's first day, for NoCheapRate
};

// Prices the usage under the plan: the days split at each row's date, each piece charged
// units x its unit rate (and cheap rate) + days x its standing charge, VAT added at its rate,
// export units credited at its export rate, and the piece rounded to hundredths once.
PlanPricing pricePlan(const TariffPlan& plan, const PlanUsage& usage);

} // namespace domain
