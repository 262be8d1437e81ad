// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "domain/tou.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace records::usage {
class Store;
}

// The smart-meter window's view of a ranking: what records' ranking gives, in the rows the
// window shows. The pricing and the ranking are records' and the domain's, as for
// `voltrake-cli rank`; nothing here prices anything.
struct RankRequest {
    QStringList files;
    QString current;
    QString meter;  // null: the only import meter there is
    QDate from, to; // local days [from, to)
};
struct RankedTariff {
    QString name, file;
    bool current = false;
    double total = 0, difference = 0, energy = 0, standing = 0, vat = 0, exportCredit = 0;
    std::optional<double> differencePercent;
    QList<domain::BandFigures> bands;
    QList<domain::MonthFigures> months;
};
struct RankRefusal {
    QString file, reason;
};
struct RankResult {
    QString error;              // the store or the range could not be used: nothing ranked
    QString note;               // the coverage line above the table
    QList<RankedTariff> ranked; // cheapest first
    QList<RankRefusal> refused;
    QByteArray csv; // as `voltrake-cli rank --format csv` writes it
};

// On the store's thread: ranks the tariff files over the store's slots.
RankResult rankTariffs(records::usage::Store& store, const RankRequest& request);
// A tariff file read for shading its bands, or none when it cannot be read.
std::optional<domain::TouTariff> readTariff(const QString& path);
