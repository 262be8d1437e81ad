#include "form/calculate.h"

#include "domain/bill.h"
#include "form/calc_support.h"
#include "form/checks.h"
#include "form/dump.h"
#include "form/history.h"
#include "form/mainform.h"
#include "form/predict.h"
#include "form/presentation.h"
#include "form/results.h"
#include "form/save.h"
#include "records/billformat.h"
#include "text/errors.h"
#include "text/values.h"

#include <QDate>

using namespace Qt::StringLiterals;
using calc::intPart;
using calc::lead;
using calc::putNumber;

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

// The names of the results the window shows, actual and predicted.
const QStringList ActualResults = {
    u"TDays"_s,   u"NRUnits"_s, u"CRUnits"_s,  u"R1Units"_s, u"R2Units"_s, u"NR1Cost"_s,
    u"NR2Cost"_s, u"CRCost"_s,  u"D1Cost"_s,   u"D2Cost"_s,  u"CDay"_s,    u"UDay"_s,
    u"CO2Day"_s,  u"TVCost"_s,  u"TSCharge"_s, u"TCO2"_s,    u"VCost"_s};

// The bill of the canonical inputs, worked out by the domain. A step that fails leaves its
// progress mark for the dump.
domain::Bill computeBill(MainForm& f) {
    f.ErrorLocation = 103;
    const auto inputs = billformat::inputsFromTexts(calc::shownTexts(f).text, calc::modes(f));
    if (!inputs)
        throw RuntimeError(errnum::TypeMismatch, u"Type mismatch"_s);
    try {
        return domain::computeBill(inputs->tariff, inputs->readings, values::currencyDecimals());
    } catch (const domain::StepError& e) {
        f.ErrorLocation = e.mark();
        throw;
    }
}

// The results as the window shows them; the cheap readings become whole numbers too.
void showBill(MainForm& f, const billformat::BillTexts& texts) {
    if (lead(f, u"CRead1"_s) != 0) {
        for (const QString& name : {u"CRead1"_s, u"CRead2"_s})
            f.setText(name, texts.text.value(name));
    }
    calc::showResults(f, texts, ActualResults);
    f.PeriodCount = texts.periodCount;
    f.CostBeforeDiscount1 = texts.costBeforeDiscount1;
    f.CostBeforeTax = texts.costBeforeTax;
}

void calculate(MainForm& f) {
    if (!inputsAccepted(f))
        return;
    canonicalInputs(f);
    if (unchangedSinceLast(f))
        return;

    const domain::Bill bill = computeBill(f);
    const billformat::BillTexts texts = billformat::billTexts(bill, f.text(u"Notes"_s));
    showBill(f, texts);
    PredictCosts(f, bill, texts);

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
