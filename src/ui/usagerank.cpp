// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/usagerank.h"

#include "records/ranking.h"
#include "records/tariffread.h"
#include "records/usagestore.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QLocale>

RankResult rankTariffs(records::usage::Store& store, const RankRequest& request) {
    namespace ranking = records::ranking;
    RankResult out;
    ranking::Request r = ranking::request(request.files, request.current);
    r.from = request.from;
    r.to = request.to;
    if (!request.meter.isNull())
        r.meter = request.meter;
    const auto ranked = ranking::rank(store, r);
    if (const QString* why = std::get_if<QString>(&ranked)) {
        out.error = *why;
        return out;
    }
    const ranking::Ranking& k = std::get<ranking::Ranking>(ranked);
    const QLocale locale;
    out.note = QStringLiteral("%1 to %2: %3 slots used, %4 missing, %5 estimated.")
                   .arg(locale.toString(k.from, QStringLiteral("d MMM yyyy")),
                        locale.toString(k.to.addDays(-1), QStringLiteral("d MMM yyyy")),
                        locale.toString(k.coverage.used), locale.toString(k.coverage.missing),
                        locale.toString(k.coverage.estimated));
    if (k.coverage.missing > 0)
        out.note += QStringLiteral(" Every total leaves the missing slots out.");
    for (const ranking::Ranked& t : k.tariffs) {
        RankedTariff row;
        row.name = t.name;
        row.file = t.file;
        row.current = t.current;
        row.total = t.bill.total;
        row.difference = t.difference.value_or(0);
        row.differencePercent = t.differencePercent;
        row.energy = t.bill.energy;
        row.standing = t.bill.standing;
        row.vat = t.bill.vat;
        row.exportCredit = t.bill.exportCredit;
        row.bands = t.bill.bands;
        row.months = t.bill.months;
        out.ranked.append(row);
    }
    for (const ranking::Refused& x : k.refused)
        out.refused.append({x.file, x.reason});
    out.csv = ranking::rankingCsv(k);
    return out;
}

std::optional<domain::TouTariff> readTariff(const QString& path) {
    // Read again only when the file changed: the shading follows every move of the range.
    struct Cached {
        QDateTime modified;
        std::optional<domain::TouTariff> tariff;
    };
    static QHash<QString, Cached> cache;
    if (path.isEmpty())
        return std::nullopt;
    const QDateTime modified = QFileInfo(path).lastModified();
    auto it = cache.find(path);
    if (it == cache.end() || it->modified != modified)
        it = cache.insert(path, {modified, records::tariff::readTariffFile(path).tariff});
    return it->tariff;
}
