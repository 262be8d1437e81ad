// The start-up with an arbitrary history log: the scan for its version line and, when that
// names an older version, the upgrade.
#include "form/startup.h"
#include "fuzzhost.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    withForm([&](MainForm& f) {
        const QByteArray ini = shippedIni();
        writeFile(f.path("Data/Voltrake.ini"), reinterpret_cast<const uint8_t*>(ini.data()),
                  size_t(ini.size()));
        writeFile(f.path("Log/Voltrake_H.log"), data, size);
        Form_Load(f);
    });
    // Upgrades leave copies behind; every run starts from an empty Log directory.
    QDir(fuzzDir() + "/Log").removeRecursively();
    QDir(fuzzDir()).mkdir("Log");
    return 0;
}
