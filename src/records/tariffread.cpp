// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/tariffread.h"

#include "records/csv.h"
#include "records/plan.h"
#include "text/files.h"
#include "text/values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace records::tariff {

namespace {

// Beyond these a price is a typing slip, and the arithmetic stays far from overflow.
constexpr double MaxPrice = 100000; // hundredths per kWh or per day
constexpr double MaxVat = 100;
constexpr qint64 EpochJulianDay = 2440588;

const QStringList DayNames = {u"mon"_s, u"tue"_s, u"wed"_s, u"thu"_s, u"fri"_s, u"sat"_s, u"sun"_s};
const QStringList WeekdayWords = {u"Mondays"_s, u"Tuesdays"_s,  u"Wednesdays"_s, u"Thursdays"_s,
                                  u"Fridays"_s, u"Saturdays"_s, u"Sundays"_s};

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

// A JSON value as the person wrote it, for a message.
QString shown(const QJsonValue& v) {
    if (v.isString())
        return quoted(v.toString());
    if (v.isDouble())
        return values::plainNumber(v.toDouble(), QLocale::c());
    if (v.isBool())
        return v.toBool() ? u"true"_s : u"false"_s;
    if (v.isNull())
        return u"null"_s;
    return v.isArray() ? u"a list"_s : u"an object"_s;
}

QString mib(qint64 bytes) {
    return QString::number(bytes / (1024 * 1024)) + u" MiB"_s;
}

// The file's bytes when it is a regular file of at most `limit` bytes, or why not.
std::variant<QByteArray, QString> readBounded(const QString& path, qint64 limit) {
    files::NamedFile read = files::readNamed(path, limit);
    if (!read.bytes)
        return read.fault;
    return std::move(*read.bytes);
}

// The first character that is not a byte-order mark or a blank.
char firstChar(QByteArrayView bytes) {
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return i < bytes.size() ? bytes[i] : '\0';
}

int digits(QStringView s, qsizetype at, qsizetype n) {
    if (at + n > s.size())
        return -1;
    int v = 0;
    for (qsizetype i = at; i < at + n; ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

// A plain decimal with "." (no grouping, no exponent), or nothing.
std::optional<double> decimal(QStringView text) {
    qsizetype i = !text.isEmpty() && (text[0] == u'+' || text[0] == u'-') ? 1 : 0;
    int digitCount = 0, points = 0;
    for (; i < text.size(); ++i) {
        if (text[i] == u'.')
            ++points;
        else if (text[i] >= u'0' && text[i] <= u'9')
            ++digitCount;
        else
            return std::nullopt;
    }
    if (digitCount == 0 || points > 1)
        return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(text, &ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

// Sorts the prices by start and refuses two that overlap; the same price given twice counts
// once. `name` says where the i-th came from, for the message.
std::optional<ReadFault> ordered(QList<domain::SeriesPrice>& prices,
                                 const std::function<QString(qsizetype)>& name) {
    if (prices.isEmpty())
        return ReadFault{{}, u"no prices"_s};
    const auto byStart = [&](qsizetype a, qsizetype b) {
        return prices[a].start < prices[b].start;
    };
    QList<qsizetype> order(prices.size());
    std::iota(order.begin(), order.end(), 0);
    // Files run oldest or newest first; anything else is sorted.
    if (std::is_sorted(order.crbegin(), order.crend(), byStart))
        std::reverse(order.begin(), order.end());
    else if (!std::is_sorted(order.cbegin(), order.cend(), byStart))
        std::stable_sort(order.begin(), order.end(), byStart);
    QList<domain::SeriesPrice> out;
    out.reserve(prices.size());
    qsizetype previous = -1;
    for (qsizetype i : order) {
        const domain::SeriesPrice& p = prices[i];
        if (previous >= 0) {
            const domain::SeriesPrice& q = prices[previous];
            if (q.start == p.start && q.end == p.end && q.price == p.price)
                continue;
            if (!q.end || *q.end > p.start)
                return ReadFault{name(i), u"overlaps "_s + name(previous)};
        }
        out.append(p);
        previous = i;
    }
    prices = std::move(out);
    return std::nullopt;
}

class TariffParser {
  public:
    TariffParser(const QString& file, const SeriesLoader& load) : load_(load) {
        tariff_.file = file;
    }

    std::variant<domain::TouTariff, ReadFault> parse(QByteArrayView bytes) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(bytes.toByteArray(), &error);
        if (error.error != QJsonParseError::NoError)
            return ReadFault{{},
                             u"not JSON ("_s + error.errorString() + u" at byte "_s +
                                 QString::number(error.offset) + u')'};
        if (!doc.isObject())
            return ReadFault{{}, u"not a JSON object"_s};
        if (!top(doc.object()))
            return *fault_;
        return std::move(tariff_);
    }

  private:
    bool fail(const QString& where, const QString& reason) {
        fault_ = ReadFault{where, reason};
        return false;
    }

    bool keys(const QJsonObject& o, const QString& where, const QStringList& known,
              const QString& what) {
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!known.contains(it.key()))
                return fail(where.isEmpty() ? it.key() : where + u'.' + it.key(),
                            u"not a key of "_s + what + u" ("_s + known.join(u", "_s) + u')');
        return true;
    }

    bool text(const QJsonObject& o, const QString& key, const QString& where, QString* out) {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return true;
        if (!v.isString())
            return fail(where, shown(v) + u" is not text"_s);
        *out = v.toString();
        return true;
    }

    bool date(const QJsonValue& v, const QString& where, QDate* out) {
        const QString t = v.isString() ? v.toString() : QString();
        *out = QDate::fromString(t, Qt::ISODate);
        if (!v.isString() || t.size() != 10 || !out->isValid())
            return fail(where, shown(v) + u" is not a date of the form yyyy-mm-dd"_s);
        return true;
    }

    bool number(const QJsonObject& o, const QString& key, const QString& where, double limit,
                std::optional<double>* out) {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return true;
        if (!v.isDouble())
            return fail(where, shown(v) + u" is not a number"_s);
        const double d = v.toDouble();
        if (d < 0)
            return fail(where, shown(v) + u" is below 0"_s);
        if (d > limit)
            return fail(where, shown(v) + u" is above "_s + QString::number(limit));
        *out = d;
        return true;
    }

    // "HH:MM"; `to` may also be "24:00", the end of the day.
    bool time(const QJsonValue& v, const QString& where, bool end, QTime* out) {
        const QString t = v.isString() ? v.toString() : QString();
        const int h = digits(t, 0, 2), m = digits(t, 3, 2);
        const bool form = t.size() == 5 && t[2] == u':' && h >= 0 && m >= 0;
        if (form && end && h == 24 && m == 0) {
            *out = QTime(0, 0);
            return true;
        }
        if (!form || h > 23 || m > 59)
            return fail(where, (v.isString() ? t : shown(v)) + u" is not a time of day (HH:MM)"_s);
        *out = QTime(h, m);
        return true;
    }

    // The series the tariff names by `name`, loaded once however often it is named.
    bool series(const QJsonValue& v, const QString& where, int* out) {
        if (!v.isString() || v.toString().isEmpty())
            return fail(where, shown(v) + u" is not a file name"_s);
        const QString name = v.toString();
        if (const auto known = seriesIndex_.constFind(name); known != seriesIndex_.cend()) {
            *out = *known;
            return true;
        }
        if (!load_)
            return fail(where, name + u": price series cannot be read here"_s);
        auto loaded = load_(name);
        if (const auto* message = std::get_if<QString>(&loaded))
            return fail(where, *message);
        *out = int(tariff_.series.size());
        tariff_.series.append(std::get<domain::PriceSeries>(std::move(loaded)));
        seriesIndex_.insert(name, *out);
        return true;
    }

    bool top(const QJsonObject& o) {
        if (!keys(o, {}, {u"name"_s, u"note"_s, u"zone"_s, u"clock"_s, u"holidays"_s, u"periods"_s},
                  u"a tariff"_s))
            return false;
        tariff_.name = QFileInfo(tariff_.file).completeBaseName();
        if (!text(o, u"name"_s, u"name"_s, &tariff_.name))
            return false;
        QString note;
        if (!text(o, u"note"_s, u"note"_s, &note))
            return false;
        QString zone;
        if (!text(o, u"zone"_s, u"zone"_s, &zone))
            return false;
        tariff_.zone = zone.isEmpty() ? QTimeZone::systemTimeZone() : QTimeZone(zone.toUtf8());
        if (!tariff_.zone.isValid())
            return fail(u"zone"_s, quoted(zone) + u" is not a time zone (an IANA name such as "
                                                  u"Europe/London)"_s);
        QString clock = u"local"_s;
        if (!text(o, u"clock"_s, u"clock"_s, &clock))
            return false;
        if (clock != u"local"_s && clock != u"utc"_s)
            return fail(u"clock"_s, quoted(clock) + u" is neither \"local\" nor \"utc\""_s);
        tariff_.utcClock = clock == u"utc"_s;

        const QJsonValue holidays = o.value(u"holidays"_s);
        if (!holidays.isUndefined()) {
            if (!holidays.isArray())
                return fail(u"holidays"_s, shown(holidays) + u" is not a list of dates"_s);
            const QJsonArray list = holidays.toArray();
            for (qsizetype i = 0; i < list.size(); ++i) {
                QDate d;
                if (!date(list[i], u"holidays[%1]"_s.arg(i), &d))
                    return false;
                tariff_.holidays.insert(d);
            }
        }

        const QJsonValue periods = o.value(u"periods"_s);
        if (periods.isUndefined())
            return fail(u"periods"_s, u"missing"_s);
        if (!periods.isArray() || periods.toArray().isEmpty())
            return fail(u"periods"_s, u"not a list of at least one period"_s);
        const QJsonArray list = periods.toArray();
        for (qsizetype i = 0; i < list.size(); ++i)
            if (!period(list[i], u"periods[%1]"_s.arg(i)))
                return false;
        return true;
    }

    bool period(const QJsonValue& v, const QString& where) {
        if (!v.isObject())
            return fail(where, shown(v) + u" is not a period"_s);
        const QJsonObject o = v.toObject();
        if (!keys(o, where,
                  {u"from"_s, u"standing_p_per_day"_s, u"vat_percent"_s, u"export_p_per_kwh"_s,
                   u"export_prices"_s, u"bands"_s},
                  u"a period"_s))
            return false;
        domain::TouPeriod p;
        if (!o.contains(u"from"_s))
            return fail(where + u".from"_s, u"missing"_s);
        if (!date(o.value(u"from"_s), where + u".from"_s, &p.from))
            return false;
        if (!tariff_.periods.isEmpty()) {
            const QDate last = tariff_.periods.last().from;
            const QString previous = u"periods[%1]"_s.arg(tariff_.periods.size() - 1);
            if (p.from == last)
                return fail(where + u".from"_s,
                            values::isoDate(p.from) + u" is the date of "_s + previous + u" too"_s);
            if (p.from < last)
                return fail(where + u".from"_s, values::isoDate(p.from) + u" comes before "_s +
                                                    values::isoDate(last) + u" of "_s + previous +
                                                    u"; periods must be in date order"_s);
        }
        std::optional<double> standing, vat;
        if (!o.contains(u"standing_p_per_day"_s))
            return fail(where + u".standing_p_per_day"_s, u"missing"_s);
        if (!number(o, u"standing_p_per_day"_s, where + u".standing_p_per_day"_s, MaxPrice,
                    &standing) ||
            !number(o, u"vat_percent"_s, where + u".vat_percent"_s, MaxVat, &vat) ||
            !number(o, u"export_p_per_kwh"_s, where + u".export_p_per_kwh"_s, MaxPrice,
                    &p.exportPrice))
            return false;
        p.standing = standing.value_or(0);
        p.vat = vat.value_or(0);
        if (o.contains(u"export_prices"_s)) {
            if (p.exportPrice)
                return fail(where + u".export_prices"_s,
                            u"given with export_p_per_kwh; a period has one or the other"_s);
            if (!series(o.value(u"export_prices"_s), where + u".export_prices"_s, &p.exportSeries))
                return false;
        }

        const QJsonValue bands = o.value(u"bands"_s);
        if (bands.isUndefined())
            return fail(where + u".bands"_s, u"missing"_s);
        if (!bands.isArray() || bands.toArray().isEmpty())
            return fail(where + u".bands"_s, u"not a list of at least one band"_s);
        const QJsonArray list = bands.toArray();
        for (qsizetype i = 0; i < list.size(); ++i) {
            domain::Band b;
            if (!band(list[i], where + u".bands[%1]"_s.arg(i), i, &b))
                return false;
            p.bands.append(b);
        }
        if (!covered(p.bands, where + u".bands"_s))
            return false;
        tariff_.periods.append(p);
        return true;
    }

    bool band(const QJsonValue& v, const QString& where, qsizetype index, domain::Band* b) {
        if (!v.isObject())
            return fail(where, shown(v) + u" is not a band"_s);
        const QJsonObject o = v.toObject();
        if (!keys(o, where, {u"name"_s, u"from"_s, u"to"_s, u"days"_s, u"p_per_kwh"_s, u"prices"_s},
                  u"a band"_s))
            return false;
        b->name = u"Band %1"_s.arg(index + 1);
        if (!text(o, u"name"_s, where + u".name"_s, &b->name))
            return false;
        const bool from = o.contains(u"from"_s), to = o.contains(u"to"_s);
        if (from != to)
            return fail(where + (from ? u".to"_s : u".from"_s),
                        u"missing; a band gives both from and to, or neither for the whole day"_s);
        if (from) {
            QTime f, t;
            if (!time(o.value(u"from"_s), where + u".from"_s, false, &f) ||
                !time(o.value(u"to"_s), where + u".to"_s, true, &t))
                return false;
            b->from = f;
            b->to = t;
        }
        const QJsonValue days = o.value(u"days"_s);
        if (!days.isUndefined()) {
            if (!days.isArray() || days.toArray().isEmpty())
                return fail(where + u".days"_s, shown(days) + u" is not a list of days"_s);
            const QJsonArray list = days.toArray();
            for (qsizetype i = 0; i < list.size(); ++i) {
                const QString day = list[i].toString().toLower();
                const qsizetype d = DayNames.indexOf(day);
                if (d >= 0)
                    b->weekdays |= quint8(1u << d);
                else if (day == u"holiday"_s)
                    b->holidays = true;
                else
                    return fail(where + u".days[%1]"_s.arg(i),
                                shown(list[i]) + u" is not a day (mon, tue, wed, thu, fri, sat, "
                                                 u"sun, holiday)"_s);
            }
        }
        const bool price = o.contains(u"p_per_kwh"_s), prices = o.contains(u"prices"_s);
        if (price == prices)
            return fail(where, price ? u"gives both p_per_kwh and prices; a band has one"_s
                                     : u"has no price: give p_per_kwh or prices"_s);
        if (price)
            return number(o, u"p_per_kwh"_s, where + u".p_per_kwh"_s, MaxPrice, &b->price);
        return series(o.value(u"prices"_s), where + u".prices"_s, &b->series);
    }

    // Every minute of every day of the week has a band: the first moment without one is
    // named. A holiday matches all that its weekday matches, so weekdays are enough; and which
    // bands cover a minute changes only at their edges, so only midnight and the edges are
    // looked at.
    bool covered(const QList<domain::Band>& bands, const QString& where) {
        QList<int> points{0};
        for (const domain::Band& b : bands)
            if (b.from)
                points << b.from->msecsSinceStartOfDay() / 60000
                       << b.to->msecsSinceStartOfDay() / 60000;
        std::sort(points.begin(), points.end());
        points.erase(std::unique(points.begin(), points.end()), points.end());
        for (int day = 0; day < 7; ++day) {
            for (const int minute : points) {
                const bool found = std::any_of(bands.cbegin(), bands.cend(), [&](const auto& b) {
                    if ((b.weekdays != 0 || b.holidays) && !(b.weekdays & (1u << day)))
                        return false;
                    if (!b.from)
                        return true;
                    const int f = b.from->msecsSinceStartOfDay() / 60000;
                    const int t = b.to->msecsSinceStartOfDay() / 60000;
                    return f == t ||
                           (f < t ? minute >= f && minute < t : minute >= f || minute < t);
                });
                if (!found)
                    return fail(where, u"no band covers "_s +
                                           QTime(0, 0).addSecs(minute * 60).toString(u"HH:mm") +
                                           u" on "_s + WeekdayWords[day] +
                                           u"; the last band must cover every moment the others "
                                           u"leave"_s);
            }
        }
        return true;
    }

    SeriesLoader load_;
    domain::TouTariff tariff_;
    QHash<QString, int> seriesIndex_;
    std::optional<ReadFault> fault_;
};

// The lines of a plan's price rows, as parsePlan counts them: after the header, blank rows
// left out.
QList<qsizetype> planLines(QByteArrayView bytes) {
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QList<qsizetype> lines;
    const QList<QStringList> rows = csv::parse(text, u',', &lines);
    QList<qsizetype> out;
    bool header = false;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (rows[r].join(QString()).trimmed().isEmpty())
            continue;
        if (header)
            out.append(lines[r]);
        header = true;
    }
    return out;
}

// A series file beside the tariff: JSON read whole, CSV as a stream.
std::variant<domain::PriceSeries, QString> loadSeries(const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    if (const QString fault = files::notRegularFault(path); !fault.isEmpty())
        return name + u": "_s + fault;
    if (!QFileInfo::exists(path))
        return name + u": it does not exist"_s;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return name + u": cannot be read ("_s + f.errorString() + u')';
    std::variant<domain::PriceSeries, ReadFault> parsed;
    if (firstChar(f.peek(4096)) == '{') {
        auto bytes = readBounded(path, MaxSeriesBytes);
        if (const auto* message = std::get_if<QString>(&bytes))
            return name + u": "_s + *message;
        parsed = parseSeriesJson(std::get<QByteArray>(bytes));
    } else {
        parsed = parseSeriesCsv(f);
    }
    if (const auto* fault = std::get_if<ReadFault>(&parsed))
        return name + u": "_s + fault->text();
    auto series = std::get<domain::PriceSeries>(std::move(parsed));
    series.file = name;
    return series;
}

} // namespace

QString ReadFault::text() const {
    return where.isEmpty() ? reason : where + u": "_s + reason;
}

std::optional<qint64> isoInstant(QStringView s) {
    // yyyy-MM-ddTHH:mm[:ss[.fff]] then Z, +HH:MM or +HHMM
    const int y = digits(s, 0, 4), mo = digits(s, 5, 2), d = digits(s, 8, 2);
    const int h = digits(s, 11, 2), mi = digits(s, 14, 2);
    if (y < 0 || mo < 0 || d < 0 || h < 0 || mi < 0 || s[4] != u'-' || s[7] != u'-' ||
        (s[10] != u'T' && s[10] != u' ') || s[13] != u':')
        return std::nullopt;
    qsizetype i = 16;
    int sec = 0;
    if (i < s.size() && s[i] == u':') {
        sec = digits(s, i + 1, 2);
        if (sec < 0)
            return std::nullopt;
        i += 3;
        if (i < s.size() && s[i] == u'.') {
            ++i;
            while (i < s.size() && s[i].isDigit())
                ++i;
        }
    }
    const QDate date(y, mo, d);
    if (!date.isValid() || h > 23 || mi > 59 || sec > 59 || i >= s.size())
        return std::nullopt;
    int offset = 0;
    if (s[i] == u'Z' && i + 1 == s.size()) {
        offset = 0;
    } else if (s[i] == u'+' || s[i] == u'-') {
        const int oh = digits(s, i + 1, 2);
        const bool colon = i + 3 < s.size() && s[i + 3] == u':';
        const int om = digits(s, i + (colon ? 4 : 3), 2);
        if (oh < 0 || om < 0 || oh > 23 || om > 59 || i + (colon ? 6 : 5) != s.size())
            return std::nullopt;
        offset = (oh * 3600 + om * 60) * (s[i] == u'-' ? -1 : 1);
    } else {
        return std::nullopt;
    }
    return (date.toJulianDay() - EpochJulianDay) * 86400 + h * 3600 + mi * 60 + sec - offset;
}

std::variant<domain::TouTariff, ReadFault> parseTariff(QByteArrayView json, const QString& file,
                                                       const SeriesLoader& load) {
    return TariffParser(file, load).parse(json);
}

std::variant<domain::PriceSeries, ReadFault> parseSeriesJson(QByteArrayView bytes) {
    QJsonParseError error;
    // The bytes outlive the document: no copy of what may be hundreds of MiB.
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray::fromRawData(bytes.data(), bytes.size()), &error);
    if (error.error != QJsonParseError::NoError)
        return ReadFault{{},
                         u"not JSON ("_s + error.errorString() + u" at byte "_s +
                             QString::number(error.offset) + u')'};
    const QJsonValue results = doc.object().value(u"results"_s);
    if (!results.isArray())
        return ReadFault{u"results"_s, u"missing: unit rates are a list under \"results\""_s};
    const QJsonArray list = results.toArray();
    domain::PriceSeries series;
    series.prices.reserve(list.size());
    auto name = [](qsizetype i) { return u"results[%1]"_s.arg(i); };
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QJsonObject o = list[i].toObject();
        domain::SeriesPrice p;
        const QJsonValue value = o.value(u"value_exc_vat"_s);
        if (!value.isDouble())
            return ReadFault{name(i) + u".value_exc_vat"_s,
                             value.isUndefined() ? u"missing"_s
                                                 : shown(value) + u" is not a number"_s};
        p.price = value.toDouble();
        const QJsonValue from = o.value(u"valid_from"_s), to = o.value(u"valid_to"_s);
        const auto start = isoInstant(from.toString());
        if (!start)
            return ReadFault{name(i) + u".valid_from"_s,
                             shown(from) + u" is not a date and time with offset"_s};
        p.start = *start;
        if (!to.isNull() && !to.isUndefined()) {
            p.end = isoInstant(to.toString());
            if (!p.end)
                return ReadFault{name(i) + u".valid_to"_s,
                                 shown(to) + u" is not a date and time with offset"_s};
            if (*p.end <= p.start)
                return ReadFault{name(i) + u".valid_to"_s, u"not after valid_from"_s};
        }
        series.prices.append(p);
    }
    if (auto fault = ordered(series.prices, name))
        return *fault;
    return series;
}

std::variant<domain::PriceSeries, ReadFault> parseSeriesCsv(QIODevice& in) {
    domain::PriceSeries series;
    QList<qsizetype> lines;
    // About one line in 60 bytes: few reallocations for a long series.
    if (in.size() > 0) {
        series.prices.reserve(std::min<qint64>(in.size(), MaxSeriesBytes) / 60);
        lines.reserve(series.prices.capacity());
    }
    int at[3] = {-1, -1, -1}; // start, end, p_per_kwh
    const QStringList columns = {u"start"_s, u"end"_s, u"p_per_kwh"_s};
    qsizetype columnCount = 0;
    qint64 read = 0;
    // One buffer for every line: a line longer than it is no line of a price series.
    constexpr qint64 MaxLine = 64 * 1024;
    QByteArray buffer(MaxLine + 1, Qt::Uninitialized);
    for (qsizetype line = 1; !in.atEnd(); ++line) {
        const qint64 got = in.readLine(buffer.data(), buffer.size());
        if (got < 0)
            return ReadFault{u"line %1"_s.arg(line), u"cannot be read"_s};
        if (got == MaxLine && buffer[got - 1] != '\n' && !in.atEnd())
            return ReadFault{u"line %1"_s.arg(line), u"longer than 64 KiB"_s};
        read += got;
        if (read > MaxSeriesBytes)
            return ReadFault{
                {}, u"larger than "_s + mib(MaxSeriesBytes) + u", too large for a price series"_s};
        const QByteArrayView raw(buffer.constData(), got);
        QString text = QString::fromUtf8(raw).trimmed();
        if (line == 1 && text.startsWith(QChar(0xFEFF)))
            text = text.mid(1).trimmed();
        if (text.isEmpty())
            continue;
        const QStringList cells = text.split(u',');
        auto where = [line] { return u"line %1"_s.arg(line); };
        if (at[0] < 0) {
            for (qsizetype i = 0; i < cells.size(); ++i) {
                const QString name = cells[i].trimmed().toLower();
                const qsizetype c = columns.indexOf(name);
                if (c < 0)
                    return ReadFault{where(), quoted(cells[i].trimmed()) +
                                                  u" is not a column of a price series (start, "
                                                  u"end, p_per_kwh)"_s};
                if (at[c] >= 0)
                    return ReadFault{where(), name + u" named twice"_s};
                at[c] = int(i);
            }
            for (int c = 0; c < 3; ++c)
                if (at[c] < 0)
                    return ReadFault{where(), columns[c] + u" missing from the header"_s};
            columnCount = cells.size();
            continue;
        }
        if (cells.size() != columnCount)
            return ReadFault{where(),
                             u"%1 cells, the header has %2"_s.arg(cells.size()).arg(columnCount)};
        auto cell = [&](int c) { return cells[at[c]].trimmed(); };
        domain::SeriesPrice p;
        const auto start = isoInstant(cell(0));
        if (!start)
            return ReadFault{where() + u", column start"_s,
                             quoted(cell(0)) + u" is not a date and time with offset"_s};
        p.start = *start;
        if (!cell(1).isEmpty()) {
            p.end = isoInstant(cell(1));
            if (!p.end)
                return ReadFault{where() + u", column end"_s,
                                 quoted(cell(1)) + u" is not a date and time with offset"_s};
            if (*p.end <= p.start)
                return ReadFault{where() + u", column end"_s, u"not after start"_s};
        }
        const auto price = decimal(cell(2));
        if (!price)
            return ReadFault{where() + u", column p_per_kwh"_s,
                             quoted(cell(2)) + u" is not a number"_s};
        if (std::abs(*price) > MaxPrice)
            return ReadFault{where() + u", column p_per_kwh"_s,
                             cell(2) + u" is beyond "_s + QString::number(MaxPrice)};
        p.price = *price;
        series.prices.append(p);
        lines.append(line);
    }
    if (at[0] < 0)
        return ReadFault{{}, u"no header (start,end,p_per_kwh)"_s};
    if (auto fault =
            ordered(series.prices, [&](qsizetype i) { return u"line %1"_s.arg(lines[i]); }))
        return *fault;
    return series;
}

std::variant<domain::TouTariff, ReadFault>
tariffFromPlan(const domain::TariffPlan& plan, const QString& file, const QList<qsizetype>& lines) {
    domain::TouTariff t;
    t.file = file;
    t.name = QFileInfo(file).completeBaseName();
    t.zone = QTimeZone::systemTimeZone();
    for (qsizetype i = 0; i < plan.rows.size(); ++i) {
        const domain::PriceRow& row = plan.rows[i];
        if (row.cheap)
            return ReadFault{
                u"line %1, column cheap_p_per_kwh"_s.arg(i < lines.size() ? lines[i] : i + 2),
                u"a cheap rate names no hours, so it cannot price half-hours; "
                u"write the tariff as JSON with bands"_s};
        domain::TouPeriod p;
        p.from = row.from;
        p.standing = row.standing;
        p.vat = row.vat;
        p.exportPrice = row.exportRate;
        domain::Band all;
        all.name = u"All day"_s;
        all.price = row.unit;
        p.bands = {all};
        t.periods.append(p);
    }
    return t;
}

TariffFile readTariffFile(const QString& path) {
    TariffFile out;
    out.path = path;
    auto bytes = readBounded(path, MaxTariffBytes);
    if (const auto* message = std::get_if<QString>(&bytes)) {
        out.reason = *message;
        return out;
    }
    const QByteArray& data = std::get<QByteArray>(bytes);
    std::variant<domain::TouTariff, ReadFault> parsed;
    if (firstChar(data) == '{') {
        const QDir dir = QFileInfo(path).absoluteDir();
        parsed =
            parseTariff(data, path, [&](const QString& name) { return loadSeries(dir, name); });
    } else {
        auto plan = plan::parsePlan(data);
        if (const auto* error = std::get_if<plan::PlanError>(&plan)) {
            out.reason = error->text();
            return out;
        }
        parsed = tariffFromPlan(std::get<domain::TariffPlan>(plan), path, planLines(data));
        out.plan = true;
    }
    if (const auto* fault = std::get_if<ReadFault>(&parsed))
        out.reason = fault->text();
    else
        out.tariff = std::get<domain::TouTariff>(std::move(parsed));
    return out;
}

} // namespace records::tariff
