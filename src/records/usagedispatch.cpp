// SPDX-License-Identifier: GPL-3.0-or-later
// records/usageread.h's functions: the names, the detection and the one entry that hands a
// stream to its format's reader (those live beside this file, over usageparse.h).
#include "records/usageparse.h"
#include "records/usageread.h"

#include <QIODevice>

using namespace Qt::StringLiterals;

namespace records::usage {

using namespace detail;

namespace {

constexpr Format AllFormats[] = {Format::OctopusCsv, Format::OctopusJson, Format::VoltrakeCsv,
                                 Format::EsbHdf,     Format::Fluvius,     Format::Datadis,
                                 Format::DsmrReader};

// The first line in lower case without blanks and quotes, for telling the formats apart.
QByteArray headKey(QByteArrayView head) {
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.sliced(3);
    qsizetype i = 0;
    while (i < head.size() &&
           (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n'))
        ++i;
    QByteArray key;
    for (; i < head.size() && head[i] != '\n' && head[i] != '\r'; ++i) {
        const char c = head[i];
        if (c != ' ' && c != '\t' && c != '"')
            key += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
    return key;
}

} // namespace

QString formatName(Format format) {
    switch (format) {
    case Format::OctopusCsv:
        return u"Octopus Energy CSV"_s;
    case Format::OctopusJson:
        return u"Octopus Energy API JSON"_s;
    case Format::VoltrakeCsv:
        return u"Voltrake CSV"_s;
    case Format::EsbHdf:
        return u"ESB Networks HDF"_s;
    case Format::Fluvius:
        return u"Fluvius CSV"_s;
    case Format::Datadis:
        return u"Datadis CSV"_s;
    case Format::DsmrReader:
        return u"DSMR-reader hourly CSV"_s;
    }
    return {};
}

QString knownFormats() {
    QStringList names;
    for (Format f : AllFormats)
        names << formatName(f);
    const QString last = names.takeLast();
    return u"Voltrake reads "_s + names.join(u", "_s) + u" and "_s + last + u'.';
}

std::optional<Format> detectFormat(QByteArrayView head) {
    const QByteArray key = headKey(head);
    if (key.startsWith('{') && (head.contains("\"results\"") || head.contains("\"count\"")))
        return Format::OctopusJson;
    if (key.startsWith("consumption(kwh),") && key.contains(",start,end"))
        return Format::OctopusCsv;
    if (key.startsWith("start,end,kwh"))
        return Format::VoltrakeCsv;
    if (key.startsWith("mprn,meterserialnumber,readvalue,readtype,readdateandendtime"))
        return Format::EsbHdf;
    if (key.startsWith("vandatum;") || key.startsWith("van(datum);") ||
        key.startsWith("from(date);") || key.startsWith("fromdate;"))
        return Format::Fluvius;
    if (key.startsWith("cups;fecha;hora;"))
        return Format::Datadis;
    if (key.startsWith("hourstart,electricity1"))
        return Format::DsmrReader;
    return std::nullopt;
}

QString ReadError::text() const {
    QString where = line > 0 ? u"Line "_s + QString::number(line) : QString();
    if (!column.isEmpty())
        where += (where.isEmpty() ? QString() : u", column "_s) + column;
    return where.isEmpty() ? reason : where + u": "_s + reason;
}

ReadResult readUsage(QIODevice& in, const ReadOptions& options, const SlotSink& sink) {
    ReadResult result;
    const QByteArray head = in.peek(4096);
    result.format = detectFormat(head);
    if (!result.format) {
        const bool empty = headKey(head).isEmpty();
        result.error = ReadError{empty ? 0 : 1,
                                 {},
                                 (empty ? u"the file is empty. "_s
                                        : u"the first line is none of the formats Voltrake "
                                          u"reads. "_s) +
                                     knownFormats()};
        return result;
    }
    result.zone = zoneOf(*result.format, options);
    if (!result.zone.isValid()) {
        result.error = ReadError{0, {}, u"the time zone of the file is not known to this system"_s};
        return result;
    }
    SlotOutput output(sink, *result.format == Format::Fluvius);
    if (*result.format == Format::OctopusJson) {
        readOctopusJson(in, options, output, result);
    } else {
        LineReader lines(in);
        QByteArrayView header;
        if (!lines.next(header)) {
            result.error = ReadError{lines.number(), {}, u"the line is too long"_s};
            return result;
        }
        Context ctx{lines, options, output, result};
        switch (*result.format) {
        case Format::OctopusCsv:
            readOctopusCsv(ctx, header);
            break;
        case Format::VoltrakeCsv:
            readVoltrakeCsv(ctx, header);
            break;
        case Format::DsmrReader:
            readDsmrReader(ctx, header);
            break;
        case Format::EsbHdf:
            readEsbHdf(ctx, header);
            break;
        case Format::Fluvius:
            readFluvius(ctx, header);
            break;
        case Format::Datadis:
            readDatadis(ctx, header);
            break;
        case Format::OctopusJson:
            break;
        }
        if (!result.error && lines.tooLong())
            result.error = ReadError{
                lines.number(), {}, u"the line is longer than any row of interval data"_s};
    }
    if (result.error)
        return result;
    if (!output.stopped())
        output.finish();
    result.cancelled = output.stopped();
    return result;
}

} // namespace records::usage
