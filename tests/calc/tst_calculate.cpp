#include "calc/calculate.h"
#include "calc/predict.h"
#include "calc/values.h"
#include "calc_fixture.h"

#include <QtTest>

class TestCalculate : public QObject {
    Q_OBJECT
  private slots:
    void messages_data();
    void messages();
    void periods_data();
    void periods();
    void breakPoint_data();
    void breakPoint();
    void workedExample_data();
    void workedExample();
    void discountsBeyondCost();
    void unchangedData_data();
    void unchangedData();
    void inhibitErrorCheckAndDump();
    void hostileText();
    void prediction_data();
    void prediction();
    void earlierCheapUnitsDoNotCount();
};

namespace {
void calculate(Workspace& w, const QString& changes) {
    fillTariff(w.form);
    fillReadings(w.form);
    for (const QString& change : changes.split(';', Qt::SkipEmptyParts)) {
        if (change.contains('='))
            w.form.setText(change.section('=', 0, 0), change.section('=', 1));
        else
            w.form.model.setChecked(change, true);
    }
    w.form.buttonClicked("Calc");
}
} // namespace

// Changes to a valid calculation ("Field=text" or a box to tick) and the box they bring.
void TestCalculate::messages_data() {
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("messages");
    QTest::newRow("no readings") << "Date1=;Date2=;NRead1=;NRead2=;VAT=99"
                                 << "VAT Rate must be 0 or between 1 and 50%\n"
                                    "No Meter Readings To Calculate\n";
    QTest::newRow("several, in order")
        << "BPoint=5;CheapR=2;NRead1=0;Date2=x"
        << "Break Point between Normal Rates must be 0 or between 10 and 3000\n"
           "Cheap Rate must be 0 or between 0.010000 and 0.990000\n"
           "Date 2 must be a valid date\nNormal Rate Reading 1 must be between 1 and 999900\n";
    // Texts whose leading number differs from their value as a whole.
    QTest::newRow("12abc, 1,000, 10,000")
        << "NRead2=2200abc;NRead1=1,000;SCharge=10,000"
        << "Fixed Charge must be either 0 or between 5 and 99\n"
           "Normal Rate Reading 1 must be between 1 and 999900\n"
           "Normal Rate Reading 2 must be between 11 and 999999\n";
    QTest::newRow("Disc2 1, Disc1 30%") << "Disc1P;Disc2=1;Disc1=30"
                                        << "";
    QTest::newRow("Disc2 0.5, Disc1 45%, PRate 5")
        << "Disc1P;Disc2=0.5;Disc1=45;PRate=5"
        << "Prediction Period must be either 0 or between 1 and 4 quarters\n"
           "Discount 1 must be either 0 or between 1% and 30%\n"
           "Discount 2 must be either 0 or between 5 and 99\n";
    QTest::newRow("Date2 15 Mar 2000")
        << "Date1=1/3/2000;Date2=15/3/2000"
        << "Date 2 must be between 1st Jan 2000 and 31st Dec 2020 than Date 1\n";
    QTest::newRow("rate 2 alone")
        << "NormalR2=0.1"
        << "The Normal Rate 1 to Normal Rate 2 Breakpoint must be set if Normal Rate 2 is set\n";
    QTest::newRow("prediction short") << "Date1=1/1/10;Date2=1/5/10;PRate=1"
                                      << "Date 1 plus number months to predict forward must be "
                                         "greater than or equal to Date 2\n";
}

void TestCalculate::messages() {
    QFETCH(QString, changes);
    QFETCH(QString, messages);
    LocaleScope locale("en_GB");
    Workspace w;
    calculate(w, changes);
    QCOMPARE(boxTexts(w.host),
             messages.isEmpty() ? QStringList() : QStringList("Voltrake Data Error|" + messages));
    const bool refused = !messages.isEmpty();
    QCOMPARE(w.form.model.enabled("Save"), !refused);
    QCOMPARE(w.form.text("TVCost").isEmpty(), refused);
    QCOMPARE(w.form.DataErrors, QString());
}

void TestCalculate::periods_data() {
    QTest::addColumn<bool>("monthly");
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("days");
    QTest::addColumn<float>("periods");
    for (auto [d, q] : {std::pair{3, 0},
                        {9, 0},
                        {10, 1},
                        {101, 1},
                        {102, 2},
                        {192, 2},
                        {193, 3},
                        {283, 3},
                        {284, 4},
                        {374, 4},
                        {375, 5}})
        QTest::addRow("%d days", d) << false << "01/01/2012" << d << float(q);
    QTest::newRow("15 Jan - 14 Feb") << true << "15/01/2012" << 30 << 2.0f;
    QTest::newRow("1 - 31 Jan") << true << "01/01/2012" << 30 << 1.0f;
    QTest::newRow("31 Jan - 1 Mar") << true << "31/01/2012" << 30 << 3.0f;
}

void TestCalculate::periods() {
    QFETCH(bool, monthly);
    QFETCH(QString, from);
    QFETCH(int, days);
    QFETCH(float, periods);
    LocaleScope locale("en_GB");
    Workspace w;
    const QString to = values::shortDate(values::readDate(from)->addDays(days));
    calculate(w, QString("Date1=%1;Date2=%2;SCharge=10;Disc1=2;BPoint=100;NormalR2=.1;%3")
                     .arg(from, to, monthly ? "Period" : ""));
    QCOMPARE(boxTexts(w.host), QStringList());
    QCOMPARE(w.form.text("TDays"), QString::number(days));
    QCOMPARE(w.form.PeriodCount, periods);
    QCOMPARE(texts(w.form, "TSCharge D1Cost"),
             QStringList({values::moneyResult(10 * periods), values::moneyResult(2 * periods)}));
    if (periods == 0) // no allowance at Normal Rate 1 at all
        QCOMPARE(texts(w.form, "R1Units R2Units"), QStringList({"0", "1200"}));
}

void TestCalculate::breakPoint_data() {
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("split"); // R1Units R2Units NR2Cost
    // 135 days are 2 quarters: limit 1000. 91 days at 5 a day: limit 455.
    QTest::newRow("quarter, 900") << "BPoint=500;Date2=15/5/12;NRead2=1900"
                                  << "900  ";
    QTest::newRow("quarter, 1200") << "BPoint=500;Date2=15/5/12" << QString("1000 200 £20.00");
    QTest::newRow("day, 600") << "DRate;BPoint=5;NRead2=1600" << QString("455 145 £14.50");
    QTest::newRow("day, 455") << "DRate;BPoint=5.00;NRead2=1455"
                              << "455  ";
    QTest::newRow("day, 1.55") << "DRate;BPoint=1.55;NRead2=1600" << QString("141 459 £45.90");
}

void TestCalculate::breakPoint() {
    QFETCH(QString, changes);
    QFETCH(QString, split);
    LocaleScope locale("en_GB");
    Workspace w;
    calculate(w, changes + ";NormalR2=0.1");
    QCOMPARE(boxTexts(w.host), QStringList());
    QCOMPARE(texts(w.form, "R1Units R2Units NR2Cost"), split.split(' '));
}

// Worked by hand: 91 days, 1 quarter; 1200 normal units split 500/700, 300 cheap units.
// 70 + 70 + 15 + 12.50 fixed = 167.50; less 5 = 162.50; VAT 8.125 -> 170.625; less 2 = 168.625.
// Prediction, 4 quarters = 366 days: 4826 and 1207 units, split 2000/2826;
// 280 + 282.60 + 60.35 + 50 = 672.95; less 20 = 652.95; VAT 32.6475; less 8 = 677.5975.
void TestCalculate::workedExample_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("inputs");
    QTest::addColumn<QString>("results");
    QTest::newRow("en_GB")
        << "en_GB"
        << "Date1=01-Jan-2012;Date2=1/4/2012;NormalR2=£0.1;CheapR=0.05;SCharge=12.5;VAT=5;CO2=.54"
        << "01/01/2012 01/04/2012 1000 500 £0.050000 £0.140000 £0.100000 £12.50 £5.00 £2.00 5.0 "
           "0.54"
        << "91 1200 300 500 700 £70.00 £70.00 £15.00 £5.00 £2.00 £1.85 16.48 8.9 £168.63 £12.50 "
           "810 £8.13 366 4826 1207 2000 2826 £280.00 £282.60 £60.35 £20.00 £8.00 £677.60 £50.00 "
           "3258 £32.65 £167.50 £162.50 £672.95 £652.95";
    QTest::newRow("de_DE")
        << "de_DE"
        << "Date1=01.01.2012;Date2=1.4.12;NormalR1=0,14;NormalR2=0,1 €;CheapR=0,05;SCharge=12,5;"
           "VAT=5;CO2=0,54"
        << "01.01.12 01.04.12 1000 500 0,050000 0,140000 0,100000 12,50 5,00 2,00 5,0 0,54"
        << "91 1200 300 500 700 70,00_€ 70,00_€ 15,00_€ 5,00_€ 2,00_€ 1,85_€ 16,48 8,9 168,63_€ "
           "12,50_€ 810 8,13_€ 366 4826 1207 2000 2826 280,00_€ 282,60_€ 60,35_€ 20,00_€ 8,00_€ "
           "677,60_€ 50,00_€ 3258 32,65_€ 167,50_€ 162,50_€ 672,95_€ 652,95_€";
}

void TestCalculate::workedExample() {
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(QString, inputs);
    QFETCH(QString, results);
    LocaleScope scope(locale);
    Workspace w;
    calculate(w, typed + ";NRead1=1000.9;CRead1=500;CRead2=800;BPoint=500;PRate=4;Disc1=5;Disc2=2");
    const MainForm& f = w.form;
    QCOMPARE(boxTexts(w.host), QStringList());
    QCOMPARE(texts(f, "Date1 Date2 NRead1 BPoint CheapR NormalR1 NormalR2 SCharge Disc1 Disc2 "
                      "VAT CO2"),
             inputs.split(' '));
    const QStringList subtotals = {f.CostBeforeDiscount1, f.CostBeforeTax,
                                   f.PredictedCostBeforeDiscount1, f.PredictedCostBeforeTax};
    // The German form has a no-break space before the symbol.
    QCOMPARE(texts(f, "TDays NRUnits CRUnits R1Units R2Units NR1Cost NR2Cost CRCost D1Cost "
                      "D2Cost CDay UDay CO2Day TVCost TSCharge TCO2 VCost TDaysP NRUnitsP "
                      "CRUnitsP R1UnitsP R2UnitsP NR1CostP NR2CostP CRCostP D1CostP D2CostP "
                      "TVCostP TSChargeP TCO2P VCostP") +
                 subtotals,
             results.replace("_", "\u00A0").split(' '));
    QCOMPARE(f.model.colour("D1Cost"), colour::Credit);
    QCOMPARE(f.model.colour("TVCost"), colour::Normal);
}

void TestCalculate::discountsBeyondCost() {
    LocaleScope locale("en_GB");
    Workspace w;
    // 12.00 less 99 = -87; VAT 20% -17.40 -> -104.40; less 10 -> -114.40, a credit, and the
    // prediction over the same quarter the same.
    calculate(w, "NormalR1=0.01;Disc1=99;Disc2=10;VAT=20;PRate=1");
    const QStringList shown = {"£114.40", "£99.00", "£-17.40", "£-1.26", "£114.40"};
    QCOMPARE(texts(w.form, "TVCost D1Cost VCost CDay TVCostP"), shown);
    QCOMPARE(w.form.model.colour("TVCost"), colour::Credit);
    QCOMPARE(w.form.model.colour("TVCostP"), colour::Credit);
    // Each check pass shows the money results again; the signs must survive that.
    w.form.buttonClicked("Calc");
    QCOMPARE(w.host.boxes.size(), 1);
    QCOMPARE(texts(w.form, "TVCost D1Cost VCost CDay TVCostP"), shown);
}

void TestCalculate::unchangedData_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("unchanged");
    QTest::newRow("nothing") << "" << true;
    QTest::newRow("AutoSave ticked") << "AutoSave" << true;
    QTest::newRow("OnTop ticked") << "OnTop" << true;
    QTest::newRow("SCharge 5 for 5.0") << "SCharge=5" << true;
    QTest::newRow("Notes") << "Notes=new" << false;
    QTest::newRow("NoHistory ticked") << "NoHistory" << false;
}

void TestCalculate::unchangedData() {
    QFETCH(QString, change);
    QFETCH(bool, unchanged);
    LocaleScope locale("en_GB");
    Workspace w;
    MainForm& f = w.form;
    calculate(w, "SCharge=5.0");
    const QString total = f.text("TVCost");
    f.model.setEnabled("Save", false); // as after a save
    if (change.contains('='))
        f.userSetText(change.section('=', 0, 0), change.section('=', 1));
    else if (!change.isEmpty())
        f.userSetChecked(change, true);
    f.buttonClicked("Calc");
    const QStringList box = {
        "Voltrake Error|The data has not changed\r\nsince the last calculation"};
    QCOMPARE(boxTexts(w.host), unchanged ? box : QStringList());
    QCOMPARE(f.text("TVCost"), total);
    QCOMPARE(f.model.enabled("Save"), !unchanged);
    QCOMPARE(f.DataErrors, QString());
    QCOMPARE(f.text("SCharge"), QString("£5.00"));
}

void TestCalculate::inhibitErrorCheckAndDump() {
    LocaleScope locale("en_GB");
    Workspace w;
    w.form.RunMode = 1;
    calculate(w, "CheapR=2;NRead2=1005;VAT=70");
    QCOMPARE(boxTexts(w.host), QStringList());
    QCOMPARE(texts(w.form, "CheapR NRUnits VAT"), QStringList({"£2.000000", "5", "70.0"}));

    // A reading that only the strict conversion refuses ends in the dump.
    w.form.setText("NRead1", "12abc");
    w.form.buttonClicked("Calc");
    QCOMPARE(boxTexts(w.host),
             QStringList("Voltrake Fatal Error|Error Number 103\r\nA Fatal Calculation Error Has "
                         "Occurred\r\nThe Program Will Now Terminate"));
    QVERIFY(w.host.ended);
}

// Whatever lands in any field ends in a message or in results, never in a crash or a dump.
void TestCalculate::hostileText() {
    LocaleScope locale("en_GB");
    const QStringList hostile = {"",      "abc",    QString(10000, '9'),
                                 "1e308", "-1e308", "nan",
                                 "-0",    "12abc",  "£",
                                 "€5",    "٣٤",     " 7 ",
                                 "1,000", "(5)",    "31/2/12"};
    for (const QString& field :
         QString("Date1 Date2 NRead1 NRead2 CRead1 CRead2 Notes BPoint "
                 "CheapR NormalR1 NormalR2 SCharge Disc1 Disc2 VAT CO2 PRate")
             .split(' ')) {
        for (const QString& text : hostile) {
            Workspace w;
            calculate(w, "CRead1=100;CRead2=200;CheapR=.05;PRate=2;BPoint=400;NormalR2=.1;" +
                             field + '=' + text);
            const QString what = field + '=' + text.left(12);
            QVERIFY2(!w.host.ended, qPrintable(what));
            QVERIFY2(w.host.boxes.isEmpty() ? values::readsAsNumber(w.form.text("TVCost"))
                                            : w.host.boxes.size() == 1,
                     qPrintable(what));
            if (field != "NRead2") // another field is at most put into canonical form
                QCOMPARE(w.form.text("NRead2"), QString("2200"));
        }
    }
}

void TestCalculate::prediction_data() {
    QTest::addColumn<QString>("inputs");   // Date1 PRate TDays NRUnits BPoint switch
    QTest::addColumn<QString>("expected"); // TDaysP NRUnitsP R1UnitsP R2UnitsP D2CostP TVCostP
    QTest::newRow("31 Jan + 1 quarter") << "31/01/2012 1 91 1000 0 -"
                                        << "90 989 989 0 10 88.9";
    QTest::newRow("4 leap quarters") << "01/01/2012 4 91 1000 0 -"
                                     << "366 4022 4022 0 40 362.2";
    QTest::newRow("500 x 4") << "01/01/2012 4 91 1000 500 -"
                             << "366 4022 2000 2022 40 564.4";
    QTest::newRow("under the limit") << "01/01/2012 4 366 1500 500 -"
                                     << "366 1500 1500 0 40 110";
    QTest::newRow("per day 5") << "01/01/2012 4 91 1000 5 DRate"
                               << "366 4022 1830 2192 40 581.4";
    QTest::newRow("fixed Disc2 once") << "01/01/2012 4 91 1000 0 Disc2F"
                                      << "366 4022 4022 0 10 392.2";
    QTest::newRow("31 Jan + 1 month") << "31/01/2012 1 91 1000 0 Period"
                                      << "29 319 319 0 10 21.9";
}

void TestCalculate::prediction() {
    QFETCH(QString, inputs);
    QFETCH(QString, expected);
    LocaleScope locale("en_GB");
    Workspace w;
    MainForm& f = w.form;
    fillTariff(f);
    const QStringList in = inputs.split(' ');
    if (in[5] != "-")
        f.model.setChecked(in[5], true);
    setFields(f, {{"NormalR1", "0.10"},
                  {"NormalR2", "0.20"},
                  {"Disc2", "10"},
                  {"CO2", "0.5"},
                  {"Date1", in[0]},
                  {"PRate", in[1]},
                  {"TDays", in[2]},
                  {"NRUnits", in[3]},
                  {"BPoint", in[4]}});
    PredictCosts(f);
    QCOMPARE(texts(f, "TDaysP NRUnitsP R1UnitsP R2UnitsP D2CostP TVCostP"), expected.split(' '));
    QCOMPARE(f.text("TCO2P"),
             values::fixed(0.5 * f.text("NRUnitsP").toDouble(), values::Fixed::Zero));
}

void TestCalculate::earlierCheapUnitsDoNotCount() {
    LocaleScope locale("en_GB");
    Workspace w;
    calculate(w, "CheapR=0.05;CRead1=100;CRead2=191;PRate=1;CO2=1");
    QCOMPARE(texts(w.form, "CRUnitsP TCO2P"), QStringList({"91", "1291"}));
    setFields(w.form, {{"CheapR", ""}, {"CRead1", ""}, {"CRead2", ""}});
    w.form.buttonClicked("Calc");
    QCOMPARE(texts(w.form, "CRUnitsP TCO2P"), QStringList({"", "1200"}));
}

QTEST_GUILESS_MAIN(TestCalculate)
#include "tst_calculate.moc"
