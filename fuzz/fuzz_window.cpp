// The main window's typed inputs through the checks, the calculation, the prediction, the
// report and the history record, in a locale picked by the input, as Calculate runs them.
//
// Input: one byte for the locale, one for the switches, then one line per input field in the
// order below.
#include "domain/bill.h"
#include "fuzzinput.h"
#include "records/billformat.h"
#include "records/configformat.h"
#include "records/readingchecks.h"
#include "records/tariffchecks.h"
#include "text/errors.h"
#include "text/values.h"

#include <QDateTime>
#include <cstdint>

namespace {

const char* const locales[] = {"en_GB", "de_DE", "fr_FR", "en_US", "ja_JP",
                               "ar_EG", "hi_IN", "fa_IR", "de_CH", "C"};
const QStringList readingFields = {"Date1", "Date2", "NRead1", "NRead2", "CRead1", "CRead2"};
const QStringList tariffFields = {"BPoint", "CheapR", "NormalR1", "NormalR2", "SCharge",
                                  "Disc1",  "Disc2",  "VAT",      "CO2",      "PRate"};

void calculate(const TypedInput& input) {
    const QLocale& locale = input.locale;
    const uint8_t ticks = input.ticks;
    const billformat::Modes modes{bool(ticks & 2), bool(ticks & 1), bool(ticks & 4),
                                  bool(ticks & 8)};
    const bool inhibit = ticks & 0x80; // -InhibitErrorCheck
    auto line = [&input](qsizetype i) { return input.lines.value(i); };

    const records::Configuration shipped = records::readConfiguration(shippedIniLines(), locale);
    records::TariffCheckInput in = shipped.checkInput(locale);
    for (qsizetype i = 0; i < tariffFields.size() && 7 + i < input.lines.size(); ++i)
        in.text[tariffFields[i]] = line(7 + i);
    in.monthly = modes.monthly;
    in.disc1Percent = modes.disc1Percent;
    in.perDay = modes.perDay;
    in.inhibit = inhibit;
    const records::TariffCheck checked = records::checkTariff(in, locale);
    if (checked.fields.fault)
        return; // the window's fatal error dump
    records::FieldTexts text = checked.fields.text;
    if (checked.breakPoint.fieldText)
        text[QStringLiteral("BPoint")] = *checked.breakPoint.fieldText;

    records::ReadingTexts readings{line(0), line(1), line(2), line(3), line(4), line(5)};
    QStringList messages = checked.messages();
    messages << records::readingValueMessages(readings, inhibit, locale);
    if (!inhibit && !messages.isEmpty())
        return;
    const QString symbol = checked.fields.currencySymbol.value_or(in.currencySymbol);
    const records::RuleTariff rules{
        records::withoutSymbol(text.value(QStringLiteral("CheapR")), symbol),
        records::withoutSymbol(text.value(QStringLiteral("NormalR2")), symbol),
        text.value(QStringLiteral("BPoint")), text.value(QStringLiteral("PRate")), modes.monthly};
    const records::ReadingRulesOutcome r = records::readingRules(readings, rules, inhibit, locale);
    if (r.failure || (!inhibit && !r.messages.isEmpty()))
        return;
    if (r.date1) {
        readings.date1 = *r.date1;
        readings.date2 = *r.date2;
    }
    const QString typed[] = {readings.date1,   readings.date2,  readings.normal1,
                             readings.normal2, readings.cheap1, readings.cheap2};
    for (qsizetype i = 0; i < readingFields.size(); ++i)
        text[readingFields[i]] = typed[i];

    const auto inputs = billformat::inputsFromTexts(text, modes, locale);
    if (!inputs)
        return;
    const domain::Bill bill =
        domain::computeBill(inputs->tariff, inputs->readings, values::currencyDecimals(locale));
    (void)domain::computePrediction(bill, values::currencyDecimals(locale));
    const billformat::BillTexts texts = billformat::billTexts(bill, line(6), locale);
    const QDateTime moment(QDate(2026, 12, 5), QTime(4, 40, 50));
    if (billformat::resultsReport(texts, moment, locale).isEmpty())
        __builtin_trap();
    (void)billformat::historyLine(texts, locale);
    (void)billformat::startLine(texts, locale);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TypedInput input;
    if (!typedInput(data, size, locales, input))
        return 0;
    // Some formatting follows the default locale, as in the program.
    QLocale::setDefault(input.locale);
    try {
        calculate(input);
        // A change of the period switch and a second Calculate, as a user's would.
        input.ticks ^= 1;
        calculate(input);
    } catch (const RuntimeError&) {
        // What the window reports through its fatal error dump (StepError included).
    }
    QLocale::setDefault(QLocale::c());
    return 0;
}
