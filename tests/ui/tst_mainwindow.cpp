#include "scriptedhost.h"
#include "ui/mainwindow.h"
#include "ui/qthost.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QColor normalText(0x33, 0x33, 0x33), creditText(0xFF, 0x80, 0x00);

QLineEdit* edit(const MainWindow& w, const char* name) {
    return qobject_cast<QLineEdit*>(w.control(name));
}
QColor textColour(const QWidget* w) {
    return w->palette().color(QPalette::Active, QPalette::Text);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

  private slots:
    // Each control of the table, as designed: its class, caption, tool tip and limits.
    void design_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(mainWindowControls().size()); ++i)
            QTest::newRow(qPrintable(mainWindowControls()[i].name)) << i;
    }

    void design() {
        QFETCH(int, index);
        const ControlSpec& control = mainWindowControls()[index];
        const auto design = buildVoltrakeMainDesign();
        QWidget* w = design->findChild<QWidget*>(control.name);
        const char* classes[] = {"QLineEdit", "QLabel", "QCheckBox", "QPushButton", "", "QLabel"};
        QCOMPARE(w ? w->metaObject()->className() : "", classes[int(control.kind)]); // Timer1: none
        if (!w)
            return;
        QCOMPARE(w->property("text").toString(), control.caption);
        QCOMPARE(w->toolTip(), control.toolTip);
        if (control.kind == ControlKind::TextBox) {
            QCOMPARE(w->property("readOnly").toBool(), control.result);
            QCOMPARE(w->property("maxLength").toInt(),
                     control.maxLength ? control.maxLength : 32767);
        }
        if (control.kind == ControlKind::Picture)
            QVERIFY(!qobject_cast<QLabel*>(w)->pixmap().isNull());
        const auto labels = design->findChildren<QLabel*>(); // a check box's caption is beside it
        QVERIFY(control.kind != ControlKind::CheckBox ||
                std::any_of(labels.begin(), labels.end(),
                            [w](QLabel* l) { return l->buddy() == w && !l->text().isEmpty(); }));
    }

    // Apart from the controls only static labels and group frames have names.
    void designHasNothingElse() {
        const auto design = buildVoltrakeMainDesign();
        QCOMPARE(design->objectName() + ' ' + design->windowTitle() + ' ' + design->font().family(),
                 QString("VoltrakeMain Voltrake Arial"));
        QStringList strangers;
        for (QWidget* w : design->findChildren<QWidget*>()) {
            const QString n = w->objectName();
            const bool known = std::any_of(mainWindowControls().begin(), mainWindowControls().end(),
                                           [&n](const ControlSpec& s) { return s.name == n; });
            if (!known && !n.isEmpty() && !n.startsWith("qt_") &&
                !(qobject_cast<QLabel*>(w) && n.startsWith("label_")) &&
                !(qobject_cast<QGroupBox*>(w) && n.startsWith("group_")))
                strangers << n;
        }
        QCOMPARE(strangers, QStringList());
    }

    // Model to widgets and back, no event loop run; then Timer1 empties the status line.
    void binding() {
        Workspace ws;
        MainForm& f = ws.form;
        MainWindow window(f);
        for (const ControlSpec& s : mainWindowControls()) // results take the button face
            if (const QWidget* w = edit(window, qPrintable(s.name)))
                QVERIFY2(textColour(w) == (s.colour == colour::Credit ? creditText : normalText) &&
                             (w->palette().color(QPalette::Base) ==
                              w->palette().color(QPalette::Button)) == s.result,
                         qPrintable(s.name));
        f.setText("TVCost", "£12.00");
        f.model.setColour("TVCost", colour::Credit);
        f.model.setToolTip("TVCost", "Total Cost (inc VAT)");
        f.model.setEnabled("Save", false);
        f.model.setCaption("PRateH", "Months");
        f.model.setChecked("NoHistory", true);
        QCOMPARE(edit(window, "TVCost")->text() + edit(window, "TVCost")->toolTip() +
                     textColour(window.control("TVCost")).name() +
                     window.control("PRateH")->property("text").toString(),
                 QString("£12.00Total Cost (inc VAT)#ff8000Months"));
        QVERIFY(!window.control("Save")->isEnabled() &&
                window.control("NoHistory")->property("checked").toBool());
        f.model.setColour("TVCost", colour::Normal);
        QTest::keyClick(window.control("NoHistory"), Qt::Key_Space);
        QVERIFY(!f.ticked("NoHistory") &&
                !window.control("NoHistory")->property("checked").toBool() &&
                textColour(window.control("TVCost")) == normalText);
        QTest::keyClicks(edit(window, "NRead1"), "1234");
        QTest::keyClick(edit(window, "NRead1"), Qt::Key_Backspace);
        edit(window, "NRead1")->setCursorPosition(1); // typing mid-text keeps the cursor there
        QTest::keyClicks(edit(window, "NRead1"), "9");
        QCOMPARE(f.text("NRead1") + QString::number(edit(window, "NRead1")->cursorPosition()),
                 QString("19232"));
        QTest::keyClicks(edit(window, "Notes"), QString(80, 'n'));
        QCOMPARE(f.text("Notes"), QString(75, 'n'));
        QTest::mouseClick(window.control("Logo"), Qt::LeftButton); // the maker's home page
        QCOMPARE(ws.host.opened, QStringList{f.webSiteRoot});

        f.setStatus("Calculation <b>Saved");
        auto* status = qobject_cast<QLabel*>(window.control("Status"));
        QVERIFY(status->text() == "Calculation <b>Saved" && status->textFormat() == Qt::PlainText);
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QString(), 10000);
        QVERIFY(!f.model.enabled("Timer1") && !window.timer1Active());
    }

    // Load once, then activate; then 91 days, 100 units at 0.10 and a fixed Discount 2 of 20
    // typed in: a credit, shown positive in orange. Same inputs again: refused, results stay.
    void loadActivateCalculate() {
        LocaleScope locale("en_GB");
        Workspace ws;
        ws.write("Data/Voltrake.ini", installedIni());
        MainWindow window(ws.form);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(ws.form.FileSystem && ws.form.text("NormalR1").endsWith("0.150000"));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(ws.form.Activated && window.timer1Active() && ws.host.boxes.isEmpty());
        QCOMPARE(qobject_cast<QLabel*>(window.control("Status"))->text(),
                 QString("No Saved Meter Readings To Restore"));
        window.hide();
        window.show();
        QCOMPARE(ws.read("Log/Voltrake.log").count("Voltrake Started"), 1);

        const QList<std::pair<const char*, QString>> typed = {
            {"Date1", "01/01/2012"}, {"Date2", "01/04/2012"}, {"NRead1", "1000"},
            {"NRead2", "1100"},      {"NormalR1", "0.1"},     {"CO2", "0.5"},
            {"CheapR", ""},          {"SCharge", ""},         {"VAT", ""},
            {"Disc1", ""},           {"Disc2", "20"},         {"PRate", ""}};
        for (const auto& [name, text] : typed) {
            edit(window, name)->selectAll(); // typed over, as a user does
            QTest::keyClick(edit(window, name), Qt::Key_Backspace);
            QTest::keyClicks(edit(window, name), text);
        }
        QTest::mouseClick(window.control("Disc2F"), Qt::LeftButton);
        QTest::mouseClick(window.control("Calc"), Qt::LeftButton);
        QStringList results;
        for (const char* name : {"TDays", "NRUnits", "NR1Cost", "TVCost", "CDay", "TCO2", "TDaysP"})
            results << edit(window, name)->text();
        QCOMPARE(results.join(' '), QString("91 100 £10.00 £10.00 £-0.11 50 "));
        QVERIFY(textColour(window.control("TVCost")) == creditText &&
                window.control("Save")->isEnabled());
        QTest::mouseClick(window.control("Calc"), Qt::LeftButton);
        QCOMPARE(ws.host.titles(), QStringList{"Voltrake Error"});
        QCOMPARE(edit(window, "TVCost")->text(), QString("£10.00"));
    }

    // The answer of each way out of each kind of box; the text shows plain, CR LF as a line feed.
    void messageBoxAnswers_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("press"); // a button's text, "escape" or "close"
        QTest::addColumn<int>("answer");
        auto row = [](Host::Buttons b, Host::Icon i, const char* press, Host::Answer a) {
            const char* kinds[] = {"ok", "ok/cancel", "yes/no", "yes/no/cancel"};
            QTest::addRow("%s, %s", kinds[int(b)], press)
                << int(b) << int(i) << QString(press) << int(a);
        };
        row(Host::Buttons::Ok, Host::Icon::None, "OK", Host::Answer::Ok);
        row(Host::Buttons::Ok, Host::Icon::Error, "close", Host::Answer::Ok);
        row(Host::Buttons::OkCancel, Host::Icon::Question, "OK", Host::Answer::Ok);
        row(Host::Buttons::OkCancel, Host::Icon::Question, "escape", Host::Answer::Cancel);
        row(Host::Buttons::YesNo, Host::Icon::Question, "Yes", Host::Answer::Yes);
        row(Host::Buttons::YesNo, Host::Icon::Warning, "No", Host::Answer::No);
        row(Host::Buttons::YesNo, Host::Icon::Question, "escape", Host::Answer::No);
        row(Host::Buttons::YesNoCancel, Host::Icon::Question, "No", Host::Answer::No);
        row(Host::Buttons::YesNoCancel, Host::Icon::Question, "close", Host::Answer::Cancel);
    }

    void messageBoxAnswers() {
        QFETCH(int, buttons);
        QFETCH(int, icon);
        QFETCH(QString, press);
        QFETCH(int, answer);
        using M = QMessageBox;
        const int shownButtons[] = {M::Ok, M::Ok | M::Cancel, M::Yes | M::No,
                                    M::Yes | M::No | M::Cancel};
        const int shownIcons[] = {M::NoIcon, M::Warning, M::Critical, M::Question};
        QString seen;
        QTimer poll; // acts on the box as soon as it is open
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                poll.stop();
                seen = box->windowTitle() + '|' + box->text() + '|' +
                       QString::number(box->standardButtons()) + '|' +
                       QString::number(box->icon()) + '|' + QString::number(box->textFormat());
                if (press == "escape")
                    QTest::keyClick(box, Qt::Key_Escape);
                else if (press == "close")
                    box->close();
                for (QAbstractButton* b : box->buttons())
                    if (b->text().remove('&') == press)
                        b->click();
            }
        });
        poll.start(10);
        QCOMPARE(int(QtHost().messageBox("Voltrake Calculation Not Saved", "Unsaved\r\n<b>Save</b>",
                                         Host::Buttons(buttons), Host::Icon(icon))),
                 answer);
        QCOMPARE(seen, QString("Voltrake Calculation Not Saved|Unsaved\n<b>Save</b>|%1|%2|%3")
                           .arg(shownButtons[buttons])
                           .arg(shownIcons[icon])
                           .arg(Qt::PlainText));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
