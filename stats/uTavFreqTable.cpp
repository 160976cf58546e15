// The Frequency table: one row per visible value of the class field, the first population
// against the second, and the score of the current simple rule.

#include <algorithm>
#include <cmath>
#include <vector>

#include "stats/uTavFreq.h"
#include "stats/uTavResultTables.h"
#include "table/TxDataSet.h"

namespace {

// Writes the ten columns of one row into the current record buffer.
void writeRow(TxDataSet& table, int number, const std::string& name, int nF, double pF, double sdF,
              int nS, double pS, double sdS, double change, const TxValue& signif) {
    using namespace FrequencyColumns;
    table.setFieldValue(kNo, TxValue(number));
    table.setFieldValue(kName, TxValue(name.substr(0, kNameLength)));
    table.setFieldValue(kFrequency, TxValue(nF));
    table.setFieldValue(kProbability, TxValue(pF));
    table.setFieldValue(kStdProb, TxValue(sdF));
    table.setFieldValue(kCondFrequency, TxValue(nS));
    table.setFieldValue(kCondProbability, TxValue(pS));
    table.setFieldValue(kCondStdProb, TxValue(sdS));
    table.setFieldValue(kEntropyChange, TxValue(change));
    table.setFieldValue(kSignif, signif);
}

}  // namespace

void FillFrequencyTable(const TFrequencyInputs& in, int c, int r, bool store, bool fill, int h) {
    const bool compareMode = in.useCompareFilters ? in.useCompareFilters() : false;
    TMnozica* rule = in.rule != nullptr ? in.rule : in.sets.SetLists[slRules].item(r);
    TxDataSet& table = in.frequencyTable;
    TSuspendedViews quiet(table);

    if (fill) {
        emptyTable(table);
        table.append();
        writeRow(table, -1, "Total", 0, 1.0, 0, 0, 1.0, 0, 0, TxValue(0.0));
        table.post();
    }

    const std::array<bool, kSubTotalSlot + 1>& rowVisible =
        in.rowVisible != nullptr ? *in.rowVisible : RowVisible;
    int present = 0;
    int visible = 0;
    for (int k = 0; k <= kMaxValueCode; ++k) {
        if (in.data.valueSet(c, k) == nullptr) continue;
        ++present;
        if (rowVisible[k]) ++visible;
    }
    const bool hidden = visible < present;
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
        if (fill) {
            if (k == kSubTotalSlot) {
                table.first();
                table.edit();
            } else {
                table.append();
            }
            // Two priors compared say nothing: a row without records has no significance.
            const TxValue shownSignif = nF == 0 && nS == 0 ? TxValue() : TxValue(signif);
            writeRow(table, k, S->SetName, nF, pF, sdF, nS, pS, sdS, change, shownSignif);
            table.post();
        }
        if (k == kSubTotalSlot) ruleSignif = signif;
    }

    if (fill && !hidden) {
        table.first();
        table.edit();
        table.setFieldValue(FrequencyColumns::kFrequency, TxValue(sumF));
        table.setFieldValue(FrequencyColumns::kCondFrequency, TxValue(sumS));
        table.setFieldValue(FrequencyColumns::kEntropyChange, TxValue(static_cast<double>(sum)));
        table.post();
    }

    if (store && rule != nullptr && in.rule == nullptr) {
        // A rule on the class field only restates the class: it scores 0 whatever the selection.
        const bool onClass =
            std::any_of(rule->Rule.begin(), rule->Rule.end(),
                        [c](const TItemPravila& item) { return item.FieldNo == c; });
        const bool selected = !onClass && RuleFieldsSelected(in.sets, rule->Rule);
        rule->Score = selected ? static_cast<double>(sum) : 0;
        rule->Signif = selected ? ruleSignif : 0;
        if (in.rulesTable != nullptr && in.rulesTable->hasCurrentRecord()) {
            in.rulesTable->edit();
            in.rulesTable->setFieldValue(RuleColumns::kScore, TxValue(static_cast<double>(sum)));
            in.rulesTable->setFieldValue(RuleColumns::kSignif, TxValue(ruleSignif));
            in.rulesTable->post();
        }
    }
}
