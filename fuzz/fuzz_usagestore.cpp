// SPDX-License-Identifier: GPL-3.0-or-later
// Files of any bytes imported one after another into one store: each is kept whole or not at
// all, and the store never holds two slots of one meter and direction that overlap.
//
// Input: one byte of options (direction, whether a meter id is given, the zone), then up to
// three files separated by lines "--".
#include "fuzzinput.h"
#include "records/usagestore.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>

using namespace records::usage;

namespace {

[[noreturn]] void fail(const char* what) {
    fprintf(stderr, "%s\n", what);
    __builtin_trap();
}

struct Snapshot {
    QList<Series> series;
    QList<QList<domain::Slot>> lists;
    bool operator==(const Snapshot& o) const {
        if (series.size() != o.series.size() || lists != o.lists)
            return false;
        for (qsizetype i = 0; i < series.size(); ++i)
            if (series[i].meter != o.series[i].meter ||
                series[i].direction != o.series[i].direction)
                return false;
        return true;
    }
};

Snapshot snapshot(const Store& store) {
    Snapshot s;
    s.series = store.series();
    for (const Series& series : s.series) {
        const auto list =
            store.slotsOf(series.meter, series.direction, std::numeric_limits<qint64>::min(),
                          std::numeric_limits<qint64>::max());
        for (qsizetype i = 0; i < list.size(); ++i) {
            const domain::Slot& slot = list[i];
            if (slot.seconds <= 0 || slot.seconds > 3600 || !std::isfinite(slot.kwh))
                fail("a slot the store should not have kept");
            if (i > 0 && list[i - 1].end() > slot.start)
                fail("two slots of one meter and direction overlap");
        }
        s.lists.append(list);
    }
    return s;
}

Store& store() {
    // tmpfs when there is one: the store syncs every commit.
    static QTemporaryDir dir(QFileInfo::exists(QStringLiteral("/dev/shm"))
                                 ? QStringLiteral("/dev/shm/fuzz_usagestore-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/fuzz_usagestore-XXXXXX"));
    static std::unique_ptr<Store> opened = [] {
        auto s = Store::open(dir.filePath(QStringLiteral("usage.sqlite")), true);
        if (!std::holds_alternative<std::unique_ptr<Store>>(s))
            fail("no store");
        return std::move(std::get<std::unique_ptr<Store>>(s));
    }();
    return *opened;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    ReadOptions options;
    options.direction = data[0] & 1 ? domain::Direction::Export : domain::Direction::Import;
    if (data[0] & 2)
        options.meter = QStringLiteral("1200012345678");
    static const char* const zones[] = {"Europe/London", "Europe/Brussels", "UTC",
                                        "America/Santiago"};
    if (data[0] & 4)
        options.zone = QTimeZone(zones[(data[0] >> 3) & 3]);

    Store& s = store();
    s.forgetAll();
    QByteArrayView rest = bytesOf(data + 1, size - 1);
    for (int file = 0; file < 3 && !rest.isEmpty(); ++file) {
        const auto [bytes, tail] = splitAt(rest, "\n--\n");
        rest = tail;
        const Snapshot before = snapshot(s);
        QBuffer in;
        in.setData(bytes.toByteArray());
        in.open(QIODevice::ReadOnly);
        const ImportOutcome o = s.importFile(in, QStringLiteral("fuzz"), options);
        if (!o.failure.isEmpty())
            fail(qPrintable(o.failure));
        const Snapshot after = snapshot(s);
        if (o.refused && !(after == before))
            fail("a refused file changed the store");
        if (o.refused && o.added + o.unchanged + o.replaced != 0)
            fail("a refused file counted slots");
    }
    return 0;
}
