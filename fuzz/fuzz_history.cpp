// The history log readers: a calculation's record building, Get Last, Remove Last's line
// counting and the upgrade's conversion, on arbitrary file content.
#include "form/history.h"
#include "fuzzhost.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    withForm([&](MainForm& f) {
        writeFile(f.path("Log/Voltrake_H.log"), data, size);
        f.setText("Date2", "05/01/2012");
        BuildHistoryRecord(f);
        Get_Last_Click(f);
        Del_Last_Click(f);
    });
    withForm([&](MainForm& f) {
        writeFile(f.path("Log/Voltrake_H.log"), data, size);
        f.HistoryVersion = "3.0";
        UpgradeHistoryLog(f);
        QDir(f.path("Log")).removeRecursively();
        QDir(f.baseDir).mkdir("Log");
    });
    return 0;
}
