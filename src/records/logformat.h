#pragma once

#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringView>

// The shapes of the two log files: header blocks, the history line's columns, which lines
// hold data.
namespace records {

// The header block both logs start with: title, version line, "File Created", the moment of
// creation and one empty line (the caller's write adds the line end after the last piece).
QString headerBlock(const QString& title, const QString& created);
QString versionLine();

// The column-header block of the history log (two empty lines first, no line end after it),
// with the tax word ("VAT" or "Tax") in its column.
QString historyColumnHeaders(const QString& taxWord);

// The first 11 characters of a history line, trimmed: where the record keeps its date.
QString dateColumn(QStringView line);
// The leading-number value of a reading column (column 14 normal, 23 cheap), trimmed.
double readingColumn(QStringView line, qsizetype column, const QLocale& locale = QLocale());
// A line whose date column reads as a date and whose normal or cheap reading is above 1.
// Scans of a whole log pass the locale once instead of asking for it on every line.
bool isDataLine(QStringView line, const QLocale& locale = QLocale());
// The same test on a line of the file's bytes, decoding only the columns it looks at.
bool isDataLine(QByteArrayView line, const QLocale& locale = QLocale());

// A date text as the history log keeps it: R(11) must never cut a date, so a text longer
// than 11 characters that reads as a date is written as dd-mmm-yyyy of that date.
QString historyDate(const QString& text, const QLocale& locale = QLocale());

} // namespace records
