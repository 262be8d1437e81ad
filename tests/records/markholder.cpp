// markholder <name> check|hold: prints "running" when another process holds the mark <name>,
// else takes it and prints "alone"; with "hold" it keeps the mark until standard input closes.

#include "records/instance.h"

#include <cstdio>

int main(int, char** argv) {
    std::printf("%s\n", IsRunning(QString::fromLocal8Bit(argv[1])) ? "running" : "alone");
    std::fflush(stdout);
    while (QByteArray(argv[2]) == "hold" && std::getchar() != EOF) {
    }
}
