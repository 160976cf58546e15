// The session's Fields and Simple rules tables, the entropy-gain run and the creation order of the
// rules.

#include <algorithm>

#include "session/uTavSession.h"
#include "stats/CountedFrequency.h"
#include "stats/RuleScores.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"

namespace {

// Scored rules first, score descending, ties by creation number: a total order, so every run
// gives the same list.
bool higherScore(const TMnozica& a, const TMnozica& b) {
    if (a.Unscored != b.Unscored) return b.Unscored;
    if (a.Score != b.Score) return a.Score > b.Score;
    return a.SetNumber < b.SetNumber;
}

}  // namespace

TFrequencyInputs TTavSession::frequencyInputs() {
    return TFrequencyInputs{*m_data,       *m_sets, *m_frequency,
                            m_rules.get(), m_chart, [this] { return UseCompareFilters(); }};
}

void TTavSession::FillResultTables(bool full) {
    if (m_data == nullptr) return;
    const TMnozicaList& fieldSets = m_sets->SetLists[slFields];
    // A field's records in the Context: those whose value is known.
    auto knownInContext = [&](int field, const TMnozica* set) -> int {
        if (set == nullptr) return 0;
        if (m_countSource) return static_cast<int>(contextCounts().knownRecords(field));
        return CountInContext(*m_sets, *set);
    };
    {
        TSuspendedViews bulk(*m_fields);
        if (full) {
            emptyTable(*m_fields);
            for (int i = 0; i < m_data->FieldCount(); ++i) {
                const TMnozica* set = fieldSets.item(i);
                m_fields->append();
                m_fields->setFieldValue(FieldsColumns::kNo, TxValue(i));
                m_fields->setFieldValue(FieldsColumns::kSel, TxValue(set ? set->Selected : 0));
                m_fields->setFieldValue(FieldsColumns::kName, TxValue(m_data->fieldName(i)));
                m_fields->setFieldValue(FieldsColumns::kType, TxValue(m_data->fieldTypeSpec(i)));
                m_fields->setFieldValue(FieldsColumns::kCount, TxValue(knownInContext(i, set)));
                m_fields->post();
            }
            m_fields->first();
        } else {
            rewriteRows(*m_fields, [&](int i) {
                const TMnozica* set = fieldSets.item(i);
                m_fields->setFieldValue(FieldsColumns::kSel, TxValue(set ? set->Selected : 0));
                m_fields->setFieldValue(FieldsColumns::kCount, TxValue(knownInContext(i, set)));
            });
        }
    }
    if (m_ruleCountsStale) countRulesInContext();
    {
        TSuspendedViews bulk(*m_rules);
        emptyTable(*m_rules);
        const TMnozicaList& rules = m_sets->SetLists[slRules];
        for (int i = 0; i < rules.count(); ++i) {
            const TMnozica* set = rules.item(i);
            m_rules->append();
            m_rules->setFieldValue(RuleColumns::kNo, TxValue(i));
            m_rules->setFieldValue(RuleColumns::kName,
                                   TxValue(set->SetName.substr(0, RuleColumns::kNameLength)));
            m_rules->setFieldValue(RuleColumns::kCount, TxValue(ruleCountText(*set)));
            // A rule a cancelled run did not reach has no score, not a score of 0.
            m_rules->setFieldValue(RuleColumns::kScore,
                                   set->Unscored ? TxValue() : TxValue(set->Score));
            m_rules->setFieldValue(RuleColumns::kSignif,
                                   set->Unscored ? TxValue() : TxValue(set->Signif));
            m_rules->post();
        }
        m_rules->first();
    }
}

TxViewReader& TTavSession::fieldsTable() const {
    return *m_fields;
}

TxViewReader& TTavSession::rulesTable() const {
    return *m_rules;
}

TxViewReader& TTavSession::frequencyTable() const {
    return *m_frequency;
}

void TTavSession::countRulesInContext() {
    const TMnozicaList& rules = m_sets->SetLists[slRules];
    const TMnozica* context = m_sets->context();
    if (context == nullptr) return;
    if (m_countSource) {
        const TContextClassCounts& counts = contextCounts();
        for (int i = 0; i < rules.count(); ++i)
            rules.item(i)->ContextCount = counts.ruleRecords(*rules.item(i), -1).all;
    } else if (RulesScorableFromCounts(*m_data, *m_sets)) {
        // One pass over the Context gives every rule's count; no rule's records are needed.
        const TContextClassCounts counts(*m_data, *context, -1);
        for (int i = 0; i < rules.count(); ++i)
            rules.item(i)->ContextCount = counts.ruleRecords(*rules.item(i), -1).all;
    } else {
        for (int i = 0; i < rules.count(); ++i) {
            FillRecordSets(*m_data, *m_sets, {rules.item(i)});
            rules.item(i)->ContextCount = CountInContext(*m_sets, *rules.item(i));
        }
    }
    m_ruleCountsStale = false;
}

std::string TTavSession::ruleCountText(const TMnozica& rule) const {
    const std::string count = std::to_string(rule.ContextCount);
    return RuleFieldsSelected(*m_sets, rule.Rule) ? count : "*** " + count;
}

std::optional<std::string> TTavSession::wholeFieldName(int row) const {
    const int field = static_cast<int>(m_fields->valueAt(row, FieldsColumns::kNo).toInteger());
    if (m_data == nullptr || field < 0 || field >= m_data->FieldCount()) return std::nullopt;
    return m_data->fieldName(field);
}

std::optional<std::string> TTavSession::wholeRuleName(int row) const {
    const int number = static_cast<int>(m_rules->valueAt(row, RuleColumns::kNo).toInteger());
    const TMnozica* set = m_sets->SetLists[slRules].item(number);
    if (set == nullptr) return std::nullopt;
    return set->SetName;
}

std::optional<std::string> TTavSession::wholeClassValueName(int row) const {
    const int code = static_cast<int>(m_frequency->valueAt(row, FrequencyColumns::kNo).toInteger());
    const TMnozica* set = m_data != nullptr ? m_data->valueSet(m_classField, code) : nullptr;
    if (set == nullptr) return std::nullopt;
    return set->SetName;
}

int TTavSession::activeRuleNumber() const {
    if (!m_rules->hasCurrentRecord()) return 0;
    return static_cast<int>(m_rules->fieldValue(RuleColumns::kNo).toInteger());
}

void TTavSession::computeFrequency() {
    if (m_countSource) {
        fillCountedFrequency(
            m_activePair ? m_activePair.get() : m_sets->SetLists[slRules].item(activeRuleNumber()),
            false, true, 0);
        if (m_hooks.frequencyRecomputed) m_hooks.frequencyRecomputed();
        return;
    }
    TFrequencyInputs inputs = frequencyInputs();
    inputs.rule = m_activePair.get();
    FillFrequencyTable(inputs, m_classField, activeRuleNumber(), false, true, 0);
    if (m_hooks.frequencyRecomputed) m_hooks.frequencyRecomputed();
}

void TTavSession::refreshFrequency() {
    if (m_data == nullptr) return;
    runCommand([this] { invalidateFrequency(); });
}

void TTavSession::captureChartRow(int row) {
    if (m_data == nullptr) return;
    runCommand([&] {
        if (m_countSource) {
            fillCountedFrequency(m_activePair ? m_activePair.get()
                                              : m_sets->SetLists[slRules].item(activeRuleNumber()),
                                 false, false, row);
            return;
        }
        TFrequencyInputs inputs = frequencyInputs();
        inputs.rule = m_activePair.get();
        FillFrequencyTable(inputs, m_classField, activeRuleNumber(), false, false, row);
    });
}

void TTavSession::onTableDataChange() {
    // Outside a command (a test moving a table itself) the change is a command of its own.
    runCommand([this] {
        if (m_dataReady) invalidateFrequency();
    });
}

std::string TTavSession::partialRankingText() const {
    if (!scoresPartial()) return "";
    return "Cancelled after " + std::to_string(m_rulesScored) + " of " +
           std::to_string(m_rulesToScore) + " rules: the ranking is partial";
}

bool TTavSession::computeEntropyGains() {
    if (m_data == nullptr) return true;
    bool completed = true;
    runCommand([&] {
        m_dataReady = false;
        // Nothing the first populations depend on changes during the run.
        TFrequencyRunCache runCache;
        TFrequencyInputs inputs = frequencyInputs();
        inputs.runCache = &runCache;
        const int rules = m_rules->RecordCount();
        // Progress and the question to stop come every 1 % of the rules, not for each one, so
        // that a window repaints a hundred times at most.
        const int step = std::max(1, rules / 100);
        const TMnozicaList& ruleSets = m_sets->SetLists[slRules];
        for (int i = 0; i < ruleSets.count(); ++i)
            ruleSets.item(i)->Unscored = true;
        m_rulesToScore = rules;
        m_rulesScored = 0;
        try {
            m_rules->first();
            if (m_countSource && !UseCompareFilters()) {
                // The Context's counts, made where the records are, score every rule.
                m_rulesToScore = ruleSets.count();
                const TRuleScoreHooks scoreHooks{
                    [this](double fraction) { progress(fraction); },
                    [this] { return m_hooks.cancelRequested && m_hooks.cancelRequested(); }};
                m_rulesScored = ScoreRulesFromCounts(*m_data, *m_sets, contextCounts(),
                                                     m_classField, RowVisible, scoreHooks);
                completed = m_rulesScored == m_rulesToScore;
            } else if (!UseCompareFilters() && RulesScorableFromCounts(*m_data, *m_sets)) {
                // The default mode, the Context against each rule: from counts, on every core.
                m_rulesToScore = ruleSets.count();
                const TRuleScoreHooks scoreHooks{
                    [this](double fraction) { progress(fraction); },
                    [this] { return m_hooks.cancelRequested && m_hooks.cancelRequested(); }};
                m_rulesScored =
                    ScoreRulesFromCounts(*m_data, *m_sets, m_classField, RowVisible, scoreHooks);
                completed = m_rulesScored == m_rulesToScore;
            } else {
                for (int done = 0; m_rules->hasCurrentRecord() && !m_rules->eof(); ++done) {
                    if (done > 0 && done % step == 0) {
                        progress(static_cast<double>(done) / rules);
                        if (m_hooks.cancelRequested && m_hooks.cancelRequested()) {
                            completed = false;
                            break;
                        }
                    }
                    if (m_countSource) {
                        fillCountedFrequency(ruleSets.item(activeRuleNumber()), true, true, 0);
                    } else {
                        FillFrequencyTable(inputs, m_classField, activeRuleNumber(), true, true, 0);
                    }
                    if (TMnozica* rule = ruleSets.item(activeRuleNumber())) rule->Unscored = false;
                    ++m_rulesScored;
                    m_rules->next();
                }
            }
        } catch (...) {
            // The scores computed so far stay, nothing is re-sorted, and the Frequency table
            // follows the cursor again. The rules not reached keep their earlier scores: an
            // error is no cancelled ranking.
            for (int i = 0; i < ruleSets.count(); ++i)
                ruleSets.item(i)->Unscored = false;
            m_rulesScored = m_rulesToScore = 0;
            m_dataReady = true;
            progress(0);
            throw;
        }
        progress(0);
        m_dataReady = true;
        m_scoresComputedUnder = computedUnderNow();
        m_sets->SetLists[slRules].sort(higherScore);
        FillResultTables(false);
        invalidateFrequency();
    });
    return completed;
}

void TTavSession::restoreOriginalOrder() {
    if (m_data == nullptr) return;
    runCommand([this] {
        m_dataReady = true;
        m_scoresComputedUnder.reset();
        m_sets->SetLists[slRules].sort(
            [](const TMnozica& a, const TMnozica& b) { return a.SetNumber < b.SetNumber; });
        FillResultTables(false);
        invalidateFrequency();
    });
}

void TTavSession::walkRules(const std::function<void(int row)>& visit) {
    if (m_data == nullptr) return;
    runCommand([&] {
        m_dataReady = true;
        m_rules->first();
        for (int row = 0; m_rules->hasCurrentRecord() && !m_rules->eof(); ++row) {
            if (m_countSource) {
                fillCountedFrequency(m_sets->SetLists[slRules].item(activeRuleNumber()), false,
                                     true, 0);
            } else {
                FillFrequencyTable(frequencyInputs(), m_classField, activeRuleNumber(), false, true,
                                   0);
            }
            visit(row);
            m_rules->next();
        }
        m_rules->first();
        invalidateFrequency();
    });
}
