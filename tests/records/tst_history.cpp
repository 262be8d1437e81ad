#include "records/history.h"
#include "records_fixture.h"

static const QString HLog = "Log/Voltrake_H.log";

// Readings and tariff of a finished quarterly calculation (VAT first: its change clears results).
static void fill(MainForm& f, const QString& date2) {
    setFields(f, "VAT=5.0;Date1=01/09/2026;Date2=" + date2 +
                     ";NRead1=12345;NRead2=13157;NormalR1=£0.123456;NormalR2=£0.000000;BPoint=0;"
                     "CheapR=£0.000000;TSCharge=£30.00");
}

class TestHistory : public QObject {
    Q_OBJECT

  private slots:
    void firstSaves() {
        Logs ws;
        MainForm& f = ws.form;
        ws.write(HLog, linesOf(historyHeader()));
        fill(f, "05/12/2026");
        BuildHistoryRecord(f);
        AppendHistoryLog(f);
        // The next save: no second start record, the other markers, a long date rewritten.
        setFields(f, "+Period;+DRate;+Disc1P;+Disc2F;VAT=0;Date2=6 March 2027;NRead2=14001;"
                     "CRead2=234;NormalR2=£0.130000;BPoint=1.50;CheapR=£0.065000;TSCharge=£30.00;"
                     "Disc1=10.00;Disc2=£2.50");
        f.DataErrors.clear();
        BuildHistoryRecord(f);
        AppendHistoryLog(f);
        QCOMPARE(ws.read(HLog),
                 linesOf(historyHeader()
                         << " 01/09/2026,   12345,        ,        ,        ,       ,        ,   "
                            "     ,      ,       ,         ,     "
                         << " 05/12/2026,   13157,        , .123456, .000000, F    0, .000000,  "
                            "£30.00,  5.0%,       ,         ,  Qtr"
                         << "06-Mar-2027,   14001,     234, .123456, .130000, D 1.50, .065000,  "
                            "£30.00,     0, 10.00%, F  £2.50,  Mon"));
    }

    // A calculation on a log of the start record and n records, the last dated n days after
    // 1 Jan 2020: the record it builds, saving it, and Remove Last taking it away again.
    void nextRecord_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("date2");
        QTest::addColumn<bool>("noHistory");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("39 data lines") << 38 << "05/12/2027" << false << "record";
        QTest::newRow("40 data lines") << 39 << "05/12/2027" << false << "headers";
        QTest::newRow("41 data lines") << 40 << "05/12/2027" << false << "record";
        QTest::newRow("80 data lines") << 79 << "05/12/2027" << false << "headers";
        QTest::newRow("same day") << 3 << "04/01/2020" << false << "refused";
        QTest::newRow("earlier") << 3 << "03/01/2020" << false << "refused";
        QTest::newRow("a day later") << 3 << "05/01/2020" << false << "record";
        QTest::newRow("same day, No History") << 3 << "04/01/2020" << true << "record";
    }

    void nextRecord() {
        QFETCH(int, records);
        QFETCH(QString, date2);
        QFETCH(bool, noHistory);
        QFETCH(QString, outcome);
        Logs ws;
        const QStringList before = historyWith(records);
        ws.write(HLog, linesOf(before));
        ws.form.model.setChecked("NoHistory", noHistory);
        fill(ws.form, date2);
        BuildHistoryRecord(ws.form);
        const bool refused = outcome == "refused";
        const QString record = recordLine(date2, "13157");
        const QStringList added = refused                ? QStringList()
                                  : outcome == "headers" ? QStringList{"", ""} + Columns << record
                                                         : QStringList{record};
        QCOMPARE(ws.form.HistoryText, added.join("\r\n"));
        QCOMPARE(ws.form.DataErrors,
                 QString(refused ? "Meter Reading Date 2 must be later than the "
                                   "last Meter Reading date saved\n"
                                 : ""));
        AppendHistoryLog(ws.form);
        QCOMPARE(ws.read(HLog), linesOf(before + added));
        Del_Last_Click(ws.form); // with any column headers written before the record
        QCOMPARE(ws.read(HLog), linesOf(refused ? before.mid(0, before.size() - 1) : before));
    }

    // Get Last and then Remove Last on logs of every kind: what is restored and how many lines
    // stay. Odd files must neither crash nor lose a line before the last one kept.
    void lastLine_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("restored"); // Date1, NRead1, CRead1; empty for none
        QTest::addColumn<int>("kept");
        const QStringList start = historyHeader() << startLine("01/09/2026", "12345");
        const QString record = recordLine("05-Dec-2026", "13157", "456");
        const QStringList readings = {"05/12/2026", "13157", "456"};
        QTest::newRow("10 lines") << linesOf(historyHeader()) << QStringList() << 10;
        QTest::newRow("11 lines") << linesOf(start) << QStringList{"01/09/2026", "12345", ""} << 10;
        QTest::newRow("12 lines") << linesOf(start + QStringList{record}) << readings << 11;
        // A first reading of 1 makes no data line, yet the header block must stay.
        QTest::newRow("12 lines, no data before the last")
            << linesOf(historyHeader() << startLine("01/09/2026", "1") << record) << readings << 10;
        QTest::newRow("normal reading below 1")
            << linesOf(start + QStringList{recordLine("05/12/2026", "0.5", "99")}) << QStringList()
            << 11;
        QTest::newRow("binary") << QByteArray("\x00\xff\x81\x9d\x00\r\n", 7).repeated(20)
                                << QStringList() << 10;
        QTest::newRow("no CR") << files::encode(historyWith(3).join('\n'))
                               << QStringList{"04/01/2020", "1003", ""} << 13;
        // Far beyond the 32,767 lines a 16-bit counter could count.
        QTest::newRow("100,004 lines")
            << linesOf(historyWith(88883))
            << QStringList{QDate(2020, 1, 1).addDays(88883).toString("dd/MM/yyyy"), "89883", ""}
            << 100003;
    }

    void lastLine() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, restored);
        QFETCH(int, kept);
        Logs ws;
        MainForm& f = ws.form;
        ws.write(HLog, content);
        fill(f, "05/12/2999");
        BuildHistoryRecord(f);
        QVERIFY(f.HistoryText.endsWith(recordLine("05/12/2999", "13157")));
        setFields(f, "Date1=x;NRead1=y;CRead1=z");
        Get_Last_Click(f);
        QCOMPARE(f.text("Status"),
                 QString(restored.isEmpty() ? "No Saved Meter Readings To Restore"
                                            : "Last Saved Meter Readings Restored"));
        QCOMPARE((QStringList{f.text("Date1"), f.text("NRead1"), f.text("CRead1")}),
                 (restored.isEmpty() ? QStringList{"x", "y", "z"} : restored));

        const QStringList lines = files::splitLines(files::decode(content));
        const bool removes = kept < lines.size();
        f.model.setEnabled("Save", true);
        Del_Last_Click(f);
        QCOMPARE(files::splitLines(files::decode(ws.read(HLog))), lines.mid(0, kept));
        QCOMPARE(f.text("Status"), QString(removes ? "Last Saved Meter Reading Deleted"
                                                   : "No Saved Meter Readings To Delete"));
        QCOMPARE(ws.host.titles(),
                 removes ? QStringList{"Voltrake Modify History File"} : QStringList());
        QCOMPARE(f.model.enabled("Save"), !removes);
    }

    // Distinct characters show which columns each step of the upgrade keeps.
    void upgrade_data() {
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("upgraded");
        const QString p = " 05/12/2026,   13157,        , abcdefghijklmnopqrstuvwxyzABCDEFG";
        QTest::newRow("78") << p + "HIJKLMNOPQRSTU"
                            << p.left(49) + "F" + p.mid(49) +
                                   "FHIJKLMNOPQRSTU,       ,         ,  Qtr";
        QTest::newRow("99") << p + "HIJKLMNOPQRSTUVWXYZ0123456789!#$%&("
                            << p + "HIKLMNOPQRSTUVWXY       ,         ,  Qtr";
        QTest::newRow("100") << p + "HIJKLMNOPQRSTUVWXYZ0123456789!#$%&()"
                             << p + "HIJKLMNOPQRSTUVWX01234567!  #$%&(),  Qtr";
        QTest::newRow("96") << p + "HIJKLMNOPQRSTUVWXYZ0123456789!#$"
                            << p + "HIJKLMNOPQRSTUVWXYZ0123456  789!#$,  Qtr";
        QTest::newRow("102") << p + "HIJKLMNOPQRSTUVWXYZ0123456789!#$%&()*+"
                             << p + "HIJKLMNOPQRSTUVWXYZ0123456  789!#$%&()*+";
    }

    void upgrade() {
        QFETCH(QString, old);
        QFETCH(QString, upgraded);
        Logs ws;
        ws.form.HistoryVersion = "3.0";
        const QByteArray before = linesOf({"Voltrake History Log", "Version 3.0", "", old, "x"});
        ws.write(HLog, before);
        UpgradeHistoryLog(ws.form);
        QStringList header = historyHeader();
        header[4] = "Updated From Version: 3.0";
        QCOMPARE(ws.read(HLog), linesOf(header << upgraded));
        QCOMPARE(ws.read("Log/Voltrake_H_261205_1.log"), before);
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
