// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "domain/tou.h"
#include "records/tariffread.h"
#include "records/usagestore.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <optional>
#include <variant>

// Tariffs ranked on the household's own slots: one meter's slots over one range of local
// days, every tariff priced on exactly those slots by domain::priceSlots, cheapest first. The
// command line and the window both rank through here.
namespace records::ranking {

// What the range holds of the import meter's slots.
struct Coverage {
    qint64 used = 0;      // slots used
    qint64 missing = 0;   // at the most common slot length, over the whole range
    qint64 estimated = 0; // of the slots used
    int slotSeconds = 1800;
};

struct Ranked {
    QString file;
    QString name;
    domain::TouBill bill;
    bool current = false;
    std::optional<double> difference;        // total - the current total; none: no current
    std::optional<double> differencePercent; // rounded to 0.1; none when the current total is 0
};

struct Refused {
    QString file;
    QString name; // empty when the file could not be read
    QString reason;
};

struct Ranking {
    QDate from, to; // local days [from, to) of `zone`
    QTimeZone zone;
    QString meter;
    std::optional<QString> exportMeter;
    Coverage coverage;
    QList<Ranked> tariffs;  // cheapest first; equal totals in the order named
    QList<Refused> refused; // in the order named
};

struct Request {
    QList<tariff::TariffFile> tariffs;         // in the order named
    qsizetype current = 0;                     // index into tariffs
    std::optional<QDate> from, to;             // none: the local days of the first and last slot
    std::optional<QString> meter, exportMeter; // none: the only one there is
};

// The files as named: the current one among them once, ranked too if not named with the
// others; `current` empty means the first.
Request request(const QStringList& files, const QString& current);

// The ranking, or why nothing can be ranked (no import meter, several and none named, an
// empty range). A tariff read from a plan CSV names no zone and takes the ranking's.
std::variant<Ranking, QString> rank(const usage::Store& store, const Request& request);

// {"from","to","coverage":{...},"tariffs":[...],"refused":[{"file","reason"}]}
QByteArray rankingJson(const Ranking& ranking);
// One row per tariff, refused ones last with their reason: ISO dates, "." decimals, LF.
QByteArray rankingCsv(const Ranking& ranking);
// One tariff with its pieces: the element of rankingJson's tariffs plus "pieces", with
// from, to and coverage.
QByteArray billJson(const Ranking& ranking);
// The pieces as CSV and a last row "total".
QByteArray billCsv(const Ranking& ranking);

} // namespace records::ranking
