#include "form/history.h"

#include "form/calc_support.h"
#include "records/billformat.h"
#include "records/logformat.h"
#include "records/logscan.h"
#include "records/logwrite.h"
#include "text/lines.h"

#include "form/checkfiles.h"
#include "form/checks.h"
#include "form/clicks.h"
#include "form/dump.h"
#include "form/logs.h"
#include "form/mainform.h"
#include "form/presentation.h"
#include "text/errors.h"
#include "text/files.h"
#include "text/values.h"

using files::crlf;

namespace {

const QString LogFileError = QStringLiteral("Voltrake Log File Error");

QString historyPath(const MainForm& f) {
    return f.path(QStringLiteral("Log/") + f.HistoryLogName);
}

RuntimeError readError() {
    return RuntimeError(errnum::FileIO, QStringLiteral("Path/File access error"));
}

// Date1 and Date2 are shown in the short date form; a text that is no date stays as it is.
QString asShortDate(const QString& text) {
    const auto date = values::readDate(text);
    return date ? values::shortDate(*date) : text;
}

void historyOpenFailed(MainForm& f) {
    f.message(LogFileError,
              "Unable to opem the history log " + f.HistoryLogName +
                  ".\r\nThis may be a permissions problem.",
              Host::Buttons::Ok, Host::Icon::Warning);
}

[[noreturn]] void upgradeFailed(MainForm& f, const QString& what) {
    f.message(LogFileError,
              what + QStringLiteral("\r\nThis may be a permissions problem.\r\n"
                                    "The program will now terminate."),
              Host::Buttons::Ok, Host::Icon::Warning);
    f.endProgram();
}

} // namespace

void AppendHistoryHeaders(MainForm& f) {
    const QString tax = f.model.caption(QStringLiteral("VATH")).left(3);
    f.HistoryText += records::historyColumnHeaders(tax);
}

void BuildHistoryRecord(MainForm& f) {
    try {
        f.ErrorLocation = 211;
        const QString line = billformat::historyLine(calc::shownTexts(f));
        f.HistoryText.clear();

        const auto tail = records::historyTail(historyPath(f));
        if (!tail)
            throw readError();

        f.ErrorLocation = 212;
        if (!f.ticked(QStringLiteral("NoHistory")))
            f.DataErrors += records::laterDateMessage(*tail, f.text(QStringLiteral("Date2")));
        f.HistoryText += records::historyAppendText(
            *tail, billformat::startLine(calc::shownTexts(f)), line,
            f.model.caption(QStringLiteral("VATH")).left(3), f.DataErrors.isEmpty());
    } catch (const RuntimeError&) {
        FatalErrorDump(f, QStringLiteral("Format Log Error"), f.ErrorLocation);
    }
}

void AppendHistoryLog(MainForm& f) {
    CheckBreakPoint(f);
    CheckTariffData(f, true, true);
    CheckDirectory(f, QStringLiteral("Log"));
    if (f.HistoryText.isEmpty())
        return;
    if (!CheckFile(f, QStringLiteral("history log"), QStringLiteral("Log"), f.HistoryLogName))
        return;
    if (!files::append(historyPath(f), f.HistoryText + crlf))
        f.message(LogFileError,
                  "Unable to write to the log file " + f.HistoryLogName +
                      ".\r\nThis may be a permissions problem.",
                  Host::Buttons::Ok, Host::Icon::Warning);
}

void UpgradeHistoryLog(MainForm& f) {
    const double old = values::leadingValue(f.HistoryVersion);
    if (!(old > 2.9 && old != values::leadingValue(versionText())))
        return;

    const QString backup = records::firstFreeName(f, QStringLiteral("Voltrake_H"));
    if (backup.isEmpty() || !files::copy(historyPath(f), f.path(backup)))
        upgradeFailed(f, QStringLiteral("Unable to backup the history log file."));

    const QString failed = QStringLiteral("Unable to create the history log file.");
    f.HistoryText = "Voltrake History Log" + crlf + records::versionLine() + crlf + "File Created" +
                    crlf + values::ddMmmYyTime(f.host.now()) + crlf +
                    "Updated From Version: " + f.HistoryVersion + crlf;
    AppendHistoryHeaders(f);
    QString upgraded = f.HistoryText + crlf;

    f.HistoryText.clear();
    AppendHistoryHeaders(f);
    const QString headers = f.HistoryText + crlf;

    const auto bytes = files::readAll(f.path(backup));
    if (!bytes)
        upgradeFailed(f, failed);
    upgraded += records::upgradedRecords(files::decode(*bytes), headers);
    // The whole new file is written in one go over the old one; the backup keeps the rest.
    if (!files::replace(historyPath(f), upgraded))
        upgradeFailed(f, failed);
}

void Get_Last_Click(MainForm& f) {
    try {
        f.ErrorLocation = 141;
        CheckDirectory(f, QStringLiteral("Log"));
        if (!CheckFile(f, QStringLiteral("history log"), QStringLiteral("Log"), f.HistoryLogName))
            return;
        const auto bytes = files::readAll(historyPath(f));
        if (!bytes)
            throw readError();
        const QString last = lines::lastLine(*bytes);
        const QString date = records::dateColumn(last);

        if (!values::readsAsDate(date) || records::readingColumn(last, 14) < 1) {
            f.setText(QStringLiteral("Status"),
                      QStringLiteral("No Saved Meter Readings To Restore"));
            f.host.setFocus(QStringLiteral("Date1"));
        } else {
            Clear_Click(f);
            f.setText(QStringLiteral("Status"),
                      QStringLiteral("Last Saved Meter Readings Restored"));
            f.setText(QStringLiteral("Date1"), date);
            f.setText(QStringLiteral("NRead1"), last.mid(13, 7).trimmed());
            f.setText(QStringLiteral("CRead1"), last.mid(22, 7).trimmed());
            f.setText(QStringLiteral("Date1"), asShortDate(f.text(QStringLiteral("Date1"))));
            f.setText(QStringLiteral("Date2"), asShortDate(f.text(QStringLiteral("Date2"))));
            f.host.setFocus(QStringLiteral("Date2"));
        }
        f.startTimer1();
        f.model.setEnabled(QStringLiteral("Save"), false);
    } catch (const RuntimeError&) {
        FatalErrorDump(f, QStringLiteral("Log File Read Error"), f.ErrorLocation);
    }
}

void Del_Last_Click(MainForm& f) {
    const QString path = historyPath(f);
    auto fileThere = [&f] {
        CheckDirectory(f, QStringLiteral("Log"));
        return CheckFile(f, QStringLiteral("history log"), QStringLiteral("Log"), f.HistoryLogName);
    };

    qsizetype lines = 0;
    qsizetype keep = 0;
    if (fileThere()) {
        const auto bytes = files::readAll(path);
        if (!bytes)
            return historyOpenFailed(f);
        const records::RemoveLastCut cut = records::removeLastCut(*bytes);
        lines = cut.lines;
        keep = cut.keep;
    }
    if (lines <= 10) {
        f.setStatus(QStringLiteral("No Saved Meter Readings To Delete"));
        return;
    }

    if (f.message(QStringLiteral("Voltrake Modify History File"),
                  QStringLiteral("Are you sure you want to delete\r\n"
                                 "the last saved meter reading?"),
                  Host::Buttons::YesNo, Host::Icon::Warning) != Host::Answer::Yes)
        return;

    if (fileThere()) {
        auto bytes = files::readAll(path);
        if (!bytes)
            return historyOpenFailed(f);
        const std::optional<QByteArray> kept = records::keptLines(std::move(*bytes), keep);
        bytes.reset();
        // The file changed under us and no longer has the lines to keep: leave it alone.
        if (!kept)
            return historyOpenFailed(f);
        if (!files::replace(path, *kept))
            return historyOpenFailed(f);
    }

    ClearInputs(f);
    ClearActualResults(f);
    ClearPredictedResults(f);
    SetModeLabels(f);
    f.model.setEnabled(QStringLiteral("Save"), false);
    f.setStatus(QStringLiteral("Last Saved Meter Reading Deleted"));
}

void ViewH_Click(MainForm& f) {
    records::viewLog(f, QStringLiteral("history log"), f.HistoryLogName);
}
