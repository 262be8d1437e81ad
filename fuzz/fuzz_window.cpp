// The main window's typed inputs through the checks, the calculation, the prediction, the
// report and the history record, in a locale picked by the input.
//
// Input: one byte for the locale, one for the switches, then one line per input field in the
// order below. A second Calculate follows a change of the last switch, as a user's would.
#include "form/config.h"
#include "form/presentation.h"
#include "fuzzhost.h"

#include <QLocale>
#include <cstdint>

namespace {

const char* const locales[] = {"en_GB", "de_DE", "fr_FR", "en_US", "ja_JP",
                               "ar_EG", "hi_IN", "fa_IR", "de_CH", "C"};
const QStringList inputs = {"Date1", "Date2",  "NRead1", "NRead2",   "CRead1",   "CRead2",
                            "Notes", "BPoint", "CheapR", "NormalR1", "NormalR2", "SCharge",
                            "Disc1", "Disc2",  "VAT",    "CO2",      "PRate"};
const QStringList switches = {"Period", "DRate", "Disc1P", "Disc2F", "NoHistory", "AutoSave"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const QLocale locale(QString::fromLatin1(locales[data[0] % std::size(locales)]));
    QLocale::setDefault(locale);
    const uint8_t ticks = data[1];
    const QStringList lines =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2)).split('\n');
    withForm([&](MainForm& f) {
        const QByteArray ini = shippedIni();
        writeFile(f.path("Data/Voltrake.ini"), reinterpret_cast<const uint8_t*>(ini.data()),
                  size_t(ini.size()));
        ReadConfiguration(f);
        SetTaxWording(f);
        f.RunMode = ticks & 0x80 ? 1 : 0; // -InhibitErrorCheck
        for (qsizetype i = 0; i < switches.size(); ++i)
            f.userSetChecked(switches[i], ticks & (1 << i));
        for (qsizetype i = 0; i < inputs.size() && i < lines.size(); ++i)
            f.userSetText(inputs[i], lines[i]);
        f.buttonClicked("Calc");
        f.userSetChecked("Period", !(ticks & 1));
        f.buttonClicked("Calc");
        f.buttonClicked("Calc");
    });
    QLocale::setDefault(QLocale::c());
    QDir(fuzzDir() + "/Log").removeRecursively();
    QDir(fuzzDir()).mkdir("Log");
    return 0;
}
