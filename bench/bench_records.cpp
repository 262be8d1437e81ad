// Times the history log's readers on a 32,767-line log and prints a table (median of many
// runs): what a calculation reads (BuildHistoryRecord), Get Last, Remove Last (answering Yes,
// the file restored between runs) and, for scale, `wc -l` on the same file.
// Usage: bench_records [runs]
#include "benchsupport.h"
#include "form/history.h"
#include "form/mainform.h"
#include "quiethost.h"
#include "text/files.h"
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
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    QLocale::setDefault(QLocale(QStringLiteral("en_GB")));

    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("Log"));
    QuietHost host;
    MainForm f(host);
    f.baseDir = dir.path();
    f.ResultsLogName = QStringLiteral("Voltrake.log");
    f.HistoryLogName = QStringLiteral("Voltrake_H.log");
    const QString path = f.path(QStringLiteral("Log/Voltrake_H.log"));
    auto write = [&](const QByteArray& bytes) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    };

    std::printf("History log of 32,767 lines, %d runs, milliseconds: median (fastest)\n\n", runs);
    std::printf("%-24s %19s %19s %7s\n", "", "short date, pound", "dd-mmm-yyyy, euro", "target");

    const QByteArray shortLog = historyLog(
        32767, [](const QDate& d) { return values::shortDate(d); }, "£");
    const QByteArray namedLog = historyLog(
        32767, [](const QDate& d) { return values::ddMmmYyyy(d); }, "€");
    std::vector<Timing> build, last, remove, wc;
    for (const QByteArray* log : {&shortLog, &namedLog}) {
        write(*log);
        f.setText(QStringLiteral("Date2"), QStringLiteral("05/12/2026"));
        build.push_back(timeMs(
            runs, [&] { f.DataErrors.clear(); }, [&] { BuildHistoryRecord(f); }));
        last.push_back(timeMs(
            runs, [] {}, [&] { Get_Last_Click(f); }));
        remove.push_back(timeMs(
            runs, [&] { write(*log); }, [&] { Del_Last_Click(f); }));
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
    row("Calculation's read", build, "<= 10");
    row("Get Last", last, "<= 5");
    row("Remove Last", remove, "<= 20");
    row("wc -l (with its start)", wc, "");
    std::printf("\nFiles of %lld and %lld bytes, %lld lines each\n",
                static_cast<long long>(shortLog.size()), static_cast<long long>(namedLog.size()),
                static_cast<long long>(shortLog.count('\n')));
    return 0;
}
