#include "form/save.h"

#include "form/history.h"
#include "form/mainform.h"
#include "form/results.h"

void SaveCalculation(MainForm& f) {
    const bool noHistory = f.ticked(QStringLiteral("NoHistory"));
    if (!f.DataErrors.isEmpty()) {
        f.model.setEnabled(QStringLiteral("Save"), false);
        f.DataErrors += QStringLiteral("No results ");
        if (!noHistory)
            f.DataErrors += QStringLiteral("or history ");
        f.message(QStringLiteral("Voltrake Save Data Error"),
                  f.DataErrors + QStringLiteral("data saved\n"), Host::Buttons::Ok,
                  Host::Icon::Warning);
        return;
    }
    if (noHistory && f.message(QStringLiteral("Voltrake Save Data"),
                               QStringLiteral("No history data will be saved\r\n"
                                              "To save history results click\r\n"
                                              "Cancel, reset the No History \r\n"
                                              "check box and click Save again"),
                               Host::Buttons::OkCancel, Host::Icon::Warning) != Host::Answer::Ok) {
        f.setStatus(QStringLiteral("No Calculation Saved"));
        return;
    }
    AppendResultsLog(f);
    if (!noHistory)
        AppendHistoryLog(f);
    f.model.setEnabled(QStringLiteral("Save"), false);
    f.setStatus(QStringLiteral("Calculation Saved"));
}

void Save_Click(MainForm& f) {
    if (f.model.enabled(QStringLiteral("Save")))
        SaveCalculation(f);
}

void AutoSave_Click(MainForm& f) {
    if (f.ticked(QStringLiteral("AutoSave"))) {
        f.model.setEnabled(QStringLiteral("Save"), false);
        f.model.setToolTip(QStringLiteral("Calc"),
                           QStringLiteral("Calculate and Save results (provided no errors occur)"));
    } else {
        f.model.setToolTip(QStringLiteral("Calc"), QStringLiteral("Calculate results"));
    }
}
