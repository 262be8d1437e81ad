// SPDX-License-Identifier: GPL-3.0-or-later
#include "domain/bill.h"
#include "app/cli/commands.h"
#include "app/cli/tariff.h"
#include "records/billformat.h"
#include "records/logwrite.h"
#include "records/plan.h"
#include "records/readingchecks.h"
#include "records/tariffchecks.h"
#include "text/files.h"
#include "text/values.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace cli {

namespace {

const QString ResultsLog = u"Voltrake.log"_s;
const QString HistoryLog = u"Voltrake_H.log"_s;

// The result fields of the window and where the bill keeps them; a field the window leaves
// empty is null.
QJsonObject results(const domain::Bill& bill, const billformat::BillTexts& texts) {
    QJsonObject o;
    auto put = [&](const char* name, double value) {
        const QString key = QString::fromLatin1(name);
        o[key] = texts.text.value(key).isEmpty() ? QJsonValue() : QJsonValue(value);
    };
    auto costs = [&](const domain::Usage& u, const domain::Costs& c, const char* suffix) {
        const QByteArray s(suffix);
        put("TDays" + s, double(u.days));
        put("NRUnits" + s, u.normalUnits);
        put("CRUnits" + s, u.cheapUnits);
        put("R1Units" + s, u.rate1Units);
        put("R2Units" + s, u.rate2Units);
        put("NR1Cost" + s, c.rate1);
        put("NR2Cost" + s, c.rate2);
        put("CRCost" + s, c.cheap);
        put("TSCharge" + s, c.fixedCharges);
        put("D1Cost" + s, c.discount1);
        put("VCost" + s, c.vat);
        put("D2Cost" + s, c.discount2);
        put("TVCost" + s, c.total);
    };
    costs(bill.usage, bill.costs, "");
    put("TCO2", bill.co2);
    put("UDay", bill.unitsPerDay);
    put("CDay", bill.costPerDay);
    put("CO2Day", bill.co2PerDay);
    if (bill.prediction) {
        costs(bill.prediction->usage, bill.prediction->costs, "P");
        put("TCO2P", bill.prediction->co2);
    }
    return o;
}

QJsonObject inputs(const domain::Bill& bill, const QString& notes) {
    const domain::Tariff& t = bill.tariff;
    const domain::MeterReadings& m = bill.readings;
    QJsonObject tariff{
        {u"NormalR1"_s, t.normalRate1},
        {u"NormalR2"_s, t.normalRate2},
        {u"BPoint"_s, t.breakPoint},
        {u"DRate"_s, t.breakMode == domain::BreakMode::PerDay},
        {u"CheapR"_s, t.cheapRate},
        {u"SCharge"_s, t.fixedCharge},
        {u"Disc1"_s, t.discount1},
        {u"Disc1P"_s, t.discount1Mode == domain::Disc1Mode::Percent},
        {u"Disc2"_s, t.discount2},
        {u"Disc2F"_s, t.discount2Mode == domain::Disc2Mode::Fixed},
        {u"VAT"_s, t.vat},
        {u"CO2"_s, t.co2},
        {u"PRate"_s, t.predictionPeriods},
        {u"Period"_s, t.period == domain::PeriodKind::Monthly},
    };
    auto reading = [](const std::optional<double>& r) { return r ? QJsonValue(*r) : QJsonValue(); };
    return {{u"Date1"_s, m.date1.toString(Qt::ISODate)},
            {u"Date2"_s, m.date2.toString(Qt::ISODate)},
            {u"NRead1"_s, m.normal1},
            {u"NRead2"_s, m.normal2},
            {u"CRead1"_s, reading(m.cheap1)},
            {u"CRead2"_s, reading(m.cheap2)},
            {u"Notes"_s, notes},
            {u"tariff"_s, tariff}};
}

// Appends the report and the history record as the Save button does: logs created when
// missing, the record refused when Date 2 is not after the last saved date, one write each.
int save(const Context& context, const billformat::BillTexts& texts, const QString& report) {
    const QString logDir = context.path(u"Log"_s);
    if (!files::dirExists(logDir))
        return fileError(logDir, u"The Log directory does not exist."_s);
    const QString results = context.path(u"Log/"_s + ResultsLog);
    const QString history = context.path(u"Log/"_s + HistoryLog);
    const QString created = values::ddMmmYyTime(QDateTime::currentDateTime());
    const QString cannotCreate =
        u"Unable to create the log files.\r\nThis may be a permissions problem."_s;
    if (records::createIfMissing(results, records::resultsLogStart(created)) ==
        records::Creation::Failed)
        return fileError(results, cannotCreate);
    if (records::createIfMissing(history, records::historyLogStart(created, texts.taxWord)) ==
        records::Creation::Failed)
        return fileError(history, cannotCreate);

    const auto tail = records::historyTail(history);
    if (!tail)
        return fileError(history, u"Unable to read the history log."_s);
    const QString refused = records::laterDateMessage(*tail, texts.t("Date2"));
    if (!refused.isEmpty()) {
        err((refused + u"No results or history data saved"_s));
        return Refused;
    }
    const QString record = records::historyAppendText(
        *tail, billformat::startLine(texts), billformat::historyLine(texts), texts.taxWord, true);
    auto writeFailed = [](const QString& path, const QString& name) {
        return fileError(path, u"Unable to write to the log file "_s + name +
                                   u".\r\nThis may be a permissions problem."_s);
    };
    if (!records::appendToLog(results, report))
        return writeFailed(results, ResultsLog);
    if (!records::appendToLog(history, record))
        return writeFailed(history, HistoryLog);
    return Done;
}

QJsonValue json(const std::optional<double>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}

QByteArray planTable(const domain::PlanBill& bill) {
    using values::Fixed;
    const bool cheap = bill.usage.cheapUnits != 0;
    const bool exported = bill.usage.exportUnits != 0;
    auto two = [](double v) { return values::fixed(v, Fixed::Two); };
    QStringList header{u"From"_s, u"To"_s, u"Days"_s, u"Units"_s};
    if (cheap)
        header << u"Cheap units"_s << u"Cheap p/kWh"_s;
    if (exported)
        header << u"Export units"_s << u"Export p/kWh"_s;
    header << u"Unit p/kWh"_s << u"Standing p/day"_s << u"VAT %"_s << u"Cost"_s;
    QList<QStringList> rows{header};
    for (const domain::PlanPiece& p : bill.pieces) {
        QStringList row{values::shortDate(p.from), values::shortDate(p.to), QString::number(p.days),
                        two(p.normalUnits)};
        if (cheap)
            row << two(p.cheapUnits) << values::price(p.price.cheap);
        if (exported)
            row << two(p.exportUnits) << values::price(p.price.exportRate);
        row << values::price(p.price.unit) << values::price(p.price.standing)
            << values::plainNumber(p.price.vat) << two(p.cost);
        rows << row;
    }
    QStringList total{u"Total"_s, QString(), QString::number(bill.days),
                      two(bill.usage.normalUnits)};
    if (cheap)
        total << two(bill.usage.cheapUnits) << QString();
    if (exported)
        total << two(bill.usage.exportUnits) << QString();
    total << QString() << QString() << QString() << two(bill.total);
    rows << total;
    QByteArray text = table(rows, 2);
    text += (u"\nCost per day: "_s + two(bill.costPerDay) + u'\n').toLocal8Bit();
    if (bill.costPerUnit)
        text += (u"Cost per unit: "_s + two(*bill.costPerUnit) + u'\n').toLocal8Bit();
    return text;
}

QJsonObject planJson(const domain::PlanBill& bill) {
    QJsonArray pieces;
    for (const domain::PlanPiece& p : bill.pieces) {
        pieces.append(QJsonObject{
            {u"from"_s, values::isoDate(p.from)},
            {u"to"_s, values::isoDate(p.to)},
            {u"days"_s, double(p.days)},
            {u"normal_units"_s, p.normalUnits},
            {u"cheap_units"_s, p.cheapUnits},
            {u"export_units"_s, p.exportUnits},
            {u"unit_p_per_kwh"_s, p.price.unit},
            {u"standing_p_per_day"_s, p.price.standing},
            {u"cheap_p_per_kwh"_s, json(p.price.cheap)},
            {u"export_p_per_kwh"_s, json(p.price.exportRate)},
            {u"vat_percent"_s, p.price.vat},
            {u"cost"_s, p.cost},
        });
    }
    const domain::PlanUsage& u = bill.usage;
    return {{u"from"_s, values::isoDate(u.from)},
            {u"to"_s, values::isoDate(u.to)},
            {u"days"_s, double(bill.days)},
            {u"normal_units"_s, u.normalUnits},
            {u"cheap_units"_s, u.cheapUnits},
            {u"export_units"_s, u.exportUnits},
            {u"pieces"_s, pieces},
            {u"total"_s, bill.total},
            // Four decimals: beyond them lie only the binary fractions' noise.
            {u"cost_per_day"_s, values::roundHalfAway(bill.costPerDay, 4)},
            {u"cost_per_unit"_s, bill.costPerUnit
                                     ? QJsonValue(values::roundHalfAway(*bill.costPerUnit, 4))
                                     : QJsonValue()}};
}

// The readings priced under a plan file: nothing saved, since the logs hold bills of the
// configured tariff.
CommandResult planBill(const Options& options, const QStringList& normal,
                       const QStringList& cheap) {
    const QString format = options.has(u"format"_s) ? options.value(u"format"_s) : u"table"_s;
    const QStringList exported = options.values.value(u"export"_s);
    if (!exported.isEmpty() && exported.size() != 2)
        return {Usage, u"--export takes two readings"_s};
    const PlanFile plan = readPlan(options.value(u"plan"_s));
    if (plan.exit != Done)
        return {plan.exit};

    const records::plan::PlanReadingTexts texts{{options.value(u"from"_s), options.value(u"to"_s),
                                                 normal[0], normal[1], cheap.value(0),
                                                 cheap.value(1)},
                                                exported.value(0),
                                                exported.value(1)};
    const auto priced = records::plan::planBill(plan.plan, texts);
    if (const auto* messages = std::get_if<QStringList>(&priced)) {
        for (const QString& m : *messages)
            err(m);
        return {Refused};
    }
    const auto& bill = std::get<domain::PlanBill>(priced);
    if (format == u"csv"_s)
        out(records::plan::billCsv(bill));
    else if (format == u"json"_s)
        out(QJsonDocument(planJson(bill)).toJson(QJsonDocument::Indented));
    else
        out(planTable(bill));
    return {Done};
}

} // namespace

CommandResult bill(const Context& context, const Options& options) {
    if (options.has(u"usage"_s))
        return usageBill(context, options);
    const bool plan = options.has(u"plan"_s);
    const QString format = options.has(u"format"_s) ? options.value(u"format"_s)
                           : plan                   ? u"table"_s
                                                    : u"report"_s;
    if (plan) {
        if (format != u"table"_s && format != u"csv"_s && format != u"json"_s)
            return {Usage, u"--format must be table, csv or json with --plan"_s};
        for (const char* name : {"save", "config", "notes"})
            if (options.has(QString::fromLatin1(name)))
                return {Usage, u"--"_s + QString::fromLatin1(name) +
                                   u" does not go with --plan: the logs hold bills of the "
                                   u"configured tariff"_s};
    } else {
        if (format != u"report"_s && format != u"json"_s)
            return {Usage, u"--format must be report or json"_s};
        if (options.has(u"export"_s))
            return {Usage, u"--export needs --plan"_s};
    }
    for (const char* name : {"from", "to", "normal"}) {
        if (!options.has(QString::fromLatin1(name)))
            return {Usage, u"--"_s + QString::fromLatin1(name) + u" is required"_s};
    }
    const QStringList normal = options.values.value(u"normal"_s);
    const QStringList cheap = options.values.value(u"cheap"_s);
    if (normal.size() != 2)
        return {Usage, u"--normal takes two readings"_s};
    if (!cheap.isEmpty() && cheap.size() != 2)
        return {Usage, u"--cheap takes two readings"_s};
    if (plan)
        return planBill(options, normal, cheap);

    const auto tariff = readTariff(context, options.value(u"config"_s));
    if (!tariff.config.ok())
        return {fileError(tariff.path, tariff.message)};

    // The checks of Calculate, in its order: break point and tariff, reading values, and
    // the rules between the readings only when nothing was refused before them.
    const records::TariffCheckInput in = tariff.config.checkInput();
    const records::TariffCheck checked = records::checkTariff(in);
    records::FieldTexts text = checked.fields.text;
    if (checked.breakPoint.fieldText)
        text[u"BPoint"_s] = *checked.breakPoint.fieldText;

    records::ReadingTexts readings{
        options.value(u"from"_s), options.value(u"to"_s), normal[0], normal[1],
        cheap.value(0),           cheap.value(1)};
    QStringList messages = checked.messages();
    if (checked.fields.fault)
        messages << checked.fields.fault->description;
    messages << records::readingValueMessages(readings, false);
    if (messages.isEmpty()) {
        const QString symbol = checked.fields.currencySymbol.value_or(in.currencySymbol);
        const records::RuleTariff rules{records::withoutSymbol(text.value(u"CheapR"_s), symbol),
                                        records::withoutSymbol(text.value(u"NormalR2"_s), symbol),
                                        text.value(u"BPoint"_s), text.value(u"PRate"_s),
                                        tariff.config.modes.monthly};
        const auto r = records::readingRules(readings, rules, false);
        messages << r.messages;
        if (r.failure)
            messages << r.failure->description();
        if (r.date1) {
            readings.date1 = *r.date1;
            readings.date2 = *r.date2;
        }
    }
    if (!messages.isEmpty()) {
        for (const QString& m : messages)
            err(m);
        return {Refused};
    }

    text[u"Date1"_s] = readings.date1;
    text[u"Date2"_s] = readings.date2;
    text[u"NRead1"_s] = readings.normal1;
    text[u"NRead2"_s] = readings.normal2;
    text[u"CRead1"_s] = readings.cheap1;
    text[u"CRead2"_s] = readings.cheap2;
    const auto& modes = tariff.config.modes;
    const auto read = billformat::inputsFromTexts(
        text, {modes.perDay, modes.monthly, modes.disc1Percent, modes.disc2Fixed});
    if (!read) {
        err(u"The readings or the tariff do not read as numbers and dates"_s);
        return {Refused};
    }
    const QString notes = options.value(u"notes"_s);
    domain::Bill computed;
    try {
        computed = domain::computeBill(read->tariff, read->readings, values::currencyDecimals());
    } catch (const domain::StepError& e) {
        err(u"Calculation Error: "_s + e.description());
        return {Refused};
    }
    const billformat::BillTexts texts = billformat::billTexts(computed, notes);
    const QString report = billformat::resultsReport(texts, QDateTime::currentDateTime());

    if (options.save) {
        const int saved = save(context, texts, report);
        if (saved != Done)
            return {saved};
    }
    if (format == u"json"_s) {
        const QJsonObject o{{u"inputs"_s, inputs(computed, notes)},
                            {u"results"_s, results(computed, texts)},
                            {u"currency"_s, QLocale().currencySymbol(QLocale::CurrencyIsoCode)}};
        out(QJsonDocument(o).toJson(QJsonDocument::Indented));
    } else {
        // The log's own bytes: Windows-1252 with CR LF.
        out(files::encode(report));
    }
    return {Done};
}

} // namespace cli
