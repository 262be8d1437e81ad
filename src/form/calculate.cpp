#include "form/calculate.h"

#include "form/calc_support.h"
#include "form/checks.h"
#include "form/dump.h"
#include "form/history.h"
#include "form/mainform.h"
#include "form/predict.h"
#include "form/presentation.h"
#include "form/results.h"
#include "form/save.h"
#include "text/errors.h"
#include "text/values.h"

#include <QDate>

using namespace Qt::StringLiterals;
using calc::intPart;
using calc::lead;
using calc::putCurrency;
using calc::putNumber;
using values::checked;

namespace {

// Checks every input; on any complaint shows them all and throws the results away.
bool inputsAccepted(MainForm& f) {
    f.ErrorLocation = 101;
    f.DataErrors.clear();
    CheckBreakPoint(f);
    CheckTariffData(f, true, true);
    CheckReadingValues(f);
    f.ErrorLocation = 102;
    if (f.DataErrors.isEmpty())
        CheckReadingRules(f);
    if (f.DataErrors.isEmpty())
        return true;

    ClearActualResults(f);
    ClearPredictedResults(f);
    f.InputSignature.clear();
    f.LastInputSignature.clear();
    f.model.setEnabled(u"Save"_s, false);
    f.message(u"Voltrake Data Error"_s, f.DataErrors, Host::Buttons::Ok, Host::Icon::Warning);
    f.DataErrors.clear();
    return false;
}

// The money fields become plain numbers and the readings and dates their canonical text.
void canonicalInputs(MainForm& f) {
    CheckBreakPoint(f);
    CheckTariffData(f, true, false);
    f.ErrorLocation = 103;
    for (const QString& name : {u"NRead1"_s, u"NRead2"_s})
        putNumber(f, name, intPart(calc::strict(f, name)));
    for (const QString& name : {u"Date1"_s, u"Date2"_s}) {
        if (f.text(name).size() > 11)
            f.setText(name, values::ddMmmYyyy(calc::dateOf(f, name)));
    }
}

bool unchangedSinceLast(MainForm& f) {
    f.InputSignature = calc::inputSignature(f);
    if (f.InputSignature != f.LastInputSignature)
        return false;
    SetModeLabels(f);
    CheckBreakPoint(f);
    CheckTariffData(f, true, true);
    f.DataErrors = u"The data has not changed since the last calculation"_s;
    f.message(u"Voltrake Error"_s, u"The data has not changed\r\nsince the last calculation"_s,
              Host::Buttons::Ok, Host::Icon::Warning);
    f.DataErrors.clear();
    return true;
}

void countPeriods(MainForm& f) {
    const QDate first = calc::dateOf(f, u"Date1"_s);
    const QDate second = calc::dateOf(f, u"Date2"_s);
    const qint64 days = values::daysBetween(first, second);
    putNumber(f, u"TDays"_s, double(days));
    if (!f.ticked(u"Period"_s)) {
        // One quarter more for every 91.25 days, shifted by 10 days so that a part quarter
        // counts once it is more than about 10 days long.
        const double quarter = 365.0 / 4;
        f.PeriodCount = float(intPart((double(days) - 10) / quarter) + 1);
    } else {
        // Every calendar month the period touches.
        f.PeriodCount =
            float((second.year() * 12 + second.month()) - (first.year() * 12 + first.month()) + 1);
    }
}

void countUnits(MainForm& f, bool cheapRate) {
    f.setText(u"CRUnits"_s, QString());
    if (cheapRate) {
        for (const QString& name : {u"CRead1"_s, u"CRead2"_s})
            putNumber(f, name, intPart(calc::strict(f, name)));
    }
    putNumber(f, u"NRUnits"_s,
              checked(calc::strict(f, u"NRead2"_s) - calc::strict(f, u"NRead1"_s)));
    if (cheapRate)
        putNumber(f, u"CRUnits"_s,
                  checked(calc::strict(f, u"CRead2"_s) - calc::strict(f, u"CRead1"_s)));
}

// Splits the normal-rate units between Normal Rate 1 and Normal Rate 2 at the break point.
void splitAtBreakPoint(MainForm& f) {
    const double units = calc::strict(f, u"NRUnits"_s);
    const double breakPoint = lead(f, u"BPoint"_s);
    const double periods = double(f.PeriodCount);
    if (breakPoint == 0) {
        putNumber(f, u"R1Units"_s, lead(f, u"NRUnits"_s));
        f.setText(u"R2Units"_s, u"0"_s);
        f.setText(u"NR2Cost"_s, u"0"_s);
        return;
    }
    if (!f.ticked(u"DRate"_s)) {
        const double limit = checked(periods * breakPoint);
        if (limit >= units)
            putNumber(f, u"R1Units"_s, lead(f, u"NRUnits"_s));
        else
            putNumber(f, u"R1Units"_s, checked(breakPoint * periods));
    } else {
        const double days = lead(f, u"TDays"_s);
        const double limit = intPart(days * breakPoint);
        if (limit >= units)
            putNumber(f, u"R1Units"_s, intPart(lead(f, u"NRUnits"_s)));
        else
            putNumber(f, u"R1Units"_s, intPart(breakPoint * days));
    }
    putNumber(f, u"R2Units"_s, checked(lead(f, u"NRUnits"_s) - lead(f, u"R1Units"_s)));
    putCurrency(f, u"NR2Cost"_s, checked(calc::strict(f, u"NormalR2"_s) * lead(f, u"R2Units"_s)));
}

void priceUnits(MainForm& f, bool cheapRate) {
    const calc::CostsBefore before =
        calc::costChain(f, QString(), double(f.PeriodCount), cheapRate);
    f.CostBeforeDiscount1 = before.discount1;
    f.CostBeforeTax = before.tax;
}

void perDayFigures(MainForm& f) {
    auto s = [&](const QString& name) { return calc::strict(f, name); };
    const double units = checked(lead(f, u"CRUnits"_s) + lead(f, u"NRUnits"_s));
    f.setText(u"TCO2"_s, values::fixed(checked(s(u"CO2"_s) * units), values::Fixed::Zero));
    f.setText(u"UDay"_s, values::fixed(checked(units / s(u"TDays"_s)), values::Fixed::Two));
    putNumber(f, u"CDay"_s, checked(s(u"TVCost"_s) / s(u"TDays"_s)));
    f.setText(u"CO2Day"_s,
              values::fixed(checked(lead(f, u"TCO2"_s) / lead(f, u"TDays"_s)), values::Fixed::One));
}

void calculate(MainForm& f) {
    if (!inputsAccepted(f))
        return;
    canonicalInputs(f);
    if (unchangedSinceLast(f))
        return;

    countPeriods(f);
    const bool cheapRate = lead(f, u"CRead1"_s) != 0;
    countUnits(f, cheapRate);
    splitAtBreakPoint(f);
    priceUnits(f, cheapRate);
    perDayFigures(f);

    calc::presentDiscount(f, u"D1Cost"_s);
    calc::presentDiscount(f, u"D2Cost"_s);
    calc::presentTotal(f, u"TVCost"_s);

    PredictCosts(f);

    f.LastInputSignature = calc::inputSignature(f);
    SetModeLabels(f);
    CheckBreakPoint(f);
    CheckTariffData(f, true, true);

    f.ErrorLocation = 106;
    BuildResultsReport(f);
    BuildHistoryRecord(f);
    if (f.ticked(u"AutoSave"_s))
        SaveCalculation(f);
    else
        f.model.setEnabled(u"Save"_s, true);
}

} // namespace

void Calculate(MainForm& f) {
    try {
        calculate(f);
    } catch (const RuntimeError&) {
        FatalErrorDump(f, u"Calculation Error"_s, f.ErrorLocation);
    }
}
