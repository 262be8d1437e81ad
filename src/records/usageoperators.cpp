// SPDX-License-Identifier: GPL-3.0-or-later
// The network operators' downloads, whose times are local wall times without an offset:
// ESB Networks (Ireland), Fluvius (Belgium) and Datadis (Spain).
#include "records/usageparse.h"

using namespace Qt::StringLiterals;

namespace records::usage::detail {

namespace {

bool containsAny(QByteArrayView text, std::initializer_list<const char*> words) {
    const QByteArray lower = text.toByteArray().toLower();
    for (const char* w : words)
        if (lower.contains(w))
            return true;
    return false;
}

// A number with a decimal comma, or a point where a file uses one.
std::optional<double> commaNumber(QByteArrayView cell) {
    if (auto v = parseNumber(cell, ','))
        return v;
    return parseNumber(cell, '.');
}

} // namespace

void readEsbHdf(Context& ctx, QByteArrayView header) {
    Cells cells;
    splitCells(header, ',', cells);
    const QStringList names = headerNames(cells);
    const int mprn = columnOf(names, {"MPRN"});
    const int value = columnOf(names, {"Read Value"});
    const int type = columnOf(names, {"Read Type"});
    const int end = columnOf(names, {"Read Date and End Time"});
    if (mprn < 0 || value < 0 || type < 0 || end < 0) {
        missingColumn(ctx, u"Read Value, Read Type or Read Date and End Time"_s);
        return;
    }
    const int last = std::max({mprn, value, type, end});
    LocalClock clock(ctx.result.zone);
    CellText meter, typeName;
    QByteArrayView line;
    while (!ctx.output.stopped() && ctx.lines.next(line)) {
        splitCells(line, ',', cells);
        const qsizetype lineNo = ctx.lines.number();
        if (!enoughCells(ctx, cells, last, names))
            return;
        const QByteArrayView t = cells[type];
        // Reactive energy is not what a bill charges.
        if (t.startsWith("Reactive"))
            continue;
        const bool import = t.startsWith("Active Import Interval");
        if (!import && !t.startsWith("Active Export Interval")) {
            ctx.fail(lineNo, names[type],
                     quoted(t) + u" is not an interval read type of active energy"_s);
            return;
        }
        // The older read types are the average power over the half-hour.
        double factor = 1;
        if (t.endsWith("(kW)"))
            factor = 0.5;
        else if (!t.endsWith("(kWh)")) {
            ctx.fail(lineNo, names[type], quoted(t) + u" is in neither kWh nor kW"_s);
            return;
        }
        Row row;
        row.out.meter = cells[mprn].isEmpty() ? ctx.options.meter : meter.of(cells[mprn]);
        row.out.direction = import ? domain::Direction::Import : domain::Direction::Export;
        row.out.line = lineNo;
        row.out.slot.seconds = 1800;
        if (cells[value].isEmpty()) {
            row.hasValue = false;
        } else {
            const auto v = parseNumber(cells[value], '.');
            if (!v) {
                ctx.fail(lineNo, names[value], quoted(cells[value]) + u" is not a number"_s);
                return;
            }
            row.out.slot.kwh = *v * factor;
        }
        const QByteArrayView stamp = cells[end];
        const qsizetype blank = stamp.indexOf(' ');
        const auto date = blank > 0 ? parseDate(stamp.first(blank)) : std::nullopt;
        const auto clockTime = blank > 0 ? parseClock(stamp.sliced(blank + 1)) : std::nullopt;
        if (!date || !clockTime) {
            ctx.fail(lineNo, names[end], quoted(stamp) + u" is not a dd-mm-yyyy HH:MM time"_s);
            return;
        }
        // The label is the end of the slot: read as an instant, then the half-hour taken off.
        if (!putWall(ctx, clock, std::move(row), typeName.of(t), wallSeconds(*date, *clockTime),
                     -1800, lineNo, names[end]))
            return;
    }
}

void readFluvius(Context& ctx, QByteArrayView header) {
    Cells cells;
    splitCells(header, ';', cells);
    const QStringList names = headerNames(cells);
    const int fromDate = columnOf(names, {"Van datum", "From (date)"});
    const int fromTime = columnOf(names, {"Van tijdstip", "From (time)"});
    const int toDate = columnOf(names, {"Tot datum", "Until (date)", "To (date)"});
    const int toTime = columnOf(names, {"Tot tijdstip", "Until (time)", "To (time)"});
    const int ean = columnOf(names, {"EAN", "EAN code"});
    const int reg = columnOf(names, {"Register"});
    const int volume = columnOf(names, {"Volume"});
    const int unit = columnOf(names, {"Eenheid", "Unit"});
    const int status = columnOf(names, {"Validatiestatus", "Validation status"});
    if (fromDate < 0 || fromTime < 0 || reg < 0 || volume < 0) {
        const bool dutch = names.value(0).startsWith(u"Van");
        missingColumn(ctx, dutch ? u"Van datum, Van tijdstip, Register or Volume"_s
                                 : u"From (date), From (time), Register or Volume"_s);
        return;
    }
    const int last = std::max({fromDate, fromTime, reg, volume});
    LocalClock clock(ctx.result.zone);
    CellText meter, registerName;
    QByteArray lastRegister, lastStatus;
    domain::Direction registerDirection = domain::Direction::Import;
    bool statusEstimated = false;
    QByteArrayView line;
    while (!ctx.output.stopped() && ctx.lines.next(line)) {
        splitCells(line, ';', cells);
        const qsizetype lineNo = ctx.lines.number();
        if (!enoughCells(ctx, cells, last, names))
            return;
        Row row;
        row.out.meter =
            ean >= 0 && !cells[ean].isEmpty() ? meter.of(cells[ean]) : ctx.options.meter;
        row.out.line = lineNo;
        const QByteArrayView r = cells[reg];
        if (r != lastRegister || lastRegister.isNull()) { // the registers take turns
            lastRegister = r.toByteArray();
            if (containsAny(r, {"afname", "offtake"}))
                registerDirection = domain::Direction::Import;
            else if (containsAny(r, {"injectie", "injection"}))
                registerDirection = domain::Direction::Export;
            else {
                ctx.fail(lineNo, names[reg], quoted(r) + u" is neither offtake nor injection"_s);
                return;
            }
        }
        row.out.direction = registerDirection;
        if (unit >= 0 && !cells[unit].isEmpty() &&
            cells[unit].compare("kWh", Qt::CaseInsensitive)) {
            ctx.fail(lineNo, names[unit], quoted(cells[unit]) + u" is not kWh"_s);
            return;
        }
        if (cells[volume].isEmpty()) {
            row.hasValue = false;
        } else {
            const auto v = commaNumber(cells[volume]);
            if (!v) {
                ctx.fail(lineNo, names[volume], quoted(cells[volume]) + u" is not a number"_s);
                return;
            }
            row.out.slot.kwh = *v;
        }
        if (status >= 0 && (cells[status] != lastStatus || lastStatus.isNull())) {
            lastStatus = cells[status].toByteArray();
            statusEstimated =
                containsAny(lastStatus, {"geschat", "estimat", "vervang", "substitu"});
        }
        row.out.slot.estimated = statusEstimated;

        const auto date = parseDate(cells[fromDate]);
        if (!date) {
            ctx.fail(lineNo, names[fromDate], quoted(cells[fromDate]) + u" is not a date"_s);
            return;
        }
        const auto time = parseClock(cells[fromTime]);
        if (!time) {
            ctx.fail(lineNo, names[fromTime], quoted(cells[fromTime]) + u" is not a time"_s);
            return;
        }
        IsoTime start{wallSeconds(*date, *time), std::nullopt};
        row.out.slot.seconds = 900;
        if (toDate >= 0 && toTime >= 0 && !cells[toDate].isEmpty() && !cells[toTime].isEmpty()) {
            const auto endDate = parseDate(cells[toDate]);
            const auto endTime = parseClock(cells[toTime]);
            if (!endDate || !endTime) {
                ctx.fail(lineNo, names[endDate ? toTime : toDate],
                         quoted(cells[endDate ? toTime : toDate]) + u" is not a date and time"_s);
                return;
            }
            const auto seconds =
                slotLength(clock, start, IsoTime{wallSeconds(*endDate, *endTime), std::nullopt});
            if (!seconds) {
                ctx.fail(lineNo, names[toTime], u"the slot is not 15, 30 or 60 minutes long"_s);
                return;
            }
            row.out.slot.seconds = *seconds;
        }
        if (!putWall(ctx, clock, std::move(row), registerName.of(r), start.wall, 0, lineNo,
                     names[fromTime]))
            return;
    }
}

void readDatadis(Context& ctx, QByteArrayView header) {
    Cells cells;
    splitCells(header, ';', cells);
    const QStringList names = headerNames(cells);
    const int cups = columnOf(names, {"CUPS"});
    const int fecha = columnOf(names, {"Fecha"});
    const int hora = columnOf(names, {"Hora"});
    const int kwh = columnOf(names, {"Consumo_kWh", "Consumo"});
    const int exported = columnOf(names, {"Energia_vertida_kWh"});
    const int method = columnOf(names, {"Metodo_obtencion"});
    if (fecha < 0 || hora < 0 || kwh < 0) {
        missingColumn(ctx, u"Fecha, Hora or Consumo_kWh"_s);
        return;
    }
    const int last = std::max({fecha, hora, kwh});
    LocalClock clock(ctx.result.zone);
    CellText meter;
    QDate day;
    qint64 midnight = 0;
    int hours = 24;
    QByteArrayView line;
    while (!ctx.output.stopped() && ctx.lines.next(line)) {
        splitCells(line, ';', cells);
        const qsizetype lineNo = ctx.lines.number();
        if (!enoughCells(ctx, cells, last, names))
            return;
        const auto date = parseDate(cells[fecha]);
        if (!date) {
            ctx.fail(lineNo, names[fecha], quoted(cells[fecha]) + u" is not a date"_s);
            return;
        }
        if (*date != day) {
            // The hours of a local day are counted from its midnight: 23 or 25 on change days.
            qint64 at[2], next[2];
            if (!clock.instants(wallSeconds(*date, 0), at) ||
                !clock.instants(wallSeconds(date->addDays(1), 0), next)) {
                ctx.fail(lineNo, names[fecha], u"the day has no midnight"_s);
                return;
            }
            day = *date;
            midnight = at[0];
            hours = int((next[0] - midnight) / 3600);
        }
        // "Hora" n is the n-th hour of the day; some files write it as "HH:00".
        QByteArrayView h = cells[hora];
        if (h.endsWith(":00"))
            h.chop(3);
        bool ok = false;
        const int n = h.size() <= 2 ? QByteArray(h.data(), h.size()).toInt(&ok) : 0;
        if (!ok || n < 1 || n > hours) {
            ctx.fail(lineNo, names[hora],
                     quoted(cells[hora]) + u" is not an hour from 1 to "_s +
                         QString::number(hours) + u" of "_s + day.toString(Qt::ISODate));
            return;
        }
        bool estimated = false;
        if (method >= 0 && !cells[method].isEmpty()) {
            const char m = cells[method][0];
            if (m != 'R' && m != 'r' && m != 'E' && m != 'e') {
                ctx.fail(lineNo, names[method],
                         quoted(cells[method]) + u" is neither R (real) nor E (estimated)"_s);
                return;
            }
            estimated = m == 'E' || m == 'e';
        }
        const qint64 start = midnight + qint64(n - 1) * 3600;
        ctx.output.seeTime(start);
        for (int column : {kwh, exported}) {
            if (column < 0 || cells[column].isEmpty())
                continue;
            const auto v = commaNumber(cells[column]);
            if (!v) {
                ctx.fail(lineNo, names[column], quoted(cells[column]) + u" is not a number"_s);
                return;
            }
            Row row;
            row.out.meter =
                cups >= 0 && !cells[cups].isEmpty() ? meter.of(cells[cups]) : ctx.options.meter;
            row.out.direction =
                column == kwh ? domain::Direction::Import : domain::Direction::Export;
            row.out.line = lineNo;
            row.out.slot = {start, 3600, *v, estimated};
            ctx.output.put(std::move(row));
        }
    }
}

} // namespace records::usage::detail
