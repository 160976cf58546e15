// The session's commands for rules of two conditions.

#include <algorithm>

#include "core/Errors.h"
#include "session/uTavSession.h"
#include "stats/ConditionText.h"
#include "stats/RuleScores.h"

namespace {

// Pairs are counted from the value codes of simple rules only.
void checkPairsPossible(const TBaza* data, const TSetCatalogue& sets) {
    if (data == nullptr) throw ETavError("Load a data file first: there are no pairs yet.");
    if (!RulesScorableFromCounts(*data, sets))
        throw ETavError("Rules of two conditions are made from simple rules only.");
}

}  // namespace

TPairFindings TTavSession::computePairFindings(int target, int minCount, int top,
                                               const std::function<bool()>& cancelled) {
    checkPairsPossible(m_data.get(), *m_sets);
    TPairFindingsOptions options;
    options.classField = m_classField;
    options.target = target;
    options.minCount = minCount;
    options.top = top;
    try {
        const auto context = m_countSource ? countsUnder({m_appliedContext}) : nullptr;
        const TCountedPairs counted = countedPairs(context.get());
        return ComputePairFindings(*m_data, *m_sets, options, {m_hooks.progress, cancelled},
                                   context ? &counted : nullptr);
    } catch (...) {
        progress(0);
        throw;
    }
}

std::vector<TPairScore> TTavSession::rankPairs(int top, bool& complete,
                                               const std::function<bool()>& cancelled) {
    checkPairsPossible(m_data.get(), *m_sets);
    try {
        const auto context = m_countSource ? countsUnder({m_appliedContext}) : nullptr;
        const TCountedPairs counted = countedPairs(context.get());
        return RankPairs(*m_data, *m_sets, m_classField, top, RowVisible,
                         {m_hooks.progress, cancelled}, complete, context ? &counted : nullptr);
    } catch (...) {
        progress(0);
        throw;
    }
}

bool TTavSession::makePairActive(int setNumberA, int setNumberB) {
    if (m_data == nullptr) return false;
    const TMnozicaList& rules = m_sets->SetLists[slRules];
    const TMnozica* a = nullptr;
    const TMnozica* b = nullptr;
    for (int i = 0; i < rules.count(); ++i) {
        const TMnozica* rule = rules.item(i);
        if (rule->SetNumber == setNumberA) a = rule;
        if (rule->SetNumber == setNumberB) b = rule;
    }
    if (a == nullptr || b == nullptr || a->Rule.size() != 1 || b->Rule.size() != 1 ||
        a->Rule[0].FieldNo == b->Rule[0].FieldNo) {
        return false;
    }
    runCommand([&] {
        clearActivePair();
        TPravilo rule = a->Rule;
        rule.push_back(b->Rule.front());
        // Without its records: FillRecordSets fills them from the codes when the table needs
        // them, as for the simple rules.
        // As many records as the sets (one for a counted table, whose records are elsewhere).
        auto pair = std::make_unique<TMnozica>(a->SetM, a->maxIndex() + 1,
                                               ruleConditionText(*m_data, rule), false);
        pair->Rule = std::move(rule);
        m_activePair = std::move(pair);
        invalidateFrequency();
    });
    return true;
}

std::string TTavSession::activePairCondition() const {
    return m_activePair ? m_activePair->SetName : std::string();
}

void TTavSession::clearActivePair() {
    if (!m_activePair) return;
    // The catalogue keeps a pointer to every set it filled, to free the oldest past its budget.
    std::vector<TMnozica*>& filled = m_sets->filledOnDemand;
    filled.erase(std::remove(filled.begin(), filled.end(), m_activePair.get()), filled.end());
    m_activePair.reset();
}
