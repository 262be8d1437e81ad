#include "calc/checks.h"
#include "calc/values.h"
#include "calc_fixture.h"

#include <QtTest>

class TestPresentation : public QObject {
    Q_OBJECT
  private slots:
    void tariffForm_data();
    void tariffForm();
    void wording_data();
    void wording();
    void switches();
    void vatChanges();
    void clearButton();
};

namespace {
const QString AllResults = "TDays NRUnits CRUnits R1Units R2Units NR1Cost NR2Cost CRCost D1Cost "
                           "D2Cost CDay UDay CO2Day TVCost TSCharge TCO2 VCost TDaysP NRUnitsP "
                           "CRUnitsP R1UnitsP R2UnitsP NR1CostP NR2CostP CRCostP D1CostP D2CostP "
                           "TVCostP TSChargeP TCO2P VCostP";
void fillResults(MainForm& f) {
    for (const QString& name : AllResults.split(' '))
        f.setText(name, "7");
}
bool resultsEmpty(const MainForm& f) {
    return texts(f, AllResults).join(QString()).isEmpty();
}
} // namespace

// What a clean CheckTariffData (strip, add) makes of typed text, in each kind of locale.
void TestPresentation::tariffForm_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("typed"); // NormalR1 SCharge Disc1 Disc2 VAT CO2 CheapR PRate
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("en_GB") << "en_GB"
                           << QStringList{"0.1", "5", "3", "0", "0", ".5", "£.055", "2.5"}
                           << QStringList{"£0.100000", "£5.00", "£3.00",     "",
                                          "",          "0.50",  "£0.055000", "3"};
    // Symbol behind the amount: the fields stay plain numbers; a typed symbol is taken off.
    QTest::newRow("de_DE") << "de_DE"
                           << QStringList{"0,1", "5 €", "3,00 €", "€2", "5", "0,54", "0", ""}
                           << QStringList{"0,100000", "5,00", "3,00", "2,00",
                                          "5,0",      "0,54", "",     ""};
    QTest::newRow("C") << "C" << QStringList{"0.1", "5", "3", "", "", "2", "", "4"}
                       << QStringList{"0.100000", "5.00", "3.00", "", "", "2.00", "", "4"};
}

void TestPresentation::tariffForm() {
    QFETCH(QString, locale);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, shown);
    LocaleScope scope(locale);
    Workspace w;
    MainForm& f = w.form;
    fillTariff(f);
    const QString names = "NormalR1 SCharge Disc1 Disc2 VAT CO2 CheapR PRate";
    for (int i = 0; i < typed.size(); ++i)
        f.setText(names.section(' ', i, i), typed[i]);
    CheckTariffData(f, true, true);
    QCOMPARE(f.DataErrors, QString());
    QCOMPARE(texts(f, names), shown);
    CheckTariffData(f, true, true); // the canonical form is stable
    QCOMPARE(texts(f, names), shown);

    // A failed check leaves the text as typed, less a symbol in front.
    setFields(f, {{"SCharge", f.CurrencySymbol + "4"}, {"NormalR1", "0.3"}});
    CheckTariffData(f, true, true);
    QCOMPARE(f.DataErrors, QString("Fixed Charge must be either 0 or between 5 and 99\n"));
    QCOMPARE(texts(f, "SCharge NormalR1"), QStringList({"4", "0.3"}));
}

void TestPresentation::wording_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("vat");
    QTest::addColumn<QString>("ticked");
    // VATH caption, VAT tip, VCostL, TVCost tip, VCost tip, Disc1 tip, Disc2 tip
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("euro behind, VAT 5, monthly, %")
        << "de_DE"
        << "5"
        << "Period Disc1P"
        << QStringList{"VAT:",
                       "VAT Rate (0 or between 1 and 50%)",
                       "VAT",
                       "Total Cost (inc VAT)",
                       "Total VAT",
                       "Discount 1 per month before VAT ( 0 or between 1% and 30%)",
                       "Discount 2 per month after VAT ( 0 or between 1 and 99)"};
    QTest::newRow("dollar, tax 8, fixed")
        << "en_US"
        << "8"
        << "Disc2F"
        << QStringList{"Tax:",
                       "Tax Rate (0 or between 1 and 50%)",
                       "Tax",
                       "Total Cost (inc Tax)",
                       "Total Tax",
                       "Discount 1 per quarter before Tax ( 0 or between 1 and 99)",
                       "Discount 2 after Tax ( 0 or between 1 and 99)"};
    QTest::newRow("no symbol, no tax")
        << "C"
        << ""
        << ""
        << QStringList{"Tax:",
                       "Tax Rate (0 or between 1 and 50%)",
                       "VAT",
                       "Total Cost",
                       "",
                       "Discount 1 per quarter ( 0 or between 1 and 99)",
                       "Discount 2 per quarter ( 0 or between 1 and 99)"};
}

void TestPresentation::wording() {
    QFETCH(QString, locale);
    QFETCH(QString, vat);
    QFETCH(QString, ticked);
    QFETCH(QStringList, expected);
    LocaleScope scope(locale);
    Workspace w;
    MainForm& f = w.form;
    for (const QString& box : ticked.split(' ', Qt::SkipEmptyParts))
        f.model.setChecked(box, true);
    f.setText("VAT", vat);
    SetTaxWording(f);
    SetModeLabels(f);
    const FormModel& m = f.model;
    QCOMPARE(
        QStringList({m.caption("VATH"), m.toolTip("VAT"), m.caption("VCostL"), m.toolTip("TVCost"),
                     m.toolTip("VCost"), m.toolTip("Disc1"), m.toolTip("Disc2")}),
        expected);
    QCOMPARE(m.toolTip("VATH"), expected[0].chopped(1) + " Rate (between 0 and 50%)");
}

void TestPresentation::switches() {
    LocaleScope scope("en_GB");
    Workspace w;
    MainForm& f = w.form;
    setFields(f, {{"Disc1", "£5.00"}, {"Disc2", "£3.00"}, {"BPoint", "500"}});
    f.BreakPointUnits = "500";
    f.BreakPointPerDay = "1.50";
    f.DataErrors = "pending\n";
    for (const char* box : {"Period", "Disc2F", "Disc1P", "DRate"}) {
        fillResults(f);
        f.userSetChecked(box, true);
        QVERIFY2(resultsEmpty(f), box);
    }
    QCOMPARE(texts(f, "PRateH Disc1 Disc2 Disc1L BPoint BPointL2"),
             QStringList({"Months", "", "£3.00", "%", "1.50", "KWHr/Day"}));
    QCOMPARE(f.model.toolTip("PRate"),
             QString("Prediction period (0 (No Prediction) or between 1 and 12 months)"));
    QCOMPARE(f.model.toolTip("SCharge"),
             QString("Fixed Charge per month ( 0 or between 5 and 99)"));

    // With a message pending, BPoint keeps its text and is judged by the new mode's range.
    f.DataErrors = "pending\n";
    f.userSetChecked("DRate", false);
    QCOMPARE(f.text("BPoint"), QString("1.50"));
    QCOMPARE(f.DataErrors, QString("pending\nBreak Point between Normal Rates must be 0 or "
                                   "between 10 and 3000\n"));

    // While the window loads, the program's setting of the discount boxes does nothing,
    // while Period acts in full.
    f.Loading = true;
    f.setText("Disc1", "5");
    fillResults(f);
    f.model.setChecked("Disc1P", false);
    f.model.setChecked("Disc2F", false);
    QCOMPARE(texts(f, "Disc1 TDays Disc1L"), QStringList({"5", "7", "%"}));
    f.model.setChecked("Period", false);
    QVERIFY(resultsEmpty(f));
    QCOMPARE(texts(f, "Disc1L PRateH"), QStringList({"", "Quarters"}));
}

void TestPresentation::vatChanges() {
    LocaleScope scope("en_GB");
    Workspace w;
    MainForm& f = w.form;
    fillTariff(f);
    int clearings = 0;
    for (const char* typed : {"1", "17", "17.", "17.5"}) {
        fillResults(f);
        f.userSetText("VAT", typed);
        clearings += resultsEmpty(f) ? 1 : 0;
    }
    QCOMPARE(clearings, 4);
    // A check pass that rewrites VAT with its own text keeps the results; one that changes it
    // clears them.
    fillResults(f);
    CheckTariffData(f, true, true);
    QCOMPARE(texts(f, "VAT TDays"), QStringList({"17.5", "7"}));
    f.setText("VAT", "0");
    fillResults(f);
    CheckTariffData(f, true, true);
    QCOMPARE(f.text("VAT"), QString());
    QVERIFY(resultsEmpty(f));
}

void TestPresentation::clearButton() {
    LocaleScope scope("en_GB");
    Workspace w;
    MainForm& f = w.form;
    fillTariff(f);
    fillReadings(f);
    f.InputSignature = f.LastInputSignature = "x";
    fillResults(f);
    f.buttonClicked("Clear");
    QCOMPARE(texts(f, "Date1 Date2 NRead1 NRead2 NormalR1 Status"),
             QStringList({"", "", "", "", "£0.140000", "Data Cleared"}));
    QVERIFY(resultsEmpty(f) && f.model.enabled("Timer1") && !f.model.enabled("Save"));
    QCOMPARE(f.InputSignature + f.LastInputSignature, QString());
    QCOMPARE(w.host.focus, QStringList("Date1"));
}

QTEST_GUILESS_MAIN(TestPresentation)
#include "tst_presentation.moc"
