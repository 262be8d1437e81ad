#include "form/save.h"
#include "records_fixture.h"

class TestSave : public QObject {
    Q_OBJECT

  private slots:
    void save_data() {
        QTest::addColumn<bool>("noHistory");
        QTest::addColumn<Host::Answer>("answer"); // to the No History question
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("refused"); // the date check left its message
        QTest::addColumn<QString>("box");  // the one box shown, if any
        const QString question = "Voltrake Save Data|No history data will be saved\r\nTo save "
                                 "history results click\r\nCancel, reset the No History \r\ncheck "
                                 "box and click Save again";
        const QString error = "Voltrake Save Data Error|" + DateMessage + "No results ";
        using A = Host::Answer;
        row("both logs", false, A::Ok, "Calculation Saved", false, "");
        row("No History", true, A::Ok, "Calculation Saved", false, question);
        row("Cancel", true, A::Cancel, "No Calculation Saved", false, question);
        row("refused", false, A::Ok, "", true, error + "or history data saved\n");
        row("refused, No History", true, A::Ok, "", true, error + "data saved\n");
    }

    void save() {
        QFETCH(bool, noHistory);
        QFETCH(Host::Answer, answer);
        QFETCH(QString, status);
        QFETCH(bool, refused);
        QFETCH(QString, box);
        Logs ws;
        ws.write("Log/Voltrake.log", "results\r\n");
        ws.write("Log/Voltrake_H.log", "history\r\n");
        ws.f.ReportText = "report\r\n";
        ws.f.HistoryText = "record";
        ws.f.model.setEnabled("Save", true);
        ws.f.model.setChecked("NoHistory", noHistory);
        ws.f.DataErrors = refused ? DateMessage : QString();
        ws.host.answers = {answer};
        Save_Click(ws.f);
        const bool saved = status == "Calculation Saved";
        QCOMPARE(ws.read("Log/Voltrake.log"), saved ? "results\r\nreport\r\n\r\n" : "results\r\n");
        QCOMPARE(ws.read("Log/Voltrake_H.log"),
                 saved && !noHistory ? "history\r\nrecord\r\n" : "history\r\n");
        QCOMPARE(ws.f.text("Status"), status);
        QCOMPARE(ws.f.model.enabled("Save"), answer == Host::Answer::Cancel);
        QCOMPARE(ws.host.texts(), QStringList(box).filter("|"));
    }
};

QTEST_GUILESS_MAIN(TestSave)
#include "tst_save.moc"
