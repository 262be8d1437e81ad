// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/historyimport.h"

#include "domain/bill.h"
#include "records/logformat.h"
#include "text/files.h"
#include "text/lines.h"
#include "text/values.h"

namespace records {

namespace {

// The fields a save reads its readings from, as the window would hold them.
void putReading(QMap<QString, QString>& texts, const char* date, const char* normal,
                const char* cheap, const ImportedReading& r, const QLocale& locale) {
    texts[QLatin1String(date)] = values::shortDate(r.date, locale);
    texts[QLatin1String(normal)] = values::plainNumber(r.normal, locale);
    texts[QLatin1String(cheap)] = r.cheap ? values::plainNumber(*r.cheap, locale) : QString();
}

// The reading a record keeps: its date and its two reading columns, as Get Last restores them.
std::optional<ImportedReading> readingOf(const QString& line, const QLocale& locale) {
    const auto date = values::readDate(dateColumn(line), locale);
    if (!date)
        return std::nullopt;
    ImportedReading r;
    r.date = *date;
    r.normal = values::leadingValue(line.mid(13, 7).trimmed(), locale);
    const QString cheap = line.mid(22, 7).trimmed();
    if (!cheap.isEmpty())
        r.cheap = values::leadingValue(cheap, locale);
    return r;
}

} // namespace

std::optional<ImportedHistory> historyWithReadings(const QString& log,
                                                   const std::vector<ImportedReading>& readings,
                                                   const QMap<QString, QString>& tariffTexts,
                                                   const billformat::Modes& modes,
                                                   const QString& taxWord, const QLocale& locale) {
    qsizetype dataLines = 0;
    QStringView lastData;
    lines::forEachLine(log, [&](QStringView line) {
        if (isDataLine(line, locale)) {
            ++dataLines;
            lastData = line;
        }
    });
    std::optional<ImportedReading> previous;
    if (dataLines > 0)
        previous = readingOf(lastData.toString(), locale);

    ImportedHistory out;
    out.text = log;
    // A log whose last line lacks its end gets one, as the next append would assume.
    if (!out.text.isEmpty() && !out.text.endsWith(QLatin1Char('\n')))
        out.text += files::crlf;

    const QString headers = historyColumnHeaders(taxWord) + files::crlf;
    for (const ImportedReading& reading : readings) {
        if (!previous) {
            // The first reading of an empty history waits to be the start of the next record.
            previous = reading;
            continue;
        }
        QMap<QString, QString> texts = tariffTexts;
        putReading(texts, "Date1", "NRead1", "CRead1", *previous, locale);
        putReading(texts, "Date2", "NRead2", "CRead2", reading, locale);
        const auto inputs = billformat::inputsFromTexts(texts, modes, locale);
        if (!inputs)
            return std::nullopt;
        billformat::BillTexts bill;
        try {
            bill = billformat::billTexts(domain::computeBill(inputs->tariff, inputs->readings,
                                                             values::currencyDecimals(locale)),
                                         QString(), locale);
        } catch (const RuntimeError&) {
            return std::nullopt;
        }
        QString record;
        if (dataLines % 40 == 0 && dataLines > 35)
            record += headers;
        if (dataLines == 0) {
            const QString start = billformat::startLine(bill, locale);
            record += start + files::crlf;
            dataLines += isDataLine(start, locale) ? 1 : 0;
            ++out.readings;
        }
        record += billformat::historyLine(bill, locale) + files::crlf;
        ++dataLines;
        ++out.readings;
        out.text += record;
        previous = reading;
    }
    // A lone reading in an empty history is only a start record.
    if (dataLines == 0 && previous && readings.size() == 1) {
        QMap<QString, QString> texts = tariffTexts;
        putReading(texts, "Date1", "NRead1", "CRead1", *previous, locale);
        billformat::BillTexts bill;
        bill.text = texts;
        out.text += billformat::startLine(bill, locale) + files::crlf;
        ++out.readings;
    }
    return out;
}

} // namespace records
