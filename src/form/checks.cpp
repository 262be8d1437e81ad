#include "form/checks.h"

#include "form/calc_support.h"
#include "form/dump.h"
#include "form/mainform.h"
#include "form/presentation.h"
#include "text/errors.h"
#include "text/values.h"

#include <QDate>

using namespace Qt::StringLiterals;
using calc::lead;

namespace {

constexpr int InhibitErrorCheck = 1;

void complain(MainForm& f, const QString& message) {
    f.DataErrors += message + u'\n';
}

bool within(double v, double low, double high) {
    return v >= low && v <= high;
}

bool zeroOrWithin(double v, double low, double high) {
    return v == 0 || within(v, low, high);
}

// The rules test the leading-number value, while the field is then formatted and calculated
// from its strict value. Where the two differ ("10,000" leads with 10 and reads as 10000) both
// must pass, so that no value outside the range slips through.
bool zeroOrRange(const QString& text, double low, double high) {
    if (text.isEmpty())
        return true;
    return values::readsAsNumber(text) && zeroOrWithin(values::leadingValue(text), low, high) &&
           zeroOrWithin(values::strictValue(text), low, high);
}

// Range: a number inside the range; empty or 0 is refused.
bool inRange(const QString& text, double low, double high) {
    return values::readsAsNumber(text) && within(values::leadingValue(text), low, high) &&
           within(values::strictValue(text), low, high);
}

// A meter reading must be a number that both rules read alike (not 12abc, not 1,000): the
// rules between readings use one, the calculation the other.
bool readingInRange(const QString& text, double low, double high, bool zeroAllowed) {
    if (zeroAllowed && text.isEmpty())
        return true;
    if (!values::readsAsNumber(text))
        return false;
    const double v = values::leadingValue(text);
    return v == values::strictValue(text) &&
           (zeroAllowed ? zeroOrWithin(v, low, high) : within(v, low, high));
}

void check(MainForm& f, bool accepted, const QString& message) {
    if (!accepted)
        complain(f, message);
}

const QString BreakPointPerPeriodMessage =
    u"Break Point between Normal Rates must be 0 or between 10 and 3000"_s;
const QString BreakPointPerDayMessage =
    u"Break Point Rate per Day must be 0 or between 0.50 and 9.99"_s;

struct TariffRule {
    QString text;
    double low, high;
    bool zeroAllowed; // and empty
    QString message;
    bool money = false; // may carry the currency symbol
};

// The tariff fields' rules in the order their messages appear.
QList<TariffRule> tariffRules(const MainForm& f) {
    auto t = [&](const QString& name) { return f.text(name); };
    const bool months = f.ticked(u"Period"_s);
    const bool percent = f.ticked(u"Disc1P"_s);
    return {
        {t(u"CheapR"_s), 0.01, 0.99, true,
         u"Cheap Rate must be 0 or between 0.010000 and 0.990000"_s, true},
        {t(u"NormalR1"_s), 0.01, 0.99, false,
         u"Normal Rate 1 must be between 0.010000 and 0.990000"_s, true},
        {t(u"NormalR2"_s), 0.01, 0.99, true,
         u"Normal Rate 2 must be 0 or between 0.010000 and 0.990000"_s, true},
        {t(u"PRate"_s), 1, months ? 12.0 : 4.0, true,
         months ? u"Prediction Period must be either 0 or between 1 and 12 months"_s
                : u"Prediction Period must be either 0 or between 1 and 4 quarters"_s},
        {t(u"SCharge"_s), 5, 99, true, u"Fixed Charge must be either 0 or between 5 and 99"_s,
         true},
        {t(u"Disc1"_s), 1, percent ? 30.0 : 99.0, true,
         percent ? u"Discount 1 must be either 0 or between 1% and 30%"_s
                 : u"Discount 1 must be either 0 or between 1 and 99"_s,
         true},
        // The lower bound is 1 although the message has always said 5.
        {t(u"Disc2"_s), 1, 99, true, u"Discount 2 must be either 0 or between 5 and 99"_s, true},
        {t(u"VAT"_s), 1, 50, true, u"VAT Rate must be 0 or between 1 and 50%"_s},
        {f.BreakPointUnits, 10, 3000, true, BreakPointPerPeriodMessage},
        {f.BreakPointPerDay, 0.5, 9.99, true, BreakPointPerDayMessage},
        {t(u"CO2"_s), 0.1, 2, false, u"CO2 Conversion Rate must be between 0.1 and 2"_s},
    };
}

void tariffChecks(MainForm& f, bool stripCurrency, bool addCurrency) {
    f.ErrorLocation = 131;
    const QStringList money = {u"CheapR"_s,  u"NormalR1"_s, u"NormalR2"_s,
                               u"SCharge"_s, u"Disc1"_s,    u"Disc2"_s};
    if (stripCurrency) {
        for (const QString& name : money)
            f.setText(name, calc::withoutSymbol(f, f.text(name)));
    }

    f.ErrorLocation = 132;
    for (const TariffRule& rule : tariffRules(f))
        check(f, (rule.zeroAllowed ? zeroOrRange : inRange)(rule.text, rule.low, rule.high),
              rule.message);

    f.ErrorLocation = 133;
    if (f.RunMode == InhibitErrorCheck)
        f.DataErrors.clear();

    f.ErrorLocation = 134;
    if (f.DataErrors.isEmpty()) {
        using values::Fixed;
        auto format = [&](const QString& name, Fixed pattern) {
            f.setText(name, values::fixedText(f.text(name), pattern));
        };
        format(u"CheapR"_s, Fixed::Six);
        format(u"NormalR1"_s, Fixed::Six);
        format(u"NormalR2"_s, Fixed::Six);
        format(u"SCharge"_s, Fixed::Two);
        format(u"Disc1"_s, Fixed::Two);
        format(u"Disc2"_s, Fixed::Two);
        format(u"PRate"_s, Fixed::Zero);
        format(u"VAT"_s, Fixed::One);
        f.setText(u"CO2"_s, values::fixed(lead(f, u"CO2"_s), Fixed::Two));

        for (const QString& name : {u"BPoint"_s, u"PRate"_s, u"VAT"_s, u"NormalR2"_s, u"CheapR"_s,
                                    u"SCharge"_s, u"Disc1"_s, u"Disc2"_s}) {
            if (lead(f, name) == 0)
                f.setText(name, QString());
        }
    }

    f.ErrorLocation = 135;
    if (f.DataErrors.isEmpty() && addCurrency) {
        f.CurrencySymbol = values::currencyPrefix();
        // Where the locale writes its symbol behind the amount (or has none) the fields stay
        // plain numbers.
        if (!f.CurrencySymbol.isEmpty()) {
            for (const QString& name : money) {
                const QString text = f.text(name);
                if (text.isEmpty() || text.startsWith(f.CurrencySymbol))
                    continue;
                if (name == u"Disc1"_s && f.ticked(u"Disc1P"_s))
                    continue; // a percentage, not an amount
                f.setText(name, f.CurrencySymbol + text);
            }
        }
    }

    SetTaxWording(f);
    ShowMoneyResults(f);
}

void readingValueChecks(MainForm& f) {
    f.ErrorLocation = 121;
    const QStringList fields = {u"Date1"_s,  u"Date2"_s,  u"NRead1"_s,
                                u"NRead2"_s, u"CRead1"_s, u"CRead2"_s};
    bool allEmpty = true;
    for (const QString& name : fields)
        allEmpty = allEmpty && f.text(name).isEmpty();

    if (allEmpty) {
        complain(f, u"No Meter Readings To Calculate"_s);
    } else {
        auto t = [&](const QString& name) { return f.text(name); };
        check(f, values::readsAsDate(t(u"Date1"_s)), u"Date 1 must be a valid date"_s);
        check(f, values::readsAsDate(t(u"Date2"_s)), u"Date 2 must be a valid date"_s);
        check(f, readingInRange(t(u"NRead1"_s), 1, 999900, false),
              u"Normal Rate Reading 1 must be between 1 and 999900"_s);
        check(f, readingInRange(t(u"NRead2"_s), 11, 999999, false),
              u"Normal Rate Reading 2 must be between 11 and 999999"_s);
        check(f, readingInRange(t(u"CRead1"_s), 1, 999900, true),
              u"Cheap Rate Reading 1 must be either 0 or between 1 and 999900"_s);
        check(f, readingInRange(t(u"CRead2"_s), 11, 999999, true),
              u"Cheap Rate Reading 2 must be either 0 or between 11 and 999999"_s);
    }

    f.ErrorLocation = 122;
    if (f.RunMode == InhibitErrorCheck)
        f.DataErrors.clear();
}

} // namespace

void CheckBreakPoint(MainForm& f) {
    const QString text = f.text(u"BPoint"_s);
    const bool perDay = f.ticked(u"DRate"_s);
    if (!perDay && !zeroOrRange(text, 10, 3000))
        complain(f, BreakPointPerPeriodMessage);
    if (perDay && !zeroOrRange(text, 0.5, 9.99))
        complain(f, BreakPointPerDayMessage);

    if (f.DataErrors.isEmpty()) {
        if (!perDay) {
            f.BreakPointUnits = values::fixedText(text, values::Fixed::Zero);
            f.setText(u"BPoint"_s, f.BreakPointUnits);
        } else {
            f.BreakPointPerDay = values::fixedText(text, values::Fixed::Two);
            f.setText(u"BPoint"_s, f.BreakPointPerDay);
        }
    }
}

QString UnreadableTariffNumbers(MainForm& f) {
    if (f.RunMode != InhibitErrorCheck)
        return {}; // CheckTariffData refuses them itself
    QString refused;
    // The break point shown is the one saved for its mode.
    const QString point = f.text(u"BPoint"_s);
    if (!point.isEmpty() && !values::readsAsNumber(point))
        refused +=
            (f.ticked(u"DRate"_s) ? BreakPointPerDayMessage : BreakPointPerPeriodMessage) + u'\n';
    for (const TariffRule& rule : tariffRules(f)) {
        const QString text = rule.money ? calc::withoutSymbol(f, rule.text) : rule.text;
        if (!(text.isEmpty() && rule.zeroAllowed) && !values::readsAsNumber(text))
            refused += rule.message + u'\n';
    }
    return refused;
}

void CheckTariffData(MainForm& f, bool stripCurrency, bool addCurrency) {
    try {
        tariffChecks(f, stripCurrency, addCurrency);
    } catch (const RuntimeError&) {
        FatalErrorDump(f, u"Check Error"_s, f.ErrorLocation);
    }
}

void CheckReadingValues(MainForm& f) {
    try {
        readingValueChecks(f);
    } catch (const RuntimeError&) {
        FatalErrorDump(f, u"Check Error"_s, f.ErrorLocation);
    }
}

void CheckReadingRules(MainForm& f) {
    f.ErrorLocation = 111;
    const QDate first = calc::dateOf(f, u"Date1"_s);
    const QDate second = calc::dateOf(f, u"Date2"_s);
    const QDate earliest(2000, 1, 1);        // 01-01-2000
    const QDate earliestSecond(2000, 3, 31); // 31-03-2000
    const QDate latest(2020, 12, 31);        // 31-12-2020
    const QString dateRange = u" must be between 1st Jan 2000 and 31st Dec 2020 than Date 1"_s;
    if (first < earliest || first > latest)
        complain(f, u"Date 1"_s + dateRange);
    if (second < earliestSecond || second > latest)
        complain(f, u"Date 2"_s + dateRange);
    if (values::daysBetween(first, second) < 3)
        complain(f, u"Date 2 must be at least 3 days later than Date 1"_s);
    f.setText(u"Date1"_s, values::shortDate(first));
    f.setText(u"Date2"_s, values::shortDate(second));

    f.ErrorLocation = 112;
    if (lead(f, u"NRead2"_s) - lead(f, u"NRead1"_s) < 10)
        complain(f,
                 u"Normal Rate Reading 2 must be at least 10 greater than Normal Rate Reading 1"_s);
    const double cheap1 = lead(f, u"CRead1"_s);
    const double cheap2 = lead(f, u"CRead2"_s);
    if (cheap1 != 0 && cheap2 != 0 && cheap2 - cheap1 < 10)
        complain(f,
                 u"Cheap Rate Reading 2 must be at least 10 greater than Cheap Rate Reading 1"_s);

    f.ErrorLocation = 113;
    const double cheapRate = values::leadingValue(calc::withoutSymbol(f, f.text(u"CheapR"_s)));
    const bool cheapReadings = cheap1 != 0 || cheap2 != 0;
    if (cheapRate == 0 && cheapReadings)
        complain(f, u"Cheap Rate Meter Readings must be 0 if Cheap Rate Cost = 0"_s);
    if (cheapRate != 0 && cheapReadings) {
        if (cheap1 == 0)
            complain(f, u"Cheap Rate Reading 1 can not be zero if Cheap Rate Reading 2 is not 0"_s);
        if (cheap2 == 0)
            complain(f, u"Cheap Rate Reading 2 can not be zero if Cheap Rate Reading 1 is not 0"_s);
    }

    f.ErrorLocation = 114;
    const double rate2 = values::leadingValue(calc::withoutSymbol(f, f.text(u"NormalR2"_s)));
    const double breakPoint = lead(f, u"BPoint"_s);
    if (rate2 != 0 && breakPoint == 0)
        complain(
            f,
            u"The Normal Rate 1 to Normal Rate 2 Breakpoint must be set if Normal Rate 2 is set"_s);
    if (breakPoint != 0 && rate2 == 0)
        complain(
            f,
            u"Normal Rate 2 must be set if the Normal Rate 1 to Normal Rate 2 Breakpoint is set"_s);

    f.ErrorLocation = 115;
    if (lead(f, u"PRate"_s) != 0) {
        const double months = calc::strict(f, u"PRate"_s) * (f.ticked(u"Period"_s) ? 1 : 3);
        const QDate end = calc::plusMonths(first, values::checked(months));
        if (values::daysBetween(end, second) > 0)
            complain(
                f,
                u"Date 1 plus number months to predict forward must be greater than or equal to Date 2"_s);
    }

    f.ErrorLocation = 116;
    if (f.RunMode == InhibitErrorCheck)
        f.DataErrors.clear();
}
