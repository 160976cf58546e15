#include "stats/FrequencyRows.h"

#include <algorithm>

#include "stats/uTavResultTables.h"
#include "table/TxDataSet.h"

namespace {

// Writes the ten columns of one row into the current record buffer.
void writeColumns(TxDataSet& table, int number, const std::string& name, int nF, double pF,
                  double sdF, int nS, double pS, double sdS, double change, const TxValue& signif) {
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

bool classValuesHidden(const TBaza& data, int c,
                       const std::array<bool, kSubTotalSlot + 1>& rowVisible) {
    for (int k = 0; k <= kMaxValueCode; ++k) {
        if (data.valueSet(c, k) != nullptr && !rowVisible[k]) return true;
    }
    return false;
}

void startFrequencyTable(TxDataSet& table) {
    emptyTable(table);
    table.append();
    writeColumns(table, -1, "Total", 0, 1.0, 0, 0, 1.0, 0, 0, TxValue(0.0));
    table.post();
}

void writeFrequencyRow(TxDataSet& table, int number, const std::string& name, int nF, double pF,
                       double sdF, int nS, double pS, double sdS, double change, double signif) {
    if (number == kSubTotalSlot) {
        table.first();
        table.edit();
    } else {
        table.append();
    }
    const TxValue shownSignif = nF == 0 && nS == 0 ? TxValue() : TxValue(signif);
    writeColumns(table, number, name, nF, pF, sdF, nS, pS, sdS, change, shownSignif);
    table.post();
}

void finishTotalRow(TxDataSet& table, int sumF, int sumS, double sum) {
    table.first();
    table.edit();
    table.setFieldValue(FrequencyColumns::kFrequency, TxValue(sumF));
    table.setFieldValue(FrequencyColumns::kCondFrequency, TxValue(sumS));
    table.setFieldValue(FrequencyColumns::kEntropyChange, TxValue(sum));
    table.post();
}

void storeRuleScore(const TSetCatalogue& sets, TMnozica& rule, int c, double sum, double signif,
                    TxDataSet* rulesTable) {
    const bool onClass = std::any_of(rule.Rule.begin(), rule.Rule.end(),
                                     [c](const TItemPravila& item) { return item.FieldNo == c; });
    const bool selected = !onClass && RuleFieldsSelected(sets, rule.Rule);
    rule.Score = selected ? sum : 0;
    rule.Signif = selected ? signif : 0;
    if (rulesTable != nullptr && rulesTable->hasCurrentRecord()) {
        rulesTable->edit();
        rulesTable->setFieldValue(RuleColumns::kScore, TxValue(sum));
        rulesTable->setFieldValue(RuleColumns::kSignif, TxValue(signif));
        rulesTable->post();
    }
}
