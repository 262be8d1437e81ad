// Number and date reading in the locales users run with.
#include "text/errors.h"
#include "text/values.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QLocale locales[] = {QLocale("en_GB"), QLocale("en_US"), QLocale("de_DE")};
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QLocale& l : locales) {
        const double lead = values::leadingValue(text, l);
        (void)values::plainNumber(lead, l);
        (void)values::fixed(lead, values::Fixed::Six, l);
        if (values::readsAsNumber(text, l)) {
            const double v = values::strictValue(text, l);
            const QString shown = values::currency(v, l);
            if (!values::readsAsNumber(shown, l))
                __builtin_trap(); // every formatted amount must read back
        }
        if (const auto d = values::readDate(text, l)) {
            if (values::readDate(values::shortDate(*d, l), l) != d)
                __builtin_trap(); // every date the program writes reads back the same
        }
    }
    return 0;
}
