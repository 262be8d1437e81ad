// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/usagesummary.h"

#include <QDateTime>
#include <QHash>
#include <algorithm>
#include <limits>
#include <map>

using namespace Qt::StringLiterals;

namespace records::usage {

qint64 localDayStart(const QDate& day, const QTimeZone& zone) {
    // A wall-clock time in a skipped hour is not valid; the first valid minute after midnight
    // is the day's start.
    for (int minute = 0; minute < 24 * 60; minute += 15) {
        const QDateTime t(day, QTime(minute / 60, minute % 60), zone);
        if (t.isValid())
            return t.toSecsSinceEpoch();
    }
    return QDateTime(day, QTime(0, 0), QTimeZone::utc()).toSecsSinceEpoch();
}

QString localIso(qint64 utc, const QTimeZone& zone) {
    const QDateTime t = QDateTime::fromSecsSinceEpoch(utc, zone);
    const int offset = t.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return t.toString(u"yyyy-MM-ddTHH:mm:ss"_s) + (offset < 0 ? u'-' : u'+') +
           QString::asprintf("%02d:%02d", minutes / 60, minutes % 60);
}

namespace {

// The local day that holds an instant, moved forward as a pass walks through time.
class LocalDays {
  public:
    explicit LocalDays(const QTimeZone& zone) : zone_(zone) {}
    void seek(qint64 t) {
        if (date_.isValid() && t >= start_ && t < end_)
            return;
        if (date_.isValid() && t >= end_ && t < end_ + 3 * 86400) {
            while (t >= end_) {
                date_ = date_.addDays(1);
                start_ = end_;
                end_ = localDayStart(date_.addDays(1), zone_);
            }
            return;
        }
        date_ = QDateTime::fromSecsSinceEpoch(t, zone_).date();
        start_ = localDayStart(date_, zone_);
        end_ = localDayStart(date_.addDays(1), zone_);
        if (t < start_) { // the day began in a skipped hour that the lookup could not place
            date_ = date_.addDays(-1);
            end_ = start_;
            start_ = localDayStart(date_, zone_);
        }
    }
    QDate date() const { return date_; }
    qint64 end() const { return end_; }

  private:
    QTimeZone zone_;
    QDate date_;
    qint64 start_ = 0;
    qint64 end_ = 0;
};

int mostCommonLength(const domain::Slot* begin, const domain::Slot* end) {
    QHash<int, qint64> counts;
    for (const domain::Slot* s = begin; s != end; ++s)
        ++counts[s->seconds];
    int best = 0;
    qint64 bestCount = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > bestCount || (it.value() == bestCount && it.key() < best)) {
            best = it.key();
            bestCount = it.value();
        }
    }
    return best;
}

} // namespace

SeriesSummary summarize(const Series& series, const QList<domain::Slot>& all,
                        std::optional<QDate> from, std::optional<QDate> to) {
    SeriesSummary out;
    out.series = series;
    if (all.isEmpty())
        return out;
    const qint64 fromUtc =
        from ? localDayStart(*from, series.zone) : std::numeric_limits<qint64>::min();
    const qint64 toUtc = to ? localDayStart(*to, series.zone) : std::numeric_limits<qint64>::max();
    const qint64 spanStart = std::max(all.front().start, fromUtc);
    const qint64 spanEnd = std::min(all.back().end(), toUtc);
    const auto byStart = [](const domain::Slot& s, qint64 t) { return s.start < t; };
    const domain::Slot* const data = all.constData();
    const domain::Slot* const stop = data + all.size();
    const domain::Slot* begin = std::lower_bound(data, stop, fromUtc, byStart);
    const domain::Slot* end = std::lower_bound(begin, stop, toUtc, byStart);
    out.slotSeconds = begin != end ? mostCommonLength(begin, end) : mostCommonLength(data, stop);
    const qint64 length = std::max(out.slotSeconds, 1);

    LocalDays days(series.zone);
    std::map<qint64, MonthSummary> months; // by year * 12 + month
    QDate monthOf;
    MonthSummary* month = nullptr;
    const auto monthFor = [&](const QDate& day) {
        if (!month || day.year() != monthOf.year() || day.month() != monthOf.month()) {
            monthOf = day;
            MonthSummary& m = months[qint64(day.year()) * 12 + day.month()];
            m.month = QDate(day.year(), day.month(), 1);
            month = &m;
        }
        return month;
    };
    QDate lastMissingDay;
    // The slot-length steps from a to b that no slot covers, each counted in its local day.
    const auto gap = [&](qint64 a, qint64 b) {
        if (b <= a)
            return;
        const qint64 steps = (b - a + length - 1) / length;
        for (qint64 k = 0; k < steps;) {
            days.seek(a + k * length);
            const qint64 upTo = std::min(steps, (days.end() - a + length - 1) / length);
            MonthSummary* m = monthFor(days.date());
            m->missing += upTo - k;
            out.missing += upTo - k;
            if (days.date() != lastMissingDay) {
                lastMissingDay = days.date();
                ++m->daysMissing;
                ++out.daysMissing;
            }
            k = upTo;
        }
    };

    qint64 covered = spanStart;
    for (const domain::Slot* s = begin; s != end; ++s) {
        gap(covered, std::min(s->start, spanEnd));
        covered = std::max(covered, s->end());
        days.seek(s->start);
        MonthSummary* m = monthFor(days.date());
        ++m->slotCount;
        m->kwh += s->kwh;
        m->estimated += s->estimated;
        ++out.slotCount;
        out.kwh += s->kwh;
        out.estimated += s->estimated;
    }
    gap(covered, spanEnd);
    if (begin != end) {
        out.first = begin->start;
        out.last = (end - 1)->start;
    }
    for (const auto& [key, m] : months)
        out.months.append(m);
    return out;
}

QByteArray exportCsv(const QList<domain::Slot>& imports, const QList<domain::Slot>& exports,
                     const QTimeZone& zone) {
    QByteArray out = "start,end,kwh,direction,estimated\n";
    out.reserve(out.size() + (imports.size() + exports.size()) * 72);
    const auto row = [&](const domain::Slot& s, const char* direction) {
        out += localIso(s.start, zone).toLatin1();
        out += ',';
        out += localIso(s.end(), zone).toLatin1();
        out += ',';
        out += QByteArray::number(s.kwh, 'f', QLocale::FloatingPointShortest);
        out += ',';
        out += direction;
        out += s.estimated ? ",1\n" : ",0\n";
    };
    qsizetype i = 0, e = 0;
    while (i < imports.size() || e < exports.size()) {
        if (e == exports.size() || (i < imports.size() && imports[i].start <= exports[e].start))
            row(imports[i++], "import");
        else
            row(exports[e++], "export");
    }
    return out;
}

} // namespace records::usage
