#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <utility>
#include <vector>

#include "shell/files.h"

class MainForm;

// Pieces the results log, the history log, saving and archiving share.
namespace records {

using files::crlf;

// The header block both logs start with: title, version line, "File Created", the moment of
// creation and one empty line (the caller's write adds the line end after the last piece).
QString headerBlock(const QString& title, const QString& created);
QString versionLine();

// The line-end rule of the log files: CR LF, a lone LF or a lone CR ends a line; a final line
// without line end counts, a trailing line end adds no line. Calls f(line) for each line in
// order and answers the number of lines. Works on decoded text and, since CR and LF are single
// bytes in the code page, on the file's bytes alike.
template <typename F> qsizetype forEachLine(QStringView text, F&& f);
template <typename F> qsizetype forEachLine(QByteArrayView bytes, F&& f);

// [start, length) of every line of the bytes, by the same rule.
std::vector<std::pair<qsizetype, qsizetype>> lineSpans(QByteArrayView bytes);

// Bytes of a file as text, exactly as files::decode gives them. Logs are mostly plain text, so
// the usual case takes a quicker road: the code page equals Latin-1 outside 0x80-0x9F.
QString decode(QByteArrayView bytes);

// The last line of a file's bytes by the same rule, decoded; empty for an empty file. Only the
// end of the file is looked at.
QString lastLine(QByteArrayView bytes);

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
QString historyDate(const QString& text);

// The first "<stem>_yymmdd_<n>.log" below Log (n = 1, 2, ...) that names no file, as a path
// relative to the working directory; empty when every sequence number is taken.
QString firstFreeName(MainForm& f, const QString& stem);

// Opens a log below Log in the text editor, after the directory and file checks.
void viewLog(MainForm& f, const QString& description, const QString& name);

namespace detail {
template <typename View, typename Char, typename F>
qsizetype forEachLine(View text, Char cr, Char lf, F&& f) {
    const qsizetype n = text.size();
    qsizetype start = 0, count = 0;
    qsizetype nextCr = -1, nextLf = -1; // positions at or after start; n when none is left
    while (start < n) {
        if (nextCr < start) {
            nextCr = text.indexOf(cr, start);
            if (nextCr < 0)
                nextCr = n;
        }
        if (nextLf < start) {
            nextLf = text.indexOf(lf, start);
            if (nextLf < 0)
                nextLf = n;
        }
        const qsizetype end = std::min(nextCr, nextLf);
        f(text.sliced(start, end - start));
        ++count;
        if (end == n)
            break;
        start = end + 1;
        if (end == nextCr && start < n && text[start] == lf)
            ++start;
    }
    return count;
}
} // namespace detail

template <typename F> qsizetype forEachLine(QStringView text, F&& f) {
    return detail::forEachLine(text, QChar(u'\r'), QChar(u'\n'), std::forward<F>(f));
}

template <typename F> qsizetype forEachLine(QByteArrayView bytes, F&& f) {
    return detail::forEachLine(bytes, '\r', '\n', std::forward<F>(f));
}

} // namespace records
