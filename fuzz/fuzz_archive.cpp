// The archive's look for reports in a results log of arbitrary content.
#include "fuzzinput.h"
#include "records/logscan.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes = bytesOf(data, size);
    // A report found in part of the log is found in all of it.
    if (records::holdsReports(bytes.first(bytes.size() / 2)) && !records::holdsReports(bytes))
        __builtin_trap();
    return 0;
}
