// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/logwrite.h"

#include "records/logformat.h"
#include "text/files.h"
#include "text/lines.h"
#include "text/values.h"

using namespace Qt::StringLiterals;

namespace records {

QString resultsLogStart(const QString& created) {
    return headerBlock(u"Voltrake Results Log"_s, created);
}

QString historyLogStart(const QString& created, const QString& taxWord) {
    return headerBlock(u"Voltrake History Log"_s, created) + historyColumnHeaders(taxWord);
}

Creation createIfMissing(const QString& path, const QString& start) {
    if (files::fileExists(path))
        return Creation::Existed;
    return files::replace(path, start + files::crlf) ? Creation::Created : Creation::Failed;
}

std::optional<HistoryTail> historyTail(const QString& path, const QLocale& locale) {
    HistoryTail tail;
    if (!files::fileExists(path))
        return tail;
    const auto bytes = files::readAll(path);
    if (!bytes)
        return std::nullopt;
    // Lines are told apart on the bytes; only the columns looked at are decoded.
    QByteArrayView last;
    lines::forEachLine(QByteArrayView(*bytes), [&](QByteArrayView l) {
        if (isDataLine(l, locale))
            ++tail.dataLines;
        last = l;
    });
    tail.lastLine = lines::decode(last);
    return tail;
}

QString laterDateMessage(const HistoryTail& tail, const QString& date2, const QLocale& locale) {
    const auto saved = values::readDate(dateColumn(tail.lastLine), locale);
    const auto second = values::readDate(date2, locale);
    if (saved && second && values::daysBetween(*second, *saved) >= 0)
        return u"Meter Reading Date 2 must be later than the last Meter Reading date saved\n"_s;
    return {};
}

QString historyAppendText(const HistoryTail& tail, const QString& startRecord,
                          const QString& record, const QString& taxWord, bool accepted) {
    QString text;
    if (tail.dataLines % 40 == 0 && tail.dataLines > 35)
        text += historyColumnHeaders(taxWord) + files::crlf;
    if (accepted) {
        if (tail.dataLines == 0)
            text += startRecord + files::crlf;
        text += record;
    }
    return text;
}

bool appendToLog(const QString& path, const QString& text) {
    return files::append(path, text + files::crlf);
}

} // namespace records
