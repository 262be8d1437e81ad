#include "form/archive.h"
#include "records_fixture.h"

#include <QProcess>
#include <unistd.h>

static const QString Log = "Log/Voltrake.log", Copy = "Log/Voltrake_261205_%1.log";
static const QString Error = "Voltrake Results Log File Error|";
static const QByteArray Started = "Voltrake Results Log\r\n\r\nVoltrake Started\r\n\r\n";
static const QByteArray Report = Started + "  Cost To Date ( 95 Days)\r\n\r\n";

class TestArchive : public QObject {
    Q_OBJECT

  private slots:
    void archive_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<Host::Answer>>("answers");
        QTest::addColumn<QString>("done");   // what the status line reports
        QTest::addColumn<bool>("readOnly");  // the Log directory
        QTest::addColumn<QString>("second"); // the box after the question, if any
        using A = Host::Answer;
        const QString confirm = "Voltrake Create New Log File|Are you sure you want to create a "
                                "new results log file?";
        const QString noData =
            Error + "There is no data to archive!\r\nResults log file not archived.";
        const QString failed = Error + "Unable to archive the results log file Voltrake.log.\r\n"
                                       "This may be a permissions problem.";
        row("archive", Report, QList{A::Yes}, "Archived", false, "");
        row("nothing to archive", Started, QList{A::Yes}, "", false, noData);
        // Only blanks may come before "Cost": other white space makes no report line.
        for (const char* space : {"\t", "\v", "\f", "\xa0"})
            row(qPrintable(
                    QString("nothing to archive, %1 before Cost").arg(QByteArray(space).toHex())),
                Started + space + "Cost noted by hand\r\n", QList{A::Yes}, "", false, noData);
        row("clear", Report, QList{A::No, A::Yes}, "Cleared", false, confirm);
        row("declined", Report, QList{A::No, A::No}, "", false, confirm);
        row("clear without data", Started, QList{A::No}, "Cleared", false, "");
        row("read-only Log directory", Report, QList{A::Yes}, "", true, failed);
    }

    // The log is replaced exactly when the status line reports it.
    void archive() {
        QFETCH(QByteArray, content);
        QFETCH(QList<Host::Answer>, answers);
        QFETCH(QString, done);
        QFETCH(bool, readOnly);
        QFETCH(QString, second);
        Logs ws;
        ws.write(Log, content);
        ws.f.setStatus("old message");
        ws.host.answers = answers;
        // Root ignores permissions, so it acts as an unprivileged user owning the workspace.
        const bool drop = readOnly && geteuid() == 0;
        QVERIFY(!drop || (QProcess::execute("chown", {"-R", "65534", ws.dir()}) == 0 &&
                          seteuid(65534) == 0));
        const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        QFile::setPermissions(ws.path("Log"), readOnly ? all & ~QFileDevice::WriteOwner : all);
        Archive_Click(ws.f);
        QFile::setPermissions(ws.path("Log"), all);
        QVERIFY(!drop || seteuid(0) == 0);
        QCOMPARE(ws.host.texts(),
                 QStringList{"Archive Voltrake Results Log File|Do you want to archive the log "
                             "file?\r\nTo Archive the results log file and create a new one "
                             "click Yes\r\nTo Clear the results log file without archiving it "
                             "click No\r\nClick Cancel to return"} +
                     QStringList(second).filter("|"));
        QCOMPARE(ws.f.text("Status"), done.isEmpty() ? "" : "Results Log File " + done);
        const QStringList fresh = {"Voltrake Results Log", VersionLine, "File Created",
                                   "05/12/2026 04:40:50",  "",          ""};
        QCOMPARE(ws.read(Log), done.isEmpty() ? content : linesOf(fresh));
        QCOMPARE(ws.read(Copy.arg(1)), done == "Archived" ? content : QByteArray());
        if (done == "Archived") { // the second archive of the day takes the next number
            ws.write(Log, content);
            Archive_Click(ws.f);
            QCOMPARE(ws.read(Copy.arg(2)), content);
        }
    }
};

QTEST_GUILESS_MAIN(TestArchive)
#include "tst_archive.moc"
