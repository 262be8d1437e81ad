#include "form/predict.h"

#include "form/calc_support.h"
#include "form/mainform.h"

using namespace Qt::StringLiterals;

namespace {

const QStringList PredictedResults = {u"TDaysP"_s,   u"NRUnitsP"_s, u"CRUnitsP"_s, u"R1UnitsP"_s,
                                      u"R2UnitsP"_s, u"NR1CostP"_s, u"NR2CostP"_s, u"CRCostP"_s,
                                      u"D1CostP"_s,  u"D2CostP"_s,  u"TVCostP"_s,  u"TSChargeP"_s,
                                      u"TCO2P"_s,    u"VCostP"_s};

} // namespace

void PredictCosts(MainForm& f, const domain::Bill& bill, const billformat::BillTexts& texts) {
    f.ErrorLocation = 104;
    // Without a prediction period the fields keep what they hold; the labels clear them.
    if (!bill.prediction)
        return;
    f.ErrorLocation = 105;
    calc::showResults(f, texts, PredictedResults);
    f.PredictedCostBeforeDiscount1 = texts.predictedCostBeforeDiscount1;
    f.PredictedCostBeforeTax = texts.predictedCostBeforeTax;
}
