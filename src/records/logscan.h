// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <optional>

// Scans of the log files' bytes that the window's procedures act on: none of them touches a
// file, so each can be run on any content.
namespace records {

// The version the history log was written by: the last "Version x.y" line of exactly 11
// characters; nothing when there is none.
std::optional<QString> historyLogVersion(QByteArrayView bytes);

// A record of an older history layout in the current 104-character one; each step takes the
// result of the step before, so the oldest layout passes through all of them. Other lines
// come back as they are.
QString upgradedRecord(QString line);

// The data lines of an older history log, upgraded, each ended by CR LF, with `headers` (the
// column-header block and its line end) in front of every 40th line from the 40th on.
QString upgradedRecords(QStringView text, const QString& headers,
                        const QLocale& locale = QLocale());

// What Remove Last keeps of the history log: its number of lines and how many of the first
// lines stay when the final record goes (the header block stays whatever follows).
struct RemoveLastCut {
    qsizetype lines = 0;
    qsizetype keep = 0;
};
RemoveLastCut removeLastCut(QByteArrayView bytes, const QLocale& locale = QLocale());

// The first `keep` lines of the log, each ended by CR LF; nothing when it has fewer.
std::optional<QByteArray> keptLines(QByteArray all, qsizetype keep);

// Whether a results log holds a report: a line starting "Cost" after any leading blanks (not
// tabs). The header and start-up entries have none.
bool holdsReports(QByteArrayView bytes);

} // namespace records
