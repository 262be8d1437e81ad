// Times the main window constructed, loaded and shown (offscreen by default) and reports the
// resident memory after start. Runs in a temporary working directory seeded from dist/.
// Usage: bench_window [runs]   (run from the project root, or set VOLTRAKE_DIST)
#include "benchsupport.h"
#include "form/mainform.h"
#include "text/files.h"
#include "ui/mainwindow.h"
#include "ui/qthost.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    offscreenUnlessChosen();
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale("en_GB"));
    const int runs = runsArgument(argc, argv, 20);
    const QString dist = qEnvironmentVariable("VOLTRAKE_DIST", QStringLiteral("dist"));

    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Data");
    QDir(dir.path()).mkpath("Log");
    QDir(dir.path()).mkpath("Help");
    if (!files::copy(dist + "/Data/Voltrake.ini", dir.path() + "/Data/Voltrake.ini")) {
        std::fprintf(stderr, "no %s/Data/Voltrake.ini\n", qPrintable(dist));
        return 1;
    }

    std::vector<double> ms;
    double rssAfterFirst = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        QtHost host;
        MainForm form(host);
        form.baseDir = dir.path();
        MainWindow window(form);
        host.attach(&form, &window);
        window.ensureLoaded();
        window.show();
        QApplication::processEvents();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        if (i == 0)
            rssAfterFirst = residentMiB();
    }
    const double first = ms.front();
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s %10.1f ms (first %.1f ms, %d runs)\n", "window constructed, loaded, shown",
                ms[ms.size() / 2], first, runs);
    std::printf("%-40s %10.1f MiB\n", "resident memory after the first start", rssAfterFirst);
    return 0;
}
