// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "domain/usage.h"
#include "records/usageread.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

// The household's interval data: Data/usage.sqlite, an SQLite 3 database with one row per
// slot. Opened only when interval data is used; one imported file is one transaction.
namespace records::usage {

inline constexpr int StoreVersion = 1;
inline const QString StorePath = QStringLiteral("Data/usage.sqlite");

// A meter and direction that has slots, with the zone its local times are read in.
struct Series {
    QString meter; // may be empty: a file that names none, imported without --meter
    domain::Direction direction = domain::Direction::Import;
    QTimeZone zone;
};

// How one file's import ended.
struct ImportOutcome {
    std::optional<Format> format;
    qint64 added = 0;
    qint64 unchanged = 0;
    qint64 replaced = 0;
    std::optional<qint64> first; // start of the earliest slot of the file (UTC)
    std::optional<qint64> last;  // start of the latest slot of the file (UTC)
    QTimeZone zone;
    std::optional<ReadError> refused; // the file was refused; nothing of it was kept
    QString failure;                  // the store could not be written (exit 1); nothing kept
    bool cancelled = false;           // rolled back on request
};

class Store {
  public:
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens the store at path. With create, a missing file is made with the current schema;
    // without, a missing file is an empty store (nothing is created). A file that is not a
    // store of ours, or one from a newer version, is refused untouched: the message names it.
    static std::variant<std::unique_ptr<Store>, QString> open(const QString& path, bool create);

    // Reads one file into the store in one transaction: all of it or none of it. `source` is
    // the name kept with each slot; `progress` is told the bytes read so far and returns false
    // to cancel (the transaction is rolled back).
    ImportOutcome importFile(QIODevice& in, const QString& source, const ReadOptions& options,
                             const std::function<bool(qint64 bytesRead)>& progress = {});

    QList<Series> series() const;
    // The slots of one meter and direction that start in [from, to) UTC, oldest first. (Not
    // "slots": Qt takes that word for its own keyword.)
    QList<domain::Slot> slotsOf(const QString& meter, domain::Direction direction, qint64 from,
                                qint64 to) const;
    // The same one at a time, without a list: for passes over years of slots.
    void visitSlots(const QString& meter, domain::Direction direction, qint64 from, qint64 to,
                    const std::function<void(const domain::Slot&)>& visit) const;
    // The start of the first slot and the end of the last of one meter and direction.
    std::optional<std::pair<qint64, qint64>> extent(const QString& meter,
                                                    domain::Direction direction) const;
    // The most common length of the slots that start in [from, to); 0 when there are none.
    int commonSlotSeconds(const QString& meter, domain::Direction direction, qint64 from,
                          qint64 to) const;
    // Removes the slots that start in [from, to) UTC of every meter; returns how many, or -1
    // when the store cannot be written (nothing is removed then).
    qint64 forget(qint64 from, qint64 to);
    // The same for one meter (both directions): local days differ from meter to meter.
    qint64 forget(const QString& meter, qint64 from, qint64 to);
    qint64 forgetAll();

    // Small settings kept with the data (the window's tariff list).
    QString setting(const QString& key) const;
    bool setSetting(const QString& key, const QString& value);

    QString path() const;
    // False for a store opened without create whose file is not there yet (it is empty).
    bool exists() const;

  private:
    Store();
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace records::usage
