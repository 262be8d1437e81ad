// A plan file of any bytes is refused with a line and a reason, or read as rows in strict
// date order that write back to a file reading as the same plan; and any period it prices
// splits into pieces whose days and pence add up to the bill's.
//
// Input: the plan file, then after a line "--" four lines: the period's first day as days
// after the plan's first date, its length in days, normal units and cheap units.
#include "fuzzinput.h"
#include "records/plan.h"

#include <cmath>
#include <cstdio>

namespace {

[[noreturn]] void fail(const char* what, QByteArrayView file) {
    fprintf(stderr, "%s\n%.*s\n", what, int(file.size()), file.data());
    __builtin_trap();
}

bool samePlan(const domain::TariffPlan& a, const domain::TariffPlan& b) {
    if (a.rows.size() != b.rows.size())
        return false;
    for (qsizetype i = 0; i < a.rows.size(); ++i) {
        const domain::PriceRow &x = a.rows[i], &y = b.rows[i];
        if (x.from != y.from || x.unit != y.unit || x.standing != y.standing ||
            x.cheap != y.cheap || x.exportRate != y.exportRate || x.vat != y.vat)
            return false;
    }
    return true;
}

qint64 pence(double amount) {
    return std::llround(amount * 100);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto [file, tail] = splitAt(bytesOf(data, size), "\n--\n");
    const auto parsed = records::plan::parsePlan(file);
    if (const auto* error = std::get_if<records::plan::PlanError>(&parsed)) {
        if (error->reason.isEmpty() || error->line < 0)
            fail("refused without a reason", file);
        return 0;
    }
    const auto& plan = std::get<domain::TariffPlan>(parsed);
    if (plan.rows.isEmpty())
        fail("read without a row", file);
    for (qsizetype i = 1; i < plan.rows.size(); ++i)
        if (!(plan.rows[i - 1].from < plan.rows[i].from))
            fail("rows out of date order", file);

    const QByteArray again = records::plan::planCsv(plan);
    const auto back = records::plan::parsePlan(again);
    const auto* backPlan = std::get_if<domain::TariffPlan>(&back);
    if (!backPlan || !samePlan(plan, *backPlan))
        fail("written back as another plan", again);

    const QList<QByteArray> lines = QByteArray(tail.data(), tail.size()).split('\n');
    if (lines.size() < 4)
        return 0;
    const QDate first = plan.rows.first().from;
    domain::PlanUsage usage;
    usage.from = first.addDays(lines[0].toInt() % 4000);
    usage.to = usage.from.addDays(lines[1].toInt() % 4000);
    usage.normalUnits = std::fmod(std::abs(lines[2].toDouble()), 1e6);
    usage.cheapUnits = std::fmod(std::abs(lines[3].toDouble()), 1e6);
    const domain::PlanPricing pricing = domain::pricePlan(plan, usage);
    if (!pricing.bill)
        return 0;
    const domain::PlanBill& bill = *pricing.bill;
    qint64 days = 0, cost = 0;
    for (const domain::PlanPiece& p : bill.pieces) {
        if (p.days <= 0 || p.from.daysTo(p.to) != p.days)
            fail("a piece of no days", file);
        days += p.days;
        cost += pence(p.cost);
    }
    if (days != bill.days || days != usage.from.daysTo(usage.to) || cost != pence(bill.total))
        fail("pieces do not add up to the bill", file);
    return 0;
}
