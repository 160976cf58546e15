// The session's commands for rules of two conditions.

#include "core/Errors.h"
#include "session/uTavSession.h"
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
        return ComputePairFindings(*m_data, *m_sets, options, {m_hooks.progress, cancelled});
    } catch (...) {
        progress(0);
        throw;
    }
}

std::vector<TPairScore> TTavSession::rankPairs(int top, bool& complete,
                                               const std::function<bool()>& cancelled) {
    checkPairsPossible(m_data.get(), *m_sets);
    try {
        return RankPairs(*m_data, *m_sets, m_classField, top, RowVisible,
                         {m_hooks.progress, cancelled}, complete);
    } catch (...) {
        progress(0);
        throw;
    }
}
