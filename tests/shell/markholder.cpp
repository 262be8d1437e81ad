// markholder <name> check|hold|spawn: prints "running" when another process holds the mark
// <name>, else takes it and prints "alone". With "hold" it keeps the mark until standard input
// closes; with "spawn" it starts a "sleep" that outlives it, prints its process id and ends.

#include "shell/instance.h"

#include <QCoreApplication>
#include <QProcess>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const bool running = IsRunning(QString::fromLocal8Bit(argv[1]));
    std::printf("%s\n", running ? "running" : "alone");
    if (std::strcmp(argv[2], "spawn") == 0) {
        qint64 pid = 0;
        QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("60")}, QString(), &pid);
        std::printf("%lld\n", static_cast<long long>(pid));
    }
    std::fflush(stdout);
    if (std::strcmp(argv[2], "hold") == 0) {
        char buffer[64];
        while (std::fgets(buffer, sizeof buffer, stdin)) {
        }
    }
    return 0;
}
