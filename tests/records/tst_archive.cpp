#include "records/archive.h"
#include "records_fixture.h"

#include <QTest>

namespace {

const QString Question = "Archive Voltrake Results Log File|Do you want to archive the log "
                         "file?\r\nTo Archive the results log file and create a new one click "
                         "Yes\r\nTo Clear the results log file without archiving it click "
                         "No\r\nClick Cancel to return";
const QString Confirm =
    "Voltrake Create New Log File|Are you sure you want to create a new results log file?";
const QString NoData =
    "Voltrake Results Log File Error|There is no data to archive!\r\nResults log file not "
    "archived.";
const QString Failed = "Voltrake Results Log File Error|Unable to archive the results log file "
                       "Voltrake.log.\r\nThis may be a permissions problem.";

const QByteArray StartOnly = "Voltrake Results Log\r\nVersion 3.0\r\nFile Created\r\n"
                             "01-Jan-26 10:00:00\r\n\r\n\r\nVoltrake Started\r\nVersion 3.0\r\n"
                             "01/01/2026 10:00:01\r\n\r\n";
const QByteArray WithReport = StartOnly + "05/12/2026 04:00:00\r\n\r\n\r\n  Cost To Date ( 95 "
                                          "Days)\r\n----\r\nTotal Cost              : \xa3"
                                          "1.00\r\n\r\n";

QByteArray freshLog() {
    return cp1252(crlf(
        {"Voltrake Results Log", versionLine(), "File Created", "05/12/2026 04:40:50", "", ""}));
}

QStringList logFiles(const Workspace& ws) {
    return QDir(ws.path("Log")).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestArchive : public QObject {
    Q_OBJECT

  private slots:
    void archive_data();
    void archive();
    void twiceADay();
    void failure();
    void readOnlyLogDirectory();
    void readOnlyLogReplaced();
    void missingLog();
};

void TestArchive::archive_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<Host::Answer>>("answers");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("fresh");    // the log now holds only a new header
    QTest::addColumn<bool>("archived"); // Voltrake_261205_1.log holds the old log
    QTest::addColumn<QString>("status");

    using A = Host::Answer;
    QTest::newRow("archive") << WithReport << QList<A>{A::Yes} << QStringList{Question} << true
                             << true << "Results Log File Archived";
    QTest::newRow("nothing to archive")
        << StartOnly << QList<A>{A::Yes} << QStringList{Question, NoData} << false << false << "";
    QTest::newRow("clear, confirmed")
        << WithReport << QList<A>{A::No, A::Yes} << QStringList{Question, Confirm} << true << false
        << "Results Log File Cleared";
    QTest::newRow("clear, declined") << WithReport << QList<A>{A::No, A::No}
                                     << QStringList{Question, Confirm} << false << false << "";
    QTest::newRow("clear without data asks once")
        << StartOnly << QList<A>{A::No} << QStringList{Question} << true << false
        << "Results Log File Cleared";
    QTest::newRow("cancel") << WithReport << QList<A>{A::Cancel} << QStringList{Question} << false
                            << false << "";
    QTest::newRow("report without line end")
        << StartOnly + "Cost" << QList<A>{A::Yes} << QStringList{Question} << true << true
        << "Results Log File Archived";
    QTest::newRow("binary, no report")
        << QByteArray("\x00\xff\r\x81 Cos\n\x9d", 10) << QList<A>{A::Yes}
        << QStringList{Question, NoData} << false << false << "";
}

void TestArchive::archive() {
    QFETCH(QByteArray, content);
    QFETCH(QList<Host::Answer>, answers);
    QFETCH(QStringList, boxes);
    QFETCH(bool, fresh);
    QFETCH(bool, archived);
    QFETCH(QString, status);
    LocaleScope locale("en_GB");
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    ws.write("Log/Voltrake.log", content);
    f.setStatus("old message");
    ws.host.answers = answers;
    Archive_Click(f);
    QCOMPARE(boxTexts(ws.host), boxes);
    QCOMPARE(ws.host.boxes[0].buttons, Host::Buttons::YesNoCancel);
    QCOMPARE(ws.host.boxes[0].icon, Host::Icon::Warning);
    if (boxes.size() > 1 && boxes[1] == Confirm) {
        QCOMPARE(ws.host.boxes[1].buttons, Host::Buttons::YesNo);
        QCOMPARE(ws.host.boxes[1].icon, Host::Icon::None);
    }
    QCOMPARE(ws.read("Log/Voltrake.log"), fresh ? freshLog() : content);
    const QStringList expected = archived ? QStringList{"Voltrake.log", "Voltrake_261205_1.log"}
                                          : QStringList{"Voltrake.log"};
    QCOMPARE(logFiles(ws), expected);
    if (archived)
        QCOMPARE(ws.read("Log/Voltrake_261205_1.log"), content);
    QCOMPARE(f.text("Status"), status);
    QCOMPARE(f.model.enabled("Timer1"), !status.isEmpty());
}

void TestArchive::twiceADay() {
    LocaleScope locale("en_GB");
    Workspace ws;
    MainForm& f = ws.form;
    nameLogs(f);
    ws.write("Log/Voltrake.log", WithReport);
    Archive_Click(f);
    const QByteArray second = freshLog() + "05/12/2026 04:40:50\r\nCost To Date\r\n";
    ws.write("Log/Voltrake.log", second);
    Archive_Click(f);
    QCOMPARE(logFiles(ws),
             (QStringList{"Voltrake.log", "Voltrake_261205_1.log", "Voltrake_261205_2.log"}));
    QCOMPARE(ws.read("Log/Voltrake_261205_1.log"), WithReport);
    QCOMPARE(ws.read("Log/Voltrake_261205_2.log"), second);
    QCOMPARE(ws.read("Log/Voltrake.log"), freshLog());
}

// The copy cannot be written (its name is taken by a directory): the log is left whole.
void TestArchive::failure() {
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    ws.write("Log/Voltrake.log", WithReport);
    QDir(ws.path("Log")).mkdir("Voltrake_261205_1.log");
    Archive_Click(ws.form);
    QCOMPARE(boxTexts(ws.host), (QStringList{Question, Failed}));
    QCOMPARE(ws.read("Log/Voltrake.log"), WithReport);
    QVERIFY(!ws.host.ended);
}

void TestArchive::readOnlyLogDirectory() {
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    ws.write("Log/Voltrake.log", WithReport);
    for (Host::Answer first : {Host::Answer::Yes, Host::Answer::No}) {
        ws.host.boxes.clear();
        ws.host.answers = {first, Host::Answer::Yes};
        {
            ReadOnlyLog readOnly(ws);
            QVERIFY(readOnly.effective());
            Archive_Click(ws.form);
        }
        QCOMPARE(boxTexts(ws.host).last(), Failed);
        QCOMPARE(ws.read("Log/Voltrake.log"), WithReport);
        QCOMPARE(logFiles(ws), QStringList{"Voltrake.log"});
    }
}

void TestArchive::readOnlyLogReplaced() {
    LocaleScope locale("en_GB");
    Workspace ws;
    nameLogs(ws.form);
    ws.write("Log/Voltrake.log", WithReport);
    QFile::setPermissions(ws.path("Log/Voltrake.log"), QFileDevice::ReadOwner);
    Archive_Click(ws.form);
    QCOMPARE(ws.read("Log/Voltrake.log"), freshLog());
    QCOMPARE(ws.read("Log/Voltrake_261205_1.log"), WithReport);
    QCOMPARE(ws.host.boxes.size(), 1);
}

void TestArchive::missingLog() {
    Workspace ws;
    nameLogs(ws.form);
    Archive_Click(ws.form);
    QCOMPARE(ws.host.titles(), QStringList{"Voltrake Results Log File Error"});
    QVERIFY(logFiles(ws).isEmpty());
}

QTEST_GUILESS_MAIN(TestArchive)
#include "tst_archive.moc"
