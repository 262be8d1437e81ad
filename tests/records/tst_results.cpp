#include "form/results.h"
#include "records_fixture.h"

// A plain quarterly calculation as it leaves the fields; each row adds or overrides.
static const QString Base = "Notes=Autumn bill;Date1=01/09/2026;Date2=05/12/2026;TDays=95;"
                            "NRUnits=812;NormalR1=£0.123456;NR1Cost=£100.25;TVCost=£100.25;"
                            "CDay=£1.06;UDay=8.55;CO2Day=4.4;PRate=0";
static const QString Everything =
    "05/12/2026 04:40:50\nAutumn bill\n\nCost To Date ( 95 Days)\n-----------------------\n"
    "From                    : 01/09/2026\nTo                      : 05/12/2026\n"
    "Period                  :    3     Number Complete & Part Months(s)\n"
    "Normal Rate   Units Used:  812     Normal Rate 2 after 95 * 5.50 KWHrs/Day\n"
    "Normal Rate 1 Units Used:  522     at £0.123456 per KWhr =  £64.44\n"
    "Normal Rate 2 Units Used:  290     at £0.130000 per KWhr =  £37.70\n"
    "Cheap  Rate   Units Used:  345     at £0.065000 per KWhr =  £22.43\n"
    "Fixed Charge            :  £30.00  3 Months\nCost before Discount 1  : £154.57\n"
    "Discount 1              : -£15.46  at 10.00%\nCost before VAT         :        \n"
    "VAT                     :   £6.96  at  5.00%\nDiscount 2              :  -£3.00  3 Months\n"
    "Total Cost              : £100.25\nCost per Day            :   £1.06\n"
    "Units used per Day      :    8.55\nC02 generated per Day   :    4.4   Kgm\n\n"
    "Cost Prediction Over 2 Months   ( 61 Days)\n------------------------------------------\n"
    "From                    : 01/09/2026\n"
    "Normal Rate   Units Used:  523     Normal Rate 2 after 61 * 5.50KWhrs/Day\n"
    "Normal Rate 1 Units Used: 35.5     at £0.123456 per KWhr =  £41.42\n"
    "Normal Rate 2 Units Used: 87.5     at £0.130000 per KWhr =  £24.38\n"
    "Cheap  Rate   Units Used:  222     at £0.065000 per KWhr =  £14.43\n"
    "Fixed Charges           :  £20.00  2 Months  \nCost before Discount 1  :        \n"
    "Discount 1              : -£10.02  at 10.00%\nCost before VAT         :  £90.23\n"
    "VAT                     :   £4.51  at  5.00%\n"
    "Discount 2              :  -£2.00  2 Months  \nTotal Cost              :  £92.74\n"
    "----------------------------------------------------------------------\n\n";

class TestResults : public QObject {
    Q_OBJECT

  private slots:
    void newLogsAndStartupEntry() {
        Logs ws;
        CreateLogFiles(ws.f);
        QCOMPARE(ws.read("Log/Voltrake_H.log"), linesOf(HistoryHeader));
        QCOMPARE(ws.f.HistoryVersion, versionText());
        const QByteArray header = linesOf(
            {"Voltrake Results Log", VersionLine, "File Created", "05-Dec-26 04:40:50", "", ""});
        QCOMPARE(ws.read("Log/Voltrake.log"), header);
        ws.f.ReportText = "Voltrake Started\r\n" + VersionLine + "\r\n05/12/2026 04:40:50\r\n";
        AppendResultsLog(ws.f);
        QCOMPARE(ws.read("Log/Voltrake.log"), header + files::encode(ws.f.ReportText + "\r\n"));
    }

    // The whole report when a row starts with the date line, else a run the report holds.
    void report_data() {
        QTest::addColumn<QString>("fields");
        QTest::addColumn<double>("periods");
        QTest::addColumn<QString>("expected");
        row("everything, monthly, break point per day",
            "+Period;+DRate;+Disc1P;VAT=5.0;BPoint=5.50;R1Units=522;R2Units=290;"
            "NormalR2=£0.130000;NR1Cost=£64.44;NR2Cost=£37.70;CRUnits=345;CheapR=£0.065000;"
            "CRCost=£22.43;TSCharge=£30.00;Disc1=10.00;D1Cost=£15.46;VCost=£6.96;Disc2=£1.00;"
            "PRate=2;TDaysP=61;NRUnitsP=523;R1UnitsP=335.5;R2UnitsP=187.5;NR1CostP=£41.42;"
            "NR2CostP=£24.38;CRUnitsP=222;CRCostP=£14.43;TSChargeP=£20.00;D1CostP=£10.02;"
            "VCostP=£4.51;TVCostP=£92.74",
            3.0, Everything);
        row("plain", "", 1.0,
            "Quarter(s)\nNormal Rate   Units Used:  812     at £0.123456 per "
            "KWhr = £100.25\nTotal Cost");
        row("break point per quarter, two quarters, long values",
            "BPoint=500;NRUnits=12345;R1Units=1000;NR1Cost=£1,524.03;R2Units=234", 2.0,
            "Quarters(s)\nNormal Rate   Units Used: 2345     Normal Rate 2 after 2 * 500KWHrs\n"
            "Normal Rate 1 Units Used: 1000     at £0.123456 per KWhr = ,524.03\n");
        row("amount discount 1, fixed discount 2", "+Disc2F;Disc1=£5.00;D1Cost=£5.00;Disc2=£2.50",
            1.0,
            "Cost before Discount 1  : £154.57\nDiscount 1              :  -£5.00  1 Quarter\n"
            "Discount 2              :  -£2.50  Fixed Discount\n");
        row("one month predicted", "+Period;PRate=1;TDaysP=31;NRUnitsP=265", 1.0,
            "Kgm\n\nCost Prediction Over 1 Month    ( 31 Days)\n");
    }

    void report() {
        QFETCH(QString, fields);
        QFETCH(double, periods);
        QFETCH(QString, expected);
        Logs ws;
        // The row first and again last: ticking a box or changing VAT clears results.
        setFields(ws.f, fields + ';' + Base + ';' + fields);
        ws.f.CostBeforeDiscount1 = "£154.57"; // the other three empty, so that no two swap unseen
        ws.f.PredictedCostBeforeTax = "£90.23";
        ws.f.PeriodCount = float(periods);
        BuildResultsReport(ws.f);
        const QString want = QString(expected).replace("\n", "\r\n");
        QVERIFY2(expected.startsWith("05/12/2026") ? ws.f.ReportText == want
                                                   : ws.f.ReportText.contains(want),
                 qPrintable(ws.f.ReportText));
    }
};

QTEST_GUILESS_MAIN(TestResults)
#include "tst_results.moc"
