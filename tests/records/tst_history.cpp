#include "calc/errors.h"
#include "calc/values.h"
#include "records/history.h"
#include "records/records_log.h"
#include "records/results.h"
#include "records_fixture.h"

#include <QTest>

namespace {

const QString DateMessage =
    "Meter Reading Date 2 must be later than the last Meter Reading date saved\n";

// Readings and tariff of a finished quarterly calculation.
void fillCalculation(MainForm& f) {
    f.setText("VAT", "5.0"); // first: a change of VAT clears the results
    setFields(f, {{"Date1", "01/09/2026"},
                  {"Date2", "05/12/2026"},
                  {"NRead1", "12345"},
                  {"NRead2", "13157"},
                  {"CRead1", ""},
                  {"CRead2", ""},
                  {"NormalR1", "£0.123456"},
                  {"NormalR2", "£0.000000"},
                  {"BPoint", "0"},
                  {"CheapR", "£0.000000"},
                  {"TSCharge", "£30.00"},
                  {"Disc1", ""},
                  {"Disc2", ""}});
}

const QString FirstRecord = " 05/12/2026,   13157,        , .123456, .000000, F    0, .000000,  "
                            "£30.00,  5.0%,       ,         ,  Qtr";
const QString FirstStart = " 01/09/2026,   12345,        ,        ,        ,       ,        ,   "
                           "     ,      ,       ,         ,     ";

QByteArray linesOf(const QStringList& lines) {
    return cp1252(crlf(lines));
}

QStringList fileLines(const Workspace& ws, const char* name = "Log/Voltrake_H.log") {
    return files::splitLines(files::decode(ws.read(name)));
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT

  private slots:
    void lineRule_data();
    void lineRule();
    void newHistoryLog();
    void firstSave();
    void recordFields_data();
    void recordFields();
    void dateCheck_data();
    void dateCheck();
    void columnHeadersEvery40_data();
    void columnHeadersEvery40();
    void appendFailure();
    void removeLast_data();
    void removeLast();
    void removeLastWithoutFile();
    void removeLastReadOnly();
    void getLast_data();
    void getLast();
    void getLastUnreadable();
    void oddContent_data();
    void oddContent();
    void upgradeRecord_data();
    void upgradeRecord();
    void upgradeFile();
    void upgradeSkipped_data();
    void upgradeSkipped();
    void upgradeReadOnly();
    void viewHistory();
};

// The readers split the file's bytes themselves; they must agree with the file helpers.
void TestHistory::lineRule_data() {
    QTest::addColumn<QByteArray>("bytes");
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    for (const char* s : {"", "a", "a\r\n", "a\r\n\r\n", "a\r\r\n", "a\n\r", "\r", "\n", "\r\n",
                          "\n\n", "a\rb\nc\r\nd", "\x80\x9f\xa0\xff\r\n\x81"})
        QTest::addRow("hex %s", QByteArray(s).toHex().constData()) << QByteArray(s);
    QTest::newRow("every byte") << all;
    QTest::newRow("every byte twice, CR first") << all + "\r" + all;
}

void TestHistory::lineRule() {
    QFETCH(QByteArray, bytes);
    const QString text = files::decode(bytes);
    const QStringList expected = files::splitLines(text);
    QStringList fromBytes;
    records::forEachLine(QByteArrayView(bytes),
                         [&](QByteArrayView l) { fromBytes.append(records::decode(l)); });
    QCOMPARE(fromBytes, expected);
    QStringList fromText;
    records::forEachLine(QStringView(text), [&](QStringView l) { fromText.append(l.toString()); });
    QCOMPARE(fromText, expected);
    QCOMPARE(records::decode(bytes), text);
    QCOMPARE(records::lastLine(bytes), expected.isEmpty() ? QString() : expected.last());
    QCOMPARE(qsizetype(records::lineSpans(bytes).size()), expected.size());
}

void TestHistory::newHistoryLog() {
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    CreateLogFiles(ws.form);
    QCOMPARE(ws.read("Log/Voltrake_H.log"), linesOf(historyHeader()));
    for (const QString& h : {H1, H2, H3})
        QCOMPARE(h.size(), 104);
}

void TestHistory::firstSave() {
    LocaleScope locale("en_GB");
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    CreateLogFiles(f);
    fillCalculation(f);
    BuildHistoryRecord(f);
    QCOMPARE(f.HistoryText, FirstStart + "\r\n" + FirstRecord);
    AppendHistoryLog(f);
    QCOMPARE(ws.read("Log/Voltrake_H.log"),
             linesOf(historyHeader() + QStringList{FirstStart, FirstRecord}));
    QCOMPARE(FirstRecord.size(), 104);
    QCOMPARE(FirstStart.size(), 104);

    // The next save of the next quarter adds one line and no second start record.
    f.DataErrors.clear(); // as the next calculation does
    f.setText("Date2", "06/03/2027");
    f.setText("NRead2", "14001");
    BuildHistoryRecord(f);
    QVERIFY(f.DataErrors.isEmpty());
    AppendHistoryLog(f);
    const QStringList lines = fileLines(ws);
    QCOMPARE(lines.size(), 13);
    QVERIFY(lines[12].startsWith(" 06/03/2027,   14001, "));
}

void TestHistory::recordFields_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("ticked");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("record");

    QTest::newRow("quarterly") << "en_GB" << QStringList() << QStringList() << FirstRecord;
    QTest::newRow("monthly, per day, percent, fixed discount 2, VAT 0")
        << "en_GB" << QStringList{"Period", "DRate", "Disc1P", "Disc2F"}
        << QStringList{"CRead2=234", "NormalR2=£0.130000", "BPoint=1.50", "CheapR=£0.065000",
                       "VAT=0",      "Disc1=10.00",        "Disc2=£2.50"}
        << " 05/12/2026,   13157,     234, .123456, .130000, D 1.50, .065000,  £30.00,     0, "
           "10.00%, F  £2.50,  Mon";
    QTest::newRow("amount discounts, empty VAT")
        << "en_GB" << QStringList()
        << QStringList{"VAT=", "Disc1=£5.00", "Disc2=£2.50", "BPoint=500"}
        << " 05/12/2026,   13157,        , .123456, .000000, F  500, .000000,  £30.00,      ,  "
           "£5.00,    £2.50,  Qtr";
    QTest::newRow("long date text")
        << "en_GB" << QStringList() << QStringList{"Date2=5 December 2026"}
        << "05-Dec-2026" + FirstRecord.mid(11);
    QTest::newRow("French month abbreviation")
        << "fr_FR" << QStringList() << QStringList{"Date2=05-janv.-2027"}
        << "05-Jan-2027" + FirstRecord.mid(11);
    QTest::newRow("long readings lose their first digits")
        << "en_GB" << QStringList() << QStringList{"NRead2=12345678", "TSCharge=£1,030.00"}
        << " 05/12/2026, 2345678,        , .123456, .000000, F    0, .000000, ,030.00,  5.0%,    "
           "   ,         ,  Qtr";
}

void TestHistory::recordFields() {
    QFETCH(QString, locale);
    QFETCH(QStringList, ticked);
    QFETCH(QStringList, fields);
    QFETCH(QString, record);
    LocaleScope scope(locale);
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    for (const QString& box : ticked)
        f.model.setChecked(box, true);
    fillCalculation(f);
    for (const QString& pair : fields)
        if (pair.startsWith("VAT="))
            f.setText("VAT", pair.mid(4));
    f.setText("TSCharge", "£30.00");
    for (const QString& pair : fields)
        if (!pair.startsWith("VAT="))
            f.setText(pair.section('=', 0, 0), pair.section('=', 1));
    BuildHistoryRecord(f); // no log yet: start record and record, no date check
    const QStringList lines = f.HistoryText.split("\r\n");
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[1], record);
    QCOMPARE(record.size(), 104);
    const auto date = values::readDate(record.left(11).trimmed());
    QVERIFY(date);
    // A rewritten date reads back as the same date wherever the log is read.
    if (record.at(0) != ' ')
        for (const char* other : {"en_GB", "en_US", "de_DE", "fr_FR", "ja_JP"})
            QCOMPARE(values::readDate(record.left(11), QLocale(other)), date);
}

void TestHistory::dateCheck_data() {
    QTest::addColumn<QString>("lastLine");
    QTest::addColumn<QString>("date2");
    QTest::addColumn<bool>("noHistory");
    QTest::addColumn<bool>("refused");
    const QString saved = recordLine("05/12/2026", "13000");
    QTest::newRow("same day") << saved << "05/12/2026" << false << true;
    QTest::newRow("a day later") << saved << "06/12/2026" << false << false;
    QTest::newRow("earlier") << saved << "01/12/2026" << false << true;
    QTest::newRow("same day, other form")
        << recordLine("05-Dec-2026", "13000") << "05/12/2026" << false << true;
    QTest::newRow("No History") << saved << "05/12/2026" << true << false;
    QTest::newRow("last line no date") << H3 << "05/12/2026" << false << false;
    QTest::newRow("Date2 no date") << saved << "soon" << false << false;
}

void TestHistory::dateCheck() {
    QFETCH(QString, lastLine);
    QFETCH(QString, date2);
    QFETCH(bool, noHistory);
    QFETCH(bool, refused);
    LocaleScope locale("en_GB");
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    f.model.setChecked("NoHistory", noHistory);
    QStringList lines = historyWith(3);
    lines.append(lastLine);
    ws.write("Log/Voltrake_H.log", linesOf(lines));
    fillCalculation(f);
    f.setText("Date2", date2);
    BuildHistoryRecord(f);
    QCOMPARE(f.DataErrors, refused ? DateMessage : QString());
    QCOMPARE(f.HistoryText.isEmpty(), refused);
    QCOMPARE(f.ErrorLocation, 212);
}

void TestHistory::columnHeadersEvery40_data() {
    QTest::addColumn<int>("records"); // records after the start record
    QTest::addColumn<bool>("headers");
    QTest::newRow("35 data lines") << 34 << false;
    QTest::newRow("39 data lines") << 38 << false;
    QTest::newRow("40 data lines") << 39 << true;
    QTest::newRow("41 data lines") << 40 << false;
    QTest::newRow("80 data lines") << 79 << true;
    QTest::newRow("120 data lines") << 119 << true;
}

void TestHistory::columnHeadersEvery40() {
    QFETCH(int, records);
    QFETCH(bool, headers);
    LocaleScope locale("en_GB");
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    const QStringList before = historyWith(records);
    ws.write("Log/Voltrake_H.log", linesOf(before));
    fillCalculation(f);
    f.setText("Date2", "05/12/2027");
    BuildHistoryRecord(f);
    const QString record = " 05/12/2027" + FirstRecord.mid(11);
    QCOMPARE(f.HistoryText,
             headers ? "\r\n\r\n" + H1 + "\r\n" + H2 + "\r\n" + H3 + "\r\n" + record : record);
    AppendHistoryLog(f);
    QCOMPARE(ws.read("Log/Voltrake_H.log"),
             linesOf(before + (headers ? QStringList{"", "", H1, H2, H3} : QStringList()) +
                     QStringList{record}));

    // Removing that record takes the column headers written with it away again.
    Del_Last_Click(f);
    QCOMPARE(ws.read("Log/Voltrake_H.log"), linesOf(before));
}

void TestHistory::appendFailure() {
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    ws.write("Log/Voltrake_H.log", "kept\r\n");
    f.HistoryText = "record";
    {
        ReadOnlyLog readOnly(ws);
        QVERIFY(readOnly.effective());
        QFile::setPermissions(ws.path("Log/Voltrake_H.log"), QFileDevice::ReadOwner);
        AppendHistoryLog(f);
    }
    QCOMPARE(ws.read("Log/Voltrake_H.log"), QByteArray("kept\r\n"));
    QVERIFY(boxTexts(ws.host).contains("Voltrake Log File Error|Unable to write to the log file "
                                       "Voltrake_H.log.\r\nThis may be a permissions problem."));

    ws.host.boxes.clear();
    f.HistoryText.clear();
    AppendHistoryLog(f); // nothing to write, nothing said
    QVERIFY(boxTexts(ws.host).filter("Log File").isEmpty());
}

void TestHistory::removeLast_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QString>("status");

    const QStringList header = historyHeader();
    const QString start = startLine("01/09/2026", "12345");
    const QString first = recordLine("05/12/2026", "13157");
    const QString second = recordLine("06/03/2027", "14001");
    const QString deleted = "Last Saved Meter Reading Deleted";

    QTest::newRow("10 lines") << linesOf(header) << true << linesOf(header)
                              << "No Saved Meter Readings To Delete";
    QTest::newRow("11 lines") << linesOf(header + QStringList{start}) << true << linesOf(header)
                              << deleted;
    QTest::newRow("12 lines") << linesOf(header + QStringList{start, first}) << true
                              << linesOf(header + QStringList{start}) << deleted;
    QTest::newRow("13 lines") << linesOf(header + QStringList{start, first, second}) << true
                              << linesOf(header + QStringList{start, first}) << deleted;
    QTest::newRow("declined") << linesOf(header + QStringList{start, first}) << false
                              << linesOf(header + QStringList{start, first}) << "";
    QTest::newRow("41st record") << linesOf(historyWith(40)) << true << linesOf(historyWith(39))
                                 << deleted;
    QTest::newRow("42nd record") << linesOf(historyWith(41)) << true << linesOf(historyWith(40))
                                 << deleted;
    QTest::newRow("first reading of 1")
        << linesOf(header + QStringList{startLine("01/09/2026", "1"), first}) << true
        << linesOf(header) << deleted;
    QTest::newRow("no data lines at all")
        << linesOf(header + QStringList{"x", "y", "z"}) << true << linesOf(header) << deleted;
    QTest::newRow("no final line end") << linesOf(header + QStringList{start, first}).chopped(2)
                                       << true << linesOf(header + QStringList{start}) << deleted;
    QTest::newRow("line feeds only")
        << cp1252((header + QStringList{start, first}).join('\n') + '\n') << true
        << linesOf(header + QStringList{start}) << deleted;
}

void TestHistory::removeLast() {
    QFETCH(QByteArray, content);
    QFETCH(bool, answerYes);
    QFETCH(QByteArray, expected);
    QFETCH(QString, status);
    LocaleScope locale("en_GB");
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    ws.write("Log/Voltrake_H.log", content);
    fillCalculation(f);
    f.model.setEnabled("Save", true);
    ws.host.answers = {answerYes ? Host::Answer::Yes : Host::Answer::No};
    Del_Last_Click(f);
    QCOMPARE(ws.read("Log/Voltrake_H.log"), expected);
    QCOMPARE(f.text("Status"), status);
    const bool asked = status != "No Saved Meter Readings To Delete";
    QCOMPARE(boxTexts(ws.host),
             asked ? QStringList{"Voltrake Modify History File|Are you sure you want to "
                                 "delete\r\nthe last saved meter reading?"}
                   : QStringList());
    if (ws.host.boxes.size() == 1) {
        QCOMPARE(ws.host.boxes[0].buttons, Host::Buttons::YesNo);
        QCOMPARE(ws.host.boxes[0].icon, Host::Icon::Warning);
    }
    const bool removed = status == "Last Saved Meter Reading Deleted";
    QCOMPARE(f.model.enabled("Save"), !removed);
    QCOMPARE(f.text("Date1").isEmpty(), removed);
    QCOMPARE(f.model.enabled("Timer1"), !status.isEmpty());
}

void TestHistory::removeLastWithoutFile() {
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    Del_Last_Click(ws.form);
    QCOMPARE(ws.form.text("Status"), QString("No Saved Meter Readings To Delete"));
    QCOMPARE(ws.host.titles(), QStringList{"Voltrake History Log File Error"});
    QVERIFY(!QFile::exists(ws.path("Log/Voltrake_H.log")));
}

void TestHistory::removeLastReadOnly() {
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    const QByteArray content = linesOf(historyWith(2));
    ws.write("Log/Voltrake_H.log", content);
    ws.form.setText("Date1", "kept");
    {
        ReadOnlyLog readOnly(ws);
        QVERIFY(readOnly.effective());
        Del_Last_Click(ws.form);
    }
    QCOMPARE(ws.read("Log/Voltrake_H.log"), content);
    QCOMPARE(boxTexts(ws.host).last(),
             QString("Voltrake Log File Error|Unable to opem the history log Voltrake_H.log.\r\n"
                     "This may be a permissions problem."));
    QCOMPARE(ws.form.text("Date1"), QString("kept"));
    QVERIFY(!ws.host.ended);
}

void TestHistory::getLast_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("readings"); // Date1, NRead1, CRead1; empty when none
    QTest::addColumn<QString>("status");

    const QString restored = "Last Saved Meter Readings Restored";
    const QString none = "No Saved Meter Readings To Restore";
    const QStringList header = historyHeader();
    QTest::newRow("record") << linesOf(header +
                                       QStringList{startLine("01/09/2026", "12345"),
                                                   recordLine("05-Dec-2026", "13157", "456")})
                            << QStringList{"05/12/2026", "13157", "456"} << restored;
    QTest::newRow("start record only")
        << linesOf(header + QStringList{startLine("01/09/2026", "12345")})
        << QStringList{"01/09/2026", "12345", ""} << restored;
    QTest::newRow("reading of 1") << linesOf(header + QStringList{recordLine("05/12/2026", "1")})
                                  << QStringList{"05/12/2026", "1", ""} << restored;
    QTest::newRow("reading below 1")
        << linesOf(header + QStringList{recordLine("05/12/2026", "0.5", "99")}) << QStringList()
        << none;
    QTest::newRow("column headers last") << linesOf(header) << QStringList() << none;
    QTest::newRow("empty file") << QByteArray() << QStringList() << none;
    QTest::newRow("empty last line")
        << linesOf(header + QStringList{recordLine("05/12/2026", "13157"), ""}) << QStringList()
        << none;
    QTest::newRow("no final line end")
        << linesOf(header + QStringList{recordLine("05/12/2026", "13157")}).chopped(2)
        << QStringList{"05/12/2026", "13157", ""} << restored;
    QTest::newRow("lone CR ends") << cp1252(header.join('\r') + '\r' +
                                            recordLine("05/12/2026", "13157") + '\r')
                                  << QStringList{"05/12/2026", "13157", ""} << restored;
    QTest::newRow("binary") << QByteArray("\x00\xff\r\n\x81\x00\x9d", 7) << QStringList() << none;
    QTest::newRow("1 MB last line")
        << linesOf(header) + cp1252(recordLine("05/12/2026", "13157")) + QByteArray(1 << 20, 'x')
        << QStringList{"05/12/2026", "13157", ""} << restored;
}

void TestHistory::getLast() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, readings);
    QFETCH(QString, status);
    LocaleScope locale("en_GB");
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    ws.write("Log/Voltrake_H.log", content);
    setFields(f, {{"Date1", "x"}, {"NRead1", "y"}, {"CRead1", "z"}, {"Date2", "31/12/2026"}});
    f.model.setEnabled("Save", true);
    Get_Last_Click(f);
    QCOMPARE(f.text("Status"), status);
    QVERIFY(!f.model.enabled("Save"));
    QVERIFY(f.model.enabled("Timer1"));
    if (readings.isEmpty()) {
        QCOMPARE(ws.host.focus.last(), QString("Date1"));
        QCOMPARE(f.text("Date1"), QString("x"));
        QCOMPARE(f.text("Date2"), QString("31/12/2026"));
    } else {
        QCOMPARE(ws.host.focus.last(), QString("Date2"));
        QCOMPARE((QStringList{f.text("Date1"), f.text("NRead1"), f.text("CRead1")}), readings);
        QCOMPARE(f.text("Date2"), QString()); // the Clear action emptied it
    }
    QCOMPARE(ws.read("Log/Voltrake_H.log"), content);
}

void TestHistory::getLastUnreadable() {
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    ws.write("Log/Voltrake.log", "r\r\n");
    ws.write("Log/Voltrake_H.log", linesOf(historyWith(1)));
    {
        ReadOnlyLog readOnly(ws);
        QVERIFY(readOnly.effective());
        QFile::setPermissions(ws.path("Log/Voltrake_H.log"), {});
        try {
            Get_Last_Click(ws.form);
            QFAIL("the program should have ended");
        } catch (const ProgramEnded&) {
        }
    }
    QVERIFY(ws.host.ended);
    QVERIFY(boxTexts(ws.host).last().contains("A Fatal Log File Read Error Has Occurred"));
    QVERIFY(boxTexts(ws.host).last().contains("141"));
}

// Whatever a history log holds, reading it neither fails nor loses a line: Remove Last keeps
// exactly the lines before the last one kept.
void TestHistory::oddContent_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("kept"); // lines left by Remove Last; -1 when nothing is removed

    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 37) % 256));
    QTest::newRow("binary") << binary << -2;
    QTest::newRow("1 MB lines") << linesOf(historyHeader() + QStringList{QString(1 << 20, 'a'),
                                                                         QString(1 << 20, 'b')})
                                << 10;
    QTest::newRow("no CR") << cp1252(historyWith(3).join('\n')) << 13;
    QTest::newRow("only headers") << linesOf(historyHeader()) << -1;
    QTest::newRow("final line without end") << linesOf(historyWith(5)).chopped(2) << 15;
    // Far beyond the 32,767 lines a 16-bit counter could count.
    QTest::newRow("100,004 lines") << linesOf(historyWith(88883)) << 100003;
    QByteArray nul = linesOf(historyWith(2));
    nul.insert(200, QByteArray("\x00\x00\x81", 3));
    QTest::newRow("NUL bytes inside") << nul << -2;
}

void TestHistory::oddContent() {
    QFETCH(QByteArray, content);
    QFETCH(int, kept);
    LocaleScope locale("en_GB");
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    ws.write("Log/Voltrake_H.log", content);
    fillCalculation(f);
    f.setText("Date2", "05/12/2999");
    BuildHistoryRecord(f);
    QVERIFY(f.HistoryText.endsWith(" 05/12/2999" + FirstRecord.mid(11)));
    Get_Last_Click(f);
    QCOMPARE(ws.read("Log/Voltrake_H.log"), content);
    QVERIFY(!ws.host.ended);

    const QStringList before = files::splitLines(files::decode(content));
    Del_Last_Click(f);
    const QStringList after = fileLines(ws);
    if (kept == -1) {
        QCOMPARE(ws.read("Log/Voltrake_H.log"), content);
    } else {
        if (kept >= 0)
            QCOMPARE(after.size(), kept);
        QVERIFY(after.size() < before.size());
        QCOMPARE(after, before.mid(0, after.size()));
    }
    QVERIFY(!ws.host.ended);
}

void TestHistory::upgradeRecord_data() {
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("upgraded");
    // Distinct characters show which columns each step keeps.
    QTest::newRow("78") << " 05/12/2026,   13157,        , "
                           "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTU"
                        << " 05/12/2026,   13157,        , abcdefghijklmnopqrFstuvwxyzABCDEFGFHIJK"
                           "LMNOPQRSTU,       ,         ,  Qtr";
    QTest::newRow("99") << " 05/12/2026,   13157,        , "
                           "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$%&("
                        << " 05/12/2026,   13157,        , abcdefghijklmnopqrstuvwxyzABCDEFGHIKLM"
                           "NOPQRSTUVWXY       ,         ,  Qtr";
    QTest::newRow("100") << " 05/12/2026,   13157,        , "
                            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$%&()"
                         << " 05/12/2026,   13157,        , abcdefghijklmnopqrstuvwxyzABCDEFGHIJK"
                            "LMNOPQRSTUVWX01234567!  #$%&(),  Qtr";
    QTest::newRow("96") << " 05/12/2026,   13157,        , "
                           "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$"
                        << " 05/12/2026,   13157,        , abcdefghijklmnopqrstuvwxyzABCDEFGHIJK"
                           "LMNOPQRSTUVWXYZ0123456  789!#$,  Qtr";
    QTest::newRow("102")
        << " 05/12/2026,   13157,        , "
           "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$%&()*+"
        << " 05/12/2026,   13157,        , abcdefghijklmnopqrstuvwxyzABCDEFGHIJK"
           "LMNOPQRSTUVWXYZ0123456  789!#$%&()*+";
    QTest::newRow("104 stays") << FirstRecord << FirstRecord;
    QTest::newRow("other length stays") << " 05/12/2026,   13157,        , abc"
                                        << " 05/12/2026,   13157,        , abc";
}

void TestHistory::upgradeRecord() {
    QFETCH(QString, old);
    QFETCH(QString, upgraded);
    LocaleScope locale("en_GB");
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    f.HistoryVersion = "3.0";
    ws.write("Log/Voltrake_H.log", linesOf({"Voltrake History Log", "Version 3.0", "", old}));
    UpgradeHistoryLog(f);
    QCOMPARE(fileLines(ws).mid(10), QStringList{upgraded});
}

void TestHistory::upgradeFile() {
    LocaleScope locale("en_GB");
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    f.HistoryVersion = "3.0";
    // An old log: its own header, 45 data lines of 96 characters, a line of 1, some noise.
    QStringList old = {
        "Voltrake History Log", "Version 3.0", "File Created", "01-Jan-20 10:00:00", "",
        "column words"};
    QStringList upgraded = {"Voltrake History Log",
                            versionLine(),
                            "File Created",
                            "05-Dec-26 04:40:50",
                            "Updated From Version: 3.0",
                            "",
                            "",
                            H1,
                            H2,
                            H3};
    const QDate first(2020, 1, 1);
    for (int i = 0; i < 45; ++i) {
        if (i == 40)
            upgraded << ""
                     << "" << H1 << H2 << H3;
        // Today's record without the blanks of the Disc 2 marker and without the period.
        const QString record =
            recordLine(first.addDays(i).toString("dd/MM/yyyy"), QString::number(1000 + i));
        const QString line = QString(record).remove(90, 2).chopped(6);
        QCOMPARE(line.size(), 96);
        old << line;
        upgraded << record;
        if (i == 20)
            old << recordLine("05/06/2020", "1") << ""
                << "rubbish";
    }
    const QByteArray oldBytes = linesOf(old);
    ws.write("Log/Voltrake_H.log", oldBytes);
    UpgradeHistoryLog(f);
    QCOMPARE(ws.read("Log/Voltrake_H.log"), linesOf(upgraded));
    QCOMPARE(ws.read("Log/Voltrake_H_261205_1.log"), oldBytes);
    QVERIFY(ws.host.boxes.isEmpty());

    // A second upgrade on the same day keeps the first backup.
    ws.write("Log/Voltrake_H.log", oldBytes);
    UpgradeHistoryLog(f);
    QCOMPARE(ws.read("Log/Voltrake_H_261205_2.log"), oldBytes);
    QCOMPARE(ws.read("Log/Voltrake_H_261205_1.log"), oldBytes);
    QCOMPARE(ws.read("Log/Voltrake_H.log"), linesOf(upgraded));
}

void TestHistory::upgradeSkipped_data() {
    QTest::addColumn<QString>("version");
    QTest::newRow("2.9") << "2.9";
    QTest::newRow("running version") << versionText();
    QTest::newRow("empty") << "";
}

void TestHistory::upgradeSkipped() {
    QFETCH(QString, version);
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    ws.form.HistoryVersion = version;
    const QByteArray content = "Version 2.9\r\nold\r\n";
    ws.write("Log/Voltrake_H.log", content);
    UpgradeHistoryLog(ws.form);
    QCOMPARE(ws.read("Log/Voltrake_H.log"), content);
    QCOMPARE(QDir(ws.path("Log")).entryList(QDir::Files), QStringList{"Voltrake_H.log"});
}

void TestHistory::upgradeReadOnly() {
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    ws.form.HistoryVersion = "3.0";
    const QByteArray content = linesOf(historyWith(3));
    ws.write("Log/Voltrake_H.log", content);
    {
        ReadOnlyLog readOnly(ws);
        QVERIFY(readOnly.effective());
        try {
            UpgradeHistoryLog(ws.form);
            QFAIL("the program should have ended");
        } catch (const ProgramEnded&) {
        }
    }
    QVERIFY(ws.host.ended);
    QCOMPARE(boxTexts(ws.host),
             QStringList{"Voltrake Log File Error|Unable to backup the history log file.\r\n"
                         "This may be a permissions problem.\r\nThe program will now terminate."});
    QCOMPARE(ws.read("Log/Voltrake_H.log"), content);
}

void TestHistory::viewHistory() {
    Workspace ws;
    nameLogs(ws.form);
    ws.write("Log/Voltrake_H.log", "x\r\n");
    ViewH_Click(ws.form);
    QCOMPARE(ws.host.edited, QStringList{ws.form.path("Log/Voltrake_H.log")});
    QVERIFY(ws.host.boxes.isEmpty());

    QFile::remove(ws.path("Log/Voltrake_H.log"));
    ViewH_Click(ws.form);
    QCOMPARE(ws.host.edited.size(), 1);
    QCOMPARE(ws.host.titles(), QStringList{"Voltrake History Log File Error"});
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
