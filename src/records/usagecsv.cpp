// SPDX-License-Identifier: GPL-3.0-or-later
// The comma-separated formats whose times are ISO 8601: the supplier's dashboard CSV, our own
// CSV, and the meter reader's hourly export.
#include "records/usageparse.h"

using namespace Qt::StringLiterals;

namespace records::usage::detail {

namespace {

// A slot from ISO start and end cells: with offsets straight to UTC, without through the clock.
bool putIso(Context& ctx, LocalClock& clock, Row row, QByteArrayView startCell,
            QByteArrayView endCell, const QString& startName, const QString& endName) {
    const qsizetype line = ctx.lines.number();
    const auto start = parseIso(startCell);
    if (!start)
        return ctx.fail(line, startName, quoted(startCell) + u" is not an ISO 8601 time"_s);
    const auto end = parseIso(endCell);
    if (!end)
        return ctx.fail(line, endName, quoted(endCell) + u" is not an ISO 8601 time"_s);
    const auto seconds = slotLength(clock, *start, *end);
    if (!seconds)
        return ctx.fail(line, endName, u"the slot is not 15, 30 or 60 minutes long"_s);
    row.out.slot.seconds = *seconds;
    if (start->offset) {
        row.out.slot.start = start->wall - *start->offset;
        ctx.output.seeTime(row.out.slot.start);
        ctx.output.put(std::move(row));
        return true;
    }
    return putWall(ctx, clock, std::move(row), {}, start->wall, 0, line, startName);
}

// The kWh cell: empty is a missing value.
bool readKwh(Context& ctx, Row& row, QByteArrayView cell, const QString& column) {
    if (cell.isEmpty()) {
        row.hasValue = false;
        return true;
    }
    const auto v = parseNumber(cell, '.');
    if (!v)
        return ctx.fail(ctx.lines.number(), column, quoted(cell) + u" is not a number"_s);
    row.out.slot.kwh = *v;
    return true;
}

Row newRow(const Context& ctx) {
    Row row;
    row.out.meter = ctx.options.meter;
    row.out.direction = ctx.options.direction;
    row.out.line = ctx.lines.number();
    return row;
}

} // namespace

void readOctopusCsv(Context& ctx, QByteArrayView header) {
    Cells cells;
    splitCells(header, ',', cells);
    const QStringList names = headerNames(cells);
    const int kwh = columnOf(names, {"Consumption (kWh)"});
    const int start = columnOf(names, {"Start"});
    const int end = columnOf(names, {"End"});
    if (kwh < 0 || start < 0 || end < 0) {
        missingColumn(ctx, kwh < 0 ? u"Consumption (kWh)"_s : start < 0 ? u"Start"_s : u"End"_s);
        return;
    }
    const int last = std::max({kwh, start, end});
    LocalClock clock(ctx.result.zone);
    QByteArrayView line;
    while (!ctx.output.stopped() && ctx.lines.next(line)) {
        splitCells(line, ',', cells);
        Row row = newRow(ctx);
        if (!enoughCells(ctx, cells, last, names) || !readKwh(ctx, row, cells[kwh], names[kwh]) ||
            !putIso(ctx, clock, std::move(row), cells[start], cells[end], names[start], names[end]))
            return;
    }
}

void readVoltrakeCsv(Context& ctx, QByteArrayView header) {
    Cells cells;
    splitCells(header, ',', cells);
    const QStringList names = headerNames(cells);
    const int start = columnOf(names, {"start"});
    const int end = columnOf(names, {"end"});
    const int kwh = columnOf(names, {"kwh"});
    const int direction = columnOf(names, {"direction"});
    const int estimated = columnOf(names, {"estimated"});
    if (kwh < 0 || start < 0 || end < 0) {
        missingColumn(ctx, kwh < 0 ? u"kwh"_s : start < 0 ? u"start"_s : u"end"_s);
        return;
    }
    const int last = std::max({kwh, start, end});
    LocalClock clock(ctx.result.zone);
    QByteArrayView line;
    while (!ctx.output.stopped() && ctx.lines.next(line)) {
        splitCells(line, ',', cells);
        Row row = newRow(ctx);
        if (!enoughCells(ctx, cells, last, names) || !readKwh(ctx, row, cells[kwh], names[kwh]))
            return;
        if (direction >= 0 && !cells[direction].isEmpty()) {
            const QByteArrayView d = cells[direction];
            if (d != "import" && d != "export") {
                ctx.fail(ctx.lines.number(), names[direction],
                         quoted(cells[direction]) + u" is neither import nor export"_s);
                return;
            }
            row.out.direction =
                d == "import" ? domain::Direction::Import : domain::Direction::Export;
        }
        if (estimated >= 0) {
            const QByteArrayView e = cells[estimated];
            if (e != "0" && e != "1" && !e.isEmpty()) {
                ctx.fail(ctx.lines.number(), names[estimated],
                         quoted(e) + u" is neither 0 nor 1"_s);
                return;
            }
            row.out.slot.estimated = e == "1";
        }
        if (!putIso(ctx, clock, std::move(row), cells[start], cells[end], names[start], names[end]))
            return;
    }
}

void readDsmrReader(Context& ctx, QByteArrayView header) {
    Cells cells;
    splitCells(header, ',', cells);
    const QStringList names = headerNames(cells);
    const int hour = columnOf(names, {"Hour Start"});
    const int columns[2][2] = {
        {columnOf(names, {"Electricity 1 (Dutch Users: Low Tariff)"}),
         columnOf(names, {"Electricity 2 (Dutch Users: Normal Tariff)"})},
        {columnOf(names, {"Electricity 1 Returned (Dutch Users: Low Tariff)"}),
         columnOf(names, {"Electricity 2 Returned (Dutch Users: Normal Tariff)"})}};
    if (hour < 0 || columns[0][0] < 0 || columns[0][1] < 0) {
        missingColumn(ctx, hour < 0 ? u"Hour Start"_s : u"Electricity 1 and 2"_s);
        return;
    }
    LocalClock clock(ctx.result.zone);
    QByteArrayView line;
    while (!ctx.output.stopped() && ctx.lines.next(line)) {
        splitCells(line, ',', cells);
        const qsizetype lineNo = ctx.lines.number();
        if (!enoughCells(ctx, cells, std::max({hour, columns[0][0], columns[0][1]}), names))
            return;
        const auto start = parseIso(cells[hour]);
        if (!start) {
            ctx.fail(lineNo, names[hour], quoted(cells[hour]) + u" is not an ISO 8601 time"_s);
            return;
        }
        for (int d = 0; d < 2; ++d) {
            Row row = newRow(ctx);
            row.out.direction = d == 0 ? domain::Direction::Import : domain::Direction::Export;
            row.out.slot.seconds = 3600;
            // The two tariff registers add up; an empty one adds nothing, both empty is a gap.
            row.hasValue = false;
            for (int c : columns[d]) {
                if (c < 0 || cells[c].isEmpty())
                    continue;
                const auto v = parseNumber(cells[c], '.');
                if (!v) {
                    ctx.fail(lineNo, names[c], quoted(cells[c]) + u" is not a number"_s);
                    return;
                }
                row.out.slot.kwh += *v;
                row.hasValue = true;
            }
            if (start->offset) {
                row.out.slot.start = start->wall - *start->offset;
                ctx.output.seeTime(row.out.slot.start);
                ctx.output.put(std::move(row));
            } else if (!putWall(ctx, clock, std::move(row), {}, start->wall, 0, lineNo,
                                names[hour])) {
                return;
            }
        }
    }
}

} // namespace records::usage::detail
