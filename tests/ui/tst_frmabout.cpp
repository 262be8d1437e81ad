// The About window: its design, keeping on top and the web-site link.

#include "scriptedhost.h"
#include "ui/frmabout.h"

#include <QtTest>
#include <QtWidgets>

class TestAbout : public QObject {
    Q_OBJECT

  private slots:
    void designAndLink() {
        Workspace w;
        w.form.RunOnTop = 2;
        const std::unique_ptr<QDialog> about(createAboutWindow(w.form, nullptr));
        const auto label = [&](const char* name) { return about->findChild<QLabel*>(name); };
        const auto* exit = about->findChild<QPushButton*>("ExitAbout");
        QCOMPARE(QStringList({about->windowTitle(), label("ProgName")->text(),
                              label("ProgVersion")->text(), exit->text(), exit->toolTip()}),
                 QStringList({"About Voltrake", "Voltrake", "Version " + versionText(), "&Exit",
                              "Close Voltrake About Screen"}));
        QVERIFY(about->isModal() && about->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(label("WebSite")->text().contains(w.form.webSiteRoot));
        emit label("WebSite")->linkActivated(w.form.webSiteRoot);
        QCOMPARE(w.host.opened, QStringList{w.form.webSiteRoot});
    }
};

QTEST_MAIN(TestAbout)
#include "tst_frmabout.moc"
