#include "records/save.h"
#include "records_fixture.h"

static const QString DateMessage =
    "Meter Reading Date 2 must be later than the last Meter Reading date saved\n";

class TestSave : public QObject {
    Q_OBJECT

  private slots:
    void save_data() {
        QTest::addColumn<bool>("noHistory");
        QTest::addColumn<bool>("refused"); // the date check left its message
        QTest::addColumn<Host::Answer>("answer");
        QTest::addColumn<int>("written"); // 0 nothing, 1 the results log, 2 both logs
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("box");
        const QString question = "Voltrake Save Data|No history data will be saved\r\nTo save "
                                 "history results click\r\nCancel, reset the No History \r\ncheck "
                                 "box and click Save again";
        const QString refusal = "Voltrake Save Data Error|" + DateMessage + "No results ";
        using A = Host::Answer;
        QTest::newRow("both logs") << false << false << A::Ok << 2 << "Calculation Saved"
                                   << "";
        QTest::newRow("No History, OK")
            << true << false << A::Ok << 1 << "Calculation Saved" << question;
        QTest::newRow("No History, Cancel")
            << true << false << A::Cancel << 0 << "No Calculation Saved" << question;
        QTest::newRow("refused") << false << true << A::Ok << 0 << "before"
                                 << refusal + "or history data saved\n";
        QTest::newRow("refused, No History")
            << true << true << A::Ok << 0 << "before" << refusal + "data saved\n";
    }

    void save() {
        QFETCH(bool, noHistory);
        QFETCH(bool, refused);
        QFETCH(Host::Answer, answer);
        QFETCH(int, written);
        QFETCH(QString, status);
        QFETCH(QString, box);
        Logs ws;
        MainForm& f = ws.form;
        ws.write("Log/Voltrake.log", "results\r\n");
        ws.write("Log/Voltrake_H.log", "history\r\n");
        f.ReportText = "report\r\n";
        f.HistoryText = "record";
        f.model.setEnabled("Save", true);
        f.model.setChecked("NoHistory", noHistory);
        f.DataErrors = refused ? DateMessage : QString();
        f.setText("Status", "before");
        ws.host.answers = {answer};
        Save_Click(f);
        QCOMPARE(ws.read("Log/Voltrake.log"),
                 written ? "results\r\nreport\r\n\r\n" : "results\r\n");
        QCOMPARE(ws.read("Log/Voltrake_H.log"),
                 written > 1 ? "history\r\nrecord\r\n" : "history\r\n");
        QCOMPARE(f.text("Status"), status);
        QCOMPARE(f.model.enabled("Timer1"), !refused);
        // Only the user's Cancel keeps the calculation waiting to be saved.
        QCOMPARE(f.model.enabled("Save"), answer == Host::Answer::Cancel);
        QCOMPARE(boxTexts(ws.host), QStringList(box).filter("|"));
        QVERIFY(box.isEmpty() || ws.host.boxes[0].icon == Host::Icon::Warning);
    }
};

QTEST_GUILESS_MAIN(TestSave)
#include "tst_save.moc"
