#pragma once

#include "form/host.h"
#include "form/mainform.h"
#include "quiethost.h"
#include "text/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// One temporary working directory with Data, Log and Help for the whole fuzzing run.
inline QString fuzzDir() {
    static QTemporaryDir dir;
    static const bool made = [] {
        QDir d(dir.path());
        return d.mkdir("Data") && d.mkdir("Log") && d.mkdir("Help");
    }();
    return made ? dir.path() : QStringLiteral(".");
}

inline void writeFile(const QString& path, const uint8_t* data, size_t size) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(reinterpret_cast<const char*>(data), qint64(size));
}

// A fresh main form pointed at the fuzzing directory; runs fn(form) and swallows the
// unwinding of an ended program.
template <typename Fn> void withForm(Fn&& fn) {
    QuietHost host;
    MainForm form(host);
    static const QString base = fuzzDir();
    form.baseDir = base;
    form.FileSystem = true;
    form.ResultsLogName = "Voltrake.log";
    form.HistoryLogName = "Voltrake_H.log";
    try {
        fn(form);
    } catch (const ProgramEnded&) {
    }
}
