#include "calc/errors.h"
#include "calc/values.h"
#include "records/results.h"
#include "records_fixture.h"

#include <QTest>

namespace {

const QString Dashes70 = QString(70, QLatin1Char('-'));
const QString Dashes42 = QString(42, QLatin1Char('-'));

// The fields of a plain finished calculation: one quarter, no break point, cheap rate, fixed
// charge, discounts, VAT or prediction.
const QStringList Base = {"Notes=Autumn bill",
                          "Date1=01/09/2026",
                          "Date2=05/12/2026",
                          "TDays=95",
                          "NRUnits=812",
                          "NormalR1=£0.123456",
                          "NR1Cost=£100.25",
                          "TVCost=£100.25",
                          "CDay=£1.06",
                          "UDay=8.55",
                          "CO2Day=4.4",
                          "PRate=0",
                          "R2Units=",
                          "CRUnits=",
                          "TSCharge=",
                          "Disc1=",
                          "Disc2=",
                          "VAT="};

QStringList top(const QString& days, const QString& period) {
    return {"05/12/2026 04:40:50",
            "Autumn bill",
            "",
            "Cost To Date (" + days + " Days)",
            "-----------------------",
            "From                    : 01/09/2026",
            "To                      : 05/12/2026",
            "Period                  : " + period};
}

void apply(MainForm& f, const QStringList& ticked, const QStringList& fields, double periods) {
    for (const QString& box : ticked)
        f.model.setChecked(box, true);
    QStringList all = Base + fields;
    // VAT first: changing it clears the results, as on screen.
    for (const QString& pair : all)
        if (pair.startsWith("VAT="))
            f.setText("VAT", pair.mid(4));
    for (const QString& pair : all) {
        const QString name = pair.section('=', 0, 0);
        const QString value = pair.section('=', 1);
        if (name == "VAT")
            continue;
        else if (name == "CostBeforeDiscount1")
            f.CostBeforeDiscount1 = value;
        else if (name == "CostBeforeTax")
            f.CostBeforeTax = value;
        else if (name == "PredictedCostBeforeDiscount1")
            f.PredictedCostBeforeDiscount1 = value;
        else if (name == "PredictedCostBeforeTax")
            f.PredictedCostBeforeTax = value;
        else if (name != "VATH")
            f.setText(name, value);
    }
    for (const QString& pair : all)
        if (pair.startsWith("VATH="))
            f.model.setCaption("VATH", pair.mid(5));
    f.PeriodCount = float(periods);
}

} // namespace

class TestResults : public QObject {
    Q_OBJECT

  private slots:
    void newResultsLog();
    void existingLogsLeftAlone();
    void historyVersion_data();
    void historyVersion();
    void logFilesCannotBeCreated();
    void startupEntry();
    void report_data();
    void report();
    void reportInFile();
    void appendNothingWhenEmpty();
    void appendFailure();
    void viewResults();
};

void TestResults::newResultsLog() {
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    CreateLogFiles(ws.form);
    QCOMPARE(ws.read("Log/Voltrake.log"),
             cp1252(crlf({"Voltrake Results Log", versionLine(), "File Created",
                          "05-Dec-26 04:40:50", "", ""})));
    QCOMPARE(ws.form.HistoryVersion, versionText());
    QVERIFY(ws.host.boxes.isEmpty());
}

void TestResults::existingLogsLeftAlone() {
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    ws.write("Log/Voltrake.log", "old results\r\n");
    ws.write("Log/Voltrake_H.log", "old history\r\nVersion 3.0\r\n");
    CreateLogFiles(ws.form);
    QCOMPARE(ws.read("Log/Voltrake.log"), QByteArray("old results\r\n"));
    QCOMPARE(ws.read("Log/Voltrake_H.log"), QByteArray("old history\r\nVersion 3.0\r\n"));
    QCOMPARE(ws.form.HistoryVersion, QString("3.0"));
}

void TestResults::historyVersion_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("version");
    QTest::newRow("header") << QByteArray("Voltrake History Log\r\nVersion 2.9\r\nFile Created\r\n")
                            << "2.9";
    QTest::newRow("last wins") << QByteArray("Version 3.0\r\nx\r\nVersion 2.4\r\n") << "2.4";
    QTest::newRow("two-digit minor") << QByteArray("Version 3.10\r\n") << "";
    QTest::newRow("two-digit major") << QByteArray("Version 10.1\r\n") << "";
    QTest::newRow("leading blank") << QByteArray(" Version 3.0\r\n") << "";
    QTest::newRow("lower case") << QByteArray("version 3.0\r\n") << "";
    QTest::newRow("none") << QByteArray("a\r\nb\r\n") << "";
    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("no final line end") << QByteArray("x\r\nVersion 2.7") << "2.7";
    QTest::newRow("lone CR") << QByteArray("x\rVersion 2.6\ry") << "2.6";
    QTest::newRow("lone LF") << QByteArray("x\nVersion 2.5\ny") << "2.5";
    QTest::newRow("binary") << QByteArray("\x00\xff\x81\r\nVersion 2.3\r\n\x00", 19) << "2.3";
    QTest::newRow("1 MB line") << QByteArray(1 << 20, 'V') + "\r\nVersion 2.2\r\n"
                               << "2.2";
}

void TestResults::historyVersion() {
    QFETCH(QByteArray, content);
    QFETCH(QString, version);
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    ws.write("Log/Voltrake.log", "r\r\n");
    ws.write("Log/Voltrake_H.log", content);
    CreateLogFiles(ws.form);
    QCOMPARE(ws.form.HistoryVersion, version);
    QCOMPARE(ws.read("Log/Voltrake_H.log"), content);
    QVERIFY(ws.host.boxes.isEmpty());
}

void TestResults::logFilesCannotBeCreated() {
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    {
        ReadOnlyLog readOnly(ws);
        QVERIFY(readOnly.effective());
        ws.form.load(); // an event entry point, so the end of the program unwinds to it
        try {
            CreateLogFiles(ws.form);
            QFAIL("the program should have ended");
        } catch (const ProgramEnded&) {
        }
    }
    QVERIFY(ws.host.ended);
    QVERIFY(boxTexts(ws.host).contains(
        "Voltrake Log File Error|Unable to create the log files.\r\nThis may be a permissions "
        "problem.\r\nThe program will now terminate."));
    QVERIFY(!QFile::exists(ws.path("Log/Voltrake.log")));
}

void TestResults::startupEntry() {
    LocaleScope locale("en_GB");
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    CreateLogFiles(f);
    const QDateTime now = ws.host.now();
    f.ReportText = "Voltrake Started\r\nVersion " + versionText() + "\r\n" +
                   values::shortDate(now.date()) + " " + values::timeOfDay(now.time()) + "\r\n";
    AppendResultsLog(f);
    QCOMPARE(
        ws.read("Log/Voltrake.log"),
        cp1252(crlf({"Voltrake Results Log", versionLine(), "File Created", "05-Dec-26 04:40:50",
                     "", "", "Voltrake Started", versionLine(), "05/12/2026 04:40:50", ""})));
}

void TestResults::report_data() {
    QTest::addColumn<QStringList>("ticked");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<double>("periods");
    QTest::addColumn<QStringList>("expected");

    const QStringList end = {"Total Cost              : £100.25",
                             "Cost per Day            :   £1.06",
                             "Units used per Day      :    8.55",
                             "C02 generated per Day   :    4.4   Kgm",
                             Dashes70,
                             ""};
    const QString units = "Normal Rate   Units Used:  812     at £0.123456 per KWhr = £100.25";

    QTest::newRow("plain") << QStringList() << QStringList() << 1.0
                           << top(" 95", "   1     Number Complete & Part Quarter(s)") +
                                  QStringList{units} + end;

    QTest::newRow("empty notes, no whole period")
        << QStringList() << QStringList{"Notes="} << 0.0
        << QStringList{"05/12/2026 04:40:50", "", ""} +
               top(" 95", "   0     Number Complete & Part(s)").mid(3) + QStringList{units} + end;

    QTest::newRow("break point per quarter, two quarters")
        << QStringList()
        << QString("BPoint=500;TDays=190;NRUnits=1234;R1Units=1000;R2Units=234;NormalR2=£0.130000"
                   ";NR1Cost=£123.46;NR2Cost=£30.42;TVCost=£153.88;CDay=£0.81;UDay=6.49;CO2Day=3.4")
               .split(';')
        << 2.0
        << top("190", "   2     Number Complete & Part Quarters(s)") +
               QStringList{"Normal Rate   Units Used: 1234     Normal Rate 2 after 2 * 500KWHrs",
                           "Normal Rate 1 Units Used: 1000     at £0.123456 per KWhr = £123.46",
                           "Normal Rate 2 Units Used:  234     at £0.130000 per KWhr =  £30.42",
                           "Total Cost              : £153.88",
                           "Cost per Day            :   £0.81",
                           "Units used per Day      :    6.49",
                           "C02 generated per Day   :    3.4   Kgm",
                           Dashes70,
                           ""};

    QTest::newRow("break point per day")
        << QStringList{"DRate"}
        << QStringList{"BPoint=5.50",    "R1Units=522.5",  "R2Units=289.5", "NormalR2=£0.130000",
                       "NR1Cost=£64.51", "NR2Cost=£37.64", "TVCost=£102.15"}
        << 1.0
        << top(" 95", "   1     Number Complete & Part Quarter(s)") +
               QStringList{
                   "Normal Rate   Units Used:  812     Normal Rate 2 after 95 * 5.50 KWHrs/Day",
                   "Normal Rate 1 Units Used: 22.5     at £0.123456 per KWhr =  £64.51",
                   "Normal Rate 2 Units Used: 89.5     at £0.130000 per KWhr =  £37.64",
                   "Total Cost              : £102.15"} +
               end.mid(1);

    QTest::newRow("cheap rate")
        << QStringList()
        << QStringList{"CRUnits=345", "CheapR=£0.065000", "CRCost=£22.43", "TVCost=£122.68"} << 1.0
        << top(" 95", "   1     Number Complete & Part Quarter(s)") + QStringList{units} +
               QStringList{"Cheap  Rate   Units Used:  345     at £0.065000 per KWhr =  £22.43",
                           "Total Cost              : £122.68"} +
               end.mid(1);

    QTest::newRow("fixed charge") << QStringList()
                                  << QStringList{"TSCharge=£30.00", "TVCost=£130.25"} << 1.0
                                  << top(" 95", "   1     Number Complete & Part Quarter(s)") +
                                         QStringList{units} +
                                         QStringList{"Fixed Charge            :  £30.00  1 Quarter",
                                                     "Total Cost              : £130.25"} +
                                         end.mid(1);

    QTest::newRow("discount 1 amount")
        << QStringList()
        << QStringList{"Disc1=£5.00", "D1Cost=£5.00", "CostBeforeDiscount1=£100.25",
                       "TVCost=£95.25"}
        << 1.0
        << top(" 95", "   1     Number Complete & Part Quarter(s)") + QStringList{units} +
               QStringList{"Cost before Discount 1  : £100.25",
                           "Discount 1              :  -£5.00  1 Quarter",
                           "Total Cost              :  £95.25"} +
               end.mid(1);

    QTest::newRow("discount 1 percentage")
        << QStringList{"Disc1P"}
        << QStringList{"Disc1=10.00", "D1Cost=£10.03", "CostBeforeDiscount1=£100.25",
                       "TVCost=£90.22"}
        << 1.0
        << top(" 95", "   1     Number Complete & Part Quarter(s)") + QStringList{units} +
               QStringList{"Cost before Discount 1  : £100.25",
                           "Discount 1              : -£10.03  at 10.00%",
                           "Total Cost              :  £90.22"} +
               end.mid(1);

    QTest::newRow("VAT") << QStringList()
                         << QStringList{"VAT=5.0", "VATH=VAT:", "CostBeforeTax=£100.25",
                                        "VCost=£5.01", "TVCost=£105.26"}
                         << 1.0
                         << top(" 95", "   1     Number Complete & Part Quarter(s)") +
                                QStringList{units} +
                                QStringList{"Cost before VAT         : £100.25",
                                            "VAT                     :   £5.01  at  5.00%",
                                            "Total Cost              : £105.26"} +
                                end.mid(1);

    QTest::newRow("tax wording") << QStringList()
                                 << QStringList{"VAT=17.5", "VATH=Tax:", "CostBeforeTax=£100.25",
                                                "VCost=£17.54", "TVCost=£117.79"}
                                 << 1.0
                                 << top(" 95", "   1     Number Complete & Part Quarter(s)") +
                                        QStringList{units} +
                                        QStringList{"Cost before Tax         : £100.25",
                                                    "Tax                     :  £17.54  at 17.50%",
                                                    "Total Cost              : £117.79"} +
                                        end.mid(1);

    QTest::newRow("discount 2 per period")
        << QStringList() << QStringList{"TDays=190", "Disc2=£2.50", "TVCost=£95.25"} << 2.0
        << top("190", "   2     Number Complete & Part Quarters(s)") + QStringList{units} +
               QStringList{"Discount 2              :  -£5.00  2 Quarters",
                           "Total Cost              :  £95.25"} +
               end.mid(1);

    QTest::newRow("discount 2 fixed")
        << QStringList{"Disc2F"} << QStringList{"Disc2=£2.50", "TVCost=£97.75"} << 1.0
        << top(" 95", "   1     Number Complete & Part Quarter(s)") + QStringList{units} +
               QStringList{"Discount 2              :  -£2.50  Fixed Discount",
                           "Total Cost              :  £97.75"} +
               end.mid(1);

    QTest::newRow("prediction of four quarters")
        << QStringList()
        << QStringList{"PRate=4", "TDaysP=365", "NRUnitsP=3120", "NR1CostP=£385.18",
                       "TVCostP=£385.18"}
        << 1.0
        << top(" 95", "   1     Number Complete & Part Quarter(s)") + QStringList{units} +
               end.mid(0, 4) +
               QStringList{"",
                           "Cost Prediction Over 4 Quarters (365 Days)",
                           Dashes42,
                           "From                    : 01/09/2026",
                           "Normal Rate   Units Used: 3120     at £0.123456 per KWhr = £385.18",
                           "Total Cost              : £385.18",
                           Dashes70,
                           ""};

    QTest::newRow("prediction of one month")
        << QStringList{"Period"} << QStringList{"TDays=31",     "PRate=1",         "TDaysP=31",
                                                "NRUnitsP=265", "NR1CostP=£32.72", "TVCostP=£32.72"}
        << 1.0
        << top(" 31", "   1     Number Complete & Part Month(s)") + QStringList{units} +
               end.mid(0, 4) +
               QStringList{"",
                           "Cost Prediction Over 1 Month    ( 31 Days)",
                           Dashes42,
                           "From                    : 01/09/2026",
                           "Normal Rate   Units Used:  265     at £0.123456 per KWhr =  £32.72",
                           "Total Cost              :  £32.72",
                           Dashes70,
                           ""};

    QTest::newRow("everything, quarterly")
        << QStringList{"Disc2F"}
        << QString("TDays=190;BPoint=500;NRUnits=1234;R1Units=1000;R2Units=234;NormalR2=£0.130000"
                   ";NR1Cost=£123.46;NR2Cost=£30.42;TSCharge=£60.00;Disc1=£5.00;D1Cost=£10.00"
                   ";CostBeforeDiscount1=£213.88;CostBeforeTax=£203.88;Disc2=£2.50;TVCost=£201.38"
                   ";UDay=6.49;CO2Day=3.4;PRate=4;TDaysP=365;NRUnitsP=2371;R1UnitsP=2000"
                   ";R2UnitsP=371;NR1CostP=£246.91;NR2CostP=£48.23;TSChargeP=£120.00"
                   ";D1CostP=£20.00;PredictedCostBeforeDiscount1=£415.14"
                   ";PredictedCostBeforeTax=£395.14;TVCostP=£392.64")
               .split(';')
        << 2.0
        << top("190", "   2     Number Complete & Part Quarters(s)") +
               QStringList{"Normal Rate   Units Used: 1234     Normal Rate 2 after 2 * 500KWHrs",
                           "Normal Rate 1 Units Used: 1000     at £0.123456 per KWhr = £123.46",
                           "Normal Rate 2 Units Used:  234     at £0.130000 per KWhr =  £30.42",
                           "Fixed Charge            :  £60.00  2 Quarters",
                           "Cost before Discount 1  : £213.88",
                           "Discount 1              : -£10.00  2 Quarters",
                           "Discount 2              :  -£2.50  Fixed Discount",
                           "Total Cost              : £201.38",
                           "Cost per Day            :   £1.06",
                           "Units used per Day      :    6.49",
                           "C02 generated per Day   :    3.4   Kgm",
                           "",
                           "Cost Prediction Over 4 Quarters (365 Days)",
                           Dashes42,
                           "From                    : 01/09/2026",
                           "Normal Rate   Units Used: 2371     Normal Rate 2 after 4 * 500KWHrs",
                           "Normal Rate 1 Units Used: 2000     at £0.123456 per KWhr = £246.91",
                           "Normal Rate 2 Units Used:  371     at £0.130000 per KWhr =  £48.23",
                           "Fixed Charges           : £120.00  4 Quarters",
                           "Cost before Discount 1  : £415.14",
                           "Discount 1              : -£20.00  4 Quarters",
                           "Discount 2              :  -£2.50  Fixed Discount",
                           "Total Cost              : £392.64",
                           Dashes70,
                           ""};

    QTest::newRow("everything, monthly with a break point per day")
        << QStringList{"Period", "DRate", "Disc1P"}
        << QString("VAT=5.0;VATH=VAT:;BPoint=5.50;R1Units=522;R2Units=290;NormalR2=£0.130000"
                   ";NR1Cost=£64.44;NR2Cost=£37.70;CRUnits=345;CheapR=£0.065000;CRCost=£22.43"
                   ";TSCharge=£30.00;Disc1=10.00;D1Cost=£15.46;CostBeforeDiscount1=£154.57"
                   ";CostBeforeTax=£139.11;VCost=£6.96;Disc2=£1.00;TVCost=£143.07;CDay=£1.51"
                   ";PRate=2;TDaysP=61;NRUnitsP=523;R1UnitsP=335.5;R2UnitsP=187.5;NR1CostP=£41.42"
                   ";NR2CostP=£24.38;CRUnitsP=222;CRCostP=£14.43;TSChargeP=£20.00;D1CostP=£10.02"
                   ";PredictedCostBeforeDiscount1=£100.25;PredictedCostBeforeTax=£90.23"
                   ";VCostP=£4.51;TVCostP=£92.74")
               .split(';')
        << 3.0
        << top(" 95", "   3     Number Complete & Part Months(s)") +
               QStringList{
                   "Normal Rate   Units Used:  812     Normal Rate 2 after 95 * 5.50 KWHrs/Day",
                   "Normal Rate 1 Units Used:  522     at £0.123456 per KWhr =  £64.44",
                   "Normal Rate 2 Units Used:  290     at £0.130000 per KWhr =  £37.70",
                   "Cheap  Rate   Units Used:  345     at £0.065000 per KWhr =  £22.43",
                   "Fixed Charge            :  £30.00  3 Months",
                   "Cost before Discount 1  : £154.57",
                   "Discount 1              : -£15.46  at 10.00%",
                   "Cost before VAT         : £139.11",
                   "VAT                     :   £6.96  at  5.00%",
                   "Discount 2              :  -£3.00  3 Months",
                   "Total Cost              : £143.07",
                   "Cost per Day            :   £1.51",
                   "Units used per Day      :    8.55",
                   "C02 generated per Day   :    4.4   Kgm",
                   "",
                   "Cost Prediction Over 2 Months   ( 61 Days)",
                   Dashes42,
                   "From                    : 01/09/2026",
                   "Normal Rate   Units Used:  523     Normal Rate 2 after 61 * 5.50KWhrs/Day",
                   "Normal Rate 1 Units Used: 35.5     at £0.123456 per KWhr =  £41.42",
                   "Normal Rate 2 Units Used: 87.5     at £0.130000 per KWhr =  £24.38",
                   "Cheap  Rate   Units Used:  222     at £0.065000 per KWhr =  £14.43",
                   "Fixed Charges           :  £20.00  2 Months  ",
                   "Cost before Discount 1  : £100.25",
                   "Discount 1              : -£10.02  at 10.00%",
                   "Cost before VAT         :  £90.23",
                   "VAT                     :   £4.51  at  5.00%",
                   "Discount 2              :  -£2.00  2 Months  ",
                   "Total Cost              :  £92.74",
                   Dashes70,
                   ""};

    QTest::newRow("long values lose their first characters")
        << QStringList()
        << QStringList{"TDays=1234",  "NRUnits=12345", "NR1Cost=£1,524.03", "TVCost=£12,345.67",
                       "CDay=£10.00", "UDay=10.00",    "CO2Day=5.4"}
        << 13.0
        << top("234", "  13     Number Complete & Part Quarters(s)") +
               QStringList{"Normal Rate   Units Used: 2345     at £0.123456 per KWhr = ,524.03",
                           "Total Cost              : ,345.67",
                           "Cost per Day            :  £10.00",
                           "Units used per Day      :   10.00",
                           "C02 generated per Day   :    5.4   Kgm",
                           Dashes70,
                           ""};
}

void TestResults::report() {
    QFETCH(QStringList, ticked);
    QFETCH(QStringList, fields);
    QFETCH(double, periods);
    QFETCH(QStringList, expected);
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    apply(ws.form, ticked, fields, periods);
    BuildResultsReport(ws.form);
    const QStringList got = ws.form.ReportText.split("\r\n");
    QCOMPARE(got, expected + QStringList{""});
    QVERIFY(!ws.form.ReportText.contains(QRegularExpression("[^\r]\n|\r[^\n]")));
}

// What reaches the file: the report, then the write's own CR LF, in Windows-1252.
void TestResults::reportInFile() {
    LocaleScope locale("en_GB");
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    CreateLogFiles(f);
    const QByteArray header = ws.read("Log/Voltrake.log");
    apply(f, {}, {}, 1.0);
    BuildResultsReport(f);
    AppendResultsLog(f);
    QCOMPARE(ws.read("Log/Voltrake.log"),
             header + "05/12/2026 04:40:50\r\nAutumn bill\r\n\r\nCost To Date ( 95 Days)\r\n" +
                 QByteArray(23, '-') +
                 "\r\nFrom                    : 01/09/2026\r\nTo                      : "
                 "05/12/2026\r\nPeriod                  :    1     Number Complete & Part "
                 "Quarter(s)\r\nNormal Rate   Units Used:  812     at \xa3"
                 "0.123456 per KWhr = \xa3"
                 "100.25\r\nTotal Cost              : \xa3"
                 "100.25\r\nCost per Day            :   \xa3"
                 "1.06\r\nUnits used per Day      :    8.55\r\nC02 generated per Day   :    4.4 "
                 "  Kgm\r\n" +
                 QByteArray(70, '-') + "\r\n\r\n\r\n");
}

void TestResults::appendNothingWhenEmpty() {
    Workspace ws;
    nameLogs(ws.form);
    ws.form.ReportText.clear();
    AppendResultsLog(ws.form); // the log is missing: no CheckFile message either
    QVERIFY(ws.host.boxes.isEmpty());
    QVERIFY(!QFile::exists(ws.path("Log/Voltrake.log")));
}

void TestResults::appendFailure() {
    Workspace ws;
    nameLogs(ws.form);
    ws.write("Log/Voltrake.log", "kept\r\n");
    ws.form.ReportText = "entry\r\n";
    {
        ReadOnlyLog readOnly(ws);
        QVERIFY(readOnly.effective());
        QFile::setPermissions(ws.path("Log/Voltrake.log"), QFileDevice::ReadOwner);
        AppendResultsLog(ws.form);
    }
    QCOMPARE(ws.read("Log/Voltrake.log"), QByteArray("kept\r\n"));
    QCOMPARE(boxTexts(ws.host),
             QStringList{"Voltrake Log File Error|Unable to write to the log file Voltrake.log."
                         "\r\nThis may be a permissions problem."});
    QVERIFY(!ws.host.ended);

    // A log that has vanished is reported by the file check and not created.
    ws.host.boxes.clear();
    QFile::remove(ws.path("Log/Voltrake.log"));
    AppendResultsLog(ws.form);
    QVERIFY(!QFile::exists(ws.path("Log/Voltrake.log")));
    QCOMPARE(ws.host.titles(), QStringList{"Voltrake Results Log File Error"});
}

void TestResults::viewResults() {
    Workspace ws;
    nameLogs(ws.form);
    ws.write("Log/Voltrake.log", "x\r\n");
    ViewL_Click(ws.form);
    QCOMPARE(ws.host.edited, QStringList{ws.form.path("Log/Voltrake.log")});
    QVERIFY(ws.host.boxes.isEmpty());

    ws.host.editorSucceeds = false;
    ViewL_Click(ws.form);
    QCOMPARE(boxTexts(ws.host), QStringList{"Voltrake Log File Error|Unable to run Notepad\r\n"
                                            "Check that it exists and\r\nis working properly."});
}

QTEST_GUILESS_MAIN(TestResults)
#include "tst_results.moc"
