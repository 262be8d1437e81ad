// The About window: its design, the web-site link, Exit and keeping on top.

#include "scriptedhost.h"
#include "ui/frmabout.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

class TestAbout : public QObject {
    Q_OBJECT

  private slots:
    void design();
    void webSiteLinkOpensTheHomePage();
    void exitClosesTheWindow();
    void onTopFollowsTheSetting_data();
    void onTopFollowsTheSetting();
};

void TestAbout::design() {
    Workspace w;
    const std::unique_ptr<QDialog> about(createAboutWindow(w.form, nullptr));

    QCOMPARE(about->objectName(), QString("frmAbout"));
    QCOMPARE(about->windowTitle(), QString("About Voltrake"));
    QVERIFY(about->isModal());
    QCOMPARE(about->findChild<QLabel*>("ProgName")->text(), QString("Voltrake"));
    QCOMPARE(about->findChild<QLabel*>("ProgVersion")->text(), "Version " + versionText());
    auto* exit = about->findChild<QPushButton*>("ExitAbout");
    QVERIFY(exit);
    QCOMPARE(exit->text(), QString("&Exit"));
    QCOMPARE(exit->toolTip(), QString("Close Voltrake About Screen"));
    auto* site = about->findChild<QLabel*>("WebSite");
    QVERIFY(site);
    QVERIFY(site->text().contains("href=\"" + w.form.webSiteRoot + "\""));
    QVERIFY(!site->openExternalLinks());
    auto* logo = about->findChild<QLabel*>("Logo");
    QVERIFY(logo);
    QVERIFY(!logo->pixmap().isNull());

    // A picture to look at: VOLTRAKE_SCREENSHOTS=<dir> saves one.
    const QString shots = qEnvironmentVariable("VOLTRAKE_SCREENSHOTS");
    if (!shots.isEmpty()) {
        about->show();
        QVERIFY(about->grab().save(shots + "/frmAbout.png"));
    }
}

void TestAbout::webSiteLinkOpensTheHomePage() {
    Workspace w;
    w.form.webSiteRoot = "http://www.example.org/";
    const std::unique_ptr<QDialog> about(createAboutWindow(w.form, nullptr));

    auto* site = about->findChild<QLabel*>("WebSite");
    emit site->linkActivated("http://www.example.org/");

    QCOMPARE(w.host.opened, QStringList{"http://www.example.org/"});
}

void TestAbout::exitClosesTheWindow() {
    Workspace w;
    const std::unique_ptr<QDialog> about(createAboutWindow(w.form, nullptr));
    about->show();
    QVERIFY(about->isVisible());

    QTest::mouseClick(about->findChild<QPushButton*>("ExitAbout"), Qt::LeftButton);

    QVERIFY(!about->isVisible());
}

void TestAbout::onTopFollowsTheSetting_data() {
    QTest::addColumn<int>("runOnTop");
    QTest::newRow("ordinary window") << 1;
    QTest::newRow("on top") << 2;
}

void TestAbout::onTopFollowsTheSetting() {
    QFETCH(int, runOnTop);
    Workspace w;
    w.form.RunOnTop = runOnTop;
    const std::unique_ptr<QDialog> about(createAboutWindow(w.form, nullptr));
    QCOMPARE(about->windowFlags().testFlag(Qt::WindowStaysOnTopHint), runOnTop == 2);
}

QTEST_MAIN(TestAbout)
#include "tst_frmabout.moc"
