// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/plan.h"

#include "records/csv.h"
#include "text/files.h"
#include "text/values.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <array>

using namespace Qt::StringLiterals;

namespace records::plan {

namespace {

enum Col { From, Unit, Standing, Cheap, Export, Vat, ColCount };
const std::array<QString, ColCount> ColumnNames = {u"from"_s,
                                                   u"unit_p_per_kwh"_s,
                                                   u"standing_p_per_day"_s,
                                                   u"cheap_p_per_kwh"_s,
                                                   u"export_p_per_kwh"_s,
                                                   u"vat_percent"_s};

// Beyond these a price is a typing slip, and the arithmetic stays far from overflow.
constexpr double MaxPrice = 100000; // hundredths per unit or per day
constexpr double MaxVat = 100;      // percent
constexpr double MaxExportReading = 999999;

PlanError fault(qsizetype line, const QString& column, const QString& reason) {
    return {line, column, reason};
}

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

// A plain decimal with "." (no grouping, no exponent), or nothing.
std::optional<double> decimal(const QString& text) {
    static const QRegularExpression form(u"^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"_s);
    if (!form.match(text).hasMatch())
        return std::nullopt;
    return values::strictValue(text, QLocale::c());
}

// The shortest decimal that reads back as the same value, never in exponent form (which a
// plan does not accept).
QString number(double v) {
    return QLocale::c().toString(v, 'f', QLocale::FloatingPointShortest);
}

} // namespace

QString PlanError::text() const {
    QString where = line > 0 ? u"Line "_s + QString::number(line) : u"The plan"_s;
    if (!column.isEmpty())
        where += u", column "_s + column;
    return where + u": "_s + reason;
}

std::variant<domain::TariffPlan, PlanError> parsePlan(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return fault(0, {}, u"not UTF-8 text"_s);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QList<qsizetype> lines;
    const QList<QStringList> rows = csv::parse(text, u',', &lines);

    // The header names the columns; each once, none unknown, all present.
    qsizetype first = 0;
    while (first < rows.size() && rows[first].join(QString()).trimmed().isEmpty())
        ++first;
    if (first == rows.size())
        return fault(0, {}, u"no header row"_s);
    std::array<qsizetype, ColCount> at;
    at.fill(-1);
    const QStringList& header = rows[first];
    const qsizetype headerLine = lines[first];
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString name = header[i].trimmed().toLower();
        const auto known = std::find(ColumnNames.cbegin(), ColumnNames.cend(), name);
        if (known == ColumnNames.cend())
            return fault(headerLine, header[i].trimmed(), u"not a column of a plan"_s);
        const auto c = std::size_t(known - ColumnNames.cbegin());
        if (at[c] >= 0)
            return fault(headerLine, name, u"named twice"_s);
        at[c] = i;
    }
    for (std::size_t c = 0; c < ColCount; ++c)
        if (at[c] < 0)
            return fault(headerLine, ColumnNames[c], u"missing from the header"_s);

    domain::TariffPlan plan;
    qsizetype previousLine = 0;
    for (qsizetype r = first + 1; r < rows.size(); ++r) {
        const QStringList& row = rows[r];
        const qsizetype line = lines[r];
        if (row.join(QString()).trimmed().isEmpty())
            continue; // blank lines, a trailing line end
        if (row.size() > header.size())
            return fault(line, {},
                         u"%1 cells, the header has %2"_s.arg(row.size()).arg(header.size()));
        auto cell = [&](Col c) { return row.value(at[std::size_t(c)]).trimmed(); };

        domain::PriceRow price;
        const QString from = cell(From);
        price.from = QDate::fromString(from, Qt::ISODate);
        if (from.size() != 10 || !price.from.isValid())
            return fault(line, ColumnNames[From],
                         quoted(from) + u" is not a date of the form yyyy-mm-dd"_s);
        if (!plan.rows.isEmpty()) {
            const QDate last = plan.rows.last().from;
            if (price.from == last)
                return fault(line, ColumnNames[From],
                             from + u" is the date of line "_s + QString::number(previousLine) +
                                 u" too"_s);
            if (price.from < last)
                return fault(line, ColumnNames[From],
                             from + u" comes before "_s + values::isoDate(last) + u" on line "_s +
                                 QString::number(previousLine) + u"; rows must be in date order"_s);
        }

        // A price cell: empty is none where allowed, else a number from 0 to the limit.
        std::optional<PlanError> bad;
        auto number = [&](Col c, bool required, double limit) -> std::optional<double> {
            const QString t = cell(c);
            const QString& name = ColumnNames[std::size_t(c)];
            if (t.isEmpty()) {
                if (required)
                    bad = fault(line, name, u"a value is needed"_s);
                return std::nullopt;
            }
            const auto v = decimal(t);
            if (!v)
                bad = fault(line, name, quoted(t) + u" is not a number"_s);
            else if (*v < 0)
                bad = fault(line, name, t + u" is below 0"_s);
            else if (*v > limit)
                bad = fault(line, name, t + u" is above "_s + QString::number(limit));
            return bad ? std::nullopt : v;
        };
        price.unit = number(Unit, true, MaxPrice).value_or(0);
        if (!bad)
            price.standing = number(Standing, true, MaxPrice).value_or(0);
        if (!bad)
            price.cheap = number(Cheap, false, MaxPrice);
        if (!bad)
            price.exportRate = number(Export, false, MaxPrice);
        if (!bad)
            price.vat = number(Vat, false, MaxVat).value_or(0);
        if (bad)
            return *bad;
        plan.rows.append(price);
        previousLine = line;
    }
    if (plan.rows.isEmpty())
        return fault(0, {}, u"no price rows below the header"_s);
    return plan;
}

PlanFile readPlanFile(const QString& path) {
    PlanFile f;
    files::NamedFile read = files::readNamed(path);
    f.bytes = std::move(read.bytes);
    if (!f.bytes) {
        f.unreadable = true;
        if (read.refused)
            f.fault = read.fault;
        f.message = u"Unable to read the plan file "_s + path +
                    (f.fault.isEmpty() ? QString() : u": "_s + f.fault) + u'.';
        return f;
    }
    auto parsed = parsePlan(QByteArrayView(*f.bytes));
    if (auto* error = std::get_if<PlanError>(&parsed))
        f.message = u"The plan "_s + path + u" was refused.\r\n"_s + error->text() + u'.';
    else
        f.plan = std::get<domain::TariffPlan>(std::move(parsed));
    return f;
}

QByteArray planCsv(const domain::TariffPlan& plan) {
    QList<QStringList> rows{QStringList(ColumnNames.cbegin(), ColumnNames.cend())};
    auto optional = [](const std::optional<double>& v) { return v ? number(*v) : QString(); };
    for (const domain::PriceRow& p : plan.rows)
        rows << QStringList{values::isoDate(p.from), number(p.unit),
                            number(p.standing),      optional(p.cheap),
                            optional(p.exportRate),  p.vat != 0 ? number(p.vat) : QString()};
    return csv::document(rows);
}

domain::PlanUsage usageOf(const domain::MeterReadings& r) {
    domain::PlanUsage u;
    u.from = r.date1;
    u.to = r.date2;
    u.normalUnits = values::round15(r.normal2 - r.normal1);
    if (r.cheapRate() && r.cheap2)
        u.cheapUnits = values::round15(*r.cheap2 - *r.cheap1);
    return u;
}

QString refusalText(const domain::TariffPlan& plan, const domain::PlanPricing& pricing,
                    const QLocale& locale) {
    using domain::PlanRefusal;
    switch (pricing.refusal) {
    case PlanRefusal::BeforeFirstRow:
        return u"The reading period starts before the plan's first price date, "_s +
               values::shortDate(plan.rows.value(0).from, locale) +
               u": the plan says nothing of the prices before it"_s;
    case PlanRefusal::NoCheapRate:
        return u"The readings include cheap-rate units, but the plan has no cheap rate from "_s +
               values::shortDate(pricing.refusedFrom, locale);
    case PlanRefusal::NotAfter:
        break;
    }
    return u"Date 2 must be at least 3 days later than Date 1"_s;
}

std::variant<domain::PlanBill, QStringList>
planBill(const domain::TariffPlan& plan, const PlanReadingTexts& texts, const QLocale& locale) {
    const ReadingTexts& r = texts.readings;
    QStringList messages = readingValueMessages(r, false, locale);
    const bool exportGiven =
        !texts.export1.trimmed().isEmpty() || !texts.export2.trimmed().isEmpty();
    std::optional<double> export1, export2;
    if (exportGiven) {
        auto exportReading = [&](const QString& t, int n) -> std::optional<double> {
            if (values::readsAsNumber(t, locale)) {
                const double v = values::strictValue(t, locale);
                if (v >= 0 && v <= MaxExportReading)
                    return v;
            }
            messages << u"Export Reading %1 must be between 0 and 999999"_s.arg(n);
            return std::nullopt;
        };
        export1 = exportReading(texts.export1, 1);
        export2 = exportReading(texts.export2, 2);
    }
    if (!messages.isEmpty())
        return messages;

    // The window's rules between readings; a plan has no break point and no prediction, and
    // cheap readings are checked as pairs whenever they are given.
    const bool cheapGiven =
        values::leadingValue(r.cheap1, locale) != 0 || values::leadingValue(r.cheap2, locale) != 0;
    const RuleTariff rules{cheapGiven ? u"1"_s : QString(), {}, {}, {}, false};
    const ReadingRulesOutcome outcome = readingRules(r, rules, false, locale);
    messages << outcome.messages;
    if (outcome.failure)
        messages << outcome.failure->description();
    // The range checks read a reading's leading number; the bill takes the whole text, so a
    // reading such as 12abc is refused with its range message rather than read as 12.
    const std::pair<const QString*, const char*> strict[] = {
        {&r.normal1, "Normal Rate Reading 1 must be between 1 and 999900"},
        {&r.normal2, "Normal Rate Reading 2 must be between 11 and 999999"},
        {&r.cheap1, "Cheap Rate Reading 1 must be either 0 or between 1 and 999900"},
        {&r.cheap2, "Cheap Rate Reading 2 must be either 0 or between 11 and 999999"}};
    for (const auto& [text, message] : strict)
        if (!text->trimmed().isEmpty() && !values::readsAsNumber(*text, locale))
            messages << QString::fromLatin1(message);
    if (export1 && export2 && *export2 < *export1)
        messages << u"Export Reading 2 must not be less than Export Reading 1"_s;
    if (!messages.isEmpty())
        return messages;

    domain::MeterReadings m;
    m.date1 = *values::readDate(r.date1, locale);
    m.date2 = *values::readDate(r.date2, locale);
    m.normal1 = values::strictValue(r.normal1, locale);
    m.normal2 = values::strictValue(r.normal2, locale);
    if (cheapGiven) {
        m.cheap1 = values::strictValue(r.cheap1, locale);
        m.cheap2 = values::strictValue(r.cheap2, locale);
    }
    domain::PlanUsage usage = usageOf(m);
    if (export1 && export2)
        usage.exportUnits = values::round15(*export2 - *export1);
    const domain::PlanPricing priced = domain::pricePlan(plan, usage);
    if (!priced.bill)
        return QStringList{refusalText(plan, priced, locale)};
    return *priced.bill;
}

Comparison comparePlan(const QList<Period>& periods, const domain::TariffPlan& plan) {
    return compareWith(periods, [&plan](const Period& p) -> std::optional<double> {
        if (const auto priced = domain::pricePlan(plan, usageOf(p.readings)); priced.bill)
            return priced.bill->total;
        return std::nullopt;
    });
}

QByteArray billCsv(const domain::PlanBill& bill) {
    QList<QStringList> rows{{u"from"_s, u"to"_s, u"days"_s, u"normal_units"_s, u"unit_p_per_kwh"_s,
                             u"standing_p_per_day"_s, u"cheap_units"_s, u"cheap_p_per_kwh"_s,
                             u"export_units"_s, u"export_p_per_kwh"_s, u"vat_percent"_s,
                             u"cost"_s}};
    auto optional = [](const std::optional<double>& v) { return v ? csv::cell(*v) : QString(); };
    for (const domain::PlanPiece& p : bill.pieces) {
        const domain::PriceRow& price = p.price;
        rows << QStringList{
            csv::cell(p.from),          csv::cell(p.to),       csv::cell(double(p.days)),
            csv::cell(p.normalUnits),   csv::cell(price.unit), csv::cell(price.standing),
            csv::cell(p.cheapUnits),    optional(price.cheap), csv::cell(p.exportUnits),
            optional(price.exportRate), csv::cell(price.vat),  csv::cell(p.cost)};
    }
    const domain::PlanUsage& u = bill.usage;
    rows << QStringList{u"total"_s,
                        QString(),
                        csv::cell(double(bill.days)),
                        csv::cell(u.normalUnits),
                        QString(),
                        QString(),
                        csv::cell(u.cheapUnits),
                        QString(),
                        csv::cell(u.exportUnits),
                        QString(),
                        QString(),
                        csv::cell(bill.total)};
    return csv::document(rows);
}

} // namespace records::plan
