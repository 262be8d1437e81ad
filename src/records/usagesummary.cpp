// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/usagesummary.h"

#include <QDateTime>
#include <QHash>
#include <algorithm>
#include <array>
#include <cstdio>
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
        } else {
            date_ = QDateTime::fromSecsSinceEpoch(t, zone_).date();
            start_ = localDayStart(date_, zone_);
            end_ = localDayStart(date_.addDays(1), zone_);
            if (t < start_) { // the day began in a skipped hour the lookup could not place
                date_ = date_.addDays(-1);
                end_ = start_;
                start_ = localDayStart(date_, zone_);
            }
        }
        int y, m, d;
        date_.getDate(&y, &m, &d);
        month_ = qint64(y) * 12 + m - 1;
    }
    QDate date() const { return date_; }
    qint64 month() const { return month_; } // year * 12 + month - 1
    qint64 end() const { return end_; }

  private:
    QTimeZone zone_;
    QDate date_;
    qint64 start_ = 0;
    qint64 end_ = 0;
    qint64 month_ = 0;
};

} // namespace

struct SeriesSummarizer::Pass {
    explicit Pass(const QTimeZone& zone) : days(zone) {}
    LocalDays days;
    std::map<qint64, MonthSummary> months;
    qint64 monthKey = -1;
    MonthSummary* month = nullptr;
    QList<std::pair<qint64, qint64>> gaps;           // counted once the slot length is known
    std::array<std::pair<int, qint64>, 4> lengths{}; // slot length, how many
    QHash<int, qint64> moreLengths;                  // beyond the few that real files have
    MonthSummary& current(const LocalDays& at) {
        if (at.month() != monthKey) {
            monthKey = at.month();
            month = &months[monthKey];
            month->month = QDate(int(monthKey / 12), int(monthKey % 12) + 1, 1);
        }
        return *month;
    }
    void count(int seconds) {
        for (auto& c : lengths) {
            if (c.first == seconds || c.second == 0) {
                c.first = seconds;
                ++c.second;
                return;
            }
        }
        ++moreLengths[seconds];
    }
    int mostCommon() const {
        std::pair<int, qint64> best{0, 0};
        const auto consider = [&](int length, qint64 n) {
            if (n > best.second || (n == best.second && n && length < best.first))
                best = {length, n};
        };
        for (const auto& c : lengths)
            consider(c.first, c.second);
        for (auto it = moreLengths.cbegin(); it != moreLengths.cend(); ++it)
            consider(it.key(), it.value());
        return best.first;
    }
};

SeriesSummarizer::SeriesSummarizer(const Series& series, qint64 first, qint64 end,
                                   std::optional<QDate> from, std::optional<QDate> to)
    : pass_(std::make_unique<Pass>(series.zone)) {
    out_.series = series;
    from_ = from ? localDayStart(*from, series.zone) : std::numeric_limits<qint64>::min();
    to_ = to ? localDayStart(*to, series.zone) : std::numeric_limits<qint64>::max();
    covered_ = std::max(first, from_);
    spanEnd_ = std::min(end, to_);
}

SeriesSummarizer::~SeriesSummarizer() = default;

void SeriesSummarizer::add(const domain::Slot& s) {
    if (const qint64 upTo = std::min(s.start, spanEnd_); upTo > covered_)
        pass_->gaps.append({covered_, upTo});
    covered_ = std::max(covered_, s.end());
    pass_->count(s.seconds);
    pass_->days.seek(s.start);
    MonthSummary& m = pass_->current(pass_->days);
    ++m.slotCount;
    m.kwh += s.kwh;
    m.estimated += s.estimated;
    ++out_.slotCount;
    out_.kwh += s.kwh;
    out_.estimated += s.estimated;
    if (!out_.first)
        out_.first = s.start;
    out_.last = s.start;
}

SeriesSummary SeriesSummarizer::finish(int fallbackSeconds) {
    if (spanEnd_ > covered_)
        pass_->gaps.append({covered_, spanEnd_});
    out_.slotSeconds = out_.slotCount ? pass_->mostCommon() : fallbackSeconds;
    // The slot-length steps of each gap, each counted in its local day.
    const qint64 length = std::max(out_.slotSeconds, 1);
    LocalDays days(out_.series.zone); // gaps come in time order, like slots
    QDate lastMissingDay;
    for (const auto& [a, b] : std::as_const(pass_->gaps)) {
        const qint64 steps = (b - a + length - 1) / length;
        for (qint64 k = 0; k < steps;) {
            days.seek(a + k * length);
            const qint64 upTo = std::min(steps, (days.end() - a + length - 1) / length);
            MonthSummary& m = pass_->current(days);
            m.missing += upTo - k;
            out_.missing += upTo - k;
            if (days.date() != lastMissingDay) {
                lastMissingDay = days.date();
                ++m.daysMissing;
                ++out_.daysMissing;
            }
            k = upTo;
        }
    }
    out_.months.clear();
    for (const auto& [key, m] : pass_->months)
        out_.months.append(m);
    return out_;
}

SeriesSummary summarize(const Series& series, const QList<domain::Slot>& all,
                        std::optional<QDate> from, std::optional<QDate> to) {
    if (all.isEmpty()) {
        SeriesSummary out;
        out.series = series;
        return out;
    }
    SeriesSummarizer pass(series, all.front().start, all.back().end(), from, to);
    SeriesSummarizer whole(series, all.front().start, all.back().end(), {}, {});
    for (const domain::Slot& s : all) {
        if (s.start >= pass.fromUtc() && s.start < pass.toUtc())
            pass.add(s);
    }
    if (pass.slotCount())
        return pass.finish();
    for (const domain::Slot& s : all)
        whole.add(s);
    return pass.finish(whole.finish().slotSeconds);
}

namespace {

// ISO local times for instants that mostly come in order: the zone's offset is looked up once
// for each stretch between two of its transitions.
class LocalTimes {
  public:
    explicit LocalTimes(const QTimeZone& zone) : zone_(zone) {}
    void append(QByteArray& out, qint64 t) {
        if (t < from_ || t >= until_)
            place(t);
        const qint64 local = t + offset_;
        const qint64 days = local >= 0 ? local / 86400 : -((-local + 86399) / 86400);
        const qint64 second = local - days * 86400;
        int y, m, d;
        QDate::fromJulianDay(2440588 + days).getDate(&y, &m, &d); // 2440588: 1970-01-01
        const int minutes = std::abs(offset_) / 60;
        char text[48];
        const int n =
            std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02lld:%02lld:%02lld%c%02d:%02d", y, m,
                          d, second / 3600, second / 60 % 60, second % 60, offset_ < 0 ? '-' : '+',
                          minutes / 60, minutes % 60);
        out.append(text, n);
    }

  private:
    void place(qint64 t) {
        const QDateTime at = QDateTime::fromSecsSinceEpoch(t, QTimeZone::utc());
        offset_ = zone_.offsetFromUtc(at);
        from_ = until_ = t; // without transitions: this instant only
        until_ = t + 1;
        if (!zone_.hasTransitions())
            return;
        const auto before = zone_.previousTransition(at.addSecs(1));
        const auto after = zone_.nextTransition(at);
        from_ = before.atUtc.isValid() ? before.atUtc.toSecsSinceEpoch()
                                       : std::numeric_limits<qint64>::min();
        until_ = after.atUtc.isValid() ? after.atUtc.toSecsSinceEpoch()
                                       : std::numeric_limits<qint64>::max();
        if (t < from_ || t >= until_) { // a zone that does not say: this instant only
            from_ = t;
            until_ = t + 1;
        }
    }
    QTimeZone zone_;
    qint64 from_ = 1, until_ = 0;
    int offset_ = 0;
};

} // namespace

QByteArray exportCsv(const QList<domain::Slot>& imports, const QList<domain::Slot>& exports,
                     const QTimeZone& zone) {
    QByteArray out = "start,end,kwh,direction,estimated\n";
    out.reserve(out.size() + (imports.size() + exports.size()) * 72);
    LocalTimes starts(zone), ends(zone);
    const auto row = [&](const domain::Slot& s, const char* direction) {
        starts.append(out, s.start);
        out += ',';
        ends.append(out, s.end());
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
