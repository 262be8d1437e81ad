// SPDX-License-Identifier: GPL-3.0-or-later
#include "domain/bill.h"

#include "text/values.h"

#include <cmath>

namespace domain {

namespace {

constexpr int ActualMark = 103;
constexpr int PredictedUnitsMark = 104;
constexpr int PredictedCostsMark = 105;
constexpr int InvalidCall = 5; // "Invalid procedure call or argument"

// The arithmetic of one step: every result is checked and rounded as its field would be.
class Step {
  public:
    Step(int mark, int decimals) : mark_(mark), decimals_(decimals) {}

    double checked(double v) const {
        if (!std::isfinite(v))
            throw StepError(mark_, errnum::Overflow, QStringLiteral("Overflow"));
        return v;
    }
    // A value that went through plain number text.
    double plain(double v) const { return values::round15(checked(v)); }
    // A value that went through the locale's currency text.
    double money(double v) const { return values::roundHalfAway(checked(v), decimals_); }
    double rounded(double v, int decimals) const {
        return values::roundHalfAway(checked(v), decimals);
    }
    double whole(double v) const { return std::floor(checked(v)); } // Int()
    int mark() const { return mark_; }

  private:
    int mark_;
    int decimals_;
};

// Prices the units and works the bill down to its total: rate costs, fixed charges over the
// periods, Discount 1, VAT, Discount 2. Each subtotal is written as a plain number and read back.
Costs costChain(const Step& s, const Tariff& t, const Usage& u, double rate2Cost) {
    Costs c;
    c.rate1 = s.money(t.normalRate1 * u.rate1Units);
    c.rate2 = rate2Cost;
    if (u.cheapRate)
        c.cheap = s.money(u.cheapUnits * t.cheapRate);
    double total = u.cheapRate ? c.cheap : 0;
    if (t.fixedCharge != 0)
        c.fixedCharges = s.plain(t.fixedCharge * u.periods);
    total = s.plain(total + c.fixedCharges);
    total = s.plain(s.checked(total + c.rate1) + c.rate2);
    c.beforeDiscount1 = total;
    if (t.discount1 != 0)
        c.discount1 =
            s.plain(t.discount1Mode == Disc1Mode::Percent ? total * s.checked(t.discount1 / 100)
                                                          : t.discount1 * u.periods);
    total = s.plain(total - c.discount1);
    c.beforeTax = total;
    if (t.vat != 0) {
        c.vat = s.plain(total * s.checked(t.vat / 100));
        total = s.plain(total + c.vat);
    }
    if (t.discount2 != 0)
        c.discount2 =
            s.plain(t.discount2Mode == Disc2Mode::Fixed ? t.discount2 : t.discount2 * u.periods);
    c.total = s.plain(total - c.discount2);
    return c;
}

QDate plusMonths(const QDate& date, double months) {
    if (!std::isfinite(months) || std::abs(months) > 120000)
        throw StepError(PredictedUnitsMark, InvalidCall,
                        QStringLiteral("Invalid procedure call or argument"));
    const QDate result = values::addMonths(date, int(std::lround(months)));
    if (!result.isValid() || result.year() < 100 || result.year() > 9999)
        throw StepError(PredictedUnitsMark, InvalidCall,
                        QStringLiteral("Invalid procedure call or argument"));
    return result;
}

} // namespace

Tariff Tariff::rounded() const {
    auto r = values::roundHalfAway;
    Tariff t = *this;
    t.normalRate1 = r(normalRate1, 6);
    t.normalRate2 = r(normalRate2, 6);
    t.cheapRate = r(cheapRate, 6);
    t.breakPoint = r(breakPoint, breakMode == BreakMode::PerDay ? 2 : 0);
    t.fixedCharge = r(fixedCharge, 2);
    t.discount1 = r(discount1, 2);
    t.discount2 = r(discount2, 2);
    t.vat = r(vat, 1);
    t.co2 = r(co2, 2);
    t.predictionPeriods = r(predictionPeriods, 0);
    // A field that rounds to nothing is left empty, which reads as 0 (and never as -0).
    for (double* v : {&t.normalRate1, &t.normalRate2, &t.cheapRate, &t.breakPoint, &t.fixedCharge,
                      &t.discount1, &t.discount2, &t.vat, &t.co2, &t.predictionPeriods}) {
        if (*v == 0)
            *v = 0;
    }
    return t;
}

double chargedPeriods(const QDate& from, const QDate& to, PeriodKind period) {
    if (period == PeriodKind::Quarterly) {
        // One quarter more for every 91.25 days, shifted by 10 days so that a part quarter
        // counts once it is more than about 10 days long.
        const double days = double(values::daysBetween(from, to));
        return double(float(std::floor((days - 10) / (365.0 / 4)) + 1));
    }
    return double(float((to.year() * 12 + to.month()) - (from.year() * 12 + from.month()) + 1));
}

Bill computeBill(const Tariff& tariff, const MeterReadings& readings, int decimals) {
    const Step s(ActualMark, decimals);
    Bill b;
    b.tariff = tariff.rounded();
    const Tariff& t = b.tariff;
    if (!readings.date1.isValid() || !readings.date2.isValid())
        throw StepError(ActualMark, errnum::TypeMismatch, QStringLiteral("Type mismatch"));

    b.readings = readings;
    MeterReadings& m = b.readings;
    m.normal1 = s.whole(readings.normal1);
    m.normal2 = s.whole(readings.normal2);

    Usage& u = b.usage;
    u.days = values::daysBetween(m.date1, m.date2);
    u.periods = chargedPeriods(m.date1, m.date2, t.period);

    u.cheapRate = readings.cheapRate();
    if (u.cheapRate) {
        m.cheap1 = s.whole(readings.cheap1.value_or(0));
        m.cheap2 = s.whole(readings.cheap2.value_or(0));
        u.cheapUnits = s.plain(*m.cheap2 - *m.cheap1);
    }
    u.normalUnits = s.plain(m.normal2 - m.normal1);

    // Normal Rate 1 up to the break point, Normal Rate 2 beyond it.
    double rate2Cost = 0;
    if (t.breakPoint == 0) {
        u.rate1Units = u.normalUnits;
    } else {
        if (t.breakMode == BreakMode::PerPeriod) {
            const double limit = s.checked(u.periods * t.breakPoint);
            u.rate1Units =
                limit >= u.normalUnits ? u.normalUnits : s.plain(t.breakPoint * u.periods);
        } else {
            const double limit = s.whole(double(u.days) * t.breakPoint);
            u.rate1Units = limit >= u.normalUnits ? s.whole(u.normalUnits)
                                                  : s.whole(t.breakPoint * double(u.days));
        }
        u.rate2Units = s.plain(u.normalUnits - u.rate1Units);
        rate2Cost = s.money(t.normalRate2 * u.rate2Units);
    }
    b.costs = costChain(s, t, u, rate2Cost);

    const double units = s.checked(u.cheapUnits + u.normalUnits);
    const double days = double(u.days);
    b.co2 = s.rounded(t.co2 * units, 0);
    b.unitsPerDay = s.rounded(units / days, 2);
    b.costPerDay = s.plain(b.costs.total / days);
    b.co2PerDay = s.rounded(b.co2 / days, 1);

    if (t.predictionPeriods != 0)
        b.prediction = computePrediction(b, decimals);
    return b;
}

Prediction computePrediction(const Bill& bill, int decimals) {
    const Step s(PredictedUnitsMark, decimals);
    const Tariff& t = bill.tariff;
    const Usage& actual = bill.usage;
    Prediction p;
    Usage& u = p.usage;

    // Whole quarters (months) counted from the first reading.
    const double periods = t.predictionPeriods;
    p.end = plusMonths(bill.readings.date1,
                       s.checked(t.period == PeriodKind::Monthly ? periods : periods * 3));
    u.days = values::daysBetween(bill.readings.date1, p.end);
    u.periods = periods;
    u.cheapRate = actual.cheapRate;

    const double scale = s.checked(double(u.days) / double(actual.days));
    u.normalUnits = s.whole(s.checked(actual.normalUnits * scale + 0.5));
    if (u.cheapRate)
        u.cheapUnits = s.whole(s.checked(actual.cheapUnits * scale + 0.5));

    double rate2Cost = 0;
    if (t.breakPoint != 0) {
        if (t.breakMode == BreakMode::PerPeriod) {
            // The whole number of prediction periods, not a count from dates.
            const double limit = s.checked(periods * t.breakPoint);
            u.rate1Units = limit >= u.normalUnits ? u.normalUnits : s.plain(limit);
        } else {
            const double limit = s.whole(double(u.days) * t.breakPoint);
            u.rate1Units = limit >= u.normalUnits ? s.whole(u.normalUnits) : s.plain(limit);
        }
        u.rate2Units = s.plain(u.normalUnits - u.rate1Units);
        rate2Cost = s.money(t.normalRate2 * u.rate2Units);
    } else {
        u.rate1Units = u.normalUnits;
    }

    const Step c(PredictedCostsMark, decimals);
    p.costs = costChain(c, t, u, rate2Cost);
    p.co2 = c.rounded(t.co2 * c.checked(u.cheapUnits + u.normalUnits), 0);
    return p;
}

HistoryRecord historyRecord(const Bill& bill) {
    HistoryRecord r;
    r.date = bill.readings.date2;
    r.normalReading = bill.readings.normal2;
    r.cheapReading = bill.readings.cheap2;
    r.tariff = bill.tariff;
    r.fixedCharges = bill.costs.fixedCharges;
    return r;
}

} // namespace domain
