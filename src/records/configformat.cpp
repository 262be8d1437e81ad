// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/configformat.h"

#include "text/errors.h"
#include "text/files.h"
#include "text/programversion.h"
#include "text/values.h"

#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace records {

namespace {

using files::crlf;

// The four whole-number settings: nearest whole number, halves to the even one, and a
// 16-bit range, beyond which the conversion fails as a run-time error.
int wholeSetting(double v) {
    const double lower = std::floor(v);
    const double fraction = v - lower;
    double r = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0))
        r = lower + 1;
    if (!(r >= -32768 && r <= 32767))
        throw RuntimeError(errnum::Overflow, u"Overflow"_s);
    return int(r);
}

enum class Kind { Plain, Offset, Whole };

struct Key {
    const char* key;
    const char* name; // the field or setting it sets
    Kind kind;
};

// In the order the lines are matched against; every key ends in "=", so none is the start of
// another ("Disc1=" never matches "Disc1PT="). The file keeps most values one above the
// field's value, so that 0 is never written.
const std::array<Key, 18> keys = {{
    {"BreakP=", "BreakPointUnits", Kind::Offset},
    {"BreakPD=", "BreakPointPerDay", Kind::Offset},
    {"CORate=", "CO2", Kind::Plain},
    {"CRate=", "CheapR", Kind::Offset},
    {"Disc1=", "Disc1", Kind::Offset},
    {"Disc2=", "Disc2", Kind::Offset},
    {"Disc1PT=", "Disc1PT", Kind::Plain},
    {"Disc2FT=", "Disc2FT", Kind::Plain},
    {"DRate=", "DRate", Kind::Whole},
    {"LogLevel=", "LogLevel", Kind::Whole},
    {"NRate1=", "NormalR1", Kind::Plain},
    {"NRate2=", "NormalR2", Kind::Offset},
    {"Predict=", "PRate", Kind::Offset},
    {"PeriodT=", "PeriodT", Kind::Plain},
    {"RunOnTop=", "RunOnTop", Kind::Whole},
    {"SCharge=", "SCharge", Kind::Offset},
    {"UpEnable=", "UpEnable", Kind::Whole},
    {"VRate=", "VAT", Kind::Offset},
}};

void store(ConfigSettings& s, const QString& name, const QString& text) {
    if (name == "BreakPointUnits"_L1)
        s.breakPointUnits = text;
    else if (name == "BreakPointPerDay"_L1)
        s.breakPointPerDay = text;
    else if (name == "Disc1PT"_L1)
        s.disc1PT = text;
    else if (name == "Disc2FT"_L1)
        s.disc2FT = text;
    else if (name == "PeriodT"_L1)
        s.periodT = text;
    else if (name == "DRate"_L1)
        s.dRate = text.toInt();
    else if (name == "LogLevel"_L1)
        s.logLevel = text.toInt();
    else if (name == "RunOnTop"_L1)
        s.runOnTop = text.toInt();
    else if (name == "UpEnable"_L1)
        s.upEnable = text.toInt();
    else
        s.text[name] = text;
}

// Leading and trailing blanks only; a tab is content.
QString trimBlanks(const QString& line) {
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && line.at(start) == u' ')
        ++start;
    while (end > start && line.at(end - 1) == u' ')
        --end;
    return line.mid(start, end - start);
}

bool isOneOrTwo(double v) {
    return v == 1 || v == 2;
}

// A number as the file keeps it: plain number text with a full stop in every locale.
QString fileNumber(double v) {
    return values::plainNumber(v, QLocale::c());
}

// Value of a field plus the offset of the file.
QString offsetField(const QString& text, const QLocale& locale) {
    return fileNumber(values::leadingValue(text, locale) + 1);
}

// NormalR1 and CO2 are kept as the field text itself. Where the locale writes a decimal comma
// the text is put into full-stop form with the same decimals, so the file reads back anywhere.
QString fieldAsIs(const QString& text, values::Fixed format, const QLocale& locale) {
    if (locale.decimalPoint() == "."_L1 || !values::readsAsNumber(text, locale))
        return text;
    return values::fixed(values::strictValue(text, locale), format, QLocale::c());
}

} // namespace

ConfigParse parseConfiguration(const QStringList& lines, const ConfigSettings& previous,
                               const QLocale& locale) {
    ConfigParse p;
    p.settings = previous;
    p.configText = u"Voltrake Configuration"_s + crlf + QString(22, u'-');
    try {
        for (const QString& raw : lines) {
            // A comment is a "#" in the very first column; a line starting with a blank is not.
            if (raw.isEmpty() || raw.at(0) == u'#')
                continue;
            const QString line = trimBlanks(raw);
            for (const Key& k : keys) {
                const QLatin1StringView key(k.key);
                if (!line.startsWith(key, Qt::CaseSensitive))
                    continue;
                // The file is read with the full stop as the only decimal point, whatever the
                // user's locale, so that it means the same everywhere; the settings are texts
                // in the user's locale.
                const double v = values::leadingValue(line.mid(key.size()), QLocale::c());
                QString text;
                switch (k.kind) {
                case Kind::Plain:
                    text = values::plainNumber(v, locale);
                    break;
                case Kind::Offset:
                    text = values::plainNumber(v - 1, locale);
                    break;
                case Kind::Whole:
                    text = QString::number(wholeSetting(v));
                    break;
                }
                const QString name = QLatin1StringView(k.name);
                p.writes.append({name, text});
                store(p.settings, name, text);
                --p.missingKeys;
            }
            if (line == "[Run]"_L1)
                --p.missingSections;
            if (line == "[Data]"_L1)
                --p.missingSections;
            p.configText += crlf + line;
        }
        p.configText += crlf + crlf;
    } catch (const RuntimeError& e) {
        p.fault = CheckFault{162, e.number(), e.description()};
    }
    return p;
}

SwitchCheck checkSwitches(const ConfigSettings& s, const QLocale& locale) {
    SwitchCheck c;
    try {
        const double disc1 = values::strictValue(s.disc1PT, locale);
        if (!isOneOrTwo(disc1))
            c.messages << u"Disc1PT must be 1 or 2"_s;
        const double disc2 = values::strictValue(s.disc2FT, locale);
        if (!isOneOrTwo(disc2))
            c.messages << u"Disc2FT must be 1 or 2"_s;
        if (!isOneOrTwo(s.dRate))
            c.messages << u"DRate must be 1 or 2"_s;
        if (!isOneOrTwo(s.logLevel))
            c.messages << u"LogLevel must be 1 or 2"_s;
        const double period = values::strictValue(s.periodT, locale);
        if (!isOneOrTwo(period))
            c.messages << u"PeriodT must be 1 or 2"_s;
        if (!isOneOrTwo(s.runOnTop))
            c.messages << u"RunOnTop must be 1 or 2"_s;
        if (!isOneOrTwo(s.upEnable))
            c.messages << u"UpEnable must be 1 or 2"_s;
        c.disc1Percent = disc1 == 2;
        c.disc2Fixed = disc2 == 2;
        c.monthly = period == 2;
    } catch (const RuntimeError& e) {
        c.fault = CheckFault{163, e.number(), e.description()};
    }
    return c;
}

Configuration readConfiguration(const QStringList& lines, const QLocale& locale) {
    Configuration c;
    c.status = Configuration::Status::Corrupted;
    const ConfigParse p = parseConfiguration(lines, ConfigSettings{}, locale);
    c.configText = p.configText;
    c.settings = p.settings;
    if (p.fault)
        return c;
    const SwitchCheck s = checkSwitches(p.settings, locale);
    c.messages = s.messages;
    if (s.fault || !s.messages.isEmpty() || p.missingKeys != 0 || p.missingSections != 0)
        return c;

    c.modes.perDay = p.settings.dRate == 2;
    c.modes.monthly = s.monthly;
    c.modes.disc1Percent = s.disc1Percent;
    c.modes.disc2Fixed = s.disc2Fixed;
    c.onTop = p.settings.runOnTop == 2;
    c.autoSave = p.settings.logLevel == 2;
    c.updates = p.settings.upEnable == 2;

    TariffCheckInput in;
    in.text = p.settings.text;
    in.breakPointUnits = p.settings.breakPointUnits;
    in.breakPointPerDay = p.settings.breakPointPerDay;
    in.monthly = s.monthly;
    in.disc1Percent = s.disc1Percent;
    in.perDay = c.modes.perDay;
    in.addCurrency = true;
    const TariffCheckResult r = checkTariffFields(in, locale);
    c.messages = r.messages;
    if (r.fault || !r.messages.isEmpty())
        return c;

    // Then the break point of the mode goes into BPoint, and Reset Data puts it into its
    // format.
    FieldTexts text = r.text;
    text[u"BPoint"_s] = c.modes.perDay ? in.breakPointPerDay : in.breakPointUnits;
    const BreakPointResult b =
        checkBreakPoint(text.value(u"BPoint"_s), c.modes.perDay, false, locale);
    if (!b.messages.isEmpty()) {
        c.messages = b.messages;
        return c;
    }
    c.settings.breakPointUnits = b.breakPointUnits.value_or(in.breakPointUnits);
    c.settings.breakPointPerDay = b.breakPointPerDay.value_or(in.breakPointPerDay);
    text[u"BPoint"_s] = b.fieldText.value_or(text.value(u"BPoint"_s));
    c.text = text;
    for (auto it = r.text.cbegin(); it != r.text.cend(); ++it) {
        if (it.key() != u"BPoint"_s)
            c.settings.text[it.key()] = it.value();
    }
    c.status = Configuration::Status::Read;
    return c;
}

Configuration readConfigurationFile(const QString& path, const QLocale& locale) {
    Configuration c;
    if (!files::fileExists(path)) {
        c.status = Configuration::Status::Missing;
        return c;
    }
    const files::NamedFile read = files::readNamed(path);
    if (!read.bytes) {
        c.status = Configuration::Status::Unreadable;
        if (read.refused)
            c.readFault = read.fault;
        return c;
    }
    return readConfiguration(files::splitLines(files::decode(*read.bytes)), locale);
}

TariffCheckInput Configuration::checkInput(const QLocale& locale) const {
    TariffCheckInput in;
    in.text = text;
    in.breakPointUnits = settings.breakPointUnits;
    in.breakPointPerDay = settings.breakPointPerDay;
    in.monthly = modes.monthly;
    in.disc1Percent = modes.disc1Percent;
    in.perDay = modes.perDay;
    in.stripCurrency = true;
    in.addCurrency = true;
    in.currencySymbol = values::currencyPrefix(locale);
    return in;
}

std::optional<domain::Tariff> Configuration::tariff(const QLocale& locale) const {
    if (!ok())
        return std::nullopt;
    return tariffFromTexts(text, modes, locale);
}

QString configurationFaultText(const QString& what) {
    return u"The configuration file is "_s + what + u'.' + crlf +
           u"Reinstall the program to restore the file."_s + crlf +
           u"The program will now terminate."_s;
}

QString configurationFaultWord(Configuration::Status status) {
    return status == Configuration::Status::Missing ? u"missing or corrupted"_s : u"corrupted"_s;
}

QString configurationFileText(const ConfigFileInput& in, const QLocale& locale) {
    const auto state = [](bool on) { return QString::number(on ? 2 : 1); };
    const auto t = [&](const char* name) { return in.text.value(QLatin1StringView(name)); };
    const QStringList lines = {
        u"# Voltrake Version "_s + versionText(),
        u"# Configuration File"_s,
        u"# "_s + values::ddMmmYyTime(in.moment, locale),
        QString(),
        u"[Run]"_s,
        u"LogLevel="_s + state(in.autoSave),
        u"RunOnTop="_s + state(in.onTop),
        QString(),
        u"[Data]"_s,
        u"BreakP="_s + offsetField(in.breakPointUnits, locale),
        u"BreakPD="_s + offsetField(in.breakPointPerDay, locale),
        u"CORate="_s + fieldAsIs(t("CO2"), values::Fixed::Two, locale),
        u"CRate="_s + offsetField(t("CheapR"), locale),
        u"Disc1="_s + offsetField(t("Disc1"), locale),
        u"Disc1PT="_s + state(in.disc1Percent),
        u"Disc2="_s + offsetField(t("Disc2"), locale),
        u"Disc2FT="_s + state(in.disc2Fixed),
        u"DRate="_s + state(in.perDay),
        u"NRate1="_s + fieldAsIs(t("NormalR1"), values::Fixed::Six, locale),
        u"NRate2="_s + offsetField(t("NormalR2"), locale),
        u"PeriodT="_s + state(in.monthly),
        u"Predict="_s + offsetField(t("PRate"), locale),
        u"SCharge="_s + offsetField(t("SCharge"), locale),
        u"UpEnable="_s + state(in.updates),
        u"VRate="_s + offsetField(t("VAT"), locale),
    };
    return lines.join(crlf);
}

} // namespace records
