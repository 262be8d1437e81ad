#include "calc/predict.h"

#include "calc/calc_support.h"
#include "calc/mainform.h"
#include "calc/values.h"

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
    putCurrency(f, u"NR1CostP"_s, checked(s(u"NormalR1"_s) * lead(f, u"R1UnitsP"_s)));
    if (cheapRate)
        putCurrency(f, u"CRCostP"_s, checked(s(u"CRUnitsP"_s) * s(u"CheapR"_s)));

    for (const QString& name :
         {u"TVCostP"_s, u"TSChargeP"_s, u"D1CostP"_s, u"D2CostP"_s, u"VCostP"_s})
        f.setText(name, u"0"_s);
    if (cheapRate)
        f.setText(u"TVCostP"_s, f.text(u"CRCostP"_s));

    if (lead(f, u"SCharge"_s) != 0)
        putNumber(f, u"TSChargeP"_s, checked(periods * s(u"SCharge"_s)));
    putNumber(f, u"TVCostP"_s, checked(s(u"TVCostP"_s) + s(u"TSChargeP"_s)));
    putNumber(f, u"TVCostP"_s,
              checked(checked(s(u"TVCostP"_s) + s(u"NR1CostP"_s)) + s(u"NR2CostP"_s)));
    f.PredictedCostBeforeDiscount1 = calc::currencyOf(s(u"TVCostP"_s));

    if (lead(f, u"Disc1"_s) != 0) {
        if (!f.ticked(u"Disc1P"_s))
            putNumber(f, u"D1CostP"_s, checked(periods * s(u"Disc1"_s)));
        else
            putNumber(f, u"D1CostP"_s, checked(s(u"TVCostP"_s) * checked(s(u"Disc1"_s) / 100)));
    }
    // Taken whether or not there is a discount, so the cost before tax is always this one's.
    putNumber(f, u"TVCostP"_s, checked(s(u"TVCostP"_s) - s(u"D1CostP"_s)));
    f.PredictedCostBeforeTax = calc::currencyOf(s(u"TVCostP"_s));

    if (lead(f, u"VAT"_s) != 0) {
        putNumber(f, u"VCostP"_s, checked(s(u"TVCostP"_s) * checked(s(u"VAT"_s) / 100)));
        putNumber(f, u"TVCostP"_s, checked(s(u"TVCostP"_s) + s(u"VCostP"_s)));
    }

    if (lead(f, u"Disc2"_s) != 0) {
        if (!f.ticked(u"Disc2F"_s))
            putNumber(f, u"D2CostP"_s, checked(periods * s(u"Disc2"_s)));
        else
            putNumber(f, u"D2CostP"_s, s(u"Disc2"_s));
        putNumber(f, u"TVCostP"_s, checked(s(u"TVCostP"_s) - s(u"D2CostP"_s)));
    }

    const double allUnits = checked(lead(f, u"CRUnitsP"_s) + lead(f, u"NRUnitsP"_s));
    f.setText(u"TCO2P"_s, values::fixed(checked(s(u"CO2"_s) * allUnits), values::Fixed::Zero));

    calc::presentDiscount(f, u"D1CostP"_s);
    calc::presentDiscount(f, u"D2CostP"_s);
    calc::presentTotal(f, u"TVCostP"_s);
}
