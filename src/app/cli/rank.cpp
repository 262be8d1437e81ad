// SPDX-License-Identifier: GPL-3.0-or-later
// rank and bill --usage: tariffs priced on the household's own slots.
#include "app/cli/commands.h"
#include "records/ranking.h"
#include "records/usagestore.h"
#include "text/values.h"

using namespace Qt::StringLiterals;

namespace cli {

namespace {

using records::ranking::Ranking;
using values::Fixed;

QString two(double v) {
    return values::fixed(v, Fixed::Two);
}

QString optionalTwo(const std::optional<double>& v) {
    return v ? two(*v) : QString();
}

// --from and --to as the other commands read dates; refused with a message when they do not.
std::optional<QString> readRange(const Options& options, records::ranking::Request& request) {
    for (const QString& name : {u"from"_s, u"to"_s}) {
        if (!options.has(name))
            continue;
        const auto date = values::readDate(options.value(name));
        if (!date)
            return u"--"_s + name + u": \""_s + options.value(name) + u"\" is not a date"_s;
        (name == u"from"_s ? request.from : request.to) = *date;
    }
    if (options.has(u"meter"_s))
        request.meter = options.value(u"meter"_s);
    if (options.has(u"export-meter"_s))
        request.exportMeter = options.value(u"export-meter"_s);
    return std::nullopt;
}

// The range, the meters and what the slots cover, above every table.
QByteArray coverageText(const Ranking& r) {
    const auto& c = r.coverage;
    QString text = u"Range: "_s + values::shortDate(r.from) + u" up to "_s +
                   values::shortDate(r.to) + u" ("_s + QString::number(r.from.daysTo(r.to)) +
                   (r.from.daysTo(r.to) == 1 ? u" day, "_s : u" days, "_s) +
                   QString::fromUtf8(r.zone.id()) + u")\n"_s;
    text += u"Meter: "_s + (r.meter.isEmpty() ? u"(no id)"_s : r.meter) + u" import"_s;
    if (r.exportMeter)
        text += u", "_s + (r.exportMeter->isEmpty() ? u"(no id)"_s : *r.exportMeter) + u" export"_s;
    text += u"\nSlots: "_s + QString::number(c.used) + u" used, "_s + QString::number(c.missing) +
            u" missing, "_s + QString::number(c.estimated) + u" estimated\n"_s;
    if (c.missing > 0)
        text +=
            u"Every total leaves out the "_s + QString::number(c.missing) + u" missing slots.\n"_s;
    return text.toLocal8Bit();
}

// Columns from `table`, then a last free column (the file, or why a tariff was refused).
QByteArray withNotes(const QList<QStringList>& rows, const QStringList& notes, int left) {
    const QStringList lines = QString::fromLocal8Bit(table(rows, left)).split(u'\n');
    qsizetype width = 0;
    for (const QString& l : lines)
        width = std::max(width, l.size());
    QString text;
    for (qsizetype i = 0; i < rows.size(); ++i)
        text += (lines[i].leftJustified(width) + u"  "_s + notes.value(i)).trimmed() + u'\n';
    return text.toLocal8Bit();
}

// The tariffs of the request ranked on the store's slots, or the exit after the message.
std::variant<Ranking, int> rankStored(const Context& context, const Options& options,
                                      records::ranking::Request request) {
    if (const auto message = readRange(options, request)) {
        err(u"voltrake-cli: "_s + *message);
        return Refused;
    }
    auto opened = openStore(context, false);
    if (const int* exit = std::get_if<int>(&opened))
        return *exit;
    auto ranked = records::ranking::rank(*std::get<0>(opened), request);
    if (const auto* message = std::get_if<QString>(&ranked)) {
        err(u"voltrake-cli: "_s + *message);
        return Refused;
    }
    return std::get<Ranking>(std::move(ranked));
}

QString formatOf(const Options& options) {
    return options.has(u"format"_s) ? options.value(u"format"_s) : u"table"_s;
}

} // namespace

CommandResult rank(const Context& context, const Options& options) {
    const QString format = formatOf(options);
    if (format != u"table"_s && format != u"csv"_s && format != u"json"_s)
        return {Usage, u"--format must be table, csv or json"_s};
    if (!options.has(u"tariff"_s))
        return {Usage, u"--tariff is required"_s};
    auto request =
        records::ranking::request(options.values.value(u"tariff"_s), options.value(u"current"_s));
    const auto ranked = rankStored(context, options, std::move(request));
    if (const int* exit = std::get_if<int>(&ranked))
        return {*exit};
    const Ranking& r = std::get<Ranking>(ranked);
    for (const auto& refused : r.refused)
        err(u"voltrake-cli: "_s + refused.file + u": "_s + refused.reason);

    if (format == u"json"_s) {
        out(records::ranking::rankingJson(r));
    } else if (format == u"csv"_s) {
        out(records::ranking::rankingCsv(r));
    } else {
        QList<QStringList> rows{
            {u"#"_s, u"Tariff"_s, u"Total"_s, u"Per day"_s, u"Difference"_s, u"%"_s}};
        QStringList notes{u"File"_s};
        qsizetype place = 0;
        for (const auto& t : r.tariffs) {
            rows << QStringList{
                QString::number(++place),
                t.name + (t.current ? u" (current)"_s : QString()),
                two(t.bill.total),
                two(t.bill.costPerDay),
                optionalTwo(t.difference),
                t.differencePercent ? values::fixed(*t.differencePercent, Fixed::One) : QString()};
            notes << t.file;
        }
        for (const auto& t : r.refused) {
            rows << QStringList{u"-"_s, t.name.isEmpty() ? u"(unread)"_s : t.name};
            notes << t.file + u": refused: "_s + t.reason;
        }
        out(coverageText(r) + '\n' + withNotes(rows, notes, 2));
    }
    return {r.refused.isEmpty() ? Done : Refused};
}

CommandResult usageBill(const Context& context, const Options& options) {
    const QString format = formatOf(options);
    if (format != u"table"_s && format != u"csv"_s && format != u"json"_s)
        return {Usage, u"--format must be table, csv or json with --usage"_s};
    for (const char* name : {"plan", "normal", "cheap", "export", "config", "notes", "save"})
        if (options.has(QString::fromLatin1(name)))
            return {Usage, u"--"_s + QString::fromLatin1(name) +
                               u" does not go with --usage: the slots are priced, not readings"_s};
    for (const char* name : {"tariff", "from", "to"})
        if (!options.has(QString::fromLatin1(name)))
            return {Usage, u"--"_s + QString::fromLatin1(name) + u" is required with --usage"_s};
    if (options.values.value(u"tariff"_s).size() != 1)
        return {Usage, u"--usage prices one --tariff"_s};
    auto request = records::ranking::request(options.values.value(u"tariff"_s), {});
    const auto ranked = rankStored(context, options, std::move(request));
    if (const int* exit = std::get_if<int>(&ranked))
        return {*exit};
    const Ranking& r = std::get<Ranking>(ranked);
    if (!r.refused.isEmpty()) {
        err(u"voltrake-cli: "_s + r.refused.first().file + u": "_s + r.refused.first().reason);
        return {Refused};
    }
    if (format == u"json"_s) {
        out(records::ranking::billJson(r));
        return {Done};
    }
    if (format == u"csv"_s) {
        out(records::ranking::billCsv(r));
        return {Done};
    }
    const domain::TouBill& b = r.tariffs.first().bill;
    QList<QStringList> pieces{{u"From"_s, u"To"_s, u"Days"_s, u"Energy"_s, u"Standing"_s, u"VAT"_s,
                               u"Export credit"_s, u"Cost"_s}};
    for (const domain::TouPiece& p : b.pieces)
        pieces << QStringList{values::shortDate(p.from), values::shortDate(p.to),
                              QString::number(p.days),   two(p.energy),
                              two(p.standing),           two(p.vat),
                              two(p.exportCredit),       two(p.cost)};
    pieces << QStringList{
        u"Total"_s,          QString(),       QString::number(b.from.daysTo(b.to)),
        two(b.energy),       two(b.standing), two(b.vat),
        two(b.exportCredit), two(b.total)};
    QList<QStringList> bands{{u"Band"_s, u"kWh"_s, u"Cost before VAT"_s}};
    for (const domain::BandFigures& f : b.bands)
        bands << QStringList{f.name, values::fixed(f.kwh, Fixed::Two), two(f.cost)};
    QList<QStringList> months{{u"Month"_s, u"kWh"_s, u"Total"_s}};
    for (const domain::MonthFigures& m : b.months)
        months << QStringList{m.month.toString(u"yyyy-MM"_s), values::fixed(m.kwh, Fixed::Two),
                              two(m.total)};
    out(u"Tariff: "_s.toLocal8Bit() + r.tariffs.first().name.toLocal8Bit() + '\n' +
        coverageText(r) + '\n' + table(pieces, 2) + '\n' + table(bands, 1) + '\n' +
        table(months, 1) + (u"\nCost per day: "_s + two(b.costPerDay) + u'\n').toLocal8Bit());
    return {Done};
}

} // namespace cli
