// SPDX-License-Identifier: GPL-3.0-or-later
// voltrake-cli usage: smart-meter interval data in and out of Data/usage.sqlite.
#include "app/cli/commands.h"
#include "records/usageread.h"
#include "records/usagestore.h"
#include "records/usagesummary.h"
#include "text/values.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <limits>

using namespace Qt::StringLiterals;
using namespace records::usage;

namespace cli {

namespace {

using StorePtr = std::unique_ptr<Store>;

constexpr qint64 Earliest = std::numeric_limits<qint64>::min();
constexpr qint64 Latest = std::numeric_limits<qint64>::max();

// The local days [from, to) the options name; unset ends are open.
struct Days {
    std::optional<QDate> from, to;
    qint64 fromUtc(const QTimeZone& zone) const {
        return from ? localDayStart(*from, zone) : Earliest;
    }
    qint64 toUtc(const QTimeZone& zone) const { return to ? localDayStart(*to, zone) : Latest; }
};

std::variant<Days, QString> readDays(const Options& options) {
    Days days;
    for (const char* name : {"from", "to"}) {
        const QString option = QString::fromLatin1(name);
        if (!options.has(option))
            continue;
        const auto date = values::readDate(options.value(option));
        if (!date)
            return u"--"_s + option + u": \""_s + options.value(option) + u"\" is not a date"_s;
        (option == u"from"_s ? days.from : days.to) = date;
    }
    if (days.from && days.to && *days.to <= *days.from)
        return u"--to must be after --from"_s;
    return days;
}

// The days the options name and the store, or how the command ends without them.
struct DaysAndStore {
    Days range;
    StorePtr store;
};
std::variant<DaysAndStore, CommandResult> daysAndStore(const Context& context,
                                                       const Options& options) {
    const auto days = readDays(options);
    if (auto* message = std::get_if<QString>(&days))
        return CommandResult{Usage, *message};
    auto opened = openStore(context, false);
    if (auto* exit = std::get_if<int>(&opened))
        return CommandResult{*exit};
    return DaysAndStore{std::get<Days>(days), std::get<StorePtr>(std::move(opened))};
}

// Each meter once, with its zone.
QMap<QString, QTimeZone> meters(const Store& store) {
    QMap<QString, QTimeZone> out;
    for (const Series& s : store.series())
        out.insert(s.meter, s.zone);
    return out;
}

// kWh as a table shows it: to the watt-hour meters count in, so sums lose their binary noise.
QString kwhText(double kwh) {
    return values::plainNumber(values::roundHalfAway(kwh, 3));
}

QString meterLabel(const QString& meter) {
    return meter.isEmpty() ? u"(no id)"_s : meter;
}

std::optional<QString> foreignOption(const Options& options, const QStringList& allowed) {
    for (auto it = options.values.cbegin(); it != options.values.cend(); ++it) {
        if (it.key() != u"dir"_s && !allowed.contains(it.key()))
            return it.key();
    }
    if (options.all && !allowed.contains(u"all"_s))
        return u"all"_s;
    return std::nullopt;
}

CommandResult importFiles(const Context& context, const Options& options) {
    const QStringList files = options.words.mid(1);
    if (files.isEmpty())
        return {Usage, u"usage import needs at least one file"_s};
    ReadOptions read;
    if (options.has(u"tz"_s)) {
        const QTimeZone zone(options.value(u"tz"_s).toUtf8());
        if (!zone.isValid())
            return {Usage, u"--tz: \""_s + options.value(u"tz"_s) + u"\" is not a time zone"_s};
        read.zone = zone;
    }
    read.meter = options.value(u"meter"_s);
    if (options.has(u"direction"_s)) {
        const auto direction = domain::directionFromName(options.value(u"direction"_s));
        if (!direction)
            return {Usage, u"--direction must be import or export"_s};
        read.direction = *direction;
    }
    auto opened = openStore(context, true);
    if (auto* exit = std::get_if<int>(&opened))
        return {*exit};
    Store& store = *std::get<StorePtr>(opened);

    bool unreadable = false;
    bool refused = false;
    for (const QString& file : files) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly)) {
            fileError(file, in.errorString());
            unreadable = true;
            continue;
        }
        const ImportOutcome o = store.importFile(in, QFileInfo(file).absoluteFilePath(), read);
        if (!o.failure.isEmpty()) {
            err(u"voltrake-cli: "_s + file + u": "_s + o.failure);
            unreadable = true;
        } else if (o.refused) {
            err(u"voltrake-cli: "_s + file + u": "_s + o.refused->text() +
                u" (nothing of the file was kept)"_s);
            refused = true;
        } else {
            QString line = file + u": "_s + (o.format ? formatName(*o.format) : QString()) +
                           u", "_s + QString::number(o.added) + u" new, "_s +
                           QString::number(o.unchanged) + u" unchanged, "_s +
                           QString::number(o.replaced) + u" replaced"_s;
            if (o.first)
                line +=
                    u", "_s + localIso(*o.first, o.zone) + u" to "_s + localIso(*o.last, o.zone);
            else
                line += u", no slots"_s;
            out((line + u'\n').toLocal8Bit());
        }
    }
    return {unreadable ? FileError : refused ? Refused : Done};
}

QJsonValue instant(const std::optional<qint64>& t, const QTimeZone& zone) {
    return t ? QJsonValue(localIso(*t, zone)) : QJsonValue();
}

QString monthText(const QDate& month) {
    return month.toString(u"yyyy-MM"_s);
}

CommandResult summary(const Context& context, const Options& options) {
    const QString format = options.has(u"format"_s) ? options.value(u"format"_s) : u"table"_s;
    if (format != u"table"_s && format != u"csv"_s && format != u"json"_s)
        return {Usage, u"--format must be table, csv or json"_s};
    auto opened = daysAndStore(context, options);
    if (auto* refused = std::get_if<CommandResult>(&opened))
        return *refused;
    const Days range = std::get<DaysAndStore>(opened).range;
    const Store& store = *std::get<DaysAndStore>(opened).store;

    // One pass over each series, straight from the store.
    QList<SeriesSummary> all;
    for (const Series& s : store.series()) {
        const auto extent = store.extent(s.meter, s.direction);
        if (!extent)
            continue;
        SeriesSummarizer pass(s, extent->first, extent->second, range.from, range.to);
        store.visitSlots(s.meter, s.direction, pass.fromUtc(), pass.toUtc(),
                         [&](const domain::Slot& slot) { pass.add(slot); });
        const SeriesSummary summary = pass.finish(
            pass.slotCount() ? 0 : store.commonSlotSeconds(s.meter, s.direction, Earliest, Latest));
        if (summary.slotCount || summary.missing)
            all.append(summary);
    }

    if (format == u"json"_s) {
        QJsonArray list;
        for (const SeriesSummary& s : all) {
            QJsonArray months;
            for (const MonthSummary& m : s.months)
                months.append(QJsonObject{{u"month"_s, monthText(m.month)},
                                          {u"kwh"_s, m.kwh},
                                          {u"missing"_s, m.missing},
                                          {u"estimated"_s, m.estimated}});
            list.append(QJsonObject{
                {u"meter"_s, s.series.meter},
                {u"direction"_s, domain::directionName(s.series.direction)},
                {u"zone"_s, QString::fromUtf8(s.series.zone.id())},
                {u"first"_s, instant(s.first, s.series.zone)},
                {u"last"_s, instant(s.last, s.series.zone)},
                {u"slot_minutes"_s, s.slotSeconds / 60},
                {u"slots"_s, s.slotCount},
                {u"kwh"_s, s.kwh},
                {u"missing"_s, s.missing},
                {u"estimated"_s, s.estimated},
                {u"days_missing"_s, s.daysMissing},
                {u"months"_s, months},
            });
        }
        out(QJsonDocument(QJsonObject{{u"meters"_s, list}}).toJson(QJsonDocument::Indented));
        return {Done};
    }
    if (format == u"csv"_s) {
        QByteArray text = "meter,direction,zone,month,first,last,slot_minutes,slots,kwh,missing,"
                          "estimated,days_missing\n";
        const auto row = [&](const SeriesSummary& s, const QString& month, const QString& first,
                             const QString& last, qint64 count, double kwh, qint64 missing,
                             qint64 estimated, qint64 daysMissing) {
            // Meter ids are digits and letters; a comma or quote would be quoted.
            QString meter = s.series.meter;
            if (meter.contains(u',') || meter.contains(u'"'))
                meter = u'"' + meter.replace(u"\""_s, u"\"\""_s) + u'"';
            text +=
                (meter + u',' + domain::directionName(s.series.direction) + u',' +
                 QString::fromUtf8(s.series.zone.id()) + u',' + month + u',' + first + u',' + last +
                 u',' + (month.isEmpty() ? QString::number(s.slotSeconds / 60) : QString()) + u',' +
                 QString::number(count) + u',')
                    .toUtf8();
            values::appendPlainNumber(text, kwh);
            text += ',' + QByteArray::number(missing) + ',' + QByteArray::number(estimated) + ',' +
                    QByteArray::number(daysMissing) + '\n';
        };
        for (const SeriesSummary& s : all) {
            row(s, QString(), s.first ? localIso(*s.first, s.series.zone) : QString(),
                s.last ? localIso(*s.last, s.series.zone) : QString(), s.slotCount, s.kwh,
                s.missing, s.estimated, s.daysMissing);
            for (const MonthSummary& m : s.months)
                row(s, monthText(m.month), QString(), QString(), m.slotCount, m.kwh, m.missing,
                    m.estimated, m.daysMissing);
        }
        out(text);
        return {Done};
    }

    if (all.isEmpty()) {
        out((u"No smart-meter data in "_s + store.path() + u".\n"_s).toLocal8Bit());
        return {Done};
    }
    // One block per meter: its directions, then its months with both directions side by side.
    QString meter;
    bool firstBlock = true;
    for (qsizetype i = 0; i < all.size();) {
        meter = all[i].series.meter;
        const QTimeZone zone = all[i].series.zone;
        QList<QStringList> rows{{u"Direction"_s, u"First slot"_s, u"Last slot"_s, u"Minutes"_s,
                                 u"Slots"_s, u"kWh"_s, u"Missing"_s, u"Estimated"_s,
                                 u"Days missing"_s}};
        QMap<QDate, std::array<MonthSummary, 2>> months;
        for (; i < all.size() && all[i].series.meter == meter; ++i) {
            const SeriesSummary& s = all[i];
            rows << QStringList{domain::directionName(s.series.direction),
                                s.first ? localIso(*s.first, zone) : QString(),
                                s.last ? localIso(*s.last, zone) : QString(),
                                QString::number(s.slotSeconds / 60),
                                QString::number(s.slotCount),
                                kwhText(s.kwh),
                                QString::number(s.missing),
                                QString::number(s.estimated),
                                QString::number(s.daysMissing)};
            const int side = s.series.direction == domain::Direction::Import ? 0 : 1;
            for (const MonthSummary& m : s.months)
                months[m.month][side] = m;
        }
        QList<QStringList> monthRows{
            {u"Month"_s, u"kWh import"_s, u"kWh export"_s, u"Missing"_s, u"Estimated"_s}};
        for (auto it = months.cbegin(); it != months.cend(); ++it) {
            const auto& [imp, exp] = it.value();
            monthRows << QStringList{monthText(it.key()), kwhText(imp.kwh), kwhText(exp.kwh),
                                     QString::number(imp.missing + exp.missing),
                                     QString::number(imp.estimated + exp.estimated)};
        }
        QByteArray text = firstBlock ? QByteArray() : QByteArray("\n");
        firstBlock = false;
        text +=
            (u"Meter "_s + meterLabel(meter) + u" ("_s + QString::fromUtf8(zone.id()) + u")\n"_s)
                .toLocal8Bit();
        text += table(rows, 3) + '\n' + table(monthRows, 1);
        out(text);
    }
    return {Done};
}

CommandResult exportCsvOf(const Context& context, const Options& options) {
    auto opened = daysAndStore(context, options);
    if (auto* refused = std::get_if<CommandResult>(&opened))
        return *refused;
    const Days range = std::get<DaysAndStore>(opened).range;
    const Store& store = *std::get<DaysAndStore>(opened).store;
    const QMap<QString, QTimeZone> known = meters(store);
    QString meter;
    if (options.has(u"meter"_s)) {
        meter = options.value(u"meter"_s);
        if (!known.contains(meter)) {
            err(u"voltrake-cli: "_s + store.path() + u" holds no slots of meter \""_s + meter +
                u"\""_s);
            return {Refused};
        }
    } else if (known.size() > 1) {
        QStringList names;
        for (const QString& m : known.keys())
            names << meterLabel(m);
        return {Usage, u"the store holds several meters ("_s + names.join(u", "_s) +
                           u"); name one with --meter"_s};
    } else if (!known.isEmpty()) {
        meter = known.firstKey();
    }
    const QTimeZone zone = known.value(meter, QTimeZone::systemTimeZone());
    const qint64 from = range.fromUtc(zone), to = range.toUtc(zone);
    out(exportCsv(store.slotsOf(meter, domain::Direction::Import, from, to),
                  store.slotsOf(meter, domain::Direction::Export, from, to), zone));
    return {Done};
}

CommandResult forget(const Context& context, const Options& options) {
    const bool ranged = options.has(u"from"_s) || options.has(u"to"_s);
    if (options.all == ranged || (ranged && !(options.has(u"from"_s) && options.has(u"to"_s))))
        return {Usage, u"forget takes --from and --to, or --all"_s};
    auto opened = daysAndStore(context, options);
    if (auto* refused = std::get_if<CommandResult>(&opened))
        return *refused;
    const Days range = std::get<DaysAndStore>(opened).range;
    Store& store = *std::get<DaysAndStore>(opened).store;
    qint64 removed = 0;
    if (options.all) {
        removed = store.forgetAll();
    } else {
        const QMap<QString, QTimeZone> known = meters(store);
        for (auto it = known.cbegin(); it != known.cend() && removed >= 0; ++it) {
            const qint64 n =
                store.forget(it.key(), range.fromUtc(it.value()), range.toUtc(it.value()));
            removed = n < 0 ? n : removed + n;
        }
    }
    if (removed < 0) {
        err(u"voltrake-cli: "_s + store.path() + u" cannot be written; nothing was removed"_s);
        return {FileError};
    }
    out((u"Removed "_s + QString::number(removed) + (removed == 1 ? u" slot.\n"_s : u" slots.\n"_s))
            .toLocal8Bit());
    return {Done};
}

} // namespace

CommandResult usage(const Context& context, const Options& options) {
    const QString what = options.words.value(0);
    struct Sub {
        QString name;
        QStringList options;
        CommandResult (*run)(const Context&, const Options&);
    };
    const Sub subs[] = {
        {u"import"_s, {u"tz"_s, u"meter"_s, u"direction"_s}, importFiles},
        {u"summary"_s, {u"from"_s, u"to"_s, u"format"_s}, summary},
        {u"export"_s, {u"from"_s, u"to"_s, u"meter"_s}, exportCsvOf},
        {u"forget"_s, {u"from"_s, u"to"_s, u"all"_s}, forget},
    };
    for (const Sub& sub : subs) {
        if (what != sub.name)
            continue;
        if (auto option = foreignOption(options, sub.options))
            return {Usage, u"option --"_s + *option + u" does not belong to usage "_s + what};
        if (what != u"import"_s && options.words.size() > 1)
            return {Usage, u"unexpected argument \""_s + options.words[1] + u'"'};
        return sub.run(context, options);
    }
    if (what.isEmpty())
        return {Usage, u"usage needs import, summary, export or forget"_s};
    return {Usage, u"unknown usage command \""_s + what + u'"'};
}

std::variant<std::unique_ptr<Store>, int> openStore(const Context& context, bool create) {
    auto opened = Store::open(context.path(StorePath), create);
    if (auto* message = std::get_if<QString>(&opened)) {
        err(u"voltrake-cli: "_s + *message);
        return FileError;
    }
    return std::move(std::get<StorePtr>(opened));
}

} // namespace cli
