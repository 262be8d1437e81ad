#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <utility>
#include <vector>

// R(n, x): x right-aligned in n characters; a longer text loses its first characters.
QString R(int n, const QString& x);

// Lines of the log files and the fast road through their bytes.
namespace lines {

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

} // namespace lines
