// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "domain/tou.h"
#include "domain/usage.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <optional>

// What the smart-meter window draws, worked out from slots without widgets: totals per local
// day, the average day by wall-clock time, the heat map's cells and the coverage of a series.
// Local days and wall-clock times come from the zone's own offsets, so a spring day has 46
// half-hours and an autumn day 50.
namespace records::usage {

// Local wall-clock seconds (counted from 1970-01-01 00:00 local) of UTC instants, from the
// zone's offsets and their changes, looked up once for a span instead of once per instant.
class LocalClock {
  public:
    LocalClock(const QTimeZone& zone, qint64 fromUtc, qint64 toUtc);
    qint64 local(qint64 utc) const;
    // The UTC instant of the local day's midnight (the first moment of the day that exists).
    static qint64 dayStart(const QDate& day, const QTimeZone& zone);

  private:
    struct Change {
        qint64 at;  // UTC
        int offset; // seconds east of UTC from `at` on
    };
    QList<Change> changes_;
};

// The slot length most slots of the series have (1800 when there are none).
int commonSlotSeconds(const QList<domain::Slot>& data);

// The slots that start in [from, to) UTC of slots sorted by start, without copying the rest.
QList<domain::Slot> slotsBetween(const QList<domain::Slot>& data, qint64 from, qint64 to);

struct DayTotal {
    QDate day;
    double imported = 0, exported = 0; // kWh of the slots that start that local day
    int importSlots = 0, exportSlots = 0;
    // The mean import of the last seven days up to this one that have slots; none before any.
    std::optional<double> average;
};

// One total per local day of [from, to).
QList<DayTotal> dailyTotals(const QList<domain::Slot>& imports, const QList<domain::Slot>& exports,
                            const QTimeZone& zone, const QDate& from, const QDate& to);

// A cell of the heat map: one local day, one wall-clock slot of it.
struct HeatCell {
    enum State : quint8 {
        Value,   // slots are there
        Missing, // the time is inside the data's span and no slot is there
        Skipped, // the wall-clock time does not exist that day (the spring change)
        NoData,  // before the first slot or after the last
    };
    float kwh = 0;
    State state = NoData;
    quint8 instances = 0; // how often the wall-clock time happens that day: 0, 1, or 2 (autumn)
    quint8 present = 0;   // of those, how many have slots
};

struct HeatMap {
    QDate from;
    int days = 0;
    int rows = 0; // wall-clock slots of a day
    int slotSeconds = 1800;
    double maximum = 0;    // the largest cell
    QList<HeatCell> cells; // day by day: cells[day * rows + row]

    const HeatCell& at(int day, int row) const { return cells[qsizetype(day) * rows + row]; }
    QDate day(int d) const { return from.addDays(d); }
    // "Sun 26 Oct 2025, 01:00–01:30: 0.412 kWh (two slots: the clocks went back)"
    QString describe(int day, int row) const;
};

// The heat map of local days [from, to): each slot's kWh goes to the wall-clock slot it starts
// in (a longer slot spread evenly over the rows it spans); an autumn day's repeated time adds
// its two slots. `spanFrom`/`spanTo` (UTC) are the data's first start and last end: a time
// between them without a slot is missing, one outside them has no data.
HeatMap heatMap(const QList<domain::Slot>& data, const QTimeZone& zone, const QDate& from,
                const QDate& to, int slotSeconds, qint64 spanFrom, qint64 spanTo);

// kWh per wall-clock slot of the day, the mean over the weekdays and over the weekend days of
// the heat map whose cell is complete; none where no such day exists.
struct AverageDay {
    int slotSeconds = 1800;
    QList<std::optional<double>> weekday, weekend;
};
AverageDay averageDay(const HeatMap& map);

// What a series holds: its span, slots, the slots missing between its first start and its
// last end at its common slot length, estimated slots, and the local days with either.
struct Coverage {
    qint64 first = 0, last = 0;                   // starts of the first and last slot (UTC)
    qint64 end = 0;                               // end of the last slot
    qint64 count = 0, missing = 0, estimated = 0; // slots
    int slotSeconds = 1800;
    QList<QDate> missingDays, estimatedDays;
};
Coverage coverage(const QList<domain::Slot>& data, const QTimeZone& zone);

// A band of a tariff over the wall clock of one local day, for shading.
struct BandRun {
    QString name;
    int fromSecond = 0, toSecond = 0; // wall-clock seconds of the day, [from, to)
};
// The bands in force on a local day of the tariff's zone, run by run, in slot-sized steps:
// the band domain::priceSlots puts most of each step in (empty where it cannot price it).
// Empty when the tariff cannot price the day at all.
QList<BandRun> bandRuns(const domain::TouTariff& tariff, const QDate& day, int stepSeconds = 1800);

} // namespace records::usage
