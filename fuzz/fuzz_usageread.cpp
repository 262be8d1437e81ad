// SPDX-License-Identifier: GPL-3.0-or-later
// The interval-data readers on arbitrary bytes: a file is refused with a reason, or every slot
// it yields is 15, 30 or 60 minutes of a finite kWh from a line of the file, in order.
//
// Input: one byte whose low three bits pick a format's header put before the rest (7: none,
// the bytes go in as they are) and whose next two bits pick --tz; one byte after how many
// slots the sink stops (0: never); then the file.
#include "fuzzinput.h"
#include "records/usageread.h"

#include <QBuffer>
#include <cmath>
#include <cstdio>

namespace {

[[noreturn]] void fail(const char* what, const QByteArray& file) {
    fprintf(stderr, "%s\n%.*s\n", what, int(file.size()), file.constData());
    __builtin_trap();
}

const char* const Headers[] = {
    "Consumption (kwh), Estimated Cost Inc. Tax (p), Start, End\n",
    "{\"count\":2,\"results\":[",
    "start,end,kwh,direction,estimated\n",
    "MPRN,Meter Serial Number,Read Value,Read Type,Read Date and End Time\n",
    "\xEF\xBB\xBFVan datum;Van tijdstip;Tot datum;Tot tijdstip;EAN;Meter;Metertype;Register;"
    "Volume;Eenheid;Validatiestatus\n",
    "CUPS;Fecha;Hora;Consumo_kWh;Metodo_obtencion\n",
    "Hour Start,Electricity 1 (Dutch Users: Low Tariff),Electricity 2 (Dutch Users: Normal "
    "Tariff),Electricity 1 Returned (Dutch Users: Low Tariff),Electricity 2 Returned (Dutch "
    "Users: Normal Tariff),Gas\n",
};
const char* const Zones[] = {nullptr, "Europe/London", "Europe/Brussels", "UTC"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const int pick = data[0] & 7;
    QByteArray file = pick < 7 ? QByteArray(Headers[pick]) : QByteArray();
    file += bytesOf(data + 2, size - 2);
    const int stopAfter = data[1];
    records::usage::ReadOptions options;
    if (const char* zone = Zones[(data[0] >> 3) & 3])
        options.zone = QTimeZone(zone);

    QByteArray copy = file;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    const qsizetype lines = file.count('\n') + 1;
    // A JSON result's "line" is its place in the results.
    const bool json = records::usage::detectFormat(file) == records::usage::Format::OctopusJson;
    int given = 0;
    const auto result =
        records::usage::readUsage(buffer, options, [&](const records::usage::ReadSlot& s) {
            const int seconds = s.slot.seconds;
            if (seconds != 900 && seconds != 1800 && seconds != 3600)
                fail("a slot of another length", file);
            if (!std::isfinite(s.slot.kwh))
                fail("a kWh that is not finite", file);
            if (s.line < 1 || (s.line > lines && !json))
                fail("a slot from no line of the file", file);
            return stopAfter == 0 || ++given < stopAfter;
        });
    if (result.error) {
        if (result.error->reason.isEmpty() || result.error->line < 0 ||
            result.error->line > lines || result.cancelled)
            fail("refused without a reason or a line", file);
    } else if (!result.format) {
        fail("read without a format", file);
    } else if (result.cancelled != (stopAfter != 0 && given >= stopAfter)) {
        fail("stopped without being asked, or went on", file);
    }
    return 0;
}
