// One Remove Last or one Archive on the logs of a given working directory, for measuring the
// peak memory from outside: /usr/bin/time -v bench_memory remove|archive|none <dir>.
// "none" does nothing and gives the bare program's footprint.
#include "form/archive.h"
#include "form/history.h"
#include "form/mainform.h"
#include "quiethost.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_memory remove|archive|none <working directory>\n");
        return 2;
    }
    const QByteArray what = argv[1];
    QuietHost host;
    MainForm f(host);
    f.baseDir = QString::fromLocal8Bit(argv[2]);
    f.FileSystem = true;
    f.ResultsLogName = QStringLiteral("Voltrake.log");
    f.HistoryLogName = QStringLiteral("Voltrake_H.log");
    if (what == "remove")
        Del_Last_Click(f);
    else if (what == "archive")
        Archive_Click(f);
    else if (what != "none")
        return 2;
    std::printf("%s\n", qPrintable(f.text(QStringLiteral("Status"))));
    return 0;
}
