#include "form/calc_support.h"

#include "form/mainform.h"
#include "records/tariffchecks.h"
#include "text/errors.h"
#include "text/values.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace calc {

double lead(const MainForm& f, const QString& name) {
    return values::leadingValue(f.text(name));
}

double strict(const MainForm& f, const QString& name) {
    return values::strictValue(f.text(name));
}

void putNumber(MainForm& f, const QString& name, double value) {
    f.setText(name, values::plainNumber(values::checked(value)));
}

double intPart(double value) {
    return std::floor(values::checked(value));
}

namespace {
constexpr int InvalidCall = 5; // "Invalid procedure call or argument"
} // namespace

QString withoutSymbol(const MainForm& f, const QString& text) {
    return records::withoutSymbol(text, f.CurrencySymbol);
}

bool vatWording() {
    const QString symbol = values::currencySymbol();
    return symbol == u"€"_s || symbol == u"£"_s;
}

QDate dateOf(const MainForm& f, const QString& name) {
    const auto date = values::readDate(f.text(name));
    if (!date)
        throw RuntimeError(errnum::TypeMismatch, u"Type mismatch"_s);
    return *date;
}

QDate plusMonths(const QDate& date, double months) {
    // Far beyond any prediction period; keeps the month count and the year in range.
    if (!std::isfinite(months) || std::abs(months) > 120000)
        throw RuntimeError(InvalidCall, u"Invalid procedure call or argument"_s);
    const int whole = int(std::lround(months));
    const QDate result = values::addMonths(date, whole);
    if (!result.isValid() || result.year() < 100 || result.year() > 9999)
        throw RuntimeError(InvalidCall, u"Invalid procedure call or argument"_s);
    return result;
}

QString inputSignature(const MainForm& f) {
    auto value = [&](const char16_t* name) {
        return f.ticked(QString::fromUtf16(name)) ? u"1"_s : u"0"_s;
    };
    auto t = [&](const char16_t* name) { return f.text(QString::fromUtf16(name)); };
    return f.CurrencySymbol + t(u"Date1") + t(u"Date2") + t(u"NRead1") + t(u"NRead2") +
           t(u"CRead1") + t(u"CRead2") + t(u"Notes") + t(u"BPoint") + t(u"CheapR") +
           t(u"NormalR1") + t(u"CO2") + value(u"DRate") + t(u"NormalR2") + t(u"PRate") + t(u"VAT") +
           t(u"SCharge") + u"1"_s + t(u"Disc1") + u"2"_s + t(u"Disc2") + value(u"Period") +
           value(u"Disc1P") + value(u"Disc2F") + value(u"NoHistory");
}

namespace {
const QStringList Fields = {
    u"Date1"_s,    u"Date2"_s,    u"NRead1"_s,   u"NRead2"_s,    u"CRead1"_s,   u"CRead2"_s,
    u"Notes"_s,    u"BPoint"_s,   u"CheapR"_s,   u"NormalR1"_s,  u"NormalR2"_s, u"SCharge"_s,
    u"Disc1"_s,    u"Disc2"_s,    u"VAT"_s,      u"CO2"_s,       u"PRate"_s,    u"TDays"_s,
    u"NRUnits"_s,  u"CRUnits"_s,  u"R1Units"_s,  u"R2Units"_s,   u"NR1Cost"_s,  u"NR2Cost"_s,
    u"CRCost"_s,   u"D1Cost"_s,   u"D2Cost"_s,   u"CDay"_s,      u"UDay"_s,     u"CO2Day"_s,
    u"TVCost"_s,   u"TSCharge"_s, u"TCO2"_s,     u"VCost"_s,     u"TDaysP"_s,   u"NRUnitsP"_s,
    u"CRUnitsP"_s, u"R1UnitsP"_s, u"R2UnitsP"_s, u"NR1CostP"_s,  u"NR2CostP"_s, u"CRCostP"_s,
    u"D1CostP"_s,  u"D2CostP"_s,  u"TVCostP"_s,  u"TSChargeP"_s, u"TCO2P"_s,    u"VCostP"_s};
const QStringList Coloured = {u"D1Cost"_s,  u"D2Cost"_s,  u"TVCost"_s,
                              u"D1CostP"_s, u"D2CostP"_s, u"TVCostP"_s};
} // namespace

billformat::Modes modes(const MainForm& f) {
    return {f.ticked(u"DRate"_s), f.ticked(u"Period"_s), f.ticked(u"Disc1P"_s),
            f.ticked(u"Disc2F"_s)};
}

billformat::BillTexts shownTexts(const MainForm& f) {
    billformat::BillTexts b;
    for (const QString& name : Fields)
        b.text.insert(name, f.text(name));
    for (const QString& name : Coloured)
        b.credit.insert(name, f.model.colour(name) == colour::Credit);
    b.costBeforeDiscount1 = f.CostBeforeDiscount1;
    b.costBeforeTax = f.CostBeforeTax;
    b.predictedCostBeforeDiscount1 = f.PredictedCostBeforeDiscount1;
    b.predictedCostBeforeTax = f.PredictedCostBeforeTax;
    b.periodCount = f.PeriodCount;
    const billformat::Modes m = modes(f);
    b.perDay = m.perDay;
    b.monthly = m.monthly;
    b.disc1Percent = m.disc1Percent;
    b.disc2Fixed = m.disc2Fixed;
    b.taxWord = f.model.caption(u"VATH"_s).left(3);
    return b;
}

void showResults(MainForm& f, const billformat::BillTexts& texts, const QStringList& names) {
    for (const QString& name : names) {
        f.setText(name, texts.text.value(name));
        if (texts.credit.contains(name))
            f.model.setColour(name, texts.credit.value(name) ? colour::Credit : colour::Normal);
    }
}

} // namespace calc
