#pragma once

#include "records/billformat.h"

#include <QDate>
#include <QString>
#include <QStringList>

class MainForm;

// Small helpers shared by the calculator procedures. Values travel between steps as field
// text, so these read a field by one of the two reading rules and write a result back.
namespace calc {

// The leading-number value and the strict value of a field's text.
double lead(const MainForm& f, const QString& name);
double strict(const MainForm& f, const QString& name);

// Writes a result as plain number text; a non-finite result is a run-time error, as the
// arithmetic would raise it.
void putNumber(MainForm& f, const QString& name, double value);

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

// The texts of the window's inputs and results, its subtotals and switches, as the report
// and the history line take them.
billformat::BillTexts shownTexts(const MainForm& f);
// The switches the field texts do not carry.
billformat::Modes modes(const MainForm& f);
// Writes the named results of a computed bill and their credit colours.
void showResults(MainForm& f, const billformat::BillTexts& texts, const QStringList& names);

} // namespace calc
