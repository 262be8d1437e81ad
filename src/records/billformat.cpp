// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/billformat.h"

#include "records/logformat.h"
#include "text/files.h"
#include "text/lines.h"
#include "text/values.h"

#include <cmath>

using values::Fixed;

namespace billformat {

namespace {

using files::crlf;

class Writer {
  public:
    explicit Writer(const QLocale& locale)
        : locale_(locale), prefix_(values::currencyPrefix(locale)) {}

    QString plain(double v) const { return values::plainNumber(v, locale_); }
    QString fixed(double v, Fixed f) const { return values::fixed(v, f, locale_); }
    QString currency(double v) const { return values::currency(v, locale_); }
    QString money(double v) const { return values::moneyResult(v, locale_); }
    const QString& prefix() const { return prefix_; }

    // A unit cost was written in the currency form; where the symbol stands in front and
    // the text does not start with it, it is shown as a money result.
    QString rateCost(double v) const {
        const QString text = currency(v);
        if (!prefix_.isEmpty() && text.size() > 1 && !text.startsWith(prefix_) &&
            values::readsAsNumber(text, locale_))
            return money(values::strictValue(text, locale_));
        return text;
    }
    // A tariff field: empty when 0, else in its format with the currency symbol in front.
    QString input(double v, Fixed f, bool withSymbol) const {
        if (v == 0)
            return {};
        return (withSymbol ? prefix_ : QString()) + fixed(v, f);
    }
    QString date(const QDate& d) const {
        const QString text = values::shortDate(d, locale_);
        return text.size() > 11 ? values::ddMmmYyyy(d, locale_) : text;
    }

  private:
    QLocale locale_;
    QString prefix_;
};

void putResults(BillTexts& b, const Writer& w, const domain::Tariff& t, const domain::Usage& u,
                const domain::Costs& c, double co2, const QString& suffix) {
    auto put = [&](const char* name, const QString& text) {
        b.text[QLatin1String(name) + suffix] = text;
    };
    auto colour = [&](const char* name, bool credit) {
        b.credit[QLatin1String(name) + suffix] = credit;
    };
    put("TDays", w.plain(double(u.days)));
    put("NRUnits", w.plain(u.normalUnits));
    put("CRUnits", u.cheapRate ? w.plain(u.cheapUnits) : QString());
    put("R1Units", w.plain(u.rate1Units));
    put("R2Units", u.rate2Units != 0 ? w.plain(u.rate2Units) : QString());
    put("NR1Cost", w.rateCost(c.rate1));
    put("NR2Cost", t.breakPoint != 0 && c.rate2 != 0 ? w.rateCost(c.rate2) : QString());
    put("CRCost", u.cheapRate ? w.rateCost(c.cheap) : QString());
    // Discounts show their size; one taken is a credit.
    put("D1Cost", t.discount1 != 0 ? w.money(std::abs(c.discount1)) : QString());
    colour("D1Cost", c.discount1 >= 0);
    put("D2Cost", t.discount2 != 0 ? w.money(std::abs(c.discount2)) : QString());
    colour("D2Cost", c.discount2 >= 0);
    put("TVCost", w.money(std::abs(c.total)));
    colour("TVCost", c.total < 0);
    put("TSCharge", t.fixedCharge != 0 ? w.money(c.fixedCharges) : QString());
    put("TCO2", w.fixed(co2, Fixed::Zero));
    put("VCost", t.vat != 0 ? w.money(c.vat) : QString());
}

} // namespace

std::optional<BillInputs> inputsFromTexts(const QMap<QString, QString>& text, const Modes& modes,
                                          const QLocale& locale) {
    using namespace domain;
    if (!values::readsAsDate(text.value(QStringLiteral("Date1")), locale) ||
        !values::readsAsDate(text.value(QStringLiteral("Date2")), locale))
        return std::nullopt;
    bool ok = true;
    auto number = [&](const char* name) {
        const QString t = text.value(QLatin1String(name));
        if (t.isEmpty())
            return 0.0;
        ok = ok && values::readsAsNumber(t, locale);
        return ok ? values::strictValue(t, locale) : 0.0;
    };
    auto reading = [&](const char* name) -> std::optional<double> {
        if (text.value(QLatin1String(name)).isEmpty())
            return std::nullopt;
        return number(name);
    };
    BillInputs in;
    Tariff& t = in.tariff;
    t.breakMode = modes.perDay ? BreakMode::PerDay : BreakMode::PerPeriod;
    t.period = modes.monthly ? PeriodKind::Monthly : PeriodKind::Quarterly;
    t.discount1Mode = modes.disc1Percent ? Disc1Mode::Percent : Disc1Mode::Amount;
    t.discount2Mode = modes.disc2Fixed ? Disc2Mode::Fixed : Disc2Mode::PerPeriod;
    t.normalRate1 = number("NormalR1");
    t.normalRate2 = number("NormalR2");
    t.breakPoint = number("BPoint");
    t.cheapRate = number("CheapR");
    t.fixedCharge = number("SCharge");
    t.discount1 = number("Disc1");
    t.discount2 = number("Disc2");
    t.vat = number("VAT");
    t.co2 = number("CO2");
    t.predictionPeriods = number("PRate");
    MeterReadings& m = in.readings;
    m.date1 = *values::readDate(text.value(QStringLiteral("Date1")), locale);
    m.date2 = *values::readDate(text.value(QStringLiteral("Date2")), locale);
    m.normal1 = number("NRead1");
    m.normal2 = number("NRead2");
    m.cheap1 = reading("CRead1");
    m.cheap2 = reading("CRead2");
    if (!ok)
        return std::nullopt;
    return in;
}

BillTexts billTexts(const domain::Bill& bill, const QString& notes, const QLocale& locale) {
    using namespace domain;
    const Writer w(locale);
    const Tariff& t = bill.tariff;
    const MeterReadings& m = bill.readings;
    BillTexts b;
    b.perDay = t.breakMode == BreakMode::PerDay;
    b.monthly = t.period == PeriodKind::Monthly;
    b.disc1Percent = t.discount1Mode == Disc1Mode::Percent;
    b.disc2Fixed = t.discount2Mode == Disc2Mode::Fixed;
    const QString symbol = values::currencySymbol(locale);
    b.taxWord = symbol == QStringLiteral("€") || symbol == QStringLiteral("£")
                    ? QStringLiteral("VAT")
                    : QStringLiteral("Tax");
    b.periodCount = float(bill.usage.periods);

    auto put = [&](const char* name, const QString& text) { b.text[QLatin1String(name)] = text; };
    put("Date1", w.date(m.date1));
    put("Date2", w.date(m.date2));
    put("NRead1", w.plain(m.normal1));
    put("NRead2", w.plain(m.normal2));
    put("CRead1", m.cheap1 ? w.plain(*m.cheap1) : QString());
    put("CRead2", m.cheap2 ? w.plain(*m.cheap2) : QString());
    put("Notes", notes);
    put("BPoint", w.input(t.breakPoint, b.perDay ? Fixed::Two : Fixed::Zero, false));
    put("CheapR", w.input(t.cheapRate, Fixed::Six, true));
    put("NormalR1", w.prefix() + w.fixed(t.normalRate1, Fixed::Six));
    put("NormalR2", w.input(t.normalRate2, Fixed::Six, true));
    put("SCharge", w.input(t.fixedCharge, Fixed::Two, true));
    put("Disc1", w.input(t.discount1, Fixed::Two, !b.disc1Percent));
    put("Disc2", w.input(t.discount2, Fixed::Two, true));
    put("VAT", w.input(t.vat, Fixed::One, false));
    put("CO2", w.fixed(t.co2, Fixed::Two));
    put("PRate", w.input(t.predictionPeriods, Fixed::Zero, false));

    putResults(b, w, t, bill.usage, bill.costs, bill.co2, QString());
    put("CDay", w.money(bill.costPerDay));
    put("UDay", w.fixed(bill.unitsPerDay, Fixed::Two));
    put("CO2Day", w.fixed(bill.co2PerDay, Fixed::One));
    b.costBeforeDiscount1 = w.currency(bill.costs.beforeDiscount1);
    b.costBeforeTax = w.currency(bill.costs.beforeTax);

    if (bill.prediction) {
        const Prediction& p = *bill.prediction;
        putResults(b, w, t, p.usage, p.costs, p.co2, QStringLiteral("P"));
        b.predictedCostBeforeDiscount1 = w.currency(p.costs.beforeDiscount1);
        b.predictedCostBeforeTax = w.currency(p.costs.beforeTax);
    } else {
        for (const char* name :
             {"TDaysP", "NRUnitsP", "CRUnitsP", "R1UnitsP", "R2UnitsP", "NR1CostP", "NR2CostP",
              "CRCostP", "D1CostP", "D2CostP", "TVCostP", "TSChargeP", "TCO2P", "VCostP"})
            put(name, QString());
        b.credit[QStringLiteral("D1CostP")] = true;
        b.credit[QStringLiteral("D2CostP")] = true;
        b.credit[QStringLiteral("TVCostP")] = false;
    }
    return b;
}

QString resultsReport(const BillTexts& b, const QDateTime& moment, const QLocale& locale) {
    const bool monthly = b.monthly;
    const double periods = double(b.periodCount);
    const QString periodCount = values::plainNumber(periods, locale);

    QString periodWord;
    if (periods == 1)
        periodWord = monthly ? QStringLiteral(" Month") : QStringLiteral(" Quarter");
    else if (periods > 1)
        periodWord = monthly ? QStringLiteral(" Months") : QStringLiteral(" Quarters");

    const QString pRate = b.t("PRate");
    const double predicted = values::leadingValue(pRate, locale);
    QString predictWord;
    if (predicted == 1)
        predictWord = monthly ? QStringLiteral(" Month   ") : QStringLiteral(" Quarter ");
    else if (predicted > 1)
        predictWord = monthly ? QStringLiteral(" Months  ") : QStringLiteral(" Quarters");

    auto t = [&b](const char* name) { return b.t(name); };
    const QString& taxWord = b.taxWord;
    const bool breakPoint = values::leadingValue(t("BPoint"), locale) != 0;
    const bool perDay = b.perDay;
    const bool hasDisc1 = !t("Disc1").isEmpty();
    const bool hasDisc2 = !t("Disc2").isEmpty();
    const bool hasVat = !t("VAT").isEmpty();
    auto disc2 = [&](double times) {
        return R(7,
                 "-" + values::currency(values::strictValue(t("Disc2"), locale) * times, locale));
    };

    QString r;
    r += values::shortDate(moment.date(), locale) + ' ' + values::timeOfDay(moment.time()) + crlf;
    r += t("Notes") + crlf + crlf;
    r += "Cost To Date (" + R(3, t("TDays")) + " Days)" + crlf + "-----------------------" + crlf;
    r += "From                    : " + t("Date1") + crlf;
    r += "To                      : " + t("Date2") + crlf;
    r += "Period                  : " + R(4, periodCount) + "     Number Complete & Part" +
         periodWord + "(s)" + crlf;
    r += "Normal Rate   Units Used: " + R(4, t("NRUnits"));
    if (breakPoint && !perDay)
        r += "     Normal Rate 2 after " + periodCount + " * " + t("BPoint") + "KWHrs";
    if (breakPoint && perDay)
        r += "     Normal Rate 2 after " + t("TDays") + " * " + t("BPoint") + " KWHrs/Day";
    if (breakPoint)
        r += crlf + "Normal Rate 1 Units Used: " + R(4, t("R1Units"));
    r += "     at " + R(9, t("NormalR1")) + " per KWhr = " + R(7, t("NR1Cost"));
    if (!t("R2Units").isEmpty())
        r += crlf + "Normal Rate 2 Units Used: " + R(4, t("R2Units")) + "     at " +
             R(9, t("NormalR2")) + " per KWhr = " + R(7, t("NR2Cost"));
    if (!t("CRUnits").isEmpty())
        r += crlf + "Cheap  Rate   Units Used: " + R(4, t("CRUnits")) + "     at " +
             R(9, t("CheapR")) + " per KWhr = " + R(7, t("CRCost"));
    if (!t("TSCharge").isEmpty())
        r += crlf + "Fixed Charge            :" + R(8, t("TSCharge")) + "  " + periodCount +
             periodWord;
    if (hasDisc1) {
        r += crlf + "Cost before Discount 1  : " + R(7, b.costBeforeDiscount1) + crlf +
             "Discount 1              : " + R(7, "-" + t("D1Cost"));
        if (!b.disc1Percent)
            r += "  " + periodCount + periodWord;
        else
            r += "  at " + R(6, t("Disc1") + "%");
    }
    if (hasVat)
        r += crlf + "Cost before " + taxWord + "         : " + R(7, b.costBeforeTax) + crlf +
             taxWord + "                     : " + R(7, t("VCost")) + "  at " +
             R(6, t("VAT") + "0%");
    if (hasDisc2 && !b.disc2Fixed)
        r += crlf + "Discount 2              : " + disc2(periods) + "  " + periodCount + periodWord;
    if (hasDisc2 && b.disc2Fixed)
        r += crlf + "Discount 2              : " + disc2(1) + "  Fixed Discount";
    r += crlf + "Total Cost              : " + R(7, t("TVCost"));
    r += crlf + "Cost per Day            : " + R(7, t("CDay"));
    r += crlf + "Units used per Day      : " + R(7, t("UDay"));
    r += crlf + "C02 generated per Day   : " + R(6, t("CO2Day")) + "   Kgm" + crlf;

    if (predicted != 0) {
        r += crlf + "Cost Prediction Over " + pRate + predictWord + " (" + R(3, t("TDaysP")) +
             " Days)" + crlf + "------------------------------------------" + crlf;
        r += "From                    : " + t("Date1") + crlf;
        r += "Normal Rate   Units Used: " + R(4, t("NRUnitsP"));
        if (breakPoint && !perDay)
            r += "     Normal Rate 2 after " + pRate + " * " + t("BPoint") + "KWHrs";
        if (breakPoint && perDay)
            r += "     Normal Rate 2 after " + t("TDaysP") + " * " + t("BPoint") + "KWhrs/Day";
        if (breakPoint)
            r += crlf + "Normal Rate 1 Units Used: " + R(4, t("R1UnitsP"));
        r += "     at " + R(9, t("NormalR1")) + " per KWhr = " + R(7, t("NR1CostP"));
        if (!t("R2UnitsP").isEmpty())
            r += crlf + "Normal Rate 2 Units Used: " + R(4, t("R2UnitsP")) + "     at " +
                 R(9, t("NormalR2")) + " per KWhr = " + R(7, t("NR2CostP"));
        if (!t("CRUnits").isEmpty())
            r += crlf + "Cheap  Rate   Units Used: " + R(4, t("CRUnitsP")) + "     at " +
                 R(9, t("CheapR")) + " per KWhr = " + R(7, t("CRCostP"));
        if (!t("TSChargeP").isEmpty())
            r += crlf + "Fixed Charges           :" + R(8, t("TSChargeP")) + "  " + pRate +
                 predictWord;
        if (hasDisc1) {
            r += crlf + "Cost before Discount 1  : " + R(7, b.predictedCostBeforeDiscount1) + crlf +
                 "Discount 1              : " + R(7, "-" + t("D1CostP"));
            if (!b.disc1Percent)
                r += "  " + pRate + predictWord;
            else
                r += "  at " + R(6, t("Disc1") + "%");
        }
        if (hasVat)
            r += crlf + "Cost before " + taxWord + "         : " + R(7, b.predictedCostBeforeTax) +
                 crlf + taxWord + "                     : " + R(7, t("VCostP")) + "  at " +
                 R(6, t("VAT") + "0%");
        if (hasDisc2 && !b.disc2Fixed)
            r += crlf + "Discount 2              : " + disc2(values::strictValue(pRate, locale)) +
                 "  " + pRate + predictWord;
        if (hasDisc2 && b.disc2Fixed)
            r += crlf + "Discount 2              : " + disc2(1) + "  Fixed Discount";
        r += crlf + "Total Cost              : " + R(7, t("TVCostP")) + crlf;
    }

    r += "----------------------------------------------------------------------" + crlf + crlf;
    return r;
}

QString historyLine(const BillTexts& b, const QLocale& locale) {
    auto t = [&b](const char* name) { return b.t(name); };
    const QString breakPoint = b.perDay ? "D" : "F";
    const QString vat = t("VAT") + (values::leadingValue(t("VAT"), locale) > 0 ? "%" : "");
    const QString disc1 = t("Disc1") + (b.disc1Percent ? "%" : "");
    const QString disc2 = b.disc2Fixed ? "F " : "  ";
    const QString time = b.monthly ? " Mon" : " Qtr";
    return R(11, records::historyDate(t("Date2"), locale)) + ", " + R(7, t("NRead2")) + ", " +
           R(7, t("CRead2")) + ", " + R(7, t("NormalR1")) + ", " + R(7, t("NormalR2")) + ", " +
           breakPoint + R(5, t("BPoint")) + ", " + R(7, t("CheapR")) + ", " + R(7, t("TSCharge")) +
           ", " + R(5, vat) + ", " + R(6, disc1) + ", " + disc2 + R(6, t("Disc2")) + ", " + time;
}

QString startLine(const BillTexts& b, const QLocale& locale) {
    QString line = R(11, records::historyDate(b.t("Date1"), locale)) + ", " + R(7, b.t("NRead1")) +
                   ", " + R(7, b.t("CRead1"));
    for (int width : {7, 7, 6, 7, 7, 5, 6, 8, 4})
        line += ", " + QString(width, ' ');
    return line;
}

} // namespace billformat
