// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/readingchecks.h"

#include "text/values.h"

#include <QDate>

#include <cmath>

using namespace Qt::StringLiterals;

namespace records {

namespace {

bool within(double v, double low, double high) {
    return v >= low && v <= high;
}

// A meter reading must be a number that both rules read alike (not 12abc, not 1,000): the
// rules between readings use one, the calculation the other.
bool readingInRange(const QString& text, double low, double high, bool zeroAllowed,
                    const QLocale& locale) {
    if (zeroAllowed && text.isEmpty())
        return true;
    if (!values::readsAsNumber(text, locale))
        return false;
    const double v = values::leadingValue(text, locale);
    return v == values::strictValue(text, locale) &&
           (zeroAllowed ? (v == 0 || within(v, low, high)) : within(v, low, high));
}

QDate dateOf(const QString& text, const QLocale& locale) {
    const auto date = values::readDate(text, locale);
    if (!date)
        throw RuntimeError(errnum::TypeMismatch, u"Type mismatch"_s);
    return *date;
}

// Date plus whole calendar months; out of the calendar's range is an invalid call.
QDate plusMonths(const QDate& date, double months) {
    const RuntimeError invalid(5, u"Invalid procedure call or argument"_s);
    if (!std::isfinite(months) || std::abs(months) > 120000)
        throw invalid;
    const QDate result = values::addMonths(date, int(std::lround(months)));
    if (!result.isValid() || result.year() < 100 || result.year() > 9999)
        throw invalid;
    return result;
}

} // namespace

QStringList readingValueMessages(const ReadingTexts& t, bool inhibit, const QLocale& locale) {
    QStringList out;
    if (inhibit)
        return out;
    auto check = [&](bool accepted, const QString& message) {
        if (!accepted)
            out << message;
    };
    if (t.date1.isEmpty() && t.date2.isEmpty() && t.normal1.isEmpty() && t.normal2.isEmpty() &&
        t.cheap1.isEmpty() && t.cheap2.isEmpty()) {
        out << u"No Meter Readings To Calculate"_s;
        return out;
    }
    check(values::readsAsDate(t.date1, locale), u"Date 1 must be a valid date"_s);
    check(values::readsAsDate(t.date2, locale), u"Date 2 must be a valid date"_s);
    check(readingInRange(t.normal1, 1, 999900, false, locale),
          u"Normal Rate Reading 1 must be between 1 and 999900"_s);
    check(readingInRange(t.normal2, 11, 999999, false, locale),
          u"Normal Rate Reading 2 must be between 11 and 999999"_s);
    check(readingInRange(t.cheap1, 1, 999900, true, locale),
          u"Cheap Rate Reading 1 must be either 0 or between 1 and 999900"_s);
    check(readingInRange(t.cheap2, 11, 999999, true, locale),
          u"Cheap Rate Reading 2 must be either 0 or between 11 and 999999"_s);
    return out;
}

ReadingRulesOutcome readingRules(const ReadingTexts& t, const RuleTariff& tariff, bool inhibit,
                                 const QLocale& locale) {
    ReadingRulesOutcome r;
    auto complain = [&](const QString& message) { r.messages << message; };
    auto lead = [&](const QString& text) { return values::leadingValue(text, locale); };
    try {
        r.mark = 111;
        const QDate first = dateOf(t.date1, locale);
        const QDate second = dateOf(t.date2, locale);
        const QDate earliest(2000, 1, 1);
        const QDate earliestSecond(2000, 3, 31);
        const QDate latest(2099, 12, 31);
        const QString dateRange = u" must be between 1st Jan 2000 and 31st Dec 2099 than Date 1"_s;
        if (first < earliest || first > latest)
            complain(u"Date 1"_s + dateRange);
        if (second < earliestSecond || second > latest)
            complain(u"Date 2"_s + dateRange);
        if (values::daysBetween(first, second) < 3)
            complain(u"Date 2 must be at least 3 days later than Date 1"_s);
        r.messagesBeforeDates = r.messages.size();
        r.date1 = values::shortDate(first, locale);
        r.date2 = values::shortDate(second, locale);

        r.mark = 112;
        if (lead(t.normal2) - lead(t.normal1) < 10)
            complain(
                u"Normal Rate Reading 2 must be at least 10 greater than Normal Rate Reading 1"_s);
        const double cheap1 = lead(t.cheap1);
        const double cheap2 = lead(t.cheap2);
        if (cheap1 != 0 && cheap2 != 0 && cheap2 - cheap1 < 10)
            complain(
                u"Cheap Rate Reading 2 must be at least 10 greater than Cheap Rate Reading 1"_s);

        r.mark = 113;
        const double cheapRate = lead(tariff.cheapRate);
        const bool cheapReadings = cheap1 != 0 || cheap2 != 0;
        if (cheapRate == 0 && cheapReadings)
            complain(u"Cheap Rate Meter Readings must be 0 if Cheap Rate Cost = 0"_s);
        if (cheapRate != 0 && cheapReadings) {
            if (cheap1 == 0)
                complain(
                    u"Cheap Rate Reading 1 can not be zero if Cheap Rate Reading 2 is not 0"_s);
            if (cheap2 == 0)
                complain(
                    u"Cheap Rate Reading 2 can not be zero if Cheap Rate Reading 1 is not 0"_s);
        }

        r.mark = 114;
        const double rate2 = lead(tariff.normalRate2);
        const double breakPoint = lead(tariff.breakPoint);
        if (rate2 != 0 && breakPoint == 0)
            complain(
                u"The Normal Rate 1 to Normal Rate 2 Breakpoint must be set if Normal Rate 2 is set"_s);
        if (breakPoint != 0 && rate2 == 0)
            complain(
                u"Normal Rate 2 must be set if the Normal Rate 1 to Normal Rate 2 Breakpoint is set"_s);

        r.mark = 115;
        if (lead(tariff.predictionPeriods) != 0) {
            const double months =
                values::strictValue(tariff.predictionPeriods, locale) * (tariff.monthly ? 1 : 3);
            const QDate end = plusMonths(first, values::checked(months));
            if (values::daysBetween(end, second) > 0)
                complain(
                    u"Date 1 plus number months to predict forward must be greater than or equal to Date 2"_s);
        }

        r.mark = 116;
        if (inhibit) {
            r.messages.clear();
            r.messagesBeforeDates = 0;
        }
    } catch (const RuntimeError& e) {
        r.failure = e;
    }
    return r;
}

} // namespace records
