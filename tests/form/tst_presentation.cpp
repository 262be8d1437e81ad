#include "calc_fixture.h"
#include "form/checks.h"

#include <QtTest>

class TestPresentation : public QObject {
    Q_OBJECT
  private slots:
    // What a clean CheckTariffData (strip, add) makes of typed text in each kind of locale, and the
    // wording: VATH caption, VAT tip, VCostL, TVCost tip, VCost tip, Disc1 tip, Disc2 tip.
    void tariffForm_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("wording");
        // Symbol behind the amount: the fields stay plain numbers; a typed symbol is taken off.
        row("de_DE",
            "Period;Disc1P;NormalR1=0,1;SCharge=5 €;Disc1=3,00 €;Disc2=€2;VAT=5;CO2=0,54;"
            "CheapR=0;PRate=",
            "NormalR1=0,100000;SCharge=5,00;Disc1=3,00*;Disc2=2,00*;VAT=5,0;CO2=0,54;CheapR=;"
            "PRate=",
            "VAT:|VAT Rate (0 or between 1 and 50%)|VAT|Total Cost (inc VAT)|Total VAT|"
            "Discount 1 per month before VAT ( 0 or between 1% and 30%)|"
            "Discount 2 per month after VAT ( 0 or between 1 and 99)");
        row("en_US",
            "Disc2F;NormalR1=0.1;SCharge=5;Disc1=3;Disc2=0;VAT=8;CO2=.5;CheapR=$.055;PRate=2.5",
            "NormalR1=$0.100000;SCharge=$5.00;Disc1=$3.00*;Disc2=*;VAT=8.0;CO2=0.50;"
            "CheapR=$0.055000;PRate=3",
            "Tax:|Tax Rate (0 or between 1 and 50%)|Tax|Total Cost (inc Tax)|Total Tax|"
            "Discount 1 per quarter before Tax ( 0 or between 1 and 99)|"
            "Discount 2 after Tax ( 0 or between 1 and 99)");
        row("C", "NormalR1=0.1;SCharge=5;Disc1=3;Disc2=;VAT=;CO2=2;CheapR=;PRate=4",
            "NormalR1=0.100000;SCharge=5.00;Disc1=3.00*;Disc2=*;VAT=;CO2=2.00;CheapR=;PRate=4",
            "Tax:|Tax Rate (0 or between 1 and 50%)|VAT|Total Cost||"
            "Discount 1 per quarter ( 0 or between 1 and 99)|"
            "Discount 2 per quarter ( 0 or between 1 and 99)");
    }

    void tariffForm() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, wording);
        Form w(QTest::currentDataTag());
        MainForm& f = w.form;
        fillForm(f, typed);
        for (int pass = 0; pass < 2; ++pass) { // the canonical form is stable
            CheckTariffData(f, true, true);
            QCOMPARE(f.DataErrors, QString());
            checkTexts(f, shown);
        }
        SetModeLabels(f);
        const FormModel& m = f.model;
        QCOMPARE(QStringList({m.caption("VATH"), m.toolTip("VAT"), m.caption("VCostL"),
                              m.toolTip("TVCost"), m.toolTip("VCost"), m.toolTip("Disc1"),
                              m.toolTip("Disc2")})
                     .join('|'),
                 wording);
        QCOMPARE(m.toolTip("VATH"), wording.section(':', 0, 0) + " Rate (between 0 and 50%)");

        // A failed check leaves the text as typed, less a symbol in front.
        apply(f, "SCharge=" + f.CurrencySymbol + "4;NormalR1=0.3");
        CheckTariffData(f, true, true);
        QCOMPARE(f.DataErrors, QString("Fixed Charge must be either 0 or between 5 and 99\n"));
        checkTexts(f, "SCharge=4;NormalR1=0.3");
    }

    // Each switch and each edit of VAT throws the results away and relabels the form; so does
    // Clear, which also empties the readings and forgets the last calculation.
    void switchesAndClear() {
        Form w("en_GB");
        MainForm& f = w.form;
        auto fillResults = [&] { apply(f, AllResults.split(' ').join("=7;") + "=7"); };
        auto resultsEmpty = [&] {
            return shown(f, AllResults).join(QString()).remove('*').isEmpty();
        };
        fillForm(f, "Disc1=£5.00;Disc2=£3.00;BPoint=500");
        f.BreakPointUnits = "500";
        f.BreakPointPerDay = "1.50";
        f.DataErrors = "pending\n";
        for (const QString& change :
             QString("Period Disc2F Disc1P DRate VAT=1 VAT=17 VAT=17. VAT=17.5").split(' ')) {
            fillResults();
            apply(f, change);
            QVERIFY2(resultsEmpty(), qPrintable(change));
        }
        checkTexts(f, "PRateH=Months;Disc1=*;Disc2=£3.00*;Disc1L=%;BPoint=1.50;BPointL2=KWHr/Day");
        QCOMPARE(f.model.toolTip("PRate") + '|' + f.model.toolTip("SCharge"),
                 "Prediction period (0 (No Prediction) or between 1 and 12 months)|"
                 "Fixed Charge per month ( 0 or between 5 and 99)");

        // A check pass keeps the results while VAT keeps its text, and clears them when it changes.
        fillResults();
        CheckTariffData(f, true, true);
        QCOMPARE(f.text("VAT") + f.text("TDays"), QString("17.57"));
        f.setText("VAT", "0");
        fillResults();
        CheckTariffData(f, true, true);
        QVERIFY(f.text("VAT").isEmpty() && resultsEmpty());

        // With a message pending, BPoint keeps its text and is judged by the new mode's range.
        f.DataErrors = "pending\n";
        apply(f, "!DRate");
        QCOMPARE(f.text("BPoint"), QString("1.50"));
        QCOMPARE(f.DataErrors, QString("pending\nBreak Point between Normal Rates must be 0 or "
                                       "between 10 and 3000\n"));

        // While the window loads, setting the discount boxes does nothing; Period acts in full.
        f.Loading = true;
        fillResults();
        apply(f, "Disc1=5;!Disc1P;!Disc2F");
        checkTexts(f, "Disc1=5*;TDays=7;Disc1L=%");
        apply(f, "!Period");
        QVERIFY(resultsEmpty());
        checkTexts(f, "Disc1L=;PRateH=Quarters");

        // Clear, once no check is pending.
        f.DataErrors.clear();
        f.InputSignature = f.LastInputSignature = "x";
        fillResults();
        f.buttonClicked("Clear");
        checkTexts(f, "Date1=;Date2=;NRead1=;NRead2=;NormalR1=£0.140000;Status=Data Cleared");
        QVERIFY(resultsEmpty() && f.model.enabled("Timer1") && !f.model.enabled("Save"));
        QCOMPARE(f.InputSignature + f.LastInputSignature, QString());
        QCOMPARE(w.host.focus, QStringList("Date1"));
    }
};

QTEST_GUILESS_MAIN(TestPresentation)
#include "tst_presentation.moc"
