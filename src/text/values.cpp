#include "text/values.h"

#include "text/errors.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace values {

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

// The value written with 15 significant digits: its digits (no leading zeros) and the
// decimal exponent of the first digit. Zero gives empty digits.
struct Decimal15 {
    bool negative = false;
    std::string digits; // 15 characters '0'..'9'
    int exponent = 0;
};

// |v| (not 0, finite) written with 15 significant digits, without allocating.
struct Scientific15 {
    std::array<char, 15> digits;
    int exponent = 0;
};

Scientific15 scientific15(double v) {
    Scientific15 d{};
    std::array<char, 40> buf{};
    const char* end = std::to_chars(buf.data(), buf.data() + buf.size(), std::abs(v),
                                    std::chars_format::scientific, 14)
                          .ptr;
    d.digits[0] = buf[0];
    std::copy(buf.begin() + 2, buf.begin() + 16, d.digits.begin() + 1);
    // "d.ddddddddddddddde+XX": from_chars takes no '+'.
    std::from_chars(buf.data() + 18, end, d.exponent);
    if (buf[17] == '-')
        d.exponent = -d.exponent;
    return d;
}

Decimal15 toDecimal15(double v) {
    Decimal15 d;
    if (v == 0)
        return d;
    const Scientific15 s = scientific15(v);
    d.negative = v < 0;
    d.digits.assign(s.digits.begin(), s.digits.end());
    d.exponent = s.exponent;
    return d;
}

// Digits of |v| * 10^decimals rounded half away from zero, as a decimal integer string.
std::string scaledRounded(const Decimal15& d, int decimals) {
    if (d.digits.empty())
        return "0";
    const int keep = d.exponent + 1 + decimals; // digits before the cut
    std::string kept;
    bool roundUp = false;
    if (keep <= 0) {
        roundUp = keep == 0 && d.digits[0] >= '5';
        kept = "0";
    } else {
        if (keep < int(d.digits.size())) {
            kept = d.digits.substr(0, keep);
            roundUp = d.digits[keep] >= '5';
        } else {
            kept = d.digits + std::string(keep - d.digits.size(), '0');
        }
    }
    if (roundUp) {
        int i = int(kept.size()) - 1;
        while (i >= 0 && kept[i] == '9')
            kept[i--] = '0';
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i];
    }
    const auto first = kept.find_first_not_of('0');
    return first == std::string::npos ? "0" : kept.substr(first);
}

QString withDecimals(const std::string& scaled, int decimals, bool negative, QChar point) {
    std::string s = scaled;
    if (int(s.size()) <= decimals)
        s.insert(0, decimals + 1 - s.size(), '0');
    QString out = QString::fromLatin1(s.substr(0, s.size() - decimals));
    if (decimals > 0)
        out += point + QString::fromLatin1(s.substr(s.size() - decimals));
    const bool zero = scaled == "0";
    return negative && !zero ? QLatin1Char('-') + out : out;
}

int decimalsOf(Fixed f) {
    switch (f) {
    case Fixed::Zero:
        return 0;
    case Fixed::One:
        return 1;
    case Fixed::Two:
        return 2;
    case Fixed::Six:
        return 6;
    }
    return 0;
}

// True when the value is the double nearest to a decimal of at most 15 significant digits and
// at most `decimals` decimals (0 to 15): writing it with 15 digits and rounding it to those
// decimals then gives that decimal, which reads back as the value itself. Saves the digit
// strings for the bulk of amounts (whole units, two-decimal money, six-decimal rates).
bool shortDecimal(double value, int decimals) {
    static constexpr std::array<double, 16> scale = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (decimals < 0 || decimals > 15)
        return false;
    const double n = value * scale[decimals];
    // n / scale is the correctly rounded quotient, the double nearest to the decimal n e-d.
    return std::abs(n) < 1e15 && n == std::trunc(n) && n / scale[decimals] == value;
}

QChar decimalPoint(const QLocale& locale) {
    if (locale.language() == QLocale::C) // exports ask for every cell
        return QLatin1Char('.');
    // Kept for the locale asked about last: reading a log asks for each of its numbers, and
    // the user's locale answers through the system's settings each time.
    thread_local QLocale last = QLocale::c();
    thread_local QChar point = QLatin1Char('.');
    if (locale != last) {
        const QString p = locale.decimalPoint();
        point = p.isEmpty() ? QLatin1Char('.') : p.at(0);
        last = locale;
    }
    return point;
}

// Rounding by writing the digits out and reading them back, for values whose digits need no
// cut (huge ones) or an unusual number of decimals.
double roundHalfAwayByText(double value, int decimals) {
    const Decimal15 d = toDecimal15(value);
    const std::string scaled = scaledRounded(d, decimals);
    const QString text = withDecimals(scaled, decimals, d.negative, QLatin1Char('.'));
    return QLocale::c().toDouble(text);
}

// Removes one currency symbol and the sign around it; returns the bare number text.
QString bareNumber(QString s, const QLocale& locale, bool& negative) {
    negative = false;
    s = s.trimmed();
    if (s.size() >= 2 && s.startsWith(QLatin1Char('(')) && s.endsWith(QLatin1Char(')'))) {
        negative = true;
        s = s.mid(1, s.size() - 2).trimmed();
    }
    auto takeSign = [&](bool allowed) {
        if (!allowed || s.isEmpty())
            return false;
        if (s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+'))) {
            negative = negative != s.startsWith(QLatin1Char('-'));
            s = s.mid(1).trimmed();
            return true;
        }
        return false;
    };
    const bool signedFirst = takeSign(true);
    const QString symbol = locale.currencySymbol();
    if (!symbol.isEmpty()) {
        if (s.startsWith(symbol))
            s = s.mid(symbol.size()).trimmed();
        else if (s.endsWith(symbol))
            s.chop(symbol.size());
        s = s.trimmed();
    }
    takeSign(!signedFirst);
    return s;
}

std::optional<double> parseNumber(const QString& text, const QLocale& locale) {
    bool negative = false;
    const QString s = bareNumber(text, locale, negative);
    if (s.isEmpty() || s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+')))
        return std::nullopt;
    bool ok = false;
    double v = locale.toDouble(s, &ok);
    if (!ok && decimalPoint(locale) != QLatin1Char('.'))
        v = QLocale::c().toDouble(s, &ok); // full-stop input keeps working everywhere
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return negative ? -v : v;
}

const std::array<const char*, 12> englishShort = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const std::array<const char*, 12> englishLong = {"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};

// The three-letter month abbreviation: the locale's when all of its abbreviations have
// three letters, else English, so dd-mmm-yyyy is always 11 characters and reads back.
QString monthAbbrev(const QLocale& locale, int month) {
    if (month < 1 || month > 12) // an invalid date has no month
        return {};
    bool allThree = true;
    for (int m = 1; m <= 12 && allThree; ++m)
        allThree = locale.monthName(m, QLocale::ShortFormat).size() == 3;
    return allThree ? locale.monthName(month, QLocale::ShortFormat)
                    : QString::fromLatin1(englishShort[month - 1]);
}

int monthFromName(const QString& name, const QLocale& locale) {
    // The names each month is known by, case-folded, for the locale asked about last: reading a
    // long history log asks thousands of times in a row, and the locale's tables are slow.
    struct Names {
        QLocale locale;
        bool filled = false;
        std::array<QStringList, 12> month;
    };
    thread_local Names names;
    if (!names.filled || names.locale != locale) {
        for (int m = 1; m <= 12; ++m) {
            QStringList candidates;
            for (QString c : {locale.monthName(m, QLocale::ShortFormat),
                              locale.monthName(m, QLocale::LongFormat),
                              locale.standaloneMonthName(m, QLocale::ShortFormat),
                              QString::fromLatin1(englishShort[m - 1]),
                              QString::fromLatin1(englishLong[m - 1])}) {
                c = c.toCaseFolded();
                if (c.endsWith(QLatin1Char('.')))
                    c.chop(1);
                if (!c.isEmpty())
                    candidates.append(c);
            }
            names.month[m - 1] = candidates;
        }
        names.locale = locale;
        names.filled = true;
    }
    const QString n = name.toCaseFolded();
    for (int m = 1; m <= 12; ++m) {
        if (names.month[m - 1].contains(n))
            return m;
    }
    return 0;
}

enum class Order { DMY, MDY, YMD };

// Order of day, month and year in the locale's short date form; kept for the locale asked
// about last, since a history log asks once per line.
Order dateOrder(const QLocale& locale) {
    struct Cached {
        QLocale locale;
        bool filled = false;
        Order order = Order::DMY;
    };
    thread_local Cached cached;
    if (!cached.filled || cached.locale != locale) {
        const QString f = locale.dateFormat(QLocale::ShortFormat);
        const qsizetype d = f.indexOf(QLatin1Char('d'));
        const qsizetype m = f.indexOf(QLatin1Char('M'));
        const qsizetype y = f.indexOf(QLatin1Char('y'));
        cached.order = (y >= 0 && y < m && y < d) ? Order::YMD
                       : (m >= 0 && m < d)        ? Order::MDY
                                                  : Order::DMY;
        cached.locale = locale;
        cached.filled = true;
    }
    return cached.order;
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Reads up to maxDigits ASCII digits at i; returns how many were read.
int digitsAt(QStringView t, qsizetype& i, int maxDigits, int& value) {
    int n = 0;
    value = 0;
    while (i < t.size() && n < maxDigits && isAsciiDigit(t[i])) {
        value = value * 10 + (t[i].unicode() - '0');
        ++i, ++n;
    }
    return n;
}

bool isDateSeparator(QChar c, bool commaToo) {
    return c.isSpace() || c == QLatin1Char('-') || c == QLatin1Char('/') || c == QLatin1Char('.') ||
           (commaToo && c == QLatin1Char(','));
}

int yearFrom(int value, int digits) {
    if (digits <= 2)
        return value < 30 ? 2000 + value : 1900 + value;
    return value;
}

// day, month and year as numbers: "5/1/2012", "05.01.12", "2012-01-05"
std::optional<QDate> numericDate(QStringView t, const QLocale& locale) {
    qsizetype i = 0;
    int a = 0, b = 0, c = 0;
    const int na = digitsAt(t, i, 4, a);
    if (na == 0 || i >= t.size())
        return std::nullopt;
    const QChar sep = t[i];
    if (sep != QLatin1Char('/') && sep != QLatin1Char('.') && sep != QLatin1Char('-'))
        return std::nullopt;
    ++i;
    if (digitsAt(t, i, 2, b) == 0 || i >= t.size() || t[i] != sep)
        return std::nullopt;
    ++i;
    const int nc = digitsAt(t, i, 4, c);
    if (nc == 0 || i != t.size())
        return std::nullopt;
    const Order order = na >= 3 ? Order::YMD : dateOrder(locale);
    QDate date;
    if (order == Order::YMD)
        date = QDate(yearFrom(a, na), b, c);
    else if (order == Order::MDY)
        date = QDate(yearFrom(c, nc), a, b);
    else
        date = QDate(yearFrom(c, nc), b, a);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

// day, month name and year: "05-Jan-2012", "5 March 12", "05-janv.-2012"
std::optional<QDate> namedDate(QStringView t, const QLocale& locale) {
    qsizetype i = 0;
    int day = 0, year = 0;
    if (digitsAt(t, i, 2, day) == 0)
        return std::nullopt;
    const qsizetype sepStart = i;
    while (i < t.size() && isDateSeparator(t[i], false))
        ++i;
    if (i == sepStart)
        return std::nullopt;
    const qsizetype nameStart = i;
    while (i < t.size() && !isAsciiDigit(t[i]) && !isDateSeparator(t[i], true))
        ++i;
    if (i == nameStart)
        return std::nullopt;
    const QStringView name = t.mid(nameStart, i - nameStart);
    const qsizetype sep2 = i;
    while (i < t.size() && isDateSeparator(t[i], true))
        ++i;
    if (i == sep2)
        return std::nullopt;
    const int ny = digitsAt(t, i, 4, year);
    if ((ny != 2 && ny != 4) || i != t.size())
        return std::nullopt;
    const int month = monthFromName(name.toString(), locale);
    if (month == 0)
        return std::nullopt;
    const QDate date(yearFrom(year, ny), month, day);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

} // namespace

double leadingValue(const QString& text, const QLocale& locale) {
    const QChar localPoint = decimalPoint(locale);
    std::string buf; // short numbers stay in the string's own buffer
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto next = [&]() -> QChar {
        while (i < n && isBlank(text.at(i)))
            ++i;
        return i < n ? text.at(i) : QChar();
    };
    QChar c = next();
    if (c == QLatin1Char('-') || c == QLatin1Char('+')) {
        if (c == QLatin1Char('-'))
            buf += '-';
        ++i;
        c = next();
    }
    bool digits = false, point = false;
    while (true) {
        c = next();
        if (c.isNull())
            break;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            buf += char(c.unicode());
            digits = true;
        } else if (!point && (c == QLatin1Char('.') || c == localPoint)) {
            buf += '.';
            point = true;
        } else {
            break;
        }
        ++i;
    }
    if (!digits)
        return 0;
    if (c == QLatin1Char('e') || c == QLatin1Char('E') || c == QLatin1Char('d') ||
        c == QLatin1Char('D')) {
        const qsizetype save = i;
        std::string exp = "e";
        ++i;
        QChar s = next();
        if (s == QLatin1Char('-') || s == QLatin1Char('+')) {
            exp += char(s.unicode());
            ++i;
        }
        bool expDigits = false;
        for (QChar d = next(); d >= QLatin1Char('0') && d <= QLatin1Char('9'); d = next()) {
            if (exp.size() < 8)
                exp += char(d.unicode());
            expDigits = true;
            ++i;
        }
        if (expDigits)
            buf += exp;
        else
            i = save;
    }
    double v = 0;
    const auto res = std::from_chars(buf.data(), buf.data() + buf.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large reads as the largest number (fails every range); too small as 0.
        const bool negative = buf.front() == '-';
        const bool tiny = buf.find("e-") != std::string::npos;
        return tiny ? 0.0 : (negative ? -DBL_MAX : DBL_MAX);
    }
    return v == 0 ? 0.0 : v;
}

bool readsAsNumber(const QString& text, const QLocale& locale) {
    return parseNumber(text, locale).has_value();
}

double strictValue(const QString& text, const QLocale& locale) {
    const auto v = parseNumber(text, locale);
    if (!v)
        throw RuntimeError(errnum::TypeMismatch, QStringLiteral("Type mismatch"));
    return *v;
}

double checked(double value) {
    if (!std::isfinite(value))
        throw RuntimeError(errnum::Overflow, QStringLiteral("Overflow"));
    return value;
}

namespace {

// plainNumber with a full stop, into a buffer: exports write hundreds of thousands of these.
using PlainText = std::array<char, 48>;
int writePlain(double value, PlainText& out) {
    int k = 0;
    auto put = [&](char c) { out[k++] = c; };
    auto putText = [&](const char* text) {
        while (*text)
            put(*text++);
    };
    if (std::isnan(value)) {
        putText("NaN");
        return k;
    }
    if (std::isinf(value)) {
        putText(value < 0 ? "-Infinity" : "Infinity");
        return k;
    }
    if (value == 0) {
        put('0');
        return k;
    }
    if (std::abs(value) >= 1e-4 && shortDecimal(value, 6)) {
        // At most six decimals: the digits of the whole millionths, no general conversion.
        const auto millionths = qint64(std::abs(value) * 1e6);
        if (value < 0)
            put('-');
        k = int(std::to_chars(out.data() + k, out.data() + out.size(), millionths / 1000000).ptr -
                out.data());
        if (qint64 fraction = millionths % 1000000) {
            put('.');
            for (qint64 unit = 100000; fraction != 0; unit /= 10) {
                put(char('0' + fraction / unit));
                fraction %= unit;
            }
        }
        return k;
    }
    const Scientific15 d = scientific15(value);
    int n = 15;
    while (n > 1 && d.digits[n - 1] == '0')
        --n;
    auto putDigits = [&](int from, int to) {
        for (int i = from; i < to; ++i)
            put(d.digits[i]);
    };
    if (value < 0)
        put('-');
    if (d.exponent >= 15 || d.exponent < -4) {
        put(d.digits[0]);
        if (n > 1) {
            put('.');
            putDigits(1, n);
        }
        put('E');
        put(d.exponent < 0 ? '-' : '+');
        const int e = std::abs(d.exponent);
        if (e < 10)
            put('0');
        k = int(std::to_chars(out.data() + k, out.data() + out.size(), e).ptr - out.data());
    } else if (d.exponent < 0) {
        put('0');
        put('.');
        for (int i = 0; i < -d.exponent - 1; ++i)
            put('0');
        putDigits(0, n);
    } else {
        const int intDigits = d.exponent + 1;
        putDigits(0, std::min(n, intDigits));
        for (int i = n; i < intDigits; ++i)
            put('0');
        if (n > intDigits) {
            put('.');
            putDigits(intDigits, n);
        }
    }
    return k;
}

} // namespace

QString plainNumber(double value, const QLocale& locale) {
    PlainText buffer;
    QString text = QString::fromLatin1(buffer.data(), writePlain(value, buffer));
    const QChar point = decimalPoint(locale);
    if (point != QLatin1Char('.') && std::isfinite(value))
        text.replace(QLatin1Char('.'), point);
    return text;
}

void appendPlainNumber(QByteArray& out, double value) {
    PlainText buffer;
    out.append(buffer.data(), writePlain(value, buffer));
}

double round15(double value) {
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? 0.0 : value;
    if (shortDecimal(value, 6))
        return value;
    std::array<char, 40> buf{};
    const auto end =
        std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::scientific, 14)
            .ptr;
    double out = 0;
    std::from_chars(buf.data(), end, out);
    return out;
}

double roundHalfAway(double value, int decimals) {
    if (!std::isfinite(value))
        return value;
    if (value == 0)
        return 0.0;
    if (shortDecimal(value, decimals))
        return value;
    // The 15 digits as an integer, cut below the last decimal kept: no texts on the way, as
    // the history reprices every period's tariff and bill with this.
    const Scientific15 d = scientific15(value);
    const int cut = 14 - d.exponent - decimals; // mantissa digits below the last decimal kept
    if (cut <= 0 || decimals < 0 || decimals > 300)
        return roundHalfAwayByText(value, decimals); // nothing to cut, or far out of range
    std::uint64_t kept = 0;
    if (cut <= 15) {
        std::uint64_t mantissa = 0;
        for (char c : d.digits)
            mantissa = mantissa * 10 + std::uint64_t(c - '0');
        std::uint64_t scale = 1;
        for (int i = 0; i < cut; ++i)
            scale *= 10;
        kept = mantissa / scale + (mantissa % scale >= scale / 2 ? 1 : 0);
    }
    if (kept == 0)
        return 0.0;
    std::array<char, 40> text{};
    char* end = std::to_chars(text.data(), text.data() + 24, kept).ptr;
    *end++ = 'e';
    *end++ = '-';
    end = std::to_chars(end, text.data() + text.size(), decimals).ptr;
    double out = 0;
    std::from_chars(text.data(), end, out);
    return value < 0 ? -out : out;
}

QString fixed(double value, Fixed format, const QLocale& locale) {
    const int decimals = decimalsOf(format);
    if (!std::isfinite(value))
        return plainNumber(value, locale);
    const Decimal15 d = toDecimal15(value);
    return withDecimals(scaledRounded(d, decimals), decimals, d.negative, decimalPoint(locale));
}

QString price(double value, const QLocale& locale) {
    return roundHalfAway(value, 2) == value ? fixed(value, Fixed::Two, locale)
                                            : plainNumber(value, locale);
}

QString price(const std::optional<double>& value, const QLocale& locale) {
    return value ? price(*value, locale) : QString();
}

QString fixedText(const QString& text, Fixed format, const QLocale& locale) {
    const auto v = parseNumber(text, locale);
    return v ? fixed(*v, format, locale) : text;
}

int currencyDecimals(const QLocale& locale) {
    // The digits after the decimal separator of the locale's own zero amount.
    const QString zero = locale.toCurrencyString(0.0);
    const qsizetype at = zero.indexOf(locale.decimalPoint());
    if (at < 0)
        return 0;
    int n = 0;
    for (qsizetype i = at + 1; i < zero.size() && zero.at(i).isDigit(); ++i)
        ++n;
    return n;
}

QString currency(double value, const QLocale& locale) {
    if (!std::isfinite(value))
        return plainNumber(value, locale);
    const int decimals = currencyDecimals(locale);
    const double r = std::abs(roundHalfAway(value, decimals));
    const QString text = locale.toCurrencyString(r, locale.currencySymbol(), decimals);
    return value < 0 && r != 0 ? QLatin1Char('-') + text : text;
}

QString currencyText(const QString& text, const QLocale& locale) {
    const auto v = parseNumber(text, locale);
    return v ? currency(*v, locale) : text;
}

QString currencyPrefix(const QLocale& locale) {
    const QString symbol = locale.currencySymbol();
    if (symbol.isEmpty())
        return {};
    return locale.toCurrencyString(1.0).startsWith(symbol) ? symbol : QString();
}

QString currencySymbol(const QLocale& locale) {
    return locale.currencySymbol();
}

QString moneyResult(double value, const QLocale& locale) {
    const QString prefix = currencyPrefix(locale);
    if (prefix.isEmpty())
        return currency(value, locale);
    const QString magnitude = currency(std::abs(value), locale).mid(prefix.size()).trimmed();
    const bool negative = value < 0 && currency(value, locale).startsWith(QLatin1Char('-'));
    return prefix + (negative ? QStringLiteral("-") : QString()) + magnitude;
}

std::optional<QDate> readDate(const QString& text, const QLocale& locale) {
    const QStringView t = QStringView(text).trimmed();
    if (t.isEmpty() || t.size() > 64 || !isAsciiDigit(t.front()))
        return std::nullopt;
    if (auto date = numericDate(t, locale))
        return date;
    return namedDate(t, locale);
}

bool readsAsDate(const QString& text, const QLocale& locale) {
    return readDate(text, locale).has_value();
}

QString shortDate(const QDate& date, const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    // A two-digit year reads back into 1930-2029 only; outside it write all four digits.
    if (!format.contains(QLatin1String("yyyy")) && (date.year() < 1930 || date.year() > 2029))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return locale.toString(date, format);
}

QString ddMmmYyyy(const QDate& date, const QLocale& locale) {
    return QStringLiteral("%1-%2-%3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(monthAbbrev(locale, date.month()))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString ddMmmYyTime(const QDateTime& moment, const QLocale& locale) {
    const QDate date = moment.date();
    return QStringLiteral("%1-%2-%3 %4")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(monthAbbrev(locale, date.month()))
        .arg(date.year() % 100, 2, 10, QLatin1Char('0'))
        .arg(timeOfDay(moment.time()));
}

QString timeOfDay(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString yymmdd(const QDate& date) {
    return date.toString(QStringLiteral("yyMMdd"));
}

QString isoDate(const QDate& date) {
    const int year = date.year();
    if (!date.isValid() || year < 0 || year > 9999)
        return date.toString(Qt::ISODate);
    // Digit by digit: exports write one per period, and the general formatter is slow.
    const auto digit = [](int v) { return char('0' + v % 10); };
    const std::array<char, 10> text = {digit(year / 1000),
                                       digit(year / 100),
                                       digit(year / 10),
                                       digit(year),
                                       '-',
                                       digit(date.month() / 10),
                                       digit(date.month()),
                                       '-',
                                       digit(date.day() / 10),
                                       digit(date.day())};
    return QString::fromLatin1(text.data(), text.size());
}

QDate addMonths(const QDate& date, int months) {
    return date.addMonths(months);
}

qint64 daysBetween(const QDate& from, const QDate& to) {
    return from.daysTo(to);
}

} // namespace values
