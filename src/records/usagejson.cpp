// SPDX-License-Identifier: GPL-3.0-or-later
// The supplier's API consumption JSON: {"count":..,"results":[{"consumption":..,
// "interval_start":..,"interval_end":..}]}, usually newest first. JSON has no rows to stream,
// so the file is read whole, within a bound.
#include "records/usageparse.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace records::usage::detail {

namespace {

constexpr qint64 MaxJson = 256LL * 1024 * 1024;

} // namespace

void readOctopusJson(QIODevice& in, const ReadOptions& options, SlotOutput& output,
                     ReadResult& result) {
    auto fail = [&](qsizetype line, const QString& column, const QString& reason) {
        result.error = ReadError{line, column, reason};
    };
    if (!in.isSequential() && in.size() > MaxJson)
        return fail(0, {}, u"a JSON file of more than 256 MiB is not read"_s);
    // In pieces: a read of the whole bound at once would take 256 MiB for any file.
    QByteArray bytes;
    for (;;) {
        const QByteArray piece = in.read(1 << 20);
        if (piece.isEmpty())
            break;
        bytes += piece;
        if (bytes.size() > MaxJson)
            return fail(0, {}, u"a JSON file of more than 256 MiB is not read"_s);
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        const qsizetype at = std::clamp<qsizetype>(parseError.offset, 0, bytes.size());
        return fail(bytes.first(at).count('\n') + 1, {},
                    u"not JSON: "_s + parseError.errorString());
    }
    const QJsonValue results = doc.object().value(u"results");
    if (!results.isArray())
        return fail(0, {}, u"the JSON has no \"results\" list"_s);

    LocalClock clock(result.zone);
    // A JSON document has no rows: a slot's "line" is its place in the results, from 1.
    LineReader none(in);
    Context ctx{none, options, output, result};
    const QJsonArray list = results.toArray();
    for (qsizetype i = 0; i < list.size() && !output.stopped(); ++i) {
        const QJsonObject item = list.at(i).toObject();
        const QString where = u"results["_s + QString::number(i) + u"]."_s;
        Row row;
        row.out.meter = options.meter;
        row.out.direction = options.direction;
        row.out.line = i + 1;
        const QJsonValue kwh = item.value(u"consumption");
        if (kwh.isDouble()) {
            row.out.slot.kwh = kwh.toDouble();
        } else if (kwh.isNull() || kwh.isUndefined()) {
            row.hasValue = false;
        } else {
            const auto v = parseNumber(kwh.toString().toUtf8(), '.');
            if (!kwh.isString() || !v)
                return fail(0, where + u"consumption"_s, u"not a number"_s);
            row.out.slot.kwh = *v;
        }
        IsoTime times[2];
        const QLatin1String keys[2] = {QLatin1String("interval_start"),
                                       QLatin1String("interval_end")};
        for (int k = 0; k < 2; ++k) {
            const QString text = item.value(keys[k]).toString();
            const auto t = parseIso(text.toUtf8());
            if (!t)
                return fail(0, where + keys[k], u'"' + text + u"\" is not an ISO 8601 time"_s);
            times[k] = *t;
        }
        const auto seconds = slotLength(clock, times[0], times[1]);
        if (!seconds)
            return fail(0, where + u"interval_end"_s,
                        u"the slot is not 15, 30 or 60 minutes long"_s);
        row.out.slot.seconds = *seconds;
        if (times[0].offset) {
            row.out.slot.start = times[0].wall - *times[0].offset;
            output.seeTime(row.out.slot.start);
            output.put(std::move(row));
        } else if (!putWall(ctx, clock, std::move(row), {}, times[0].wall, 0, 0,
                            where + u"interval_start"_s)) {
            return;
        }
    }
}

} // namespace records::usage::detail
