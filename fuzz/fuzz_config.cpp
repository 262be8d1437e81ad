// The configuration reader on arbitrary file content.
#include "form/config.h"
#include "fuzzhost.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    withForm([&](MainForm& f) {
        writeFile(f.path("Data/Voltrake.ini"), data, size);
        ReadConfiguration(f);
    });
    return 0;
}
