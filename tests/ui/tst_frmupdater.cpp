#include "../update/httpserver.h"
#include "scriptedhost.h"
#include "ui/frmupdater.h"

#include <QTest>

class TestFrmUpdater : public QObject {
    Q_OBJECT

  private slots:
    // The window reports the newer version, its buttons open the pages; the frame closes it.
    void manualCheckFindsNewer() {
        Workspace ws;
        HttpServer server(HttpServer::answer("200 OK", updateDocument()));
        ws.form.webSiteRoot = server.root();
        QWidget main; // the update window's parent, where the test finds it
        openUpdateWindow(ws.form, false, &main);
        openUpdateWindow(ws.form, false, &main); // one at a time
        QCOMPARE(main.findChildren<QWidget*>("frmUpdater").size(), 1);
        QPointer<QWidget> w = main.findChild<QWidget*>("frmUpdater");
        QVERIFY(w->isVisible() && !w->isModal() && w->windowTitle() == "Voltrake Update Check");
        QTRY_COMPARE_WITH_TIMEOUT(w->findChild<QWidget*>("Status")->property("text").toString(),
                                  QString("Version 3.2 of Voltrake is available "), 15000);
        QCOMPARE(w->findChild<QWidget*>("Message")->property("plainText").toString(),
                 QString("Click Download to get it\nClick History for change info and Known "
                         "Issues for any problems.\nNews £"));
        for (const char* b : {"WebSite", "History", "KIssues", "Download", "Logo"})
            QTest::mouseClick(w->findChild<QWidget*>(b), Qt::LeftButton);
        QCOMPARE(ws.host.opened.join(' '), QString("%1i %1h %1k %1d %1").arg(server.root()));
        QVERIFY(!ws.form.model.enabled("Update"));
        w->close();
        QTRY_VERIFY(!w); // deleted on close
        QVERIFY(ws.form.model.enabled("Update"));
    }
};

QTEST_MAIN(TestFrmUpdater)
#include "tst_frmupdater.moc"
