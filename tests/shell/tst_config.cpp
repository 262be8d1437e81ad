// The configuration file: what Save Data writes, what reading accepts, and Reset Data.

#include "shell/config.h"
#include "shell_testing.h"

#include <QRandomGenerator>
#include <QtTest>
#include <optional>

#include <csignal>
#include <sys/resource.h>

using namespace shelltest;

namespace {

QStringList replaced(QStringList lines, const QString& from, const QString& to) {
    const qsizetype at = lines.indexOf(from);
    if (at >= 0)
        lines[at] = to;
    return lines;
}

QStringList without(QStringList lines, const QString& line) {
    lines.removeAll(line);
    return lines;
}

QStringList plus(QStringList lines, const QString& line) {
    lines.append(line);
    return lines;
}

void fillExampleWindow(MainForm& f, const QStringList& texts) {
    const QStringList names = {"NormalR1", "CheapR", "SCharge", "VAT", "CO2"};
    for (qsizetype i = 0; i < names.size(); ++i)
        f.setText(names[i], texts[i]);
    f.model.setChecked("UpEnable1", true);
}

} // namespace

class TestConfig : public QObject {
    Q_OBJECT

  private slots:
    void saveWritesTheWholeFile_data();
    void saveWritesTheWholeFile();
    void saveRefusesBadTariffData();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void resetRestoresWhatWasSaved_data();
    void resetRestoresWhatWasSaved();
    void readingOutcome_data();
    void readingOutcome();
    void readingTheExampleFile();
    void repeatedKeyWinsAndMissingKeepsEarlierValue();
    void decimalCommaReadsUpToTheComma_data();
    void decimalCommaReadsUpToTheComma();
    void wholeSettingsRoundHalvesToEven_data();
    void wholeSettingsRoundHalvesToEven();
    void blankBeforeHashIsNotAComment();
    void missingFileEndsTheProgram();
    void shippedFileIsInTheWrittenLayout();
};

void TestConfig::saveWritesTheWholeFile_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("texts"); // NormalR1, CheapR, SCharge, VAT, CO2

    QTest::newRow("en_GB") << "en_GB"
                           << QStringList{"0.150000", "0.050000", "12.50", "17.5", "0.43"};
    QTest::newRow("en_GB with symbols")
        << "en_GB" << QStringList{"£0.150000", "£0.050000", "£12.50", "17.5", "0.43"};
    QTest::newRow("as typed") << "en_GB" << QStringList{"0.15", ".05", "12.5", "17.5", "0.43"};
    QTest::newRow("C") << "C" << QStringList{"0.150000", "0.050000", "12.50", "17.5", "0.43"};
    QTest::newRow("de_DE") << "de_DE"
                           << QStringList{"0,150000", "0,050000", "12,50", "17,5", "0,43"};
    QTest::newRow("fr_FR") << "fr_FR"
                           << QStringList{"0,150000", "0,050000", "12,50", "17,5", "0,43"};
}

// Every number is written with a full stop, in every locale, so the file means the same
// wherever it is read.
void TestConfig::saveWritesTheWholeFile() {
    QFETCH(QString, locale);
    QFETCH(QStringList, texts);
    LocaleScope scope(locale);
    Workspace w;
    fillExampleWindow(w.form, texts);

    w.form.buttonClicked("Save_Defaults");

    QCOMPARE(w.host.titles(), QStringList());
    const QByteArray expected = crlfLines(exampleConfiguration(values::ddMmmYyTime(w.host.clock)));
    QCOMPARE(w.read("Data/Voltrake.ini"), expected);
    QCOMPARE(w.form.text("Status"), QString("Defaults Saved"));
    QVERIFY(w.form.model.enabled("Timer1"));
    QVERIFY(!w.host.ended);
}

void TestConfig::saveRefusesBadTariffData() {
    LocaleScope scope("en_GB");
    Workspace w;
    w.write("Data/Voltrake.ini", "old\r\n");
    fillExampleWindow(w.form, {"2", "0.050000", "12.50", "17.5", "0.43"});

    w.form.buttonClicked("Save_Defaults");

    QCOMPARE(w.host.titles(), QStringList{"Voltrake Data Error"});
    QCOMPARE(w.host.boxes[0].text,
             QString("Normal Rate 1 must be between 0.010000 and 0.990000\n"));
    QCOMPARE(w.host.boxes[0].icon, Host::Icon::Warning);
    QCOMPARE(w.read("Data/Voltrake.ini"), QByteArray("old\r\n"));
    QCOMPARE(w.form.text("Status"), QString());
}

void TestConfig::failedWriteKeepsTheOldFile_data() {
    QTest::addColumn<QString>("failure");
    QTest::newRow("disk full") << "disk full";
    QTest::newRow("read-only Data directory") << "read-only";
    QTest::newRow("a directory in the file's place") << "directory";
}

void TestConfig::failedWriteKeepsTheOldFile() {
    QFETCH(QString, failure);
    LocaleScope scope("en_GB");
    Workspace w;
    const QByteArray old = crlfLines(exampleConfiguration());
    if (failure == "directory")
        QVERIFY(QDir(w.path("Data")).mkdir("Voltrake.ini"));
    else
        w.write("Data/Voltrake.ini", old);
    fillExampleWindow(w.form, {"0.2", "0.06", "20", "5", "0.5"});

    rlimit saved{};
    if (failure == "disk full") {
        // Every file write beyond 40 bytes fails, as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        rlimit small = saved;
        small.rlim_cur = 40;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    } else if (failure == "read-only") {
        QFile::setPermissions(w.path("Data"), QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(w.path("Data/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(w.path("Data"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("permissions do not bind this user");
        }
    }

    w.form.buttonClicked("Save_Defaults");

    if (failure == "disk full")
        setrlimit(RLIMIT_FSIZE, &saved);
    if (failure == "read-only")
        QFile::setPermissions(w.path("Data"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(w.host.titles(), QStringList{"Voltrake Configuration File Error"});
    QCOMPARE(w.host.boxes[0].text, QString("Unable to write to the configuration file.\r\n"
                                           "This may be a permissions problem."));
    QCOMPARE(w.host.boxes[0].icon, Host::Icon::Warning);
    QVERIFY(!w.host.ended);
    QVERIFY(w.form.text("Status") != "Defaults Saved");
    if (failure != "directory")
        QCOMPARE(w.read("Data/Voltrake.ini"), old);
    // No temporary file is left behind.
    QCOMPARE(QDir(w.path("Data")).entryList(QDir::Files),
             QStringList(failure == "directory" ? QStringList() : QStringList{"Voltrake.ini"}));
}

void TestConfig::resetRestoresWhatWasSaved_data() {
    QTest::addColumn<QString>("saveLocale");
    QTest::addColumn<QString>("readLocale");
    QTest::newRow("en_GB") << "en_GB"
                           << "en_GB";
    QTest::newRow("de_DE") << "de_DE"
                           << "de_DE";
    QTest::newRow("fr_FR") << "fr_FR"
                           << "fr_FR";
    QTest::newRow("saved in de_DE, read in en_GB") << "de_DE"
                                                   << "en_GB";
    QTest::newRow("saved in en_GB, read in de_DE") << "en_GB"
                                                   << "de_DE";
}

void TestConfig::resetRestoresWhatWasSaved() {
    QFETCH(QString, saveLocale);
    QFETCH(QString, readLocale);
    std::optional<LocaleScope> scope(std::in_place, saveLocale);
    Workspace w;
    MainForm& f = w.form;
    w.write("Data/Voltrake.ini", crlfLines(exampleConfiguration()));
    QVERIFY(!ends([&] { ReadConfiguration(f); }));

    // Switches first: their click actions clear fields.
    f.model.setChecked("Period", true);
    f.model.setChecked("Disc1P", true);
    f.model.setChecked("Disc2F", true);
    f.model.setChecked("AutoSave", true);
    f.model.setChecked("OnTop", true);
    f.model.setChecked("UpEnable1", false);
    const QList<std::pair<QString, double>> fields = {
        {"NormalR1", 0.123456}, {"NormalR2", 0.2}, {"BPoint", 500}, {"CheapR", 0.055},
        {"SCharge", 12.75},     {"Disc1", 5},      {"Disc2", 3.25}, {"VAT", 17.5},
        {"CO2", 0.54},          {"PRate", 6}};
    for (const auto& [name, value] : fields)
        f.setText(name, values::plainNumber(value));
    f.BreakPointPerDay = values::fixed(2.5, values::Fixed::Two);

    f.buttonClicked("Save_Defaults");
    QCOMPARE(w.host.titles(), QStringList());
    QVERIFY(!w.read("Data/Voltrake.ini").contains(','));

    // The user edits, switching Discount 1 to an amount, then throws the edits away: the
    // restored percentage survives the Disc1P click that Reset Data runs.
    f.model.setChecked("Disc1P", false);
    for (const auto& [name, value] : fields)
        f.setText(name, values::plainNumber(value + 1));
    f.BreakPointUnits = "0";
    f.BreakPointPerDay = "0";
    f.InputSignature = "x";
    f.LastInputSignature = "x";
    f.model.setEnabled("Save", true);

    scope.emplace(readLocale);
    f.buttonClicked("Reset_Defaults");

    QCOMPARE(w.host.titles(), QStringList());
    for (const auto& [name, value] : fields)
        QCOMPARE(amount(f.text(name)), value);
    QCOMPARE(amount(f.BreakPointUnits), 500.0);
    QCOMPARE(amount(f.BreakPointPerDay), 2.5);
    QVERIFY(f.ticked("Period"));
    QVERIFY(f.ticked("Disc1P"));
    QVERIFY(f.ticked("Disc2F"));
    QVERIFY(f.ticked("AutoSave"));
    QVERIFY(f.ticked("OnTop"));
    QVERIFY(!f.ticked("UpEnable1"));
    QVERIFY(!f.ticked("DRate"));
    QCOMPARE(f.RunOnTop, 2);
    QCOMPARE(f.UpEnable, 1);
    QCOMPARE(f.text("Status"), QString("Defaults Restored"));
    QVERIFY(f.model.enabled("Timer1"));
    QVERIFY(!f.model.enabled("Save"));
    QCOMPARE(f.InputSignature, QString());
    QCOMPARE(f.LastInputSignature, QString());
}

void TestConfig::readingOutcome_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("atStartUp"); // else read once before with the example file
    QTest::addColumn<QString>("expected");

    const QStringList ex = exampleConfiguration();
    auto row = [](const char* name, const QStringList& lines, bool start, const char* expected) {
        QTest::newRow(name) << crlfLines(lines) << start << QString(expected);
    };
    row("example", ex, true, "ok");
    row("repeated key", plus(ex, "CRate=1.05"), true, "corrupted");
    row("missing key", without(ex, "CRate=1.05"), true, "corrupted");
    row("repeated and missing key", plus(without(ex, "CRate=1.05"), "SCharge=20"), true, "ok");
    row("key in lower case", replaced(ex, "CRate=1.05", "crate=1.05"), true, "corrupted");
    row("blanks around a key", replaced(ex, "CRate=1.05", "   CRate=1.05   "), true, "ok");
    row("tab before a key", replaced(ex, "CRate=1.05", "\tCRate=1.05"), true, "corrupted");
    row("blank before #", plus(ex, " # note"), true, "ok");
    row("decimal comma", replaced(ex, "CRate=1.05", "CRate=1,05"), true, "ok");
    row("DRate=3", replaced(ex, "DRate=1", "DRate=3"), true, "corrupted");
    row("RunOnTop=0", replaced(ex, "RunOnTop=1", "RunOnTop=0"), true, "corrupted");
    row("UpEnable=-1", replaced(ex, "UpEnable=2", "UpEnable=-1"), true, "corrupted");
    row("Disc1PT=3", replaced(ex, "Disc1PT=1", "Disc1PT=3"), true, "corrupted");
    row("Disc2FT not a number", replaced(ex, "Disc2FT=1", "Disc2FT=x"), true, "corrupted");
    row("PeriodT=1.5", replaced(ex, "PeriodT=1", "PeriodT=1.5"), true, "corrupted");
    row("[Run] twice, no [Data]", replaced(ex, "[Data]", "[Run]"), true, "ok");
    row("no sections", without(without(ex, "[Run]"), "[Data]"), true, "corrupted");
    row("three sections", plus(ex, "[Data]"), true, "corrupted");
    row("Disc1PT missing at start-up", without(ex, "Disc1PT=1"), true,
        "dump 163 A Fatal Config Read Error Has Occurred");
    row("PeriodT missing at start-up", without(ex, "PeriodT=1"), true,
        "dump 163 A Fatal Config Read Error Has Occurred");
    row("Disc1PT missing later", without(ex, "Disc1PT=1"), false, "corrupted");
    row("huge whole setting", replaced(ex, "RunOnTop=1", "RunOnTop=1e300"), true,
        "dump 162 A Fatal Config Read Error Has Occurred");
    row("huge negative whole setting", replaced(ex, "DRate=1", "DRate=-99999"), true,
        "dump 162 A Fatal Config Read Error Has Occurred");
    row("nan rate", replaced(ex, "NRate1=0.150000", "NRate1=nan"), true, "corrupted");
    row("inf rate", replaced(ex, "CRate=1.05", "CRate=inf"), true, "corrupted");
    row("huge rate", replaced(ex, "NRate1=0.150000", "NRate1=1e999"), true, "corrupted");
    row("out of range tariff", replaced(ex, "SCharge=13.5", "SCharge=200"), true, "corrupted");
    row("empty file at start-up", {}, true, "dump 163 A Fatal Config Read Error Has Occurred");
    row("empty file later", {}, false, "corrupted");
    row("1 MB junk line", plus(ex, QString(1 << 20, 'x')), true, "ok");
    row("1 MB number", replaced(ex, "CRate=1.05", "CRate=" + QString(1 << 20, '1')), true,
        "corrupted");

    QByteArray lf = crlfLines(ex);
    lf.replace("\r\n", "\n");
    QTest::newRow("LF line ends") << lf << true << "ok";
    QByteArray nul = crlfLines(ex);
    nul.replace("CRate=1.05", QByteArray("CRate=1.05\0junk", 15));
    QTest::newRow("NUL after a value") << nul << true << "ok";
    QTest::newRow("high bytes in a comment")
        << crlfLines(ex) + QByteArray("# caf\xe9 \x80\x81\xff\r\n") << true << "ok";

    QByteArray noise(4096, '\0');
    QRandomGenerator random(1234);
    for (char& c : noise)
        c = char(random.bounded(256));
    QTest::newRow("binary at start-up")
        << noise << true << "dump 163 A Fatal Config Read Error Has Occurred";
    QTest::newRow("binary later") << noise << false << "corrupted";
    QTest::newRow("binary after the file") << crlfLines(ex) + noise << true << "ok";
}

void TestConfig::readingOutcome() {
    QFETCH(QByteArray, file);
    QFETCH(bool, atStartUp);
    QFETCH(QString, expected);
    LocaleScope scope("en_GB");
    Workspace w;
    MainForm& f = w.form;
    f.FileSystem = true;
    f.ResultsLogName = "Voltrake.log";
    if (atStartUp) {
        f.Loading = true;
    } else {
        w.write("Data/Voltrake.ini", crlfLines(exampleConfiguration()));
        QVERIFY(!ends([&] { ReadConfiguration(f); }));
        QCOMPARE(outcome(w), QString("ok"));
    }
    w.write("Data/Voltrake.ini", file);

    const bool ended = ends([&] { ReadConfiguration(f); });

    QCOMPARE(outcome(w), expected);
    QCOMPARE(ended, expected != "ok");
}

void TestConfig::readingTheExampleFile() {
    LocaleScope scope("en_GB");
    Workspace w;
    MainForm& f = w.form;
    f.Loading = true;
    w.write("Data/Voltrake.ini", crlfLines(exampleConfiguration()));

    QVERIFY(!ends([&] { ReadConfiguration(f); }));

    QCOMPARE(f.text("NormalR1"), QString("£0.150000"));
    QCOMPARE(f.text("NormalR2"), QString());
    QCOMPARE(f.text("CheapR"), QString("£0.050000"));
    QCOMPARE(f.text("SCharge"), QString("£12.50"));
    QCOMPARE(f.text("Disc1"), QString());
    QCOMPARE(f.text("Disc2"), QString());
    QCOMPARE(f.text("VAT"), QString("17.5"));
    QCOMPARE(f.text("CO2"), QString("0.43"));
    QCOMPARE(f.text("PRate"), QString());
    QCOMPARE(f.BreakPointUnits, QString("0"));
    QCOMPARE(f.BreakPointPerDay, QString("0"));
    QCOMPARE(f.text("BPoint"), QString("0"));
    QCOMPARE(f.Disc1PT, QString("1"));
    QCOMPARE(f.Disc2FT, QString("1"));
    QCOMPARE(f.PeriodT, QString("1"));
    QCOMPARE(f.LogLevel, 1);
    QCOMPARE(f.RunOnTop, 1);
    QCOMPARE(f.DRateSetting, 1);
    QCOMPARE(f.UpEnable, 2);
    QVERIFY(f.ticked("UpEnable1"));
    for (const char* box : {"OnTop", "Disc1P", "Disc2F", "DRate", "AutoSave", "Period"})
        QVERIFY2(!f.ticked(box), box);
    QCOMPARE(f.DataErrors, QString());
    QCOMPARE(f.ConfigText,
             QString("Voltrake Configuration\r\n----------------------\r\n[Run]\r\nLogLevel=1\r\n"
                     "RunOnTop=1\r\n[Data]\r\nBreakP=1\r\nBreakPD=1\r\nCORate=0.43\r\n"
                     "CRate=1.05\r\nDisc1=1\r\nDisc1PT=1\r\nDisc2=1\r\nDisc2FT=1\r\nDRate=1\r\n"
                     "NRate1=0.150000\r\nNRate2=1\r\nPeriodT=1\r\nPredict=1\r\nSCharge=13.5\r\n"
                     "UpEnable=2\r\nVRate=18.5\r\n\r\n"));

    // A setting that changes a box runs its click action: OnTop puts the window on top.
    w.write("Data/Voltrake.ini",
            crlfLines(replaced(exampleConfiguration(), "RunOnTop=1", "RunOnTop=2")));
    QVERIFY(!ends([&] { ReadConfiguration(f); }));
    QVERIFY(f.ticked("OnTop"));
    QCOMPARE(w.host.onTop, QStringList{"VoltrakeMain=1"});
}

void TestConfig::repeatedKeyWinsAndMissingKeepsEarlierValue() {
    LocaleScope scope("en_GB");
    Workspace w;
    MainForm& f = w.form;
    w.write("Data/Voltrake.ini", crlfLines(exampleConfiguration()));
    QVERIFY(!ends([&] { ReadConfiguration(f); }));
    f.setText("CheapR", "0.070000");

    w.write("Data/Voltrake.ini",
            crlfLines(plus(without(exampleConfiguration(), "CRate=1.05"), "SCharge=20")));
    QVERIFY(!ends([&] { ReadConfiguration(f); }));

    QCOMPARE(outcome(w), QString("ok"));
    QCOMPARE(amount(f.text("CheapR")), 0.07);
    QCOMPARE(amount(f.text("SCharge")), 19.0);
}

void TestConfig::decimalCommaReadsUpToTheComma_data() {
    QTest::addColumn<QString>("locale");
    QTest::newRow("en_GB") << "en_GB";
    QTest::newRow("de_DE") << "de_DE";
}

// The file knows only the full stop: a hand-written comma ends the number in every locale.
void TestConfig::decimalCommaReadsUpToTheComma() {
    QFETCH(QString, locale);
    LocaleScope scope(locale);
    Workspace w;
    w.write("Data/Voltrake.ini",
            crlfLines(replaced(exampleConfiguration(), "CRate=1.05", "CRate=1,05")));

    QVERIFY(!ends([&] { ReadConfiguration(w.form); }));

    QCOMPARE(w.form.text("CheapR"), QString());
}

void TestConfig::wholeSettingsRoundHalvesToEven_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("drate");
    QTest::newRow("1.5 gives 2") << "DRate=1.5" << 2;
    QTest::newRow("2.5 gives 2") << "DRate=2.5" << 2;
    QTest::newRow("1.49 gives 1") << "DRate=1.49" << 1;
    QTest::newRow("0.5 gives 0") << "DRate=0.5" << 0;
    QTest::newRow("0.51 gives 1") << "DRate=0.51" << 1;
    QTest::newRow("3.5 gives 4") << "DRate=3.5" << 4;
    QTest::newRow("-0.5 gives 0") << "DRate=-0.5" << 0;
    QTest::newRow("-1.5 gives -2") << "DRate=-1.5" << -2;
}

void TestConfig::wholeSettingsRoundHalvesToEven() {
    QFETCH(QString, line);
    QFETCH(int, drate);
    LocaleScope scope("en_GB");
    Workspace w;
    QStringList lines = replaced(exampleConfiguration(), "DRate=1", line);
    lines = replaced(lines, "BreakPD=1", "BreakPD=3.5");
    w.write("Data/Voltrake.ini", crlfLines(lines));

    const bool ended = ends([&] { ReadConfiguration(w.form); });

    QCOMPARE(w.form.DRateSetting, drate);
    const bool valid = drate == 1 || drate == 2;
    QCOMPARE(ended, !valid);
    if (drate == 2) {
        QVERIFY(w.form.ticked("DRate"));
        QCOMPARE(amount(w.form.text("BPoint")), 2.5);
    }
}

void TestConfig::blankBeforeHashIsNotAComment() {
    LocaleScope scope("en_GB");
    Workspace w;
    QStringList lines = exampleConfiguration();
    lines.insert(4, " # set by hand");
    w.write("Data/Voltrake.ini", crlfLines(lines));

    QVERIFY(!ends([&] { ReadConfiguration(w.form); }));

    QVERIFY(w.form.ConfigText.startsWith(
        "Voltrake Configuration\r\n----------------------\r\n# set by hand\r\n[Run]\r\n"));
    QVERIFY(!w.form.ConfigText.contains("Configuration File"));
}

void TestConfig::missingFileEndsTheProgram() {
    Workspace w;

    QVERIFY(ends([&] { ReadConfiguration(w.form); }));

    QCOMPARE(w.host.titles(), QStringList{"Voltrake Configuration File Error"});
    QCOMPARE(w.host.boxes[0].text, QString("The configuration file is missing or corrupted.\r\n"
                                           "Reinstall the program to restore the file.\r\n"
                                           "The program will now terminate."));
    QCOMPARE(w.host.boxes[0].icon, Host::Icon::Error);
    QCOMPARE(w.form.ErrorLocation, 165);
    QVERIFY(w.host.ended);
}

// A new installation starts with a file Save Data could have written, with the example tariff
// and without the automatic update check.
void TestConfig::shippedFileIsInTheWrittenLayout() {
    const QString shipped = QFINDTESTDATA("../../dist/Data/Voltrake.ini");
    QVERIFY(!shipped.isEmpty());
    QFile file(shipped);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QStringList lines = QString::fromLatin1(bytes).split("\r\n");
    QCOMPARE(lines.takeLast(), QString());
    QVERIFY(lines.value(2).startsWith("# "));
    lines[2] = "# 05-Dec-26 04:40:50";
    QCOMPARE(lines, replaced(exampleConfiguration(), "UpEnable=2", "UpEnable=1"));

    LocaleScope scope("en_GB");
    Workspace w;
    w.write("Data/Voltrake.ini", bytes);
    QVERIFY(!ends([&] { ReadConfiguration(w.form); }));
    QCOMPARE(w.host.titles(), QStringList());
    QCOMPARE(w.form.UpEnable, 1);
}

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
