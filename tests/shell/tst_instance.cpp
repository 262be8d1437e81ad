// The running-copy mark as other processes see it.

#include "shell/instance.h"

#include <QProcess>
#include <QStandardPaths>
#include <QUuid>
#include <QtTest>

#include <csignal>

namespace {

const QString holderPath = QStringLiteral(MARKHOLDER);

// Runs markholder to its end and returns what it said.
QString check(const QString& name) {
    QProcess p;
    p.start(holderPath, {name, "check"});
    if (!p.waitForFinished(30000))
        return "no answer";
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
}

// Starts markholder keeping the mark; returns what it said on taking it.
QString hold(QProcess& p, const QString& name) {
    p.start(holderPath, {name, "hold"});
    if (!p.waitForStarted(30000) || !p.waitForReadyRead(30000))
        return "no answer";
    return QString::fromLatin1(p.readLine()).trimmed();
}

QStringList usedNames;

QString uniqueName() {
    usedNames.append("VoltrakeTest-" + QUuid::createUuid().toString(QUuid::WithoutBraces));
    return usedNames.last();
}

} // namespace

class TestInstance : public QObject {
    Q_OBJECT

  private slots:
    void cleanupTestCase();
    void secondCopySeesTheFirst();
    void markGoesWithAKilledCopy();
    void thisProcessHoldsTheMarkForLife();
    void programsStartedByACopyDoNotKeepItsMark();
};

void TestInstance::secondCopySeesTheFirst() {
    const QString name = uniqueName();
    QProcess first;
    QCOMPARE(hold(first, name), QString("alone"));

    QCOMPARE(check(name), QString("running"));
    QVERIFY(IsRunning(name));
    QVERIFY(IsRunning(name)); // asking takes nothing

    first.closeWriteChannel();
    QVERIFY(first.waitForFinished(30000));
    QCOMPARE(first.exitCode(), 0);

    QCOMPARE(check(name), QString("alone"));
}

void TestInstance::markGoesWithAKilledCopy() {
    const QString name = uniqueName();
    QProcess first;
    QCOMPARE(hold(first, name), QString("alone"));
    QCOMPARE(check(name), QString("running"));

    first.kill();
    QVERIFY(first.waitForFinished(30000));

    QCOMPARE(check(name), QString("alone"));
}

void TestInstance::thisProcessHoldsTheMarkForLife() {
    const QString name = uniqueName();
    QVERIFY(!IsRunning(name));
    QVERIFY(!IsRunning(name)); // held here already: still no other copy

    QCOMPARE(check(name), QString("running"));
}

// An editor or browser started by a copy must not keep its mark alive after the copy ends.
void TestInstance::programsStartedByACopyDoNotKeepItsMark() {
    const QString name = uniqueName();
    QProcess first;
    first.start(holderPath, {name, "spawn"});
    QVERIFY(first.waitForFinished(30000));
    const QStringList said = QString::fromLatin1(first.readAllStandardOutput()).split('\n');
    QCOMPARE(said.value(0), QString("alone"));
    const qint64 sleeper = said.value(1).toLongLong();
    QVERIFY(sleeper > 0);

    const QString answer = check(name);
    ::kill(pid_t(sleeper), SIGKILL);

    QCOMPARE(answer, QString("alone"));
}

// The marks live as lock files in the runtime directory; the test's own go with it.
void TestInstance::cleanupTestCase() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    for (const QString& name : usedNames)
        QFile::remove(dir + '/' + name + ".lock");
}

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
