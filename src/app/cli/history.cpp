// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cli/commands.h"
#include "app/cli/tariff.h"
#include "records/csv.h"
#include "records/historyperiods.h"
#include "records/plan.h"
#include "text/files.h"
#include "text/values.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

using records::Column;

const QString HistoryLog = u"Log/Voltrake_H.log"_s;

struct Periods {
    int exit = Done;
    QList<records::Period> periods;
};

// The saved periods of DIR/Log/Voltrake_H.log with the given CO2 factor.
Periods readPeriods(const Context& context, double co2) {
    const QString path = context.path(HistoryLog);
    if (!files::fileExists(path))
        return {fileError(path, u"The history log does not exist."_s), {}};
    const auto bytes = files::readAll(path);
    if (!bytes)
        return {fileError(path, u"Unable to read the history log."_s), {}};
    return {Done, records::historyPeriods(QByteArrayView(*bytes), co2)};
}

// The tariff of a configuration file, or the exit after its message.
struct Tariff {
    int exit = Done;
    domain::Tariff tariff;
};

Tariff tariffOf(const Context& context, const QString& option) {
    const TariffFile file = readTariff(context, option);
    if (!file.config.ok())
        return {fileError(file.path, file.message), {}};
    const auto tariff = file.config.tariff();
    if (!tariff)
        return {
            fileError(file.path, records::configurationFaultText(records::configurationFaultWord(
                                     records::Configuration::Status::Corrupted))),
            {}};
    return {Done, *tariff};
}

QJsonValue json(const QVariant& value) {
    if (!value.isValid())
        return QJsonValue();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    return value.toDouble();
}

QJsonValue json(const std::optional<double>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}

// A cell of the table in the user's regional settings.
QString shown(const QVariant& value, values::Fixed format) {
    if (!value.isValid())
        return QString();
    if (value.typeId() == QMetaType::QDate)
        return values::shortDate(value.toDate());
    return values::fixed(value.toDouble(), format);
}

QString shown(const std::optional<double>& value) {
    return value ? values::fixed(*value, values::Fixed::Two) : QString();
}

QString formatOption(const Options& options, const QString& fallback) {
    return options.has(u"format"_s) ? options.value(u"format"_s) : fallback;
}

} // namespace

CommandResult history(const Context& context, const Options& options) {
    const QString format = formatOption(options, u"table"_s);
    if (format != u"table"_s && format != u"csv"_s && format != u"json"_s)
        return {Usage, u"--format must be csv, json or table"_s};
    const Tariff configured = tariffOf(context, options.value(u"config"_s));
    if (configured.exit != Done)
        return {configured.exit};
    const Periods read = readPeriods(context, configured.tariff.co2);
    if (read.exit != Done)
        return {read.exit};

    if (format == u"csv"_s) {
        out(records::csv::historyCsv(read.periods));
    } else if (format == u"json"_s) {
        const QStringList names = records::columnNames();
        QJsonArray rows;
        for (const records::Period& p : read.periods) {
            QJsonObject row;
            for (int c = 0; c < records::ColumnCount; ++c)
                row[names[c]] = json(records::periodValue(p, Column(c)));
            rows.append(row);
        }
        out(QJsonDocument(rows).toJson(QJsonDocument::Indented));
    } else {
        using values::Fixed;
        const std::pair<Column, Fixed> shownColumns[] = {
            {Column::From, Fixed::Zero},       {Column::To, Fixed::Zero},
            {Column::Days, Fixed::Zero},       {Column::NormalUnits, Fixed::Zero},
            {Column::CheapUnits, Fixed::Zero}, {Column::UnitsPerDay, Fixed::One},
            {Column::Total, Fixed::Two},       {Column::CostPerDay, Fixed::Two},
            {Column::Co2, Fixed::Zero},
        };
        QList<QStringList> rows{{u"From"_s, u"To"_s, u"Days"_s, u"Normal units"_s, u"Cheap units"_s,
                                 u"Units/day"_s, u"Total"_s, u"Cost/day"_s, u"CO2 kg"_s}};
        for (const records::Period& p : read.periods) {
            QStringList row;
            for (const auto& [column, fixed] : shownColumns)
                row << shown(records::periodValue(p, column), fixed);
            rows << row;
        }
        out(table(rows, 2));
    }
    return {Done};
}

CommandResult compare(const Context& context, const Options& options) {
    const QString format = formatOption(options, u"table"_s);
    if (format != u"table"_s && format != u"csv"_s && format != u"json"_s)
        return {Usage, u"--format must be table, csv or json"_s};
    const bool plan = options.has(u"plan"_s);
    if (plan == options.has(u"config"_s))
        return {Usage, u"one of --config and --plan is required"_s};
    // The other side is read before the history, so a bad file is named whatever the log.
    Tariff other;
    PlanFile planFile;
    if (plan)
        planFile = readPlan(options.value(u"plan"_s));
    else
        other = tariffOf(context, options.value(u"config"_s));
    if (const int exit = plan ? planFile.exit : other.exit; exit != Done)
        return {exit};
    // Totals do not depend on the CO2 factor, so the working directory's file is not needed.
    const Periods read = readPeriods(context, 0);
    if (read.exit != Done)
        return {read.exit};
    const records::Comparison comparison =
        plan ? records::plan::comparePlan(read.periods, planFile.plan)
             : records::compareTariff(read.periods, other.tariff);

    if (format == u"csv"_s) {
        out(records::csv::comparisonCsv(comparison));
    } else if (format == u"json"_s) {
        QJsonArray rows;
        for (const records::ComparedPeriod& r : comparison.rows) {
            rows.append(QJsonObject{
                {u"from"_s, r.period->readings.date1.toString(Qt::ISODate)},
                {u"to"_s, r.period->readings.date2.toString(Qt::ISODate)},
                {u"own"_s, json(r.own)},
                {u"other"_s, json(r.other)},
                {u"difference"_s, json(r.difference())},
            });
        }
        const QJsonObject total{{u"own"_s, comparison.own},
                                {u"other"_s, comparison.other},
                                {u"difference"_s, comparison.difference()}};
        out(QJsonDocument(QJsonObject{{u"periods"_s, rows}, {u"total"_s, total}})
                .toJson(QJsonDocument::Indented));
    } else {
        QList<QStringList> rows{{u"From"_s, u"To"_s, u"Own tariff"_s,
                                 plan ? u"Plan"_s : u"Other tariff"_s, u"Difference"_s}};
        for (const records::ComparedPeriod& r : comparison.rows) {
            rows << QStringList{values::shortDate(r.period->readings.date1),
                                values::shortDate(r.period->readings.date2), shown(r.own),
                                shown(r.other), shown(r.difference())};
        }
        rows << QStringList{u"Total"_s, QString(), shown(comparison.own), shown(comparison.other),
                            shown(comparison.difference())};
        out(table(rows, 2));
    }
    return {Done};
}

} // namespace cli
