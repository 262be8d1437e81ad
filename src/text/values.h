#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

// The one place where field text becomes a number or a date and back. Every function takes
// the locale to use; the default is the user's (QLocale(), set from the environment at start).
namespace values {

// The number written at the start of the text: blanks, tabs and line feeds are ignored
// wherever they stand, then sign, digits with a full stop (or the locale's decimal
// separator) and an optional exponent. 0 when the text does not start with a number.
double leadingValue(const QString& text, const QLocale& locale = QLocale());

// True when the whole text reads as a finite number in the locale (currency symbol,
// grouping, parenthesised or signed negatives allowed). An empty text does not.
bool readsAsNumber(const QString& text, const QLocale& locale = QLocale());

// The whole text as a number; throws RuntimeError (type mismatch) when it does not read.
double strictValue(const QString& text, const QLocale& locale = QLocale());

// Throws RuntimeError (overflow) for a non-finite result, as the arithmetic would.
double checked(double value);

// Up to 15 significant digits, locale decimal separator, no grouping; exponent form for
// very large and very small numbers ("1E+16", "1E-05").
QString plainNumber(double value, const QLocale& locale = QLocale());
// plainNumber in the C locale appended to bytes: numbers in data files written in bulk.
void appendPlainNumber(QByteArray& out, double value);

// Named formats. Halves round away from zero on the value written with 15 significant digits.
enum class Fixed { Zero, One, Two, Six }; // "0", "0.0", "0.00", "0.000000"
QString fixed(double value, Fixed format, const QLocale& locale = QLocale());
// A price as a bill prints it: two decimals, or all it has where it has more (24.567 is not
// 24.57).
QString price(double value, const QLocale& locale = QLocale());
// Empty where there is no price.
QString price(const std::optional<double>& value, const QLocale& locale = QLocale());
// Formats a field text the way the named format does: an empty text stays empty; a text
// that reads as a number is formatted; any other text is returned unchanged.
QString fixedText(const QString& text, Fixed format, const QLocale& locale = QLocale());

// The value a plain number text of it reads back as: rounded to 15 significant digits, the
// nearest double to that decimal (what plainNumber then strictValue give, without the texts).
double round15(double value);

// Rounds to the given number of decimals, halves away from zero (15 significant digits).
double roundHalfAway(double value, int decimals);

// The decimals of the locale's currency form (2 for £ and €, 0 for ¥).
int currencyDecimals(const QLocale& locale = QLocale());

// "Currency": the locale's currency form; a negative amount has the minus sign in front
// of everything (-£5.00, -5,00 €).
QString currency(double value, const QLocale& locale = QLocale());
// Formats a field text with "Currency" the same way fixedText does.
QString currencyText(const QString& text, const QLocale& locale = QLocale());

// A money result as shown: where the symbol stands in front, the symbol, a minus sign for a
// negative amount, then the digits (£-3.50); elsewhere the locale's own form with the minus
// sign in front (-3,50 €).
QString moneyResult(double value, const QLocale& locale = QLocale());

// The symbol Voltrake puts in front of money fields: the locale's currency symbol when its
// currency form begins with it, else empty (symbol behind the amount, or none at all).
QString currencyPrefix(const QLocale& locale = QLocale());
// The locale's currency symbol wherever it stands ("€" in de_DE, "" in the C locale).
QString currencySymbol(const QLocale& locale = QLocale());

// Dates. readDate accepts the locale's short date, dd-mmm-yyyy and dd-mmm-yy with the
// locale's or English month abbreviations, ISO yyyy-mm-dd, and day, month and year
// separated by "/", "-" or "." in the locale's order. Two-digit years fall in 1930-2029.
std::optional<QDate> readDate(const QString& text, const QLocale& locale = QLocale());
bool readsAsDate(const QString& text, const QLocale& locale = QLocale());

QString shortDate(const QDate& date, const QLocale& locale = QLocale()); // "Short Date"
QString ddMmmYyyy(const QDate& date, const QLocale& locale = QLocale()); // "dd-mmm-yyyy"
QString ddMmmYyTime(const QDateTime& moment,
                    const QLocale& locale = QLocale()); // "dd-mmm-yy hh:mm:ss"
QString timeOfDay(const QTime& time);                   // "hh:mm:ss", 24-hour
QString yymmdd(const QDate& date);                      // archive and backup names
QString isoDate(const QDate& date);                     // "yyyy-mm-dd"

// Calendar arithmetic: months added with month-end clamping; whole-day difference.
QDate addMonths(const QDate& date, int months);
qint64 daysBetween(const QDate& from, const QDate& to);

} // namespace values
