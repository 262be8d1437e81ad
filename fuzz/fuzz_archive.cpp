// The archive's look for reports in a results log of arbitrary content.
#include "form/archive.h"
#include "fuzzhost.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    withForm([&](MainForm& f) {
        QDir(f.path("Log")).removeRecursively();
        QDir(f.baseDir).mkdir("Log");
        writeFile(f.path("Log/Voltrake.log"), data, size);
        Archive_Click(f);
    });
    return 0;
}
