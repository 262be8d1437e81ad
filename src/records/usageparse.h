// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/usageread.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <array>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

// What the interval-data readers share: lines from a stream, cells, numbers and times read by
// hand (a file may hold hundreds of thousands of rows), local wall times turned into UTC through
// the zone, the repeated autumn hour, and the step that hands slots to the sink.
namespace records::usage::detail {

// Lines of a stream, one at a time, without their line end; a byte-order mark before the
// first is dropped. Blank lines are passed over (they still count).
class LineReader {
  public:
    explicit LineReader(QIODevice& in);
    // False at the end, or when a line is longer than any row can be (tooLong()).
    bool next(QByteArrayView& line);
    qsizetype number() const { return m_number; }
    bool tooLong() const { return m_tooLong; }

  private:
    QIODevice& m_in;
    QByteArray m_buffer;
    qsizetype m_number = 0;
    bool m_tooLong = false;
};

// The cells of one row, blanks around each trimmed; a cell in double quotes (or written as a
// spreadsheet formula ="...") loses its quotes. Cells past the last kept one are dropped.
struct Cells {
    static constexpr int Max = 24;
    std::array<QByteArrayView, Max> cell;
    int count = 0;
    QByteArrayView operator[](int i) const { return i < count ? cell[i] : QByteArrayView(); }
};
void splitCells(QByteArrayView line, char separator, Cells& out);

// The header's cell names as written, and the column whose name matches one of `names`
// (compared in lower case without blanks, brackets, quotes, hyphens and underscores), or -1.
QStringList headerNames(const Cells& cells);
int columnOf(const QStringList& header, std::initializer_list<const char*> names);

// A plain decimal ("0.063", "-1,5") with the given decimal mark, no grouping; finite only.
std::optional<double> parseNumber(QByteArrayView text, char decimal);

// Wall-clock time: seconds since 1970-01-01T00:00 counted as if the wall clock were UTC.
qint64 wallSeconds(QDate date, int secondsOfDay);
QString wallText(qint64 wall); // "2025-03-30 01:30"

// An ISO 8601 date and time ("2024-07-01T01:00:00+01:00", a blank for the T, seconds and
// fractions of zero optional), its offset if it has one: +01:00, +0100, +01 or Z.
struct IsoTime {
    qint64 wall = 0;
    std::optional<int> offset; // seconds east of UTC
};
std::optional<IsoTime> parseIso(QByteArrayView text);
// dd-mm-yyyy, dd/mm/yyyy or yyyy-mm-dd / yyyy/mm/dd.
std::optional<QDate> parseDate(QByteArrayView text);
// HH:MM or HH:MM:SS (00:00 to 23:59:59), as seconds of the day.
std::optional<int> parseClock(QByteArrayView text);

// A zone's offsets, looked up once per stretch between two of its transitions: a file of rows
// in time order asks QTimeZone again only when it crosses a change.
class LocalClock {
  public:
    explicit LocalClock(const QTimeZone& zone);
    int offsetAt(qint64 utc);
    // The instants a wall time stands for, earlier first: none for a time the clocks skip,
    // two for one they repeat. Returns how many.
    int instants(qint64 wall, qint64 (&out)[2]);
    const QTimeZone& zone() const { return m_zone; }

  private:
    struct Span {
        qint64 from, to; // [from, to) in UTC
        int offset;
    };
    QTimeZone m_zone;
    std::array<Span, 4> m_spans{};
    int m_used = 0;
    int m_next = 0;
};

// One row's slot on its way to the sink. A row without a value still counts: it may be the
// first of a repeated hour, or one of the registers of a slot.
struct Row {
    ReadSlot out;
    bool hasValue = true;
};

// Hands slots to the sink: places the rows of a repeated local time (counted per meter,
// direction and register, the file's order deciding which comes first), and, when asked,
// adds up the rows of one slot and direction that stand within a few rows of each other
// (registers of a day/night meter).
class SlotOutput {
  public:
    SlotOutput(const SlotSink& sink, bool mergeRegisters);
    // The file's order is told from successive rows' times (wall or UTC, any one kind).
    void seeTime(qint64 time);
    // A row at a known instant.
    void put(Row row);
    // A row whose wall time `wall` stands for `early` and `late`; its slot starts at the
    // chosen instant plus `shift`.
    void putRepeated(Row row, const QString& reg, qint64 wall, qint64 early, qint64 late,
                     qint64 shift);
    void finish();
    bool stopped() const { return m_stopped; }

  private:
    enum class Order { Unknown, OldestFirst, NewestFirst };
    struct Held {
        Row row;
        int occurrence;
    };
    struct Repeat {
        qint64 early, late, shift;
        int seen = 0;
        std::vector<Held> held;
    };
    // meter, direction, register, wall time
    using RepeatKey = std::tuple<QString, int, QString, qint64>;
    struct Open {
        ReadSlot slot;
        bool any;
    };
    bool resolve(Repeat& r, bool atEnd);
    void settle(bool atEnd, std::optional<qint64> farFrom = std::nullopt);
    void deliver(Row row);
    void send(const ReadSlot& slot);

    const SlotSink& m_sink;
    bool m_merge;
    bool m_stopped = false;
    Order m_order = Order::Unknown;
    std::optional<qint64> m_lastTime;
    std::map<RepeatKey, Repeat> m_repeats;
    std::size_t m_pruneAt = 64;
    std::vector<Open> m_open;
};

// What a format's reader works with. A reader sets `result.error` on the first fault.
struct Context {
    LineReader& lines;
    const ReadOptions& options;
    SlotOutput& output;
    ReadResult& result;
    bool fail(qsizetype line, const QString& column, const QString& reason) {
        result.error = ReadError{line, column, reason};
        return false;
    }
};

// The wall time of a row turned into UTC through the clock, the repeated hour handed to the
// output. False (the context's error set, naming `line` and `column`) for a time the clocks
// skip.
bool putWall(Context& ctx, LocalClock& clock, Row row, const QString& reg, qint64 wall,
             qint64 shift, qsizetype line, const QString& column);

// The length of a slot from its start and end as written: the UTC difference when both carry
// an offset, else the wall difference, corrected by the clock change between them; none when
// that is not 15, 30 or 60 minutes.
std::optional<int> slotLength(LocalClock& clock, const IsoTime& start, const IsoTime& end);
bool isSlotLength(qint64 seconds);

QString quoted(QByteArrayView cell);
// A row with fewer cells than the columns read; a header without a column the format needs.
bool enoughCells(Context& ctx, const Cells& cells, int lastColumn, const QStringList& header);
bool missingColumn(Context& ctx, const QString& name);

// The text of a cell that mostly repeats the one before (a meter, a register), converted once.
class CellText {
  public:
    const QString& of(QByteArrayView cell) {
        if (m_text.isNull() || cell != m_raw) {
            m_raw = cell.toByteArray();
            m_text = QString::fromUtf8(cell);
            if (m_text.isNull())
                m_text = QLatin1String("");
        }
        return m_text;
    }

  private:
    QByteArray m_raw;
    QString m_text;
};

// One reader per format; the header line has been read and is passed in.
void readOctopusCsv(Context& ctx, QByteArrayView header);
void readVoltrakeCsv(Context& ctx, QByteArrayView header);
void readDsmrReader(Context& ctx, QByteArrayView header);
void readEsbHdf(Context& ctx, QByteArrayView header);
void readFluvius(Context& ctx, QByteArrayView header);
void readDatadis(Context& ctx, QByteArrayView header);
// The whole device (the JSON is not read as lines).
void readOctopusJson(QIODevice& in, const ReadOptions& options, SlotOutput& output,
                     ReadResult& result);

// The zone a format's local times are written in, ReadOptions::zone applied where it counts.
QTimeZone zoneOf(Format format, const ReadOptions& options);

} // namespace records::usage::detail
