#include "records/archive.h"
#include "records_fixture.h"

#include <QProcess>
#include <unistd.h>

static const QString Log = "Log/Voltrake.log", Copy = "Log/Voltrake_261205_%1.log";
static const QString Error = "Voltrake Results Log File Error|";
static const QByteArray StartOnly = "Voltrake Results Log\r\n\r\nVoltrake Started\r\n\r\n";
static const QByteArray WithReport = StartOnly + "  Cost To Date ( 95 Days)\r\n\r\n";

class TestArchive : public QObject {
    Q_OBJECT

  private slots:
    void archive_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<Host::Answer>>("answers");
        QTest::addColumn<bool>("readOnly");  // the Log directory
        QTest::addColumn<QString>("second"); // the box after the question
        QTest::addColumn<QString>("status");
        using A = Host::Answer;
        const QString confirm = "Voltrake Create New Log File|Are you sure you want to create a "
                                "new results log file?";
        QTest::newRow("archive") << WithReport << QList{A::Yes} << false << ""
                                 << "Results Log File Archived";
        QTest::newRow("nothing to archive")
            << StartOnly << QList{A::Yes} << false
            << Error + "There is no data to archive!\r\nResults log file not archived."
            << "";
        QTest::newRow("clear, confirmed")
            << WithReport << QList{A::No, A::Yes} << false << confirm << "Results Log File Cleared";
        QTest::newRow("clear, declined")
            << WithReport << QList{A::No, A::No} << false << confirm << "";
        QTest::newRow("clear without data asks once") << StartOnly << QList{A::No} << false << ""
                                                      << "Results Log File Cleared";
        QTest::newRow("read-only Log directory")
            << WithReport << QList{A::Yes} << true
            << Error + "Unable to archive the results log file Voltrake.log.\r\nThis may be a "
                       "permissions problem."
            << "";
    }

    // The log is replaced exactly when the status line reports it.
    void archive() {
        QFETCH(QByteArray, content);
        QFETCH(QList<Host::Answer>, answers);
        QFETCH(bool, readOnly);
        QFETCH(QString, second);
        QFETCH(QString, status);
        Logs ws;
        ws.write(Log, content);
        ws.form.setStatus("old message");
        ws.host.answers = answers;
        // Root ignores permissions, so it acts as an unprivileged user owning the workspace.
        const bool drop = readOnly && geteuid() == 0;
        QVERIFY(!drop || (QProcess::execute("chown", {"-R", "65534", ws.dir()}) == 0 &&
                          seteuid(65534) == 0));
        const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        QFile::setPermissions(ws.path("Log"), readOnly ? all & ~QFileDevice::WriteOwner : all);
        Archive_Click(ws.form);
        QFile::setPermissions(ws.path("Log"), all);
        QVERIFY(!drop || seteuid(0) == 0);
        QCOMPARE(boxTexts(ws.host),
                 QStringList{"Archive Voltrake Results Log File|Do you want to archive the log "
                             "file?\r\nTo Archive the results log file and create a new one "
                             "click Yes\r\nTo Clear the results log file without archiving it "
                             "click No\r\nClick Cancel to return"} +
                     QStringList(second).filter("|"));
        QCOMPARE(ws.host.boxes[0].buttons, Host::Buttons::YesNoCancel);
        QCOMPARE(ws.form.text("Status"), status);
        const QByteArray fresh = linesOf(
            {"Voltrake Results Log", VersionLine, "File Created", "05/12/2026 04:40:50", "", ""});
        QCOMPARE(ws.read(Log), status.isEmpty() ? content : fresh);
        const bool archived = status.endsWith("Archived");
        QCOMPARE(ws.read(Copy.arg(1)), archived ? content : QByteArray());
        if (archived) { // the second archive of the day takes the next number
            ws.write(Log, WithReport + "Cost");
            Archive_Click(ws.form);
            QCOMPARE(ws.read(Copy.arg(2)), WithReport + "Cost");
            QCOMPARE(ws.read(Copy.arg(1)), content);
        }
    }
};

QTEST_GUILESS_MAIN(TestArchive)
#include "tst_archive.moc"
