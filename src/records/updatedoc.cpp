// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/updatedoc.h"

#include "text/values.h"

#include <utility>

namespace records {

UpdateDocument parseUpdateDocument(const QString& document) {
    UpdateDocument doc;
    const std::pair<const char*, QString*> elements[] = {
        {"Name", &doc.name},         {"Version1", &doc.version1}, {"Version2", &doc.version2},
        {"Download", &doc.download}, {"History", &doc.history},   {"KIssues", &doc.knownIssues},
        {"Index", &doc.index},       {"Message", &doc.message},   {"Uninstall", &doc.uninstall},
    };
    for (const auto& [tag, field] : elements) {
        *field = QStringLiteral("Error");
        const QString open = '<' + QLatin1String(tag) + '>';
        const QString close = QStringLiteral("</") + QLatin1String(tag) + '>';
        const qsizetype end = document.indexOf(close);
        const qsizetype begin = document.indexOf(open);
        if (end < 0 || begin < 0)
            continue;
        const qsizetype from = begin + open.size();
        if (end < from)
            continue;
        *field = document.mid(from, end - from);
        --doc.missingTags;
    }
    return doc;
}

VersionOrder compareVersions(const QString& published1, const QString& published2,
                             const QString& running, const QString& runningBuild) {
    // Both readings stop at the second full stop: "2.6" + "." + "0.0" reads 2.6.
    const double published = values::leadingValue(published1 + '.' + published2);
    const double run = values::leadingValue(running + '.' + runningBuild);
    if (published == run)
        return VersionOrder::Same;
    return published > run ? VersionOrder::Newer : VersionOrder::Unrecognised;
}

} // namespace records
