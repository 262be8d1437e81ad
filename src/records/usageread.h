// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "domain/usage.h"

#include <QByteArrayView>
#include <QString>
#include <QTimeZone>
#include <functional>
#include <optional>

class QIODevice;

// Readers of the interval-data files that suppliers and network operators let households
// download. The format is told from the first line(s), never from the file's name; each reader
// turns rows into UTC slots through the zone its format's local times are written in, and the
// first row it cannot read refuses the whole file.
namespace records::usage {

enum class Format {
    OctopusCsv,  // UK supplier dashboard CSV, three header versions
    OctopusJson, // UK supplier API consumption JSON
    VoltrakeCsv, // ours: start,end,kwh[,direction[,estimated]]
    EsbHdf,      // Ireland, network operator's HDF
    Fluvius,     // Belgium, Dutch or English headers, quarter-hours
    Datadis,     // Spain, hourly, CUPS
    DsmrReader,  // Netherlands, hourly export of a meter reader
};

// The name shown in every outcome ("Octopus Energy CSV", ...).
QString formatName(Format format);
// The list of what can be read, for the message of a file that is none of them.
QString knownFormats();

// The format that the file's first bytes announce (a byte-order mark and leading blanks
// allowed), or none.
std::optional<Format> detectFormat(QByteArrayView head);

// Why a file was refused: the 1-based line (0 for the file as a whole, and for a fault in
// the API JSON, whose column then names the result: "results[3].interval_start") and the column.
struct ReadError {
    qsizetype line = 0;
    QString column;
    QString reason;
    // "Line 812, column Start: 2025-03-30 01:30 does not exist in Europe/London"
    QString text() const;
};

struct ReadOptions {
    std::optional<QTimeZone> zone; // --tz: the Voltrake CSV's and the API JSON's zone only
    QString meter;                 // --meter, for formats that name none
    domain::Direction direction = domain::Direction::Import; // for formats that name none
};

// One slot as read, with the meter and direction it belongs to and the line it came from
// (the last line that added to it; in the API JSON, its place in the results, from 1).
struct ReadSlot {
    QString meter;
    domain::Direction direction = domain::Direction::Import;
    domain::Slot slot;
    qsizetype line = 0;
};

// What reading a file came to: its format, the zone its local times were read in (the meters'
// zone), and the fault that refused it. A missing value yields no slot.
struct ReadResult {
    std::optional<Format> format;
    QTimeZone zone;
    std::optional<ReadError> error;
    bool cancelled = false; // the sink asked to stop
};

// Returns false to stop reading (the file is then neither refused nor complete).
using SlotSink = std::function<bool(const ReadSlot&)>;

// Reads the device as a stream (CSV is never held whole; JSON is read whole up to 256 MiB),
// detecting its format from its first line(s) and handing every slot to the sink in file order.
ReadResult readUsage(QIODevice& in, const ReadOptions& options, const SlotSink& sink);

} // namespace records::usage
