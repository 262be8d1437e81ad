// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/historyperiods.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

// Comma-separated values for spreadsheets: the history periods written out, and meter
// readings read in.
namespace records::csv {

// One field quoted where it must be: a separator, a double quote, CR or LF inside.
QString field(const QString& text, QChar separator = u',');
// Rows joined with LF line ends (one after the last row too), as UTF-8.
QByteArray document(const QList<QStringList>& rows);
// The cells of a document, quoted fields unquoted; the line number (1-based) each row starts
// on goes into `lineNumbers` when given.
QList<QStringList> parse(const QString& text, QChar separator,
                         QList<qsizetype>* lineNumbers = nullptr);

// A period's cell: ISO 8601 dates, numbers with "." and no grouping, empty for no value.
QString cell(const QVariant& value);
// The periods as CSV: a header row of columnNames(), then one row per period.
QByteArray historyCsv(const QList<Period>& periods);
// The comparison: from, to, own, other, difference; a last row "total" with the sums.
QByteArray comparisonCsv(const Comparison& comparison);

// Readings to import, sorted by date.
struct ImportRow {
    QDate date;
    double normal = 0;
    std::optional<double> cheap;
    qsizetype line = 0;
};

// What the history already holds: the last saved record's date and readings.
struct ImportBase {
    std::optional<QDate> lastDate;
    std::optional<double> lastNormal;
    std::optional<double> lastCheap;
};

// The rows of a readings file (header row, then date, normal reading and an optional cheap
// reading; "," or ";" between them; "." or "," as decimal mark; dates as the window reads them
// or ISO), or the one message that names every refused line and why.
std::variant<QList<ImportRow>, QString> importReadings(const QString& text, const ImportBase& base,
                                                       const QLocale& locale = QLocale());

} // namespace records::csv
