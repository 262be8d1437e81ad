// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/ranking.h"

#include "records/csv.h"
#include "text/values.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace records::ranking {

namespace {

constexpr qint64 Earliest = std::numeric_limits<qint64>::min();
constexpr qint64 Latest = std::numeric_limits<qint64>::max();

QString meterName(const QString& meter) {
    return meter.isEmpty() ? u"(no id)"_s : meter;
}

// The meter of one direction: the one named, or the only one there is.
std::variant<std::optional<QString>, QString> chooseMeter(const QList<usage::Series>& all,
                                                          domain::Direction direction,
                                                          const std::optional<QString>& named) {
    QStringList meters;
    for (const usage::Series& s : all)
        if (s.direction == direction)
            meters.append(s.meter);
    const QString kind = domain::directionName(direction);
    QStringList shown;
    for (const QString& m : meters)
        shown.append(meterName(m));
    if (named) {
        if (meters.contains(*named))
            return std::optional<QString>(*named);
        return u"meter "_s + meterName(*named) + u" has no "_s + kind + u" slots"_s +
               (meters.isEmpty()
                    ? u"; no meter has any"_s
                    : u"; meters with "_s + kind + u" slots: "_s + shown.join(u", "_s));
    }
    if (meters.size() == 1)
        return std::optional<QString>(meters.first());
    if (meters.isEmpty())
        return std::optional<QString>();
    return u"several meters have "_s + kind + u" slots ("_s + shown.join(u", "_s) +
           u"): name one"_s;
}

QDate localDate(qint64 t, const QTimeZone& zone) {
    return QDateTime::fromSecsSinceEpoch(t, zone).date();
}

qint64 dayStart(const QDate& day, const QTimeZone& zone) {
    return day.startOfDay(zone).toSecsSinceEpoch();
}

QList<domain::Slot> within(const QList<domain::Slot>& list, qint64 from, qint64 to) {
    QList<domain::Slot> out;
    out.reserve(list.size());
    for (const domain::Slot& s : list)
        if (s.start >= from && s.start < to)
            out.append(s);
    return out;
}

Coverage coverageOf(const QList<domain::Slot>& list, qint64 from, qint64 to) {
    Coverage c;
    QHash<int, qint64> lengths;
    qint64 covered = 0;
    for (const domain::Slot& s : list) {
        ++c.used;
        c.estimated += s.estimated ? 1 : 0;
        ++lengths[s.seconds];
        covered += std::min(s.end(), to) - s.start;
    }
    qint64 most = 0;
    for (auto it = lengths.cbegin(); it != lengths.cend(); ++it)
        if (it.value() > most || (it.value() == most && it.key() < c.slotSeconds)) {
            most = it.value();
            c.slotSeconds = it.key();
        }
    if (c.slotSeconds > 0)
        c.missing = std::max<qint64>(0, (to - from - covered) / c.slotSeconds);
    return c;
}

double money(double v) {
    return values::roundHalfAway(v, 2);
}

// Six decimals: beyond what any meter measures, short of the sums' binary noise.
double kwh(double v) {
    return values::roundHalfAway(v, 6);
}

QJsonValue optional(const std::optional<double>& v) {
    return v ? QJsonValue(*v) : QJsonValue();
}

QJsonObject coverageJson(const Coverage& c) {
    return {{u"slots"_s, double(c.used)},
            {u"missing"_s, double(c.missing)},
            {u"estimated"_s, double(c.estimated)}};
}

QJsonObject tariffJson(const Ranked& r) {
    const domain::TouBill& b = r.bill;
    QJsonArray bands, months;
    for (const domain::BandFigures& f : b.bands)
        bands.append(
            QJsonObject{{u"name"_s, f.name}, {u"kwh"_s, kwh(f.kwh)}, {u"cost"_s, money(f.cost)}});
    for (const domain::MonthFigures& m : b.months)
        months.append(QJsonObject{{u"month"_s, m.month.toString(u"yyyy-MM"_s)},
                                  {u"kwh"_s, kwh(m.kwh)},
                                  {u"total"_s, m.total}});
    return {{u"name"_s, r.name},
            {u"file"_s, r.file},
            {u"total"_s, b.total},
            {u"energy"_s, b.energy},
            {u"standing"_s, b.standing},
            {u"vat"_s, b.vat},
            {u"export_credit"_s, b.exportCredit},
            {u"difference"_s, optional(r.difference)},
            {u"difference_percent"_s, optional(r.differencePercent)},
            {u"bands"_s, bands},
            {u"months"_s, months}};
}

QString number(double v) {
    return QLocale::c().toString(v, 'f', 2);
}

} // namespace

Request request(const QStringList& files, const QString& current) {
    Request r;
    QStringList seen;
    for (const QString& f : files) {
        r.tariffs.append(tariff::readTariffFile(f));
        seen.append(QFileInfo(f).absoluteFilePath());
    }
    if (!current.isEmpty()) {
        const qsizetype at = seen.indexOf(QFileInfo(current).absoluteFilePath());
        if (at >= 0) {
            r.current = at;
        } else {
            r.current = r.tariffs.size();
            r.tariffs.append(tariff::readTariffFile(current));
        }
    }
    return r;
}

std::variant<Ranking, QString> rank(const usage::Store& store, const Request& request) {
    Ranking out;
    // Every tariff prices the local days of the current tariff's zone (or, if that one cannot
    // be read or is a plan, which names no zone, of the first that names one).
    auto named = [](const tariff::TariffFile& f) { return f.tariff && !f.plan; };
    const tariff::TariffFile* zoneFrom =
        request.current < request.tariffs.size() && named(request.tariffs[request.current])
            ? &request.tariffs[request.current]
            : nullptr;
    for (const tariff::TariffFile& f : request.tariffs)
        if (!zoneFrom && named(f))
            zoneFrom = &f;
    out.zone = zoneFrom ? zoneFrom->tariff->zone : QTimeZone::systemTimeZone();

    const QList<usage::Series> series = store.series();
    auto imports = chooseMeter(series, domain::Direction::Import, request.meter);
    if (const auto* message = std::get_if<QString>(&imports))
        return *message;
    const auto meter = std::get<std::optional<QString>>(imports);
    if (!meter)
        return u"the store has no import slots; import a meter's data first"_s;
    out.meter = *meter;
    auto exports = chooseMeter(series, domain::Direction::Export, request.exportMeter);
    if (const auto* message = std::get_if<QString>(&exports))
        return *message;
    out.exportMeter = std::get<std::optional<QString>>(exports);

    // The range: as asked, or the local days of the first and the last slot.
    QList<domain::Slot> list;
    if (request.from && request.to) {
        out.from = *request.from;
        out.to = *request.to;
        list = store.slotsOf(out.meter, domain::Direction::Import, dayStart(out.from, out.zone),
                             dayStart(out.to, out.zone));
    } else {
        list = store.slotsOf(out.meter, domain::Direction::Import, Earliest, Latest);
        if (list.isEmpty())
            return u"meter "_s + meterName(out.meter) + u" has no import slots"_s;
        out.from = request.from.value_or(localDate(list.first().start, out.zone));
        out.to = request.to.value_or(localDate(list.last().start, out.zone).addDays(1));
        list = within(list, dayStart(out.from, out.zone), dayStart(out.to, out.zone));
    }
    if (out.to <= out.from)
        return u"the range "_s + values::isoDate(out.from) + u" to "_s + values::isoDate(out.to) +
               u" has no days"_s;
    const qint64 start = dayStart(out.from, out.zone), end = dayStart(out.to, out.zone);
    out.coverage = coverageOf(list, start, end);
    const QList<domain::Slot> exported =
        out.exportMeter ? store.slotsOf(*out.exportMeter, domain::Direction::Export, start, end)
                        : QList<domain::Slot>();

    // Each tariff on the same slots.
    std::optional<qint64> currentPence;
    for (qsizetype i = 0; i < request.tariffs.size(); ++i) {
        const tariff::TariffFile& f = request.tariffs[i];
        if (!f.tariff) {
            out.refused.append({f.path, {}, f.reason});
            continue;
        }
        domain::TouTariff tariff = *f.tariff;
        if (f.plan)
            tariff.zone = out.zone;
        if (tariff.zone.id() != out.zone.id()) {
            out.refused.append({f.path, f.tariff->name,
                                u"its zone is "_s + QString::fromUtf8(f.tariff->zone.id()) +
                                    u", the current "
                                    u"tariff's "_s +
                                    QString::fromUtf8(out.zone.id()) +
                                    u"; every tariff of a ranking prices the same local days"_s});
            continue;
        }
        auto priced = domain::priceSlots(tariff, list, exported, out.from, out.to);
        if (const auto* refusal = std::get_if<domain::TouRefusal>(&priced)) {
            out.refused.append({f.path, f.tariff->name, refusal->reason});
            continue;
        }
        Ranked r;
        r.file = f.path;
        r.name = f.tariff->name;
        r.bill = std::get<domain::TouBill>(std::move(priced));
        r.current = i == request.current;
        if (r.current)
            currentPence = qint64(values::roundHalfAway(r.bill.total * 100, 0));
        out.tariffs.append(r);
    }
    if (currentPence) {
        for (Ranked& r : out.tariffs) {
            const qint64 pence =
                qint64(values::roundHalfAway(r.bill.total * 100, 0)) - *currentPence;
            r.difference = double(pence) / 100;
            if (*currentPence != 0)
                r.differencePercent =
                    values::roundHalfAway(double(pence) / double(*currentPence) * 100, 1);
        }
    }
    std::stable_sort(out.tariffs.begin(), out.tariffs.end(),
                     [](const Ranked& a, const Ranked& b) { return a.bill.total < b.bill.total; });
    return out;
}

QByteArray rankingJson(const Ranking& ranking) {
    QJsonArray tariffs, refused;
    for (const Ranked& r : ranking.tariffs)
        tariffs.append(tariffJson(r));
    for (const Refused& r : ranking.refused)
        refused.append(QJsonObject{{u"file"_s, r.file}, {u"reason"_s, r.reason}});
    const QJsonObject o{{u"from"_s, values::isoDate(ranking.from)},
                        {u"to"_s, values::isoDate(ranking.to)},
                        {u"coverage"_s, coverageJson(ranking.coverage)},
                        {u"tariffs"_s, tariffs},
                        {u"refused"_s, refused}};
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

QByteArray rankingCsv(const Ranking& ranking) {
    QList<QStringList> rows{{u"rank"_s, u"name"_s, u"file"_s, u"total"_s, u"energy"_s,
                             u"standing"_s, u"vat"_s, u"export_credit"_s, u"cost_per_day"_s,
                             u"difference"_s, u"difference_percent"_s, u"reason"_s}};
    qsizetype place = 0;
    for (const Ranked& r : ranking.tariffs) {
        const domain::TouBill& b = r.bill;
        rows << QStringList{
            QString::number(++place),
            r.name,
            r.file,
            number(b.total),
            number(b.energy),
            number(b.standing),
            number(b.vat),
            number(b.exportCredit),
            QLocale::c().toString(values::roundHalfAway(b.costPerDay, 4), 'f', 4),
            r.difference ? number(*r.difference) : QString(),
            r.differencePercent ? QLocale::c().toString(*r.differencePercent, 'f', 1) : QString(),
            QString()};
    }
    for (const Refused& r : ranking.refused) {
        QStringList row{QString(), r.name, r.file};
        for (int i = 0; i < 8; ++i)
            row << QString();
        rows << (row << r.reason);
    }
    return csv::document(rows);
}

QByteArray billJson(const Ranking& ranking) {
    QJsonObject o;
    if (!ranking.tariffs.isEmpty()) {
        const Ranked& r = ranking.tariffs.first();
        o = tariffJson(r);
        o.remove(u"difference"_s);
        o.remove(u"difference_percent"_s);
        QJsonArray pieces;
        for (const domain::TouPiece& p : r.bill.pieces)
            pieces.append(QJsonObject{{u"from"_s, values::isoDate(p.from)},
                                      {u"to"_s, values::isoDate(p.to)},
                                      {u"days"_s, double(p.days)},
                                      {u"energy"_s, money(p.energy)},
                                      {u"standing"_s, money(p.standing)},
                                      {u"vat"_s, money(p.vat)},
                                      {u"export_credit"_s, money(p.exportCredit)},
                                      {u"cost"_s, p.cost}});
        o[u"pieces"_s] = pieces;
    }
    o[u"from"_s] = values::isoDate(ranking.from);
    o[u"to"_s] = values::isoDate(ranking.to);
    o[u"coverage"_s] = coverageJson(ranking.coverage);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

QByteArray billCsv(const Ranking& ranking) {
    QList<QStringList> rows{{u"from"_s, u"to"_s, u"days"_s, u"energy"_s, u"standing"_s, u"vat"_s,
                             u"export_credit"_s, u"cost"_s}};
    if (!ranking.tariffs.isEmpty()) {
        const domain::TouBill& b = ranking.tariffs.first().bill;
        for (const domain::TouPiece& p : b.pieces)
            rows << QStringList{values::isoDate(p.from),       values::isoDate(p.to),
                                QString::number(p.days),       number(money(p.energy)),
                                number(money(p.standing)),     number(money(p.vat)),
                                number(money(p.exportCredit)), number(p.cost)};
        rows << QStringList{u"total"_s,
                            QString(),
                            QString::number(b.from.daysTo(b.to)),
                            number(b.energy),
                            number(b.standing),
                            number(b.vat),
                            number(b.exportCredit),
                            number(b.total)};
    }
    return csv::document(rows);
}

} // namespace records::ranking
