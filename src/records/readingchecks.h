// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/errors.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

// The checks Calculate makes on the meter readings, as functions of the field texts: the
// window and the command-line tool refuse the same inputs with the same messages.
namespace records {

// The reading fields as typed: Date1, Date2, NRead1, NRead2, CRead1, CRead2.
struct ReadingTexts {
    QString date1;
    QString date2;
    QString normal1;
    QString normal2;
    QString cheap1;
    QString cheap2;
};

// The tariff texts the rules between readings look at, as the tariff checks leave them.
// The two rates are read without their currency symbol.
struct RuleTariff {
    QString cheapRate;         // CheapR
    QString normalRate2;       // NormalR2
    QString breakPoint;        // BPoint
    QString predictionPeriods; // PRate
    bool monthly = false;      // Period
};

// Dates that read and readings inside their ranges, in the window's order. With the checks
// inhibited there are none.
QStringList readingValueMessages(const ReadingTexts& texts, bool inhibit,
                                 const QLocale& locale = QLocale());

struct ReadingRulesOutcome {
    QStringList messages;
    // The dates in the short date form; the window writes them back after the first
    // `messagesBeforeDates` messages. Absent when a date did not read.
    std::optional<QString> date1;
    std::optional<QString> date2;
    qsizetype messagesBeforeDates = 0;
    // The progress mark reached (116 when done) and, when a step could not go on, its error.
    int mark = 111;
    std::optional<RuntimeError> failure;
};

// The rules between the readings: date range and order, readings going up, cheap readings
// only with a cheap rate, break point and Normal Rate 2 together, the prediction reaching
// Date 2. Meant for texts that passed readingValueMessages.
ReadingRulesOutcome readingRules(const ReadingTexts& texts, const RuleTariff& tariff, bool inhibit,
                                 const QLocale& locale = QLocale());

} // namespace records
