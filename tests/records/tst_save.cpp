#include "records/history.h"
#include "records/results.h"
#include "records/save.h"
#include "records_fixture.h"

#include <QTest>

namespace {

const QString DateMessage =
    "Meter Reading Date 2 must be later than the last Meter Reading date saved\n";
const QString NoHistoryQuestion = "Voltrake Save Data|No history data will be saved\r\nTo save "
                                  "history results click\r\nCancel, reset the No History \r\n"
                                  "check box and click Save again";

// Two logs with a little content and a calculation waiting to be saved by hand.
void prepare(Workspace& ws) {
    MainForm& f = ws.form;
    nameLogs(f);
    ws.write("Log/Voltrake.log", "results\r\n");
    ws.write("Log/Voltrake_H.log", "history\r\n");
    f.ReportText = "report\r\n";
    f.HistoryText = "record";
    f.model.setEnabled("Save", true);
}

} // namespace

class TestSave : public QObject {
    Q_OBJECT

  private slots:
    void save_data();
    void save();
    void refusedSave_data();
    void refusedSave();
    void missingLogStillSaves();
    void saveButton();
    void autoSave();
};

void TestSave::save_data() {
    QTest::addColumn<bool>("noHistory");
    QTest::addColumn<Host::Answer>("answer");
    QTest::addColumn<QByteArray>("results");
    QTest::addColumn<QByteArray>("history");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("saveEnabled");

    QTest::newRow("both logs") << false << Host::Answer::Ok
                               << QByteArray("results\r\nreport\r\n\r\n")
                               << QByteArray("history\r\nrecord\r\n") << "Calculation Saved"
                               << false;
    QTest::newRow("No History, OK")
        << true << Host::Answer::Ok << QByteArray("results\r\nreport\r\n\r\n")
        << QByteArray("history\r\n") << "Calculation Saved" << false;
    QTest::newRow("No History, Cancel")
        << true << Host::Answer::Cancel << QByteArray("results\r\n") << QByteArray("history\r\n")
        << "No Calculation Saved" << true;
}

void TestSave::save() {
    QFETCH(bool, noHistory);
    QFETCH(Host::Answer, answer);
    QFETCH(QByteArray, results);
    QFETCH(QByteArray, history);
    QFETCH(QString, status);
    QFETCH(bool, saveEnabled);
    Workspace ws;
    prepare(ws);
    MainForm& f = ws.form;
    f.model.setChecked("NoHistory", noHistory);
    ws.host.answers = {answer};
    Save_Click(f);
    QCOMPARE(ws.read("Log/Voltrake.log"), results);
    QCOMPARE(ws.read("Log/Voltrake_H.log"), history);
    QCOMPARE(f.text("Status"), status);
    QVERIFY(f.model.enabled("Timer1"));
    QCOMPARE(f.model.enabled("Save"), saveEnabled);
    QCOMPARE(boxTexts(ws.host), noHistory ? QStringList{NoHistoryQuestion} : QStringList());
    if (noHistory) {
        QCOMPARE(ws.host.boxes[0].buttons, Host::Buttons::OkCancel);
        QCOMPARE(ws.host.boxes[0].icon, Host::Icon::Warning);
    }
}

void TestSave::refusedSave_data() {
    QTest::addColumn<bool>("noHistory");
    QTest::addColumn<QString>("text");
    QTest::newRow("history kept") << false
                                  << "Meter Reading Date 2 must be later than the last Meter "
                                     "Reading date saved\nNo results or history data saved\n";
    QTest::newRow("No History") << true
                                << "Meter Reading Date 2 must be later than the last Meter "
                                   "Reading date saved\nNo results data saved\n";
}

void TestSave::refusedSave() {
    QFETCH(bool, noHistory);
    QFETCH(QString, text);
    Workspace ws;
    prepare(ws);
    MainForm& f = ws.form;
    f.model.setChecked("NoHistory", noHistory);
    f.DataErrors = DateMessage;
    f.setText("Status", "before");
    Save_Click(f);
    QCOMPARE(boxTexts(ws.host), QStringList{"Voltrake Save Data Error|" + text});
    QCOMPARE(ws.host.boxes[0].icon, Host::Icon::Warning);
    QCOMPARE(ws.read("Log/Voltrake.log"), QByteArray("results\r\n"));
    QCOMPARE(ws.read("Log/Voltrake_H.log"), QByteArray("history\r\n"));
    QVERIFY(!f.model.enabled("Save"));
    QCOMPARE(f.text("Status"), QString("before"));
    QCOMPARE(f.DataErrors + "data saved\n", text);
}

// A missing results log is reported; the history log is still written and the save done.
void TestSave::missingLogStillSaves() {
    Workspace ws;
    prepare(ws);
    QFile::remove(ws.path("Log/Voltrake.log"));
    SaveCalculation(ws.form);
    QCOMPARE(ws.host.titles(), QStringList{"Voltrake Results Log File Error"});
    QCOMPARE(ws.read("Log/Voltrake_H.log"), QByteArray("history\r\nrecord\r\n"));
    QVERIFY(!QFile::exists(ws.path("Log/Voltrake.log")));
    QCOMPARE(ws.form.text("Status"), QString("Calculation Saved"));
    QVERIFY(!ws.form.model.enabled("Save"));
}

void TestSave::saveButton() {
    Workspace ws;
    prepare(ws);
    Save_Click(ws.form);
    Save_Click(ws.form); // disabled now: nothing more is written
    QCOMPARE(ws.read("Log/Voltrake.log"), QByteArray("results\r\nreport\r\n\r\n"));
    QCOMPARE(ws.read("Log/Voltrake_H.log"), QByteArray("history\r\nrecord\r\n"));
}

void TestSave::autoSave() {
    Workspace ws;
    MainForm& f = ws.form;
    f.model.setEnabled("Save", true);
    f.model.setChecked("AutoSave", true); // runs the click action
    QVERIFY(!f.model.enabled("Save"));
    QCOMPARE(f.model.toolTip("Calc"),
             QString("Calculate and Save results (provided no errors occur)"));
    f.model.setChecked("AutoSave", false);
    QCOMPARE(f.model.toolTip("Calc"), QString("Calculate results"));
    QVERIFY(!f.model.enabled("Save")); // unticking does not enable it
    f.model.setEnabled("Save", true);
    AutoSave_Click(f);
    QVERIFY(f.model.enabled("Save")); // nor disable it
}

QTEST_GUILESS_MAIN(TestSave)
#include "tst_save.moc"
