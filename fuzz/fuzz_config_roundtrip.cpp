// What Save Data writes from arbitrary typed tariff fields must read back as Reset Data reads
// it, and writing that again must give the same file: no setting is lost or changed on the way.
//
// Input: one byte for the locale, one for the switches, then one line per field in the order
// below.
#include "fuzzinput.h"
#include "records/configformat.h"
#include "records/tariffchecks.h"
#include "text/values.h"

#include <QDateTime>
#include <cstdint>
#include <cstdio>

namespace {

const char* const locales[] = {"en_GB", "de_DE", "fr_FR", "en_US", "ja_JP", "de_CH", "C"};
const QStringList fields = {"BPoint", "CheapR", "NormalR1", "NormalR2", "SCharge",
                            "Disc1",  "Disc2",  "VAT",      "CO2",      "PRate"};

records::ConfigFileInput fileInput(const records::FieldTexts& text, const QString& units,
                                   const QString& perDay, uint8_t ticks) {
    records::ConfigFileInput in;
    in.text = text;
    in.text.remove(QStringLiteral("BPoint"));
    in.breakPointUnits = units;
    in.breakPointPerDay = perDay;
    in.monthly = ticks & 1;
    in.perDay = ticks & 2;
    in.disc1Percent = ticks & 4;
    in.disc2Fixed = ticks & 8;
    in.autoSave = ticks & 16;
    in.onTop = ticks & 32;
    in.updates = ticks & 64;
    in.moment = QDateTime(QDate(2026, 12, 5), QTime(4, 40, 50));
    return in;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TypedInput input;
    if (!typedInput(data, size, locales, input))
        return 0;
    const QLocale& locale = input.locale;
    const uint8_t ticks = input.ticks;
    const records::Configuration shipped = records::readConfiguration(shippedIniLines(), locale);

    // Save Data: the break point, then the tariff checks with the currency symbol taken away.
    records::TariffCheckInput in;
    in.text = shipped.text;
    for (qsizetype i = 0; i < fields.size() && i < input.lines.size(); ++i)
        in.text[fields[i]] = input.lines[i];
    in.breakPointUnits = shipped.settings.breakPointUnits;
    in.breakPointPerDay = shipped.settings.breakPointPerDay;
    in.monthly = ticks & 1;
    in.perDay = ticks & 2;
    in.disc1Percent = ticks & 4;
    in.stripCurrency = true;
    in.currencySymbol = values::currencyPrefix(locale);
    in.inhibit = ticks & 0x80; // -InhibitErrorCheck: out-of-range values are saved as typed
    const records::TariffCheck saved = records::checkTariff(in, locale);
    if (!saved.messages().isEmpty() || saved.fields.fault || !saved.fields.formatted)
        return 0;
    const QString file = records::configurationFileText(
        fileInput(saved.fields.text, saved.breakPointUnits, saved.breakPointPerDay, ticks), locale);

    // Reset Data, and Save Data again from what it shows.
    const records::Configuration back = records::readConfiguration(files::splitLines(file), locale);
    if (in.inhibit)
        return 0; // refused on reading by design: the checks are not inhibited there
    if (!back.ok()) {
        fprintf(stderr, "refused: %s\n%s\n", qPrintable(back.messages.join('\n')),
                qPrintable(file));
        __builtin_trap();
    }
    records::FieldTexts shown;
    for (auto it = back.text.cbegin(); it != back.text.cend(); ++it)
        shown[it.key()] = records::withoutSymbol(it.value(), in.currencySymbol, locale);
    const uint8_t backTicks = (back.modes.monthly ? 1 : 0) | (back.modes.perDay ? 2 : 0) |
                              (back.modes.disc1Percent ? 4 : 0) | (back.modes.disc2Fixed ? 8 : 0) |
                              (back.autoSave ? 16 : 0) | (back.onTop ? 32 : 0) |
                              (back.updates ? 64 : 0);
    const QString again = records::configurationFileText(
        fileInput(shown, back.settings.breakPointUnits, back.settings.breakPointPerDay, backTicks),
        locale);
    if (again != file) {
        fprintf(stderr, "saved:\n%s\nsaved again:\n%s\n", qPrintable(file), qPrintable(again));
        __builtin_trap();
    }
    return 0;
}
