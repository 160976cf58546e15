// The Frequency table: one row per visible value of the class field, the first population
// against the second, and the score of the current simple rule.

#include <algorithm>
#include <cmath>
#include <vector>

#include "stats/FrequencyRows.h"
#include "stats/uTavFreq.h"
#include "stats/uTavResultTables.h"
#include "table/TxDataSet.h"

void FillFrequencyTable(const TFrequencyInputs& in, int c, int r, bool store, bool fill, int h) {
    const bool compareMode = in.useCompareFilters ? in.useCompareFilters() : false;
    TMnozica* rule = in.rule != nullptr ? in.rule : in.sets.SetLists[slRules].item(r);
    TxDataSet& table = in.frequencyTable;
    TSuspendedViews quiet(table);

    if (fill) startFrequencyTable(table);

    const std::array<bool, kSubTotalSlot + 1>& rowVisible =
        in.rowVisible != nullptr ? *in.rowVisible : RowVisible;
    const bool hidden = classValuesHidden(in.data, c, rowVisible);
    // The rule's records and those of each class value, filled from the codes when not held.
    std::vector<TMnozica*> needed{rule};
    for (int k = 0; k <= kMaxValueCode; ++k) {
        if (rowVisible[k]) needed.push_back(in.data.valueSet(c, k));
    }
    FillRecordSets(in.data, in.sets, needed);
    TMnozica* subTotal = in.data.subTotalSet(c);
    if (hidden && subTotal != nullptr) subTotal->clearAll();

    const TStBits* compare1 = in.sets.compare1();
    const TStBits* compare2 = in.sets.compare2();
    const TStBits* context = in.sets.context();
    long double sum = 0;
    int sumF = 0;
    int sumS = 0;
    double ruleSignif = 0;
    TBeta first;
    TBeta second;
    TFrequencyRunCache::TFirst firstEval;
    TFrequencyRunCache* cache = compareMode ? nullptr : in.runCache;
    for (int k = 0; k <= kSubTotalSlot; ++k) {
        TMnozica* S = in.data.valueSet(c, k);
        if (S == nullptr || !(rowVisible[k] || (k == kSubTotalSlot && hidden))) continue;
        if (hidden && k <= kMaxValueCode && subTotal != nullptr) subTotal->orWith(S);

        // In the default mode the first population is the Context for every rule.
        TFrequencyRunCache::TFirst* kept = cache != nullptr ? &cache->first[k] : nullptr;
        if (kept == nullptr || !kept->valid) {
            const double p = compareMode ? Probability(in.sets, *S, compare1, rule)
                                         : Probability(in.sets, *S, context, nullptr);
            TFrequencyRunCache::TFirst made{true,         p,          S->Dist,
                                            S->EvalCount, S->EvalStd, S->EvalScale};
            if (kept != nullptr) *kept = made;
            firstEval = made;
        } else {
            firstEval = *kept;
        }
        const double pF = firstEval.probability;
        first = firstEval.dist;
        const int nF = firstEval.count;
        const double sdF = firstEval.std;
        const double eF = firstEval.scale;
        if (k == h) in.chart.ChartAlpha1 = first.Alpha, in.chart.ChartBeta1 = first.Beta;

        const double pS = compareMode ? Probability(in.sets, *S, compare2, rule)
                                      : Probability(in.sets, *S, context, rule);
        second = S->Dist;
        const int nS = S->EvalCount;
        const double sdS = S->EvalStd;
        const double eS = S->EvalScale;
        if (k == h) in.chart.ChartAlpha2 = second.Alpha, in.chart.ChartBeta2 = second.Beta;

        const double signif =
            cache != nullptr ? second.ProbAbove(first, cache->windows) : second.ProbAbove(first);
        const double change = eS - eF;
        if (k == kSubTotalSlot) {
            sum = change;
        } else {
            sum += std::fabs(change);
        }
        sumF += nF;
        sumS += nS;
        if (fill) writeFrequencyRow(table, k, S->SetName, nF, pF, sdF, nS, pS, sdS, change, signif);
        if (k == kSubTotalSlot) ruleSignif = signif;
    }

    if (fill && !hidden) finishTotalRow(table, sumF, sumS, static_cast<double>(sum));

    if (store && rule != nullptr && in.rule == nullptr)
        storeRuleScore(in.sets, *rule, c, static_cast<double>(sum), ruleSignif, in.rulesTable);
}
