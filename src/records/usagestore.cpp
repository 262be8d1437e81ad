// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/usagestore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QTemporaryFile>
#include <QtEndian>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace records::usage {

namespace {

// "Volt": PRAGMA application_id of every store, so that another program's SQLite file is told
// apart from ours before anything is written to it.
constexpr quint32 ApplicationId = 0x566F6C74;
// No slot is longer than an hour; stored slots that overlap [start, end) therefore all start
// after start - MaxSlotSeconds, which keeps the overlap search a range of the primary key.
constexpr qint64 MaxSlotSeconds = 3600;

const char* const Schema = R"(
CREATE TABLE meters (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE,      -- MPAN, MPRN, EAN, CUPS as the file names it, or ''
    zone TEXT NOT NULL              -- IANA zone its local times are read in
);
CREATE TABLE sources (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,             -- the file a slot came from
    imported INTEGER NOT NULL       -- when, UTC seconds
);
CREATE TABLE slots (
    meter INTEGER NOT NULL REFERENCES meters (id),
    direction TEXT NOT NULL CHECK (direction IN ('import', 'export')),
    start INTEGER NOT NULL,         -- UTC seconds
    seconds INTEGER NOT NULL CHECK (seconds > 0 AND seconds <= 3600),
    kwh REAL NOT NULL,
    estimated INTEGER NOT NULL CHECK (estimated IN (0, 1)),
    source INTEGER NOT NULL REFERENCES sources (id),
    line INTEGER NOT NULL,          -- the line of the source that gave the value
    PRIMARY KEY (meter, direction, start)
) WITHOUT ROWID;
CREATE TABLE settings (
    key TEXT PRIMARY KEY,
    value TEXT NOT NULL
) WITHOUT ROWID;
)";

// --- A small RAII layer over the C API -----------------------------------------------------

struct DbClose {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, DbClose>;

// A prepared statement: bound, stepped, reset for the next use, finalized with its owner.
class Statement {
  public:
    Statement() = default;
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &st_, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(st_);
            st_ = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(st_); }
    Statement(Statement&& o) noexcept : db_(o.db_), st_(std::exchange(o.st_, nullptr)) {}
    Statement& operator=(Statement&& o) noexcept {
        std::swap(db_, o.db_);
        std::swap(st_, o.st_);
        return *this;
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return st_ != nullptr; }
    Statement& bind(int i, qint64 v) {
        sqlite3_bind_int64(st_, i, v);
        return *this;
    }
    Statement& bind(int i, double v) {
        sqlite3_bind_double(st_, i, v);
        return *this;
    }
    // A text that outlives the statement's use (a literal).
    Statement& bind(int i, const char* literal) {
        sqlite3_bind_text(st_, i, literal, -1, SQLITE_STATIC);
        return *this;
    }
    Statement& bind(int i, const QString& v) {
        sqlite3_bind_text16(st_, i, v.utf16(), int(v.size() * 2), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW or SQLITE_DONE, else an error code.
    int step() { return st_ ? sqlite3_step(st_) : SQLITE_MISUSE; }
    // Runs a statement that returns no row; resets it for the next use.
    bool run() {
        const int rc = step();
        sqlite3_reset(st_);
        return rc == SQLITE_DONE;
    }
    void reset() {
        if (st_)
            sqlite3_reset(st_);
    }
    qint64 int64(int c) const { return sqlite3_column_int64(st_, c); }
    double real(int c) const { return sqlite3_column_double(st_, c); }
    QString text(int c) const {
        const void* p = sqlite3_column_text16(st_, c);
        return p ? QString::fromUtf16(static_cast<const char16_t*>(p),
                                      sqlite3_column_bytes16(st_, c) / 2)
                 : QString();
    }
    bool null(int c) const { return sqlite3_column_type(st_, c) == SQLITE_NULL; }

  private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* st_ = nullptr;
};

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

QString lastError(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : u"out of memory"_s;
}

QString directionText(domain::Direction d) {
    return domain::directionName(d);
}

// The store's own marks, read from the database header's bytes: nothing of SQLite touches the
// file, so a foreign or newer file is never written (not even to roll back its journal).
// Returns the store version, or an empty text and the reason.
std::variant<int, QString> headerVersion(const QString& path) {
    const QString notOurs = path + u" is not a Voltrake smart-meter store; it was left as it is."_s;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return path + u" cannot be opened: "_s + f.errorString();
    const QByteArray head = f.read(100);
    if (head.size() < 100 || !head.startsWith(QByteArrayView("SQLite format 3\0", 16)))
        return notOurs;
    const auto be32 = [&](int at) { return qFromBigEndian<quint32>(head.constData() + at); };
    if (be32(68) != ApplicationId)
        return notOurs;
    const quint32 version = be32(60);
    if (version > quint32(StoreVersion))
        return path + u" was written by a newer version of Voltrake (store version "_s +
               QString::number(version) + u"; this one reads up to "_s +
               QString::number(StoreVersion) + u"); it was left as it is."_s;
    if (version < 1)
        return notOurs;
    return int(version);
}

// The schema in a file of its own, renamed into place: a store is there whole or not at all.
std::optional<QString> createStore(const QString& path) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return u"The directory "_s + info.absolutePath() + u" cannot be created."_s;
    QTemporaryFile temp(path + u".XXXXXX"_s);
    if (!temp.open())
        return path + u" cannot be created: "_s + temp.errorString();
    temp.close();
    {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(QFile::encodeName(temp.fileName()).constData(), &raw,
                                       SQLITE_OPEN_READWRITE, nullptr);
        Db db(raw);
        const QByteArray marks = "PRAGMA application_id = " + QByteArray::number(ApplicationId) +
                                 "; PRAGMA user_version = " + QByteArray::number(StoreVersion) +
                                 ";";
        // A file nobody else sees yet needs no journal: on failure it is simply removed.
        if (rc != SQLITE_OK || !exec(raw, "PRAGMA journal_mode = OFF") || !exec(raw, "BEGIN") ||
            !exec(raw, Schema) || !exec(raw, marks.constData()) || !exec(raw, "COMMIT"))
            return path + u" cannot be created: "_s + lastError(raw);
    }
    if (!QFile::rename(temp.fileName(), path) && !QFile::exists(path))
        return path + u" cannot be created."_s;
    return std::nullopt;
}

} // namespace

struct Store::Impl {
    Db db; // null: no store file yet, an empty store
    QString path;

    bool ready() const { return bool(db); }

    std::optional<qint64> meterId(const QString& name) const {
        Statement q(db.get(), "SELECT id FROM meters WHERE name = ?1");
        q.bind(1, name);
        if (q.step() == SQLITE_ROW)
            return q.int64(0);
        return std::nullopt;
    }

    // Meters whose last slot went are dropped with the sources nothing refers to any more.
    bool tidy() {
        return exec(db.get(), "DELETE FROM meters WHERE id NOT IN (SELECT DISTINCT meter FROM "
                              "slots); DELETE FROM sources WHERE id NOT IN (SELECT DISTINCT "
                              "source FROM slots);");
    }

    qint64 removeWhere(const char* sql, std::optional<qint64> meter, qint64 from, qint64 to) {
        if (!ready())
            return 0;
        if (!exec(db.get(), "BEGIN IMMEDIATE"))
            return -1;
        Statement del(db.get(), sql);
        if (meter)
            del.bind(3, *meter);
        del.bind(1, from).bind(2, to);
        if (!del.run()) {
            exec(db.get(), "ROLLBACK");
            return -1;
        }
        const qint64 n = sqlite3_changes64(db.get());
        if (!tidy() || !exec(db.get(), "COMMIT")) {
            exec(db.get(), "ROLLBACK");
            return -1;
        }
        return n;
    }
};

Store::Store() : d(std::make_unique<Impl>()) {}
Store::~Store() = default;

std::variant<std::unique_ptr<Store>, QString> Store::open(const QString& path, bool create) {
    std::unique_ptr<Store> store(new Store);
    store->d->path = path;
    if (!QFileInfo::exists(path)) {
        if (!create)
            return store;
        if (auto failure = createStore(path))
            return *failure;
    }
    if (!QFileInfo(path).isFile())
        return path + u" is not a Voltrake smart-meter store; it was left as it is."_s;
    auto version = headerVersion(path);
    if (auto* message = std::get_if<QString>(&version))
        return *message;

    sqlite3* raw = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc = sqlite3_open_v2(name.constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) { // a store that cannot be written can still be read
        sqlite3_close_v2(raw);
        raw = nullptr;
        rc = sqlite3_open_v2(name.constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    }
    Db db(raw);
    if (rc != SQLITE_OK)
        return path + u" cannot be opened: "_s + lastError(raw);
    sqlite3_busy_timeout(raw, 5000);
    // Whole imports stay in memory up to 16 MiB before pages go to the file.
    exec(raw, "PRAGMA cache_size = -16384");
    // Long reads map the file instead of copying each page.
    exec(raw, "PRAGMA mmap_size = 268435456");
    Statement tables(raw, "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN "
                          "('meters', 'sources', 'slots', 'settings')");
    if (tables.step() != SQLITE_ROW)
        return path + u" cannot be read: "_s + lastError(raw);
    if (tables.int64(0) != 4)
        return path + u" is not a Voltrake smart-meter store; it was left as it is."_s;
    tables = {};
    store->d->db = std::move(db);
    return store;
}

ImportOutcome Store::importFile(QIODevice& in, const QString& source, const ReadOptions& options,
                                const std::function<bool(qint64)>& progress) {
    ImportOutcome outcome;
    if (!d->ready()) {
        outcome.failure = d->path + u": the store was opened without a file to write to."_s;
        return outcome;
    }
    sqlite3* db = d->db.get();
    auto failed = [&] {
        outcome.failure = d->path + u" cannot be written: "_s + lastError(db);
        exec(db, "ROLLBACK");
        outcome.added = outcome.unchanged = outcome.replaced = 0;
        return outcome;
    };
    if (!exec(db, "BEGIN IMMEDIATE"))
        return failed();

    Statement addSource(db, "INSERT INTO sources (name, imported) VALUES (?1, ?2)");
    addSource.bind(1, source).bind(2, QDateTime::currentSecsSinceEpoch());
    if (!addSource.run())
        return failed();
    const qint64 sourceId = sqlite3_last_insert_rowid(db);

    Statement findMeter(db, "SELECT id FROM meters WHERE name = ?1");
    Statement addMeter(db, "INSERT INTO meters (name, zone) VALUES (?1, '')");
    Statement overlapping(db, "SELECT start, seconds, kwh, estimated, source, line FROM slots "
                              "WHERE meter = ?1 AND direction = ?2 AND start > ?3 AND start < ?4");
    Statement remove(db, "DELETE FROM slots WHERE meter = ?1 AND direction = ?2 AND start > ?3 "
                         "AND start < ?4 AND start + seconds > ?5");
    Statement insert(db, "INSERT INTO slots VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    Statement confirm(db, "UPDATE slots SET source = ?4, line = ?5 WHERE meter = ?1 AND "
                          "direction = ?2 AND start = ?3");
    if (!findMeter.ok() || !addMeter.ok() || !overlapping.ok() || !remove.ok() || !insert.ok() ||
        !confirm.ok())
        return failed();

    Statement lastEnd(db, "SELECT start + seconds FROM slots WHERE meter = ?1 AND direction = ?2 "
                          "ORDER BY start DESC LIMIT 1");
    if (!lastEnd.ok())
        return failed();

    // What the import knows of one meter and direction: its id, and the end of its latest slot
    // so far (stored before or added now). A slot that starts there or later overlaps nothing,
    // so a file that runs oldest first into new time is inserted without looking.
    struct SeriesState {
        qint64 meter = 0;
        const char* direction = nullptr;
        qint64 highWater = std::numeric_limits<qint64>::min();
    };
    QHash<std::pair<QString, int>, SeriesState> states;
    SeriesState* state = nullptr;
    QString stateMeter;
    std::optional<domain::Direction> stateDirection;
    const auto seriesOf = [&](const ReadSlot& r) -> SeriesState* {
        if (state && r.direction == stateDirection && r.meter == stateMeter)
            return state;
        const auto key = std::pair{r.meter, int(r.direction)};
        auto it = states.find(key);
        if (it == states.end()) {
            SeriesState fresh;
            fresh.direction = r.direction == domain::Direction::Import ? "import" : "export";
            findMeter.bind(1, r.meter);
            const bool known = findMeter.step() == SQLITE_ROW;
            fresh.meter = known ? findMeter.int64(0) : 0;
            findMeter.reset();
            if (!known) {
                addMeter.bind(1, r.meter);
                if (!addMeter.run())
                    return nullptr;
                fresh.meter = sqlite3_last_insert_rowid(db);
            } else {
                lastEnd.bind(1, fresh.meter).bind(2, fresh.direction);
                const int rc = lastEnd.step();
                if (rc == SQLITE_ROW)
                    fresh.highWater = lastEnd.int64(0);
                lastEnd.reset();
                if (rc != SQLITE_ROW && rc != SQLITE_DONE)
                    return nullptr;
            }
            it = states.insert(key, fresh);
        }
        state = &it.value();
        stateMeter = r.meter;
        stateDirection = r.direction;
        return state;
    };

    bool sqlFailed = false;
    bool cancelled = false;
    std::optional<ReadError> refusal;
    qint64 count = 0;

    auto stamp = [](qint64 utc) {
        return QDateTime::fromSecsSinceEpoch(utc, QTimeZone::utc())
            .toString(u"yyyy-MM-dd HH:mm 'UTC'"_s);
    };
    const auto insertSlot = [&](const SeriesState& series, const ReadSlot& r) {
        const domain::Slot& s = r.slot;
        insert.bind(1, series.meter).bind(2, series.direction).bind(3, s.start);
        insert.bind(4, qint64(s.seconds)).bind(5, s.kwh).bind(6, qint64(s.estimated));
        insert.bind(7, sourceId).bind(8, qint64(r.line));
        return insert.run();
    };

    const auto sink = [&](const ReadSlot& r) -> bool {
        if (progress && ++count % 1024 == 0 && !progress(in.pos())) {
            cancelled = true;
            return false;
        }
        const domain::Slot& s = r.slot;
        if (s.seconds <= 0 || s.seconds > MaxSlotSeconds || !qIsFinite(s.kwh)) {
            refusal = ReadError{r.line, QString(),
                                u"a slot of "_s + QString::number(s.seconds) +
                                    u" seconds or without a number of kWh cannot be kept"_s};
            return false;
        }
        SeriesState* series = seriesOf(r);
        if (!series) {
            sqlFailed = true;
            return false;
        }
        outcome.first = outcome.first ? std::min(*outcome.first, s.start) : s.start;
        outcome.last = outcome.last ? std::max(*outcome.last, s.start) : s.start;
        if (s.start >= series->highWater) {
            if (!insertSlot(*series, r)) {
                sqlFailed = true;
                return false;
            }
            series->highWater = s.end();
            ++outcome.added;
            return true;
        }

        // Every stored slot that shares a moment with this one.
        overlapping.bind(1, series->meter).bind(2, series->direction);
        overlapping.bind(3, s.start - MaxSlotSeconds).bind(4, s.end());
        int found = 0;
        bool same = false;
        std::optional<std::pair<qint64, qint64>> ownLine; // (line, start) from this same file
        int rc;
        while ((rc = overlapping.step()) == SQLITE_ROW) {
            const qint64 start = overlapping.int64(0);
            const qint64 seconds = overlapping.int64(1);
            if (start + seconds <= s.start)
                continue;
            ++found;
            same = start == s.start && seconds == s.seconds && overlapping.real(2) == s.kwh &&
                   (overlapping.int64(3) != 0) == s.estimated;
            if (overlapping.int64(4) == sourceId)
                ownLine = std::pair{overlapping.int64(5), start};
        }
        overlapping.reset();
        if (rc != SQLITE_DONE) {
            sqlFailed = true;
            return false;
        }
        if (ownLine) {
            if (found == 1 && same)
                return true; // the same slot again with the same value counts once
            const QString line = QString::number(ownLine->first);
            refusal = ReadError{
                r.line, QString(),
                ownLine->second == s.start
                    ? u"the slot of "_s + stamp(s.start) + u" has another value on line "_s + line
                    : u"the slot of "_s + stamp(s.start) + u" overlaps the slot of "_s +
                          stamp(ownLine->second) + u" on line "_s + line};
            return false;
        }
        if (found == 1 && same) {
            confirm.bind(1, series->meter).bind(2, series->direction).bind(3, s.start);
            confirm.bind(4, sourceId).bind(5, qint64(r.line));
            if (!confirm.run()) {
                sqlFailed = true;
                return false;
            }
            ++outcome.unchanged;
            return true;
        }
        if (found) {
            remove.bind(1, series->meter).bind(2, series->direction);
            remove.bind(3, s.start - MaxSlotSeconds).bind(4, s.end()).bind(5, s.start);
            if (!remove.run()) {
                sqlFailed = true;
                return false;
            }
            ++outcome.replaced;
        } else {
            ++outcome.added;
        }
        if (!insertSlot(*series, r)) {
            sqlFailed = true;
            return false;
        }
        series->highWater = std::max(series->highWater, s.end());
        return true;
    };

    const ReadResult read = readUsage(in, options, sink);
    outcome.format = read.format;
    outcome.zone = read.zone;
    auto rollBack = [&] {
        exec(db, "ROLLBACK");
        outcome.added = outcome.unchanged = outcome.replaced = 0;
        return outcome;
    };
    if (sqlFailed)
        return failed();
    if (read.error || refusal) {
        outcome.refused = read.error ? read.error : refusal;
        return rollBack();
    }
    if (cancelled || read.cancelled) {
        outcome.cancelled = true;
        return rollBack();
    }
    // Meters met for the first time take the zone this file's times were read in.
    const QString zone =
        QString::fromUtf8((read.zone.isValid() ? read.zone : QTimeZone::systemTimeZone()).id());
    Statement setZone(db, "UPDATE meters SET zone = ?1 WHERE zone = ''");
    setZone.bind(1, zone);
    if (!setZone.run() || !d->tidy() || !exec(db, "COMMIT"))
        return failed();
    return outcome;
}

QList<Series> Store::series() const {
    QList<Series> out;
    if (!d->ready())
        return out;
    Statement q(d->db.get(),
                "SELECT name, zone, EXISTS (SELECT 1 FROM slots WHERE meter = id AND direction "
                "= 'import'), EXISTS (SELECT 1 FROM slots WHERE meter = id AND direction = "
                "'export') FROM meters ORDER BY name");
    while (q.step() == SQLITE_ROW) {
        const QTimeZone zone(q.text(1).toUtf8());
        for (int c : {2, 3}) {
            if (q.int64(c))
                out.append({q.text(0),
                            c == 2 ? domain::Direction::Import : domain::Direction::Export,
                            zone.isValid() ? zone : QTimeZone::utc()});
        }
    }
    return out;
}

QList<domain::Slot> Store::slotsOf(const QString& meter, domain::Direction direction, qint64 from,
                                   qint64 to) const {
    QList<domain::Slot> out;
    if (!d->ready())
        return out;
    Statement q(d->db.get(), "SELECT start, seconds, kwh, estimated FROM slots WHERE meter = "
                             "(SELECT id FROM meters WHERE name = ?1) AND direction = ?2 AND "
                             "start >= ?3 AND start < ?4 ORDER BY start");
    q.bind(1, meter).bind(2, directionText(direction)).bind(3, from).bind(4, to);
    while (q.step() == SQLITE_ROW)
        out.append({q.int64(0), int(q.int64(1)), q.real(2), q.int64(3) != 0});
    return out;
}

void Store::visitSlots(const QString& meter, domain::Direction direction, qint64 from, qint64 to,
                       const std::function<void(const domain::Slot&)>& visit) const {
    if (!d->ready())
        return;
    Statement q(d->db.get(), "SELECT start, seconds, kwh, estimated FROM slots WHERE meter = "
                             "(SELECT id FROM meters WHERE name = ?1) AND direction = ?2 AND "
                             "start >= ?3 AND start < ?4 ORDER BY start");
    q.bind(1, meter).bind(2, directionText(direction)).bind(3, from).bind(4, to);
    while (q.step() == SQLITE_ROW)
        visit({q.int64(0), int(q.int64(1)), q.real(2), q.int64(3) != 0});
}

std::optional<std::pair<qint64, qint64>> Store::extent(const QString& meter,
                                                       domain::Direction direction) const {
    if (!d->ready())
        return std::nullopt;
    // Slots of a series never overlap: the last to start is the last to end.
    Statement q(d->db.get(),
                "SELECT (SELECT start FROM slots WHERE meter = m.id AND direction = ?2 ORDER BY "
                "start LIMIT 1), (SELECT start + seconds FROM slots WHERE meter = m.id AND "
                "direction = ?2 ORDER BY start DESC LIMIT 1) FROM meters m WHERE name = ?1");
    q.bind(1, meter).bind(2, directionText(direction));
    if (q.step() != SQLITE_ROW || q.null(0))
        return std::nullopt;
    return std::pair{q.int64(0), q.int64(1)};
}

int Store::commonSlotSeconds(const QString& meter, domain::Direction direction, qint64 from,
                             qint64 to) const {
    if (!d->ready())
        return 0;
    Statement q(d->db.get(), "SELECT seconds FROM slots WHERE meter = (SELECT id FROM meters "
                             "WHERE name = ?1) AND direction = ?2 AND start >= ?3 AND start < ?4 "
                             "GROUP BY seconds ORDER BY count(*) DESC, seconds LIMIT 1");
    q.bind(1, meter).bind(2, directionText(direction)).bind(3, from).bind(4, to);
    return q.step() == SQLITE_ROW ? int(q.int64(0)) : 0;
}

qint64 Store::forget(qint64 from, qint64 to) {
    return d->removeWhere("DELETE FROM slots WHERE start >= ?1 AND start < ?2", std::nullopt, from,
                          to);
}

qint64 Store::forget(const QString& meter, qint64 from, qint64 to) {
    const auto id = d->ready() ? d->meterId(meter) : std::nullopt;
    if (!id)
        return 0;
    return d->removeWhere("DELETE FROM slots WHERE meter = ?3 AND start >= ?1 AND start < ?2", id,
                          from, to);
}

qint64 Store::forgetAll() {
    return d->removeWhere("DELETE FROM slots WHERE start >= ?1 AND start < ?2", std::nullopt,
                          std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
}

QString Store::setting(const QString& key) const {
    if (!d->ready())
        return {};
    Statement q(d->db.get(), "SELECT value FROM settings WHERE key = ?1");
    q.bind(1, key);
    return q.step() == SQLITE_ROW ? q.text(0) : QString();
}

bool Store::setSetting(const QString& key, const QString& value) {
    if (!d->ready())
        return false;
    Statement q(d->db.get(), "INSERT OR REPLACE INTO settings (key, value) VALUES (?1, ?2)");
    q.bind(1, key).bind(2, value);
    return q.run();
}

QString Store::path() const {
    return d->path;
}

bool Store::exists() const {
    return d->ready();
}

} // namespace records::usage
