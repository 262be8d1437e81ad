// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "domain/bill.h"

#include <QDateTime>
#include <QLocale>
#include <QMap>
#include <QString>
#include <optional>

// The texts of a computed bill: what the main window shows after Calculate, the results
// report and the history-log lines. Shared by the window and the command-line tool.
namespace billformat {

struct BillTexts {
    // Every input and result field by control name, as shown; a field the bill leaves
    // empty is an empty text.
    QMap<QString, QString> text;
    // Result fields shown in the credit colour. The discount boxes start in it, so a
    // prediction not made leaves them there.
    QMap<QString, bool> credit;
    QString costBeforeDiscount1;
    QString costBeforeTax;
    QString predictedCostBeforeDiscount1; // empty without a prediction
    QString predictedCostBeforeTax;
    float periodCount = 0;
    bool perDay = false;       // DRate
    bool monthly = false;      // Period
    bool disc1Percent = false; // Disc1P
    bool disc2Fixed = false;   // Disc2F
    QString taxWord;           // "VAT" or "Tax"

    QString t(const char* name) const { return text.value(QLatin1String(name)); }
};

// The switches of the window that the field texts do not carry.
struct Modes {
    bool perDay = false;
    bool monthly = false;
    bool disc1Percent = false;
    bool disc2Fixed = false;
};

struct BillInputs {
    domain::Tariff tariff;
    domain::MeterReadings readings;
};

// The inputs written in the texts the input checks leave in the fields (an empty text is 0 or
// a blank reading; money may carry the currency symbol). Empty when a text does not read.
std::optional<BillInputs> inputsFromTexts(const QMap<QString, QString>& text, const Modes& modes,
                                          const QLocale& locale = QLocale());

BillTexts billTexts(const domain::Bill& bill, const QString& notes,
                    const QLocale& locale = QLocale());

// The results report of one calculation; its first line is the moment it was made.
QString resultsReport(const BillTexts& b, const QDateTime& moment,
                      const QLocale& locale = QLocale());

// The history-log data line of the bill, and the start record written before the first one.
QString historyLine(const BillTexts& b, const QLocale& locale = QLocale());
QString startLine(const BillTexts& b, const QLocale& locale = QLocale());

} // namespace billformat
