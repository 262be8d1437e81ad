// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "domain/bill.h"

#include <QList>
#include <QLocale>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// The checks of the tariff fields as pure functions over their texts: the messages they
// raise, in order, and the texts they leave in the fields. The window's check procedures
// replay the field writes listed here; the command-line tool uses the texts directly.
namespace records {

// The tariff fields by control name: CheapR, NormalR1, NormalR2, PRate, SCharge, Disc1, Disc2,
// VAT, CO2 and BPoint. A missing name is an empty field.
using FieldTexts = QMap<QString, QString>;

// One write to a field, with the progress mark the window shows while it is made.
struct FieldWrite {
    int mark = 0;
    QString name;
    QString text;
};

// A run-time error met part way, with the progress mark of the step. The writes listed before
// it were made.
struct CheckFault {
    int mark = 0;
    int number = 0;
    QString description;
};

// The break point check (BPoint against the DRate mode). With no message pending, the break
// point of the mode is put into its format and back into BPoint.
struct BreakPointResult {
    QStringList messages;
    std::optional<QString> breakPointUnits; // set when the per-period value was formatted
    std::optional<QString> breakPointPerDay;
    std::optional<QString> fieldText; // the new BPoint text
};
BreakPointResult checkBreakPoint(const QString& text, bool perDay, bool earlierMessages,
                                 const QLocale& locale = QLocale());

struct TariffCheckInput {
    FieldTexts text;
    QString breakPointUnits;
    QString breakPointPerDay;
    bool monthly = false;      // Period
    bool disc1Percent = false; // Disc1P
    bool perDay = false;       // DRate (only for the break point check of checkTariff)
    bool stripCurrency = false;
    bool addCurrency = false;
    // The symbol the window put in front of money fields last time; stripped first.
    QString currencySymbol;
    bool inhibit = false;         // -InhibitErrorCheck: messages are dropped, formatting goes on
    bool earlierMessages = false; // messages already pending from earlier checks
};

struct TariffCheckResult {
    QStringList messages; // as raised, before an inhibit drops them
    QList<FieldWrite> writes;
    FieldTexts text;                       // every field after the writes
    bool formatted = false;                // the fields were put into their formats
    std::optional<QString> currencySymbol; // set when currency was added
    std::optional<CheckFault> fault;
};

// The range checks of the tariff fields and their formatting (marks 131 to 135), without the
// break point check.
TariffCheckResult checkTariffFields(const TariffCheckInput& in, const QLocale& locale = QLocale());

// The break point check and then the tariff field checks, as Calculate runs them; the break
// point texts of the result are those the check leaves.
struct TariffCheck {
    BreakPointResult breakPoint;
    TariffCheckResult fields;
    QString breakPointUnits;
    QString breakPointPerDay;
    QStringList messages() const { return breakPoint.messages + fields.messages; }
};
TariffCheck checkTariff(TariffCheckInput in, const QLocale& locale = QLocale());

// A money text without its currency symbol: a leading `prefix`, or the locale's own symbol in
// front of or behind the amount. Never removes a digit or a sign.
QString withoutSymbol(const QString& text, const QString& prefix,
                      const QLocale& locale = QLocale());
// The same with the locale's symbol given, for many texts in a row.
QString withoutSymbol(const QString& text, const QString& prefix, const QString& symbol);

struct TariffModes {
    bool perDay = false;
    bool monthly = false;
    bool disc1Percent = false;
    bool disc2Fixed = false;
};

// The tariff written in checked field texts (an empty text is 0; money may carry the symbol).
// Empty when a text does not read as a number.
std::optional<domain::Tariff> tariffFromTexts(const FieldTexts& text, const TariffModes& modes,
                                              const QLocale& locale = QLocale());

} // namespace records
