// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cli/tariff.h"
#include "records/plan.h"

using namespace Qt::StringLiterals;

namespace cli {

TariffFile readTariff(const Context& context, const QString& option) {
    TariffFile t;
    t.path = option.isEmpty() ? context.path(u"Data/Voltrake.ini"_s) : option;
    t.config = records::readConfigurationFile(t.path);
    if (t.config.status == records::Configuration::Status::Unreadable)
        t.message = t.config.readFault.isEmpty()
                        ? u"Unable to read the configuration file."_s
                        : u"Unable to read the configuration file: "_s + t.config.readFault + u'.';
    else if (!t.config.ok())
        t.message =
            records::configurationFaultText(records::configurationFaultWord(t.config.status));
    return t;
}

PlanFile readPlan(const QString& path) {
    const records::plan::PlanFile file = records::plan::readPlanFile(path);
    if (file.unreadable)
        return {fileError(path, file.fault.isEmpty()
                                    ? u"Unable to read the plan file."_s
                                    : u"Unable to read the plan file: "_s + file.fault + u'.'),
                {}};
    if (!file.plan) {
        QString message = file.message;
        err(message.replace(u"\r\n"_s, u"\n"_s));
        return {Refused, {}};
    }
    return {Done, *file.plan};
}

} // namespace cli
