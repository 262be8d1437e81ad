#pragma once

// Helpers shared by the shell tests.

#include "calc/errors.h"
#include "calc/mainform.h"
#include "calc/values.h"
#include "scriptedhost.h"

#include <QStringList>

namespace shelltest {

// Runs one procedure directly; true when it ended the program.
template <typename Fn> bool ends(Fn&& fn) {
    try {
        fn();
    } catch (const ProgramEnded&) {
        return true;
    }
    return false;
}

inline QByteArray crlfLines(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

// The configuration file as Save Data writes it for the window of the example tariff:
// Normal Rate 1 0.150000, Cheap Rate 0.050000, fixed charge 12.50, VAT 17.5, CO2 0.43,
// everything else empty or unticked except Auto Check.
inline QStringList
exampleConfiguration(const QString& stamp = QStringLiteral("05-Dec-26 04:40:50")) {
    return {QStringLiteral("# Voltrake Version ") + versionText(),
            QStringLiteral("# Configuration File"),
            QStringLiteral("# ") + stamp,
            QString(),
            QStringLiteral("[Run]"),
            QStringLiteral("LogLevel=1"),
            QStringLiteral("RunOnTop=1"),
            QString(),
            QStringLiteral("[Data]"),
            QStringLiteral("BreakP=1"),
            QStringLiteral("BreakPD=1"),
            QStringLiteral("CORate=0.43"),
            QStringLiteral("CRate=1.05"),
            QStringLiteral("Disc1=1"),
            QStringLiteral("Disc1PT=1"),
            QStringLiteral("Disc2=1"),
            QStringLiteral("Disc2FT=1"),
            QStringLiteral("DRate=1"),
            QStringLiteral("NRate1=0.150000"),
            QStringLiteral("NRate2=1"),
            QStringLiteral("PeriodT=1"),
            QStringLiteral("Predict=1"),
            QStringLiteral("SCharge=13.5"),
            QStringLiteral("UpEnable=2"),
            QStringLiteral("VRate=18.5")};
}

// What ended a reading of the configuration: "ok" (nothing shown, still running),
// "corrupted", "missing", "dump <mark>" or a description of anything else.
inline QString outcome(const Workspace& w) {
    if (!w.host.ended)
        return w.host.boxes.isEmpty() ? QStringLiteral("ok")
                                      : QStringLiteral("box: ") + w.host.boxes.last().title;
    if (w.host.boxes.isEmpty())
        return QStringLiteral("ended without a box");
    const ScriptedHost::Box& box = w.host.boxes.last();
    if (box.title == QLatin1String("Voltrake Configuration File Error")) {
        if (box.text.startsWith(QLatin1String("The configuration file is corrupted.\r\n")))
            return QStringLiteral("corrupted");
        if (box.text.startsWith(QLatin1String("The configuration file is missing or corrupted.")))
            return QStringLiteral("missing");
    }
    if (box.title == QLatin1String("Voltrake Fatal Error")) {
        const QString first = box.text.section(QStringLiteral("\r\n"), 0, 0);
        const QString second = box.text.section(QStringLiteral("\r\n"), 1, 1);
        return QStringLiteral("dump ") + first.mid(13) + QLatin1Char(' ') + second;
    }
    return box.title + QStringLiteral(": ") + box.text;
}

// The amount in a money or number field, without the currency symbol in front.
inline double amount(const QString& text) {
    const QString symbol = values::currencyPrefix();
    return values::leadingValue(
        !symbol.isEmpty() && text.startsWith(symbol) ? text.mid(symbol.size()) : text);
}

} // namespace shelltest
