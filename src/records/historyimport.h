// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/billformat.h"

#include <QDate>
#include <QLocale>
#include <QMap>
#include <QString>
#include <optional>
#include <vector>

// Readings brought in from elsewhere, written to the history log as saves of them would write
// them.
namespace records {

struct ImportedReading {
    QDate date;
    double normal = 0;
    std::optional<double> cheap;
};

struct ImportedHistory {
    QString text;     // the whole new history log
    int readings = 0; // readings written, the start record included
};

// The history log `log` (its whole text) with the readings appended in order. Each reading
// becomes the record a save from the reading before it (the log's last data line, or the
// reading before in the list) with the given tariff texts would append: a start record first
// when the log has no data line, the column-header block (with `taxWord`) before every 41st
// data line. The readings must have been checked; nullopt when a bill cannot be worked out.
std::optional<ImportedHistory>
historyWithReadings(const QString& log, const std::vector<ImportedReading>& readings,
                    const QMap<QString, QString>& tariffTexts, const billformat::Modes& modes,
                    const QString& taxWord, const QLocale& locale = QLocale());

} // namespace records
