#include "httpserver.h"
#include "scriptedhost.h"
#include "update/updater.h"

#include <QTest>

// One update check against the local server, driven tick by tick; stands in for its window
// and shows what it holds as MissingTags|Status|Message|the enabled buttons.
struct Check : UpdaterWindow {
    Workspace ws;
    HttpServer server{HttpServer::answer("200 OK", updateDocument())};
    UpdaterForm form{ws.form, *this};
    int closes = 0, shows = 0;

    Check() { ws.form.webSiteRoot = server.root(); }
    void closeWindow() override { ++closes; }
    void makeVisible() override { ++shows; }
    void setCaption(const QString&) override {}
    void ticks(int n) {
        while (n-- > 0)
            form.timerTick();
    }
    QString shown() const {
        QString s = QString::number(form.MissingTags) + '|' + form.model.text("Status") + '|' +
                    form.model.text("Message") + '|';
        for (const char* b : {"WebSite", "History", "KIssues", "Download"})
            s += form.model.enabled(b) ? QString(b) + ' ' : QString();
        return s;
    }
};

class TestUpdater : public QObject {
    Q_OBJECT

  private slots:
    // Fetches afresh at tick 11; closes at tick 1201, or at 41 posing as 0.9 (-ShortUpdateTime).
    void closesAtTick() {
        for (const int runMode : {5, 0}) {
            Check c;
            c.ws.form.RunMode = runMode;
            c.form.load(true);
            c.ticks(10);
            QVERIFY(!c.form.urlGet1.Busy());
            c.ticks(1);
            QTRY_VERIFY(c.server.heads.value(0).contains(
                "?PName=Voltrake&ampPVer=" + QByteArray(runMode ? "0.9" : "3.1") + ".0.0 HTTP"));
            QVERIFY(c.server.heads[0].contains("Cache-Control: no-cache"));
            c.ticks(runMode ? 29 : 1189);
            QCOMPARE(c.closes, 0);
            c.ticks(1);
            QVERIFY(c.closes == 1 && c.ws.form.model.enabled("Update"));
        }
    }

    // Tags run from first opening to first closing; versions compare up to the second stop.
    void documents_data() {
        QTest::addColumn<QByteArray>("reply"); // "refused": nothing listens
        QTest::addColumn<QString>("mode");     // manual or automatic, and the running version
        QTest::addColumn<QString>("shown");
        auto row = [](const QString& tag, const QByteArray& reply, const QString& shown,
                      const char* mode = "manual 3.1") {
            QTest::newRow(qPrintable(tag)) << reply << QString(mode) << shown;
        };
        auto ok = [](const QByteArray& body) { return HttpServer::answer("200 OK", body); };
        auto version = [&](const char* v) { return ok(updateDocument(v)); };
        const QByteArray doc = updateDocument();
        const QString newer = "0|Version 3.2 of Voltrake is available |Click Download to get it\r\n"
                              "Click History for change info and Known Issues for any problems."
                              "\r\nNews £|WebSite History KIssues Download ";
        const QString older = "0|Unrecognised version of Voltrake|Contact Brantly for assistance.|";
        const QString got = "Getting latest version of Voltrake||";
        const QString failed = "0|Unable to contact web site||";
        row("newer, manual", ok(doc), newer);
        row("newer, automatic comes forward", ok(doc), newer, "automatic 3.1");
        row("history literally Error", ok(QByteArray(doc).replace(">h<", ">Error<")),
            QString(newer).replace("History KIssues", "KIssues"));
        row("equal, automatic closes unseen", version("3.1"),
            "0|You have the latest version of Voltrake|Click Known Issues to see any problems we "
            "are aware of.\r\nNews £|WebSite History KIssues ",
            "automatic 3.1");
        row("older", version("2.6"), older);
        row("2.10 reads as 2.1", version("2.10"), older, "manual 2.9");
        row("huge", version("9999999999.9"), QString(newer).replace("3.2", "9999999999.9"));
        row("not a number", version("abc"), older);
        row("first opening to first closing", ok("<Name>A</Name>" + doc),
            QString(newer).replace("Voltrake", "A"));
        row("empty", ok(""), "9|Please Wait - Checking for the latest version||");
        row("binary", ok(QByteArray("\x00\x01<\x7f\x80\xfe\xff/>", 9)), "9|" + got);
        row("closing tag first",
            ok(QByteArray(doc).replace("<Name>Voltrake</", "</Name>Voltrake<")), "1|" + got);
        for (const char* mode : {"manual 3.1", "automatic 3.1"}) {
            row(QString("incomplete, ") + mode, ok(QByteArray(doc).replace("</Uninstall>", "")),
                "1|" + got, mode);
            row(QString("refused, ") + mode, "refused", failed, mode);
        }
    }

    void documents() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, mode);
        QFETCH(QString, shown);
        Check c;
        c.server.reply = reply;
        if (reply == "refused")
            c.server.close();
        const bool manual = c.ws.form.ManualCheck = mode.startsWith("manual");
        c.form.load(manual);
        c.form.RunVersion = mode.section(' ', 1);
        c.ticks(11);
        QTRY_VERIFY_WITH_TIMEOUT(!c.form.urlGet1.Busy(), 10000);
        QCOMPARE(c.shown(), shown);
        const bool closed = !manual && !shown.startsWith("0|Version"); // Update is back then
        QVERIFY(c.shows == !closed && c.closes == closed &&
                c.ws.form.model.enabled("Update") == closed);
        QVERIFY(!QFile::exists(c.ws.path("Log/Updater.log"))); // no Log/LogOn.txt
        c.form.buttonClicked("Exit");
        QCOMPARE(c.closes, 1);
    }

    void updaterLog() {
        Check c;
        c.ws.write("Log/LogOn.txt", "");
        c.server.reply = HttpServer::answer("200 OK", "  " + updateDocument() + "  ");
        c.form.load(false);
        c.ticks(11);
        QTRY_VERIFY_WITH_TIMEOUT(!c.form.urlGet1.Busy(), 10000);
        const QByteArray t = "05-Dec-26 04:40:50\r\n";
        const QByteArray expected =
            "Updater\r\nVersion 3.1\r\nFile Created\r\n" + t + "\r\n\r\n" + t +
            "\r\nWeb URL\r\n-------\r\n" + c.server.root().toLatin1() +
            "software/misc/updatecheck.xml?PName=Voltrake&ampPVer=3.1.0.0\r\n\r\n\r\n\r\n" + t +
            "Update Check\r\n\r\nProgram Data\r\n------------\r\nControl Mode :  0\r\nProgram "
            "Name :  Voltrake\r\nMajor Version:  3.1\r\nMinor Version:  0.0\r\n\r\n\r\n" +
            t + "\r\nWeb Page xml\r\n------------\r\n" + updateDocument() +
            "\r\n\r\nWeb Page Data\r\n"
            "-------------\r\nProgram Name :  Voltrake\r\nMajor Version:  3.2\r\nMinor Version:  "
            "0.0\r\nDownload url :  d\r\nKnown Issues :  k\r\nHistory      :  h\r\nHome Page    :  "
            "i\r\nMessage      :  News \xa3\r\nUninstall    :  No\r\nError Count  :  0\r\n\r\n\r\n";
        QCOMPARE(c.ws.read("Log/Updater.log"), expected);
        UpdaterForm(c.ws.form, c).load(false); // the next check appends without a new header
        QVERIFY(c.ws.read("Log/Updater.log").startsWith(expected + t + "\r\nWeb URL"));
    }
};

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
