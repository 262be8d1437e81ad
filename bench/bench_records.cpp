// Times the history log's readers on a 32,767-line log and prints a table (median of many
// runs): what a calculation reads (BuildHistoryRecord), Get Last, Remove Last (the file
// restored between runs) and, for scale, `wc -l` on the same file. The file work and the pure
// functions of those procedures, without the window.
// Usage: bench_records [runs]
#include "benchsupport.h"
#include "records/logformat.h"
#include "records/logscan.h"
#include "records/logwrite.h"
#include "text/files.h"
#include "text/lines.h"
#include "text/values.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// A history log of exactly `total` lines as saves write it: header, start record, daily
// records, column headers before every 41st data line. Dates in the given form; the money
// symbol of the fixed charges decides whether the file is plain Latin-1 ("£") or not ("€").
QByteArray historyLog(int total, const std::function<QString(const QDate&)>& date,
                      const QString& money) {
    const QString header =
        "Voltrake History Log\r\nVersion 3.1\r\nFile Created\r\n05-Dec-26 04:40:50\r\n\r\n\r\n";
    const QString columns =
        "\r\nDate       , Normal , Cheap  , Normal , Normal , Break , Cheap  , Fixed  , VAT  , "
        "Disc  , Disc    , Time\r\n           , Reading, Reading, Rate 1 , Rate 2 , Point , "
        "Rate   , Charges, Rate , 1     , 2       ,     \r\n-----------, -------, -------, "
        "-------, -------, ------, -------, -------, -----, ------, --------, ----\r\n";
    QString text = header + columns;
    int lines = 10, data = 0;
    QDate day(1930, 1, 1);
    while (lines < total) {
        if (data > 0 && data % 40 == 0 && lines + 6 <= total) {
            text += "\r\n" + columns;
            lines += 5;
        }
        text += date(day).rightJustified(11) + ", " +
                QString::number(1000 + data).rightJustified(7) +
                ",     500, .123456, .000000, F    0, .065000,  " + money +
                "30.00,  5.0%,       ,         ,"
                "  Qtr\r\n";
        ++lines;
        ++data;
        day = day.addDays(1);
    }
    return files::encode(text);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = runsArgument(argc, argv, 50);
    QLocale::setDefault(QLocale(QStringLiteral("en_GB")));

    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("Log"));
    const QString path = dir.path() + QStringLiteral("/Log/Voltrake_H.log");
    auto write = [&](const QByteArray& bytes) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    };
    // BuildHistoryRecord: the log's tail, the date check and the text to append.
    auto build = [&] {
        const auto tail = records::historyTail(path);
        if (!tail)
            return;
        const QString complaint = records::laterDateMessage(*tail, QStringLiteral("05/12/2026"));
        (void)records::historyAppendText(*tail, QStringLiteral("start"), QStringLiteral("record"),
                                         QStringLiteral("VAT"), complaint.isEmpty());
    };
    // Get Last: the last line and whether it holds a date and a reading to restore.
    auto getLast = [&] {
        const auto bytes = files::readAll(path);
        if (!bytes)
            return;
        const QString last = lines::lastLine(*bytes);
        (void)(values::readsAsDate(records::dateColumn(last)) &&
               records::readingColumn(last, 14) >= 1);
    };
    // Remove Last: the search back, then the kept lines written over the log.
    auto removeLast = [&] {
        auto bytes = files::readAll(path);
        if (!bytes)
            return;
        const records::RemoveLastCut cut = records::removeLastCut(*bytes);
        if (cut.lines <= 10)
            return;
        bytes = files::readAll(path);
        if (!bytes)
            return;
        if (const auto kept = records::keptLines(std::move(*bytes), cut.keep))
            files::replace(path, *kept);
    };

    std::printf("History log of 32,767 lines, %d runs, milliseconds: median (fastest)\n\n", runs);
    std::printf("%-24s %19s %19s %7s\n", "", "short date, pound", "dd-mmm-yyyy, euro", "target");

    const QByteArray shortLog = historyLog(
        32767, [](const QDate& d) { return values::shortDate(d); }, "£");
    const QByteArray namedLog = historyLog(
        32767, [](const QDate& d) { return values::ddMmmYyyy(d); }, "€");
    std::vector<Timing> builds, last, remove, wc;
    for (const QByteArray* log : {&shortLog, &namedLog}) {
        write(*log);
        builds.push_back(timeMs(
            runs, [] {}, build));
        last.push_back(timeMs(
            runs, [] {}, getLast));
        remove.push_back(timeMs(
            runs, [&] { write(*log); }, removeLast));
        wc.push_back(timeMs(
            runs, [] {},
            [&] {
                QProcess p;
                p.start(QStringLiteral("wc"), {QStringLiteral("-l"), path});
                p.waitForFinished();
            }));
        write(*log);
    }
    auto row = [](const char* name, const std::vector<Timing>& t, const char* target) {
        std::printf("%-24s %10.2f (%6.2f) %10.2f (%6.2f) %7s\n", name, t[0].median, t[0].fastest,
                    t[1].median, t[1].fastest, target);
    };
    row("Calculation's read", builds, "<= 10");
    row("Get Last", last, "<= 5");
    row("Remove Last", remove, "<= 20");
    row("wc -l (with its start)", wc, "");
    std::printf("\nFiles of %lld and %lld bytes, %lld lines each\n",
                static_cast<long long>(shortLog.size()), static_cast<long long>(namedLog.size()),
                static_cast<long long>(shortLog.count('\n')));
    return 0;
}
