#include "form/results.h"

#include "form/calc_support.h"
#include "records/billformat.h"
#include "records/logformat.h"
#include "records/logscan.h"
#include "records/logwrite.h"

#include "form/checkfiles.h"
#include "form/history.h"
#include "form/logs.h"
#include "form/mainform.h"
#include "text/files.h"
#include "text/values.h"

using files::crlf;

namespace {

const QString LogFileError = QStringLiteral("Voltrake Log File Error");

// The one-off failure of start-up: nothing can be recorded, so the program cannot go on.
[[noreturn]] void logFilesFailed(MainForm& f) {
    f.message(LogFileError,
              QStringLiteral("Unable to create the log files.\r\n"
                             "This may be a permissions problem.\r\n"
                             "The program will now terminate."),
              Host::Buttons::Ok, Host::Icon::Warning);
    f.endProgram();
}

} // namespace

void CreateLogFiles(MainForm& f) {
    CheckDirectory(f, QStringLiteral("Log"));
    const QString created = values::ddMmmYyTime(f.host.now());

    const QString results = f.path(QStringLiteral("Log/") + f.ResultsLogName);
    if (records::createIfMissing(results, records::resultsLogStart(created)) ==
        records::Creation::Failed)
        logFilesFailed(f);

    const QString history = f.path(QStringLiteral("Log/") + f.HistoryLogName);
    const QString start =
        records::historyLogStart(created, f.model.caption(QStringLiteral("VATH")).left(3));
    switch (records::createIfMissing(history, start)) {
    case records::Creation::Failed:
        f.HistoryText = start;
        logFilesFailed(f);
    case records::Creation::Created:
        f.HistoryText = start;
        f.HistoryVersion = versionText();
        return;
    case records::Creation::Existed:
        break;
    }

    const auto bytes = files::readAll(history);
    if (!bytes)
        logFilesFailed(f);
    if (auto version = records::historyLogVersion(*bytes))
        f.HistoryVersion = *version;
}

void BuildResultsReport(MainForm& f) {
    f.ReportText = billformat::resultsReport(calc::shownTexts(f), f.host.now());
}

void AppendResultsLog(MainForm& f) {
    CheckDirectory(f, QStringLiteral("Log"));
    if (f.ReportText.isEmpty())
        return;
    if (!CheckFile(f, QStringLiteral("results log"), QStringLiteral("Log"), f.ResultsLogName))
        return;
    if (!files::append(f.path(QStringLiteral("Log/") + f.ResultsLogName), f.ReportText + crlf))
        f.message(LogFileError,
                  "Unable to write to the log file " + f.ResultsLogName +
                      ".\r\nThis may be a permissions problem.",
                  Host::Buttons::Ok, Host::Icon::Warning);
}

void ViewL_Click(MainForm& f) {
    records::viewLog(f, QStringLiteral("results log"), f.ResultsLogName);
}
