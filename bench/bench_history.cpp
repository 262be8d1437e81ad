// SPDX-License-Identifier: GPL-3.0-or-later
// Times the history window opening on a 32,767-line history log (reading, pricing every
// period, table and charts shown, offscreen) and the CSV export of the same log.
// Usage: bench_history [runs]
#include "benchsupport.h"
#include "form/mainform.h"
#include "quiethost.h"
#include "records/historyperiods.h"
#include "records/logformat.h"
#include "text/files.h"
#include "text/values.h"
#include "ui/frmhistory.h"
#include "ui/historyfiles.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Header, start record and quarterly records with a cheap rate, break point and discounts,
// column headers before every 41st data line: 32,767 lines in all.
QString bigHistory() {
    QString log = records::headerBlock(QStringLiteral("Voltrake History Log"),
                                       QStringLiteral("01-Jan-00 00:00:00")) +
                  records::historyColumnHeaders(QStringLiteral("VAT")) + files::crlf;
    int lines = 10;
    QDate date(1930, 1, 1);
    int normal = 1000, cheap = 500, data = 0;
    auto record = [&](bool start) {
        const QString d = values::shortDate(date);
        QString l = d.rightJustified(11) + ", " + QString::number(normal).rightJustified(7) + ", " +
                    QString::number(cheap).rightJustified(7);
        l += start ? QStringLiteral(",        ,        ,       ,        ,        ,      ,       "
                                    ",         ,     ")
                   : QStringLiteral(", .245000, .200000, F  400, .090000,  £45.50,  5.0%,   3.5%,"
                                    "    £1.25,  Qtr");
        return l;
    };
    log += record(true) + files::crlf;
    ++lines, ++data;
    while (lines < 32767) {
        if (data % 40 == 0 && data > 35) {
            if (lines + 5 > 32767)
                break;
            log += records::historyColumnHeaders(QStringLiteral("VAT")) + files::crlf;
            lines += 5;
        }
        date = date.addDays(1);
        normal = normal % 9000000 + 20, cheap = cheap % 9000000 + 10;
        log += record(false) + files::crlf;
        ++lines, ++data;
    }
    while (lines < 32767)
        log += files::crlf, ++lines;
    return log;
}

} // namespace

int main(int argc, char** argv) {
    offscreenUnlessChosen();
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale("en_GB"));
    const int runs = runsArgument(argc, argv, 10);

    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Log");
    QuietHost host;
    MainForm form(host);
    form.baseDir = dir.path();
    form.HistoryLogName = QStringLiteral("Voltrake_H.log");
    const QString log = bigHistory();
    if (qEnvironmentVariableIsSet("VOLTRAKE_DUMP"))
        std::fputs(qPrintable(log.left(3000)), stdout);
    if (!files::replace(dir.path() + "/Log/Voltrake_H.log", log))
        return 1;

    const QByteArray bytes = files::encode(log);
    qsizetype priced = 0;
    const Timing periods = timeMs(
        runs, [] {}, [&] { priced = records::historyPeriods(QByteArrayView(bytes), 0.43).size(); });
    int rows = 0;
    const Timing open = timeMs(
        runs, [] {},
        [&] {
            QWidget* w = showHistoryWindow(form, nullptr);
            QApplication::processEvents();
            w->grab(); // drawn once, as the screen would be
            rows = w->findChild<QAbstractItemView*>("HistoryTable")->model()->rowCount();
            delete w;
        });
    const QString csv = dir.path() + "/history.csv";
    const Timing exported = timeMs(
        runs, [] {}, [&] { exportHistoryTo(form, csv); });
    std::printf("history lines: %d, periods: %d\n", int(files::splitLines(log).size()), rows);
    std::printf("periods read and priced (%lld): median %.1f ms, fastest %.1f ms\n", qint64(priced),
                periods.median, periods.fastest);
    std::printf("window opened and drawn: median %.1f ms, fastest %.1f ms\n", open.median,
                open.fastest);
    std::printf("CSV export: median %.1f ms, fastest %.1f ms (%lld bytes)\n", exported.median,
                exported.fastest, QFileInfo(csv).size());
    return 0;
}
