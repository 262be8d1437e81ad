#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QtGlobal>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

// Median and fastest run in milliseconds. On a shared machine the fastest run shows the cost
// without other processes' share of the processor; the median is the figure to judge.
struct Timing {
    double median;
    double fastest;
};

inline Timing timeMs(int runs, const std::function<void()>& setup,
                     const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        setup();
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

// The runs asked for by the first argument, else `fallback`.
inline int runsArgument(int argc, char** argv, int fallback) {
    return argc > 1 ? std::max(1, std::atoi(argv[1])) : fallback;
}

// Windows are measured offscreen unless a platform was chosen.
inline void offscreenUnlessChosen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
