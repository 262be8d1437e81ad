// SPDX-License-Identifier: GPL-3.0-or-later
#include "form/presentation.h"
#include "form/results.h"
#include "records/historyimport.h"
#include "records/logformat.h"
#include "scriptedhost.h"
#include "text/files.h"
#include "ui/frmhistory.h"
#include "ui/historyfiles.h"
#include "ui/historymodel.h"
#include "ui/mainwindow.h"
#include "ui/menubar.h"

#include <QChartView>
#include <QtTest>
#include <QtWidgets>

namespace {

const QString HLog = QStringLiteral("Log/Voltrake_H.log");

// One save: the readings typed, then Calc and Save as a user clicks them.
struct Reading {
    QString date;
    QString normal;
    QString cheap;
};

const QList<Reading> Quarterly = {{"01/01/2018", "10000", "5000"}, {"02/04/2018", "10800", "5300"},
                                  {"01/07/2018", "11500", "5650"}, {"03/10/2018", "12350", "5900"},
                                  {"02/01/2019", "13400", "6400"}, {"01/04/2019", "14150", "6750"}};

const QString Tariff = "NormalR1=0.245;NormalR2=0.2;BPoint=400;CheapR=0.09;SCharge=45.5;"
                       "VAT=5;+Disc1P;Disc1=3.5;Disc2=1.25";

struct Saves : Workspace {
    LocaleScope locale{"en_GB"};
    QStringList totals; // as the window showed them

    explicit Saves(const QString& fields = {}) {
        form.ResultsLogName = "Voltrake.log";
        form.HistoryLogName = "Voltrake_H.log";
        SetTaxWording(form);
        CreateLogFiles(form);
        form.userSetText("CO2", "0.43");
        tariff(fields);
    }

    // The tariff fields typed once; ticks are "+Box".
    void tariff(const QString& fields) {
        for (const QString& pair : fields.split(';', Qt::SkipEmptyParts)) {
            if (pair.startsWith('+'))
                form.userSetChecked(pair.mid(1), true);
            else
                form.userSetText(pair.section('=', 0, 0), pair.section('=', 1));
        }
    }

    void save(const Reading& from, const Reading& to) {
        host.boxes.clear();
        for (auto [name, text] : {std::pair{"Date1", from.date},
                                  {"NRead1", from.normal},
                                  {"CRead1", from.cheap},
                                  {"Date2", to.date},
                                  {"NRead2", to.normal},
                                  {"CRead2", to.cheap}})
            form.userSetText(name, text);
        form.buttonClicked("Calc");
        QVERIFY2(host.boxes.isEmpty(), qPrintable(host.boxes.value(0).text));
        totals << form.text("TVCost");
        form.buttonClicked("Save");
        QCOMPARE(form.text("Status"), QString("Calculation Saved"));
    }

    // The quarters saved in turn, without their cheap readings when cheap is false.
    void saveQuarters(bool cheap = true) {
        for (int i = 1; i < Quarterly.size(); ++i) {
            Reading from = Quarterly[i - 1], to = Quarterly[i];
            if (!cheap)
                from.cheap.clear(), to.cheap.clear();
            save(from, to);
        }
    }

    QString log() const { return files::decode(read(HLog)); }
};

QStringList dataLines(const QString& log) {
    QStringList out;
    for (const QString& l : files::splitLines(log))
        if (records::isDataLine(l))
            out << l;
    return out;
}

} // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT

  private slots:
    // Periods saved through the window (their figures against the saved reports are the
    // history periods' own test): the table shows the totals shown, newest first, and the
    // chart's parts add up to them, discounts below zero.
    void modelEqualsSavedFigures_data() {
        QTest::addColumn<QString>("tariff");
        QTest::addColumn<bool>("cheap");
        row("cheap rate, break point, discounts", Tariff, true);
        row("normal only, monthly, fixed discount",
            "NormalR1=0.3;SCharge=12;VAT=20;Disc2=4;+Disc2F;+Period", false);
    }

    void modelEqualsSavedFigures() {
        QFETCH(QString, tariff);
        QFETCH(bool, cheap);
        Saves s(tariff);
        s.saveQuarters(cheap);
        HistoryModel model;
        model.setPeriods(periodsFromLog(s.read(HLog), 0.43));
        QCOMPARE(model.rowCount(), int(s.totals.size()));
        using S = HistoryModel::Series;
        for (int i = 0; i < s.totals.size(); ++i) {
            QCOMPARE(
                model.index(int(s.totals.size()) - 1 - i, HistoryModel::Total).data().toString(),
                s.totals[i]);
            double sum = 0;
            for (S part : {S::Rate1, S::Rate2, S::Cheap, S::FixedCharges, S::Vat, S::Discount1,
                           S::Discount2})
                sum += model.series(part)[i];
            QVERIFY(qAbs(sum - model.periods()[i].total) < 0.015);
        }
        QCOMPARE(model.yearEarlier(4), std::optional<std::size_t>(0));
        QCOMPARE(model.yearEarlier(2), std::nullopt);
    }

    // Readings taken from the exported periods and imported into an empty history give the
    // same history lines the saves wrote.
    void exportImportRoundTrip() {
        Saves s(Tariff);
        s.saveQuarters();
        QVERIFY(exportHistoryTo(s.form, s.path("history.csv")));
        QCOMPARE(s.form.text("Status"), QString("History Exported"));

        // The readings file a spreadsheet would make of the export: date, normal, cheap.
        const QStringList rows = QString::fromUtf8(s.read("history.csv")).split('\n');
        QCOMPARE(rows.size(), Quarterly.size() + 1); // header, 5 periods, final LF
        QStringList readings{"date,normal,cheap"};
        for (const QString& row : rows.mid(1, Quarterly.size() - 1)) {
            const QStringList c = row.split(',');
            if (readings.size() == 1)
                readings << c[0] + ',' + c[3] + ',' + c[5];
            readings << c[1] + ',' + c[4] + ',' + c[6];
        }
        s.write("readings.csv", readings.join('\n').toUtf8());
        const QString saved = s.log();
        s.write(HLog, files::encode(records::headerBlock("Voltrake History Log", "x") +
                                    records::historyColumnHeaders("VAT") + "\r\n"));
        s.host.boxes.clear();
        QVERIFY2(importReadingsFrom(s.form, s.path("readings.csv")),
                 qPrintable(s.host.boxes.value(0).text));
        QCOMPARE(dataLines(s.log()), dataLines(saved));
        QCOMPARE(s.host.boxes.value(0).text, QString("6 readings were imported."));

        // Again: every line is refused in one message, and the log stays as it was.
        const QByteArray before = s.read(HLog);
        s.host.boxes.clear();
        QVERIFY(!importReadingsFrom(s.form, s.path("readings.csv")));
        QCOMPARE(s.read(HLog), before);
        QCOMPARE(s.host.boxes.size(), 1);
        QVERIFY2(s.host.boxes[0].text.contains("Line 7: "), qPrintable(s.host.boxes[0].text));

        // A reading that cannot be priced, or a tariff failing its checks: nothing written.
        const std::vector<records::ImportedReading> late{{QDate(2019, 6, 1), 15000, 7000},
                                                         {QDate(), 16000, {}}};
        QVERIFY(!importReadings(s.form, late));
        s.form.setText("VAT", "99"); // beyond the VAT range
        QVERIFY(!importReadings(s.form, {late.front()}));
        QCOMPARE(s.read(HLog), before);
    }

    // Each menu item runs its button and follows the button's enabled state.
    void menuActions_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("effect");
        for (auto [action, button, effect] : {std::tuple{"actionAbout", "About", "about"},
                                              {"actionUpdate", "Update", "manual"},
                                              {"actionHelp", "Help1", "opened"},
                                              {"actionExit", "Exit", "ended"}})
            row(action + 6, QString(action), QString(button), QString(effect));
    }

    void menuActions() {
        QFETCH(QString, action);
        QFETCH(QString, button);
        QFETCH(QString, effect);
        Saves s;
        s.write("Help/index.htm", "help");
        MainWindow window(s.form);
        attachMenuBar(s.form, &window);
        auto* a = window.findChild<QAction*>(action);
        QVERIFY(a);
        s.host.answers = {Host::Answer::No};
        s.form.model.setEnabled(button, false);
        QVERIFY(!a->isEnabled());
        a->trigger();
        QCOMPARE(s.host.ended + s.host.aboutShown + s.host.updateChecks.size() +
                     s.host.opened.size() + s.host.boxes.size(),
                 0);
        s.form.model.setEnabled(button, true);
        QVERIFY(a->isEnabled());
        a->trigger();
        const QString seen = s.host.ended                     ? "ended"
                             : s.host.aboutShown              ? "about"
                             : !s.host.updateChecks.isEmpty() ? s.host.updateChecks[0]
                             : !s.host.opened.isEmpty()       ? "opened"
                             : !s.host.boxes.isEmpty()        ? "box"
                                                              : "nothing";
        QCOMPARE(seen, effect);
        // No menu title shares its access key with a button of the window.
        for (QAction* menu : window.findChild<QMenuBar*>()->actions()) {
            const QString key = QKeySequence::mnemonic(menu->text()).toString();
            for (const ControlSpec& c : mainWindowControls())
                QVERIFY2(c.kind != ControlKind::Button ||
                             QKeySequence::mnemonic(c.caption).toString() != key,
                         qPrintable(menu->text() + " " + c.caption));
        }
        // The window still mirrors the model through the shared observer.
        s.form.model.setEnabled("Calc", false);
        QVERIFY(!window.control("Calc")->isEnabled());
    }

    // The window drawn offscreen: the charts are painted and the table has a row per period.
    void screenshot() {
        Saves s(Tariff);
        s.saveQuarters();
        QWidget* w = showHistoryWindow(s.form, nullptr);
        QVERIFY(w && w->objectName() == "frmHistory");
        QCOMPARE(showHistoryWindow(s.form, nullptr), w); // one at a time
        auto* table = w->findChild<QTableView*>("HistoryTable");
        QCOMPARE(table->model()->rowCount(), Quarterly.size() - 1);
        auto* chart = w->findChild<QChartView*>("UnitsChart");
        QVERIFY(w->findChild<QChartView*>("CostChart"));
        QVERIFY(chart && chart->isVisible());
        const QImage image = chart->grab().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 20, qPrintable(QString::number(colours.size())));

        // Another tariff: a column of its totals and the difference over the periods.
        s.write("Data/Other.ini", files::encode(QString("no configuration\r\n")));
        QVERIFY(!compareHistoryWith(s.path("Data/Other.ini")));
        QCOMPARE(table->model()->columnCount(), int(HistoryModel::ColumnCount) - 1);
        QVERIFY(compareHistoryWith(QFINDTESTDATA("../../dist/Data/Voltrake.ini")));
        QCOMPARE(table->model()->columnCount(), int(HistoryModel::ColumnCount));
        QVERIFY(!table->model()->index(0, HistoryModel::Compared).data().toString().isEmpty());
        QVERIFY(w->findChild<QLabel*>("CompareTotal")->text().startsWith("Difference"));
        // A plan (its prices are the plan's own test): periods starting before its first date
        // have no other total, and a gap in the chart's line, not a cost of nothing.
        s.write("Data/plan.csv", "from,unit_p_per_kwh,standing_p_per_day,cheap_p_per_kwh,"
                                 "export_p_per_kwh,vat_percent\n2018-07-01,20,50,10,,5\n");
        QVERIFY(compareHistoryWith(s.path("Data/plan.csv")));
        const auto compared = [&](int row) {
            return table->model()->index(row, HistoryModel::Compared).data().toString();
        };
        QVERIFY(compared(2).startsWith("£") && compared(4).isEmpty()); // newest first
        const auto line =
            w->findChild<HistoryModel*>()->series(HistoryModel::Series::ComparedTotal);
        QVERIFY(qIsNaN(line.front()) && !qIsNaN(line.back()));

        // Remove Last, through the form, shows up without being asked; an empty log shows the
        // explanation.
        s.host.answers = {Host::Answer::Yes};
        s.form.buttonClicked("Del_Last");
        QTRY_COMPARE(table->model()->rowCount(), Quarterly.size() - 2);
        s.write(HLog, files::encode(records::headerBlock("Voltrake History Log", "x")));
        refreshHistoryWindow();
        QCOMPARE(table->model()->rowCount(), 0);
        QVERIFY(w->findChild<QWidget*>("HistoryEmpty")->isVisible());
        w->close();
        QTRY_VERIFY(!historyWindow());
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
