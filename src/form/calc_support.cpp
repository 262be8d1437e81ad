#include "form/calc_support.h"

#include "form/mainform.h"
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

QString currencyOf(double value) {
    return values::currency(values::checked(value));
}

void putCurrency(MainForm& f, const QString& name, double value) {
    f.setText(name, currencyOf(value));
}

double intPart(double value) {
    return std::floor(values::checked(value));
}

namespace {
constexpr int InvalidCall = 5; // "Invalid procedure call or argument"

// A symbol made of digits or signs could eat part of an amount; such a symbol is left alone.
bool safeSymbol(const QString& symbol) {
    if (symbol.isEmpty())
        return false;
    for (const QChar c : symbol) {
        if (c.isDigit() || c == u'-' || c == u'+' || c == u'.' || c == u',')
            return false;
    }
    return true;
}
} // namespace

QString withoutSymbol(const MainForm& f, const QString& text) {
    const QString& prefix = f.CurrencySymbol;
    if (safeSymbol(prefix) && text.startsWith(prefix))
        return text.mid(prefix.size());
    const QString symbol = values::currencySymbol();
    if (!safeSymbol(symbol))
        return text;
    QString t = text;
    if (t.startsWith(symbol)) {
        t.remove(0, symbol.size());
        while (!t.isEmpty() && t.front().isSpace())
            t.remove(0, 1);
    } else if (t.endsWith(symbol)) {
        t.chop(symbol.size());
        while (!t.isEmpty() && t.back().isSpace())
            t.chop(1);
    }
    return t;
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

void presentDiscount(MainForm& f, const QString& name) {
    const double v = strict(f, name);
    if (v >= 0) {
        f.model.setColour(name, colour::Credit);
    } else {
        f.model.setColour(name, colour::Normal);
        putNumber(f, name, v * -1);
    }
}

void presentTotal(MainForm& f, const QString& name) {
    const double v = strict(f, name);
    if (v >= 0) {
        f.model.setColour(name, colour::Normal);
    } else {
        f.model.setColour(name, colour::Credit);
        putNumber(f, name, v * -1);
    }
}

CostsBefore costChain(MainForm& f, const QString& suffix, double periods, bool cheapRate) {
    using values::checked;
    auto s = [&](const QString& name) { return strict(f, name); };
    auto field = [&](const char* name) { return QString::fromLatin1(name) + suffix; };
    const QString total = field("TVCost");
    CostsBefore before;

    putCurrency(f, field("NR1Cost"),
                checked(s(QStringLiteral("NormalR1")) * lead(f, field("R1Units"))));
    if (cheapRate)
        putCurrency(f, field("CRCost"), checked(s(field("CRUnits")) * s(QStringLiteral("CheapR"))));
    for (const char* name : {"TVCost", "TSCharge", "D1Cost", "D2Cost", "VCost"})
        f.setText(field(name), QStringLiteral("0"));
    if (cheapRate)
        f.setText(total, f.text(field("CRCost")));

    if (lead(f, QStringLiteral("SCharge")) != 0)
        putNumber(f, field("TSCharge"), checked(s(QStringLiteral("SCharge")) * periods));
    putNumber(f, total, checked(s(total) + s(field("TSCharge"))));
    putNumber(f, total, checked(checked(s(total) + s(field("NR1Cost"))) + s(field("NR2Cost"))));
    before.discount1 = currencyOf(s(total));

    if (lead(f, QStringLiteral("Disc1")) != 0) {
        const double disc1 = s(QStringLiteral("Disc1"));
        putNumber(f, field("D1Cost"),
                  f.ticked(QStringLiteral("Disc1P")) ? checked(s(total) * checked(disc1 / 100))
                                                     : checked(disc1 * periods));
    }
    // Taken whether or not there is a discount, so the cost before tax is always this one's.
    putNumber(f, total, checked(s(total) - s(field("D1Cost"))));
    before.tax = currencyOf(s(total));

    if (lead(f, QStringLiteral("VAT")) != 0) {
        putNumber(f, field("VCost"), checked(s(total) * checked(s(QStringLiteral("VAT")) / 100)));
        putNumber(f, total, checked(s(total) + s(field("VCost"))));
    }

    if (lead(f, QStringLiteral("Disc2")) != 0) {
        const double disc2 = s(QStringLiteral("Disc2"));
        putNumber(f, field("D2Cost"),
                  f.ticked(QStringLiteral("Disc2F")) ? disc2 : checked(disc2 * periods));
    }
    putNumber(f, total, checked(s(total) - s(field("D2Cost"))));
    return before;
}

} // namespace calc
