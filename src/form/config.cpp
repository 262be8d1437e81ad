#include "form/config.h"

#include "form/checkfiles.h"
#include "form/checks.h"
#include "form/dump.h"
#include "form/mainform.h"
#include "form/presentation.h"
#include "records/configformat.h"
#include "text/errors.h"
#include "text/files.h"
#include "text/values.h"

#include <exception>

using namespace Qt::StringLiterals;

namespace {

using files::crlf;
const QString configFile = QStringLiteral("Data/Voltrake.ini");

const QStringList settingFields = {u"CO2"_s,   u"CheapR"_s,   u"Disc1"_s,
                                   u"Disc2"_s, u"NormalR1"_s, u"NormalR2"_s,
                                   u"PRate"_s, u"SCharge"_s,  u"VAT"_s};

records::ConfigSettings settingsOf(const MainForm& f) {
    records::ConfigSettings s;
    for (const QString& name : settingFields)
        s.text.insert(name, f.text(name));
    s.breakPointUnits = f.BreakPointUnits;
    s.breakPointPerDay = f.BreakPointPerDay;
    s.disc1PT = f.Disc1PT;
    s.disc2FT = f.Disc2FT;
    s.periodT = f.PeriodT;
    s.dRate = f.DRateSetting;
    s.logLevel = f.LogLevel;
    s.runOnTop = f.RunOnTop;
    s.upEnable = f.UpEnable;
    return s;
}

// One setting as the line sets it; a field write raises its change action there and then.
void apply(MainForm& f, const records::ConfigWrite& w) {
    const QString& n = w.name;
    if (n == u"BreakPointUnits"_s)
        f.BreakPointUnits = w.text;
    else if (n == u"BreakPointPerDay"_s)
        f.BreakPointPerDay = w.text;
    else if (n == u"Disc1PT"_s)
        f.Disc1PT = w.text;
    else if (n == u"Disc2FT"_s)
        f.Disc2FT = w.text;
    else if (n == u"PeriodT"_s)
        f.PeriodT = w.text;
    else if (n == u"DRate"_s)
        f.DRateSetting = w.text.toInt();
    else if (n == u"LogLevel"_s)
        f.LogLevel = w.text.toInt();
    else if (n == u"RunOnTop"_s)
        f.RunOnTop = w.text.toInt();
    else if (n == u"UpEnable"_s)
        f.UpEnable = w.text.toInt();
    else
        f.setText(n, w.text);
}

[[noreturn]] void raise(const records::CheckFault& fault) {
    throw RuntimeError(fault.number, fault.description);
}

[[noreturn]] void configurationFault(MainForm& f, const QString& what) {
    f.message(u"Voltrake Configuration File Error"_s, records::configurationFaultText(what),
              Host::Buttons::Ok, Host::Icon::Error);
    f.endProgram();
}

void readConfiguration(MainForm& f) {
    f.ErrorLocation = 161;
    f.ConfigText = u"Voltrake Configuration"_s + crlf + QString(22, u'-');
    CheckDirectory(f, u"Data"_s);
    const QString path = f.path(configFile);
    if (!files::fileExists(path)) {
        f.ErrorLocation = 165;
        configurationFault(f, u"missing or corrupted"_s);
    }
    const auto lines = files::readLines(path);
    if (!lines)
        throw RuntimeError(errnum::PermissionDenied, u"Permission denied"_s);
    f.ErrorLocation = 162;
    const records::ConfigParse parse = records::parseConfiguration(*lines, settingsOf(f));
    for (const records::ConfigWrite& w : parse.writes)
        apply(f, w);
    f.ConfigText = parse.configText;
    if (parse.fault)
        raise(*parse.fault);

    f.ErrorLocation = 163;
    f.DataErrors.clear();
    const records::SwitchCheck switches = records::checkSwitches(parse.settings);
    for (const QString& message : switches.messages)
        f.DataErrors += message + u'\n';
    if (switches.fault)
        raise(*switches.fault);

    if (f.DataErrors.isEmpty()) {
        f.ErrorLocation = 164;
        // Each change runs the box's click action, as a user's click would.
        f.model.setChecked(u"OnTop"_s, f.RunOnTop == 2);
        // The Disc1P click empties Disc1 (an amount is not carried over as a percentage), but
        // the value just read belongs to the mode just read: put it back.
        const QString disc1Text = f.text(u"Disc1"_s);
        f.model.setChecked(u"Disc1P"_s, switches.disc1Percent);
        f.setText(u"Disc1"_s, disc1Text);
        f.model.setChecked(u"Disc2F"_s, switches.disc2Fixed);
        f.model.setChecked(u"DRate"_s, f.DRateSetting == 2);
        f.model.setChecked(u"AutoSave"_s, f.LogLevel == 2);
        f.model.setChecked(u"Period"_s, switches.monthly);
        f.model.setChecked(u"UpEnable1"_s, f.UpEnable == 2);
        CheckTariffData(f, false, true);
    }

    if (!f.DataErrors.isEmpty() || parse.missingKeys != 0 || parse.missingSections != 0)
        configurationFault(f, u"corrupted"_s);

    f.setText(u"BPoint"_s, f.ticked(u"DRate"_s) ? f.BreakPointPerDay : f.BreakPointUnits);
}

QString configurationFileText(MainForm& f) {
    records::ConfigFileInput in;
    for (const QString& name : settingFields)
        in.text.insert(name, f.text(name));
    in.breakPointUnits = f.BreakPointUnits;
    in.breakPointPerDay = f.BreakPointPerDay;
    in.autoSave = f.ticked(u"AutoSave"_s);
    in.onTop = f.ticked(u"OnTop"_s);
    in.disc1Percent = f.ticked(u"Disc1P"_s);
    in.disc2Fixed = f.ticked(u"Disc2F"_s);
    in.perDay = f.ticked(u"DRate"_s);
    in.monthly = f.ticked(u"Period"_s);
    in.updates = f.ticked(u"UpEnable1"_s);
    in.moment = f.host.now();
    return records::configurationFileText(in);
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
        CheckTariffData(f, true, false);
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
