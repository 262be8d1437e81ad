#include "form/config.h"

#include "form/checkfiles.h"
#include "form/checks.h"
#include "form/dump.h"
#include "form/mainform.h"
#include "form/presentation.h"
#include "text/errors.h"
#include "text/files.h"
#include "text/values.h"

#include <QLocale>
#include <array>
#include <cmath>
#include <exception>

namespace {

using files::crlf;
const QString configFile = QStringLiteral("Data/Voltrake.ini");

// The file is read with the full stop as the only decimal point, whatever the user's locale,
// so that it means the same everywhere.
double fileValue(const QString& text) {
    return values::leadingValue(text, QLocale::c());
}

// Field and setting texts are in the user's locale.
QString plain(double v) {
    return values::plainNumber(v);
}

// The four whole-number settings: nearest whole number, halves to the even one, and a
// 16-bit range, beyond which the conversion fails as a run-time error.
int wholeSetting(double v) {
    const double lower = std::floor(v);
    const double fraction = v - lower;
    double r = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0))
        r = lower + 1;
    if (!(r >= -32768 && r <= 32767))
        throw RuntimeError(errnum::Overflow, QStringLiteral("Overflow"));
    return int(r);
}

struct Key {
    const char* key;
    void (*store)(MainForm&, double);
};

// In the order the lines are matched against; every key ends in "=", so none is the start of
// another ("Disc1=" never matches "Disc1PT=").
const std::array<Key, 18> keys = {{
    {"BreakP=", [](MainForm& f, double v) { f.BreakPointUnits = plain(v - 1); }},
    {"BreakPD=", [](MainForm& f, double v) { f.BreakPointPerDay = plain(v - 1); }},
    {"CORate=", [](MainForm& f, double v) { f.setText(QStringLiteral("CO2"), plain(v)); }},
    {"CRate=", [](MainForm& f, double v) { f.setText(QStringLiteral("CheapR"), plain(v - 1)); }},
    {"Disc1=", [](MainForm& f, double v) { f.setText(QStringLiteral("Disc1"), plain(v - 1)); }},
    {"Disc2=", [](MainForm& f, double v) { f.setText(QStringLiteral("Disc2"), plain(v - 1)); }},
    {"Disc1PT=", [](MainForm& f, double v) { f.Disc1PT = plain(v); }},
    {"Disc2FT=", [](MainForm& f, double v) { f.Disc2FT = plain(v); }},
    {"DRate=", [](MainForm& f, double v) { f.DRateSetting = wholeSetting(v); }},
    {"LogLevel=", [](MainForm& f, double v) { f.LogLevel = wholeSetting(v); }},
    {"NRate1=", [](MainForm& f, double v) { f.setText(QStringLiteral("NormalR1"), plain(v)); }},
    {"NRate2=", [](MainForm& f, double v) { f.setText(QStringLiteral("NormalR2"), plain(v - 1)); }},
    {"Predict=", [](MainForm& f, double v) { f.setText(QStringLiteral("PRate"), plain(v - 1)); }},
    {"PeriodT=", [](MainForm& f, double v) { f.PeriodT = plain(v); }},
    {"RunOnTop=", [](MainForm& f, double v) { f.RunOnTop = wholeSetting(v); }},
    {"SCharge=", [](MainForm& f, double v) { f.setText(QStringLiteral("SCharge"), plain(v - 1)); }},
    {"UpEnable=", [](MainForm& f, double v) { f.UpEnable = wholeSetting(v); }},
    {"VRate=", [](MainForm& f, double v) { f.setText(QStringLiteral("VAT"), plain(v - 1)); }},
}};

// Leading and trailing blanks only; a tab is content.
QString trimBlanks(const QString& line) {
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && line.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && line.at(end - 1) == QLatin1Char(' '))
        --end;
    return line.mid(start, end - start);
}

bool isOneOrTwo(double v) {
    return v == 1 || v == 2;
}

[[noreturn]] void configurationFault(MainForm& f, const QString& what) {
    f.message(QStringLiteral("Voltrake Configuration File Error"),
              QStringLiteral("The configuration file is ") + what + QLatin1Char('.') + crlf +
                  QStringLiteral("Reinstall the program to restore the file.") + crlf +
                  QStringLiteral("The program will now terminate."),
              Host::Buttons::Ok, Host::Icon::Error);
    f.endProgram();
}

void readConfiguration(MainForm& f) {
    f.ErrorLocation = 161;
    f.ConfigText = QStringLiteral("Voltrake Configuration") + crlf + QString(22, QLatin1Char('-'));
    CheckDirectory(f, QStringLiteral("Data"));
    const QString path = f.path(configFile);
    if (!files::fileExists(path)) {
        f.ErrorLocation = 165;
        configurationFault(f, QStringLiteral("missing or corrupted"));
    }
    const auto lines = files::readLines(path);
    if (!lines)
        throw RuntimeError(errnum::PermissionDenied, QStringLiteral("Permission denied"));
    f.ErrorLocation = 162;
    int keyCount = 18;
    int sectionCount = 2;
    for (const QString& raw : *lines) {
        // A comment is a "#" in the very first column; a line starting with a blank is not one.
        if (raw.isEmpty() || raw.at(0) == QLatin1Char('#'))
            continue;
        const QString line = trimBlanks(raw);
        for (const Key& k : keys) {
            const QLatin1String key(k.key);
            if (line.startsWith(key, Qt::CaseSensitive)) {
                k.store(f, fileValue(line.mid(key.size())));
                --keyCount;
            }
        }
        if (line == QLatin1String("[Run]"))
            --sectionCount;
        if (line == QLatin1String("[Data]"))
            --sectionCount;
        f.ConfigText += crlf + line;
    }
    f.ConfigText += crlf + crlf;

    f.ErrorLocation = 163;
    f.DataErrors.clear();
    const double disc1 = values::strictValue(f.Disc1PT);
    if (!isOneOrTwo(disc1))
        f.DataErrors += QStringLiteral("Disc1PT must be 1 or 2\n");
    const double disc2 = values::strictValue(f.Disc2FT);
    if (!isOneOrTwo(disc2))
        f.DataErrors += QStringLiteral("Disc2FT must be 1 or 2\n");
    if (!isOneOrTwo(f.DRateSetting))
        f.DataErrors += QStringLiteral("DRate must be 1 or 2\n");
    if (!isOneOrTwo(f.LogLevel))
        f.DataErrors += QStringLiteral("LogLevel must be 1 or 2\n");
    const double period = values::strictValue(f.PeriodT);
    if (!isOneOrTwo(period))
        f.DataErrors += QStringLiteral("PeriodT must be 1 or 2\n");
    if (!isOneOrTwo(f.RunOnTop))
        f.DataErrors += QStringLiteral("RunOnTop must be 1 or 2\n");
    if (!isOneOrTwo(f.UpEnable))
        f.DataErrors += QStringLiteral("UpEnable must be 1 or 2\n");

    if (f.DataErrors.isEmpty()) {
        f.ErrorLocation = 164;
        // Each change runs the box's click action, as a user's click would.
        f.model.setChecked(QStringLiteral("OnTop"), f.RunOnTop == 2);
        // The Disc1P click empties Disc1 (an amount is not carried over as a percentage), but
        // the value just read belongs to the mode just read: put it back.
        const QString disc1Text = f.text(QStringLiteral("Disc1"));
        f.model.setChecked(QStringLiteral("Disc1P"), disc1 == 2);
        f.setText(QStringLiteral("Disc1"), disc1Text);
        f.model.setChecked(QStringLiteral("Disc2F"), disc2 == 2);
        f.model.setChecked(QStringLiteral("DRate"), f.DRateSetting == 2);
        f.model.setChecked(QStringLiteral("AutoSave"), f.LogLevel == 2);
        f.model.setChecked(QStringLiteral("Period"), period == 2);
        f.model.setChecked(QStringLiteral("UpEnable1"), f.UpEnable == 2);
        CheckTariffData(f, false, true);
    }

    if (!f.DataErrors.isEmpty() || keyCount != 0 || sectionCount != 0)
        configurationFault(f, QStringLiteral("corrupted"));

    f.setText(QStringLiteral("BPoint"),
              f.ticked(QStringLiteral("DRate")) ? f.BreakPointPerDay : f.BreakPointUnits);
}

// A number as the file keeps it: plain number text with a full stop in every locale.
QString fileNumber(double v) {
    return values::plainNumber(v, QLocale::c());
}

// Value of a field plus the offset of the file.
QString offsetField(const QString& text) {
    return fileNumber(values::leadingValue(text) + 1);
}

// NormalR1 and CO2 are kept as the field text itself. Where the locale writes a decimal comma
// the text is put into full-stop form with the same decimals, so the file reads back anywhere.
QString fieldAsIs(const QString& text, values::Fixed format) {
    if (QLocale().decimalPoint() == QLatin1String(".") || !values::readsAsNumber(text))
        return text;
    return values::fixed(values::strictValue(text), format, QLocale::c());
}

QString configurationFileText(MainForm& f) {
    const auto state = [&](const char* box) {
        return QString::number(f.model.value(QLatin1String(box)) + 1);
    };
    const QStringList lines = {
        QStringLiteral("# Voltrake Version ") + versionText(),
        QStringLiteral("# Configuration File"),
        QStringLiteral("# ") + values::ddMmmYyTime(f.host.now()),
        QString(),
        QStringLiteral("[Run]"),
        QStringLiteral("LogLevel=") + state("AutoSave"),
        QStringLiteral("RunOnTop=") + state("OnTop"),
        QString(),
        QStringLiteral("[Data]"),
        QStringLiteral("BreakP=") + offsetField(f.BreakPointUnits),
        QStringLiteral("BreakPD=") + offsetField(f.BreakPointPerDay),
        QStringLiteral("CORate=") + fieldAsIs(f.text(QStringLiteral("CO2")), values::Fixed::Two),
        QStringLiteral("CRate=") + offsetField(f.text(QStringLiteral("CheapR"))),
        QStringLiteral("Disc1=") + offsetField(f.text(QStringLiteral("Disc1"))),
        QStringLiteral("Disc1PT=") + state("Disc1P"),
        QStringLiteral("Disc2=") + offsetField(f.text(QStringLiteral("Disc2"))),
        QStringLiteral("Disc2FT=") + state("Disc2F"),
        QStringLiteral("DRate=") + state("DRate"),
        QStringLiteral("NRate1=") +
            fieldAsIs(f.text(QStringLiteral("NormalR1")), values::Fixed::Six),
        QStringLiteral("NRate2=") + offsetField(f.text(QStringLiteral("NormalR2"))),
        QStringLiteral("PeriodT=") + state("Period"),
        QStringLiteral("Predict=") + offsetField(f.text(QStringLiteral("PRate"))),
        QStringLiteral("SCharge=") + offsetField(f.text(QStringLiteral("SCharge"))),
        QStringLiteral("UpEnable=") + state("UpEnable1"),
        QStringLiteral("VRate=") + offsetField(f.text(QStringLiteral("VAT"))),
    };
    return lines.join(crlf);
}

// A date field in the short date form; text that is not a date is left as it stands.
void showShortDate(MainForm& f, const QString& name) {
    const QString text = f.text(name);
    if (text.isEmpty())
        return;
    if (const auto date = values::readDate(text))
        f.setText(name, values::shortDate(*date));
}

} // namespace

void ReadConfiguration(MainForm& f) {
    try {
        readConfiguration(f);
    } catch (const std::exception&) {
        FatalErrorDump(f, QStringLiteral("Config Read Error"), f.ErrorLocation);
    }
}

void Save_Defaults_Click(MainForm& f) {
    try {
        f.ErrorLocation = 201;
        f.DataErrors.clear();
        CheckBreakPoint(f);
        const QString unreadable = UnreadableTariffNumbers(f);
        CheckTariffData(f, true, false);
        f.DataErrors += unreadable;
        SetModeLabels(f);
        if (!f.DataErrors.isEmpty()) {
            f.message(QStringLiteral("Voltrake Data Error"), f.DataErrors, Host::Buttons::Ok,
                      Host::Icon::Warning);
            return;
        }

        f.ErrorLocation = 202;
        const QString text = configurationFileText(f);

        // The new file is written beside the old one and renamed into place, so a failed write
        // leaves the old file whole.
        bool written = false;
        try {
            CheckDirectory(f, QStringLiteral("Data"));
            written = files::replace(f.path(configFile), text + crlf);
        } catch (const std::exception&) {
            written = false;
        }
        if (!written) {
            f.message(QStringLiteral("Voltrake Configuration File Error"),
                      QStringLiteral("Unable to write to the configuration file.") + crlf +
                          QStringLiteral("This may be a permissions problem."),
                      Host::Buttons::Ok, Host::Icon::Warning);
            return;
        }

        f.ErrorLocation = 204;
        f.setStatus(QStringLiteral("Defaults Saved"));
        CheckTariffData(f, false, true);
        ShowMoneyResults(f);
        showShortDate(f, QStringLiteral("Date1"));
        showShortDate(f, QStringLiteral("Date2"));
    } catch (const std::exception&) {
        FatalErrorDump(f, QStringLiteral("Save Config Error"), f.ErrorLocation);
    }
}

void Reset_Defaults_Click(MainForm& f) {
    ReadConfiguration(f);
    CheckBreakPoint(f);
    SetModeLabels(f);
    ClearActualResults(f);
    ClearPredictedResults(f);
    f.InputSignature.clear();
    f.LastInputSignature.clear();
    ShowMoneyResults(f);
    f.model.setEnabled(QStringLiteral("Save"), false);
    f.setText(QStringLiteral("Status"), QStringLiteral("Defaults Restored"));
    showShortDate(f, QStringLiteral("Date1"));
    showShortDate(f, QStringLiteral("Date2"));
    f.startTimer1();
}
