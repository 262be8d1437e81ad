// SPDX-License-Identifier: GPL-3.0-or-later
#include "domain/plan.h"

#include "text/values.h"

#include <algorithm>

namespace domain {

const PriceRow* TariffPlan::rowOn(const QDate& day) const {
    const auto after =
        std::upper_bound(rows.cbegin(), rows.cend(), day,
                         [](const QDate& d, const PriceRow& r) { return d < r.from; });
    return after == rows.cbegin() ? nullptr : &*(after - 1);
}

PlanPricing pricePlan(const TariffPlan& plan, const PlanUsage& usage) {
    PlanPricing out;
    const qint64 days = values::daysBetween(usage.from, usage.to);
    if (!usage.from.isValid() || !usage.to.isValid() || days <= 0) {
        out.refusal = PlanRefusal::NotAfter;
        return out;
    }
    const PriceRow* row = plan.rowOn(usage.from);
    if (!row) {
        out.refusal = PlanRefusal::BeforeFirstRow;
        return out;
    }

    PlanBill bill;
    bill.usage = usage;
    bill.days = days;
    const PriceRow* const end = plan.rows.constData() + plan.rows.size();
    double normalLeft = usage.normalUnits, cheapLeft = usage.cheapUnits,
           exportLeft = usage.exportUnits;
    qint64 pence = 0; // the pieces are summed as whole hundredths: no drift over many pieces
    for (QDate start = usage.from; start < usage.to; ++row) {
        const QDate next = row + 1 != end ? std::min((row + 1)->from, usage.to) : usage.to;
        PlanPiece piece;
        piece.from = start;
        piece.to = next;
        piece.days = values::daysBetween(start, next);
        piece.price = *row;
        // The last piece takes what is left, so the pieces' units add up to the period's.
        const bool last = next == usage.to;
        const double share = double(piece.days) / double(days);
        piece.normalUnits = last ? normalLeft : usage.normalUnits * share;
        piece.cheapUnits = last ? cheapLeft : usage.cheapUnits * share;
        piece.exportUnits = last ? exportLeft : usage.exportUnits * share;
        normalLeft -= piece.normalUnits;
        cheapLeft -= piece.cheapUnits;
        exportLeft -= piece.exportUnits;
        if (piece.cheapUnits != 0 && !row->cheap) {
            out.refusal = PlanRefusal::NoCheapRate;
            out.refusedFrom = start;
            return out;
        }
        const double charges = piece.normalUnits * row->unit +
                               piece.cheapUnits * row->cheap.value_or(0) +
                               double(piece.days) * row->standing;
        const double credit = piece.exportUnits * row->exportRate.value_or(0);
        const double hundredths =
            values::roundHalfAway(charges + charges * row->vat / 100 - credit, 0);
        pence += qint64(hundredths);
        piece.cost = hundredths / 100;
        bill.pieces.append(piece);
        start = next;
    }
    bill.total = double(pence) / 100;
    bill.costPerDay = bill.total / double(days);
    const double units = usage.normalUnits + usage.cheapUnits;
    if (units > 0)
        bill.costPerUnit = bill.total / units;
    out.bill = bill;
    return out;
}

} // namespace domain
