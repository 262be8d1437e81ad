// Times the core's everyday work on this machine and prints a table (median of many runs):
// Calculate with an empty history and with 1,000 and 32,767 history lines, ReadConfiguration,
// BuildResultsReport. Usage: bench_core [runs]
#include "benchsupport.h"
#include "form/calculate.h"
#include "form/config.h"
#include "form/history.h"
#include "form/mainform.h"
#include "form/results.h"
#include "quiethost.h"
#include "text/errors.h"
#include "text/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const char* ini = "# Voltrake Version 3.1\r\n# Configuration File\r\n# 05-Dec-26 04:40:50\r\n\r\n"
                  "[Run]\r\nLogLevel=1\r\nRunOnTop=1\r\n\r\n[Data]\r\nBreakP=1\r\nBreakPD=1\r\n"
                  "CORate=0.43\r\nCRate=1.05\r\nDisc1=1\r\nDisc1PT=1\r\nDisc2=1\r\nDisc2FT=1\r\n"
                  "DRate=1\r\nNRate1=0.150000\r\nNRate2=1\r\nPeriodT=1\r\nPredict=5\r\n"
                  "SCharge=13.5\r\nUpEnable=1\r\nVRate=18.5\r\n";

// A history log with a header and `lines` lines in all, records dated in the past.
QString historyText(int lines) {
    QString text = "Voltrake History Log\r\nVersion 3.1\r\nFile Created\r\n05-Dec-26 04:40:50\r\n"
                   "\r\n\r\n\r\nheader\r\nheader\r\nheader\r\n";
    for (int i = 10; i < lines; ++i)
        text += QStringLiteral("01-Jan-2001,  %1,       ,  .150000,        , F     ,  .050000,"
                               "   13.50,  17.5%,       ,        ,  Qtr\r\n")
                    .arg(1000 + i, 6);
    return text;
}

void fillInputs(MainForm& f) {
    f.setText("Date1", "01/01/2012");
    f.setText("Date2", "01/04/2012");
    f.setText("NRead1", "1000");
    f.setText("NRead2", "2000");
    f.setText("Notes", "benchmark");
    f.LastInputSignature.clear();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale("en_GB"));
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Data");
    QDir(dir.path()).mkpath("Log");
    QDir(dir.path()).mkpath("Help");
    files::replace(dir.path() + "/Data/Voltrake.ini", QString::fromLatin1(ini));
    files::replace(dir.path() + "/Log/Voltrake.log", QStringLiteral("Voltrake Results Log\r\n"));

    QuietHost host;
    MainForm f(host);
    f.baseDir = dir.path();
    f.FileSystem = true;
    f.ResultsLogName = "Voltrake.log";
    f.HistoryLogName = "Voltrake_H.log";
    try {
        f.Loading = true;
        ReadConfiguration(f);
        f.Loading = false;
    } catch (const ProgramEnded&) {
        std::fprintf(stderr, "configuration could not be read\n");
        return 1;
    }

    std::printf("%-40s %12s\n", "operation", "median ms");
    for (int lines : {0, 1000, 32767}) {
        const QString history = dir.path() + "/Log/Voltrake_H.log";
        if (lines == 0)
            QFile::remove(history);
        else
            files::replace(history, historyText(lines));
        const Timing t = timeMs(
            runs, [&] { fillInputs(f); }, [&] { Calculate(f); });
        std::printf("Calculate, %5d history lines %20.3f\n", lines, t.median);
    }
    const auto nothing = [] {};
    std::printf("%-40s %12.3f\n", "ReadConfiguration",
                timeMs(runs, nothing, [&] { ReadConfiguration(f); }).median);
    std::printf("%-40s %12.3f\n", "BuildResultsReport",
                timeMs(runs, nothing, [&] { BuildResultsReport(f); }).median);
    return 0;
}
