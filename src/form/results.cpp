#include "form/results.h"
#include "records/logformat.h"
#include "records/logwrite.h"
#include "text/lines.h"

#include "form/checkfiles.h"
#include "form/history.h"
#include "form/logs.h"
#include "form/mainform.h"
#include "text/files.h"
#include "text/values.h"

using files::crlf;

namespace {

const QString LogFileError = QStringLiteral("Voltrake Log File Error");

// The one-off failure of start-up: nothing can be recorded, so the program cannot go on.
[[noreturn]] void logFilesFailed(MainForm& f) {
    f.message(LogFileError,
              QStringLiteral("Unable to create the log files.\r\n"
                             "This may be a permissions problem.\r\n"
                             "The program will now terminate."),
              Host::Buttons::Ok, Host::Icon::Warning);
    f.endProgram();
}

} // namespace

void CreateLogFiles(MainForm& f) {
    CheckDirectory(f, QStringLiteral("Log"));
    const QString created = values::ddMmmYyTime(f.host.now());

    const QString results = f.path(QStringLiteral("Log/") + f.ResultsLogName);
    if (records::createIfMissing(results, records::resultsLogStart(created)) ==
        records::Creation::Failed)
        logFilesFailed(f);

    const QString history = f.path(QStringLiteral("Log/") + f.HistoryLogName);
    const QString start =
        records::historyLogStart(created, f.model.caption(QStringLiteral("VATH")).left(3));
    switch (records::createIfMissing(history, start)) {
    case records::Creation::Failed:
        f.HistoryText = start;
        logFilesFailed(f);
    case records::Creation::Created:
        f.HistoryText = start;
        f.HistoryVersion = versionText();
        return;
    case records::Creation::Existed:
        break;
    }

    const auto bytes = files::readAll(history);
    if (!bytes)
        logFilesFailed(f);
    // A version line is plain text; only its last three characters need decoding.
    lines::forEachLine(QByteArrayView(*bytes), [&](QByteArrayView line) {
        if (line.size() == 11 && line.startsWith("Version "))
            f.HistoryVersion = lines::decode(line.sliced(8));
    });
}

void BuildResultsReport(MainForm& f) {
    const bool monthly = f.ticked(QStringLiteral("Period"));
    const double periods = double(f.PeriodCount);
    const QString periodCount = values::plainNumber(periods);

    QString periodWord;
    if (periods == 1)
        periodWord = monthly ? QStringLiteral(" Month") : QStringLiteral(" Quarter");
    else if (periods > 1)
        periodWord = monthly ? QStringLiteral(" Months") : QStringLiteral(" Quarters");

    const QString pRate = f.text(QStringLiteral("PRate"));
    const double predicted = values::leadingValue(pRate);
    QString predictWord;
    if (predicted == 1)
        predictWord = monthly ? QStringLiteral(" Month   ") : QStringLiteral(" Quarter ");
    else if (predicted > 1)
        predictWord = monthly ? QStringLiteral(" Months  ") : QStringLiteral(" Quarters");

    auto t = [&f](const char* name) { return f.text(QLatin1String(name)); };
    const QString taxWord = f.model.caption(QStringLiteral("VATH")).left(3);
    const bool breakPoint = values::leadingValue(t("BPoint")) != 0;
    const bool perDay = f.ticked(QStringLiteral("DRate"));
    const bool disc1Percent = f.ticked(QStringLiteral("Disc1P"));
    const bool disc2Fixed = f.ticked(QStringLiteral("Disc2F"));
    const bool hasDisc1 = !t("Disc1").isEmpty();
    const bool hasDisc2 = !t("Disc2").isEmpty();
    const bool hasVat = !t("VAT").isEmpty();
    const QDateTime now = f.host.now();

    QString r;
    r += values::shortDate(now.date()) + ' ' + values::timeOfDay(now.time()) + crlf;
    r += t("Notes") + crlf + crlf;
    r += "Cost To Date (" + R(3, t("TDays")) + " Days)" + crlf + "-----------------------" + crlf;
    r += "From                    : " + t("Date1") + crlf;
    r += "To                      : " + t("Date2") + crlf;
    r += "Period                  : " + R(4, periodCount) + "     Number Complete & Part" +
         periodWord + "(s)" + crlf;
    r += "Normal Rate   Units Used: " + R(4, t("NRUnits"));
    if (breakPoint && !perDay)
        r += "     Normal Rate 2 after " + periodCount + " * " + t("BPoint") + "KWHrs";
    if (breakPoint && perDay)
        r += "     Normal Rate 2 after " + t("TDays") + " * " + t("BPoint") + " KWHrs/Day";
    if (breakPoint)
        r += crlf + "Normal Rate 1 Units Used: " + R(4, t("R1Units"));
    r += "     at " + R(9, t("NormalR1")) + " per KWhr = " + R(7, t("NR1Cost"));
    if (!t("R2Units").isEmpty())
        r += crlf + "Normal Rate 2 Units Used: " + R(4, t("R2Units")) + "     at " +
             R(9, t("NormalR2")) + " per KWhr = " + R(7, t("NR2Cost"));
    if (!t("CRUnits").isEmpty())
        r += crlf + "Cheap  Rate   Units Used: " + R(4, t("CRUnits")) + "     at " +
             R(9, t("CheapR")) + " per KWhr = " + R(7, t("CRCost"));
    if (!t("TSCharge").isEmpty())
        r += crlf + "Fixed Charge            :" + R(8, t("TSCharge")) + "  " + periodCount +
             periodWord;
    if (hasDisc1) {
        r += crlf + "Cost before Discount 1  : " + R(7, f.CostBeforeDiscount1) + crlf +
             "Discount 1              : " + R(7, "-" + t("D1Cost"));
        if (!disc1Percent)
            r += "  " + periodCount + periodWord;
        else
            r += "  at " + R(6, t("Disc1") + "%");
    }
    if (hasVat)
        r += crlf + "Cost before " + taxWord + "         : " + R(7, f.CostBeforeTax) + crlf +
             taxWord + "                     : " + R(7, t("VCost")) + "  at " +
             R(6, t("VAT") + "0%");
    if (hasDisc2 && !disc2Fixed)
        r += crlf + "Discount 2              : " +
             R(7, "-" + values::currency(values::strictValue(t("Disc2")) * periods)) + "  " +
             periodCount + periodWord;
    if (hasDisc2 && disc2Fixed)
        r += crlf + "Discount 2              : " +
             R(7, "-" + values::currency(values::strictValue(t("Disc2")))) + "  Fixed Discount";
    r += crlf + "Total Cost              : " + R(7, t("TVCost"));
    r += crlf + "Cost per Day            : " + R(7, t("CDay"));
    r += crlf + "Units used per Day      : " + R(7, t("UDay"));
    r += crlf + "C02 generated per Day   : " + R(6, t("CO2Day")) + "   Kgm" + crlf;

    if (predicted != 0) {
        r += crlf + "Cost Prediction Over " + pRate + predictWord + " (" + R(3, t("TDaysP")) +
             " Days)" + crlf + "------------------------------------------" + crlf;
        r += "From                    : " + t("Date1") + crlf;
        r += "Normal Rate   Units Used: " + R(4, t("NRUnitsP"));
        if (breakPoint && !perDay)
            r += "     Normal Rate 2 after " + pRate + " * " + t("BPoint") + "KWHrs";
        if (breakPoint && perDay)
            r += "     Normal Rate 2 after " + t("TDaysP") + " * " + t("BPoint") + "KWhrs/Day";
        if (breakPoint)
            r += crlf + "Normal Rate 1 Units Used: " + R(4, t("R1UnitsP"));
        r += "     at " + R(9, t("NormalR1")) + " per KWhr = " + R(7, t("NR1CostP"));
        if (!t("R2UnitsP").isEmpty())
            r += crlf + "Normal Rate 2 Units Used: " + R(4, t("R2UnitsP")) + "     at " +
                 R(9, t("NormalR2")) + " per KWhr = " + R(7, t("NR2CostP"));
        if (!t("CRUnits").isEmpty())
            r += crlf + "Cheap  Rate   Units Used: " + R(4, t("CRUnitsP")) + "     at " +
                 R(9, t("CheapR")) + " per KWhr = " + R(7, t("CRCostP"));
        if (!t("TSChargeP").isEmpty())
            r += crlf + "Fixed Charges           :" + R(8, t("TSChargeP")) + "  " + pRate +
                 predictWord;
        if (hasDisc1) {
            r += crlf + "Cost before Discount 1  : " + R(7, f.PredictedCostBeforeDiscount1) + crlf +
                 "Discount 1              : " + R(7, "-" + t("D1CostP"));
            if (!disc1Percent)
                r += "  " + pRate + predictWord;
            else
                r += "  at " + R(6, t("Disc1") + "%");
        }
        if (hasVat)
            r += crlf + "Cost before " + taxWord + "         : " + R(7, f.PredictedCostBeforeTax) +
                 crlf + taxWord + "                     : " + R(7, t("VCostP")) + "  at " +
                 R(6, t("VAT") + "0%");
        if (hasDisc2 && !disc2Fixed)
            r += crlf + "Discount 2              : " +
                 R(7, "-" + values::currency(values::strictValue(t("Disc2")) *
                                             values::strictValue(pRate))) +
                 "  " + pRate + predictWord;
        if (hasDisc2 && disc2Fixed)
            r += crlf + "Discount 2              : " +
                 R(7, "-" + values::currency(values::strictValue(t("Disc2")))) + "  Fixed Discount";
        r += crlf + "Total Cost              : " + R(7, t("TVCostP")) + crlf;
    }

    r += "----------------------------------------------------------------------" + crlf + crlf;
    f.ReportText = r;
}

void AppendResultsLog(MainForm& f) {
    CheckDirectory(f, QStringLiteral("Log"));
    if (f.ReportText.isEmpty())
        return;
    if (!CheckFile(f, QStringLiteral("results log"), QStringLiteral("Log"), f.ResultsLogName))
        return;
    if (!files::append(f.path(QStringLiteral("Log/") + f.ResultsLogName), f.ReportText + crlf))
        f.message(LogFileError,
                  "Unable to write to the log file " + f.ResultsLogName +
                      ".\r\nThis may be a permissions problem.",
                  Host::Buttons::Ok, Host::Icon::Warning);
}

void ViewL_Click(MainForm& f) {
    records::viewLog(f, QStringLiteral("results log"), f.ResultsLogName);
}
