#include "form/checks.h"

#include "form/calc_support.h"
#include "form/dump.h"
#include "form/mainform.h"
#include "form/presentation.h"
#include "records/readingchecks.h"
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

void check(MainForm& f, bool accepted, const QString& message) {
    if (!accepted)
        complain(f, message);
}

const QString BreakPointPerPeriodMessage =
    u"Break Point between Normal Rates must be 0 or between 10 and 3000"_s;
const QString BreakPointPerDayMessage =
    u"Break Point Rate per Day must be 0 or between 0.50 and 9.99"_s;

void tariffChecks(MainForm& f, bool stripCurrency, bool addCurrency) {
    f.ErrorLocation = 131;
    const QStringList money = {u"CheapR"_s,  u"NormalR1"_s, u"NormalR2"_s,
                               u"SCharge"_s, u"Disc1"_s,    u"Disc2"_s};
    if (stripCurrency) {
        for (const QString& name : money)
            f.setText(name, calc::withoutSymbol(f, f.text(name)));
    }

    f.ErrorLocation = 132;
    auto t = [&](const QString& name) { return f.text(name); };
    check(f, zeroOrRange(t(u"CheapR"_s), 0.01, 0.99),
          u"Cheap Rate must be 0 or between 0.010000 and 0.990000"_s);
    check(f, inRange(t(u"NormalR1"_s), 0.01, 0.99),
          u"Normal Rate 1 must be between 0.010000 and 0.990000"_s);
    check(f, zeroOrRange(t(u"NormalR2"_s), 0.01, 0.99),
          u"Normal Rate 2 must be 0 or between 0.010000 and 0.990000"_s);
    if (!f.ticked(u"Period"_s))
        check(f, zeroOrRange(t(u"PRate"_s), 1, 4),
              u"Prediction Period must be either 0 or between 1 and 4 quarters"_s);
    else
        check(f, zeroOrRange(t(u"PRate"_s), 1, 12),
              u"Prediction Period must be either 0 or between 1 and 12 months"_s);
    check(f, zeroOrRange(t(u"SCharge"_s), 5, 99),
          u"Fixed Charge must be either 0 or between 5 and 99"_s);
    if (!f.ticked(u"Disc1P"_s))
        check(f, zeroOrRange(t(u"Disc1"_s), 1, 99),
              u"Discount 1 must be either 0 or between 1 and 99"_s);
    else
        check(f, zeroOrRange(t(u"Disc1"_s), 1, 30),
              u"Discount 1 must be either 0 or between 1% and 30%"_s);
    // The lower bound is 1 although the message has always said 5.
    check(f, zeroOrRange(t(u"Disc2"_s), 1, 99),
          u"Discount 2 must be either 0 or between 5 and 99"_s);
    check(f, zeroOrRange(t(u"VAT"_s), 1, 50), u"VAT Rate must be 0 or between 1 and 50%"_s);
    check(f, zeroOrRange(f.BreakPointUnits, 10, 3000), BreakPointPerPeriodMessage);
    check(f, zeroOrRange(f.BreakPointPerDay, 0.5, 9.99), BreakPointPerDayMessage);
    check(f, inRange(t(u"CO2"_s), 0.1, 2), u"CO2 Conversion Rate must be between 0.1 and 2"_s);

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

records::ReadingTexts readingTexts(const MainForm& f) {
    return {f.text(u"Date1"_s),  f.text(u"Date2"_s),  f.text(u"NRead1"_s),
            f.text(u"NRead2"_s), f.text(u"CRead1"_s), f.text(u"CRead2"_s)};
}

void readingValueChecks(MainForm& f) {
    f.ErrorLocation = 121;
    const bool inhibit = f.RunMode == InhibitErrorCheck;
    for (const QString& message : records::readingValueMessages(readingTexts(f), inhibit))
        complain(f, message);

    f.ErrorLocation = 122;
    if (inhibit)
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
    const bool inhibit = f.RunMode == InhibitErrorCheck;
    const records::RuleTariff tariff{
        calc::withoutSymbol(f, f.text(u"CheapR"_s)), calc::withoutSymbol(f, f.text(u"NormalR2"_s)),
        f.text(u"BPoint"_s), f.text(u"PRate"_s), f.ticked(u"Period"_s)};
    const records::ReadingRulesOutcome r = records::readingRules(readingTexts(f), tariff, inhibit);
    for (qsizetype i = 0; i < r.messages.size(); ++i) {
        if (i == r.messagesBeforeDates && r.date1) {
            f.setText(u"Date1"_s, *r.date1);
            f.setText(u"Date2"_s, *r.date2);
        }
        complain(f, r.messages[i]);
    }
    if (r.date1 && r.messagesBeforeDates >= r.messages.size()) {
        f.setText(u"Date1"_s, *r.date1);
        f.setText(u"Date2"_s, *r.date2);
    }
    f.ErrorLocation = r.mark;
    if (r.failure)
        throw *r.failure;
    if (inhibit)
        f.DataErrors.clear();
}
