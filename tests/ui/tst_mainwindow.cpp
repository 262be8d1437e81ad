#include "calc/mainform.h"
#include "scriptedhost.h"
#include "ui/mainwindow.h"
#include "ui/qthost.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

const QColor normalText(0x33, 0x33, 0x33);
const QColor creditText(0xFF, 0x80, 0x00);

// The installed configuration: Normal Rate 1 0.15, Cheap Rate 0.05, fixed charge 12.50,
// VAT 17.5, CO2 0.43, everything else off.
const QByteArray installedIni =
    "# Voltrake Version 3.1\r\n# Configuration File\r\n# 01-Dec-26 09:00:00\r\n\r\n"
    "[Run]\r\nLogLevel=1\r\nRunOnTop=1\r\n\r\n"
    "[Data]\r\nBreakP=1\r\nBreakPD=1\r\nCORate=0.43\r\nCRate=1.05\r\nDisc1=1\r\nDisc1PT=1\r\n"
    "Disc2=1\r\nDisc2FT=1\r\nDRate=1\r\nNRate1=0.150000\r\nNRate2=1\r\nPeriodT=1\r\n"
    "Predict=1\r\nSCharge=13.5\r\nUpEnable=1\r\nVRate=18.5\r\n";

const ControlSpec& specOf(const QString& name) {
    for (const ControlSpec& s : mainWindowControls())
        if (s.name == name)
            return s;
    qFatal("no control %s", qPrintable(name));
}

template <typename W> W* child(QWidget* w, const QString& name) {
    return w->findChild<W*>(name);
}

// Runs `act` on the next message box as soon as it is open.
void onNextMessageBox(std::function<void(QMessageBox*)> act) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(box);
        }
    });
    poll->start();
}

// Replaces the text of a box the way a user does: select everything, type over it.
void typeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

class EnvScope {
  public:
    EnvScope(const char* name, const QByteArray& value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~EnvScope() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

  private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

} // namespace

// Receives what QDesktopServices would have handed to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class TestMainWindow : public QObject {
    Q_OBJECT
  private slots:
    void designHasEveryControl_data();
    void designHasEveryControl();
    void designHasNothingElse();
    void designStaticLabels();
    void designTabOrder();
    void boundColoursAndBackgrounds();
    void mirrorsModel();
    void userInputReachesModel();
    void timer1FollowsModel();
    void loadOnceThenActivation();
    void missingDirectoryEndsLoad();
    void calculateThroughWidgets_data();
    void calculateThroughWidgets();
    void nothingOverlaps_data();
    void nothingOverlaps();
    void messageBoxAnswers_data();
    void messageBoxAnswers();
    void openDocument_data();
    void openDocument();
    void editorFirstFoundInPath();
    void editorFallsBackToDesktop();
    void onTopKeepsPlaceAndSize();
    void focusAndEnd();
};

void TestMainWindow::designHasEveryControl_data() {
    QTest::addColumn<QString>("name");
    for (const ControlSpec& s : mainWindowControls())
        QTest::newRow(qPrintable(s.name)) << s.name;
}

void TestMainWindow::designHasEveryControl() {
    QFETCH(QString, name);
    const ControlSpec& spec = specOf(name);
    auto design = buildVoltrakeMainDesign();
    QWidget* w = design->findChild<QWidget*>(name);

    switch (spec.kind) {
    case ControlKind::Timer:
        QVERIFY2(!w, "the timer is not a widget");
        return;
    case ControlKind::TextBox: {
        auto* edit = qobject_cast<QLineEdit*>(w);
        QVERIFY2(edit, "text box must be a QLineEdit");
        QCOMPARE(edit->text(), QString());
        QCOMPARE(edit->isReadOnly(), spec.result);
        QCOMPARE(edit->maxLength(), spec.maxLength ? spec.maxLength : 32767);
        QVERIFY(!edit->accessibleName().isEmpty());
        break;
    }
    case ControlKind::CheckBox: {
        auto* box = qobject_cast<QCheckBox*>(w);
        QVERIFY2(box, "check box must be a QCheckBox");
        QCOMPARE(box->text(), QString()); // its caption is the label beside it
        QVERIFY(!box->accessibleName().isEmpty());
        const auto labels = design->findChildren<QLabel*>();
        const bool labelled = std::any_of(labels.begin(), labels.end(),
                                          [box](QLabel* l) { return l->buddy() == box; });
        QVERIFY2(labelled, "no label with the box as buddy");
        break;
    }
    case ControlKind::Button: {
        auto* button = qobject_cast<QPushButton*>(w);
        QVERIFY2(button, "button must be a QPushButton");
        QCOMPARE(button->text(), spec.caption);
        break;
    }
    case ControlKind::Label: {
        auto* label = qobject_cast<QLabel*>(w);
        QVERIFY2(label, "label must be a QLabel");
        QCOMPARE(label->text(), spec.caption);
        break;
    }
    case ControlKind::Picture: {
        auto* label = qobject_cast<QLabel*>(w);
        QVERIFY2(label, "picture must be a QLabel");
        QVERIFY(!label->pixmap().isNull());
        break;
    }
    }
    QCOMPARE(w->toolTip(), spec.toolTip);
}

void TestMainWindow::designHasNothingElse() {
    auto design = buildVoltrakeMainDesign();
    QCOMPARE(design->objectName(), QString("VoltrakeMain"));
    QCOMPARE(design->windowTitle(), QString("Voltrake"));
    QCOMPARE(design->font().family(), QString("Arial"));
    QStringList strangers;
    for (QWidget* w : design->findChildren<QWidget*>()) {
        const QString n = w->objectName();
        if (n.isEmpty() || n.startsWith("qt_"))
            continue;
        const bool staticLabel = qobject_cast<QLabel*>(w) && n.startsWith("label_");
        const bool group = qobject_cast<QGroupBox*>(w) && n.startsWith("group_");
        if (!staticLabel && !group) {
            bool known = false;
            for (const ControlSpec& s : mainWindowControls())
                known = known || s.name == n;
            if (!known)
                strangers << n;
        }
    }
    QCOMPARE(strangers, QStringList());
}

void TestMainWindow::designStaticLabels() {
    auto design = buildVoltrakeMainDesign();
    QStringList texts;
    for (QLabel* l : design->findChildren<QLabel*>())
        texts << l->text();
    for (QGroupBox* g : design->findChildren<QGroupBox*>())
        texts << g->title();
    const QStringList wanted = {"Meter Readings",
                                "Electricity Data",
                                "Results",
                                "Date",
                                "Normal Rate",
                                "Cheap Rate",
                                "Actual:",
                                "Predict:",
                                "Units",
                                "Cost",
                                "Rate 1",
                                "Rate 2",
                                "Fixed Charge",
                                "Discount 2",
                                "Days",
                                "Cost/Day:",
                                "CO2:",
                                "Kg CO2/Day:",
                                "Notes",
                                "Normal Rate 1:",
                                "Normal Rate 2:",
                                "Cheap Rate:",
                                "Fixed Charge:",
                                "Discount 1:",
                                "Discount 2:",
                                "/KWHr",
                                "Kg/KWHr",
                                "CO2 Kg",
                                "Monthly:",
                                "KWHr/Day:",
                                "Disc 1 %:",
                                "Fix Disc 2:",
                                "Auto Save:",
                                "No History:",
                                "On Top:",
                                "Auto Check:",
                                "1)",
                                "2)",
                                "Normal Rate Units",
                                "Normal Rate Costs"};
    for (const QString& t : wanted)
        QVERIFY2(texts.contains(t), qPrintable("missing label " + t));
    // The labels beside the check boxes.
    const QList<std::pair<QString, QString>> beside = {
        {"Period", "Monthly:"},    {"DRate", "KWHr/Day:"},      {"Disc1P", "Disc 1 %:"},
        {"Disc2F", "Fix Disc 2:"}, {"AutoSave", "Auto Save:"},  {"NoHistory", "No History:"},
        {"OnTop", "On Top:"},      {"UpEnable1", "Auto Check:"}};
    for (const auto& [box, text] : beside) {
        QWidget* b = design->findChild<QWidget*>(box);
        bool found = false;
        for (QLabel* l : design->findChildren<QLabel*>())
            found = found || (l->buddy() == b && l->text() == text);
        QVERIFY2(found, qPrintable(box + " lacks its label " + text));
    }
}

void TestMainWindow::designTabOrder() {
    auto design = buildVoltrakeMainDesign();
    QStringList chain;
    QWidget* start = design->findChild<QWidget*>("Date1");
    QWidget* w = start;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != start && chain.size() < 200);
    const QStringList expected = {
        "Date1",     "NRead1",   "CRead1",  "Date2",         "NRead2",         "CRead2",
        "Notes",     "NormalR1", "BPoint",  "DRate",         "NormalR2",       "CheapR",
        "SCharge",   "Period",   "Disc1",   "Disc1P",        "Disc2",          "Disc2F",
        "VAT",       "CO2",      "PRate",   "AutoSave",      "NoHistory",      "OnTop",
        "UpEnable1", "Calc",     "Save",    "Clear",         "Get_Last",       "Del_Last",
        "ViewL",     "ViewH",    "Archive", "Save_Defaults", "Reset_Defaults", "Help1",
        "About",     "Update",   "Exit"};
    QCOMPARE(chain, expected); // result boxes are reached by the mouse only
}

void TestMainWindow::boundColoursAndBackgrounds() {
    Workspace ws;
    MainWindow window(ws.form);
    for (const ControlSpec& s : mainWindowControls()) {
        if (s.kind != ControlKind::TextBox)
            continue;
        auto* edit = qobject_cast<QLineEdit*>(window.control(s.name));
        QVERIFY(edit);
        const QPalette p = edit->palette();
        const bool credit = s.name == "Disc1" || s.name == "Disc2" || s.colour == colour::Credit;
        QCOMPARE(p.color(QPalette::Active, QPalette::Text), credit ? creditText : normalText);
        if (s.result)
            QCOMPARE(p.color(QPalette::Base), p.color(QPalette::Button));
        else
            QVERIFY(p.color(QPalette::Base) != p.color(QPalette::Button));
    }
    QVERIFY(specOf("Disc1").colour == colour::Credit && specOf("Disc2").colour == colour::Credit);
}

void TestMainWindow::mirrorsModel() {
    Workspace ws;
    MainForm& f = ws.form;
    MainWindow window(f);
    auto* total = qobject_cast<QLineEdit*>(window.control("TVCost"));
    f.setText("TVCost", "£12.00");
    f.model.setColour("TVCost", colour::Credit);
    f.model.setToolTip("TVCost", "Total Cost (inc VAT)");
    QCOMPARE(total->text(), QString("£12.00"));
    QCOMPARE(total->palette().color(QPalette::Active, QPalette::Text), creditText);
    QCOMPARE(total->toolTip(), QString("Total Cost (inc VAT)"));
    f.model.setColour("TVCost", colour::Normal);
    QCOMPARE(total->palette().color(QPalette::Active, QPalette::Text), normalText);

    f.model.setEnabled("Save", false);
    QVERIFY(!window.control("Save")->isEnabled());
    f.model.setCaption("PRateH", "Months");
    QCOMPARE(qobject_cast<QLabel*>(window.control("PRateH"))->text(), QString("Months"));
    f.model.setChecked("NoHistory", true);
    QVERIFY(qobject_cast<QCheckBox*>(window.control("NoHistory"))->isChecked());
    f.setStatus("Data Cleared");
    QCOMPARE(qobject_cast<QLabel*>(window.control("Status"))->text(), QString("Data Cleared"));

    // A model change while the user types into the box does not move the cursor.
    auto* notes = qobject_cast<QLineEdit*>(window.control("Notes"));
    QTest::keyClicks(notes, "abcd");
    notes->setCursorPosition(2);
    f.setText("Notes", "abcd");
    QCOMPARE(notes->cursorPosition(), 2);
}

void TestMainWindow::userInputReachesModel() {
    Workspace ws;
    ws.write("Data/Voltrake.ini", installedIni);
    MainForm& f = ws.form;
    MainWindow window(f);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* reading = qobject_cast<QLineEdit*>(window.control("NRead1"));
    QTest::keyClicks(reading, "1234");
    QCOMPARE(f.text("NRead1"), QString("1234"));
    QTest::keyClick(reading, Qt::Key_Backspace);
    QCOMPARE(f.text("NRead1"), QString("123"));

    // Notes takes 75 characters, in the box and in the model.
    auto* notes = qobject_cast<QLineEdit*>(window.control("Notes"));
    QTest::keyClicks(notes, QString(80, 'n'));
    QCOMPARE(notes->text().size(), 75);
    QCOMPARE(f.text("Notes").size(), 75);

    auto* box = qobject_cast<QCheckBox*>(window.control("NoHistory"));
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(f.ticked("NoHistory"));
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(!f.ticked("NoHistory"));
    QVERIFY(!box->isChecked());

    // The logo opens the maker's home page.
    QTest::mouseClick(window.control("Logo"), Qt::LeftButton);
    QCOMPARE(ws.host.opened, QStringList{f.webSiteRoot});
}

void TestMainWindow::timer1FollowsModel() {
    Workspace ws;
    MainForm& f = ws.form;
    MainWindow window(f);
    QVERIFY(!window.timer1Active());
    f.setStatus("Calculation Saved");
    QVERIFY(window.timer1Active());
    // The tick empties the status line and stops the timer.
    QTRY_COMPARE_WITH_TIMEOUT(qobject_cast<QLabel*>(window.control("Status"))->text(), QString(),
                              10000);
    QVERIFY(!f.model.enabled("Timer1"));
    QVERIFY(!window.timer1Active());
}

void TestMainWindow::loadOnceThenActivation() {
    Workspace ws;
    ws.write("Data/Voltrake.ini", installedIni);
    MainForm& f = ws.form;
    MainWindow window(f);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(f.FileSystem);
    QCOMPARE(f.text("NormalR1").endsWith("0.150000"), true);
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(f.Activated);
    QCOMPARE(qobject_cast<QLabel*>(window.control("Status"))->text(),
             QString("No Saved Meter Readings To Restore"));
    QVERIFY(window.timer1Active());
    QVERIFY(ws.host.boxes.isEmpty());

    // Showing the window again does not load it again.
    window.hide();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(QString::fromLatin1(ws.read("Log/Voltrake.log")).count("Voltrake Started"), 1);
}

void TestMainWindow::missingDirectoryEndsLoad() {
    Workspace ws;
    QDir(ws.dir()).rmdir("Help");
    MainWindow window(ws.form);
    window.ensureLoaded();
    QVERIFY(ws.host.ended);
    QCOMPARE(ws.host.titles(), QStringList{"Voltrake Help Directory Error"});
    window.ensureLoaded(); // once only
    QCOMPARE(ws.host.boxes.size(), 1);
}

void TestMainWindow::calculateThroughWidgets_data() {
    QTest::addColumn<QString>("nread2");
    QTest::addColumn<QString>("disc2");
    QTest::addColumn<bool>("fixDisc2");
    QTest::addColumn<QString>("nrUnits");
    QTest::addColumn<QString>("nr1Cost");
    QTest::addColumn<QString>("tvCost");
    QTest::addColumn<bool>("credit");
    QTest::addColumn<QString>("cDay");
    QTest::addColumn<QString>("tco2");

    // 91 days: 1000 units at 0.10 cost £100.00, £1.10 a day, 500 kg of CO2.
    QTest::newRow("simple") << "2000"
                            << "" << false << "1000"
                            << "£100.00"
                            << "£100.00" << false << "£1.10"
                            << "500";
    // A fixed Discount 2 larger than the cost: a credit, shown positive in orange.
    QTest::newRow("credit") << "1100"
                            << "20" << true << "100"
                            << "£10.00"
                            << "£10.00" << true << "£-0.11"
                            << "50";
}

void TestMainWindow::calculateThroughWidgets() {
    QFETCH(QString, nread2);
    QFETCH(QString, disc2);
    QFETCH(bool, fixDisc2);
    QFETCH(QString, nrUnits);
    QFETCH(QString, nr1Cost);
    QFETCH(QString, tvCost);
    QFETCH(bool, credit);
    QFETCH(QString, cDay);
    QFETCH(QString, tco2);

    LocaleScope locale("en_GB");
    Workspace ws;
    ws.write("Data/Voltrake.ini", installedIni);
    MainForm& f = ws.form;
    MainWindow window(f);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto edit = [&](const char* name) { return qobject_cast<QLineEdit*>(window.control(name)); };

    const QList<std::pair<const char*, QString>> typed = {
        {"Date1", "01/01/2012"}, {"Date2", "01/04/2012"}, {"NRead1", "1000"},
        {"NRead2", nread2},      {"NormalR1", "0.1"},     {"CO2", "0.5"},
        {"CheapR", ""},          {"SCharge", ""},         {"VAT", ""},
        {"Disc1", ""},           {"Disc2", disc2},        {"PRate", ""}};
    for (const auto& [name, text] : typed)
        typeInto(edit(name), text);
    if (fixDisc2)
        QTest::mouseClick(window.control("Disc2F"), Qt::LeftButton);
    QCOMPARE(f.ticked("Disc2F"), fixDisc2);
    QCOMPARE(f.text("NRead2"), nread2);

    QTest::mouseClick(window.control("Calc"), Qt::LeftButton);
    QCOMPARE(ws.host.titles(), QStringList());
    QCOMPARE(edit("TDays")->text(), QString("91"));
    QCOMPARE(edit("NRUnits")->text(), nrUnits);
    QCOMPARE(edit("NR1Cost")->text(), nr1Cost);
    QCOMPARE(edit("TVCost")->text(), tvCost);
    QCOMPARE(edit("TVCost")->palette().color(QPalette::Active, QPalette::Text),
             credit ? creditText : normalText);
    QCOMPARE(edit("CDay")->text(), cDay);
    QCOMPARE(edit("TCO2")->text(), tco2);
    QCOMPARE(edit("TDaysP")->text(), QString()); // no prediction asked for
    QVERIFY(window.control("Save")->isEnabled());

    // The same inputs again: refused, results kept.
    QTest::mouseClick(window.control("Calc"), Qt::LeftButton);
    QCOMPARE(ws.host.titles(), QStringList{"Voltrake Error"});
    QCOMPARE(edit("TVCost")->text(), tvCost);
}

void TestMainWindow::nothingOverlaps_data() {
    QTest::addColumn<int>("pointSize");
    QTest::newRow("9pt") << 9;
    QTest::newRow("14pt") << 14;
}

void TestMainWindow::nothingOverlaps() {
    QFETCH(int, pointSize);
    const QFont oldFont = QApplication::font();
    QFont font = oldFont;
    font.setPointSize(pointSize);
    QApplication::setFont(font);
    {
        Workspace ws;
        ws.write("Data/Voltrake.ini", installedIni);
        MainWindow window(ws.form);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QList<QWidget*> leaves;
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (w->isVisible() && (qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w) ||
                                   qobject_cast<QAbstractButton*>(w)))
                leaves << w;
        }
        QVERIFY(leaves.size() > 100);
        for (int i = 0; i < leaves.size(); ++i) {
            const QRect a(leaves[i]->mapTo(&window, QPoint()), leaves[i]->size());
            QVERIFY2(window.rect().contains(a), qPrintable(leaves[i]->objectName()));
            // Captions are never cut off.
            if (auto* l = qobject_cast<QLabel*>(leaves[i]))
                QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->objectName()));
            if (auto* b = qobject_cast<QPushButton*>(leaves[i]))
                QVERIFY2(b->width() >= b->sizeHint().width() - 1, qPrintable(b->objectName()));
            for (int j = i + 1; j < leaves.size(); ++j) {
                const QRect b(leaves[j]->mapTo(&window, QPoint()), leaves[j]->size());
                QVERIFY2(!a.intersects(b), qPrintable(leaves[i]->objectName() + " overlaps " +
                                                      leaves[j]->objectName()));
            }
        }
    }
    QApplication::setFont(oldFont);
}

void TestMainWindow::messageBoxAnswers_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("press"); // a button's text, "escape" or "close"
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("shownButtons");
    QTest::addColumn<int>("shownIcon");

    using B = Host::Buttons;
    using I = Host::Icon;
    using A = Host::Answer;
    using M = QMessageBox;
    const int ok = M::Ok, okCancel = M::Ok | M::Cancel, yesNo = M::Yes | M::No,
              yesNoCancel = M::Yes | M::No | M::Cancel;
    auto row = [](const char* tag, B b, I i, const char* press, A a, int shown, M::Icon icon) {
        QTest::newRow(tag) << int(b) << int(i) << QString(press) << int(a) << shown << int(icon);
    };
    row("ok, no icon", B::Ok, I::None, "OK", A::Ok, ok, M::NoIcon);
    row("ok, escape", B::Ok, I::Warning, "escape", A::Ok, ok, M::Warning);
    row("ok, error", B::Ok, I::Error, "close", A::Ok, ok, M::Critical);
    row("ok/cancel, ok", B::OkCancel, I::Question, "OK", A::Ok, okCancel, M::Question);
    row("ok/cancel, escape", B::OkCancel, I::Question, "escape", A::Cancel, okCancel, M::Question);
    row("yes/no, yes", B::YesNo, I::Question, "Yes", A::Yes, yesNo, M::Question);
    row("yes/no, no", B::YesNo, I::Warning, "No", A::No, yesNo, M::Warning);
    row("yes/no, escape", B::YesNo, I::Question, "escape", A::No, yesNo, M::Question);
    row("yes/no, close", B::YesNo, I::Question, "close", A::No, yesNo, M::Question);
    row("yes/no/cancel, no", B::YesNoCancel, I::Question, "No", A::No, yesNoCancel, M::Question);
    row("yes/no/cancel, escape", B::YesNoCancel, I::Question, "escape", A::Cancel, yesNoCancel,
        M::Question);
    row("yes/no/cancel, close", B::YesNoCancel, I::Question, "close", A::Cancel, yesNoCancel,
        M::Question);
}

void TestMainWindow::messageBoxAnswers() {
    QFETCH(int, buttons);
    QFETCH(int, icon);
    QFETCH(QString, press);
    QFETCH(int, answer);
    QFETCH(int, shownButtons);
    QFETCH(int, shownIcon);

    QString title, text;
    int seenButtons = -1, seenIcon = -1;
    onNextMessageBox([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        seenButtons = int(box->standardButtons());
        seenIcon = int(box->icon());
        QCOMPARE(box->textFormat(), Qt::PlainText);
        if (press == "escape")
            QTest::keyClick(box, Qt::Key_Escape);
        else if (press == "close")
            box->close();
        else
            for (QAbstractButton* b : box->buttons())
                if (b->text().remove('&') == press)
                    b->click();
    });
    QtHost host;
    const Host::Answer got =
        host.messageBox("Voltrake Calculation Not Saved",
                        "There is an unsaved calculation\r\nClick OK <b>to</b> save it",
                        Host::Buttons(buttons), Host::Icon(icon));
    QCOMPARE(int(got), answer);
    QCOMPARE(title, QString("Voltrake Calculation Not Saved"));
    QCOMPARE(text, QString("There is an unsaved calculation\nClick OK <b>to</b> save it"));
    QCOMPARE(seenButtons, shownButtons);
    QCOMPARE(seenIcon, shownIcon);
}

void TestMainWindow::openDocument_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QUrl>("url");
    QTest::newRow("web site") << "http://www.example.com/" << QUrl("http://www.example.com/");
    QTest::newRow("web page") << "https://www.example.com/voltrake/update.htm?v=3.1"
                              << QUrl("https://www.example.com/voltrake/update.htm?v=3.1");
    QTest::newRow("relative file")
        << "Help/index.htm"
        << QUrl::fromLocalFile(QDir::current().absoluteFilePath("Help/index.htm"));
    QTest::newRow("absolute file with blank and hash")
        << "/tmp/My Logs/Voltrake#1.log" << QUrl::fromLocalFile("/tmp/My Logs/Voltrake#1.log");
}

void TestMainWindow::openDocument() {
    QFETCH(QString, target);
    QFETCH(QUrl, url);
    UrlCatcher catcher;
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::setUrlHandler(scheme, &catcher, "open");
    QtHost host;
    QVERIFY(host.openDocument(target));
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::unsetUrlHandler(scheme);
    QCOMPARE(catcher.urls, QList<QUrl>{url});
}

void TestMainWindow::editorFirstFoundInPath() {
    QTemporaryDir bin;
    QTemporaryDir out;
    // Stand-in editors that note how they were started; kate comes after mousepad in the list.
    for (const QString& name : {QString("kate"), QString("mousepad")}) {
        QFile script(bin.path() + '/' + name);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + out.path().toUtf8() + "/" +
                     name.toUtf8() + ".out\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    EnvScope path("PATH", bin.path().toUtf8());
    QtHost host;
    QVERIFY(host.startEditor("Log/Voltrake.log"));
    const QString noted = out.path() + "/mousepad.out";
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(noted), 10000);
    QTRY_VERIFY(QFileInfo(noted).size() > 0);
    QFile f(noted);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()).trimmed(),
             QDir::current().absoluteFilePath("Log/Voltrake.log"));
    QVERIFY(!QFile::exists(out.path() + "/kate.out"));
}

void TestMainWindow::editorFallsBackToDesktop() {
    QTemporaryDir empty;
    EnvScope path("PATH", empty.path().toUtf8());
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    QtHost host;
    const bool started = host.startEditor("/tmp/Log/Voltrake_H.log");
    QDesktopServices::unsetUrlHandler("file");
    QVERIFY(started);
    QCOMPARE(catcher.urls, QList<QUrl>{QUrl::fromLocalFile("/tmp/Log/Voltrake_H.log")});
}

void TestMainWindow::onTopKeepsPlaceAndSize() {
    Workspace ws;
    ws.write("Data/Voltrake.ini", installedIni);
    QtHost host;
    MainForm form(host);
    form.baseDir = ws.dir();
    MainWindow window(form);
    host.attach(&form, &window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.geometry();

    host.setOnTop("VoltrakeMain", true);
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window.isVisible());
    QCOMPARE(window.geometry(), before);
    QVERIFY(!window.testAttribute(Qt::WA_ShowWithoutActivating));

    host.setOnTop("VoltrakeMain", false);
    QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window.isVisible());
    QCOMPARE(window.geometry(), before);

    // Another top-level window by its name; unknown names are ignored.
    QWidget about;
    about.setObjectName("frmAbout");
    about.show();
    host.setOnTop("frmAbout", true);
    QVERIFY(about.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    host.setOnTop("frmNothing", true);

    // Ticking On Top in the window goes the same way.
    QTest::mouseClick(window.control("OnTop"), Qt::LeftButton);
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(form.RunOnTop, 2);
}

void TestMainWindow::focusAndEnd() {
    Workspace ws;
    ws.write("Data/Voltrake.ini", installedIni);
    QtHost host;
    MainForm form(host);
    form.baseDir = ws.dir();
    MainWindow window(form);
    host.attach(&form, &window);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    host.setFocus("PRate");
    QCOMPARE(QApplication::focusWidget(), window.control("PRate"));
    host.setFocus("NoSuchControl");
    QCOMPARE(QApplication::focusWidget(), window.control("PRate"));

    QVERIFY(!host.ended());
    QTest::mouseClick(window.control("Exit"), Qt::LeftButton); // nothing unsaved: no question
    QVERIFY(host.ended());
    QVERIFY(form.ended());
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
