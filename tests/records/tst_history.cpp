#include "form/history.h"
#include "records_fixture.h"

static const QString HLog = "Log/Voltrake_H.log";

class TestHistory : public QObject {
    Q_OBJECT

  private slots:
    // An action: a save with the fields given, "get", "remove" or "upgrade". After it: the log's
    // lines (none: unchanged), and the data errors, the status line or get's "status|Date1|...".
    void actions_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("result");
        const auto row = [](const char* name, const QByteArray& before, const QString& action,
                            const QStringList& after, const QString& result) {
            QTest::newRow(name) << before << action << after << result;
        };
        const auto plus = [](QStringList lines, const QString& line) { return lines << line; };
        const auto rec = [](const char* date) { return recordLine(date, "13157"); };
        const QStringList h = HistoryHeader, h3 = historyWith(3), h39 = historyWith(39),
                          h40 = historyWith(40),
                          s = plus(h, recordLine("01/09/2026", "12345", {}, true)),
                          sr = plus(s, recordLine("05-Dec-2026", "13157", "456"));

        const QString marked = "06-Mar-2027,   13157,     234, .123456, .130000, D 1.50, .065000,  "
                               "£30.00,     0, 10.00%, F  £2.50,  Mon";
        row("first save", linesOf(h),
            "+Period;+DRate;+Disc1P;+Disc2F;VAT=0;Date2=6 March 2027;CRead2=234;BPoint=1.50;"
            "NormalR2=£0.130000;CheapR=£0.065000;Disc1=10.00;Disc2=£2.50;TSCharge=£30.00",
            plus(s, marked), "");
        row("40 data lines", linesOf(h39), "Date2=05/12/2027",
            h39 + QStringList{"", ""} + Columns << rec("05/12/2027"), "");
        row("41 data lines", linesOf(h40), "Date2=05/12/2027", plus(h40, rec("05/12/2027")), "");
        row("same day", linesOf(h3), "Date2=04/01/2020", {}, DateMessage);
        row("a day later", linesOf(h3), "Date2=05/01/2020", plus(h3, rec("05/01/2020")), "");
        row("No History", linesOf(h3), "+NoHistory;Date2=04/01/2020", plus(h3, rec("04/01/2020")),
            "");

        const QString none = "No Saved Meter Readings To Restore|01/09/2026|12345|";
        row("restore a record", linesOf(sr), "get", {},
            "Last Saved Meter Readings Restored|05/12/2026|13157|456");
        row("nothing to restore", linesOf(h), "get", {}, none);

        const QString deleted = "Last Saved Meter Reading Deleted";
        row("remove from 10 lines", linesOf(h), "remove", {}, "No Saved Meter Readings To Delete");
        row("remove from 11 lines", linesOf(s), "remove", h, deleted);
        row("remove from 12 lines", linesOf(sr), "remove", s, deleted);
        row("remove declined", linesOf(sr), "remove, no", {}, "");
        const QString one = recordLine("01/09/2026", "1", {}, true); // no data line
        row("first reading of 1", linesOf(h + QStringList{one, sr.last()}), "remove", h, deleted);
        row("remove the 41st data line and its headers", linesOf(h40), "remove", h39, deleted);

        // Odd files: no crash, no line lost before the last one kept, no 16-bit line counter.
        const QByteArray bin = QByteArray("\x00\xff\x81\x9d\x00\r\n", 7).repeated(20);
        row("binary", bin, "remove", files::splitLines(files::decode(bin)).mid(0, 10), deleted);
        row("no CR", files::encode(h3.join('\n')), "remove", h3.mid(0, 13), deleted);
        row("lone CRs", files::encode(h3.join('\r')), "remove", h3.mid(0, 13), deleted);
        row("last kept line ends in LF", files::encode(h3.mid(0, 13).join("\r\n") + '\n' + h3[13]),
            "remove", h3.mid(0, 13), deleted);
        const QStringList big = historyWith(88883);
        row("100,004 lines", linesOf(big), "remove", big.mid(0, 100003), deleted);

        // Old records of each length: distinct characters show which columns each step keeps.
        const QString old = " 05/12/2026,   13157,        , abcdefghijklmnopqrstuvwxyzABCDEFGHIJK"
                            "LMNOPQRSTUVWXYZ0123456789!#$%&()*+";
        const QStringList upgraded =
            h.mid(0, 4) + QStringList{"Updated From Version: 3.0", "", ""} + Columns;
        for (const auto& [length, end] :
             {std::pair(78, "FstuvwxyzABCDEFGFHIJKLMNOPQRSTU,       ,         ,  Qtr"),
              std::pair(99, "stuvwxyzABCDEFGHIKLMNOPQRSTUVWXY       ,         ,  Qtr"),
              std::pair(100, "stuvwxyzABCDEFGHIJKLMNOPQRSTUVWX01234567!  #$%&(),  Qtr"),
              std::pair(96, "stuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456  789!#$,  Qtr"),
              std::pair(102, "stuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456  789!#$%&()*+")})
            QTest::addRow("upgrade %d", length)
                << linesOf({"Version 3.0", old.left(length), "x"}) << "upgrade"
                << plus(upgraded, old.left(49) + end) << "";
    }

    void actions() {
        QFETCH(QByteArray, before);
        QFETCH(QString, action);
        QFETCH(QStringList, after);
        QFETCH(QString, result);
        Logs ws;
        ws.write(HLog, before);
        // A finished quarterly calculation; VAT first, as its change clears results.
        setFields(ws.f, "VAT=5.0;Date1=01/09/2026;NRead1=12345;NRead2=13157;NormalR1=£0.123456;"
                        "NormalR2=£0.000000;BPoint=0;CheapR=£0.000000;TSCharge=£30.00");
        QString got;
        if (action == "get") {
            Get_Last_Click(ws.f);
            got = ws.f.text("Status") + '|' + ws.f.text("Date1") + '|' + ws.f.text("NRead1") + '|' +
                  ws.f.text("CRead1");
        } else if (action.startsWith("remove")) { // "remove, no" declines the question
            ws.host.answers = {action == "remove" ? Host::Answer::Yes : Host::Answer::No};
            Del_Last_Click(ws.f);
            got = ws.f.text("Status");
        } else if (action == "upgrade") {
            ws.f.HistoryVersion = "3.0";
            UpgradeHistoryLog(ws.f);
            QCOMPARE(ws.read("Log/Voltrake_H_261205_1.log"), before);
        } else {
            setFields(ws.f, action);
            ws.f.DataErrors.clear(); // as each calculation starts
            BuildHistoryRecord(ws.f);
            got = ws.f.DataErrors;
            AppendHistoryLog(ws.f);
        }
        if (after.isEmpty())
            QCOMPARE(ws.read(HLog), before);
        else
            QCOMPARE(files::splitLines(files::decode(ws.read(HLog))), after);
        QCOMPARE(got, result);
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
