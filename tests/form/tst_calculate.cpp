#include "calc_fixture.h"
#include "form/history.h"
#include "form/results.h"
#include "records/historyperiods.h"
#include "text/files.h"
#include "text/values.h"

#include <QtTest>

const QString DataError = "Voltrake Data Error|";
const QString Unchanged = "Voltrake Error|The data has not changed\r\nsince the last calculation";
const QString Inputs = "Date1 Date2 NRead1 NRead2 CRead1 CRead2 Notes BPoint CheapR NormalR1 "
                       "NormalR2 SCharge Disc1 Disc2 VAT CO2 PRate";

class TestCalculate : public QObject {
    Q_OBJECT
  private slots:
    // Calc on the quarterly form (fillForm) after the changes: the boxes shown, the texts left.
    void calculate_data() {
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("messages");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QString& changes, const QString& messages,
                      const QString& expected = {}) { // a message ending in \n is a data error
            ::row(name, changes, messages.endsWith('\n') ? DataError + messages : messages,
                  expected);
        };
        row("no readings", "Date1=;Date2=;NRead1=;NRead2=;VAT=99",
            "VAT Rate must be 0 or between 1 and 50%\nNo Meter Readings To Calculate\n");
        // A refusal also throws away the results of the calculation before.
        row("several, in order", "Calc;BPoint=5;CheapR=2;NRead1=0;Date2=x",
            "Break Point between Normal Rates must be 0 or between 10 and 3000\n"
            "Cheap Rate must be 0 or between 0.010000 and 0.990000\n"
            "Date 2 must be a valid date\nNormal Rate Reading 1 must be between 1 and 999900\n",
            "TDays=;TVCost=");
        // Texts whose leading number differs from their value as a whole.
        row("12abc, 1,000, 10,000", "NRead2=2200abc;NRead1=1,000;SCharge=10,000",
            "Fixed Charge must be either 0 or between 5 and 99\n"
            "Normal Rate Reading 1 must be between 1 and 999900\n"
            "Normal Rate Reading 2 must be between 11 and 999999\n");
        row("Disc2 1, Disc1 30%", "Disc1P;Disc2=1;Disc1=30", "", "Disc1=30.00*;D1Cost=£50.40*");
        row("Disc2 0.5, Disc1 45%, PRate 5", "Disc1P;Disc2=0.5;Disc1=45;PRate=5",
            "Prediction Period must be either 0 or between 1 and 4 quarters\n"
            "Discount 1 must be either 0 or between 1% and 30%\n"
            "Discount 2 must be either 0 or between 5 and 99\n");
        const QString dateRange = "must be between 1st Jan 2000 and 31st Dec 2099 than Date 1\n";
        row("Date2 15 Mar 2000", "Date1=1/3/2000;Date2=15/3/2000", "Date 2 " + dateRange);
        row("Date1 1999", "Date1=31/12/1999;Date2=1/4/2000", "Date 1 " + dateRange);
        row("Date2 2100", "Date1=1/10/2099;Date2=1/1/2100", "Date 2 " + dateRange);
        row("2026", "Date1=1/1/2026;Date2=1/4/2026", "", "Date1=01/01/2026;TDays=90");
        row("2099", "Date1=1/10/2099;Date2=31/12/2099", "", "Date2=31/12/2099;TDays=91");
        // The cheap readings' rules, at their edges.
        const QString cheap = "Cheap Rate Reading 2 ";
        row("cheap 9 more", "CheapR=0.05;CRead1=100;CRead2=109",
            cheap + "must be at least 10 greater than Cheap Rate Reading 1\n");
        row("cheap 10 more", "CheapR=0.05;CRead1=100;CRead2=110", "", "CRUnits=10");
        row("cheap 2 zero", "CheapR=0.05;CRead1=100;CRead2=0",
            cheap + "can not be zero if Cheap Rate Reading 1 is not 0\n");
        row("cheap readings, no cheap rate", "CRead1=100;CRead2=200",
            "Cheap Rate Meter Readings must be 0 if Cheap Rate Cost = 0\n");
        row("rate 2 alone", "NormalR2=0.1",
            "The Normal Rate 1 to Normal Rate 2 Breakpoint must be set if Normal Rate 2 is set\n");
        row("prediction a day short", "Date1=1/1/10;Date2=2/4/10;PRate=1",
            "Date 1 plus number months to predict forward must be greater than or equal to Date "
            "2\n");

        // Quarters count from the 10th day on, one more every 91.25 days; months by the calendar.
        // {first day in January 2012, days, periods, monthly}
        const int periods[][4] = {{1, 3, 0, 0},   {1, 9, 0, 0},   {1, 10, 1, 0},  {1, 101, 1, 0},
                                  {1, 102, 2, 0}, {1, 192, 2, 0}, {1, 193, 3, 0}, {1, 283, 3, 0},
                                  {1, 284, 4, 0}, {1, 374, 4, 0}, {1, 375, 5, 0}, {15, 30, 2, 1},
                                  {1, 30, 1, 1},  {31, 30, 3, 1}};
        for (const auto& [day, days, count, monthly] : periods) {
            const QString dates =
                QString("Date1=%1/01/2012;Date2=").arg(day) +
                values::shortDate(QDate(2012, 1, day).addDays(days), QLocale("en_GB"));
            row(qPrintable(dates + (monthly ? " monthly" : "")),
                dates + (monthly ? ";Period" : "") + ";SCharge=10;BPoint=100;NormalR2=.1", "",
                QString("TDays=%1;TSCharge=£%2.00").arg(days).arg(10 * count) +
                    (count ? "" : ";R1Units=0;R2Units=1200")); // no Normal Rate 1 allowance
        }

        // 135 days are 2 quarters: limit 1000. 91 days at 5 a day: limit 455.
        auto split = [&](const char* name, const QString& changes, const QString& r1,
                         const QString& r2 = {}, const QString& cost = {}) {
            row(name, "NormalR2=0.1;" + changes, "",
                QString("R1Units=%1;R2Units=%2;NR2Cost=%3").arg(r1, r2, cost));
        };
        split("quarter, 1200", "BPoint=500;Date2=15/5/12", "1000", "200", "£20.00");
        split("day, 600", "DRate;BPoint=5;NRead2=1600", "455", "145", "£14.50");
        split("day, 455", "DRate;BPoint=5.00;NRead2=1455", "455");
        split("day, 1.55", "DRate;BPoint=1.55;NRead2=1600", "141", "459", "£45.90");

        // 12.00 less 99 = -87; VAT -17.40 -> -104.40; less 10 -> -114.40, a credit; the same
        // predicted.
        row("discounts beyond the cost", "NormalR1=0.01;Disc1=99;Disc2=10;VAT=20;PRate=1", "",
            "TVCost=£114.40*;D1Cost=£99.00*;VCost=£-17.40;CDay=£-1.26;TVCostP=£114.40*");

        // After a save, only inputs that the calculation or the saved record use count as a change.
        const QString total = "SCharge=£5.00;TVCost=£173.00";
        for (const char* change : {"AutoSave", "OnTop", "SCharge=5", "Notes=new", "NoHistory"})
            row(change, QString("SCharge=5.0;Calc;Saved;") + change,
                QString(change).startsWith('N') ? QString() : Unchanged, total);

        // Results thrown away by a switch or a VAT edit come back with the same inputs.
        row("Period ticked and cleared", "Calc;Period;!Period", "");
        row("VAT retyped", "VAT=5;Calc;VAT=6;VAT=5", "");
        row("DRate ticked and cleared", "Calc;DRate;!DRate", "");

        row("-InhibitErrorCheck", "-InhibitErrorCheck;CheapR=2;NRead2=1005;VAT=70", "",
            "CheapR=£2.000000;NRUnits=5;VAT=70.0");
        // A reading that only the strict conversion refuses ends in the dump.
        row("-InhibitErrorCheck, 12abc", "-InhibitErrorCheck;NRead1=12abc",
            "Voltrake Fatal Error|Error Number 103\r\nA Fatal Calculation Error Has Occurred\r\n"
            "The Program Will Now Terminate");

        row("earlier cheap units",
            "CheapR=0.05;CRead1=100;CRead2=191;PRate=1;CO2=1;Calc;CheapR=;CRead1=;CRead2=", "",
            "TCO2=1200;UDay=13.19;CRUnitsP=;TCO2P=1200");
    }

    void calculate() {
        QFETCH(QString, changes);
        QFETCH(QString, messages);
        QFETCH(QString, expected);
        Form w("en_GB");
        MainForm& f = w.form;
        fillForm(f, "Saved;" + changes + ";Calc"); // Save starts disabled
        QCOMPARE(w.host.texts().join('\n'), messages);
        checkTexts(f, expected);
        QCOMPARE(f.text("TVCost").isEmpty(), !messages.isEmpty() && messages != Unchanged);
        QCOMPARE(f.model.enabled("Save"), messages.isEmpty());
        QCOMPARE(w.host.ended, messages.contains("Fatal"));
        QCOMPARE(f.DataErrors, QString());
        if (!messages.isEmpty())
            return;
        // Clicked again it only warns; each result keeps its text, sign and colour.
        const QStringList results = shown(f, AllResults);
        f.buttonClicked("Calc");
        QCOMPARE(w.host.texts(), QStringList(Unchanged));
        QCOMPARE(shown(f, AllResults), results);
    }

    // Worked by hand: 91 days, 1 quarter; 1200 normal units split 500/700, 300 cheap units.
    // 70 + 70 + 15 + 12.50 fixed = 167.50; less 5 = 162.50; VAT 8.125 -> 170.625; less 2 = 168.625.
    // Prediction, 4 quarters = 366 days: 4826 and 1207 units, split 2000/2826;
    // 280 + 282.60 + 60.35 + 50 = 672.95; less 20 = 652.95; VAT 32.6475; less 8 = 677.5975.
    // Shown: Inputs (Notes empty), AllResults, the subtotals; "_" is the German no-break space.
    void workedExample_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        row("en_GB",
            "Date1=01-Jan-2012;Date2=1/4/2012;NormalR2=£0.1;CheapR=0.05;SCharge=12.5;VAT=5;"
            "CO2=.54",
            "01/01/2012 01/04/2012 1000 2200 500 800  500 £0.050000 £0.140000 £0.100000 "
            "£12.50 £5.00* £2.00* 5.0 0.54 4 91 1200 300 500 700 £70.00 £70.00 £15.00 £5.00* "
            "£2.00* £1.85 16.48 8.9 £168.63 £12.50 810 £8.13 366 4826 1207 2000 2826 £280.00 "
            "£282.60 £60.35 £20.00* £8.00* £677.60 £50.00 3258 £32.65 £167.50 £162.50 £672.95 "
            "£652.95");
        row("de_DE",
            "Date1=01.01.2012;Date2=1.4.12;NormalR1=0,14;NormalR2=0,1 €;CheapR=0,05;"
            "SCharge=12,5;VAT=5;CO2=0,54",
            "01.01.12 01.04.12 1000 2200 500 800  500 0,050000 0,140000 0,100000 12,50 "
            "5,00* 2,00* 5,0 0,54 4 91 1200 300 500 700 70,00_€ 70,00_€ 15,00_€ 5,00_€* "
            "2,00_€* 1,85_€ 16,48 8,9 168,63_€ 12,50_€ 810 8,13_€ 366 4826 1207 2000 2826 "
            "280,00_€ 282,60_€ 60,35_€ 20,00_€* 8,00_€* 677,60_€ 50,00_€ 3258 32,65_€ "
            "167,50_€ 162,50_€ 672,95_€ 652,95_€");
    }

    void workedExample() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        Form w(QTest::currentDataTag());
        MainForm& f = w.form;
        fillForm(f, typed + ";NRead1=1000.9;CRead1=500;CRead2=800;BPoint=500;PRate=4;Disc1=5;"
                            "Disc2=2;Calc");
        QCOMPARE(w.host.texts(), QStringList());
        QCOMPARE(shown(f, Inputs + ' ' + AllResults)
                     << f.CostBeforeDiscount1 << f.CostBeforeTax << f.PredictedCostBeforeDiscount1
                     << f.PredictedCostBeforeTax,
                 expected.replace('_', QChar(0x00A0)).split(' '));
    }

    // Readings of today and of later decades are saved, restored by Get Last and read back as
    // history periods with the same dates, also where the short date has a two-digit year.
    void savedDatesComeBack_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        row("en_GB 2026", "en_GB", QDate(2026, 1, 1), QDate(2026, 4, 1));
        row("en_US 2035", "en_US", QDate(2035, 3, 1), QDate(2035, 6, 1));
        row("de_DE 2099", "de_DE", QDate(2099, 9, 1), QDate(2099, 12, 31));
    }

    void savedDatesComeBack() {
        QFETCH(QString, locale);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        Form w(locale.toLatin1().constData());
        MainForm& f = w.form;
        f.ResultsLogName = "Voltrake.log", f.HistoryLogName = "Voltrake_H.log";
        CreateLogFiles(f);
        fillForm(f, "AutoSave;Date1=" + values::shortDate(from) +
                        ";Date2=" + values::shortDate(to) + ";Calc");
        QCOMPARE(f.text("Status"), QString("Calculation Saved"));
        QCOMPARE(f.text("TDays"), QString::number(from.daysTo(to)));
        Get_Last_Click(f);
        QCOMPARE(values::readDate(f.text("Date1")).value_or(QDate()), to);
        const auto periods =
            records::historyPeriods(QByteArrayView(w.read("Log/Voltrake_H.log")), 0.54);
        QCOMPARE(periods.size(), 1);
        QCOMPARE(periods[0].readings.date1, from);
        QCOMPARE(periods[0].readings.date2, to);
        QVERIFY(w.host.boxes.isEmpty());
    }

    // Whatever lands in any field ends in a message or in results, never in a crash or a dump.
    void hostileText() {
        LocaleScope locale("en_GB");
        const QStringList hostile =
            QString("|abc|1e308|-1e308|nan|-0|12abc|£|€5|٣٤| 7 |1,000|(5)|31/2/12").split('|')
            << QString(10000, '9');
        for (const QString& field : Inputs.split(' ')) {
            for (const QString& text : hostile) {
                Workspace w;
                fillForm(w.form,
                         "CRead1=100;CRead2=200;CheapR=.05;PRate=2;BPoint=400;NormalR2=.1;" +
                             field + '=' + text + ";Calc");
                QVERIFY2(!w.host.ended &&
                             w.host.boxes.size() ==
                                 (values::readsAsNumber(w.form.text("TVCost")) ? 0 : 1),
                         qPrintable(field + '=' + text.left(12)));
                if (field != "NRead2") // another field is at most put into canonical form
                    QCOMPARE(w.form.text("NRead2"), QString("2200"));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCalculate)
#include "tst_calculate.moc"
