#include "httpserver.h"
#include "scriptedhost.h"
#include "update/updater.h"

#include <QDir>
#include <QTest>
#include <memory>

namespace {

// Stands in for the widgets: records what the update check asks of its window.
struct FakeWindow : UpdaterWindow {
    int closes = 0;
    int shows = 0;
    QString caption;
    void closeWindow() override { ++closes; }
    void makeVisible() override { ++shows; }
    void setCaption(const QString& c) override { caption = c; }
};

struct Doc {
    QByteArray name = "Voltrake";
    QByteArray version1 = "3.2";
    QByteArray version2 = "0.0";
    QByteArray download = "software/voltrake/download.htm";
    QByteArray history = "software/voltrake/history.htm";
    QByteArray kissues = "software/voltrake/issues.htm";
    QByteArray index = "software/voltrake/index.htm";
    QByteArray message = "Spring release";
    QByteArray uninstall = "No";

    QByteArray text() const {
        return "<?xml version=\"1.0\"?>\r\n<Update>\r\n<Name>" + name + "</Name>\r\n<Version1>" +
               version1 + "</Version1>\r\n<Version2>" + version2 + "</Version2>\r\n<Download>" +
               download + "</Download>\r\n<History>" + history + "</History>\r\n<KIssues>" +
               kissues + "</KIssues>\r\n<Index>" + index + "</Index>\r\n<Message>" + message +
               "</Message>\r\n<Uninstall>" + uninstall + "</Uninstall>\r\n</Update>\r\n";
    }
};

// One update check against the local server, driven tick by tick.
struct Check {
    Workspace ws;
    HttpServer server;
    FakeWindow window;
    std::unique_ptr<UpdaterForm> form;

    Check() { ws.form.webSiteRoot = server.root(); }

    void load(bool manual) {
        ws.form.ManualCheck = manual;
        form = std::make_unique<UpdaterForm>(ws.form, window);
        form->load(manual);
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            form->timerTick();
    }
    // Loads, starts the fetch at tick 11 and waits for its end.
    bool run(bool manual) {
        load(manual);
        ticks(11);
        return QTest::qWaitFor([this] { return !form->urlGet1.Busy(); }, 10000);
    }
    QString status() const { return form->model.text(QStringLiteral("Status")); }
    QString enabledButtons() const {
        QStringList on;
        for (const char* b : {"WebSite", "History", "KIssues", "Download"})
            if (form->model.enabled(QString::fromLatin1(b)))
                on.append(QString::fromLatin1(b));
        return on.join(',');
    }
};

} // namespace

class TestUpdater : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QCOMPARE(versionText(), QStringLiteral("3.1")); // the expectations are written for it
    }

    // -ShortUpdateTime poses as 0.9, fetches at tick 11 and gives up at tick 41.
    void loadAndShortUpdateTime() {
        Check c;
        c.server.response = HttpServer::held();
        c.ws.form.RunMode = 5;
        c.load(true);
        QCOMPARE(c.window.caption, QStringLiteral("Voltrake Update Check"));
        QCOMPARE(c.window.shows, 1);
        QCOMPARE(c.status(), QStringLiteral("Please Wait - Checking for the latest version"));
        QCOMPARE(c.form->model.text("UVersion"), QStringLiteral("Voltrake Version 3.1"));
        QCOMPARE(c.form->model.toolTip("Exit"), QStringLiteral("Close Voltrake update check"));
        QCOMPARE(c.form->model.toolTip("WebSite"), QStringLiteral("Voltrake website"));
        QCOMPARE(c.form->model.toolTip("KIssues"), QStringLiteral("Voltrake known issues"));
        QCOMPARE(c.form->model.toolTip("History"), QStringLiteral("Voltrake change history"));
        QCOMPARE(c.form->model.toolTip("Download"),
                 QStringLiteral("Download the latest version of Voltrake"));
        QCOMPARE(c.enabledButtons(), QString());
        QVERIFY(!c.ws.form.model.enabled("Update"));

        c.ticks(10);
        QVERIFY(!c.form->urlGet1.Busy());
        c.ticks(1);
        QTRY_COMPARE(c.server.targets.size(), 1);
        QCOMPARE(c.server.targets.first(),
                 QByteArray("/software/misc/updatecheck.xml?PName=Voltrake&ampPVer=0.9.0.0"));
        c.ticks(29);
        QVERIFY(!c.form->closed());
        c.ticks(1);
        QVERIFY(c.form->closed());
        QCOMPARE(c.window.closes, 1);
        QVERIFY(c.ws.form.model.enabled("Update"));
    }

    void givesUpAfterTwoMinutes() {
        Check c;
        c.server.response = HttpServer::held();
        c.load(true);
        c.ticks(1200);
        QVERIFY(!c.form->closed());
        c.ticks(5);
        QVERIFY(c.form->closed());
        QCOMPARE(c.form->TimerTicks, 1201);
        QCOMPARE(c.window.closes, 1);
        QVERIFY(c.ws.form.model.enabled("Update"));
    }

    void outcomes_data() {
        QTest::addColumn<QByteArray>("version1");
        QTest::addColumn<QByteArray>("history");
        QTest::addColumn<QByteArray>("uninstall");
        QTest::addColumn<bool>("manual");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("buttons");
        QTest::addColumn<bool>("closed");

        const QString available = "Version 3.2 of Voltrake is available ";
        const QString download = "Click Download to get it\r\nClick History for change info and "
                                 "Known Issues for any problems.\r\nSpring release";
        const QString all = "WebSite,History,KIssues,Download";
        const QByteArray h = "h.htm";
        QTest::newRow("newer, manual") << QByteArray("3.2") << h << QByteArray("No") << true
                                       << available << download << all << false;
        QTest::newRow("newer, automatic comes forward")
            << QByteArray("3.2") << h << QByteArray("No") << false << available << download << all
            << false;
        QTest::newRow("newer, must uninstall")
            << QByteArray("3.2") << h << QByteArray("Yes") << true << available
            << download + "\r\nYou must uninstall Voltrakefirst." << all << false;
        QTest::newRow("newer, history literally Error")
            << QByteArray("3.2") << QByteArray("Error") << QByteArray("yes") << true << available
            << download << "WebSite,KIssues,Download" << false;
        QTest::newRow("equal, automatic closes unseen")
            << QByteArray("3.1") << h << QByteArray("No") << false
            << "You have the latest version of Voltrake"
            << "Click Known Issues to see any problems we are aware of.\r\nSpring release"
            << "WebSite,History,KIssues" << true;
        QTest::newRow("older, manual") << QByteArray("2.6") << h << QByteArray("No") << true
                                       << "Unrecognised version of Voltrake"
                                       << "Contact Brantly for assistance." << QString() << false;
    }

    void outcomes() {
        QFETCH(QByteArray, version1);
        QFETCH(QByteArray, history);
        QFETCH(QByteArray, uninstall);
        QFETCH(bool, manual);
        QFETCH(QString, status);
        QFETCH(QString, message);
        QFETCH(QString, buttons);
        QFETCH(bool, closed);

        Check c;
        Doc d;
        d.version1 = version1;
        d.history = history;
        d.uninstall = uninstall;
        c.server.response = HttpServer::ok(d.text());
        QVERIFY(c.run(manual));

        QCOMPARE(c.status(), status);
        QCOMPARE(c.form->model.text("Message"), message);
        QCOMPARE(c.enabledButtons(), buttons);
        QCOMPARE(c.window.shows, closed ? 0 : 1);
        QCOMPARE(c.window.closes, closed ? 1 : 0);
        // The main window's Update button is back exactly when the window is gone.
        QCOMPARE(c.ws.form.model.enabled("Update"), closed);
        QVERIFY(!QFile::exists(c.ws.path("Log/Updater.log"))); // no Log/LogOn.txt
    }

    void failures_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("manual");
        QTest::addColumn<QString>("status");

        for (bool manual : {true, false}) {
            const char* how = manual ? "manual" : "automatic";
            QTest::addRow("incomplete document, %s", how)
                << "incomplete" << manual << "Getting latest version of Voltrake";
            QTest::addRow("404, %s", how) << "404" << manual << "Unable to contact web site";
            QTest::addRow("refused, %s", how)
                << "refused" << manual << "Unable to contact web site";
        }
    }

    // A manual check reports and stays; an automatic one closes unseen.
    void failures() {
        QFETCH(QString, kind);
        QFETCH(bool, manual);
        QFETCH(QString, status);

        Check c;
        QByteArray text = Doc().text();
        text.replace("</Uninstall>", "");
        c.server.response = kind == "404" ? HttpServer::status(404, "Not Found", Doc().text())
                                          : HttpServer::ok(text);
        if (kind == "refused")
            c.ws.form.webSiteRoot = QStringLiteral("http://127.0.0.1:%1/").arg(closedPort());
        QVERIFY(c.run(manual));

        QCOMPARE(c.status(), status);
        QCOMPARE(c.form->model.text("Message"), QString());
        QCOMPARE(c.enabledButtons(), QString());
        QCOMPARE(c.window.shows, manual ? 1 : 0);
        QCOMPARE(c.form->closed(), !manual);
        QCOMPARE(c.ws.form.model.enabled("Update"), !manual);
    }

    void buttons() {
        Check c;
        Doc d;
        c.server.response = HttpServer::ok(d.text());
        QVERIFY(c.run(true));
        for (const char* b : {"WebSite", "History", "KIssues", "Download", "Logo", "Nothing"})
            c.form->buttonClicked(QString::fromLatin1(b));
        const QString root = c.server.root();
        QCOMPARE(c.ws.host.opened, QStringList({root + d.index, root + d.history, root + d.kissues,
                                                root + d.download, root}));
        c.form->buttonClicked(QStringLiteral("Exit"));
        c.form->close(); // the frame's close after Exit changes nothing more
        QCOMPARE(c.window.closes, 1);
        QVERIFY(c.ws.form.model.enabled("Update"));
    }

    void updaterLog() {
        LocaleScope locale("en_GB");
        Check c;
        c.ws.write("Log/LogOn.txt", "");
        Doc d;
        c.server.response = HttpServer::ok("  " + d.text() + "  ");
        QVERIFY(c.run(false));

        const QByteArray t = "05-Dec-26 04:40:50";
        const QByteArray url = c.server.root().toLatin1() +
                               "software/misc/updatecheck.xml?PName=Voltrake&ampPVer=3.1.0.0";
        const QByteArray expected =
            "Updater\r\nVersion 3.1\r\nFile Created\r\n" + t + "\r\n\r\n\r\n" + //
            t + "\r\n\r\nWeb URL\r\n-------\r\n" + url + "\r\n\r\n\r\n\r\n" +   //
            t +
            "\r\nUpdate Check\r\n\r\nProgram Data\r\n------------\r\n"
            "Control Mode :  0\r\nProgram Name :  Voltrake\r\nMajor Version:  3.1\r\n"
            "Minor Version:  0.0\r\n\r\n\r\n" +
            t + "\r\n\r\n" + "Web Page xml\r\n------------\r\n" + d.text() + "\r\n\r\n" +
            "Web Page Data\r\n-------------\r\n"
            "Program Name :  Voltrake\r\n"
            "Major Version:  3.2\r\n"
            "Minor Version:  0.0\r\n"
            "Download url :  software/voltrake/download.htm\r\n"
            "Known Issues :  software/voltrake/issues.htm\r\n"
            "History      :  software/voltrake/history.htm\r\n"
            "Home Page    :  software/voltrake/index.htm\r\n"
            "Message      :  Spring release\r\n"
            "Uninstall    :  No\r\n"
            "Error Count  :  0\r\n\r\n\r\n";
        QCOMPARE(c.ws.read("Log/Updater.log"), expected);

        // The next check appends without a new header.
        FakeWindow second;
        UpdaterForm again(c.ws.form, second);
        again.load(false);
        const QByteArray log = c.ws.read("Log/Updater.log");
        QVERIFY(log.startsWith(expected));
        QCOMPARE(log.count("File Created"), 1);
        QCOMPARE(log.count("Web URL"), 2);
        QVERIFY(c.ws.host.boxes.isEmpty());
    }

    void logFailuresEndProgram_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("cannot create") << "create" << QStringList{"Updater Log File Error"};
        QTest::newRow("cannot write")
            << "write" << QStringList{"Voltrake Log File Error", "Updater Log File Write Error"};
        QTest::newRow("no Log directory") << "nodir" << QStringList{"Voltrake log Directory Error"};
    }

    void logFailuresEndProgram() {
        QFETCH(QString, kind);
        QFETCH(QStringList, titles);
        Check c;
        c.ws.write("Log/LogOn.txt", "");
        c.server.response = HttpServer::ok(Doc().text());
        if (kind == "create")
            QDir(c.ws.dir()).mkpath("Log/Updater.log"); // a directory where the file should go
        if (kind == "nodir")
            QDir(c.ws.path("Log")).removeRecursively();
        c.load(true);
        if (kind == "write") {
            QVERIFY(QFile::remove(c.ws.path("Log/Updater.log")));
            c.ticks(11);
            QTRY_VERIFY(!c.form->urlGet1.Busy());
        }
        QCOMPARE(c.ws.host.titles(), titles);
        QVERIFY(c.ws.host.ended);
        const QString end = "This may be a permissions problem.\r\nThe program will now terminate.";
        if (kind == "create")
            QCOMPARE(c.ws.host.boxes.last().text,
                     "Unable to create the log file Updater.log.\r\n" + end);
        if (kind == "write")
            QCOMPARE(c.ws.host.boxes.last().text,
                     "Unable to write to the log file Updater.log.\r\n" + end);
        const int ticks = c.form->TimerTicks;
        c.ticks(20); // the program has ended: nothing more happens
        QCOMPARE(c.form->TimerTicks, ticks);
        QCOMPARE(c.window.shows, kind == "write" ? 1 : 0);
    }

    void parse_data() {
        QTest::addColumn<QString>("doc");
        QTest::addColumn<int>("missing");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");

        const QString full = QString::fromLatin1(Doc().text());
        QString binary;
        for (int i = 0; i < 256; ++i)
            binary += QChar(i);
        QTest::newRow("complete") << full << 0 << "Voltrake"
                                  << "Spring release";
        QTest::newRow("empty") << QString() << 9 << "Error"
                               << "Error";
        QTest::newRow("binary") << binary << 9 << "Error"
                                << "Error";
        QTest::newRow("1 MiB of opening tags")
            << QString("<Name>").repeated(1024 * 1024 / 6) << 9 << "Error"
            << "Error";
        QTest::newRow("closing tag first")
            << QString(full).replace("<Name>Voltrake</Name>", "</Name>Voltrake<Name>") << 1
            << "Error"
            << "Spring release";
        QTest::newRow("empty value, tags in other case")
            << QString(full).replace("Spring release", "").replace("<Name>", "<name>") << 1
            << "Error"
            << "";
        QTest::newRow("first opening to first closing")
            << "<Name>A</Name><Name>B</Name>" +
                   QString(full).replace("<Message>", "<Message><Message>")
            << 0 << "A"
            << "<Message>Spring release";
    }

    void parse() {
        QFETCH(QString, doc);
        QFETCH(int, missing);
        QFETCH(QString, name);
        QFETCH(QString, message);
        Workspace ws;
        FakeWindow window;
        UpdaterForm form(ws.form, window);
        form.UpdateDoc = doc;
        form.ParseUpdateDocument();
        QCOMPARE(form.MissingTags, missing);
        QCOMPARE(form.PubName, name);
        QCOMPARE(form.PubMessage, message);
    }

    void compare_data() {
        QTest::addColumn<QString>("runVersion");
        QTest::addColumn<QString>("version1");
        QTest::addColumn<QString>("version2");
        QTest::addColumn<int>("outcome"); // 1 newer, 0 equal, -1 older

        QTest::newRow("2.6 against 2.5") << "2.5"
                                         << "2.6"
                                         << "0.0" << 1;
        QTest::newRow("minor part ignored") << "3.1"
                                            << "3.1"
                                            << "7.3" << 0;
        QTest::newRow("2.10 reads as 2.1") << "2.9"
                                           << "2.10"
                                           << "0.0" << -1;
        QTest::newRow("huge") << "3.1"
                              << "9999999999.9"
                              << "0.0" << 1;
        QTest::newRow("not a number") << "3.1"
                                      << "abc"
                                      << "0.0" << -1;
        QTest::newRow("posing as 0.9") << "0.9"
                                       << "1.0"
                                       << "0.0" << 1;
    }

    void compare() {
        QFETCH(QString, runVersion);
        QFETCH(QString, version1);
        QFETCH(QString, version2);
        QFETCH(int, outcome);
        Workspace ws;
        FakeWindow window;
        UpdaterForm form(ws.form, window);
        form.RunVersion = runVersion;
        form.RunBuild = QStringLiteral("0.0");
        form.PubName = QStringLiteral("Voltrake");
        form.PubVersion1 = version1;
        form.PubVersion2 = version2;
        QCOMPARE(form.CompareVersions(), outcome == 1);
        const QString status = form.model.text(QStringLiteral("Status"));
        QCOMPARE(status, outcome == 1   ? "Version " + version1 + " of Voltrake is available "
                         : outcome == 0 ? QStringLiteral("You have the latest version of Voltrake")
                                        : QStringLiteral("Unrecognised version of Voltrake"));
    }
};

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
