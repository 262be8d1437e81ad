// The start-up with an arbitrary history log: the scan for its version line and, when that
// names an older version, the upgrade's conversion of the records.
#include "fuzzinput.h"
#include "records/historyperiods.h"
#include "records/logformat.h"
#include "records/logscan.h"
#include "text/programversion.h"
#include "text/values.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QLocale locale("en_GB");
    static const QString headers = records::historyColumnHeaders(QStringLiteral("VAT")) + "\r\n";
    const QByteArrayView bytes = bytesOf(data, size);
    const std::optional<QString> version = records::historyLogVersion(bytes);
    if (!version)
        return 0;
    const double old = values::leadingValue(*version, locale);
    if (!(old > 2.9 && old != values::leadingValue(versionText(), locale)))
        return 0;
    const QString upgraded =
        records::upgradedRecords(files::decode(bytes.toByteArray()), headers, locale);
    // The upgraded log is read as any other.
    (void)records::parseHistory(files::encode(upgraded), locale);
    return 0;
}
