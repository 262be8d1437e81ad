// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>
#include <optional>

// Writing a calculation to the results and history logs: the same texts and the same writes
// for the Save button and for `voltrake-cli bill --save`.
namespace records {

// What a new log starts with (the caller's write adds the line end after it): the header
// block, and for the history log the column headers with the tax word ("VAT" or "Tax").
QString resultsLogStart(const QString& created);
QString historyLogStart(const QString& created, const QString& taxWord);

enum class Creation { Existed, Created, Failed };
// Writes `start` and a line end as a new file, atomically, when there is no file at `path`.
Creation createIfMissing(const QString& path, const QString& start);

// What the history log holds so far, as far as a new record cares.
struct HistoryTail {
    qsizetype dataLines = 0;
    QString lastLine; // the last line, data or not
};
// The tail of the history log at `path`; a missing file has no lines. Empty when the file is
// there but cannot be read.
std::optional<HistoryTail> historyTail(const QString& path, const QLocale& locale = QLocale());

// The complaint when Date 2 is not later than the date of the last line saved, else empty.
QString laterDateMessage(const HistoryTail& tail, const QString& date2,
                         const QLocale& locale = QLocale());

// The text to append for a record: the column headers again after every 40 data lines, and
// the start record before the first one. Without `accepted` only the headers, if due.
QString historyAppendText(const HistoryTail& tail, const QString& startRecord,
                          const QString& record, const QString& taxWord, bool accepted);

// Appends a report or a record and its line end in one write to an existing log.
bool appendToLog(const QString& path, const QString& text);

} // namespace records
