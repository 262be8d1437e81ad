#include "form/clicks.h"

#include "form/checks.h"
#include "form/mainform.h"
#include "form/presentation.h"

using namespace Qt::StringLiterals;

namespace {

void clearResults(MainForm& f) {
    ClearActualResults(f);
    ClearPredictedResults(f);
}

} // namespace

void Clear_Click(MainForm& f) {
    ClearInputs(f);
    SetModeLabels(f);
    CheckTariffData(f, true, true);
    clearResults(f);
    f.InputSignature.clear();
    f.LastInputSignature.clear();
    f.setStatus(u"Data Cleared"_s);
    f.host.setFocus(u"Date1"_s);
    f.model.setEnabled(u"Save"_s, false);
}

void Period_Click(MainForm& f) {
    clearResults(f);
    SetModeLabels(f);
}

void VAT_Change(MainForm& f) {
    clearResults(f);
    SetModeLabels(f);
}

void Disc1P_Click(MainForm& f) {
    if (f.Loading)
        return;
    f.DataErrors.clear();
    clearResults(f);
    // An amount is not carried over as a percentage, nor back.
    f.setText(u"Disc1"_s, QString());
    SetModeLabels(f);
}

void Disc2F_Click(MainForm& f) {
    if (f.Loading)
        return;
    f.DataErrors.clear();
    clearResults(f);
    SetModeLabels(f);
}

void DRate_Click(MainForm& f) {
    clearResults(f);
    SetModeLabels(f);
    // Each mode keeps its own break point; there is no conversion between them.
    if (f.DataErrors.isEmpty())
        f.setText(u"BPoint"_s, f.ticked(u"DRate"_s) ? f.BreakPointPerDay : f.BreakPointUnits);
    CheckBreakPoint(f);
}
