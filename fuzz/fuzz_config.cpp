// The configuration reader on arbitrary file content.
#include "fuzzinput.h"
#include "records/configformat.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QLocale locale("en_GB");
    const QStringList lines = files::splitLines(files::decode(bytesOf(data, size).toByteArray()));
    const records::Configuration c = records::readConfiguration(lines, locale);
    if (c.ok())
        (void)c.tariff(locale);
    return 0;
}
