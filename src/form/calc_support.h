#pragma once

#include <QDate>
#include <QString>

class MainForm;

// Small helpers shared by the calculator procedures. Values travel between steps as field
// text, so these read a field by one of the two reading rules and write a result back.
namespace calc {

// The leading-number value and the strict value of a field's text.
double lead(const MainForm& f, const QString& name);
double strict(const MainForm& f, const QString& name);

// Writes a result as plain number text, in "Currency" or in one of the fixed formats; a
// non-finite result is a run-time error, as the arithmetic would raise it.
void putNumber(MainForm& f, const QString& name, double value);
void putCurrency(MainForm& f, const QString& name, double value);
QString currencyOf(double value);

// Int(): rounds down towards minus infinity.
double intPart(double value);

// A money text without its currency symbol: a leading CurrencySymbol, or the locale's own
// symbol in front of or behind the amount (so that "1,00 €" can be typed where the symbol
// stands behind). Never removes a digit or a sign.
QString withoutSymbol(const MainForm& f, const QString& text);

// True when the locale's currency calls for the VAT wording rather than Tax.
bool vatWording();

// A date field read under the regional settings; a text that is not a date is a run-time
// error (type mismatch).
QDate dateOf(const MainForm& f, const QString& name);

// Date plus a number of calendar months (month-end clamped); a count or a result out of
// the calendar's range is a run-time error.
QDate plusMonths(const QDate& date, double months);

// The inputs of a calculation joined into one text, compared to spot an unchanged click.
QString inputSignature(const MainForm& f);

// Prices the units and works the bill through to its total, for the actual results
// (suffix "") or the predicted ones ("P"): rate costs, fixed charges over `periods`, Discount 1,
// VAT, Discount 2. Returns the cost before Discount 1 and before tax in "Currency".
struct CostsBefore {
    QString discount1;
    QString tax;
};
CostsBefore costChain(MainForm& f, const QString& suffix, double periods, bool cheapRate);

// Discounts are shown as magnitudes: the credit colour for a discount taken, the normal
// colour and the magnitude for a negative one. A total below 0 is a credit.
void presentDiscount(MainForm& f, const QString& name);
void presentTotal(MainForm& f, const QString& name);

} // namespace calc
