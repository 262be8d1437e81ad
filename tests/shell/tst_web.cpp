// Help pages, the maker's web site and the About button.

#include "shell/web.h"
#include "shell_testing.h"

#include <QtTest>

using namespace shelltest;

class TestWeb : public QObject {
    Q_OBJECT

  private slots:
    void help_data();
    void help();
    void webPages_data();
    void webPages();
    void aboutShowsTheWindow();
};

void TestWeb::help_data() {
    QTest::addColumn<bool>("helpDir");
    QTest::addColumn<bool>("indexPage");
    QTest::addColumn<bool>("browser");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ends");
    QTest::newRow("opens the index page") << true << true << true << ""
                                          << "" << false;
    QTest::newRow("no index page") << true << false << true << "Voltrake Help File Error"
                                   << "The help file is either missing or\r\ncorrupted. "
                                      "Reinstall the program\r\nto correct the error.\r\n"
                                   << false;
    QTest::newRow("no browser") << true << true << false << "Voltrake Error"
                                << "Unable to launch Browser." << false;
    QTest::newRow("no Help directory") << false << false << true << "Voltrake Help Directory Error"
                                       << "The Help directory does not exist.\r\nTo restore the "
                                          "Help directory\r\nreinstall the program.\r\nThe "
                                          "program will now terminate."
                                       << true;
}

void TestWeb::help() {
    QFETCH(bool, helpDir);
    QFETCH(bool, indexPage);
    QFETCH(bool, browser);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(bool, ends);
    Workspace w;
    if (!helpDir)
        QVERIFY(QDir(w.dir()).rmdir("Help"));
    if (indexPage)
        w.write("Help/index.htm", "<html></html>");
    w.host.openSucceeds = browser;

    w.form.buttonClicked("Help1");

    QCOMPARE(w.host.opened, indexPage ? QStringList{w.path("Help/index.htm")} : QStringList());
    QCOMPARE(w.host.titles(), title.isEmpty() ? QStringList() : QStringList{title});
    if (!title.isEmpty())
        QCOMPARE(w.host.boxes[0].text, text);
    QCOMPARE(w.form.ended(), ends);
}

void TestWeb::webPages_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("browser");
    QTest::addColumn<QString>("opened");
    QTest::newRow("logo opens the home page") << "Logo" << true << "http://www.example.org/";
    QTest::newRow("a page below the root")
        << "software/index.htm" << true << "http://www.example.org/software/index.htm";
    QTest::newRow("no browser") << "" << false << "http://www.example.org/";
}

void TestWeb::webPages() {
    QFETCH(QString, action);
    QFETCH(bool, browser);
    QFETCH(QString, opened);
    Workspace w;
    w.form.webSiteRoot = "http://www.example.org/";
    w.host.openSucceeds = browser;

    if (action == "Logo")
        w.form.buttonClicked("Logo");
    else
        OpenWebPage(w.form, action);

    QCOMPARE(w.host.opened, QStringList{opened});
    if (browser) {
        QCOMPARE(w.host.titles(), QStringList());
    } else {
        QCOMPARE(w.host.titles(), QStringList{"Voltrake Error"});
        QCOMPARE(w.host.boxes[0].text, QString("Unable to launch Browser."));
        QCOMPARE(w.host.boxes[0].buttons, Host::Buttons::Ok);
        QCOMPARE(w.host.boxes[0].icon, Host::Icon::None);
    }
}

void TestWeb::aboutShowsTheWindow() {
    Workspace w;
    w.form.buttonClicked("About");
    QCOMPARE(w.host.aboutShown, 1);
}

QTEST_GUILESS_MAIN(TestWeb)
#include "tst_web.moc"
