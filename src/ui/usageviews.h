// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/usagecharts.h"

#include <QAbstractTableModel>
#include <QImage>
#include <QWidget>
#include <memory>

class QChart;

// The smart-meter window's pictures, drawn from records/usagecharts figures.

// kWh per local day: import above the axis, export below, and the 7-day average of import.
void fillDailyChart(QChart* chart, const QList<records::usage::DayTotal>& days, bool dark);
// The average day by wall-clock time, weekdays and weekends, with the tariff's bands of one
// day shaded behind.
void fillAverageChart(QChart* chart, const records::usage::AverageDay& day,
                      const QList<records::usage::BandRun>& bands, bool dark);

// The heat map, drawn by hand: one column a local day, one row a wall-clock slot. Hovering, or
// moving the cursor cell with the arrow keys, names the cell in its tool tip and accessible
// description.
class HeatMapView : public QWidget {
  public:
    explicit HeatMapView(QWidget* parent = nullptr);
    void setMap(std::shared_ptr<const records::usage::HeatMap> map);
    // The text of the cell under a point of the widget, empty outside the cells.
    QString textAt(const QPoint& p) const;
    // The cell's rectangle area (for tests and hovering).
    QRect cellArea() const;
    static QColor missingColour();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent*) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

  private:
    std::pair<int, int> cellAt(const QPoint& p) const;
    void announce(int day, int row, const QPoint& at, bool tip);
    double position(double kwh) const; // 0-1 on the colour scale
    std::shared_ptr<const records::usage::HeatMap> map_;
    QImage image_;
    int cursorDay_ = -1, cursorRow_ = -1;
};

// The heat map's figures as a table: a row a day, a column a wall-clock slot.
class HeatMapTable : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;
    void setMap(std::shared_ptr<const records::usage::HeatMap> map);
    int rowCount(const QModelIndex& = {}) const override;
    int columnCount(const QModelIndex& = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

  private:
    std::shared_ptr<const records::usage::HeatMap> map_;
};
