// SPDX-License-Identifier: GPL-3.0-or-later
// A tariff file of any bytes, with a price series of any bytes under every name it gives, is
// refused with a reason, or read as periods in date order whose bands all have a price; a
// series is read sorted and without overlaps; and a few slots priced under the tariff give
// pieces whose days and pence add up to the bill's, or a refusal with its reason.
//
// Input: the tariff JSON, then after a line "--" the series file (JSON when it starts with
// "{", else CSV), then after another "--" the slots: four bytes each (half-hours after the
// first period's start, the slot's length, kWh, import or export), and first one byte for the
// range's length in days.
#include "domain/tou.h"
#include "fuzzinput.h"
#include "records/tariffread.h"

#include <QBuffer>
#include <cmath>
#include <cstdio>

namespace {

[[noreturn]] void fail(const char* what, QByteArrayView input) {
    fprintf(stderr, "%s\n%.*s\n", what, int(input.size()), input.data());
    __builtin_trap();
}

std::variant<domain::PriceSeries, records::tariff::ReadFault> series(QByteArrayView bytes) {
    if (bytes.startsWith("{"))
        return records::tariff::parseSeriesJson(bytes);
    QByteArray copy = bytes.toByteArray();
    QBuffer in(&copy);
    in.open(QIODevice::ReadOnly);
    return records::tariff::parseSeriesCsv(in);
}

void checkSeries(const domain::PriceSeries& s, QByteArrayView input) {
    if (s.prices.isEmpty())
        fail("a series without prices", input);
    for (qsizetype i = 0; i < s.prices.size(); ++i) {
        const domain::SeriesPrice& p = s.prices[i];
        if (p.end && *p.end <= p.start)
            fail("a price that ends before it starts", input);
        if (i > 0 && (!s.prices[i - 1].end || *s.prices[i - 1].end > p.start))
            fail("series prices out of order or overlapping", input);
    }
}

qint64 pence(double amount) {
    return std::llround(amount * 100);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView all = bytesOf(data, size);
    const auto [json, rest] = splitAt(all, "\n--\n");
    const auto split = splitAt(rest, "\n--\n");
    const QByteArrayView seriesBytes = split.first, slotBytes = split.second;

    const auto read = series(seriesBytes);
    if (const auto* fault = std::get_if<records::tariff::ReadFault>(&read)) {
        if (fault->reason.isEmpty())
            fail("series refused without a reason", seriesBytes);
    } else {
        checkSeries(std::get<domain::PriceSeries>(read), seriesBytes);
    }

    const auto parsed = records::tariff::parseTariff(
        json, QStringLiteral("fuzz.json"),
        [&](const QString&) -> std::variant<domain::PriceSeries, QString> {
            if (const auto* fault = std::get_if<records::tariff::ReadFault>(&read))
                return fault->text();
            return std::get<domain::PriceSeries>(read);
        });
    if (const auto* fault = std::get_if<records::tariff::ReadFault>(&parsed)) {
        if (fault->reason.isEmpty())
            fail("tariff refused without a reason", json);
        return 0;
    }
    const auto& tariff = std::get<domain::TouTariff>(parsed);
    if (tariff.periods.isEmpty() || !tariff.zone.isValid())
        fail("a tariff without periods or zone", json);
    for (qsizetype i = 0; i < tariff.periods.size(); ++i) {
        const domain::TouPeriod& p = tariff.periods[i];
        if (i > 0 && !(tariff.periods[i - 1].from < p.from))
            fail("periods out of date order", json);
        if (p.bands.isEmpty())
            fail("a period without bands", json);
        for (const domain::Band& b : p.bands)
            if (b.price.has_value() == (b.series >= 0) || b.series >= tariff.series.size())
                fail("a band without exactly one price", json);
    }

    // A few slots from the first period's start, over a few local days.
    if (slotBytes.isEmpty())
        return 0;
    const QDate from = tariff.periods.first().from;
    const QDate to = from.addDays(1 + quint8(slotBytes[0]) % 10);
    const qint64 start = from.startOfDay(tariff.zone).toSecsSinceEpoch();
    QList<domain::Slot> imports, exports;
    for (qsizetype i = 1; i + 4 <= slotBytes.size() && i < 1 + 4 * 64; i += 4) {
        const auto b = [&](int k) { return quint8(slotBytes[i + k]); };
        const int seconds = (b(1) % 3 == 0) ? 900 : (b(1) % 3 == 1 ? 1800 : 3600);
        const domain::Slot s{start + qint64(b(0)) * 1800, seconds, b(2) / 16.0, false};
        (b(3) % 2 ? exports : imports).append(s);
    }
    const auto priced = domain::priceSlots(tariff, imports, exports, from, to);
    if (const auto* refusal = std::get_if<domain::TouRefusal>(&priced)) {
        if (refusal->reason.isEmpty())
            fail("pricing refused without a reason", all);
        return 0;
    }
    const auto& bill = std::get<domain::TouBill>(priced);
    qint64 days = 0, sum = 0;
    for (const domain::TouPiece& p : bill.pieces) {
        days += p.days;
        sum += pence(p.cost);
    }
    if (days != from.daysTo(to) || sum != pence(bill.total))
        fail("pieces that do not add up to the bill", all);
    if (bill.months.isEmpty() || !std::isfinite(bill.total))
        fail("a bill without months or total", all);
    return 0;
}
