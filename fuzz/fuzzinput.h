#pragma once

#include "text/files.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>

inline QByteArrayView bytesOf(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), qsizetype(size)};
}

// Splits the input at the first `marker` into what comes before and after it; without one
// all of it is the first part.
inline std::pair<QByteArrayView, QByteArrayView> splitAt(QByteArrayView all,
                                                         QByteArrayView marker) {
    const qsizetype at = all.indexOf(marker);
    if (at < 0)
        return {all, {}};
    return {all.first(at), all.sliced(at + marker.size())};
}

// The configuration file as shipped: the start that the targets below build on.
inline QStringList shippedIniLines() {
    return files::splitLines(QStringLiteral(
        "# Voltrake Version 3.1\r\n# Configuration File\r\n# 05-Dec-26 04:40:50\r\n\r\n"
        "[Run]\r\nLogLevel=1\r\nRunOnTop=1\r\n\r\n[Data]\r\nBreakP=1\r\nBreakPD=1\r\n"
        "CORate=0.43\r\nCRate=1.05\r\nDisc1=1\r\nDisc1PT=1\r\nDisc2=1\r\nDisc2FT=1\r\n"
        "DRate=1\r\nNRate1=0.150000\r\nNRate2=1\r\nPeriodT=1\r\nPredict=1\r\n"
        "SCharge=13.5\r\nUpEnable=1\r\nVRate=18.5\r\n"));
}

// The typed-fields layout of the window targets: one byte picks the locale, one holds the
// switches, then one line per field.
struct TypedInput {
    QLocale locale;
    uint8_t ticks = 0;
    QStringList lines;
};

template <size_t N>
inline bool typedInput(const uint8_t* data, size_t size, const char* const (&locales)[N],
                       TypedInput& out) {
    if (size < 2)
        return false;
    out.locale = QLocale(QString::fromLatin1(locales[data[0] % N]));
    out.ticks = data[1];
    out.lines =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2)).split('\n');
    return true;
}
