// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "domain/usage.h"

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QTime>
#include <QTimeZone>
#include <optional>
#include <variant>

// Time-of-use tariffs: prices that depend on the time of day, the day of the week, or a
// published price for every slot, and the one function that prices a meter's slots under one.
// Prices are in hundredths of the currency unit before VAT; results are in the currency unit.
namespace domain {

// A price for every moment of [start, end) UTC, as a supplier publishes it.
struct SeriesPrice {
    qint64 start = 0;
    std::optional<qint64> end; // none: open-ended
    double price = 0;
};
struct PriceSeries {
    QString file;
    QList<SeriesPrice> prices; // sorted by start, not overlapping
};

struct Band {
    QString name;
    std::optional<QTime> from; // none with `to`: the whole day
    std::optional<QTime> to;   // before `from`: crosses midnight
    quint8 weekdays = 0;       // bit 0 Monday ... bit 6 Sunday; 0 with !holidays: every day
    bool holidays = false;     // a date in the tariff's holiday list
    std::optional<double> price;
    int series = -1; // index into TouTariff::series instead of a price
};

struct TouPeriod {
    QDate from; // midnight in the tariff's zone
    double standing = 0;
    double vat = 0;
    std::optional<double> exportPrice;
    int exportSeries = -1;
    QList<Band> bands; // tried in order, the first that covers the moment applies
};

struct TouTariff {
    QString name;
    QString file;
    QTimeZone zone;
    bool utcClock = false; // band times are UTC all year
    QSet<QDate> holidays;
    QList<TouPeriod> periods; // in date order
    QList<PriceSeries> series;
};

struct BandFigures {
    QString name;
    double kwh = 0;
    double cost = 0; // before VAT, currency unit, unrounded
};
struct MonthFigures {
    QDate month; // the first of the local month
    double kwh = 0;
    double total = 0; // rounded to hundredths on its own
};
struct TouPiece {
    QDate from, to; // local days [from, to)
    qint64 days = 0;
    double energy = 0, standing = 0, vat = 0, exportCredit = 0; // unrounded
    double cost = 0;                                            // rounded to hundredths once
};

struct TouBill {
    QDate from, to;
    double total = 0;                                           // the sum of the rounded pieces
    double energy = 0, standing = 0, vat = 0, exportCredit = 0; // each rounded on its own
    double costPerDay = 0;
    QList<TouPiece> pieces;
    QList<BandFigures> bands;
    QList<MonthFigures> months;
};

struct TouRefusal {
    QString reason; // "no price at 2025-08-17T02:00:00+01:00", "the range starts before ..."
};

// Prices the import and export slots of local days [from, to) of the tariff's zone. Each slot's
// kWh is spread evenly over its minutes, each minute priced by the band or series price in
// force then; standing charge for every local day; each period's piece rounded once. Refused
// when the range starts before the first period, or a slot (import, or export under an export
// series) covers a moment that has no price: the reason names the first such moment.
std::variant<TouBill, TouRefusal> priceSlots(const TouTariff& tariff, const QList<Slot>& imports,
                                             const QList<Slot>& exports, const QDate& from,
                                             const QDate& to);

} // namespace domain
