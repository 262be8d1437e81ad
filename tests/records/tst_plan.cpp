// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/plan.h"
#include "scriptedhost.h"
#include "text/values.h"

#include <QtTest>

using namespace records::plan;

namespace {

const QByteArray Header =
    "from,unit_p_per_kwh,standing_p_per_day,cheap_p_per_kwh,export_p_per_kwh,vat_percent\n";

QByteArray planOf(const QByteArray& rows) {
    return Header + rows;
}

domain::TariffPlan parsed(const QByteArray& bytes) {
    auto p = parsePlan(bytes);
    if (auto* e = std::get_if<PlanError>(&p))
        qFatal("plan refused: %s", qPrintable(e->text()));
    return std::get<domain::TariffPlan>(p);
}

// "from to days units cost" per piece, then "= total"; numbers as plain C-locale text.
QString described(const domain::PlanBill& b) {
    QStringList out;
    auto n = [](double v) { return values::plainNumber(v, QLocale::c()); };
    for (const domain::PlanPiece& p : b.pieces)
        out << values::isoDate(p.from) + ' ' + values::isoDate(p.to) + ' ' +
                   QString::number(p.days) + ' ' + n(p.normalUnits) + ' ' + n(p.cost);
    out << "= " + n(b.total);
    return out.join(" | ");
}

// "d1|d2|n1|n2|c1|c2|e1|e2", blanks allowed.
PlanReadingTexts readings(const QString& fields) {
    const QStringList t = fields.split('|');
    return {{t.value(0), t.value(1), t.value(2), t.value(3), t.value(4), t.value(5)},
            t.value(6),
            t.value(7)};
}

const QByteArray OneRow = planOf("2025-01-01,24.50,60.00,,,5\n");
const QByteArray TwoRows = planOf("2025-01-01,24.50,60.00,,,5\n2025-02-01,20.00,50.00,,,5\n");

} // namespace

class TestPlan : public QObject {
    Q_OBJECT
  private slots:
    // Bills worked by hand: (units x rate + days x standing) x (1 + VAT), less export credit,
    // each piece rounded to pence, halves away from zero.
    void price_data() {
        QTest::addColumn<QByteArray>("plan");
        QTest::addColumn<QString>("readings");
        QTest::addColumn<QString>("expected");
        // (17150 + 5400) x 1.05 = 23677.5p
        row("one price row", OneRow, "01/01/2025|01/04/2025|12000|12700",
            "2025-01-01 2025-04-01 90 700 236.78 | = 236.78");
        // 170 units over 17 days, 280 over 28, 140 over 14 at VAT 0: 5444.25, 7350, 4760
        row("two price changes, VAT 0 and 5",
            planOf("2025-01-01,24.50,60.00,,,5\n2025-02-01,20.00,50.00,,,5\n"
                   "2025-03-01,30.00,40.00,,,0\n"),
            "15/01/2025|15/03/2025|12000|12590",
            "2025-01-15 2025-02-01 17 170 54.44 | 2025-02-01 2025-03-01 28 280 73.5 | "
            "2025-03-01 2025-03-15 14 140 47.6 | = 175.54");
        row("starts on a price change", TwoRows, "01/02/2025|01/03/2025|12000|12280",
            "2025-02-01 2025-03-01 28 280 73.5 | = 73.5");
        row("ends on a price change", TwoRows, "01/01/2025|01/02/2025|12000|12310",
            "2025-01-01 2025-02-01 31 310 99.28 | = 99.28");
        // 500 x 25 + 300 x 12 + 90 x 50 = 20600 x 1.05 = 21630, less 200 x 15 without VAT; the
        // export meter at its highest reading
        row("cheap and export", planOf("2025-01-01,25.00,50.00,12.00,15.00,5\n"),
            "01/01/2025|01/04/2025|1000|1500|2000|2300|999799|999999",
            "2025-01-01 2025-04-01 90 500 186.3 | = 186.3");
        row("export beyond the charges", planOf("2025-06-01,20.00,0,,15.00,\n"),
            "01/06/2025|01/07/2025|1000|1100|||0|500", "2025-06-01 2025-07-01 30 100 -55 | = -55");
        row("a reading of 2099", OneRow, "01/10/2099|31/12/2099|12000|12910",
            "2099-10-01 2099-12-31 91 910 291.43 | = 291.43");
    }

    void price() {
        QFETCH(QByteArray, plan);
        QFETCH(QString, readings);
        QFETCH(QString, expected);
        LocaleScope locale("en_GB");
        const auto bill = planBill(parsed(plan), ::readings(readings));
        if (auto* refused = std::get_if<QStringList>(&bill))
            QFAIL(qPrintable(refused->join('\n')));
        QCOMPARE(described(std::get<domain::PlanBill>(bill)), expected);
    }

    void perDayAndUnit() {
        LocaleScope locale("de_DE");
        const auto bill = std::get<domain::PlanBill>(
            planBill(parsed(TwoRows), readings("1.1.2025|1.4.2025|100|1000")));
        QCOMPARE(bill.costPerDay, 254.16 / 90);
        QCOMPARE(bill.costPerUnit.value_or(0), 254.16 / 900);
    }

    void refusedReadings_data() {
        QTest::addColumn<QByteArray>("plan");
        QTest::addColumn<QString>("readings");
        QTest::addColumn<QString>("messages");
        row("before the first row", OneRow, "01/12/2024|01/03/2025|12000|12700",
            "The reading period starts before the plan's first price date, 01/01/2025: the "
            "plan says nothing of the prices before it");
        row("cheap units, no cheap rate", TwoRows, "01/01/2025|01/04/2025|12000|12700|500|600",
            "The readings include cheap-rate units, but the plan has no cheap rate from "
            "01/01/2025");
        row("window's reading checks", OneRow, "01/01/2025|02/01/2025|12000|12005",
            "Date 2 must be at least 3 days later than Date 1\n"
            "Normal Rate Reading 2 must be at least 10 greater than Normal Rate Reading 1");
        row("trailing letters", OneRow, "01/01/2025|01/04/2025|12000|12700abc",
            "Normal Rate Reading 2 must be between 11 and 999999");
        row("a date past 2099", OneRow, "01/10/2099|01/01/2100|12000|12700",
            "Date 2 must be between 1st Jan 2000 and 31st Dec 2099 than Date 1");
        row("export readings", OneRow, "01/01/2025|01/04/2025|12000|12700|||300|200",
            "Export Reading 2 must not be less than Export Reading 1");
        row("export not a number", OneRow, "01/01/2025|01/04/2025|12000|12700|||x|-1",
            "Export Reading 1 must be between 0 and 999999\n"
            "Export Reading 2 must be between 0 and 999999");
    }

    void refusedReadings() {
        QFETCH(QByteArray, plan);
        QFETCH(QString, readings);
        QFETCH(QString, messages);
        LocaleScope locale("en_GB");
        const auto bill = planBill(parsed(plan), ::readings(readings));
        QVERIFY(std::holds_alternative<QStringList>(bill));
        QCOMPARE(std::get<QStringList>(bill).join('\n'), messages);
    }

    void refusedPlans_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        row("unsorted", planOf("2025-04-01,1,1,,,\n2025-01-01,1,1,,,\n"),
            "Line 3, column from: 2025-01-01 comes before 2025-04-01 on "
            "line 2; rows must be in date order");
        row("duplicate date", planOf("2025-01-01,1,1,,,\n\n2025-01-01,2,2,,,\n"),
            "Line 4, column from: 2025-01-01 is the date of line 2 too");
        row("missing column",
            QByteArray("from,unit_p_per_kwh,standing_p_per_day,cheap_p_per_kwh,"
                       "export_p_per_kwh\n2025-01-01,1,1,,\n"),
            "Line 1, column vat_percent: missing from the header");
        row("unknown column", QByteArray("from,unit,standing\n"),
            "Line 1, column unit: not a column of a plan");
        row("column twice", QByteArray("from,FROM\n"), "Line 1, column from: named twice");
        row("negative", planOf("2025-01-01,24.5,-5,,,5\n"),
            "Line 2, column standing_p_per_day: -5 is below 0");
        row("not a number", planOf("2025-01-01,abc,60,,,5\n"),
            "Line 2, column unit_p_per_kwh: \"abc\" is not a number");
        row("decimal comma", planOf("2025-01-01,\"24,5\",60,,,5\n"),
            "Line 2, column unit_p_per_kwh: \"24,5\" is not a number");
        row("exponent", planOf("2025-01-01,1e3,60,,,5\n"),
            "Line 2, column unit_p_per_kwh: \"1e3\" is not a number");
        row("no unit rate", planOf("2025-01-01,,60,,,5\n"),
            "Line 2, column unit_p_per_kwh: a value is needed");
        row("VAT over 100", planOf("2025-01-01,1,1,,,120\n"),
            "Line 2, column vat_percent: 120 is above 100");
        row("not ISO date", planOf("01/01/2025,1,1,,,\n"),
            "Line 2, column from: \"01/01/2025\" is not a date of the "
            "form yyyy-mm-dd");
        row("31 February", planOf("2025-02-31,1,1,,,\n"),
            "Line 2, column from: \"2025-02-31\" is not a date of the "
            "form yyyy-mm-dd");
        row("extra cell", planOf("2025-01-01,1,1,,,,7\n"), "Line 2: 7 cells, the header has 6");
        row("empty file", QByteArray(), "The plan: no header row");
        row("header only", Header, "The plan: no price rows below the header");
        row("not UTF-8", planOf("2025-01-01,1,1,,,\xff\n"), "The plan: not UTF-8 text");
    }

    void refusedPlans() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const auto p = parsePlan(bytes);
        QVERIFY(std::holds_alternative<PlanError>(p));
        QCOMPARE(std::get<PlanError>(p).text(), message);
    }

    // What a spreadsheet may write: any column order, CR LF, a byte-order mark, quoted cells,
    // capitals in the header, short rows for trailing empty cells. Written back in order.
    void acceptedForms() {
        const QByteArray bytes = "\xef\xbb\xbfVAT_percent,from,Unit_p_per_kwh,standing_p_per_day,"
                                 "cheap_p_per_kwh,export_p_per_kwh\r\n"
                                 "5,2025-01-01,\"24.50\",60\r\n\r\n,2025-04-01,.5,0,13,15.25\r\n";
        const domain::TariffPlan plan = parsed(bytes);
        QCOMPARE(plan.rows.size(), 2);
        QCOMPARE(plan.rows[0].vat, 5.0);
        QVERIFY(!plan.rows[0].cheap && !plan.rows[0].exportRate);
        QCOMPARE(plan.rows[1].exportRate.value_or(0), 15.25);
        const QByteArray written = planCsv(plan);
        QCOMPARE(written, planOf("2025-01-01,24.5,60,,,5\n2025-04-01,0.5,0,13,15.25,\n"));
        QCOMPARE(planCsv(parsed(written)), written);
        // Values of many digits are written whole, without an exponent, and read back the same.
        const QByteArray fine = planOf("2025-01-01,0.0000001,0.1234567890123456789,,,\n");
        QCOMPARE(parsed(planCsv(parsed(fine))).rows[0].standing, parsed(fine).rows[0].standing);
        QCOMPARE(planCsv(parsed(fine)), planOf("2025-01-01,0.0000001,0.12345678901234568,,,\n"));
        QCOMPARE(plan.rowOn(QDate(2024, 12, 31)), nullptr);
        QCOMPARE(plan.rowOn(QDate(2025, 4, 1)), &plan.rows[1]);
    }

    void readFile() {
        QTemporaryDir dir;
        const QString missing = dir.filePath("none.csv");
        QVERIFY(readPlanFile(missing).unreadable);
        QCOMPARE(readPlanFile(missing).message, "Unable to read the plan file " + missing + ".");
        QFile f(dir.filePath("bad.csv"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(planOf("2025-01-01,x,1,,,\n")) > 0);
        f.close();
        const PlanFile bad = readPlanFile(f.fileName());
        QVERIFY(!bad.plan && !bad.unreadable);
        QCOMPARE(bad.message, "The plan " + f.fileName() +
                                  " was refused.\r\nLine 2, column unit_p_per_kwh: \"x\" is not a "
                                  "number.");
    }

    // Periods the plan cannot price have no other total and stay out of the sums.
    void compare() {
        auto period = [](QDate from, QDate to, double units, double own) {
            records::Period p;
            p.readings.date1 = from, p.readings.date2 = to;
            p.readings.normal1 = 1000, p.readings.normal2 = 1000 + units;
            p.bill = records::PeriodBill{};
            p.bill->costs.total = own;
            return p;
        };
        const QList<records::Period> periods{
            period(QDate(2024, 12, 1), QDate(2025, 1, 1), 300, 90),
            period(QDate(2025, 1, 1), QDate(2025, 4, 1), 900, 250)};
        const records::Comparison c = comparePlan(periods, parsed(TwoRows));
        QCOMPARE(c.rows.size(), 2);
        QVERIFY(!c.rows[0].other);
        QCOMPARE(c.rows[1].other.value_or(0), 254.16);
        QCOMPARE(c.own, 250.0);
        QCOMPARE(c.difference(), 254.16 - 250);
    }
};

QTEST_GUILESS_MAIN(TestPlan)
#include "tst_plan.moc"
