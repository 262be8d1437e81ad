// SPDX-License-Identifier: GPL-3.0-or-later
// usageimporter STORE FILE METER: imports FILE (Voltrake CSV, Europe/London) into the store as
// METER's slots, printing a line each time the import reports progress, so that a test can kill
// it at a known point.
#include "records/usagestore.h"

#include <QFile>
#include <cstdio>

int main(int, char** argv) {
    auto store = records::usage::Store::open(QString::fromLocal8Bit(argv[1]), true);
    QFile in(QString::fromLocal8Bit(argv[2]));
    if (!std::holds_alternative<std::unique_ptr<records::usage::Store>>(store) ||
        !in.open(QIODevice::ReadOnly))
        return 1;
    const auto outcome = std::get<0>(store)->importFile(
        in, in.fileName(), {QTimeZone("Europe/London"), QString::fromLocal8Bit(argv[3])},
        [](qint64) { return std::puts("progress") >= 0 && std::fflush(stdout) == 0; });
    return outcome.refused || !outcome.failure.isEmpty();
}
