// Times the core's everyday work on this machine and prints a table (median of many runs):
// what Calculate does with an empty history and with 1,000 and 32,767 history lines, what
// ReadConfiguration and BuildResultsReport do. The pure functions the window's procedures
// call, without the window. Usage: bench_core [runs]
#include "benchsupport.h"
#include "domain/bill.h"
#include "records/billformat.h"
#include "records/configformat.h"
#include "records/logwrite.h"
#include "records/readingchecks.h"
#include "records/tariffchecks.h"
#include "text/errors.h"
#include "text/files.h"
#include "text/values.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

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

// Calculate's steps on the configured tariff and fixed readings: the checks, the bill with its
// prediction, its texts, the report and the history record against the log's tail.
bool calculate(const records::Configuration& config, const QString& history) {
    const records::TariffCheckInput in = config.checkInput();
    const records::TariffCheck checked = records::checkTariff(in);
    records::FieldTexts text = checked.fields.text;
    if (checked.breakPoint.fieldText)
        text[QStringLiteral("BPoint")] = *checked.breakPoint.fieldText;
    records::ReadingTexts readings{QStringLiteral("01/01/2012"),
                                   QStringLiteral("01/04/2012"),
                                   QStringLiteral("1000"),
                                   QStringLiteral("2000"),
                                   {},
                                   {}};
    if (!checked.messages().isEmpty() || !records::readingValueMessages(readings, false).isEmpty())
        return false;
    const QString symbol = checked.fields.currencySymbol.value_or(in.currencySymbol);
    const records::RuleTariff rules{
        records::withoutSymbol(text.value(QStringLiteral("CheapR")), symbol),
        records::withoutSymbol(text.value(QStringLiteral("NormalR2")), symbol),
        text.value(QStringLiteral("BPoint")), text.value(QStringLiteral("PRate")),
        config.modes.monthly};
    const records::ReadingRulesOutcome r = records::readingRules(readings, rules, false);
    if (!r.messages.isEmpty() || r.failure || !r.date1)
        return false;
    text[QStringLiteral("Date1")] = *r.date1;
    text[QStringLiteral("Date2")] = *r.date2;
    text[QStringLiteral("NRead1")] = readings.normal1;
    text[QStringLiteral("NRead2")] = readings.normal2;
    const billformat::Modes modes{config.modes.perDay, config.modes.monthly,
                                  config.modes.disc1Percent, config.modes.disc2Fixed};
    const auto inputs = billformat::inputsFromTexts(text, modes);
    if (!inputs)
        return false;
    const domain::Bill bill =
        domain::computeBill(inputs->tariff, inputs->readings, values::currencyDecimals());
    const billformat::BillTexts texts = billformat::billTexts(bill, QStringLiteral("benchmark"));
    const QString report = billformat::resultsReport(texts, QDateTime::currentDateTime());
    const auto tail = records::historyTail(history);
    if (!tail)
        return false;
    const QString record = records::historyAppendText(
        *tail, billformat::startLine(texts), billformat::historyLine(texts), texts.taxWord,
        records::laterDateMessage(*tail, *r.date2).isEmpty());
    return !report.isEmpty() && !record.isEmpty();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale("en_GB"));
    const int runs = runsArgument(argc, argv, 200);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Data");
    QDir(dir.path()).mkpath("Log");
    const QString iniPath = dir.path() + "/Data/Voltrake.ini";
    files::replace(iniPath, QString::fromLatin1(ini));
    const records::Configuration config = records::readConfigurationFile(iniPath);
    if (!config.ok()) {
        std::fprintf(stderr, "configuration could not be read\n");
        return 1;
    }

    std::printf("%-40s %12s\n", "operation", "median ms");
    const QString history = dir.path() + "/Log/Voltrake_H.log";
    for (int lines : {0, 1000, 32767}) {
        if (lines == 0)
            QFile::remove(history);
        else
            files::replace(history, historyText(lines));
        if (!calculate(config, history)) {
            std::fprintf(stderr, "the calculation was refused\n");
            return 1;
        }
        const Timing t = timeMs(
            runs, [] {}, [&] { calculate(config, history); });
        std::printf("Calculate, %5d history lines %20.3f\n", lines, t.median);
    }
    const auto nothing = [] {};
    std::printf("%-40s %12.3f\n", "ReadConfiguration",
                timeMs(runs, nothing, [&] { records::readConfigurationFile(iniPath); }).median);
    // The report of a bill already computed, as BuildResultsReport makes it from the fields.
    const auto tariff = config.tariff();
    const auto readings = billformat::inputsFromTexts(
        {{"Date1", "01/01/2012"}, {"Date2", "01/04/2012"}, {"NRead1", "1000"}, {"NRead2", "2000"}},
        {});
    if (!tariff || !readings)
        return 1;
    const domain::Bill bill =
        domain::computeBill(*tariff, readings->readings, values::currencyDecimals());
    const billformat::BillTexts texts = billformat::billTexts(bill, QStringLiteral("benchmark"));
    std::printf("%-40s %12.3f\n", "BuildResultsReport",
                timeMs(runs, nothing, [&] {
                    billformat::resultsReport(texts, QDateTime::currentDateTime());
                }).median);
    return 0;
}
