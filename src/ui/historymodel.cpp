// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/historymodel.h"

#include "domain/bill.h"
#include "form/mainform.h"
#include "text/files.h"
#include "text/values.h"

QList<records::Period> savedPeriods(const MainForm& f) {
    const auto bytes = files::readAll(f.path(QStringLiteral("Log/") + f.HistoryLogName));
    if (!bytes)
        return {};
    const QString co2 = f.text(QStringLiteral("CO2"));
    return records::historyPeriods(QByteArrayView(*bytes),
                                   values::readsAsNumber(co2) ? values::strictValue(co2) : 0.0);
}

PeriodFigures periodFigures(const records::Period& period) {
    const records::PeriodBill& bill = *period.bill;
    PeriodFigures p;
    p.from = period.readings.date1;
    p.to = period.readings.date2;
    p.days = bill.usage.days;
    p.normalFrom = period.readings.normal1;
    p.normalTo = period.readings.normal2;
    p.cheapFrom = period.readings.cheap1;
    p.cheapTo = period.readings.cheap2;
    p.normalUnits = bill.usage.normalUnits;
    p.cheapUnits = bill.usage.cheapUnits;
    p.unitsPerDay = bill.unitsPerDay;
    p.rate1Cost = bill.costs.rate1;
    p.rate2Cost = bill.costs.rate2;
    p.cheapCost = bill.costs.cheap;
    p.fixedCharges = bill.costs.fixedCharges;
    p.discount1 = bill.costs.discount1;
    p.vat = bill.costs.vat;
    p.discount2 = bill.costs.discount2;
    p.total = bill.costs.total;
    p.costPerDay = bill.costPerDay;
    return p;
}

std::vector<PeriodFigures> periodsFromLog(QByteArrayView log, double co2, const QLocale& locale) {
    return periodFigures(records::historyPeriods(log, co2, locale));
}

std::vector<PeriodFigures> periodFigures(const QList<records::Period>& periods) {
    std::vector<PeriodFigures> out;
    out.reserve(std::size_t(periods.size()));
    // A pair of records that makes no bill (a date not after the other) has no figures to chart.
    for (const records::Period& period : periods)
        if (period.bill)
            out.push_back(periodFigures(period));
    return out;
}

void HistoryModel::setPeriods(std::vector<PeriodFigures> periods) {
    beginResetModel();
    periods_ = std::move(periods);
    compared_ = std::any_of(periods_.begin(), periods_.end(),
                            [](const PeriodFigures& p) { return p.comparedTotal.has_value(); });
    endResetModel();
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(periods_.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : (compared_ ? ColumnCount : ColumnCount - 1);
}

const PeriodFigures& HistoryModel::periodAt(int row) const {
    return periods_[periods_.size() - 1 - std::size_t(row)];
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const PeriodFigures& p = periodAt(index.row());
    const auto column = Column(index.column());
    if (role == SortRole) {
        switch (column) {
        case From:
            return p.from;
        case To:
            return p.to;
        case Days:
            return p.days;
        case NormalUnits:
            return p.normalUnits;
        case CheapUnits:
            return p.cheapUnits;
        case UnitsPerDay:
            return p.unitsPerDay;
        case Total:
            return p.total;
        case CostPerDay:
            return p.costPerDay;
        case Compared:
            return p.comparedTotal ? QVariant(*p.comparedTotal) : QVariant();
        default:
            return {};
        }
    }
    if (role == Qt::TextAlignmentRole)
        return column <= To ? int(Qt::AlignLeft | Qt::AlignVCenter)
                            : int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case From:
        return values::shortDate(p.from);
    case To:
        return values::shortDate(p.to);
    case Days:
        return values::plainNumber(double(p.days));
    case NormalUnits:
        return values::plainNumber(p.normalUnits);
    case CheapUnits:
        return values::plainNumber(p.cheapUnits);
    case UnitsPerDay:
        return values::fixed(p.unitsPerDay, values::Fixed::Two);
    case Total:
        return values::moneyResult(p.total);
    case CostPerDay:
        return values::moneyResult(p.costPerDay);
    case Compared:
        return p.comparedTotal ? values::moneyResult(*p.comparedTotal) : QString();
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const names[] = {"From",         "To",          "Days",
                                        "Normal Units", "Cheap Units", "Units/Day",
                                        "Cost",         "Cost/Day",    "Compared Cost"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QString();
}

std::vector<double> HistoryModel::series(Series s) const {
    std::vector<double> v;
    v.reserve(periods_.size());
    double running = 0;
    for (const PeriodFigures& p : periods_) {
        switch (s) {
        case Series::NormalUnits:
            v.push_back(p.normalUnits);
            break;
        case Series::CheapUnits:
            v.push_back(p.cheapUnits);
            break;
        case Series::UnitsPerDay:
            v.push_back(p.unitsPerDay);
            break;
        case Series::Rate1:
            v.push_back(p.rate1Cost);
            break;
        case Series::Rate2:
            v.push_back(p.rate2Cost);
            break;
        case Series::Cheap:
            v.push_back(p.cheapCost);
            break;
        case Series::FixedCharges:
            v.push_back(p.fixedCharges);
            break;
        case Series::Vat:
            v.push_back(p.vat);
            break;
        case Series::Discount1:
            v.push_back(-p.discount1);
            break;
        case Series::Discount2:
            v.push_back(-p.discount2);
            break;
        case Series::CostPerDay:
            v.push_back(p.costPerDay);
            break;
        case Series::ComparedTotal:
            // A period a plan has no prices for is a gap in the line, not a cost of nothing.
            v.push_back(p.comparedTotal.value_or(qQNaN()));
            break;
        case Series::ComparedDifference:
            running += p.comparedTotal ? *p.comparedTotal - p.total : 0;
            v.push_back(running);
            break;
        }
    }
    return v;
}

std::optional<std::size_t> HistoryModel::yearEarlier(std::size_t i) const {
    if (i >= periods_.size())
        return std::nullopt;
    const PeriodFigures& p = periods_[i];
    const QDate middle = p.from.addDays(values::daysBetween(p.from, p.to) / 2).addYears(-1);
    for (std::size_t j = 0; j < i; ++j) {
        if (periods_[j].from <= middle && middle < periods_[j].to)
            return j;
    }
    return std::nullopt;
}

QString HistoryModel::describe(std::size_t i) const {
    if (i >= periods_.size())
        return {};
    const PeriodFigures& p = periods_[i];
    QString text = values::shortDate(p.from) + QStringLiteral(" – ") + values::shortDate(p.to) +
                   QStringLiteral(" (") + values::plainNumber(double(p.days)) +
                   QStringLiteral(" days)\nUnits: ") + values::plainNumber(p.normalUnits) +
                   QStringLiteral(" normal, ") + values::plainNumber(p.cheapUnits) +
                   QStringLiteral(" cheap, ") + values::plainNumber(p.unitsPerDay) +
                   QStringLiteral("/day\nCost: ") + values::moneyResult(p.total) +
                   QStringLiteral(", ") + values::moneyResult(p.costPerDay) +
                   QStringLiteral("/day");
    if (p.comparedTotal)
        text += QStringLiteral("\nCompared tariff: ") + values::moneyResult(*p.comparedTotal);
    return text;
}
