#include "form/predict.h"

#include "form/calc_support.h"
#include "form/mainform.h"
#include "text/values.h"

#include <QDate>

using namespace Qt::StringLiterals;
using calc::intPart;
using calc::lead;
using calc::putCurrency;
using calc::putNumber;
using values::checked;

void PredictCosts(MainForm& f) {
    f.ErrorLocation = 104;
    if (lead(f, u"PRate"_s) == 0)
        return;
    auto s = [&](const QString& name) { return calc::strict(f, name); };

    // The prediction covers whole quarters (months) counted from the first reading.
    const double periods = s(u"PRate"_s);
    const QDate start = calc::dateOf(f, u"Date1"_s);
    const QDate end =
        calc::plusMonths(start, checked(f.ticked(u"Period"_s) ? periods : periods * 3));
    putNumber(f, u"TDaysP"_s, double(values::daysBetween(start, end)));

    const double scale = checked(s(u"TDaysP"_s) / s(u"TDays"_s));
    putNumber(f, u"NRUnitsP"_s, intPart(checked(s(u"NRUnits"_s) * scale + 0.5)));
    // Cheap units of an earlier calculation must not count in this one's CO2.
    f.setText(u"CRUnitsP"_s, QString());
    const bool cheapRate = lead(f, u"CRead1"_s) != 0;
    if (cheapRate)
        putNumber(f, u"CRUnitsP"_s, intPart(checked(lead(f, u"CRUnits"_s) * scale + 0.5)));

    const double units = s(u"NRUnitsP"_s);
    const double breakPoint = lead(f, u"BPoint"_s);
    if (breakPoint != 0) {
        if (!f.ticked(u"DRate"_s)) {
            // The limit uses the whole number of prediction periods, not a count from dates.
            const double limit = checked(periods * breakPoint);
            if (limit >= units)
                f.setText(u"R1UnitsP"_s, f.text(u"NRUnitsP"_s));
            else
                putNumber(f, u"R1UnitsP"_s, limit);
        } else {
            const double limit = intPart(s(u"TDaysP"_s) * breakPoint);
            if (limit >= units)
                putNumber(f, u"R1UnitsP"_s, intPart(units));
            else
                putNumber(f, u"R1UnitsP"_s, limit);
        }
        putNumber(f, u"R2UnitsP"_s, checked(units - s(u"R1UnitsP"_s)));
        putCurrency(f, u"NR2CostP"_s, checked(s(u"NormalR2"_s) * lead(f, u"R2UnitsP"_s)));
    } else {
        f.setText(u"R1UnitsP"_s, f.text(u"NRUnitsP"_s));
        f.setText(u"R2UnitsP"_s, u"0"_s);
        f.setText(u"NR2CostP"_s, u"0"_s);
    }

    f.ErrorLocation = 105;
    const calc::CostsBefore before = calc::costChain(f, u"P"_s, periods, cheapRate);
    f.PredictedCostBeforeDiscount1 = before.discount1;
    f.PredictedCostBeforeTax = before.tax;

    const double allUnits = checked(lead(f, u"CRUnitsP"_s) + lead(f, u"NRUnitsP"_s));
    f.setText(u"TCO2P"_s, values::fixed(checked(s(u"CO2"_s) * allUnits), values::Fixed::Zero));

    calc::presentDiscount(f, u"D1CostP"_s);
    calc::presentDiscount(f, u"D2CostP"_s);
    calc::presentTotal(f, u"TVCostP"_s);
}
