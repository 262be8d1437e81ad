// SPDX-License-Identifier: GPL-3.0-or-later
// Files a person names are read whole only when they are regular files of a size their kind
// can have: a device, a pipe, a folder or a huge file is refused with its reason, and nothing
// is read past the limit or changed.
#include "records/configformat.h"
#include "records/plan.h"
#include "scriptedhost.h"
#include "text/files.h"
#include "ui/historyfiles.h"

#include <QtTest>
#include <sys/stat.h>

class TestNamedFiles : public QObject {
    Q_OBJECT

    // Makes the named kind of file under the workspace and returns its path.
    static QString make(const Workspace& s, const QString& kind) {
        if (kind == "device")
            return "/dev/zero";
        const QString path = s.path(kind);
        if (kind == "fifo")
            ::mkfifo(QFile::encodeName(path).constData(), 0600);
        else if (kind == "folder")
            QDir().mkpath(path);
        else if (kind == "huge") {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.resize(files::NamedFileLimit + 1); // sparse: no disk spent on it
        }
        return path;
    }

  private slots:
    void refused_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fault");
        QTest::newRow("device") << "device"
                                << "it is not a regular file";
        QTest::newRow("fifo") << "fifo"
                              << "it is not a regular file";
        QTest::newRow("folder") << "folder"
                                << "it is a folder, not a file";
        QTest::newRow("huge") << "huge"
                              << "it is larger than 4 MiB";
    }

    void refused() {
        QFETCH(QString, kind);
        QFETCH(QString, fault);
        Workspace s;
        const QString path = make(s, kind);

        const files::NamedFile read = files::readNamed(path);
        QVERIFY(!read.bytes);
        QVERIFY(read.refused);
        QCOMPARE(read.fault, fault);

        const records::plan::PlanFile plan = records::plan::readPlanFile(path);
        QVERIFY(plan.unreadable && !plan.plan);
        QCOMPARE(plan.message, "Unable to read the plan file " + path + ": " + fault + ".");

        if (kind != "folder") { // a folder is a missing configuration file, as it always was
            const records::Configuration config = records::readConfigurationFile(path);
            QCOMPARE(config.status, records::Configuration::Status::Unreadable);
            QCOMPARE(config.readFault, fault);
        }

        s.write("Log/Voltrake_H.log", "kept\r\n");
        s.form.HistoryLogName = "Voltrake_H.log";
        QVERIFY(!importReadingsFrom(s.form, path));
        QCOMPARE(s.host.boxes.size(), 1);
        QVERIFY2(s.host.boxes[0].text.endsWith(": " + fault + "."),
                 qPrintable(s.host.boxes[0].text));
        QCOMPARE(s.read("Log/Voltrake_H.log"), QByteArray("kept\r\n"));
    }

    // A file at the limit is read; a missing one keeps its plain message.
    void edges() {
        Workspace s;
        s.write("full", QByteArray(files::NamedFileLimit, 'x'));
        const files::NamedFile full = files::readNamed(s.path("full"));
        QVERIFY(full.bytes && full.bytes->size() == files::NamedFileLimit);

        const files::NamedFile missing = files::readNamed(s.path("none"));
        QVERIFY(!missing.bytes && !missing.refused);
        QCOMPARE(records::plan::readPlanFile(s.path("none")).message,
                 "Unable to read the plan file " + s.path("none") + ".");
    }
};

QTEST_MAIN(TestNamedFiles)
#include "tst_namedfiles.moc"
