// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/errors.h"

#include <QDate>
#include <QLocale>
#include <optional>

// A bill as typed values. Every step rounds where the window's text fields round today, so
// that the numbers here are the numbers the window shows: money written in the locale's
// currency form is rounded to its decimals, plain numbers keep 15 significant digits, and the
// fixed formats round halves away from zero.
namespace domain {

enum class BreakMode { PerPeriod, PerDay };   // DRate unticked / ticked
enum class Disc1Mode { Amount, Percent };     // Disc1P
enum class Disc2Mode { PerPeriod, Fixed };    // Disc2F
enum class PeriodKind { Quarterly, Monthly }; // Period

struct Tariff {
    double normalRate1 = 0;
    double normalRate2 = 0;
    double breakPoint = 0; // units per period, or units per day
    BreakMode breakMode = BreakMode::PerPeriod;
    double cheapRate = 0;
    double fixedCharge = 0; // per period
    double discount1 = 0;
    Disc1Mode discount1Mode = Disc1Mode::Amount;
    double discount2 = 0;
    Disc2Mode discount2Mode = Disc2Mode::PerPeriod;
    double vat = 0;               // percent
    double co2 = 0;               // kg per unit
    double predictionPeriods = 0; // 0: no prediction
    PeriodKind period = PeriodKind::Quarterly;

    // Each value rounded as its field's format rounds it before the calculation reads it:
    // rates to 6 decimals, charges and discounts to 2, VAT to 1, CO2 to 2, the prediction
    // periods to whole ones, the break point to whole units (per period) or 2 decimals (per day).
    Tariff rounded() const;
};

struct MeterReadings {
    QDate date1;
    QDate date2;
    double normal1 = 0;
    double normal2 = 0;
    // Blank fields stay empty; a cheap-rate calculation needs a first reading other than 0.
    std::optional<double> cheap1;
    std::optional<double> cheap2;
    bool cheapRate() const { return cheap1.value_or(0) != 0; }
};

// Units of one stretch of time: the readings' period or the predicted one.
struct Usage {
    qint64 days = 0;
    double periods = 0; // quarters or months charged
    bool cheapRate = false;
    double normalUnits = 0;
    double cheapUnits = 0;
    double rate1Units = 0;
    double rate2Units = 0;
};

// Signed amounts: a discount is positive when taken; a total below 0 is a credit. The three
// unit costs are whole currency units (pence, cents); the rest keep 15 significant digits.
struct Costs {
    double rate1 = 0;
    double rate2 = 0;
    double cheap = 0;
    double fixedCharges = 0;
    double discount1 = 0;
    double vat = 0;
    double discount2 = 0;
    double total = 0;
    double beforeDiscount1 = 0;
    double beforeTax = 0;
};

struct Prediction {
    QDate end;
    Usage usage;
    Costs costs;
    double co2 = 0; // whole kg
};

struct Bill {
    Tariff tariff;          // rounded
    MeterReadings readings; // whole readings
    Usage usage;
    Costs costs;
    double co2 = 0;         // whole kg
    double unitsPerDay = 0; // 2 decimals
    double costPerDay = 0;  // 15 significant digits, signed
    double co2PerDay = 0;   // 1 decimal, from the whole kg
    std::optional<Prediction> prediction;
};

// What one history-log data line holds.
struct HistoryRecord {
    QDate date;
    double normalReading = 0;
    std::optional<double> cheapReading;
    Tariff tariff;
    double fixedCharges = 0; // of the bill, not per period
};

// A step that cannot go on (a result that is not finite, a date outside the calendar). It is
// a RuntimeError with the progress mark of the step, so the fatal error dump reports the
// same mark as before: 103 for the bill, 104 for the predicted units, 105 for their costs.
class StepError : public RuntimeError {
  public:
    StepError(int mark, int number, const QString& description)
        : RuntimeError(number, description), mark_(mark) {}
    int mark() const { return mark_; }

  private:
    int mark_;
};

// The quarters (months) a bill from `from` to `to` charges: a quarter for every 91.25 days
// beyond the first ten, or each calendar month touched.
double chargedPeriods(const QDate& from, const QDate& to, PeriodKind period);

// The bill for the tariff and the readings, with its prediction when the tariff asks for one.
// Money amounts are rounded to `decimals`. Throws StepError.
Bill computeBill(const Tariff& tariff, const MeterReadings& readings, int decimals);

// The prediction over the tariff's prediction periods from the first reading date.
Prediction computePrediction(const Bill& bill, int decimals);

HistoryRecord historyRecord(const Bill& bill);

} // namespace domain
