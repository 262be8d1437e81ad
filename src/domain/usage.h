// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Interval data from a smart meter: how much power went through the meter in each slot of 15,
// 30 or 60 minutes. Instants are UTC seconds since the epoch; local days and wall-clock times
// come from the meter's or the tariff's QTimeZone, never from adding hours.
namespace domain {

enum class Direction { Import, Export };

// "import" or "export", as the store and every file write it.
inline QString directionName(Direction d) {
    return d == Direction::Import ? QStringLiteral("import") : QStringLiteral("export");
}
inline std::optional<Direction> directionFromName(const QString& name) {
    if (name == QLatin1String("import"))
        return Direction::Import;
    if (name == QLatin1String("export"))
        return Direction::Export;
    return std::nullopt;
}

struct Slot {
    qint64 start = 0; // UTC, whole seconds since 1970-01-01T00:00:00Z
    int seconds = 0;  // 900, 1800 or 3600
    double kwh = 0;
    bool estimated = false;
    qint64 end() const { return start + seconds; }
    friend bool operator==(const Slot&, const Slot&) = default;
};

} // namespace domain
