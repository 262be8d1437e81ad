// SPDX-License-Identifier: GPL-3.0-or-later
// The smart-meter store: what an import keeps, replaces and refuses, which files it will not
// open, what the summary counts, and a store that survives its importer being killed.
#include "records/usagestore.h"
#include "records/usagesummary.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sqlite3.h>

using namespace records::usage;
using domain::Slot;

namespace {

const QTimeZone London("Europe/London");
// Every generated file's minutes count from here.
const qint64 Base = QDateTime(QDate(2025, 1, 15), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();

// Voltrake CSV from "minute length kWh[ e]; ...": minutes from Base, "-" for an empty value.
QByteArray csvOf(const QString& spec) {
    QByteArray out = "start,end,kwh,direction,estimated\n";
    for (const QString& row : spec.split(u';', Qt::SkipEmptyParts)) {
        const QStringList f = row.split(u' ', Qt::SkipEmptyParts);
        const qint64 start = Base + f[0].toLongLong() * 60;
        out += localIso(start, London).toLatin1() + ',' +
               localIso(start + f[1].toLongLong() * 60, London).toLatin1() + ',' +
               (f[2] == u"-" ? QByteArray() : f[2].toLatin1()) + ",import," +
               (f.value(3) == u"e" ? "1" : "0") + '\n';
    }
    return out;
}

// The store's slots as "minute+length=kWh[e]", each series on its own.
QString contents(const Store& store) {
    QStringList series;
    for (const Series& s : store.series()) {
        QStringList kept;
        for (const Slot& slot : store.slotsOf(s.meter, s.direction, LLONG_MIN, LLONG_MAX))
            kept << QStringLiteral("%1+%2=%3%4")
                        .arg((slot.start - Base) / 60)
                        .arg(slot.seconds / 60)
                        .arg(slot.kwh)
                        .arg(slot.estimated ? "e" : "");
        series << s.meter + u'/' + domain::directionName(s.direction) + QStringLiteral(": ") +
                      kept.join(u' ');
    }
    return series.join(u" | ");
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
    ReadOptions options;
    options.zone = London;
    options.meter = meter;
    return store.importFile(in, QStringLiteral("test.csv"), options, progress);
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Runs SQL on a file with SQLite itself, as another program would; returns the first value.
QString sql(const QString& path, const char* statement) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_stmt* st = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, statement, -1, &st, nullptr) == SQLITE_OK) {
        int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(st);
    }
    sqlite3_finalize(st);
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
    void importCounts_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("counts"); // new/unchanged/replaced of the last file
        QTest::addColumn<QString>("kept");
        const QString a = "0 30 0.5; 30 30 0.25";
        QTest::newRow("new") << QStringList{a} << "2/0/0"
                             << "0+30=0.5 30+30=0.25";
        QTest::newRow("the same file again") << QStringList{a, a} << "0/2/0"
                                             << "0+30=0.5 30+30=0.25";
        QTest::newRow("a corrected download replaces its estimate")
            << QStringList{"0 30 0.5 e; 30 30 0.25 e", "0 30 0.75; 30 30 0.25"} << "0/0/2"
            << "0+30=0.75 30+30=0.25";
        QTest::newRow("the newer value whatever its flag")
            << QStringList{"0 30 0.5", "0 30 0.5 e"} << "0/0/1"
            << "0+30=0.5e";
        QTest::newRow("a half-hour replaces the two quarter-hours under it")
            << QStringList{"0 15 0.1; 15 15 0.2; 30 15 0.3", "0 30 0.4"} << "0/0/1"
            << "0+30=0.4 30+15=0.3";
        QTest::newRow("quarter-hours under a stored half-hour")
            << QStringList{"0 30 0.4", "0 15 0.1; 15 15 0.2"} << "1/0/1"
            << "0+15=0.1 15+15=0.2";
        QTest::newRow("a slot across two stored ones replaces both")
            << QStringList{"0 30 0.1; 30 30 0.2; 60 30 0.3", "15 60 0.5"} << "0/0/1"
            << "15+60=0.5";
        QTest::newRow("an empty value deletes nothing")
            << QStringList{a, "0 30 -; 30 30 0.3"} << "0/0/1"
            << "0+30=0.5 30+30=0.3";
        QTest::newRow("the same slot twice in one file counts once")
            << QStringList{"0 30 0.5; 30 30 0.2; 0 30 0.5"} << "2/0/0"
            << "0+30=0.5 30+30=0.2";
    }
    void importCounts() {
        QFETCH(QStringList, files);
        QFETCH(QString, counts);
        QFETCH(QString, kept);
        const QString file = path("counts.sqlite");
        QFile::remove(file);
        auto store = openStore(file);
        ImportOutcome o;
        for (const QString& spec : files)
            o = importBytes(*store, csvOf(spec));
        QVERIFY2(!o.refused, qPrintable(o.refused ? o.refused->text() : QString()));
        QCOMPARE(QStringLiteral("%1/%2/%3").arg(o.added).arg(o.unchanged).arg(o.replaced), counts);
        QCOMPARE(contents(*store), "/import: " + kept);
        QCOMPARE(o.zone, London);
    }

    // A refused or cancelled file leaves every byte of the store as it was.
    void refusals_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QStringList>("says");
        QTest::newRow("a slot twice with another value")
            << csvOf("60 30 0.5; 90 30 0.1; 60 30 0.6") << false << QStringList{"Line 4", "line 2"};
        QTest::newRow("a slot overlapping another of the file")
            << csvOf("60 30 0.5; 75 15 0.1") << false << QStringList{"Line 3", "line 2"};
        QTest::newRow("a row that cannot be read, last")
            << csvOf("60 30 0.5; 90 30 0.2") + "2025-01-15T02:00:00+00:00,x,0.1\n"
            << false << QStringList{"Line 4"};
        QString many;
        for (int i = 0; i < 3000; ++i)
            many += QStringLiteral("%1 30 0.5;").arg(60 + 30 * i);
        QTest::newRow("cancelled") << csvOf(many) << true << QStringList();
    }
    void refusals() {
        QFETCH(QByteArray, file);
        QFETCH(bool, cancel);
        QFETCH(QStringList, says);
        const QString name = path("refusals.sqlite");
        QFile::remove(name);
        auto store = openStore(name);
        importBytes(*store, csvOf("0 30 1; 30 30 2 e; 60 30 3"));
        const QByteArray before = fileBytes(name);
        const ImportOutcome o = importBytes(*store, file, {}, [&](qint64) { return !cancel; });
        QCOMPARE(o.cancelled, cancel);
        QCOMPARE(o.refused.has_value(), !cancel);
        for (const QString& s : says)
            QVERIFY2(o.refused->text().contains(s), qPrintable(o.refused->text()));
        QCOMPARE(o.added + o.unchanged + o.replaced, 0);
        QCOMPARE(fileBytes(name), before);
        QCOMPARE(contents(*store), "/import: 0+30=1 30+30=2e 60+30=3");
    }

    // Never written, whatever else it is: not even a journal beside it.
    void foreignFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("says");
        QTest::newRow("a store of a newer version") << "newer"
                                                    << "newer version";
        QTest::newRow("another program's SQLite file") << "foreign"
                                                       << "not a Voltrake";
        QTest::newRow("our mark without our tables") << "marked"
                                                     << "not a Voltrake";
        QTest::newRow("a text file") << "text"
                                     << "not a Voltrake";
        QTest::newRow("an empty file") << "empty"
                                       << "not a Voltrake";
    }
    void foreignFiles() {
        QFETCH(QString, kind);
        QFETCH(QString, says);
        QTemporaryDir own;
        const QString file = own.filePath("usage.sqlite");
        if (kind == "newer") {
            importBytes(*openStore(file), csvOf("0 30 1"));
            sql(file, QByteArray("PRAGMA user_version = " + QByteArray::number(StoreVersion + 1))
                          .constData());
        } else if (kind == "foreign" || kind == "marked") {
            sql(file, kind == "foreign" ? "CREATE TABLE slots (x)"
                                        : "PRAGMA application_id = 1450142836");
            sql(file, "PRAGMA user_version = 1");
        } else {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(kind == "text" ? "start,end,kwh\n" : "");
        }
        const QByteArray before = fileBytes(file);
        for (bool create : {false, true}) {
            auto opened = Store::open(file, create);
            QVERIFY(std::holds_alternative<QString>(opened));
            const QString message = std::get<QString>(opened);
            QVERIFY2(message.contains(file) && message.contains(says), qPrintable(message));
        }
        QCOMPARE(fileBytes(file), before);
        QCOMPARE(QDir(own.path()).entryList(QDir::Files), QStringList{"usage.sqlite"});
    }

    void missingStoreIsEmptyUntilImported() {
        QTemporaryDir own;
        const QString file = own.filePath("Data/usage.sqlite");
        auto empty = openStore(file, false);
        QVERIFY(!empty->exists());
        QVERIFY(empty->series().isEmpty());
        QCOMPARE(empty->forgetAll(), 0);
        QVERIFY(!QFile::exists(file));
        auto store = openStore(file, true); // makes Data/ as well
        QVERIFY(store->exists());
        QCOMPARE(sql(file, "PRAGMA user_version"), QString::number(StoreVersion));
        QVERIFY(store->setSetting("tariffs", "a;b"));
        QCOMPARE(openStore(file, false)->setting("tariffs"), "a;b");
    }

    void forget() {
        auto store = openStore(path("forget.sqlite"));
        importBytes(*store, csvOf("0 30 1; 30 30 2; 60 30 3"), "A");
        importBytes(*store, csvOf("0 30 4; 30 30 5"), "B");
        QCOMPARE(store->forget("A", Base + 30 * 60, Base + 90 * 60), 2);
        QCOMPARE(store->forget(Base, Base + 30 * 60), 2);
        QCOMPARE(contents(*store), "B/import: 30+30=5");
        QCOMPARE(store->forgetAll(), 1);
        QVERIFY(store->series().isEmpty());
    }

    // Change days are no gaps; a missing slot is counted in the local day it belongs to.
    void summaryMissing_data() {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<int>("days");
        QTest::addColumn<QList<int>>("dropped"); // indexes of generated slots left out
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("expected"); // slots missing days_missing
        const QDate spring(2025, 3, 30), autumn(2025, 10, 26), none;
        QTest::newRow("London spring day")
            << "Europe/London" << 30 << spring << 1 << QList<int>{} << none << none << "46 0 0";
        QTest::newRow("London autumn day")
            << "Europe/London" << 30 << autumn << 1 << QList<int>{} << none << none << "50 0 0";
        QTest::newRow("Dublin autumn day")
            << "Europe/Dublin" << 30 << autumn << 1 << QList<int>{} << none << none << "50 0 0";
        QTest::newRow("Brussels spring quarter-hours")
            << "Europe/Brussels" << 15 << spring << 1 << QList<int>{} << none << none << "92 0 0";
        QTest::newRow("Brussels autumn quarter-hours")
            << "Europe/Brussels" << 15 << autumn << 1 << QList<int>{} << none << none << "100 0 0";
        QTest::newRow("Madrid spring hours")
            << "Europe/Madrid" << 60 << spring << 1 << QList<int>{} << none << none << "23 0 0";
        QTest::newRow("Madrid autumn hours")
            << "Europe/Madrid" << 60 << autumn << 1 << QList<int>{} << none << none << "25 0 0";
        QTest::newRow("one missing in the repeated hour")
            << "Europe/London" << 30 << autumn << 1 << QList<int>{3} << none << none << "49 1 1";
        QTest::newRow("a gap across midnight into the spring day")
            << "Europe/London" << 30 << spring.addDays(-1) << 3 << QList<int>{47, 48, 49} << none
            << none << "139 3 2";
        QTest::newRow("a gap before --from is not counted")
            << "Europe/London" << 30 << spring.addDays(-1) << 3 << QList<int>{10, 11} << spring
            << none << "94 0 0";
        QTest::newRow("a gap inside --from/--to is")
            << "Europe/London" << 30 << spring.addDays(-1) << 3 << QList<int>{60} << spring
            << spring.addDays(1) << "45 1 1";
        QTest::newRow("the first slot's start bounds the span")
            << "Europe/London" << 30 << spring << 1 << QList<int>{0, 1} << spring.addDays(-5)
            << none << "44 0 0";
        QTest::newRow("the range's end bounds it where slots stop before")
            << "Europe/London" << 30 << autumn << 2 << QList<int>{48, 49} << autumn
            << autumn.addDays(1) << "48 2 1";
    }
    void summaryMissing() {
        QFETCH(QString, zone);
        QFETCH(int, minutes);
        QFETCH(QDate, first);
        QFETCH(int, days);
        QFETCH(QList<int>, dropped);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, expected);
        const QTimeZone tz(zone.toUtf8());
        QList<Slot> generated = daysOfSlots(tz, first, days, minutes);
        std::sort(dropped.rbegin(), dropped.rend());
        for (int i : dropped)
            generated.removeAt(i);
        const auto optional = [](QDate d) { return d.isValid() ? std::optional(d) : std::nullopt; };
        const SeriesSummary s =
            summarize({"", domain::Direction::Import, tz}, generated, optional(from), optional(to));
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(s.slotCount).arg(s.missing).arg(s.daysMissing),
                 expected);
        QCOMPARE(s.slotSeconds, minutes * 60);
        QCOMPARE(s.kwh, s.slotCount * 0.25);
    }

    // Months are the meter's local months: an evening in UTC can be the next month's night.
    void summaryMonths_data() {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QStringList>("starts"); // UTC, half-hours
        QTest::addColumn<QString>("months");     // month:slots:missing ...
        QTest::newRow("Brussels: 31 January 23:30 UTC is February")
            << "Europe/Brussels" << QStringList{"2025-01-31T22:30:00Z", "2025-01-31T23:30:00Z"}
            << "2025-01:1:0 2025-02:1:1";
        QTest::newRow("London in summer: 30 June 23:30 UTC is July")
            << "Europe/London" << QStringList{"2025-06-30T22:00:00Z", "2025-06-30T23:30:00Z"}
            << "2025-06:1:1 2025-07:1:1";
        QTest::newRow("a month with no slot at all is still listed")
            << "Europe/London" << QStringList{"2025-01-31T23:30:00Z", "2025-03-01T00:00:00Z"}
            << "2025-01:1:0 2025-02:0:1344 2025-03:1:0";
    }
    void summaryMonths() {
        QFETCH(QString, zone);
        QFETCH(QStringList, starts);
        QFETCH(QString, months);
        QList<Slot> made;
        for (const QString& s : starts)
            made.append({QDateTime::fromString(s, Qt::ISODate).toSecsSinceEpoch(), 1800, 1, false});
        const SeriesSummary s =
            summarize({"", domain::Direction::Import, QTimeZone(zone.toUtf8())}, made, {}, {});
        QStringList got;
        for (const MonthSummary& m : s.months)
            got << QStringLiteral("%1:%2:%3")
                       .arg(m.month.toString("yyyy-MM"))
                       .arg(m.slotCount)
                       .arg(m.missing);
        QCOMPARE(got.join(u' '), months);
    }

    // Export's local times, offsets looked up once per stretch between transitions, are what
    // the zone says for every slot, over the change days and midnight changes too.
    void exportTimes_data() {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QDate>("day");
        QTest::newRow("London spring") << "Europe/London" << QDate(2025, 3, 30);
        QTest::newRow("Brussels autumn") << "Europe/Brussels" << QDate(2025, 10, 26);
        QTest::newRow("Santiago, clocks change at midnight")
            << "America/Santiago" << QDate(2025, 4, 5);
        QTest::newRow("UTC") << "UTC" << QDate(2025, 1, 1);
    }
    void exportTimes() {
        QFETCH(QString, zone);
        QFETCH(QDate, day);
        const QTimeZone tz(zone.toUtf8());
        const QList<Slot> made = daysOfSlots(tz, day.addDays(-1), 3, 30);
        const QList<QByteArray> rows = exportCsv(made, {}, tz).split('\n');
        QCOMPARE(rows.size(), made.size() + 2);
        for (qsizetype i = 0; i < made.size(); ++i)
            QCOMPARE(rows[i + 1], (localIso(made[i].start, tz) + ',' + localIso(made[i].end(), tz) +
                                   ",0.25,import,0")
                                      .toLatin1());
    }

    // A large import killed at 20 moments: the store opens, passes SQLite's integrity check and
    // holds all of the file or none of it, beside what it held before.
    void killedImport() {
        const int count = 60000;
        QByteArray file = "start,end,kwh,direction,estimated\n";
        for (int i = 0; i < count; ++i) {
            const qint64 t = Base + qint64(i) * 1800;
            file += localIso(t, London).toLatin1() + ',' + localIso(t + 1800, London).toLatin1() +
                    ",0." + QByteArray::number(i % 1000) + ",import,0\n";
        }
        const QString csv = path("large.csv");
        QFile out(csv);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
        out.close();

        const QString base = path("killed-base.sqlite");
        QFile::remove(base);
        importBytes(*openStore(base), csvOf("0 30 1; 30 30 2"), "before");
        // Killed once it has reported progress `lines` times and `ms` more have passed; -1 lines:
        // left to finish. Returns the progress lines seen.
        const auto run = [&](const QString& store, int lines, int ms) {
            QProcess p;
            p.start(USAGEIMPORTER, {store, csv, "large"});
            int seen = 0;
            while (lines >= 0 && seen < lines && p.waitForReadyRead(10000))
                seen += p.readAll().count('\n');
            if (lines >= 0) {
                QThread::msleep(ms);
                p.kill(); // SIGKILL
            }
            p.waitForFinished(60000);
            return seen + int(p.readAll().count("progress"));
        };
        const QString whole = path("killed-whole.sqlite");
        QFile::remove(whole);
        QVERIFY(QFile::copy(base, whole));
        const int reports = run(whole, -1, 0);
        QCOMPARE(reports, count / 1024);
        QCOMPARE(openStore(whole, false)
                     ->slotsOf("large", domain::Direction::Import, LLONG_MIN, LLONG_MAX)
                     .size(),
                 count);

        int none = 0, all = 0;
        for (int moment = 0; moment < 20; ++moment) {
            const QString store = path("killed.sqlite");
            for (const QString& f : QDir(dir.path()).entryList({"killed.sqlite*"}))
                QFile::remove(dir.filePath(f));
            QVERIFY(QFile::copy(base, store));
            // 16 moments through the reading, 4 after the last report: the end and the commit.
            if (moment < 16)
                run(store, reports * moment / 16, 0);
            else
                run(store, reports, (moment - 16) * (moment - 16) * 10);
            auto opened = openStore(store, false);
            QCOMPARE(sql(store, "PRAGMA integrity_check"), "ok");
            const auto kept =
                opened->slotsOf("large", domain::Direction::Import, LLONG_MIN, LLONG_MAX);
            QVERIFY2(kept.isEmpty() || kept.size() == count,
                     qPrintable(QString::number(kept.size())));
            (kept.isEmpty() ? none : all) += 1;
            QCOMPARE(
                opened->slotsOf("before", domain::Direction::Import, LLONG_MIN, LLONG_MAX).size(),
                2);
        }
        qInfo("killed imports: %d kept nothing, %d kept the whole file", none, all);
        QVERIFY(none > 0);
    }
};

QTEST_GUILESS_MAIN(TestUsageStore)
#include "tst_usagestore.moc"
