// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "domain/plan.h"
#include "domain/tou.h"

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <variant>

class QIODevice;

// Time-of-use tariff files: a JSON tariff with its price series, or a dated plan CSV read as a
// tariff. A file with a fault is refused whole, naming where the fault is.
//
//   {"name", "zone", "clock": "local"|"utc", "holidays": ["yyyy-mm-dd"],
//    "periods": [{"from", "standing_p_per_day", "vat_percent",
//                 "export_p_per_kwh" | "export_prices": FILE,
//                 "bands": [{"name", "from": "HH:MM", "to": "HH:MM", "days": ["mon".."sun",
//                            "holiday"], "p_per_kwh" | "prices": FILE}]}]}
//
// A price series is CSV "start,end,p_per_kwh" (ISO 8601 with offset) or the unit-rates JSON
// that UK suppliers publish ({"results":[{"value_exc_vat","valid_from","valid_to"}]}).
namespace records::tariff {

// A tariff JSON file: a few MiB at most. A series: 256 MiB.
inline constexpr qint64 MaxTariffBytes = 4 * 1024 * 1024;
inline constexpr qint64 MaxSeriesBytes = 256 * 1024 * 1024;

// Where a fault is: the JSON path ("periods[1].bands[0].from") or the line of a CSV
// ("line 4, column p_per_kwh"), empty for the file as a whole.
struct ReadFault {
    QString where;
    QString reason;
    // "periods[1].bands[0].from: 25:00 is not a time of day"
    QString text() const;
};

// A series file named in a tariff, by the name the tariff gives; the reader resolves it.
using SeriesLoader = std::function<std::variant<domain::PriceSeries, QString>(const QString& name)>;

// The tariff in the JSON bytes; `file` is kept in the tariff and its default name.
std::variant<domain::TouTariff, ReadFault> parseTariff(QByteArrayView json, const QString& file,
                                                       const SeriesLoader& load);

// A price series from its bytes: the unit-rates JSON when it starts with "{", else CSV read
// line by line from the device.
std::variant<domain::PriceSeries, ReadFault> parseSeriesJson(QByteArrayView json);
std::variant<domain::PriceSeries, ReadFault> parseSeriesCsv(QIODevice& in);

// A plan as a tariff: each row a period with one all-day band. A row with a cheap rate names
// no hours, so it is refused. `lines` are the rows' lines in the file, for the message.
std::variant<domain::TouTariff, ReadFault> tariffFromPlan(const domain::TariffPlan& plan,
                                                          const QString& file,
                                                          const QList<qsizetype>& lines = {});

// A tariff file as read: the tariff, or why it was refused.
struct TariffFile {
    QString path;
    std::optional<domain::TouTariff> tariff;
    bool plan = false; // read from a plan CSV, which names no zone: the system's stands in
    QString reason;    // "periods[1].bands[0].from: 25:00 is not a time of day"
    // The reason with the file in front of it.
    QString message() const { return path + QStringLiteral(": ") + reason; }
};

// Reads a tariff file as a person names it: a regular file of bounded size, JSON or a plan
// CSV by its first character; series files relative to it.
TariffFile readTariffFile(const QString& path);

// "2025-08-17T02:00:00Z", "+01:00" or "+0100": UTC seconds, or none without an offset.
std::optional<qint64> isoInstant(QStringView text);

} // namespace records::tariff
