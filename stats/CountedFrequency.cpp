// The Frequency table from counts: the estimates Evaluate makes from a population's records,
// made from the same four counts summed over the codes of the rule's field.

#include "stats/CountedFrequency.h"

#include <cmath>
#include <vector>

#include "stats/FrequencyRows.h"
#include "stats/uTavResultTables.h"
#include "table/TxDataSet.h"

namespace {

// One population's records by class code under a rule: those of each code and all of them.
struct TPopulation {
    std::array<std::int64_t, kMaxValueCode + 1> with{};
    std::int64_t known = 0;  // of a class value the class field knows (its field set)
    std::int64_t all = 0;
};

TPopulation population(const TBaza& data, const TContextClassCounts& counts, const TMnozica* rule,
                       int c) {
    static const TMnozica everyRecord(1.0, 1, "", false);
    const TMnozica& condition = rule != nullptr ? *rule : everyRecord;
    TPopulation p;
    p.all = counts.ruleRecords(condition, -1).all;
    for (int k = 0; k <= kMaxValueCode; ++k) {
        if (data.valueSet(c, k) == nullptr) continue;
        p.with[k] = counts.ruleRecords(condition, k).with;
        if (!data.isUnknownCode(c, k)) p.known += p.with[k];
    }
    return p;
}

}  // namespace

void FillFrequencyTableFromCounts(const TCountedFrequencyInputs& in, int c, TMnozica* rule,
                                  bool store, bool fill, int h) {
    const bool compareMode = in.compare1 != nullptr && in.compare2 != nullptr;
    TxDataSet& table = in.frequencyTable;
    TSuspendedViews quiet(table);
    if (fill) startFrequencyTable(table);

    const std::array<bool, kSubTotalSlot + 1>& rowVisible =
        in.rowVisible != nullptr ? *in.rowVisible : RowVisible;
    const bool hidden = classValuesHidden(in.data, c, rowVisible);

    // The prior is the Context's; the two populations are the Context and the rule's records
    // there, or those of the two compare filters under the rule.
    const TPopulation prior = population(in.data, in.context, nullptr, c);
    const TPopulation first = compareMode ? population(in.data, *in.compare1, rule, c) : prior;
    const TContextClassCounts& secondCounts = compareMode                 ? *in.compare2
                                              : in.ruleRecords != nullptr ? *in.ruleRecords
                                                                          : in.context;
    const TPopulation second = population(in.data, secondCounts, rule, c);
    std::int64_t visiblePrior = 0, visibleFirst = 0, visibleSecond = 0;
    for (int k = 0; k <= kMaxValueCode; ++k) {
        if (in.data.valueSet(c, k) == nullptr || !rowVisible[k]) continue;
        visiblePrior += prior.with[k];
        visibleFirst += first.with[k];
        visibleSecond += second.with[k];
    }

    long double sum = 0;
    int sumF = 0;
    int sumS = 0;
    double ruleSignif = 0;
    for (int k = 0; k <= kSubTotalSlot; ++k) {
        const TMnozica* S = in.data.valueSet(c, k);
        if (S == nullptr || !(rowVisible[k] || (k == kSubTotalSlot && hidden))) continue;
        TEstimate one, two;
        if (k == kSubTotalSlot) {
            // The hidden values' "Sub-total": the visible values together, within every record.
            one = EstimateFromCounts(prior.all, visiblePrior, first.all, visibleFirst, S->SetM);
            two = EstimateFromCounts(prior.all, visiblePrior, second.all, visibleSecond, S->SetM);
        } else {
            // A value of the class field within the records whose class is known; an unknown
            // code's value has none of them.
            const bool known = !in.data.isUnknownCode(c, k);
            const std::int64_t priorN = known ? prior.with[k] : 0;
            one = EstimateFromCounts(prior.known, priorN, first.known, known ? first.with[k] : 0,
                                     S->SetM);
            two = EstimateFromCounts(prior.known, priorN, second.known, known ? second.with[k] : 0,
                                     S->SetM);
        }
        if (k == h) {
            in.chart.ChartAlpha1 = one.dist.Alpha, in.chart.ChartBeta1 = one.dist.Beta;
            in.chart.ChartAlpha2 = two.dist.Alpha, in.chart.ChartBeta2 = two.dist.Beta;
        }
        const double signif = in.windows != nullptr ? two.dist.ProbAbove(one.dist, *in.windows)
                                                    : two.dist.ProbAbove(one.dist);
        const double change = two.scale - one.scale;
        if (k == kSubTotalSlot) {
            sum = change;
            ruleSignif = signif;
        } else {
            sum += std::fabs(change);
        }
        sumF += one.count;
        sumS += two.count;
        if (fill) {
            writeFrequencyRow(table, k, S->SetName, one.count, one.probability, one.std, two.count,
                              two.probability, two.std, change, signif);
        }
    }
    if (fill && !hidden) finishTotalRow(table, sumF, sumS, static_cast<double>(sum));
    if (store && rule != nullptr)
        storeRuleScore(in.sets, *rule, c, static_cast<double>(sum), ruleSignif, in.rulesTable);
}
