#include "form/startup.h"

#include "form/checkfiles.h"
#include "form/config.h"
#include "form/dump.h"
#include "form/history.h"
#include "form/mainform.h"
#include "form/presentation.h"
#include "form/results.h"
#include "form/save.h"
#include "form/updatecheck.h"
#include "text/files.h"
#include "text/values.h"

#include <exception>

namespace {

using files::crlf;

} // namespace

int RunModeFromCommandLine(const QString& commandLine) {
    // Only an option at the very start counts, written exactly; whatever follows is ignored.
    int mode = 0;
    if (commandLine.startsWith(QLatin1String("-InhibitErrorCheck"), Qt::CaseSensitive))
        mode = 1;
    if (commandLine.startsWith(QLatin1String("-ShortUpdateTime"), Qt::CaseSensitive))
        mode = 5;
    return mode;
}

void Form_Load(MainForm& f) {
    try {
        f.ErrorLocation = 151;
        f.FileSystem = true;
        // Named before anything can fail, so that a dump from any stage of the load reaches the
        // results log of an earlier run.
        f.ResultsLogName = QStringLiteral("Voltrake.log");
        f.HistoryLogName = QStringLiteral("Voltrake_H.log");
        CheckDirectory(f, QStringLiteral("Data"));
        CheckDirectory(f, QStringLiteral("Help"));
        // The window caption "Voltrake" is part of the window's design.

        f.ErrorLocation = 152;
        f.RunMode = RunModeFromCommandLine(f.CommandLine);

        f.ErrorLocation = 153;
        f.Loading = true;
        SetTaxWording(f);
        ReadConfiguration(f);

        f.ErrorLocation = 154;
        f.ResultsLogName = QStringLiteral("Voltrake.log");
        f.HistoryLogName = QStringLiteral("Voltrake_H.log");
        CreateLogFiles(f);
        if (f.HistoryVersion != versionText() && values::leadingValue(f.HistoryVersion) > 0)
            UpgradeHistoryLog(f);

        f.ErrorLocation = 155;
        const QDateTime now = f.host.now();
        f.ReportText = QStringLiteral("Voltrake Started") + crlf + QStringLiteral("Version ") +
                       versionText() + crlf + values::shortDate(now.date()) + QLatin1Char(' ') +
                       values::timeOfDay(now.time()) + crlf;
        AppendResultsLog(f);

        f.ErrorLocation = 156;
        ClearInputs(f);
        ClearActualResults(f);
        ClearPredictedResults(f);
        SetModeLabels(f);
        f.Loading = false;

        if (f.UpEnable == 2)
            StartUpdateCheck(f, true);
    } catch (const std::exception&) {
        FatalErrorDump(f, QStringLiteral("Loading Error"), f.ErrorLocation);
    }
}

void Form_Activate(MainForm& f) {
    if (f.ticked(QStringLiteral("OnTop")))
        f.host.setOnTop(QStringLiteral("VoltrakeMain"), true);
    if (!f.Activated) {
        // Marked first: a message box shown by the restore re-activates the window when it
        // closes, and the restore must still run only once.
        f.Activated = true;
        f.model.setEnabled(QStringLiteral("Save"), false);
        Get_Last_Click(f);
    }
}

void Exit_Click(MainForm& f) {
    if (f.model.enabled(QStringLiteral("Save"))) {
        const Host::Answer answer =
            f.message(QStringLiteral("Voltrake Calculation Not Saved"),
                      QStringLiteral("There is an unsaved calculation") + crlf +
                          QStringLiteral("Click OK to save it and Cancel to exit"),
                      Host::Buttons::OkCancel, Host::Icon::Question);
        if (answer == Host::Answer::Ok)
            SaveCalculation(f);
    }
    f.host.closeUpdateWindow();
    f.endProgram();
}

void OnTop_Click(MainForm& f) {
    const bool onTop = f.ticked(QStringLiteral("OnTop"));
    f.RunOnTop = onTop ? 2 : 1;
    f.host.setOnTop(QStringLiteral("VoltrakeMain"), onTop);
}

void Timer1_Timer(MainForm& f) {
    f.setText(QStringLiteral("Status"), QString());
    f.model.setEnabled(QStringLiteral("Timer1"), false);
}
