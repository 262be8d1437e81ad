// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/cli/cli.h"
#include "domain/plan.h"
#include "records/configformat.h"

namespace cli {

struct TariffFile {
    QString path;
    records::Configuration config;
    QString message; // why it was refused, as the window says it
};

// The configuration file given by --config, or DIR/Data/Voltrake.ini, read as start-up reads it.
TariffFile readTariff(const Context& context, const QString& option);

struct PlanFile {
    int exit = Done; // FileError or Refused after its message
    domain::TariffPlan plan;
};

// The plan file given by --plan; a refused plan's message names its line and column.
PlanFile readPlan(const QString& path);

} // namespace cli
