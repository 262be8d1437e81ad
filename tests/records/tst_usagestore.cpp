// SPDX-License-Identifier: GPL-3.0-or-later
// The smart-meter store: what an import keeps, replaces and refuses, which files it will not
// open, what the summary counts, and a store that survives its importer being killed.
#include "records/usagestore.h"
#include "records/usagesummary.h"

#include <QtTest>

#include <sqlite3.h>

using namespace records::usage;
using domain::Slot;
using namespace Qt::StringLiterals;

namespace {

const QTimeZone London("Europe/London");
const qint64 Base = QDateTime(QDate(2025, 1, 15), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
const qint64 All = std::numeric_limits<qint64>::max(), None = std::numeric_limits<qint64>::min();

// Voltrake CSV from "minute length kWh[ e]; ...": minutes from Base, "-" for an empty value.
QByteArray csvOf(const QString& rows) {
    QByteArray out = "start,end,kwh,direction,estimated\n";
    for (const QString& row : rows.split(u';', Qt::SkipEmptyParts)) {
        const QStringList f = row.split(u' ', Qt::SkipEmptyParts);
        const qint64 start = Base + f[0].toLongLong() * 60;
        out += (localIso(start, London) + u',' + localIso(start + f[1].toLongLong() * 60, London) +
                u',' + (f[2] == u"-" ? QString() : f[2]) + u",import,"_s +
                (f.value(3) == u"e" ? u'1' : u'0') + u'\n')
                   .toLatin1();
    }
    return out;
}

// The store's import slots of no meter as "minute+length=kWh[e] ...".
QString contents(const Store& store) {
    QStringList kept;
    for (const Slot& s : store.slotsOf({}, domain::Direction::Import, None, All))
        kept << QStringLiteral("%1+%2=%3%4")
                    .arg((s.start - Base) / 60)
                    .arg(s.seconds / 60)
                    .arg(s.kwh)
                    .arg(s.estimated ? "e" : "");
    return kept.join(u' ');
}

std::unique_ptr<Store> openStore(const QString& path, bool create = true) {
    auto opened = Store::open(path, create);
    if (auto* message = std::get_if<QString>(&opened))
        qFatal("%s", qPrintable(*message));
    return std::move(std::get<0>(opened));
}

ImportOutcome importBytes(Store& store, const QByteArray& bytes, const QString& meter = {},
                          const std::function<bool(qint64)>& progress = {}) {
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    return store.importFile(in, "test.csv", {London, meter, domain::Direction::Import}, progress);
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "<unreadable>";
}

// Runs SQL on a file with SQLite itself, as another program would; returns the first value.
QString sql(const QString& path, const QByteArray& statements) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    QString value;
    sqlite3_exec(
        db, statements.constData(),
        [](void* to, int, char** values, char**) {
            *static_cast<QString*>(to) = QString::fromUtf8(values[0]);
            return 0;
        },
        &value, nullptr);
    sqlite3_close(db);
    return value;
}

QList<Slot> daysOfSlots(const QTimeZone& zone, QDate first, int days, int minutes) {
    QList<Slot> out;
    const qint64 end = localDayStart(first.addDays(days), zone);
    for (qint64 t = localDayStart(first, zone); t < end; t += minutes * 60)
        out.append({t, minutes * 60, 0.25, false});
    return out;
}

} // namespace

class TestUsageStore : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

  private slots:
    // Files ("|" between them) into a new store: how the last ended (new/unchanged/replaced, or
    // its refusal); a refused or cancelled file leaves every byte of the store as it was.
    void imports_data() {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("kept");
        const auto row = [](const char* name, const QString& files, const char* outcome,
                            const char* kept) { QTest::newRow(name) << files << outcome << kept; };
        row("new", "0 30 0.5; 30 30 0.25", "2/0/0", "0+30=0.5 30+30=0.25");
        row("the same file again", "0 30 0.5; 30 30 0.25 | 0 30 0.5; 30 30 0.25", "0/2/0",
            "0+30=0.5 30+30=0.25");
        row("a corrected download replaces its estimates",
            "0 30 0.5 e; 30 30 0.25 e | 0 30 0.75; 30 30 0.25", "0/0/2", "0+30=0.75 30+30=0.25");
        row("the newer value whatever its flag", "0 30 0.5 | 0 30 0.5 e", "0/0/1", "0+30=0.5e");
        row("a half-hour replaces the two quarter-hours under it",
            "0 15 0.1; 15 15 0.2; 30 15 0.3 | 0 30 0.4", "0/0/1", "0+30=0.4 30+15=0.3");
        row("a slot across two stored ones replaces both",
            "0 30 0.1; 30 30 0.2; 60 30 0.3 | 15 60 0.5", "0/0/1", "15+60=0.5");
        row("an empty value deletes nothing", "0 30 0.5; 30 30 0.25 | 0 30 -; 30 30 0.3", "0/0/1",
            "0+30=0.5 30+30=0.3");
        row("the same slot twice in one file counts once", "0 30 0.5; 30 30 0.2; 0 30 0.5", "2/0/0",
            "0+30=0.5 30+30=0.2");
        row("a slot twice in one file with another value", "0 30 1 | 60 30 0.5; 90 30 1; 60 30 0.6",
            "Line 4: the slot of 2025-01-15 01:00 UTC has another value on line 2", "0+30=1");
        row("a slot overlapping another of the file", "0 30 1 e | 60 30 0.5; 75 15 0.1",
            "Line 3: the slot of 2025-01-15 01:15 UTC overlaps the slot of 2025-01-15 01:00 UTC "
            "on line 2",
            "0+30=1e");
        QString many = "0 30 1 |";
        for (int i = 1; i < 3000; ++i)
            many += QStringLiteral("%1 30 0.5;").arg(30 * i);
        row("cancelled", many, "cancelled", "0+30=1");
    }
    void imports() {
        QFETCH(QString, files);
        QFETCH(QString, outcome);
        QFETCH(QString, kept);
        QFile::remove(path("imports.sqlite"));
        auto store = openStore(path("imports.sqlite"));
        const QStringList each = files.split(u'|');
        for (const QString& rows : each.first(each.size() - 1))
            importBytes(*store, csvOf(rows));
        const QByteArray before = fileBytes(path("imports.sqlite"));
        const ImportOutcome o = importBytes(*store, csvOf(each.last()), {},
                                            [&](qint64) { return outcome != "cancelled"; });
        const QString counts =
            QStringLiteral("%1/%2/%3").arg(o.added).arg(o.unchanged).arg(o.replaced);
        if (o.refused || o.cancelled) {
            QVERIFY2(o.cancelled ? outcome == "cancelled" : o.refused->text().startsWith(outcome),
                     qPrintable(o.refused ? o.refused->text() : QString()));
            QCOMPARE(counts, "0/0/0");
            QCOMPARE(fileBytes(path("imports.sqlite")), before);
        } else {
            QCOMPARE(counts, outcome);
            QCOMPARE(o.zone, London);
        }
        QCOMPARE(contents(*store), kept);
    }

    // Never written, whatever else it is: not even a journal beside it.
    void foreignFiles_data() {
        QTest::addColumn<QByteArray>("make"); // SQL run on a new file, or "=" and the bytes
        QTest::addColumn<QString>("says");
        QTest::newRow("a store of a newer version") << QByteArray("newer") << "newer version";
        QTest::newRow("another program's SQLite file")
            << QByteArray("CREATE TABLE slots (x); PRAGMA user_version = 1") << "not a Voltrake";
        QTest::newRow("our mark without our tables")
            << QByteArray("PRAGMA application_id = 1450142836; PRAGMA user_version = 1")
            << "not a Voltrake";
        QTest::newRow("a text file") << QByteArray("=start,end,kwh\n") << "not a Voltrake";
    }
    void foreignFiles() {
        QFETCH(QByteArray, make);
        QFETCH(QString, says);
        QTemporaryDir own;
        const QString file = own.filePath("usage.sqlite");
        QFile f(file);
        if (make.startsWith('='))
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(make.mid(1)) == make.size() - 1);
        else if (make == "newer" && importBytes(*openStore(file), csvOf("0 30 1")).added == 1)
            sql(file, "PRAGMA user_version = " + QByteArray::number(StoreVersion + 1));
        else
            sql(file, make);
        f.close();
        const QByteArray before = fileBytes(file);
        for (bool create : {false, true}) {
            const auto opened = Store::open(file, create);
            const QString* message = std::get_if<QString>(&opened);
            QVERIFY(message && message->contains(file) && message->contains(says));
        }
        QCOMPARE(fileBytes(file), before);
        QCOMPARE(QDir(own.path()).entryList(QDir::Files), QStringList{"usage.sqlite"});
    }

    void missingStoreIsEmptyUntilImported() {
        QTemporaryDir own;
        const QString file = own.filePath("Data/usage.sqlite");
        auto empty = openStore(file, false);
        QVERIFY(!empty->exists() && empty->series().isEmpty() && empty->forgetAll() == 0);
        QVERIFY(!QFile::exists(file));
        QVERIFY(openStore(file, true)->setSetting("tariffs", "a;b")); // makes Data/ as well
        QCOMPARE(sql(file, "PRAGMA user_version"), QString::number(StoreVersion));
        QCOMPARE(openStore(file, false)->setting("tariffs"), "a;b");
    }

    // Change days are no gaps (London's in the rows with gaps); a missing slot is counted in the
    // local day and month it belongs to, and months are the meter's local months.
    void summary_data() {
        // zone minutes day days left-out from to; slots missing days_missing month:slots:missing
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* data, const char* expected) {
            QTest::newRow(name) << data << expected;
        };
        row("Brussels autumn", "Europe/Brussels 15 2025-10-26 1 - - -", "100 0 0 2025-10:100:0");
        row("one missing in the repeated hour", "Europe/London 30 2025-10-26 1 3 - -",
            "49 1 1 2025-10:49:1");
        row("a gap across midnight into the spring day", "Europe/London 30 2025-03-29 3 47-49 - -",
            "139 3 2 2025-03:139:3");
        row("a gap across local midnight into February, 23:00 UTC in Brussels",
            "Europe/Brussels 60 2025-01-31 2 23-24 - -", "46 2 2 2025-01:23:1 2025-02:23:1");
        row("a gap before --from is not counted",
            "Europe/London 30 2025-03-29 3 10-11 2025-03-30 -", "94 0 0 2025-03:94:0");
        row("a gap inside --from/--to is", "Europe/London 30 2025-03-29 3 60 2025-03-30 2025-03-31",
            "45 1 1 2025-03:45:1");
        row("the first slot's start bounds the span",
            "Europe/London 30 2025-03-30 1 0-1 2025-03-25 -", "44 0 0 2025-03:44:0");
        row("the range's end bounds it where slots stop before",
            "Europe/London 30 2025-10-26 2 48-49 2025-10-26 2025-10-27", "48 2 1 2025-10:48:2");
        row("a month with no slot at all is still listed",
            "Europe/London 30 2025-01-31 30 48-1391 - -",
            "96 1344 28 2025-01:48:0 2025-02:0:1344 2025-03:48:0");
    }
    void summary() {
        QFETCH(QString, data);
        QFETCH(QString, expected);
        const QStringList f = data.split(u' ');
        const QTimeZone tz(f[0].toUtf8());
        QList<Slot> made =
            daysOfSlots(tz, QDate::fromString(f[2], Qt::ISODate), f[3].toInt(), f[1].toInt());
        const int from = f[4].section(u'-', 0, 0).toInt(); // a range of indexes, or "-"
        if (f[4] != u"-")
            made.remove(from, f[4].section(u'-', -1).toInt() - from + 1);
        const auto day = [](const QString& d) {
            return d == u"-" ? std::nullopt : std::optional(QDate::fromString(d, Qt::ISODate));
        };
        const SeriesSummary s =
            summarize({"", domain::Direction::Import, tz}, made, day(f[5]), day(f[6]));
        QString got = QStringLiteral("%1 %2 %3").arg(s.slotCount).arg(s.missing).arg(s.daysMissing);
        for (const MonthSummary& m : s.months)
            got += m.month.toString(u" yyyy-MM"_s) +
                   QStringLiteral(":%1:%2").arg(m.slotCount).arg(m.missing);
        QCOMPARE(got, expected);
        QCOMPARE(s.slotSeconds, f[1].toInt() * 60);
        QCOMPARE(s.kwh, s.slotCount * 0.25);
    }

    // An import killed at 20 moments: the store is whole and holds all of the file or none.
    void killedImport() {
        const int count = 60000;
        QString rows;
        for (int i = 0; i < count; ++i)
            rows += QStringLiteral("%1 30 0.%2;").arg(i * 30).arg(i % 1000);
        QFile csv(path("large.csv"));
        QVERIFY(csv.open(QIODevice::WriteOnly) && csv.write(csvOf(rows)) > 0);
        csv.close();
        importBytes(*openStore(path("base.sqlite")), csvOf("0 30 1; 30 30 2"), "before");
        // Whole; then killed at 16 of its progress reports and 4 times after the last (commit).
        int reports = 0, none = 0;
        for (int moment = -1; moment < 20; ++moment) {
            for (const QString& f : QDir(dir.path()).entryList({"killed.sqlite*"}))
                QFile::remove(dir.filePath(f));
            QVERIFY(QFile::copy(path("base.sqlite"), path("killed.sqlite")));
            QProcess p;
            p.start(USAGEIMPORTER, {path("killed.sqlite"), csv.fileName(), "large"});
            const int wait = moment < 0 ? -1 : moment < 16 ? reports * moment / 16 : reports;
            for (int seen = 0; wait >= 0 && seen < wait && p.waitForReadyRead(10000);)
                seen += p.readAll().count('\n');
            if (wait >= 0) {
                QThread::msleep(moment < 16 ? 0 : (moment - 16) * (moment - 16) * 10);
                p.kill(); // SIGKILL
            }
            p.waitForFinished(60000);
            if (moment < 0)
                reports = p.readAll().count("progress");
            auto store = openStore(path("killed.sqlite"), false);
            QCOMPARE(sql(path("killed.sqlite"), "PRAGMA integrity_check"), "ok");
            const qsizetype kept =
                store->slotsOf("large", domain::Direction::Import, None, All).size();
            QCOMPARE(kept, moment < 0 || kept ? count : 0); // all of the file or none
            none += kept == 0;
            QCOMPARE(store->slotsOf("before", domain::Direction::Import, None, All).size(), 2);
        }
        QCOMPARE(reports, count / 1024);
        QVERIFY(none > 0);
    }
};

QTEST_GUILESS_MAIN(TestUsageStore)
#include "tst_usagestore.moc"
