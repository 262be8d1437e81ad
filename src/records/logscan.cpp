// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/logscan.h"

#include "records/logformat.h"
#include "text/files.h"
#include "text/lines.h"

#include <utility>

namespace records {

std::optional<QString> historyLogVersion(QByteArrayView bytes) {
    std::optional<QString> version;
    // A version line is plain text; only its last three characters need decoding.
    lines::forEachLine(bytes, [&](QByteArrayView line) {
        if (line.size() == 11 && line.startsWith("Version "))
            version = lines::decode(line.sliced(8));
    });
    return version;
}

QString upgradedRecord(QString l) {
    if (l.size() == 78)
        l = l.left(49) + "F" + l.mid(49, 15) + l.right(16) + ",       ,         ";
    if (l.size() == 99)
        l = l.left(66) + l.mid(67, 17) + "       ,         ";
    if (l.size() == 100)
        l = l.left(81) + l.mid(83, 8) + l.right(7);
    if (l.size() == 96)
        l += ",  Qtr";
    if (l.size() == 102)
        l = l.left(90) + "  " + l.right(12);
    return l;
}

QString upgradedRecords(QStringView text, const QString& headers, const QLocale& locale) {
    QString out;
    out.reserve(text.size() + text.size() / 20);
    qsizetype written = 0;
    lines::forEachLine(text, [&](QStringView line) {
        if (!isDataLine(line, locale))
            return;
        if (written % 40 == 0 && written >= 36)
            out += headers;
        out += upgradedRecord(line.toString()) + files::crlf;
        ++written;
    });
    return out;
}

RemoveLastCut removeLastCut(QByteArrayView bytes, const QLocale& locale) {
    const auto spans = lines::lineSpans(bytes);
    const auto count = qsizetype(spans.size());
    // The final line is the record to remove; the last data line before it is the last line
    // to keep. Searching backwards stops at the first one found.
    qsizetype lastData = 0;
    for (qsizetype i = count - 2; i >= 0; --i) {
        if (isDataLine(bytes.sliced(spans[i].first, spans[i].second), locale)) {
            lastData = i + 1;
            break;
        }
    }
    // With no data line before the final one (a first reading of 1 fails the data-line test)
    // the header block still stays, as it does when only the start record is left.
    return {count, count == 11 || (count >= 12 && lastData == 0) ? 10 : lastData};
}

std::optional<QByteArray> keptLines(QByteArray all, qsizetype keep) {
    // Where the kept lines end in CR LF already (the usual case) they are the start of the
    // file as it is, and the bytes are cut there rather than copied.
    qsizetype count = 0, end = 0;
    bool crlf = true;
    lines::forEachLine(QByteArrayView(all), [&](QByteArrayView line) {
        if (count++ >= keep)
            return;
        end = line.data() - all.constData() + line.size();
        crlf = crlf && QByteArrayView(all).sliced(end).startsWith("\r\n");
    });
    if (count < keep)
        return std::nullopt;
    if (crlf) {
        all.truncate(end + 2);
        return all;
    }
    QByteArray kept;
    kept.reserve(end + 2 * keep);
    count = 0;
    lines::forEachLine(QByteArrayView(all), [&](QByteArrayView line) {
        if (count++ < keep)
            kept.append(line).append("\r\n");
    });
    return kept;
}

bool holdsReports(QByteArrayView bytes) {
    // The bytes are scanned as they are: "Cost" and the blank are the same bytes in the code
    // page, and a large log is not copied into text.
    bool found = false;
    lines::forEachLine(bytes, [&found](QByteArrayView line) {
        while (!line.isEmpty() && line.front() == ' ')
            line = line.sliced(1);
        found = found || line.startsWith("Cost");
    });
    return found;
}

} // namespace records
