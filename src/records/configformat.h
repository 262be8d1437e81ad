// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/tariffchecks.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

// Data/Voltrake.ini: its reading as start-up and Reset Data do it, and its writing as Save
// Defaults does it, as pure functions of the file's lines.
namespace records {

// What the file sets. Field texts by control name (CO2, CheapR, Disc1, Disc2, NormalR1,
// NormalR2, PRate, SCharge, VAT) in the user's locale; the switches as the file holds them.
struct ConfigSettings {
    FieldTexts text;
    QString breakPointUnits;
    QString breakPointPerDay;
    QString disc1PT; // "1" or "2" when valid
    QString disc2FT;
    QString periodT;
    int dRate = 1;
    int logLevel = 1;
    int runOnTop = 1;
    int upEnable = 1;
};

// One setting as a line of the file sets it: a field name, or BreakPointUnits,
// BreakPointPerDay, Disc1PT, Disc2FT, PeriodT, DRate, LogLevel, RunOnTop, UpEnable.
struct ConfigWrite {
    QString name;
    QString text;
};

struct ConfigParse {
    ConfigSettings settings;   // the previous settings with the writes made
    QList<ConfigWrite> writes; // in the order of the lines
    QString configText;        // the file as the dump shows it
    int missingKeys = 18;      // 0 when each of the 18 keys was met once (or made up for)
    int missingSections = 2;
    std::optional<CheckFault> fault; // a whole-number setting out of range (mark 162)
};

// The lines of the file read over `previous` (a key not in the file leaves its setting as it
// was). Keys are matched on the line trimmed of blanks; a "#" in the first column is a comment.
ConfigParse parseConfiguration(const QStringList& lines, const ConfigSettings& previous,
                               const QLocale& locale = QLocale());

// The switch checks (mark 163): "Disc1PT must be 1 or 2" and the like, in order.
struct SwitchCheck {
    QStringList messages;
    bool disc1Percent = false;
    bool disc2Fixed = false;
    bool monthly = false;
    std::optional<CheckFault> fault; // a switch that is not a number
};
SwitchCheck checkSwitches(const ConfigSettings& s, const QLocale& locale = QLocale());

// The whole reading as the window ends up after Reset Data: parse, switch checks, the tariff
// checks with currency added, the break point of the mode in BPoint.
struct Configuration {
    enum class Status { Read, Missing, Unreadable, Corrupted };
    Status status = Status::Missing;
    ConfigSettings settings; // canonical texts after the checks
    FieldTexts text;         // the tariff fields, BPoint included, as the window shows them
    TariffModes modes;
    bool onTop = false;
    bool autoSave = false;
    bool updates = false;
    QString configText;
    QStringList messages; // why a corrupted file was refused, when it was a check
    QString readFault;    // why an unreadable file was not read: not a regular file, too large

    bool ok() const { return status == Status::Read; }
    std::optional<domain::Tariff> tariff(const QLocale& locale = QLocale()) const;
    // The checks' input as Calculate has it for this tariff: its fields, saved break points and
    // modes, the currency symbol taken off and put back.
    TariffCheckInput checkInput(const QLocale& locale = QLocale()) const;
};
Configuration readConfiguration(const QStringList& lines, const QLocale& locale = QLocale());
// Reads the file (Windows-1252, CR LF); Missing when it does not exist.
Configuration readConfigurationFile(const QString& path, const QLocale& locale = QLocale());

// The message the window shows for a file that is "missing or corrupted" or "corrupted".
QString configurationFaultText(const QString& what);
// "missing or corrupted" for Missing, "corrupted" otherwise (Unreadable is a permission
// problem the window reports as a run-time error).
QString configurationFaultWord(Configuration::Status status);

// What Save Defaults writes (no line end after the last line), from the field texts as the
// checks leave them with the currency symbol taken away.
struct ConfigFileInput {
    FieldTexts text; // CO2, CheapR, Disc1, Disc2, NormalR1, NormalR2, PRate, SCharge, VAT
    QString breakPointUnits;
    QString breakPointPerDay;
    bool autoSave = false;
    bool onTop = false;
    bool disc1Percent = false;
    bool disc2Fixed = false;
    bool perDay = false;
    bool monthly = false;
    bool updates = false;
    QDateTime moment;
};
QString configurationFileText(const ConfigFileInput& in, const QLocale& locale = QLocale());

} // namespace records
