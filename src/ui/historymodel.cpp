// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/historymodel.h"

#include "domain/bill.h"
#include "records/billformat.h"
#include "records/logformat.h"
#include "text/errors.h"
#include "text/lines.h"
#include "text/values.h"

namespace {

QString column(QStringView line, qsizetype from, qsizetype width) {
    return line.mid(from, width).trimmed().toString();
}

QString withoutPercent(QString text) {
    if (text.endsWith(QLatin1Char('%')))
        text.chop(1);
    return text;
}

// A record's reading and tariff columns as the window's fields would hold them.
struct Record {
    QMap<QString, QString> texts; // Date2, NRead2, CRead2 and the tariff fields
    billformat::Modes modes;
    double fixedCharges = 0; // total of the bill
};

Record recordOf(QStringView line, const QLocale& locale) {
    Record r;
    auto& t = r.texts;
    t[QStringLiteral("Date2")] = records::dateColumn(line);
    t[QStringLiteral("NRead2")] = column(line, 13, 7);
    t[QStringLiteral("CRead2")] = column(line, 22, 7);
    t[QStringLiteral("NormalR1")] = column(line, 31, 7);
    t[QStringLiteral("NormalR2")] = column(line, 40, 7);
    t[QStringLiteral("BPoint")] = column(line, 50, 5);
    t[QStringLiteral("CheapR")] = column(line, 57, 7);
    t[QStringLiteral("VAT")] = withoutPercent(column(line, 75, 5));
    const QString disc1 = column(line, 82, 6);
    t[QStringLiteral("Disc1")] = withoutPercent(disc1);
    t[QStringLiteral("Disc2")] = column(line, 92, 6);
    r.modes.perDay = line.mid(49, 1) == QLatin1String("D");
    r.modes.disc1Percent = disc1.endsWith(QLatin1Char('%'));
    r.modes.disc2Fixed = line.mid(90, 1) == QLatin1String("F");
    r.modes.monthly = line.mid(100).contains(QLatin1String("Mon"));
    const QString fixed = column(line, 66, 7);
    r.fixedCharges = values::readsAsNumber(fixed, locale) ? values::strictValue(fixed, locale) : 0;
    return r;
}

} // namespace

std::vector<PeriodFigures> periodsFromLog(const QString& log, const QLocale& locale) {
    std::vector<PeriodFigures> out;
    std::optional<Record> previous;
    const int decimals = domain::currencyDecimals(locale);
    lines::forEachLine(log, [&](QStringView line) {
        if (!records::isDataLine(line, locale))
            return;
        Record current = recordOf(line, locale);
        if (previous) {
            QMap<QString, QString> texts = current.texts;
            texts[QStringLiteral("Date1")] = previous->texts.value(QStringLiteral("Date2"));
            texts[QStringLiteral("NRead1")] = previous->texts.value(QStringLiteral("NRead2"));
            texts[QStringLiteral("CRead1")] = previous->texts.value(QStringLiteral("CRead2"));
            if (auto in = billformat::inputsFromTexts(texts, current.modes, locale)) {
                try {
                    // The line keeps the bill's fixed charges; the tariff's are per period.
                    domain::Bill bill = domain::computeBill(in->tariff, in->readings, decimals);
                    if (bill.usage.periods > 0 && current.fixedCharges != 0) {
                        in->tariff.fixedCharge = current.fixedCharges / bill.usage.periods;
                        bill = domain::computeBill(in->tariff, in->readings, decimals);
                    }
                    PeriodFigures p;
                    p.from = in->readings.date1;
                    p.to = in->readings.date2;
                    p.days = bill.usage.days;
                    p.normalFrom = in->readings.normal1;
                    p.normalTo = in->readings.normal2;
                    p.cheapFrom = in->readings.cheap1;
                    p.cheapTo = in->readings.cheap2;
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
                    out.push_back(p);
                } catch (const RuntimeError&) {
                    // A record the domain cannot price is left out; the rest still show.
                }
            }
        }
        previous = std::move(current);
    });
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
        return values::plainNumber(p.unitsPerDay);
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
            v.push_back(p.comparedTotal.value_or(0));
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
