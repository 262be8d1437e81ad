// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/usagerank.h"

#include "records/usagestore.h"

RankResult rankTariffs(records::usage::Store&, const RankRequest&) {
    RankResult r;
    r.error = QStringLiteral("Ranking is not available yet.");
    return r;
}

std::optional<domain::TouTariff> readTariff(const QString&) {
    return std::nullopt;
}
