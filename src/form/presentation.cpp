#include "form/presentation.h"

#include "form/calc_support.h"
#include "form/dump.h"
#include "form/mainform.h"
#include "text/errors.h"
#include "text/values.h"

#include <QStringList>

using namespace Qt::StringLiterals;
using calc::lead;

namespace {

const QStringList ActualResults = {
    u"TDays"_s,   u"NRUnits"_s, u"CRUnits"_s,  u"R1Units"_s, u"R2Units"_s, u"NR1Cost"_s,
    u"NR2Cost"_s, u"CRCost"_s,  u"D1Cost"_s,   u"D2Cost"_s,  u"CDay"_s,    u"UDay"_s,
    u"CO2Day"_s,  u"TVCost"_s,  u"TSCharge"_s, u"TCO2"_s,    u"VCost"_s};

const QStringList PredictedResults = {u"TDaysP"_s,   u"NRUnitsP"_s, u"CRUnitsP"_s, u"R1UnitsP"_s,
                                      u"R2UnitsP"_s, u"NR1CostP"_s, u"NR2CostP"_s, u"CRCostP"_s,
                                      u"D1CostP"_s,  u"D2CostP"_s,  u"TVCostP"_s,  u"TSChargeP"_s,
                                      u"TCO2P"_s,    u"VCostP"_s};

void emptyFields(MainForm& f, const QStringList& names) {
    try {
        for (const QString& name : names)
            f.setText(name, QString());
    } catch (const RuntimeError&) {
        FatalErrorDump(f, u"Clear Error"_s, f.ErrorLocation);
    }
}

} // namespace

void ClearInputs(MainForm& f) {
    emptyFields(f, {u"Date1"_s, u"Date2"_s, u"NRead1"_s, u"NRead2"_s, u"CRead1"_s, u"CRead2"_s,
                    u"Notes"_s});
}

void ClearActualResults(MainForm& f) {
    emptyFields(f, ActualResults);
    // Results gone from the screen must come back on the next Calculate, inputs unchanged or not.
    f.LastInputSignature.clear();
}

void ClearPredictedResults(MainForm& f) {
    emptyFields(f, PredictedResults);
}

void SetTaxWording(MainForm& f) {
    f.CurrencySymbol = values::currencyPrefix();
    const QString word = calc::vatWording() ? u"VAT"_s : u"Tax"_s;
    f.model.setCaption(u"VATH"_s, word + u':');
    f.model.setToolTip(u"VAT"_s, word + u" Rate (0 or between 1 and 50%)"_s);
}

void SetModeLabels(MainForm& f) {
    // Results that the current inputs make meaningless.
    for (const QString& name : {u"R2Units"_s, u"R2UnitsP"_s}) {
        if (lead(f, name) == 0)
            f.setText(name, QString());
    }
    for (const QString& name : {u"NR2Cost"_s, u"NR2CostP"_s}) {
        if (values::leadingValue(calc::withoutSymbol(f, f.text(name))) == 0)
            f.setText(name, QString());
    }
    if (lead(f, u"PRate"_s) == 0)
        ClearPredictedResults(f);
    if (lead(f, u"CRead1"_s) == 0) {
        for (const QString& name : {u"CRUnits"_s, u"CRUnitsP"_s, u"CRCost"_s, u"CRCostP"_s})
            f.setText(name, QString());
    }
    const std::pair<QString, QStringList> unused[] = {
        {u"Disc1"_s, {u"D1Cost"_s, u"D1CostP"_s}},
        {u"Disc2"_s, {u"D2Cost"_s, u"D2CostP"_s}},
        {u"SCharge"_s, {u"TSCharge"_s, u"TSChargeP"_s}},
        {u"VAT"_s, {u"VCost"_s, u"VCostP"_s}},
    };
    for (const auto& [input, results] : unused) {
        if (f.text(input).isEmpty()) {
            for (const QString& name : results)
                f.setText(name, QString());
        }
    }

    // Captions and tool tips for the current switches.
    FormModel& m = f.model;
    const bool percent = f.ticked(u"Disc1P"_s);
    m.setCaption(u"Disc1L"_s, percent ? u"%"_s : QString());
    const QString range = percent ? u"( 0 or between 1% and 30%)"_s : u"( 0 or between 1 and 99)"_s;

    const QString tax = calc::vatWording() ? u"VAT"_s : u"Tax"_s;
    m.setCaption(u"VATH"_s, tax + u':');
    m.setToolTip(u"VATH"_s, tax + u" Rate (between 0 and 50%)"_s);

    const bool monthly = f.ticked(u"Period"_s);
    const QString unit = monthly ? u"month"_s : u"quarter"_s;
    const QString largest = monthly ? u"12"_s : u"4"_s;
    m.setCaption(u"PRateH"_s, monthly ? u"Months"_s : u"Quarters"_s);
    m.setToolTip(u"PRate"_s, u"Prediction period (0 (No Prediction) or between 1 and "_s + largest +
                                 u' ' + unit + u"s)"_s);
    m.setToolTip(u"SCharge"_s, u"Fixed Charge per "_s + unit + u" ( 0 or between 5 and 99)"_s);

    const bool taxed = lead(f, u"VAT"_s) != 0;
    // " before VAT", " after Tax", ... or nothing when no tax is charged.
    const QString before = taxed ? u" before "_s + tax : QString();
    const QString after = taxed ? u" after "_s + tax : QString();
    m.setToolTip(u"Disc1"_s, u"Discount 1 per "_s + unit + before + u' ' + range);
    if (!f.ticked(u"Disc2F"_s))
        m.setToolTip(u"Disc2"_s,
                     u"Discount 2 per "_s + unit + after + u" ( 0 or between 1 and 99)"_s);
    else
        m.setToolTip(u"Disc2"_s, u"Discount 2"_s + after + u" ( 0 or between 1 and 99)"_s);
    m.setToolTip(u"D1Cost"_s, u"Total Discount 1"_s + before);
    m.setToolTip(u"D1CostP"_s, u"Predicted Total Discount 1"_s + before);
    m.setToolTip(u"D2Cost"_s, u"Total Discount 2"_s + after);
    m.setToolTip(u"D2CostP"_s, u"Predicted Total Discount 2"_s + after);
    m.setToolTip(u"VCost"_s, taxed ? u"Total "_s + tax : QString());
    m.setToolTip(u"VCostP"_s, taxed ? u"Predicted Total "_s + tax : QString());
    const QString including = taxed ? u" (inc "_s + tax + u')' : QString();
    m.setToolTip(u"TVCost"_s, u"Total Cost"_s + including);
    m.setToolTip(u"TVCostP"_s, u"Predicted Total Cost"_s + including);
    if (taxed)
        m.setCaption(u"VCostL"_s, tax);

    if (!f.ticked(u"DRate"_s)) {
        m.setCaption(u"BPointL2"_s, u"KWHr"_s);
        m.setToolTip(
            u"BPoint"_s,
            u"Rate 1 to Rate 2 units Break Point per quarter (0 or between 10 and 3000)"_s);
    } else {
        m.setCaption(u"BPointL2"_s, u"KWHr/Day"_s);
        m.setToolTip(u"BPoint"_s,
                     u"Rate 1 to Rate 2 units Break Point per day (0 or between 0.50 and 9.99)"_s);
    }
}

void ShowMoneyResults(MainForm& f) {
    // The rate costs were written in "Currency". Where the symbol stands in front they get
    // the current symbol in front of the amount; elsewhere they stay as written.
    if (!f.CurrencySymbol.isEmpty()) {
        for (const QString& name : {u"NR1Cost"_s, u"NR1CostP"_s, u"NR2Cost"_s, u"NR2CostP"_s,
                                    u"CRCost"_s, u"CRCostP"_s}) {
            const QString text = f.text(name);
            if (text.size() > 1 && !text.startsWith(f.CurrencySymbol) &&
                values::readsAsNumber(text))
                f.setText(name, values::moneyResult(values::strictValue(text)));
        }
    }
    // The other money results are plain numbers or, when shown before, already in this form;
    // reading the amount back keeps a second pass from mangling a sign or a symbol.
    for (const QString& name :
         {u"TSCharge"_s, u"TSChargeP"_s, u"D1Cost"_s, u"D2Cost"_s, u"D1CostP"_s, u"D2CostP"_s,
          u"VCost"_s, u"VCostP"_s, u"TVCost"_s, u"TVCostP"_s, u"CDay"_s}) {
        const QString text = f.text(name);
        if (!text.isEmpty() && values::readsAsNumber(text))
            f.setText(name, values::moneyResult(values::strictValue(text)));
    }
}
