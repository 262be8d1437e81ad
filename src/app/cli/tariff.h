// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/cli/cli.h"
#include "records/configformat.h"

namespace cli {

struct TariffFile {
    QString path;
    records::Configuration config;
    QString message; // why it was refused, as the window says it
};

// The configuration file given by --config, or DIR/Data/Voltrake.ini, read as start-up reads it.
TariffFile readTariff(const Context& context, const QString& option);

} // namespace cli
