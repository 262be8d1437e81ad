// Start-up, first activation, exit, keep-on-top, the status timer and the directory and file
// checks.

#include "shell/files.h"
#include "shell/startup.h"
#include "shell_testing.h"

#include <QtTest>

using namespace shelltest;

namespace {

// A scripted host that fails, as a run-time error, in one of its calls.
class FailingHost : public ScriptedHost {
  public:
    QString failIn;
    QDateTime now() override {
        fail("now");
        return ScriptedHost::now();
    }
    void setOnTop(const QString& window, bool on) override {
        fail("setOnTop");
        ScriptedHost::setOnTop(window, on);
    }
    void startUpdateCheck(bool automatic) override {
        fail("startUpdateCheck");
        ScriptedHost::startUpdateCheck(automatic);
    }

  private:
    void fail(const char* call) {
        if (failIn == QLatin1String(call))
            throw RuntimeError(errnum::FileIO, QStringLiteral("Device I/O error"));
    }
};

// A working directory like Workspace's, with a host that can be made to fail.
struct Site {
    Site() {
        QDir d(dir.path());
        d.mkdir("Data");
        d.mkdir("Log");
        d.mkdir("Help");
        form.baseDir = dir.path();
    }
    QString path(const QString& relative) const { return dir.path() + '/' + relative; }
    QTemporaryDir dir;
    FailingHost host;
    MainForm form{host};
};

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList withLine(QStringList lines, const QString& from, const QString& to) {
    lines.replace(lines.indexOf(from), to);
    return lines;
}

const QByteArray oldResultsLog = "Voltrake Results Log\r\nVersion 1.0\r\nFile Created\r\n"
                                 "01-Jan-26 10:00:00\r\n\r\n\r\n";

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

  private slots:
    void runModeFromCommandLine_data();
    void runModeFromCommandLine();
    void loadStopsAtMissingDirectory_data();
    void loadStopsAtMissingDirectory();
    void loadStopsAtBadConfiguration_data();
    void loadStopsAtBadConfiguration();
    void configReadErrorIsDumpedToTheLog();
    void loadRunsEveryStage_data();
    void loadRunsEveryStage();
    void runTimeErrorsEndInTheDump_data();
    void runTimeErrorsEndInTheDump();
    void historyUpgradeOnlyForAnotherVersion_data();
    void historyUpgradeOnlyForAnotherVersion();
    void firstActivationRestoresOnce();
    void exitAsksAboutAnUnsavedCalculation_data();
    void exitAsksAboutAnUnsavedCalculation();
    void onTopClick();
    void timerEmptiesTheStatusLine();
    void checkDirectoryMessage();
    void checkFileTitleInProperCase_data();
    void checkFileTitleInProperCase();
};

void TestStartup::runModeFromCommandLine_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<int>("runMode");
    QTest::newRow("none") << "" << 0;
    QTest::newRow("inhibit") << "-InhibitErrorCheck" << 1;
    QTest::newRow("short update") << "-ShortUpdateTime" << 5;
    QTest::newRow("inhibit, then short") << "-InhibitErrorCheck -ShortUpdateTime" << 1;
    QTest::newRow("short, then inhibit") << "-ShortUpdateTime -InhibitErrorCheck" << 5;
    QTest::newRow("text after the option") << "-InhibitErrorCheckNow" << 1;
    QTest::newRow("short with more") << "-ShortUpdateTimes x" << 5;
    QTest::newRow("lower case") << "-inhibiterrorcheck" << 0;
    QTest::newRow("blank in front") << " -ShortUpdateTime" << 0;
    QTest::newRow("cut short") << "-InhibitErrorChec" << 0;
    QTest::newRow("other word first") << "file -ShortUpdateTime" << 0;
    QTest::newRow("slash form") << "/InhibitErrorCheck" << 0;
}

void TestStartup::runModeFromCommandLine() {
    QFETCH(QString, commandLine);
    QFETCH(int, runMode);
    QCOMPARE(RunModeFromCommandLine(commandLine), runMode);
}

void TestStartup::loadStopsAtMissingDirectory_data() {
    QTest::addColumn<QString>("directory");
    QTest::newRow("Data") << "Data";
    QTest::newRow("Help") << "Help";
}

// Even Help, which start-up itself never reads, must be there.
void TestStartup::loadStopsAtMissingDirectory() {
    QFETCH(QString, directory);
    Workspace w;
    QVERIFY(QDir(w.dir()).rmdir(directory));
    w.write("Data/Voltrake.ini", crlfLines(exampleConfiguration()));

    w.form.load();

    QVERIFY(w.form.ended());
    QCOMPARE(w.host.titles(), QStringList{"Voltrake " + directory + " Directory Error"});
    QCOMPARE(w.host.boxes[0].text, "The " + directory + " directory does not exist.\r\n" +
                                       "To restore the " + directory + " directory\r\n" +
                                       "reinstall the program.\r\n" +
                                       "The program will now terminate.");
    QCOMPARE(w.host.boxes[0].icon, Host::Icon::Error);
    QCOMPARE(w.form.ErrorLocation, 151);
    QCOMPARE(w.form.ConfigText, QString());
    QCOMPARE(QDir(w.path("Log")).entryList(QDir::Files), QStringList());
}

void TestStartup::loadStopsAtBadConfiguration_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("mark");
    QTest::newRow("missing") << QByteArray() << "missing" << 165;
    QTest::newRow("corrupted") << crlfLines(withLine(exampleConfiguration(), "DRate=1", "DRate=3"))
                               << "corrupted" << 163;
    QTest::newRow("out of range tariff")
        << crlfLines(withLine(exampleConfiguration(), "VRate=18.5", "VRate=99")) << "corrupted"
        << -1; // wherever the tariff check left it
}

void TestStartup::loadStopsAtBadConfiguration() {
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    QFETCH(int, mark);
    LocaleScope scope("en_GB");
    Workspace w;
    if (!file.isEmpty())
        w.write("Data/Voltrake.ini", file);

    w.form.load();

    QVERIFY(w.form.ended());
    QCOMPARE(outcome(w), expected);
    if (mark >= 0)
        QCOMPARE(w.form.ErrorLocation, mark);
    // The program ended before the log files were touched.
    QCOMPARE(QDir(w.path("Log")).entryList(QDir::Files), QStringList());
}

void TestStartup::configReadErrorIsDumpedToTheLog() {
    LocaleScope scope("en_GB");
    Workspace w;
    w.write("Log/Voltrake.log", oldResultsLog);
    w.write("Data/Voltrake.ini", crlfLines(exampleConfiguration().mid(0, 20)));

    w.form.load();

    QVERIFY(w.form.ended());
    QCOMPARE(outcome(w), QString("dump 163 A Fatal Config Read Error Has Occurred"));
    const QByteArray log = w.read("Log/Voltrake.log");
    QVERIFY(log.startsWith(oldResultsLog + "05/12/2026 04:40:50\r\nVoltrake\r\n"));
    QVERIFY(log.contains("\r\n******** Config Read Error 163 ********\r\n"));
    QVERIFY(log.contains("\r\nVoltrake Configuration\r\n----------------------\r\n[Run]\r\n"
                         "LogLevel=1\r\nRunOnTop=1\r\n[Data]\r\nBreakP=1\r\n"));
    QVERIFY(log.endsWith("***** End of Error Dump *****\r\n\r\n\r\n"));
}

void TestStartup::loadRunsEveryStage_data() {
    QTest::addColumn<QString>("upEnable");
    QTest::addColumn<QStringList>("updateChecks");
    QTest::newRow("automatic check on") << "UpEnable=2" << QStringList{"automatic"};
    QTest::newRow("automatic check off") << "UpEnable=1" << QStringList();
}

void TestStartup::loadRunsEveryStage() {
    QFETCH(QString, upEnable);
    QFETCH(QStringList, updateChecks);
    LocaleScope scope("en_GB");
    Workspace w;
    MainForm& f = w.form;
    w.write("Data/Voltrake.ini",
            crlfLines(withLine(exampleConfiguration(), "UpEnable=2", upEnable)));
    f.CommandLine = "-ShortUpdateTime extra";
    f.setText("Date1", "01/01/2026");
    f.setText("TVCost", "12");

    f.load();

    QVERIFY(!f.ended());
    QCOMPARE(w.host.titles(), QStringList());
    QVERIFY(f.FileSystem);
    QCOMPARE(f.RunMode, 5);
    QVERIFY(!f.Loading);
    QCOMPARE(f.ErrorLocation, 156);
    QCOMPARE(f.text("NormalR1"), QString("£0.150000"));
    QCOMPARE(f.ResultsLogName, QString("Voltrake.log"));
    QCOMPARE(f.HistoryLogName, QString("Voltrake_H.log"));
    QCOMPARE(f.HistoryVersion, versionText());
    const QString entry =
        "Voltrake Started\r\nVersion " + versionText() + "\r\n05/12/2026 04:40:50\r\n";
    QCOMPARE(f.ReportText, entry);
    QVERIFY(w.read("Log/Voltrake.log").endsWith(files::encode(entry + "\r\n")));
    QVERIFY(QFile::exists(w.path("Log/Voltrake_H.log")));
    QCOMPARE(f.text("Date1"), QString());
    QCOMPARE(f.text("TVCost"), QString());
    QCOMPARE(w.host.updateChecks, updateChecks);
}

void TestStartup::runTimeErrorsEndInTheDump_data() {
    QTest::addColumn<QString>("failIn");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("message");
    // Keeping the window on top is a click action run while the configuration is read.
    QTest::newRow("while reading the configuration")
        << "setOnTop"
        << "RunOnTop=2"
        << "Error Number 164\r\nA Fatal Config Read Error";
    // The log files are stamped with the time they are created.
    QTest::newRow("while creating the logs") << "now"
                                             << "RunOnTop=1"
                                             << "Error Number 154\r\nA Fatal Loading Error";
    QTest::newRow("while starting the update check") << "startUpdateCheck"
                                                     << "RunOnTop=1"
                                                     << "Error Number 156\r\nA Fatal Loading Error";
}

void TestStartup::runTimeErrorsEndInTheDump() {
    QFETCH(QString, failIn);
    QFETCH(QString, setting);
    QFETCH(QString, message);
    LocaleScope scope("en_GB");
    Site s;
    writeFile(s.path("Data/Voltrake.ini"),
              crlfLines(withLine(exampleConfiguration(), "RunOnTop=1", setting)));
    s.host.failIn = failIn;

    s.form.load();

    QVERIFY(s.form.ended());
    QCOMPARE(s.host.titles(), QStringList{"Voltrake Fatal Error"});
    QVERIFY2(s.host.boxes[0].text.startsWith(message), qPrintable(s.host.boxes[0].text));
}

void TestStartup::historyUpgradeOnlyForAnotherVersion_data() {
    QTest::addColumn<QString>("versionLine");
    QTest::addColumn<bool>("upgraded");
    QTest::newRow("older version") << "Version 3.0" << true;
    QTest::newRow("this version") << "Version " + versionText() << false;
    QTest::newRow("no version line") << "Release" << false;
    QTest::newRow("version 0.0") << "Version 0.0" << false;
    QTest::newRow("not a number") << "Version x.y" << false;
}

void TestStartup::historyUpgradeOnlyForAnotherVersion() {
    QFETCH(QString, versionLine);
    QFETCH(bool, upgraded);
    LocaleScope scope("en_GB");
    Workspace w;
    w.write("Data/Voltrake.ini", crlfLines(exampleConfiguration()));
    w.write("Log/Voltrake.log", oldResultsLog);
    w.write("Log/Voltrake_H.log", crlfLines({"Voltrake History Log", versionLine, "File Created",
                                             "01-Jan-26 10:00:00", "", "", ""}));

    w.form.load();

    QVERIFY(!w.form.ended());
    const QStringList backups = QDir(w.path("Log")).entryList({"Voltrake_H_*.log"}, QDir::Files);
    QCOMPARE(!backups.isEmpty(), upgraded);
}

void TestStartup::firstActivationRestoresOnce() {
    LocaleScope scope("en_GB");
    Workspace w;
    MainForm& f = w.form;
    w.write("Data/Voltrake.ini", crlfLines(exampleConfiguration()));
    f.load();
    QVERIFY(!f.ended());
    f.model.setEnabled("Save", true);
    f.model.setChecked("OnTop", true);
    w.host.onTop.clear();

    f.activate();

    QVERIFY(f.Activated);
    QVERIFY(!f.model.enabled("Save"));
    QCOMPARE(f.text("Status"), QString("No Saved Meter Readings To Restore"));
    QCOMPARE(w.host.onTop, QStringList{"VoltrakeMain=1"});

    // Back from another window: on top again, but nothing is restored a second time.
    f.model.setEnabled("Save", true);
    f.setText("Status", "");
    f.activate();
    QVERIFY(f.model.enabled("Save"));
    QCOMPARE(f.text("Status"), QString());
    QCOMPARE(w.host.onTop, (QStringList{"VoltrakeMain=1", "VoltrakeMain=1"}));
    QCOMPARE(w.host.titles(), QStringList());
}

void TestStartup::exitAsksAboutAnUnsavedCalculation_data() {
    QTest::addColumn<bool>("unsaved");
    QTest::addColumn<bool>("answerOk");
    QTest::addColumn<bool>("saved");
    QTest::newRow("nothing to save") << false << false << false;
    QTest::newRow("unsaved, Cancel") << true << false << false;
    QTest::newRow("unsaved, OK") << true << true << true;
}

void TestStartup::exitAsksAboutAnUnsavedCalculation() {
    QFETCH(bool, unsaved);
    QFETCH(bool, answerOk);
    QFETCH(bool, saved);
    Workspace w;
    MainForm& f = w.form;
    f.FileSystem = true;
    f.ResultsLogName = "Voltrake.log";
    f.HistoryLogName = "Voltrake_H.log";
    w.write("Log/Voltrake.log", "");
    w.write("Log/Voltrake_H.log", "");
    f.ReportText = "report";
    f.model.setEnabled("Save", unsaved);
    w.host.answers = {answerOk ? Host::Answer::Ok : Host::Answer::Cancel};

    f.buttonClicked("Exit");

    QVERIFY(f.ended());
    QCOMPARE(w.host.updateWindowClosed, 1);
    if (unsaved) {
        QCOMPARE(w.host.titles(), QStringList{"Voltrake Calculation Not Saved"});
        QCOMPARE(w.host.boxes[0].text, QString("There is an unsaved calculation\r\n"
                                               "Click OK to save it and Cancel to exit"));
        QCOMPARE(w.host.boxes[0].buttons, Host::Buttons::OkCancel);
        QCOMPARE(w.host.boxes[0].icon, Host::Icon::Question);
    } else {
        QCOMPARE(w.host.titles(), QStringList());
    }
    QCOMPARE(w.read("Log/Voltrake.log"), saved ? QByteArray("report\r\n") : QByteArray());
}

void TestStartup::onTopClick() {
    Workspace w;
    w.form.userSetChecked("OnTop", true);
    QCOMPARE(w.form.RunOnTop, 2);
    w.form.userSetChecked("OnTop", false);
    QCOMPARE(w.form.RunOnTop, 1);
    QCOMPARE(w.host.onTop, (QStringList{"VoltrakeMain=1", "VoltrakeMain=0"}));
}

void TestStartup::timerEmptiesTheStatusLine() {
    Workspace w;
    QVERIFY(!w.form.model.enabled("Timer1"));
    w.form.setStatus("Defaults Saved");
    QVERIFY(w.form.model.enabled("Timer1"));

    w.form.timerTick("Timer1");

    QCOMPARE(w.form.text("Status"), QString());
    QVERIFY(!w.form.model.enabled("Timer1"));
}

void TestStartup::checkDirectoryMessage() {
    Workspace w;
    QVERIFY(!ends([&] { CheckDirectory(w.form, "Log"); }));
    QCOMPARE(w.host.titles(), QStringList());

    QVERIFY(QDir(w.dir()).rmdir("Log"));
    w.write("Log", "a file, not a directory");
    QVERIFY(ends([&] { CheckDirectory(w.form, "Log"); }));
    QCOMPARE(w.host.titles(), QStringList{"Voltrake Log Directory Error"});
    QCOMPARE(w.host.boxes[0].text, QString("The Log directory does not exist.\r\n"
                                           "To restore the Log directory\r\n"
                                           "reinstall the program.\r\n"
                                           "The program will now terminate."));
    QVERIFY(w.host.ended);
}

void TestStartup::checkFileTitleInProperCase_data() {
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("title");
    QTest::newRow("history log") << "history log"
                                 << "Voltrake History Log File Error";
    QTest::newRow("results log") << "results log"
                                 << "Voltrake Results Log File Error";
    QTest::newRow("shouting") << "RESULTS LOG"
                              << "Voltrake Results Log File Error";
    QTest::newRow("one word") << "updater"
                              << "Voltrake Updater File Error";
}

void TestStartup::checkFileTitleInProperCase() {
    QFETCH(QString, description);
    QFETCH(QString, title);
    Workspace w;
    w.write("Log/there.log", "x");
    QVERIFY(CheckFile(w.form, description, "Log", "there.log"));
    QCOMPARE(w.host.titles(), QStringList());

    QVERIFY(!CheckFile(w.form, description, "Log", "missing.log"));

    QCOMPARE(w.host.titles(), QStringList{title});
    QCOMPARE(w.host.boxes[0].text, "The " + description + " file is either missing or\r\n" +
                                       "corrupted. Delete the " + description + " file if\r\n" +
                                       "it exists and restart the program.");
    QCOMPARE(w.host.boxes[0].icon, Host::Icon::Warning);
    QVERIFY(!w.host.ended);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
