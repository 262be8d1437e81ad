// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/tariffchecks.h"

#include "text/errors.h"
#include "text/values.h"

using namespace Qt::StringLiterals;

namespace records {

namespace {

bool within(double v, double low, double high) {
    return v >= low && v <= high;
}

bool zeroOrWithin(double v, double low, double high) {
    return v == 0 || within(v, low, high);
}

// The rules test the leading-number value, while the field is then formatted and calculated
// from its strict value. Where the two differ ("10,000" leads with 10 and reads as 10000) both
// must pass, so that no value outside the range slips through.
bool zeroOrRange(const QString& text, double low, double high, const QLocale& locale) {
    if (text.isEmpty())
        return true;
    return values::readsAsNumber(text, locale) &&
           zeroOrWithin(values::leadingValue(text, locale), low, high) &&
           zeroOrWithin(values::strictValue(text, locale), low, high);
}

// Range: a number inside the range; empty or 0 is refused.
bool inRange(const QString& text, double low, double high, const QLocale& locale) {
    return values::readsAsNumber(text, locale) &&
           within(values::leadingValue(text, locale), low, high) &&
           within(values::strictValue(text, locale), low, high);
}

// A symbol made of digits or signs could eat part of an amount; such a symbol is left alone.
bool safeSymbol(const QString& symbol) {
    if (symbol.isEmpty())
        return false;
    for (const QChar c : symbol) {
        if (c.isDigit() || c == u'-' || c == u'+' || c == u'.' || c == u',')
            return false;
    }
    return true;
}

const QString BreakPointPerPeriodMessage =
    u"Break Point between Normal Rates must be 0 or between 10 and 3000"_s;
const QString BreakPointPerDayMessage =
    u"Break Point Rate per Day must be 0 or between 0.50 and 9.99"_s;

const QStringList moneyFields = {u"CheapR"_s,  u"NormalR1"_s, u"NormalR2"_s,
                                 u"SCharge"_s, u"Disc1"_s,    u"Disc2"_s};

} // namespace

QString withoutSymbol(const QString& text, const QString& prefix, const QLocale& locale) {
    if (safeSymbol(prefix) && text.startsWith(prefix))
        return text.mid(prefix.size());
    return withoutSymbol(text, prefix, values::currencySymbol(locale));
}

QString withoutSymbol(const QString& text, const QString& prefix, const QString& symbol) {
    if (safeSymbol(prefix) && text.startsWith(prefix))
        return text.mid(prefix.size());
    if (!safeSymbol(symbol))
        return text;
    QString t = text;
    if (t.startsWith(symbol)) {
        t.remove(0, symbol.size());
        while (!t.isEmpty() && t.front().isSpace())
            t.remove(0, 1);
    } else if (t.endsWith(symbol)) {
        t.chop(symbol.size());
        while (!t.isEmpty() && t.back().isSpace())
            t.chop(1);
    }
    return t;
}

BreakPointResult checkBreakPoint(const QString& text, bool perDay, bool earlierMessages,
                                 const QLocale& locale) {
    BreakPointResult r;
    if (!perDay && !zeroOrRange(text, 10, 3000, locale))
        r.messages << BreakPointPerPeriodMessage;
    if (perDay && !zeroOrRange(text, 0.5, 9.99, locale))
        r.messages << BreakPointPerDayMessage;
    if (earlierMessages || !r.messages.isEmpty())
        return r;
    if (!perDay) {
        r.breakPointUnits = values::fixedText(text, values::Fixed::Zero, locale);
        r.fieldText = r.breakPointUnits;
    } else {
        r.breakPointPerDay = values::fixedText(text, values::Fixed::Two, locale);
        r.fieldText = r.breakPointPerDay;
    }
    return r;
}

TariffCheckResult checkTariffFields(const TariffCheckInput& in, const QLocale& locale) {
    TariffCheckResult r;
    r.text = in.text;
    int mark = 131;
    auto t = [&](const QString& name) { return r.text.value(name); };
    auto write = [&](const QString& name, const QString& text) {
        r.writes.append({mark, name, text});
        r.text[name] = text;
    };
    auto check = [&](bool accepted, const QString& message) {
        if (!accepted)
            r.messages << message;
    };
    try {
        if (in.stripCurrency) {
            for (const QString& name : moneyFields)
                write(name, withoutSymbol(t(name), in.currencySymbol, locale));
        }

        mark = 132;
        check(zeroOrRange(t(u"CheapR"_s), 0.01, 0.99, locale),
              u"Cheap Rate must be 0 or between 0.010000 and 0.990000"_s);
        check(inRange(t(u"NormalR1"_s), 0.01, 0.99, locale),
              u"Normal Rate 1 must be between 0.010000 and 0.990000"_s);
        check(zeroOrRange(t(u"NormalR2"_s), 0.01, 0.99, locale),
              u"Normal Rate 2 must be 0 or between 0.010000 and 0.990000"_s);
        if (!in.monthly)
            check(zeroOrRange(t(u"PRate"_s), 1, 4, locale),
                  u"Prediction Period must be either 0 or between 1 and 4 quarters"_s);
        else
            check(zeroOrRange(t(u"PRate"_s), 1, 12, locale),
                  u"Prediction Period must be either 0 or between 1 and 12 months"_s);
        check(zeroOrRange(t(u"SCharge"_s), 5, 99, locale),
              u"Fixed Charge must be either 0 or between 5 and 99"_s);
        if (!in.disc1Percent)
            check(zeroOrRange(t(u"Disc1"_s), 1, 99, locale),
                  u"Discount 1 must be either 0 or between 1 and 99"_s);
        else
            check(zeroOrRange(t(u"Disc1"_s), 1, 30, locale),
                  u"Discount 1 must be either 0 or between 1% and 30%"_s);
        // The lower bound is 1 although the message has always said 5.
        check(zeroOrRange(t(u"Disc2"_s), 1, 99, locale),
              u"Discount 2 must be either 0 or between 5 and 99"_s);
        check(zeroOrRange(t(u"VAT"_s), 1, 50, locale),
              u"VAT Rate must be 0 or between 1 and 50%"_s);
        check(zeroOrRange(in.breakPointUnits, 10, 3000, locale), BreakPointPerPeriodMessage);
        check(zeroOrRange(in.breakPointPerDay, 0.5, 9.99, locale), BreakPointPerDayMessage);
        check(inRange(t(u"CO2"_s), 0.1, 2, locale),
              u"CO2 Conversion Rate must be between 0.1 and 2"_s);

        mark = 133;
        r.formatted = in.inhibit || (!in.earlierMessages && r.messages.isEmpty());

        mark = 134;
        if (r.formatted) {
            using values::Fixed;
            auto format = [&](const QString& name, Fixed pattern) {
                write(name, values::fixedText(t(name), pattern, locale));
            };
            format(u"CheapR"_s, Fixed::Six);
            format(u"NormalR1"_s, Fixed::Six);
            format(u"NormalR2"_s, Fixed::Six);
            format(u"SCharge"_s, Fixed::Two);
            format(u"Disc1"_s, Fixed::Two);
            format(u"Disc2"_s, Fixed::Two);
            format(u"PRate"_s, Fixed::Zero);
            format(u"VAT"_s, Fixed::One);
            write(u"CO2"_s,
                  values::fixed(values::leadingValue(t(u"CO2"_s), locale), Fixed::Two, locale));

            for (const QString& name : {u"BPoint"_s, u"PRate"_s, u"VAT"_s, u"NormalR2"_s,
                                        u"CheapR"_s, u"SCharge"_s, u"Disc1"_s, u"Disc2"_s}) {
                if (values::leadingValue(t(name), locale) == 0)
                    write(name, QString());
            }
        }

        mark = 135;
        if (r.formatted && in.addCurrency) {
            const QString symbol = values::currencyPrefix(locale);
            r.currencySymbol = symbol;
            // Where the locale writes its symbol behind the amount (or has none) the fields
            // stay plain numbers.
            if (!symbol.isEmpty()) {
                for (const QString& name : moneyFields) {
                    const QString text = t(name);
                    if (text.isEmpty() || text.startsWith(symbol))
                        continue;
                    if (name == u"Disc1"_s && in.disc1Percent)
                        continue; // a percentage, not an amount
                    write(name, symbol + text);
                }
            }
        }
    } catch (const RuntimeError& e) {
        r.fault = CheckFault{mark, e.number(), e.description()};
    }
    return r;
}

TariffCheck checkTariff(TariffCheckInput in, const QLocale& locale) {
    TariffCheck c;
    const QString bpoint = in.text.value(u"BPoint"_s);
    c.breakPoint = checkBreakPoint(bpoint, in.perDay, in.earlierMessages, locale);
    if (c.breakPoint.breakPointUnits)
        in.breakPointUnits = *c.breakPoint.breakPointUnits;
    if (c.breakPoint.breakPointPerDay)
        in.breakPointPerDay = *c.breakPoint.breakPointPerDay;
    if (c.breakPoint.fieldText)
        in.text[u"BPoint"_s] = *c.breakPoint.fieldText;
    in.earlierMessages = in.earlierMessages || !c.breakPoint.messages.isEmpty();
    c.fields = checkTariffFields(in, locale);
    c.breakPointUnits = in.breakPointUnits;
    c.breakPointPerDay = in.breakPointPerDay;
    return c;
}

std::optional<domain::Tariff> tariffFromTexts(const FieldTexts& text, const TariffModes& modes,
                                              const QLocale& locale) {
    using namespace domain;
    bool ok = true;
    auto number = [&](const QString& name) {
        const QString t = withoutSymbol(text.value(name), values::currencyPrefix(locale), locale);
        if (t.isEmpty())
            return 0.0;
        ok = ok && values::readsAsNumber(t, locale);
        return ok ? values::strictValue(t, locale) : 0.0;
    };
    Tariff t;
    t.breakMode = modes.perDay ? BreakMode::PerDay : BreakMode::PerPeriod;
    t.period = modes.monthly ? PeriodKind::Monthly : PeriodKind::Quarterly;
    t.discount1Mode = modes.disc1Percent ? Disc1Mode::Percent : Disc1Mode::Amount;
    t.discount2Mode = modes.disc2Fixed ? Disc2Mode::Fixed : Disc2Mode::PerPeriod;
    t.normalRate1 = number(u"NormalR1"_s);
    t.normalRate2 = number(u"NormalR2"_s);
    t.breakPoint = number(u"BPoint"_s);
    t.cheapRate = number(u"CheapR"_s);
    t.fixedCharge = number(u"SCharge"_s);
    t.discount1 = number(u"Disc1"_s);
    t.discount2 = number(u"Disc2"_s);
    t.vat = number(u"VAT"_s);
    t.co2 = number(u"CO2"_s);
    t.predictionPeriods = number(u"PRate"_s);
    if (!ok)
        return std::nullopt;
    return t;
}

} // namespace records
