// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cli/commands.h"

using namespace Qt::StringLiterals;

namespace cli {

CommandResult history(const Context&, const Options&) {
    err(u"voltrake-cli: history is not available yet"_s);
    return {FileError};
}

CommandResult compare(const Context&, const Options&) {
    err(u"voltrake-cli: compare is not available yet"_s);
    return {FileError};
}

} // namespace cli
