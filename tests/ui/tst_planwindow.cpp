// SPDX-License-Identifier: GPL-3.0-or-later
#include "scriptedhost.h"
#include "ui/frmplan.h"
#include "ui/mainwindow.h"
#include "ui/menubar.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QByteArray Header =
    "from,unit_p_per_kwh,standing_p_per_day,cheap_p_per_kwh,export_p_per_kwh,vat_percent\n";
const QByteArray OnePrice = Header + "2025-01-01,24.50,60.00,,,5\n";
const QString Quarter = "PlanDate1=01/01/2025;PlanDate2=01/04/2025;PlanNRead1=12000;"
                        "PlanNRead2=12700";

// A workspace with the plan window open on it; the window goes before the form it points at.
struct PlanDesk : Workspace {
    LocaleScope locale{"en_GB"};
    QWidget* window = nullptr;

    ~PlanDesk() { delete planWindow(); }

    QWidget* open() { return window = showPlanWindow(form, nullptr); }
    template <typename T = QLineEdit> T* get(const QString& name) const {
        T* w = window->findChild<T*>(name);
        if (!w)
            qFatal("no %s", qPrintable(name));
        return w;
    }
    // "Name=text;..." typed into the window's boxes.
    void type(const QString& fields) const {
        for (const QString& pair : fields.split(';', Qt::SkipEmptyParts))
            get(pair.section('=', 0, 0))->setText(pair.section('=', 1));
    }
    void calculate(const QString& planFile) {
        get("PlanFile")->setText(path(planFile));
        host.boxes.clear();
        get<QPushButton>("PlanCalc")->click();
    }
    QString label(const char* name) const { return get<QLabel>(name)->text(); }
    // The shown columns of row r, or their headings for r < 0.
    QStringList row(int r) const {
        auto* t = get<QTableWidget>("PlanPieces");
        QStringList out;
        for (int c = 0; c < t->columnCount(); ++c)
            if (!t->isColumnHidden(c))
                out << (r < 0 ? t->horizontalHeaderItem(c)->text().replace('\n', ' ')
                              : t->item(r, c)->text());
        return out;
    }
    QStringList costs() const {
        auto* t = get<QTableWidget>("PlanPieces");
        QStringList out;
        for (int r = 0; r < t->rowCount(); ++r)
            out << t->item(r, t->columnCount() - 1)->text();
        return out;
    }
};

} // namespace

class TestPlanWindow : public QObject {
    Q_OBJECT

  private slots:
    // A price change in the period gives a row each, the cheap columns shown (the prices are
    // the plan's own test): (280 x 20 + 56 x 8 + 28 x 50) x 1.05 = 7820.4p; (310 x 30 + 62 x 12
    // + 31 x 40) x 1.05 = 11848.2p.
    void bill() {
        PlanDesk d;
        d.write("Data/mine.csv", Header + "2025-01-01,20,50,8,,5\n2025-03-01,30,40,12,,5\n");
        d.open();
        d.type("PlanDate1=01/02/2025;PlanDate2=01/04/2025;PlanNRead1=1000;PlanNRead2=1590;"
               "PlanCRead1=2000;PlanCRead2=2118");
        d.calculate("Data/mine.csv");
        QVERIFY2(d.host.boxes.isEmpty(), qPrintable(d.host.boxes.value(0).text));
        QCOMPARE(d.row(-1).join('|'), QString("From|To|Days|Units|Cheap units|Cheap p/kWh|"
                                              "Unit p/kWh|Standing p/day|VAT %|Cost"));
        QCOMPARE(d.row(0).join('|'),
                 QString("01/02/2025|01/03/2025|28|280.00|56.00|8.00|20.00|50.00|5|£78.20"));
        QCOMPARE(d.costs(), (QStringList{"£78.20", "£118.48"}));
        QCOMPARE(d.label("PlanTotal") + '|' + d.label("PlanCostPerDay") + '|' +
                     d.label("PlanCostPerUnit"),
                 QString("Total: £196.68|Cost per day: £3.33|Cost per unit: £0.28"));
        QVERIFY(d.get<QPushButton>("PlanSaveDefault")->isEnabled());
    }

    // Nothing is shown for a refused plan or refused readings, the earlier bill is cleared, and
    // no file changes; a plan that was read can still become the default.
    void refused_data() {
        QTest::addColumn<QByteArray>("plan");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QString>("message"); // %1: the plan's path
        QTest::addColumn<bool>("planRead");
        row("bad price", Header + "2025-01-01,24.50,60,,,5\n2025-04-01,abc,60,,,5\n", Quarter,
            "The plan %1 was refused.\r\nLine 3, column "
            "unit_p_per_kwh: \"abc\" is not a number.",
            false);
        row("before the plan", OnePrice, Quarter + ";PlanDate1=01/12/2024",
            "The reading period starts before the plan's first price date, 01/01/2025: the "
            "plan says nothing of the prices before it",
            true);
    }

    void refused() {
        QFETCH(QByteArray, plan);
        QFETCH(QString, fields);
        QFETCH(QString, message);
        QFETCH(bool, planRead);
        PlanDesk d;
        d.write("Data/plan.csv", OnePrice);
        d.write("good.csv", OnePrice);
        d.write("other.csv", plan);
        d.open();
        d.type(Quarter);
        d.calculate("good.csv");
        QCOMPARE(d.costs(), QStringList{"£236.78"});

        d.type(fields);
        d.calculate("other.csv");
        QCOMPARE(d.host.titles(), QStringList{"Voltrake Plan Error"});
        QCOMPARE(d.host.boxes[0].text, message.replace("%1", d.path("other.csv")));
        QCOMPARE(d.host.boxes[0].icon, Host::Icon::Warning);
        QCOMPARE(d.costs(), QStringList());
        QCOMPARE(d.label("PlanTotal"), QString());
        QCOMPARE(d.get<QPushButton>("PlanSaveDefault")->isEnabled(), planRead);
        QCOMPARE(d.read("Data/plan.csv"), OnePrice);
        QCOMPARE(QDir(d.path("Data")).entryList(QDir::Files), QStringList{"plan.csv"});
        QCOMPARE(d.read("other.csv"), plan);
    }

    // The default plan is the chosen file's bytes as they were read, asked for when it would
    // replace another.
    void saveDefault_data() {
        QTest::addColumn<QByteArray>("existing"); // null: none; "dir": a folder in its place
        QTest::addColumn<bool>("replace");        // the answer to the question
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("saved");
        row("no default yet", QByteArray(), true, false, true);
        row("another, replaced", OnePrice, true, true, true);
        row("another, kept", OnePrice, false, true, false);
        row("the same", QByteArray("same"), true, false, true);
        row("not writable", QByteArray("dir"), true, false, false);
    }

    void saveDefault() {
        QFETCH(QByteArray, existing);
        QFETCH(bool, replace);
        QFETCH(bool, asked);
        QFETCH(bool, saved);
        // Columns in another order, a byte-order mark and CR LF: none of it may be rewritten.
        const QByteArray mine = "\xEF\xBB\xBFvat_percent,from,unit_p_per_kwh,standing_p_per_day,"
                                "cheap_p_per_kwh,export_p_per_kwh\r\n5,2025-01-01,24.5,60,,\r\n";
        PlanDesk d;
        d.write("mine.csv", mine);
        if (existing == "dir")
            QVERIFY(QDir(d.path("Data")).mkdir("plan.csv"));
        else if (!existing.isNull())
            d.write("Data/plan.csv", existing == "same" ? mine : existing);
        d.open();
        auto* save = d.get<QPushButton>("PlanSaveDefault");
        QVERIFY(!save->isEnabled());
        d.type(Quarter);
        d.calculate("mine.csv");
        QCOMPARE(d.costs(), QStringList{"£236.78"});
        d.host.answers = {replace ? Host::Answer::Yes : Host::Answer::No};
        save->click();

        const QString question =
            "Replace the default plan Data/plan.csv with " + d.path("mine.csv") + "?";
        const QString error = "Unable to write the default plan " + d.path("Data/plan.csv") +
                              ".\r\nThis may be a permissions problem.";
        QCOMPARE(!d.host.boxes.isEmpty() && d.host.boxes[0].text == question, asked);
        if (asked)
            QCOMPARE(d.host.boxes[0].buttons, Host::Buttons::YesNo);
        QCOMPARE(d.label("PlanStatus"), QString(saved ? "Saved as the default plan" : ""));
        if (existing == "dir")
            QCOMPARE(d.host.boxes.value(0).text, error);
        else
            QCOMPARE(d.read("Data/plan.csv"), saved ? mine : existing);

        // Another file chosen: that one has to be read first.
        d.get("PlanFile")->setText(d.path("Data/plan-example.csv"));
        QVERIFY(!save->isEnabled());
    }

    // File > Check a Bill with a Plan opens one window, its readings taken from the main
    // window and the default plan (or else the example) chosen; Escape closes it.
    void openFromMenu_data() {
        QTest::addColumn<QStringList>("files"); // in Data
        QTest::addColumn<QString>("chosen");
        row("no plan", QStringList{}, "");
        row("the example", QStringList{"plan-example.csv"}, "plan-example.csv");
        row("the default", QStringList{"plan-example.csv", "plan.csv"}, "plan.csv");
    }

    void openFromMenu() {
        QFETCH(QStringList, files);
        QFETCH(QString, chosen);
        PlanDesk d;
        for (const QString& name : files)
            d.write("Data/" + name, OnePrice);
        d.form.RunOnTop = 2;
        const QStringList main{"Date1", "Date2", "NRead1", "NRead2", "CRead1", "CRead2"};
        for (const QString& name : main)
            d.form.setText(name, name + "?");
        MainWindow window(d.form);
        attachMenuBar(d.form, &window);
        QMenu* fileMenu = window.findChild<QMenuBar*>()->actions().value(0)->menu();
        QVERIFY(fileMenu);
        QCOMPARE(fileMenu->actions().value(0)->objectName(), QString("actionPlanBill"));
        QVERIFY(fileMenu->actions().value(1)->isSeparator());
        fileMenu->actions()[0]->trigger();

        d.window = planWindow();
        QVERIFY(d.window);
        QCOMPARE(d.window->objectName(), QString("frmPlan"));
        QCOMPARE(d.window->windowTitle(), QString("Voltrake Check a Bill with a Plan"));
        QVERIFY(d.window->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(d.window->isVisible() && !d.window->isModal());
        for (const QString& name : main)
            QCOMPARE(d.get("Plan" + name)->text(), name + "?");
        QCOMPARE(d.get("PlanExport1")->text(), QString());
        QCOMPARE(d.get("PlanFile")->text(),
                 chosen.isEmpty() ? QString() : d.path("Data/" + chosen));
        fileMenu->actions()[0]->trigger();
        QCOMPARE(planWindow(), d.window); // one at a time

        QTest::keyClick(d.window, Qt::Key_Escape);
        QTRY_VERIFY(!planWindow());
    }
};

QTEST_MAIN(TestPlanWindow)
#include "tst_planwindow.moc"
