// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/cli/cli.h"
#include "records/usagestore.h"

#include <QMap>
#include <memory>
#include <optional>
#include <variant>

namespace cli {

struct Options {
    QMap<QString, QStringList> values; // by option name, in the order given
    bool save = false;
    bool all = false;
    QStringList words; // the words after the command ("import", then the files)
    QString value(const QString& name) const {
        const QStringList v = values.value(name);
        return v.isEmpty() ? QString() : v.first();
    }
    bool has(const QString& name) const { return values.contains(name); }
};

struct CommandResult {
    CommandResult(int code = Done) : exit(code) {}
    CommandResult(int code, const QString& message) : exit(code), usage(message) {}
    int exit = Done;
    std::optional<QString> usage; // a usage error: the message, shown with the usage line
};

CommandResult bill(const Context& context, const Options& options);
CommandResult history(const Context& context, const Options& options);
CommandResult compare(const Context& context, const Options& options);
CommandResult rank(const Context& context, const Options& options);
// bill --usage: one tariff priced on the stored slots.
CommandResult usageBill(const Context& context, const Options& options);
CommandResult usage(const Context& context, const Options& options);

// The interval-data store of the working directory, or the exit after its message.
std::variant<std::unique_ptr<records::usage::Store>, int> openStore(const Context& context,
                                                                    bool create);

} // namespace cli
