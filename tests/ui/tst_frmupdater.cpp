#include "../update/httpserver.h"
#include "scriptedhost.h"
#include "ui/frmupdater.h"
#include "update/updater.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

QByteArray document(const QByteArray& version) {
    return "<Update><Name>Voltrake</Name><Version1>" + version +
           "</Version1><Version2>0.0</Version2>"
           "<Download>software/voltrake/download.htm</Download>"
           "<History>software/voltrake/history.htm</History>"
           "<KIssues>software/voltrake/issues.htm</KIssues>"
           "<Index>software/voltrake/index.htm</Index>"
           "<Message>Faster start-up and a clearer results log.</Message>"
           "<Uninstall>No</Uninstall></Update>";
}

QWidget* updateWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmUpdater"))
            return w;
    return nullptr;
}

int updateWindowCount() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += w->objectName() == QLatin1String("frmUpdater");
    return n;
}

// Closes the update window before the workspace it works on goes away.
struct CloseAtEnd {
    ~CloseAtEnd() { closeUpdateWindow(); }
};

// Notes whether a widget was ever shown.
struct ShowSpy : QObject {
    bool shown = false;
    bool eventFilter(QObject*, QEvent* e) override {
        shown = shown || e->type() == QEvent::Show;
        return false;
    }
};

} // namespace

class TestFrmUpdater : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        closeUpdateWindow();
        QTRY_VERIFY(!updateWindow());
    }

    void windowMatchesControlTable() {
        Workspace ws;
        HttpServer server;
        CloseAtEnd closeAtEnd;
        server.response = HttpServer::held();
        ws.form.webSiteRoot = server.root();
        openUpdateWindow(ws.form, false, nullptr);
        QWidget* w = updateWindow();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->windowModality(), Qt::NonModal);
        QCOMPARE(w->windowTitle(), QStringLiteral("Voltrake Update Check"));

        for (const ControlSpec& c : updaterControls()) {
            QWidget* control = w->findChild<QWidget*>(c.name);
            switch (c.kind) {
            case ControlKind::Timer:
                QVERIFY(!control);
                break;
            case ControlKind::Picture:
                QVERIFY2(qobject_cast<QLabel*>(control), qPrintable(c.name));
                break;
            case ControlKind::TextBox: {
                auto* line = qobject_cast<QLineEdit*>(control);
                auto* box = qobject_cast<QPlainTextEdit*>(control);
                QVERIFY2(line || box, qPrintable(c.name));
                QVERIFY(line ? line->isReadOnly() : box->isReadOnly());
                break;
            }
            case ControlKind::Button: {
                auto* button = qobject_cast<QPushButton*>(control);
                QVERIFY2(button, qPrintable(c.name));
                QCOMPARE(button->text(), c.caption);
                break;
            }
            default:
                QFAIL(qPrintable("unexpected control " + c.name));
            }
        }
        auto* status = w->findChild<QLineEdit*>("Status");
        QCOMPARE(status->text(), QStringLiteral("Please Wait - Checking for the latest version"));
        QCOMPARE(w->findChild<QPushButton*>("Exit")->toolTip(),
                 QStringLiteral("Close Voltrake update check"));
        QVERIFY(!w->findChild<QPushButton*>("Download")->isEnabled());
        QVERIFY(!ws.form.model.enabled("Update"));

        // Only one update window at a time; the main window's Exit closes it.
        openUpdateWindow(ws.form, false, nullptr);
        QCOMPARE(updateWindowCount(), 1);
        QPointer<QWidget> open = w;
        closeUpdateWindow();
        QTRY_VERIFY(!open);
        QVERIFY(ws.form.model.enabled("Update"));
    }

    // The Update button's road: the window shows at once and reports a newer version.
    void manualCheckFindsNewerVersion() {
        Workspace ws;
        HttpServer server;
        CloseAtEnd closeAtEnd;
        server.response = HttpServer::ok(document("3.2"));
        ws.form.webSiteRoot = server.root();
        ws.form.ManualCheck = true;
        openUpdateWindow(ws.form, false, nullptr);
        QPointer<QWidget> w = updateWindow();
        QVERIFY(w);
        auto* status = w->findChild<QLineEdit*>("Status");
        QTRY_COMPARE_WITH_TIMEOUT(status->text(),
                                  QStringLiteral("Version 3.2 of Voltrake is available "), 15000);
        QVERIFY(w->findChild<QPushButton*>("Download")->isEnabled());
        QVERIFY(w->findChild<QPushButton*>("History")->isEnabled());
        QCOMPARE(w->findChild<QPlainTextEdit*>("Message")->toPlainText(),
                 QStringLiteral("Click Download to get it\nClick History for change info and "
                                "Known Issues for any problems.\nFaster start-up and a clearer "
                                "results log."));

        const QString shot = qEnvironmentVariable("VOLTRAKE_SCREENSHOT");
        if (!shot.isEmpty())
            QVERIFY(w->grab().save(shot));

        QTest::mouseClick(w->findChild<QPushButton*>("Download"), Qt::LeftButton);
        QTest::mouseClick(w->findChild<QLabel*>("Logo"), Qt::LeftButton);
        QCOMPARE(ws.host.opened,
                 QStringList({server.root() + "software/voltrake/download.htm", server.root()}));

        QTest::mouseClick(w->findChild<QPushButton*>("Exit"), Qt::LeftButton);
        QTRY_VERIFY(!w); // deleted on close
        QVERIFY(ws.form.model.enabled("Update"));
    }

    void automaticCheck_data() {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("stays");
        QTest::newRow("equal closes unseen") << QByteArray("3.1") << false;
        QTest::newRow("older closes unseen") << QByteArray("2.6") << false;
        QTest::newRow("newer comes forward") << QByteArray("3.2") << true;
    }

    void automaticCheck() {
        QFETCH(QByteArray, version);
        QFETCH(bool, stays);
        Workspace ws;
        HttpServer server;
        CloseAtEnd closeAtEnd;
        server.response = HttpServer::ok(document(version));
        ws.form.webSiteRoot = server.root();
        ws.form.ManualCheck = false;
        openUpdateWindow(ws.form, true, nullptr);
        QPointer<QWidget> w = updateWindow();
        QVERIFY(w);
        QVERIFY(!w->isVisible());
        ShowSpy spy;
        w->installEventFilter(&spy);
        QTRY_VERIFY_WITH_TIMEOUT(!server.targets.isEmpty(), 15000);
        if (stays) {
            QTRY_VERIFY_WITH_TIMEOUT(w && w->isVisible(), 15000);
            QVERIFY(!ws.form.model.enabled("Update"));
            w->close(); // the frame's close control
            QTRY_VERIFY(!w);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!w, 15000);
            QVERIFY(!spy.shown);
        }
        QVERIFY(ws.form.model.enabled("Update"));
    }
};

QTEST_MAIN(TestFrmUpdater)
#include "tst_frmupdater.moc"
