// The history log readers on arbitrary file content: the periods the history window and the
// command-line tool read, Get Last's last line, Remove Last's search back, the upgrade's
// conversion, and a readings file imported on top of the log's last record.
//
// Input: the history log, then optionally a line "--csv--" and the readings file.
#include "fuzzinput.h"
#include "records/csv.h"
#include "records/historyperiods.h"
#include "records/logformat.h"
#include "records/logscan.h"
#include "text/lines.h"

#include <cstdint>

namespace {

records::csv::ImportBase baseOf(const QList<records::LogRecord>& parsed) {
    records::csv::ImportBase base;
    if (parsed.isEmpty())
        return base;
    const domain::HistoryRecord& last = parsed.last().record;
    base.lastDate = last.date;
    base.lastNormal = last.normalReading;
    base.lastCheap = last.cheapReading;
    return base;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QLocale locale("en_GB");
    static const QString headers = records::historyColumnHeaders(QStringLiteral("VAT")) + "\r\n";
    const auto [log, readings] = splitAt(bytesOf(data, size), "\n--csv--\n");

    const QList<records::LogRecord> parsed = records::parseHistory(log, locale);
    // The periods read straight from the bytes are those of the records.
    if (records::historyPeriods(parsed, 0.43, locale).size() !=
        records::historyPeriods(log, 0.43, locale).size())
        __builtin_trap();

    // Each line passes or fails the data-line test alike as bytes and as text; the last line
    // is the one the whole scan ends on.
    QString last;
    const qsizetype count = lines::forEachLine(log, [&](QByteArrayView line) {
        last = lines::decode(line);
        if (records::isDataLine(line, locale) != records::isDataLine(last, locale))
            __builtin_trap();
    });
    if (lines::lastLine(log) != last)
        __builtin_trap();

    const records::RemoveLastCut cut = records::removeLastCut(log, locale);
    if (cut.lines != count || cut.keep < 0 || (cut.lines > 10 && cut.keep >= cut.lines))
        __builtin_trap();
    // What Remove Last writes holds exactly the lines it keeps.
    if (cut.lines > 10) {
        const auto kept = records::keptLines(log.toByteArray(), cut.keep);
        if (!kept || lines::forEachLine(QByteArrayView(*kept), [](QByteArrayView) {}) != cut.keep)
            __builtin_trap();
    }

    (void)records::upgradedRecords(files::decode(log.toByteArray()), headers, locale);

    if (!readings.isEmpty())
        (void)records::csv::importReadings(QString::fromUtf8(readings), baseOf(parsed), locale);
    return 0;
}
