#include "form/checks.h"

#include "form/calc_support.h"
#include "form/dump.h"
#include "form/mainform.h"
#include "form/presentation.h"
#include "records/readingchecks.h"
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

QString UnreadableTariffNumbers(MainForm& f) {
    if (f.RunMode != InhibitErrorCheck)
        return {}; // CheckTariffData refuses them itself
    QString refused;
    // The break point shown is the one saved for its mode.
    const QString point = f.text(u"BPoint"_s);
    if (!point.isEmpty() && !values::readsAsNumber(point)) {
        for (const QString& message :
             records::checkBreakPoint(point, f.ticked(u"DRate"_s), false).messages)
            refused += message + u'\n';
    }
    // The range checks run on the fields that do not read as numbers alone: every other field
    // is put at a value all of them accept, so only those fields' messages come back.
    records::TariffCheckInput in;
    for (const QString& name : tariffFields) {
        const QString text = records::withoutSymbol(f.text(name), f.CurrencySymbol);
        const bool reads = values::readsAsNumber(text);
        const bool mayBeEmpty = name != u"NormalR1"_s && name != u"CO2"_s;
        in.text.insert(name, reads || (text.isEmpty() && mayBeEmpty)
                                 ? (mayBeEmpty ? QString() : u"0.5"_s)
                                 : text);
    }
    in.text.remove(u"BPoint"_s);
    in.monthly = f.ticked(u"Period"_s);
    in.disc1Percent = f.ticked(u"Disc1P"_s);
    for (const QString& message : records::checkTariffFields(in).messages)
        refused += message + u'\n';
    return refused;
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
