#pragma once

#include "form/host.h"
#include "form/mainform.h"
#include "quiethost.h"
#include "text/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <utility>

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

// A fresh main form pointed at the fuzzing directory, asking the given host; runs fn(form) and
// swallows the unwinding of an ended program.
template <typename Fn> void withForm(Host& host, Fn&& fn) {
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

// The same with a host that answers every question with its first button.
template <typename Fn> void withForm(Fn&& fn) {
    QuietHost host;
    withForm(host, std::forward<Fn>(fn));
}

// A host whose answer to every question is set by the input: Yes/OK, or No/Cancel.
class AnsweringHost : public QuietHost {
  public:
    explicit AnsweringHost(bool yes) : yes_(yes) {}
    Answer messageBox(const QString& t, const QString& x, Buttons b, Icon i) override {
        if (yes_ || b == Buttons::Ok)
            return QuietHost::messageBox(t, x, b, i);
        return b == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }

  private:
    bool yes_;
};

// Splits fuzz input into a control line (up to the first line feed) and the rest.
inline std::pair<QByteArray, QByteArray> controlAndRest(const uint8_t* data, size_t size) {
    const QByteArray all(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype lf = all.indexOf('\n');
    if (lf < 0)
        return {all, {}};
    return {all.left(lf), all.mid(lf + 1)};
}

// The configuration file as shipped: the start that the targets below build on.
inline const char* shippedIni() {
    return "# Voltrake Version 3.1\r\n# Configuration File\r\n# 05-Dec-26 04:40:50\r\n\r\n"
           "[Run]\r\nLogLevel=1\r\nRunOnTop=1\r\n\r\n[Data]\r\nBreakP=1\r\nBreakPD=1\r\n"
           "CORate=0.43\r\nCRate=1.05\r\nDisc1=1\r\nDisc1PT=1\r\nDisc2=1\r\nDisc2FT=1\r\n"
           "DRate=1\r\nNRate1=0.150000\r\nNRate2=1\r\nPeriodT=1\r\nPredict=1\r\n"
           "SCharge=13.5\r\nUpEnable=1\r\nVRate=18.5\r\n";
}
