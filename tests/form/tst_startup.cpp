// The shell: start-up, the configuration file, the dump, Help, the web site, About and Exit.

#include "form/checkfiles.h"
#include "form/dump.h"
#include "form/startup.h"
#include "form/web.h"
#include "scriptedhost.h"
#include "text/errors.h"
#include "text/values.h"

#include <QtTest>

class TestShell : public QObject {
    Q_OBJECT

    // The configuration as installed, the automatic update check on.
    static QByteArray ini(const QByteArray& from = {}, const QByteArray& to = {}) {
        const QByteArray text = installedIni("UpEnable=1", "UpEnable=2");
        return from.isEmpty() ? text : QByteArray(text).replace(from, to);
    }

    // Fails, as a run-time error, at the call named by failIn ("now#2": the second call of now).
    struct FailingHost : ScriptedHost {
        QString failIn;
        QHash<QString, int> calls;
        void fail(const QString& call) {
            if (failIn == call + '#' + QString::number(++calls[call]))
                throw RuntimeError(errnum::FileIO, "Device I/O error");
        }
        QDateTime now() override { return fail("now"), ScriptedHost::now(); }
        void startUpdateCheck(bool a) override { fail("check"), ScriptedHost::startUpdateCheck(a); }
    };

  private slots:
    void runModeFromCommandLine_data() {
        QTest::addColumn<int>("mode"); // of the command line that names the row
        row("", 0);
        row("-InhibitErrorCheck -ShortUpdateTime", 1);
        row("-ShortUpdateTime -InhibitErrorCheck", 5);
        row("-inhibiterrorcheck", 0);
        row(" -InhibitErrorCheck", 0);
        row("-InhibitErrorChec", 0);
    }
    void runModeFromCommandLine() {
        QFETCH(int, mode);
        QCOMPARE(RunModeFromCommandLine(QTest::currentDataTag()), mode);
    }

    void load_data() {
        QTest::addColumn<QString>("fault");   // a directory removed, or a host call failing
        QTest::addColumn<QByteArray>("file"); // the configuration; null for none
        QTest::addColumn<QString>("seen"); // in "mark title: text", or "|CheapR|SCharge|ConfigText"
        const QString corrupted = "The configuration file is corrupted.";
        const QString example = "|£0.050000|£12.50|";
        row("no Help directory, though start-up never reads it", "Help", ini(),
            "151 Voltrake Help Directory Error: The Help directory does not exist.\r\nTo restore "
            "the Help directory\r\nreinstall the program.\r\nThe program will now terminate.");
        row("no configuration", "", QByteArray(),
            "165 Voltrake Configuration File Error: The configuration file is missing or corrupted."
            "\r\nReinstall the program to restore the file.\r\nThe program will now terminate.");
        row("log files fail", "now#1", ini(), "Error Number 154\r\nA Fatal Loading Error");
        row("start-up entry fails", "now#2", ini(), "Error Number 155\r\nA Fatal Loading Error");
        row("update check fails", "check#1", ini(), "Error Number 156\r\nA Fatal Loading Error");
        row("no update check when off", "check#1", ini("UpEnable=2", "UpEnable=1"), example);
        row("RunOnTop=0", "", ini("RunOnTop=1", "RunOnTop=0"), corrupted);
        row("repeated key", "", ini() + "CRate=1.07\r\n", corrupted);
        row("repeated and missing key", "", ini("SCharge=13.5\r\n", "") + "CRate=1.07\r\n",
            "|£0.070000||");
        row("key in lower case", "", ini("CRate", "crate"), corrupted);
        row("blank before #", "", ini() + " # note\r\n", "\r\n# note\r\n");
        row("decimal comma, de_DE", "", ini("CRate=1.05", "CRate=1,05"), "||");
        row("binary", "", qCompress(ini()), "163\r\nA Fatal Config Read");
        row("1 MB line", "", ini() + QByteArray(1 << 20, 'x'), example);
        row("nan rate", "", ini("NRate1=0.150000", "NRate1=nan"), corrupted);
        row("huge whole setting", "", ini("DRate=1", "DRate=1e300"), "162\r\nA Fatal Config Read");
    }
    void load() {
        QFETCH(QString, fault);
        QFETCH(QByteArray, file);
        QFETCH(QString, seen);
        LocaleScope scope(QString(QTest::currentDataTag()).endsWith("de_DE") ? "de_DE" : "en_GB");
        Workspace w;
        FailingHost h;
        MainForm f{h};
        f.baseDir = w.dir();
        h.failIn = fault;
        QDir().rmdir(w.path(fault)); // when it names a directory
        w.write("Log/Voltrake.log", "Voltrake Results Log\r\n");
        if (!file.isNull())
            w.write("Data/Voltrake.ini", file);

        f.load();

        const QString shown =
            f.ended()
                ? QString::number(f.ErrorLocation) + ' ' + h.boxes[0].title + ": " + h.boxes[0].text
                : '|' + f.text("CheapR") + '|' + f.text("SCharge") + '|' + f.ConfigText;
        QVERIFY2(shown.contains(seen) && h.boxes.size() == f.ended(), qPrintable(shown));
        if (seen.contains("Fatal")) // the dump reaches the log of the last run
            QVERIFY(w.read("Log/Voltrake.log").contains(' ' + shown.left(3).toLatin1() + " ****"));
        if (f.ended())
            return;
        for (const bool first : {true, false}) {
            f.model.setEnabled("Save", true);
            f.activate(); // the first activation restores the last readings, the next ones do not
            QCOMPARE(f.model.enabled("Save"), !first);
        }
        QCOMPARE(f.text("Status"), QString("No Saved Meter Readings To Restore"));
    }

    void saveThenReset() {
        for (const char* locale : {"en_GB", "de_DE"}) {
            LocaleScope scope(locale);
            Workspace w;
            MainForm& f = w.form;
            w.write("Data/Voltrake.ini", ini());
            f.load();
            const QStringList boxes{"Period", "Disc1P", "Disc2F", "AutoSave", "OnTop", "UpEnable1"};
            for (const QString& box : boxes) // first: their click actions clear fields
                f.model.setChecked(box, box != "UpEnable1");
            const QList<std::pair<QString, double>> fields = {
                {"NormalR1", 0.123456}, {"NormalR2", 0.2}, {"BPoint", 500}, {"CheapR", 0.055},
                {"SCharge", 12.75},     {"Disc1", 5},      {"Disc2", 3.25}, {"VAT", 17.5},
                {"CO2", 0.54},          {"PRate", 6}};
            for (const auto& [name, value] : fields)
                f.setText(name, values::plainNumber(value));
            f.BreakPointPerDay = values::fixed(2.5, values::Fixed::Two);
            f.buttonClicked("Save_Defaults");
            const QByteArray saved = // full stops in every locale, so it reads the same anywhere
                "# Voltrake Version " + versionText().toLatin1() +
                "\r\n# Configuration File\r\n# 05-Dec-26 04:40:50\r\n\r\n[Run]\r\nLogLevel=2\r\n"
                "RunOnTop=2\r\n\r\n[Data]\r\nBreakP=501\r\nBreakPD=3.5\r\nCORate=0.54\r\n"
                "CRate=1.055\r\nDisc1=6\r\nDisc1PT=2\r\nDisc2=4.25\r\nDisc2FT=2\r\nDRate=1\r\n"
                "NRate1=0.123456\r\nNRate2=1.2\r\nPeriodT=2\r\nPredict=7\r\nSCharge=13.75\r\n"
                "UpEnable=1\r\nVRate=18.5\r\n";
            QCOMPARE(w.read("Data/Voltrake.ini"), saved);

            // Every edit thrown away, Discount 1 switched to an amount: Reset Data restores it
            // all (the percentage survives the Disc1P click it runs); saving again writes the same.
            for (const QString& box : boxes)
                f.model.setChecked(box, box == "UpEnable1");
            for (const auto& [name, value] : fields)
                f.setText(name, "9");
            f.BreakPointPerDay = "0";
            f.model.setEnabled("Save", true);
            f.buttonClicked("Reset_Defaults");
            QVERIFY(f.text("Status") == "Defaults Restored" && !f.model.enabled("Save"));
            QFile::remove(w.path("Data/Voltrake.ini"));
            f.buttonClicked("Save_Defaults");
            QCOMPARE(w.read("Data/Voltrake.ini"), saved);
        }
    }

    // Pages named by an update document stay on the maker's site, whatever they hold.
    void webPage_data() {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("address"); // empty: not opened
        const QString site = "http://www.example.org/";
        row("home page", site, "", site);
        row("page", site, "software/voltrake/index.htm", site + "software/voltrake/index.htm");
        row("query and fragment", site, "dl.php?f=a b&v=1#top", site + "dl.php?f=a%20b&v=1#top");
        row("blank, backslash, line feed", site, "a b\\c\nd", site + "a%20b%5Cc%0Ad");
        row("percent escapes kept, stray percent encoded", site, "a%20b%zz%",
            site + "a%20b%25zz%25");
        row("non-ASCII", site, "caf\u00e9", site + "caf%C3%A9");
        row("dot segments inside", site, "a/./b/../c", site + "a/c");
        row("back to the root", site, "a/..", site);
        row("under a root with a path", "https://example.org/shop/", "x/../y",
            "https://example.org/shop/y");
        row("second fragment mark", site, "a#b#c", site + "a#b%23c");
        row("climbs above the root", site, "../x", "");
        row("climbs through a blank", site, "../../../../../../../../../../x y/../etc/passwd", "");
        row("climbs by escapes", site, "%2E%2e/etc/passwd", "");
        row("climbs above a root with a path", "https://example.org/shop/", "a/../../x", "");
        row("climbs with a backslash", site, "..\\..\\etc/../../passwd", "");
        row("another scheme in the page", site, "file:///etc/passwd", site + "file:///etc/passwd");
        row("another host in the page", site, "//evil.example/x", site + "//evil.example/x");
        row("file root", "file:///usr/share/", "doc", "");
        row("root with no host", "http:///", "a", "");
        row("root that is a path", "/etc/", "passwd", "");
        row("root not ending in a slash", "http://www.example.org/a", "b", "");
    }
    void webPage() {
        QFETCH(QString, root);
        QFETCH(QString, page);
        QFETCH(QString, address);
        QCOMPARE(webPageAddress(root, page).toString(QUrl::FullyEncoded), address);
        Workspace w;
        w.form.webSiteRoot = root;
        OpenWebPage(w.form, page);
        QCOMPARE(w.host.opened, address.isEmpty() ? QStringList() : QStringList(address));
        QCOMPARE(w.host.titles(),
                 address.isEmpty() ? QStringList("Voltrake Error") : QStringList());
        if (address.isEmpty())
            QCOMPARE(w.host.boxes[0].text, QString("Unable to launch Browser."));
    }

    // Under -InhibitErrorCheck a number out of range is saved, but a text that is no number is
    // refused as a check would: whatever is saved, the next normal start reads.
    void saveUnderInhibitErrorCheck_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refused"); // the data error, or empty when saved
        row("NormalR1 abc", "NormalR1", "abc",
            "Normal Rate 1 must be between 0.010000 and 0.990000");
        row("CO2 abc", "CO2", "abc", "CO2 Conversion Rate must be between 0.1 and 2");
        row("VAT 12abc", "VAT", "12abc", "VAT Rate must be 0 or between 1 and 50%");
        row("SCharge with symbol, 1,0,0", "SCharge", "£1,0,0",
            "Fixed Charge must be either 0 or between 5 and 99");
        row("NormalR1 out of range", "NormalR1", "0.995", "");
        row("SCharge with symbol", "SCharge", "£12.00", "");
        row("Disc2 empty", "Disc2", "", "");
    }
    void saveUnderInhibitErrorCheck() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, refused);
        LocaleScope scope("en_GB");
        Workspace w;
        MainForm& f = w.form;
        w.write("Data/Voltrake.ini", ini());
        f.load();
        f.RunMode = 1;
        f.setText(field, text);
        f.buttonClicked("Save_Defaults");
        QCOMPARE(w.host.titles(),
                 refused.isEmpty() ? QStringList() : QStringList("Voltrake Data Error"));
        if (!refused.isEmpty()) {
            QCOMPARE(w.host.boxes[0].text, refused + '\n');
            QCOMPARE(w.read("Data/Voltrake.ini"), ini());
            return;
        }
        QCOMPARE(f.text("Status"), QString("Defaults Saved"));
        // The file reads back: in this mode when it holds numbers out of range, else anyhow.
        Workspace next;
        next.write("Data/Voltrake.ini", w.read("Data/Voltrake.ini"));
        if (QString(QTest::currentDataTag()).contains("out of range"))
            next.form.CommandLine = "-InhibitErrorCheck";
        next.form.load();
        QVERIFY(!next.form.ended() && next.host.boxes.isEmpty());
    }

    // After a good start: a button, a file check or a dump; the row name says what is missing.
    void afterStart_data() {
        QTest::addColumn<QString>("action"); // a button, a description for CheckFile, or "dump"
        QTest::addColumn<QString>("seen"); // messages, pages opened, About, log added, closing, end
        const QString noBrowser = "Voltrake Error: Unable to launch Browser. | open ";
        const QString unsaved =
            "Voltrake Calculation Not Saved: There is an unsaved calculation\r\n"
            "Click OK to save it and Cancel to exit | ";
        const QString fatal = "Voltrake Fatal Error: Error Number 153\r\nA Fatal Loading Error Has "
                              "Occurred\r\nThe Program Will Now Terminate | ";
        const QString config = "Voltrake Configuration\r\n----------------------\r\n" +
                               ini().mid(ini().indexOf("[Run]")).replace("\r\n\r\n", "\r\n") +
                               "\r\n";
        const QString block =
            "log +05/12/2026 04:40:50\r\nVoltrake\r\nVersion " + versionText() +
            "\r\n\r\n******** Loading Error 153 ********\r\n\r\n"
            "Dump of configuration file and available program data follows:\r\n\r\n\r\n%1\r\n\r\n"
            "Electricity Data\r\n----------------\r\n"
            "£0.150000, , £12.50, , , £0.050000, 17.5, 0, , 0, 0.43, 0, 1, 0, 0, 1\r\n\r\n"
            "Program Internals\r\n-----------------\r\n0, 2.50, 2, 1, 1\r\n\r\nProgram Data\r\n"
            "------------\r\n, , , NRead2, \r\nNotes\r\n\r\nProgram Actual\r\n--------------\r\n"
            ", , , , , NR1Cost, , , , , , , , , , \r\n\r\nProgram Predicted\r\n"
            "-----------------\r\n, , , , , , , , , , , , , TCO2P\r\n\r\n"
            "***** End of Error Dump *****\r\n\r\n\r\n | end";
        row("Help", "Help1", "open Help/index.htm");
        row("Help, no browser", "Help1", noBrowser + "Help/index.htm");
        row("Help, no page", "Help1",
            "Voltrake Help File Error: The help file is either missing or\r\ncorrupted. Reinstall "
            "the program\r\nto correct the error.\r\n");
        row("Logo opens the home page", "Logo", "open http://www.example.org/");
        row("About", "About", "About window");
        row("Exit", "Exit", "update window closed | end");
        row("Exit, unsaved: OK saves", "Exit",
            unsaved + "log +report\r\n | update window closed | end");
        row("Exit, unsaved: Cancel does not", "Exit", unsaved + "update window closed | end");
        row("file check, title in proper case", "hISTORY lOG",
            "Voltrake History Log File Error: The hISTORY lOG file is either missing or\r\n"
            "corrupted. Delete the hISTORY lOG file if\r\nit exists and restart the program.");
        row("dump", "dump", fatal + block.arg(config));
        row("dump, configuration not read yet", "dump", fatal + block.arg(""));
        row("dump, no results log", "dump", fatal + "end");
    }
    void afterStart() {
        QFETCH(QString, action);
        QFETCH(QString, seen);
        const QString tag = QTest::currentDataTag();
        LocaleScope scope("en_GB");
        Workspace w;
        MainForm& f = w.form;
        w.write("Data/Voltrake.ini", ini());
        if (!tag.contains("no page"))
            w.write("Help/index.htm", "<html></html>");
        f.webSiteRoot = "http://www.example.org/";
        f.load();
        const QByteArray before = w.read("Log/Voltrake.log");
        f.ReportText = "report";
        f.model.setEnabled("Save", tag.contains("unsaved"));
        w.host.answers = {tag.contains("Cancel") ? Host::Answer::Cancel : Host::Answer::Ok};
        w.host.openSucceeds = !tag.contains("no browser");
        if (tag.contains("not read yet"))
            f.ConfigText.clear();
        if (tag.contains("no results log"))
            QFile::remove(w.path("Log/Voltrake.log"));
        f.model.setChecked("Period", true); // the dump shows which field is where
        for (const QString name : {"NRead2", "Notes", "NR1Cost", "TCO2P"})
            f.setText(name, name);
        f.BreakPointPerDay = "2.50";
        f.RunOnTop = 2;

        if (action == "dump")
            QVERIFY_THROWS_EXCEPTION(ProgramEnded, FatalErrorDump(f, "Loading Error", 153));
        else if (action.contains(' '))
            CheckFile(f, action, "Log", "missing.log");
        else
            f.buttonClicked(action);

        QStringList happened;
        for (const ScriptedHost::Box& box : w.host.boxes)
            happened << box.title + ": " + box.text;
        for (const QString& target : w.host.opened.replaceInStrings(w.dir() + '/', ""))
            happened << "open " + target;
        if (w.host.aboutShown)
            happened << "About window";
        if (const QByteArray log = w.read("Log/Voltrake.log"); log.size() > before.size())
            happened << "log +" + QString::fromLatin1(log.mid(before.size()));
        if (w.host.updateWindowClosed)
            happened << "update window closed";
        if (f.ended() || w.host.ended)
            happened << "end";
        QCOMPARE(happened.join(" | "), seen);
        QCOMPARE(QFile::exists(w.path("Log/Voltrake.log")), !tag.contains("no results log"));
    }
};

QTEST_GUILESS_MAIN(TestShell)
#include "tst_startup.moc"
