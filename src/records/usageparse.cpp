// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/usageparse.h"

#include <QDateTime>
#include <QIODevice>
#include <QVarLengthArray>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace records::usage::detail {

namespace {

// No row of any format comes near this; a longer line is not interval data.
constexpr qsizetype MaxLine = 64 * 1024;
constexpr qint64 UnixEpochJulianDay = 2440588;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView s) {
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

// The value of `n` digits at `at`, or -1.
int digits(QByteArrayView s, qsizetype at, int n) {
    if (at + n > s.size())
        return -1;
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const char c = s[at + i];
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::optional<QDate> dateOf(int y, int m, int d) {
    if (y < 0 || m < 0 || d < 0 || !QDate::isValid(y, m, d))
        return std::nullopt;
    return QDate(y, m, d);
}

// HH:MM[:SS[.000]] at the start of `s`; how much was read in `used`.
std::optional<int> clockAt(QByteArrayView s, qsizetype& used) {
    const int h = digits(s, 0, 2), m = digits(s, 3, 2);
    if (h < 0 || m < 0 || s[2] != ':' || h > 23 || m > 59)
        return std::nullopt;
    int secs = h * 3600 + m * 60;
    used = 5;
    if (s.size() > 5 && s[5] == ':') {
        const int sec = digits(s, 6, 2);
        if (sec < 0 || sec > 59)
            return std::nullopt;
        secs += sec;
        used = 8;
        if (s.size() > 8 && s[8] == '.') {
            qsizetype i = 9;
            while (i < s.size() && s[i] == '0')
                ++i;
            if (i == 9 || (i < s.size() && s[i] >= '1' && s[i] <= '9'))
                return std::nullopt; // parts of a second are not slot boundaries
            used = i;
        }
    }
    return secs;
}

} // namespace

LineReader::LineReader(QIODevice& in) : m_in(in), m_buffer(MaxLine + 2, Qt::Uninitialized) {}

bool LineReader::next(QByteArrayView& line) {
    for (;;) {
        const qint64 n = m_in.readLine(m_buffer.data(), m_buffer.size());
        if (n <= 0)
            return false;
        ++m_number;
        QByteArrayView l(m_buffer.constData(), n);
        if (l.back() == '\n')
            l.chop(1);
        else if (n == m_buffer.size() - 1 && !m_in.atEnd()) {
            m_tooLong = true;
            return false;
        }
        if (!l.isEmpty() && l.back() == '\r')
            l.chop(1);
        if (m_number == 1 && l.startsWith("\xEF\xBB\xBF"))
            l = l.sliced(3);
        if (!trimmed(l).isEmpty()) {
            line = l;
            return true;
        }
    }
}

void splitCells(QByteArrayView line, char separator, Cells& out) {
    out.count = 0;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (out.count < Cells::Max) {
        while (i < n && isBlank(line[i]))
            ++i;
        QByteArrayView cell;
        qsizetype q = i;
        if (q < n && line[q] == '=' && q + 1 < n && line[q + 1] == '"')
            ++q; // ="5414..." keeps a spreadsheet from reading the number
        if (q < n && line[q] == '"') {
            const qsizetype close = line.indexOf('"', q + 1);
            const qsizetype end = close < 0 ? n : close;
            cell = line.sliced(q + 1, end - q - 1);
            i = close < 0 ? n : close + 1;
            const qsizetype sep = line.indexOf(separator, i);
            i = sep < 0 ? n : sep;
        } else {
            const qsizetype sep = line.indexOf(separator, i);
            const qsizetype end = sep < 0 ? n : sep;
            cell = trimmed(line.sliced(i, end - i));
            i = end;
        }
        out.cell[out.count++] = cell;
        if (i >= n)
            return;
        ++i; // the separator
    }
}

QStringList headerNames(const Cells& cells) {
    QStringList names;
    for (int i = 0; i < cells.count; ++i)
        names << QString::fromUtf8(cells[i]);
    return names;
}

int columnOf(const QStringList& header, std::initializer_list<const char*> names) {
    auto key = [](const QString& s) {
        QString k;
        for (QChar c : s)
            if (c.isLetterOrNumber())
                k += c.toLower();
        return k;
    };
    for (int i = 0; i < header.size(); ++i) {
        const QString k = key(header[i]);
        for (const char* name : names)
            if (k == key(QString::fromLatin1(name)))
                return i;
    }
    return -1;
}

std::optional<double> parseNumber(QByteArrayView text, char decimal) {
    if (text.isEmpty())
        return std::nullopt;
    // Long only for the tiniest values written without an exponent.
    QVarLengthArray<char, 64> buf(text.size());
    qsizetype n = 0, i = 0;
    if (text[0] == '+' || text[0] == '-') {
        if (text[0] == '-')
            buf[n++] = '-';
        ++i;
    }
    bool digit = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digit = true;
            buf[n++] = c;
        } else if (c == decimal && !point) {
            point = true;
            buf[n++] = '.';
        } else {
            return std::nullopt;
        }
    }
    if (!digit)
        return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(buf.data(), buf.data() + n, v);
    if (ec != std::errc() || end != buf.data() + n || !std::isfinite(v))
        return std::nullopt;
    return v;
}

qint64 wallSeconds(QDate date, int secondsOfDay) {
    return (date.toJulianDay() - UnixEpochJulianDay) * 86400 + secondsOfDay;
}

QString wallText(qint64 wall) {
    const qint64 days = wall >= 0 ? wall / 86400 : (wall - 86399) / 86400;
    const int secs = int(wall - days * 86400);
    return QDate::fromJulianDay(days + UnixEpochJulianDay).toString(Qt::ISODate) + u' ' +
           QStringLiteral("%1:%2")
               .arg(secs / 3600, 2, 10, QChar(u'0'))
               .arg(secs / 60 % 60, 2, 10, QChar(u'0'));
}

std::optional<IsoTime> parseIso(QByteArrayView s) {
    const int y = digits(s, 0, 4), mo = digits(s, 5, 2), d = digits(s, 8, 2);
    if (s.size() < 16 || s[4] != '-' || s[7] != '-' || (s[10] != 'T' && s[10] != ' '))
        return std::nullopt;
    const auto date = dateOf(y, mo, d);
    qsizetype used = 0;
    const auto clock = clockAt(s.sliced(11), used);
    if (!date || !clock)
        return std::nullopt;
    IsoTime t{wallSeconds(*date, *clock), std::nullopt};
    QByteArrayView rest = s.sliced(11 + used);
    if (rest.isEmpty())
        return t;
    if (rest == "Z") {
        t.offset = 0;
        return t;
    }
    if (rest[0] != '+' && rest[0] != '-')
        return std::nullopt;
    const int sign = rest[0] == '-' ? -1 : 1;
    const int oh = digits(rest, 1, 2);
    int om = 0;
    if (rest.size() == 6 && rest[3] == ':')
        om = digits(rest, 4, 2);
    else if (rest.size() == 5)
        om = digits(rest, 3, 2);
    else if (rest.size() != 3)
        return std::nullopt;
    if (oh < 0 || om < 0 || oh > 14 || om > 59)
        return std::nullopt;
    t.offset = sign * (oh * 3600 + om * 60);
    return t;
}

std::optional<QDate> parseDate(QByteArrayView s) {
    if (s.size() != 10)
        return std::nullopt;
    const char a = s[2], b = s[5];
    if ((a == '-' || a == '/') && b == a)
        return dateOf(digits(s, 6, 4), digits(s, 3, 2), digits(s, 0, 2));
    if ((s[4] == '-' || s[4] == '/') && s[7] == s[4])
        return dateOf(digits(s, 0, 4), digits(s, 5, 2), digits(s, 8, 2));
    return std::nullopt;
}

std::optional<int> parseClock(QByteArrayView s) {
    qsizetype used = 0;
    if (s.size() < 5)
        return std::nullopt;
    const auto c = clockAt(s, used);
    if (!c || used != s.size())
        return std::nullopt;
    return c;
}

LocalClock::LocalClock(const QTimeZone& zone) : m_zone(zone) {}

int LocalClock::offsetAt(qint64 utc) {
    for (int i = 0; i < m_used; ++i)
        if (utc >= m_spans[i].from && utc < m_spans[i].to)
            return m_spans[i].offset;
    const QDateTime at = QDateTime::fromSecsSinceEpoch(utc, Qt::UTC);
    Span s{std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(),
           m_zone.offsetFromUtc(at)};
    const QTimeZone::OffsetData before = m_zone.previousTransition(at.addSecs(1));
    if (before.atUtc.isValid())
        s.from = before.atUtc.toSecsSinceEpoch();
    const QTimeZone::OffsetData after = m_zone.nextTransition(at);
    if (after.atUtc.isValid())
        s.to = after.atUtc.toSecsSinceEpoch();
    if (s.from > utc || s.to <= utc) { // transitions that do not bracket it: keep it alone
        s.from = utc;
        s.to = utc + 1;
    }
    m_spans[m_next] = s;
    m_next = (m_next + 1) % int(m_spans.size());
    m_used = std::max(m_used, m_next == 0 ? int(m_spans.size()) : m_next);
    return s.offset;
}

int LocalClock::instants(qint64 wall, qint64 (&out)[2]) {
    // The offsets a day either side are the only ones the wall time can have been read with.
    const int before = offsetAt(wall - 86400), after = offsetAt(wall + 86400);
    int n = 0;
    if (offsetAt(wall - before) == before)
        out[n++] = wall - before;
    if (after != before && offsetAt(wall - after) == after)
        out[n++] = wall - after;
    if (n == 2 && out[1] < out[0])
        std::swap(out[0], out[1]);
    return n;
}

SlotOutput::SlotOutput(const SlotSink& sink, bool mergeRegisters)
    : m_sink(sink), m_merge(mergeRegisters) {}

void SlotOutput::seeTime(qint64 time) {
    if (m_order == Order::Unknown && m_lastTime && *m_lastTime != time) {
        m_order = time > *m_lastTime ? Order::OldestFirst : Order::NewestFirst;
        settle(false);
    }
    m_lastTime = time;
}

void SlotOutput::put(Row row) {
    deliver(std::move(row));
}

void SlotOutput::putRepeated(Row row, const QString& reg, qint64 wall, qint64 early, qint64 late,
                             qint64 shift) {
    const RepeatKey key{row.out.meter, int(row.out.direction), reg, wall};
    auto it = m_repeats.find(key);
    if (it == m_repeats.end()) {
        // Both occurrences of a time stand within hours of each other: what lies days away
        // has had its chance. Pruned now and then, so that a file of nothing but repeated
        // times still reads in linear time.
        if (m_repeats.size() >= m_pruneAt) {
            settle(false, wall);
            m_pruneAt = std::max<std::size_t>(64, 2 * m_repeats.size());
        }
        it = m_repeats.emplace(key, Repeat{early, late, shift, 0, {}}).first;
    }
    Repeat& r = it->second;
    r.held.push_back({std::move(row), ++r.seen});
    if (resolve(r, false))
        m_repeats.erase(it);
}

// Delivers what can be placed; true when the time is done with (a later row of the same time
// starts over, as the duplicate it is).
bool SlotOutput::resolve(Repeat& r, bool atEnd) {
    const bool newestFirst = m_order == Order::NewestFirst;
    // Oldest first: the first is summer time. Newest first: the first is the later one, but
    // only once its second has come; a time that comes once is the earlier instant.
    if (!atEnd && r.seen < 2 && m_order != Order::OldestFirst)
        return false;
    for (Held& h : r.held) {
        const bool late = r.seen == 2 && (newestFirst ? h.occurrence == 1 : h.occurrence == 2);
        h.row.out.slot.start = (late ? r.late : r.early) + r.shift;
        deliver(std::move(h.row));
    }
    r.held.clear();
    return atEnd || r.seen >= 2;
}

void SlotOutput::settle(bool atEnd, std::optional<qint64> farFrom) {
    for (auto it = m_repeats.begin(); it != m_repeats.end();) {
        const bool far = farFrom && std::abs(std::get<3>(it->first) - *farFrom) > 2 * 86400;
        if ((!farFrom || far) && resolve(it->second, atEnd || far))
            it = m_repeats.erase(it);
        else
            ++it;
    }
}

void SlotOutput::deliver(Row row) {
    if (m_stopped)
        return;
    if (!m_merge) {
        if (row.hasValue)
            send(row.out);
        return;
    }
    const ReadSlot& s = row.out;
    auto it = std::find_if(m_open.begin(), m_open.end(), [&](const Open& o) {
        return o.slot.slot.start == s.slot.start && o.slot.direction == s.direction &&
               o.slot.meter == s.meter;
    });
    if (it == m_open.end() && m_open.size() >= 512) {
        // Only a file of many meters at one time gets here: the oldest half is let go.
        const auto half = m_open.begin() + m_open.size() / 2;
        for (auto o = m_open.begin(); o != half; ++o)
            if (o->any)
                send(o->slot);
        m_open.erase(m_open.begin(), half);
        it = m_open.end();
    }
    if (it == m_open.end()) {
        m_open.push_back({s, row.hasValue});
        if (!row.hasValue)
            m_open.back().slot.slot.kwh = 0;
    } else {
        if (row.hasValue) {
            it->slot.slot.kwh = it->any ? it->slot.slot.kwh + s.slot.kwh : s.slot.kwh;
            it->slot.slot.estimated =
                it->any ? it->slot.slot.estimated || s.slot.estimated : s.slot.estimated;
            it->any = true;
            it->slot.line = s.line;
        }
    }
    // Registers of one slot stand within a few rows; what lies two hours off is complete.
    const qint64 now = s.slot.start;
    auto done = [now](const Open& o) { return std::abs(o.slot.slot.start - now) > 7200; };
    for (const Open& o : m_open)
        if (o.any && done(o))
            send(o.slot);
    m_open.erase(std::remove_if(m_open.begin(), m_open.end(), done), m_open.end());
}

void SlotOutput::send(const ReadSlot& slot) {
    if (!m_stopped && !m_sink(slot))
        m_stopped = true;
}

void SlotOutput::finish() {
    settle(true);
    for (const Open& o : m_open)
        if (o.any)
            send(o.slot);
    m_open.clear();
}

bool putWall(Context& ctx, LocalClock& clock, Row row, const QString& reg, qint64 wall,
             qint64 shift, qsizetype line, const QString& column) {
    ctx.output.seeTime(wall);
    qint64 at[2];
    const int n = clock.instants(wall, at);
    if (n == 0)
        return ctx.fail(line, column,
                        wallText(wall) + u" does not exist in "_s +
                            QString::fromUtf8(clock.zone().id()));
    if (n == 1) {
        row.out.slot.start = at[0] + shift;
        ctx.output.put(std::move(row));
        return true;
    }
    ctx.output.putRepeated(std::move(row), reg, wall, at[0], at[1], shift);
    return true;
}

bool isSlotLength(qint64 seconds) {
    return seconds == 900 || seconds == 1800 || seconds == 3600;
}

std::optional<int> slotLength(LocalClock& clock, const IsoTime& start, const IsoTime& end) {
    if (start.offset && end.offset) {
        const qint64 d = (end.wall - *end.offset) - (start.wall - *start.offset);
        return isSlotLength(d) ? std::optional<int>(int(d)) : std::nullopt;
    }
    qint64 d = end.wall - start.wall;
    if (!isSlotLength(d)) // a change of the clocks between start and end
        d += clock.offsetAt(start.wall - 86400) - clock.offsetAt(end.wall + 86400);
    return isSlotLength(d) ? std::optional<int>(int(d)) : std::nullopt;
}

bool enoughCells(Context& ctx, const Cells& cells, int lastColumn, const QStringList& header) {
    if (cells.count > lastColumn)
        return true;
    return ctx.fail(ctx.lines.number(), header.value(cells.count),
                    u"the row ends before this column"_s);
}

bool missingColumn(Context& ctx, const QString& name) {
    return ctx.fail(ctx.lines.number(), {}, u"the header has no column "_s + name);
}

QString quoted(QByteArrayView cell) {
    return u'"' + QString::fromUtf8(cell) + u'"';
}

QTimeZone zoneOf(Format format, const ReadOptions& options) {
    switch (format) {
    case Format::OctopusCsv:
        return QTimeZone("Europe/London");
    case Format::OctopusJson:
        return options.zone ? *options.zone : QTimeZone("Europe/London");
    case Format::VoltrakeCsv:
        return options.zone ? *options.zone : QTimeZone::systemTimeZone();
    case Format::EsbHdf:
        return QTimeZone("Europe/Dublin");
    case Format::Fluvius:
        return QTimeZone("Europe/Brussels");
    case Format::Datadis:
        return QTimeZone("Europe/Madrid");
    case Format::DsmrReader:
        return QTimeZone("Europe/Amsterdam");
    }
    return {};
}

} // namespace records::usage::detail
