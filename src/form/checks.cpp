#include "form/checks.h"

#include "form/calc_support.h"
#include "form/dump.h"
#include "form/mainform.h"
#include "form/presentation.h"
#include "records/tariffchecks.h"
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

const QStringList tariffFields = {u"CheapR"_s,  u"NormalR1"_s, u"NormalR2"_s, u"PRate"_s,
                                  u"SCharge"_s, u"Disc1"_s,    u"Disc2"_s,    u"VAT"_s,
                                  u"CO2"_s,     u"BPoint"_s};

// Replays the checks' field writes one by one, so each raises its change action where it
// always has; a fault met part way is raised again at its step.
void tariffChecks(MainForm& f, bool stripCurrency, bool addCurrency) {
    f.ErrorLocation = 131;
    records::TariffCheckInput in;
    for (const QString& name : tariffFields)
        in.text.insert(name, f.text(name));
    in.breakPointUnits = f.BreakPointUnits;
    in.breakPointPerDay = f.BreakPointPerDay;
    in.monthly = f.ticked(u"Period"_s);
    in.disc1Percent = f.ticked(u"Disc1P"_s);
    in.stripCurrency = stripCurrency;
    in.addCurrency = addCurrency;
    in.currencySymbol = f.CurrencySymbol;
    in.inhibit = f.RunMode == InhibitErrorCheck;
    in.earlierMessages = !f.DataErrors.isEmpty();
    const records::TariffCheckResult r = records::checkTariffFields(in);

    bool reported = false;
    auto report = [&](int mark) {
        if (reported || mark < 132)
            return;
        reported = true;
        for (const QString& message : r.messages)
            complain(f, message);
        f.ErrorLocation = 133;
        if (in.inhibit)
            f.DataErrors.clear();
    };
    for (const records::FieldWrite& w : r.writes) {
        report(w.mark);
        if (w.mark == 135 && r.currencySymbol)
            f.CurrencySymbol = *r.currencySymbol;
        f.ErrorLocation = w.mark;
        f.setText(w.name, w.text);
    }
    if (r.fault) {
        report(r.fault->mark);
        f.ErrorLocation = r.fault->mark;
        throw RuntimeError(r.fault->number, r.fault->description);
    }
    report(135);
    if (r.currencySymbol)
        f.CurrencySymbol = *r.currencySymbol;
    f.ErrorLocation = 135;

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
    const records::BreakPointResult r = records::checkBreakPoint(
        f.text(u"BPoint"_s), f.ticked(u"DRate"_s), !f.DataErrors.isEmpty());
    for (const QString& message : r.messages)
        complain(f, message);
    if (r.breakPointUnits)
        f.BreakPointUnits = *r.breakPointUnits;
    if (r.breakPointPerDay)
        f.BreakPointPerDay = *r.breakPointPerDay;
    if (r.fieldText)
        f.setText(u"BPoint"_s, *r.fieldText);
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
