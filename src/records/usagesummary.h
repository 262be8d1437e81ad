// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "domain/usage.h"
#include "records/usagestore.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QTimeZone>
#include <memory>
#include <optional>

// What the store holds, said honestly: slots, kWh, estimates and the slots that are missing,
// per meter and direction and per local calendar month; and the store's own CSV.
namespace records::usage {

// The first instant (UTC seconds) of a local calendar day; where midnight does not exist, the
// first wall-clock time of the day that does.
qint64 localDayStart(const QDate& day, const QTimeZone& zone);
// ISO 8601 local time with its offset: 2025-03-30T02:00:00+01:00.
QString localIso(qint64 utc, const QTimeZone& zone);

struct MonthSummary {
    QDate month; // its first day
    qint64 slotCount = 0;
    double kwh = 0;
    qint64 missing = 0;
    qint64 estimated = 0;
    qint64 daysMissing = 0;
};

struct SeriesSummary {
    Series series;
    std::optional<qint64> first; // start of the first slot in the range (UTC)
    std::optional<qint64> last;  // start of the last one
    int slotSeconds = 0;         // the most common slot length
    qint64 slotCount = 0;
    double kwh = 0; // summed in time order, not rounded
    qint64 missing = 0;
    qint64 estimated = 0;
    qint64 daysMissing = 0;
    QList<MonthSummary> months; // oldest first; every local month the span touches
};

// One pass over a series' slots, oldest first. Counted are the slots that start in the local
// days [from, to); missing slots are counted at the most common slot length over the series'
// span (its first slot's start to its last slot's end) within those days.
class SeriesSummarizer {
  public:
    // first and end: the start of the series' first slot and the end of its last (UTC).
    SeriesSummarizer(const Series& series, qint64 first, qint64 end, std::optional<QDate> from,
                     std::optional<QDate> to);
    ~SeriesSummarizer();
    qint64 fromUtc() const { return from_; }
    qint64 toUtc() const { return to_; }
    qint64 slotCount() const { return out_.slotCount; }
    void add(const domain::Slot& slot); // a slot that starts in [fromUtc, toUtc), in order
    // fallbackSeconds: the slot length to count missing slots at when no slot was added.
    SeriesSummary finish(int fallbackSeconds = 0);

  private:
    struct Pass;
    std::unique_ptr<Pass> pass_;
    SeriesSummary out_;
    qint64 from_ = 0, to_ = 0, covered_ = 0, spanEnd_ = 0;
};

// The summary of a series from all its slots (oldest first); the slot length is the most
// common one in the range, or in the whole series when the range has no slot.
SeriesSummary summarize(const Series& series, const QList<domain::Slot>& all,
                        std::optional<QDate> from, std::optional<QDate> to);

// The Voltrake CSV of one meter's slots (both directions, oldest first, import before export
// at the same start): "start,end,kwh,direction,estimated", local times with offsets, kWh as
// the shortest decimal that reads back as the same number. Importing it into an empty store
// with the meter's id and zone gives the same slots.
QByteArray exportCsv(const QList<domain::Slot>& imports, const QList<domain::Slot>& exports,
                     const QTimeZone& zone);

} // namespace records::usage
