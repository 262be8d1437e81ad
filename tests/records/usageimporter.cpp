// SPDX-License-Identifier: GPL-3.0-or-later
// usageimporter STORE FILE METER: imports FILE (Voltrake CSV, Europe/London) into the store as
// METER's slots, printing a line each time the import reports progress, so that a test can kill
// it at a known point. Exit 0 when the file was kept, 1 otherwise.
#include "records/usagestore.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return 2;
    auto opened = records::usage::Store::open(QString::fromLocal8Bit(argv[1]), true);
    if (auto* message = std::get_if<QString>(&opened)) {
        std::fprintf(stderr, "%s\n", qPrintable(*message));
        return 1;
    }
    QFile in(QString::fromLocal8Bit(argv[2]));
    if (!in.open(QIODevice::ReadOnly))
        return 1;
    records::usage::ReadOptions options;
    options.zone = QTimeZone("Europe/London");
    options.meter = QString::fromLocal8Bit(argv[3]);
    const auto outcome = std::get<0>(opened)->importFile(in, in.fileName(), options, [](qint64) {
        std::puts("progress");
        std::fflush(stdout);
        return true;
    });
    std::printf("%lld new %s\n", outcome.added,
                outcome.refused ? qPrintable(outcome.refused->text())
                                : qPrintable(outcome.failure));
    return outcome.refused || !outcome.failure.isEmpty() ? 1 : 0;
}
