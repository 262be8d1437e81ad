// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/usageviews.h"

#include <QAccessible>
#include <QAreaSeries>
#include <QChart>
#include <QDateTimeAxis>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QToolTip>
#include <QValueAxis>
#include <cmath>

using records::usage::HeatCell;
using records::usage::HeatMap;

namespace {

// A perceptual scale from dark violet to yellow; red is kept for missing slots.
QColor scaleColour(double t) {
    static const QColor stops[] = {QColor(0x44, 0x01, 0x54), QColor(0x3B, 0x52, 0x8B),
                                   QColor(0x21, 0x91, 0x8C), QColor(0x5E, 0xC9, 0x62),
                                   QColor(0xFD, 0xE7, 0x25)};
    t = std::clamp(t, 0.0, 1.0) * 4;
    const int i = std::min(3, int(t));
    const double f = t - i;
    const QColor& a = stops[i];
    const QColor& b = stops[i + 1];
    return QColor(int(a.red() + (b.red() - a.red()) * f),
                  int(a.green() + (b.green() - a.green()) * f),
                  int(a.blue() + (b.blue() - a.blue()) * f));
}

void resetChart(QChart* chart, bool dark) {
    const auto theme = dark ? QChart::ChartThemeDark : QChart::ChartThemeLight;
    if (chart->theme() != theme)
        chart->setTheme(theme);
    chart->removeAllSeries();
    for (QAbstractAxis* a : chart->axes())
        chart->removeAxis(a);
    chart->legend()->setAlignment(Qt::AlignBottom);
}

qint64 dayMs(const QDate& d) {
    return QDateTime(d, QTime(0, 0)).toMSecsSinceEpoch();
}

QString clock(double hours) {
    return QTime(0, 0).addSecs(int(hours * 3600) % 86400).toString(QStringLiteral("HH:mm"));
}

constexpr int LeftMargin = 46, BottomMargin = 34, LegendWidth = 118, TopMargin = 8;

} // namespace

void fillDailyChart(QChart* chart, const QList<records::usage::DayTotal>& days, bool dark) {
    resetChart(chart, dark);
    chart->setTitle(QStringLiteral("kWh per day"));
    if (days.isEmpty())
        return;
    auto* imported = new QLineSeries;
    auto* exported = new QLineSeries;
    auto* average = new QLineSeries;
    bool anyExport = false;
    double high = 0, low = 0;
    // Steps: each day's value held from its midnight to the next.
    for (const auto& d : days) {
        const qreal a = qreal(dayMs(d.day)), b = qreal(dayMs(d.day.addDays(1)));
        imported->append(a, d.imported);
        imported->append(b, d.imported);
        exported->append(a, -d.exported);
        exported->append(b, -d.exported);
        anyExport = anyExport || d.exportSlots > 0;
        high = std::max(high, d.imported);
        low = std::min(low, -d.exported);
        if (d.average)
            average->append((a + b) / 2, *d.average);
    }
    // Filled areas for up to a year or so; beyond that a day is under a pixel wide, and filling
    // thousands of steps costs the chart far more than drawing them as lines.
    const bool filled = days.size() <= 400;
    const QColor importColour = dark ? QColor(0x4F, 0x9B, 0xE8) : QColor(0x1F, 0x6F, 0xC0);
    const QColor exportColour(0x2E, 0xA0, 0x43);
    auto add = [&](QLineSeries* line, const QString& name, const QColor& colour) {
        if (!filled) {
            line->setName(name);
            line->setPen(QPen(colour, 1));
            chart->addSeries(line);
            return;
        }
        auto* area = new QAreaSeries(line);
        area->setName(name);
        area->setColor(colour);
        area->setBorderColor(colour);
        chart->addSeries(area);
    };
    add(imported, QStringLiteral("Import"), importColour);
    if (anyExport)
        add(exported, QStringLiteral("Export"), exportColour);
    else
        delete exported;
    average->setName(QStringLiteral("7-day average import"));
    average->setPen(QPen(QColor(0xE0, 0x6C, 0x00), 2.5));
    chart->addSeries(average);

    auto* x = new QDateTimeAxis;
    x->setFormat(days.size() > 120 ? QStringLiteral("MMM yyyy") : QStringLiteral("d MMM"));
    x->setRange(QDateTime(days.front().day, QTime(0, 0)),
                QDateTime(days.back().day.addDays(1), QTime(0, 0)));
    x->setTickCount(std::min<int>(days.size() + 1, 7));
    chart->addAxis(x, Qt::AlignBottom);
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("kWh"));
    y->setRange(low, high > low ? high * 1.05 : low + 1);
    y->applyNiceNumbers();
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series())
        s->attachAxis(x), s->attachAxis(y);
}

void fillAverageChart(QChart* chart, const records::usage::AverageDay& day,
                      const QList<records::usage::BandRun>& bands, bool dark) {
    resetChart(chart, dark);
    chart->setTitle(QStringLiteral("The average day"));
    const double step = day.slotSeconds / 3600.0;
    auto line = [&](const QList<std::optional<double>>& values, const QString& name,
                    const QColor& colour, double& high) {
        auto* s = new QLineSeries;
        s->setName(name);
        s->setPen(QPen(colour, 2.5));
        for (qsizetype r = 0; r < values.size(); ++r)
            if (values[r]) {
                // Each value at the middle of its slot.
                s->append((double(r) + 0.5) * step, *values[r]);
                high = std::max(high, *values[r]);
            }
        return s;
    };
    double high = 0;
    auto* weekdays = line(day.weekday, QStringLiteral("Weekdays"),
                          dark ? QColor(0x6C, 0xB4, 0xFF) : QColor(0x1F, 0x5F, 0xB0), high);
    auto* weekends = line(day.weekend, QStringLiteral("Weekends"), QColor(0xE0, 0x6C, 0x00), high);
    const double top = high > 0 ? high * 1.1 : 1;

    // The bands behind the lines: one shade per band name, in the order the day meets them.
    static const QColor shades[] = {QColor(0x80, 0x80, 0xFF), QColor(0xFF, 0xC0, 0x40),
                                    QColor(0x40, 0xC0, 0x80), QColor(0xFF, 0x70, 0x90)};
    QStringList names;
    for (const auto& run : bands) {
        if (!names.contains(run.name))
            names << run.name;
        auto* upper = new QLineSeries;
        auto* lower = new QLineSeries;
        upper->append(run.fromSecond / 3600.0, top);
        upper->append(run.toSecond / 3600.0, top);
        lower->append(run.fromSecond / 3600.0, 0);
        lower->append(run.toSecond / 3600.0, 0);
        auto* area = new QAreaSeries(upper, lower);
        const int shade = int(names.indexOf(run.name));
        QColor c = shades[shade % 4];
        c.setAlpha(dark ? 70 : 60);
        area->setColor(c);
        area->setBorderColor(Qt::transparent);
        area->setName(run.name.isEmpty() ? QStringLiteral("No price") : run.name);
        chart->addSeries(area);
    }
    chart->addSeries(weekdays);
    chart->addSeries(weekends);
    auto* x = new QValueAxis;
    x->setRange(0, 24);
    x->setTickCount(9);
    x->setLabelFormat(QStringLiteral("%02.0f:00"));
    x->setTitleText(QStringLiteral("Time of day"));
    chart->addAxis(x, Qt::AlignBottom);
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("kWh per %1 minutes").arg(day.slotSeconds / 60));
    y->setRange(0, top);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series())
        s->attachAxis(x), s->attachAxis(y);
    // One legend entry per band, however many runs it has.
    QStringList shown;
    for (QLegendMarker* m : chart->legend()->markers())
        if (qobject_cast<QAreaSeries*>(m->series())) {
            m->setVisible(!shown.contains(m->label()));
            shown << m->label();
        }
}

HeatMapView::HeatMapView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("HeatMap"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(420, 260);
    setAccessibleName(QStringLiteral("Heat map of kWh by day and time of day"));
}

QColor HeatMapView::missingColour() {
    return QColor(0xE0, 0x30, 0x30);
}

double HeatMapView::position(double kwh) const {
    // A square-root scale: the car's hours would otherwise leave the rest of the day dark.
    return map_ && map_->maximum > 0 ? std::sqrt(std::max(0.0, kwh) / map_->maximum) : 0;
}

void HeatMapView::setMap(std::shared_ptr<const HeatMap> map) {
    map_ = std::move(map);
    image_ = QImage();
    if (map_ && map_->days > 0) {
        image_ = QImage(map_->days, map_->rows, QImage::Format_ARGB32);
        image_.fill(Qt::transparent);
        QRgb lut[256];
        for (int i = 0; i < 256; ++i)
            lut[i] = scaleColour(i / 255.0).rgb();
        const QRgb missing = missingColour().rgb();
        for (int d = 0; d < map_->days; ++d)
            for (int r = 0; r < map_->rows; ++r) {
                const HeatCell& c = map_->at(d, r);
                if (c.state == HeatCell::Value)
                    image_.setPixel(d, r, lut[int(position(c.kwh) * 255 + 0.5)]);
                else if (c.state == HeatCell::Missing)
                    image_.setPixel(d, r, missing);
            }
    }
    cursorDay_ = cursorRow_ = -1;
    update();
}

QRect HeatMapView::cellArea() const {
    return QRect(LeftMargin, TopMargin, std::max(1, width() - LeftMargin - LegendWidth),
                 std::max(1, height() - TopMargin - BottomMargin));
}

std::pair<int, int> HeatMapView::cellAt(const QPoint& p) const {
    const QRect a = cellArea();
    if (!map_ || map_->days == 0 || !a.contains(p))
        return {-1, -1};
    const int d = int(double(p.x() - a.left()) * map_->days / a.width());
    const int r = int(double(p.y() - a.top()) * map_->rows / a.height());
    return {std::clamp(d, 0, map_->days - 1), std::clamp(r, 0, map_->rows - 1)};
}

QString HeatMapView::textAt(const QPoint& p) const {
    const auto [d, r] = cellAt(p);
    return d < 0 ? QString() : map_->describe(d, r);
}

void HeatMapView::announce(int day, int row, const QPoint& at, bool tip) {
    const QString text = map_->describe(day, row);
    if (tip)
        QToolTip::showText(mapToGlobal(at), text, this);
    if (accessibleDescription() != text) {
        setAccessibleDescription(text);
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void HeatMapView::mouseMoveEvent(QMouseEvent* e) {
    const auto [d, r] = cellAt(e->position().toPoint());
    if (d < 0) {
        QToolTip::hideText();
        return;
    }
    announce(d, r, e->position().toPoint(), true);
}

void HeatMapView::leaveEvent(QEvent*) {
    QToolTip::hideText();
}

void HeatMapView::focusInEvent(QFocusEvent* e) {
    if (map_ && map_->days > 0 && cursorDay_ < 0) {
        cursorDay_ = map_->days - 1;
        cursorRow_ = map_->rows / 2;
    }
    if (cursorDay_ >= 0)
        announce(cursorDay_, cursorRow_, {}, false);
    update();
    QWidget::focusInEvent(e);
}

void HeatMapView::keyPressEvent(QKeyEvent* e) {
    if (!map_ || map_->days == 0 || cursorDay_ < 0)
        return QWidget::keyPressEvent(e);
    int d = cursorDay_, r = cursorRow_;
    switch (e->key()) {
    case Qt::Key_Left:
        --d;
        break;
    case Qt::Key_Right:
        ++d;
        break;
    case Qt::Key_Up:
        --r;
        break;
    case Qt::Key_Down:
        ++r;
        break;
    case Qt::Key_PageUp:
        d -= 7;
        break;
    case Qt::Key_PageDown:
        d += 7;
        break;
    default:
        return QWidget::keyPressEvent(e);
    }
    cursorDay_ = std::clamp(d, 0, map_->days - 1);
    cursorRow_ = std::clamp(r, 0, map_->rows - 1);
    announce(cursorDay_, cursorRow_, {}, false);
    update();
}

void HeatMapView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette pal = palette();
    p.setPen(pal.color(QPalette::WindowText));
    const QRect a = cellArea();
    if (!map_ || map_->days == 0)
        return;
    p.drawImage(a, image_);
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(a.adjusted(0, 0, -1, -1));
    const QFontMetrics fm = fontMetrics();
    p.setPen(pal.color(QPalette::WindowText));
    // Times of day down the left, every six hours.
    for (int h = 0; h <= 24; h += 6) {
        const int y = a.top() + a.height() * h / 24;
        p.drawLine(a.left() - 4, y, a.left(), y);
        p.drawText(QRect(0, y - fm.height() / 2, LeftMargin - 6, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, clock(h));
    }
    // Days along the bottom: months when there are many, else a day a tick.
    const QLocale locale;
    const bool months = map_->days > 62;
    int lastRight = -1000;
    for (int d = 0; d < map_->days; ++d) {
        const QDate day = map_->day(d);
        if (months ? day.day() != 1 && d != 0 : d % std::max(1, map_->days / 8) != 0)
            continue;
        const int x = a.left() + int(double(d) * a.width() / map_->days);
        const QString label =
            months ? locale.toString(day, QStringLiteral("MMM yy")) : locale.toString(day, "d MMM");
        p.drawLine(x, a.bottom(), x, a.bottom() + 4);
        if (x > lastRight + 4) {
            p.drawText(QPoint(x + 2, a.bottom() + 4 + fm.ascent()), label);
            lastRight = x + fm.horizontalAdvance(label) + 2;
        }
    }
    // The legend: the scale with its kWh, then the colour of missing slots.
    const QRect bar(a.right() + 16, a.top() + fm.height() + 4, 14, std::max(40, a.height() / 2));
    p.drawText(QPoint(bar.left(), a.top() + fm.ascent()), QStringLiteral("kWh"));
    for (int y = 0; y < bar.height(); ++y) {
        p.setPen(scaleColour(1.0 - double(y) / bar.height()));
        p.drawLine(bar.left(), bar.top() + y, bar.right(), bar.top() + y);
    }
    p.setPen(pal.color(QPalette::WindowText));
    for (double f : {1.0, 0.25, 0.0}) {
        const double kwh = map_->maximum * f;
        const int y = bar.bottom() - int(position(kwh) * bar.height());
        p.drawText(QPoint(bar.right() + 4, y + fm.ascent() / 2),
                   locale.toString(kwh, 'f', kwh >= 10 ? 1 : 2));
    }
    const QRect swatch(bar.left(), bar.bottom() + fm.height(), 14, 14);
    p.fillRect(swatch, missingColour());
    p.drawText(QPoint(swatch.right() + 4, swatch.top() + fm.ascent()), QStringLiteral("Missing"));
    p.drawRect(swatch.adjusted(0, fm.height() + 6, 0, fm.height() + 6));
    p.drawText(QPoint(swatch.right() + 4, swatch.top() + fm.height() + 6 + fm.ascent()),
               QStringLiteral("No data"));
    if (hasFocus() && cursorDay_ >= 0) {
        const double w = double(a.width()) / map_->days, h = double(a.height()) / map_->rows;
        p.setPen(QPen(pal.color(QPalette::Highlight), 2));
        p.drawRect(
            QRectF(a.left() + cursorDay_ * w - 1, a.top() + cursorRow_ * h - 1, w + 2, h + 2));
    }
}

void HeatMapTable::setMap(std::shared_ptr<const HeatMap> map) {
    beginResetModel();
    map_ = std::move(map);
    endResetModel();
}

int HeatMapTable::rowCount(const QModelIndex&) const {
    return map_ ? map_->days : 0;
}

int HeatMapTable::columnCount(const QModelIndex&) const {
    return map_ ? map_->rows : 0;
}

QVariant HeatMapTable::data(const QModelIndex& index, int role) const {
    if (!map_ || !index.isValid())
        return {};
    const HeatCell& c = map_->at(index.row(), index.column());
    if (role == Qt::DisplayRole)
        switch (c.state) {
        case HeatCell::Value:
            return QLocale().toString(double(c.kwh), 'f', 3);
        case HeatCell::Missing:
            return QStringLiteral("missing");
        case HeatCell::Skipped:
            return QStringLiteral("—");
        case HeatCell::NoData:
            return QString();
        }
    if (role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
        return map_->describe(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant HeatMapTable::headerData(int section, Qt::Orientation o, int role) const {
    if (!map_ || role != Qt::DisplayRole)
        return {};
    if (o == Qt::Vertical)
        return QLocale().toString(map_->day(section), QStringLiteral("ddd d MMM yyyy"));
    return clock(double(section) * map_->slotSeconds / 3600.0);
}
