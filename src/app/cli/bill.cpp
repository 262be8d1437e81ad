// SPDX-License-Identifier: GPL-3.0-or-later
#include "domain/bill.h"
#include "app/cli/commands.h"
#include "app/cli/tariff.h"
#include "records/billformat.h"
#include "records/logwrite.h"
#include "records/readingchecks.h"
#include "records/tariffchecks.h"
#include "text/files.h"
#include "text/values.h"

#include <QDateTime>
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

} // namespace

CommandResult bill(const Context& context, const Options& options) {
    const QString format = options.has(u"format"_s) ? options.value(u"format"_s) : u"report"_s;
    if (format != u"report"_s && format != u"json"_s)
        return {Usage, u"--format must be report or json"_s};
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
