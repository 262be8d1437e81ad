// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/historyperiods.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>
#include <vector>

// The figures of one saved period: from one record of the history log to the next.
struct PeriodFigures {
    QDate from;
    QDate to;
    qint64 days = 0;
    double normalFrom = 0;
    double normalTo = 0;
    std::optional<double> cheapFrom;
    std::optional<double> cheapTo;
    double normalUnits = 0;
    double cheapUnits = 0;
    double unitsPerDay = 0;
    double rate1Cost = 0;
    double rate2Cost = 0;
    double cheapCost = 0;
    double fixedCharges = 0;
    double discount1 = 0; // taken: positive
    double vat = 0;
    double discount2 = 0; // taken: positive
    double total = 0;
    double costPerDay = 0;
    std::optional<double> comparedTotal; // under the tariff compared with
};

// The figures of the periods that make a bill, oldest first.
PeriodFigures periodFigures(const records::Period& period);
std::vector<PeriodFigures> periodFigures(const QList<records::Period>& periods);
// The periods of a history log's bytes, each priced with the tariff its closing record keeps
// and the given CO2 factor.
std::vector<PeriodFigures> periodsFromLog(QByteArrayView log, double co2,
                                          const QLocale& locale = QLocale());

class MainForm;

// The periods of the form's history log, priced with the CO2 factor the window holds; none
// when the log cannot be read.
QList<records::Period> savedPeriods(const MainForm& f);

// The history window's data without its widgets: the table (newest first) and every chart
// series (oldest first, one value per period).
class HistoryModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column {
        From,
        To,
        Days,
        NormalUnits,
        CheapUnits,
        UnitsPerDay,
        Total,
        CostPerDay,
        Compared,
        ColumnCount
    };
    // Sort role: the plain value behind a shown text.
    static constexpr int SortRole = Qt::UserRole;

    explicit HistoryModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setPeriods(std::vector<PeriodFigures> periods);
    const std::vector<PeriodFigures>& periods() const { return periods_; }
    bool compared() const { return compared_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The period of a table row.
    const PeriodFigures& periodAt(int row) const;

    // Chart series, oldest period first.
    enum class Series {
        NormalUnits,
        CheapUnits,
        UnitsPerDay,
        Rate1,
        Rate2,
        Cheap,
        FixedCharges,
        Vat,
        Discount1, // below zero
        Discount2, // below zero
        CostPerDay,
        ComparedTotal,
        ComparedDifference // running total of compared minus saved
    };
    std::vector<double> series(Series s) const;

    // The period covering the dates a year before period i (its middle day), if the history
    // has one.
    std::optional<std::size_t> yearEarlier(std::size_t i) const;

    // A period's dates and figures, for the charts' hover text.
    QString describe(std::size_t i) const;

  private:
    std::vector<PeriodFigures> periods_;
    bool compared_ = false;
};
