// Help pages, the maker's web site and the About button.

#include "shell/web.h"
#include "shell_testing.h"

#include <QtTest>

using namespace shelltest;

class TestWeb : public QObject {
    Q_OBJECT

  private slots:
    void helpOpensTheIndexPage();
    void helpWithoutIndexPage();
    void helpWithoutBrowser();
    void helpWithoutHelpDirectory();
    void webPages_data();
    void webPages();
    void webSiteWithoutBrowser();
    void aboutShowsTheWindow();
};

void TestWeb::helpOpensTheIndexPage() {
    Workspace w;
    w.write("Help/index.htm", "<html></html>");

    w.form.buttonClicked("Help1");

    QCOMPARE(w.host.opened, QStringList{w.path("Help/index.htm")});
    QCOMPARE(w.host.titles(), QStringList());
}

void TestWeb::helpWithoutIndexPage() {
    Workspace w;

    w.form.buttonClicked("Help1");

    QCOMPARE(w.host.opened, QStringList());
    QCOMPARE(w.host.titles(), QStringList{"Voltrake Help File Error"});
    QCOMPARE(w.host.boxes[0].text, QString("The help file is either missing or\r\n"
                                           "corrupted. Reinstall the program\r\n"
                                           "to correct the error.\r\n"));
    QCOMPARE(w.host.boxes[0].icon, Host::Icon::Warning);
    QVERIFY(!w.form.ended());
}

void TestWeb::helpWithoutBrowser() {
    Workspace w;
    w.write("Help/index.htm", "<html></html>");
    w.host.openSucceeds = false;

    w.form.buttonClicked("Help1");

    QCOMPARE(w.host.titles(), QStringList{"Voltrake Error"});
    QCOMPARE(w.host.boxes[0].text, QString("Unable to launch Browser."));
    QCOMPARE(w.host.boxes[0].icon, Host::Icon::None);
    QVERIFY(!w.form.ended());
}

void TestWeb::helpWithoutHelpDirectory() {
    Workspace w;
    QVERIFY(QDir(w.dir()).rmdir("Help"));

    w.form.buttonClicked("Help1");

    QCOMPARE(w.host.titles(), QStringList{"Voltrake Help Directory Error"});
    QVERIFY(w.form.ended());
}

void TestWeb::webPages_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("page");
    QTest::newRow("logo opens the home page") << "Logo"
                                              << "";
    QTest::newRow("a page below the root") << "page"
                                           << "software/index.htm";
}

void TestWeb::webPages() {
    QFETCH(QString, action);
    QFETCH(QString, page);
    Workspace w;
    w.form.webSiteRoot = "http://www.example.org/";

    if (action == "Logo")
        w.form.buttonClicked("Logo");
    else
        OpenWebPage(w.form, page);

    QCOMPARE(w.host.opened, QStringList{"http://www.example.org/" + page});
    QCOMPARE(w.host.titles(), QStringList());
}

void TestWeb::webSiteWithoutBrowser() {
    Workspace w;
    w.host.openSucceeds = false;

    OpenWebPage(w.form, "");

    QCOMPARE(w.host.titles(), QStringList{"Voltrake Error"});
    QCOMPARE(w.host.boxes[0].text, QString("Unable to launch Browser."));
    QCOMPARE(w.host.boxes[0].buttons, Host::Buttons::Ok);
    QCOMPARE(w.host.boxes[0].icon, Host::Icon::None);
}

void TestWeb::aboutShowsTheWindow() {
    Workspace w;
    w.form.buttonClicked("About");
    QCOMPARE(w.host.aboutShown, 1);
}

QTEST_GUILESS_MAIN(TestWeb)
#include "tst_web.moc"
