// The fatal error dump: the block appended to the results log, the message and the end.

#include "shell/dump.h"
#include "shell/files.h"
#include "shell_testing.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace shelltest;

namespace {

const QByteArray logHeader = "Voltrake Results Log\r\n";

// A window in the middle of its life: configuration read, a calculation on screen.
void fillWindow(MainForm& f) {
    f.FileSystem = true;
    f.ResultsLogName = "Voltrake.log";
    f.ConfigText =
        "Voltrake Configuration\r\n----------------------\r\n[Run]\r\nLogLevel=1\r\n\r\n";
    // Switches and VAT first: their actions clear the results.
    f.model.setChecked("Period", true);
    f.model.setChecked("NoHistory", true);
    f.model.setChecked("UpEnable1", true);
    f.setText("VAT", "17.5");
    const QList<std::pair<const char*, const char*>> texts = {
        {"NormalR1", "£0.150000"}, {"SCharge", "£12.50"}, {"CheapR", "£0.050000"},
        {"BPoint", "0"},           {"CO2", "0.43"},       {"Date1", "01/09/2026"},
        {"Date2", "05/12/2026"},   {"NRead1", "1000"},    {"NRead2", "1500"},
        {"CRead1", "300"},         {"Notes", "Winter"},   {"TDays", "95"},
        {"NRUnits", "500"},        {"R1Units", "500"},    {"NR1Cost", "£75.00"},
        {"UDay", "5.26"},          {"TCO2", "215"},       {"TDaysP", "90"},
        {"TCO2P", "204"}};
    for (const auto& [name, text] : texts)
        f.setText(name, QString::fromUtf8(text));
    f.BreakPointUnits = "0";
    f.BreakPointPerDay = "2.50";
    f.RunOnTop = 2;
    f.DRateSetting = 1;
    f.LogLevel = 1;
}

QString expectedBlock(const QString& config) {
    return "05/12/2026 04:40:50\r\n"
           "Voltrake\r\nVersion " +
           versionText() +
           "\r\n\r\n"
           "******** Loading Error 153 ********\r\n\r\n"
           "Dump of configuration file and available program data follows:\r\n\r\n\r\n" +
           config +
           "\r\n\r\n"
           "Electricity Data\r\n----------------\r\n"
           "£0.150000, , £12.50, , , £0.050000, 17.5, 0, , 0, 0.43, 0, 1, 0, 1, 1\r\n\r\n"
           "Program Internals\r\n-----------------\r\n"
           "0, 2.50, 2, 1, 1\r\n\r\n"
           "Program Data\r\n------------\r\n"
           "01/09/2026, 05/12/2026, 1000, 1500, \r\nWinter\r\n\r\n"
           "Program Actual\r\n--------------\r\n"
           "95, 500, , 500, , £75.00, , , , , , , , 5.26, , 215\r\n\r\n"
           "Program Predicted\r\n-----------------\r\n"
           "90, , , , , , , , , , , , , 204\r\n\r\n"
           "***** End of Error Dump *****\r\n\r\n\r\n";
}

} // namespace

class TestDump : public QObject {
    Q_OBJECT

  private slots:
    void blockIsAppendedByteForByte();
    void emptyConfigurationLeavesOnlyLineEnds();
    void messageNamesActivityAndMark_data();
    void messageNamesActivityAndMark();
    void missingLogWritesNothing();
    void nothingIsWrittenBeforeTheFileSystemExists();
    void failureHalfWayKeepsWhatWasWritten();
};

void TestDump::blockIsAppendedByteForByte() {
    LocaleScope scope("en_GB");
    Workspace w;
    fillWindow(w.form);
    w.write("Log/Voltrake.log", logHeader);

    QVERIFY(ends([&] { FatalErrorDump(w.form, "Loading Error", 153); }));

    QCOMPARE(w.read("Log/Voltrake.log"),
             logHeader + files::encode(expectedBlock(w.form.ConfigText)));
    QVERIFY(w.host.ended);
}

void TestDump::emptyConfigurationLeavesOnlyLineEnds() {
    LocaleScope scope("en_GB");
    Workspace w;
    fillWindow(w.form);
    w.form.ConfigText.clear();
    w.write("Log/Voltrake.log", logHeader);

    QVERIFY(ends([&] { FatalErrorDump(w.form, "Loading Error", 153); }));

    const QByteArray log = w.read("Log/Voltrake.log");
    QCOMPARE(log, logHeader + files::encode(expectedBlock(QString())));
    QVERIFY(log.contains("follows:\r\n\r\n\r\n\r\n\r\nElectricity Data\r\n"));
}

void TestDump::messageNamesActivityAndMark_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("location");
    QTest::newRow("loading") << "Loading Error" << 153;
    QTest::newRow("calculation") << "Calculation Error" << 106;
    QTest::newRow("config read") << "Config Read Error" << 163;
    QTest::newRow("save config") << "Save Config Error" << 202;
}

void TestDump::messageNamesActivityAndMark() {
    QFETCH(QString, where);
    QFETCH(int, location);
    Workspace w;
    w.form.ErrorLocation = 1; // the caller's mark is what counts
    w.form.FileSystem = true;
    w.form.ResultsLogName = "Voltrake.log";
    w.write("Log/Voltrake.log", logHeader);

    QVERIFY(ends([&] { FatalErrorDump(w.form, where, location); }));

    QCOMPARE(w.host.titles(), QStringList{"Voltrake Fatal Error"});
    QCOMPARE(w.host.boxes[0].text, QString("Error Number %1\r\nA Fatal %2 Has Occurred\r\n"
                                           "The Program Will Now Terminate")
                                       .arg(location)
                                       .arg(where));
    QCOMPARE(w.host.boxes[0].buttons, Host::Buttons::Ok);
    QCOMPARE(w.host.boxes[0].icon, Host::Icon::Error);
    QVERIFY(
        w.read("Log/Voltrake.log")
            .contains(QString("******** %1 %2 ********\r\n").arg(where).arg(location).toLatin1()));
    QVERIFY(w.host.ended);
}

void TestDump::missingLogWritesNothing() {
    Workspace w;
    fillWindow(w.form);

    QVERIFY(ends([&] { FatalErrorDump(w.form, "Loading Error", 153); }));

    QVERIFY(!QFile::exists(w.path("Log/Voltrake.log")));
    QCOMPARE(QDir(w.path("Log")).entryList(QDir::Files), QStringList());
    QCOMPARE(w.host.titles(), QStringList{"Voltrake Fatal Error"});
    QVERIFY(w.host.boxes[0].text.startsWith("Error Number 153\r\n"));
    QVERIFY(w.host.ended);
}

void TestDump::nothingIsWrittenBeforeTheFileSystemExists() {
    Workspace w;
    fillWindow(w.form);
    w.form.FileSystem = false;
    w.write("Log/Voltrake.log", logHeader);

    QVERIFY(ends([&] { FatalErrorDump(w.form, "Loading Error", 151); }));

    QCOMPARE(w.read("Log/Voltrake.log"), logHeader);
    QCOMPARE(w.host.titles(), QStringList{"Voltrake Fatal Error"});
}

void TestDump::failureHalfWayKeepsWhatWasWritten() {
    LocaleScope scope("en_GB");
    Workspace w;
    fillWindow(w.form);
    w.write("Log/Voltrake.log", logHeader);
    const QByteArray whole = logHeader + files::encode(expectedBlock(w.form.ConfigText));

    // The disk fills up after 200 bytes of the log.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit small = saved;
    small.rlim_cur = 200;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const bool ended = ends([&] { FatalErrorDump(w.form, "Loading Error", 153); });
    setrlimit(RLIMIT_FSIZE, &saved);

    QVERIFY(ended);
    const QByteArray log = w.read("Log/Voltrake.log");
    QVERIFY(log.size() > logHeader.size());
    QVERIFY(log.size() <= 200);
    QVERIFY(whole.startsWith(log));
    QCOMPARE(w.host.titles(), QStringList{"Voltrake Fatal Error"});
}

QTEST_GUILESS_MAIN(TestDump)
#include "tst_dump.moc"
