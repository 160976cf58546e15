// The session's findings commands: the findings of one class value and the way back from a
// finding to its simple rule.

#include "core/DataFileOrigin.h"
#include "core/Errors.h"
#include "core/Sha256.h"
#include "core/Win1250.h"
#include "session/uTavSession.h"
#include "stats/RuleScores.h"
#include "table/TXMLDataSet.h"

TFindings TTavSession::computeFindings(int target, int minCount, TFindingsSort sort,
                                       const std::function<bool()>& cancelled) {
    if (m_data == nullptr) throw ETavError("Load a data file first: there are no findings yet.");
    TFindingsOptions options;
    options.classField = m_classField;
    options.target = target;
    options.minCount = minCount;
    options.sort = sort;
    TFindingsHooks hooks{m_hooks.progress, cancelled};
    const TComputedUnder under = computedUnderNow(target, minCount);
    m_findingsComputedUnder.reset();
    try {
        TFindings findings = ComputeFindings(*m_data, *m_sets, options, hooks,
                                             m_countSource ? &contextCounts() : nullptr);
        if (!findings.cancelled) m_findingsComputedUnder = under;
        return findings;
    } catch (const ETavError&) {
        // The same inputs are refused the same way (a class without coded values).
        progress(0);
        m_findingsComputedUnder = under;
        throw;
    } catch (...) {
        progress(0);
        throw;
    }
}

TThresholdSweep TTavSession::computeThresholdSweep(int target, int field) {
    if (m_data == nullptr) throw ETavError("Load a data file first: there is nothing to sweep.");
    return ComputeThresholdSweep(*m_data, *m_sets, m_classField, target, field,
                                 m_countSource ? &contextCounts() : nullptr);
}

TFindingsProvenance TTavSession::findingsProvenance() const {
    TFindingsProvenance origin;
    origin.dataFile = m_dataFileName;
    if (m_data == nullptr) return origin;
    origin.records = recordCount();
    if (m_database) {
        // The copy is the program's own: the user knows the table by its database.
        origin.dataFile = utf8ToWin1250(displayText(*m_database));
        for (const std::string& word : sourceArguments(*m_database))
            origin.databaseArguments.push_back(utf8ToWin1250(word));
        origin.databaseArguments.insert(origin.databaseArguments.end(),
                                        m_database->importWords.begin(),
                                        m_database->importWords.end());
    } else {
        origin.sha256 = sha256OfFile(m_dataFileName).value_or("");
        if (const auto imported = readDataFileOrigin(m_dataFileName, origin.sha256)) {
            origin.originalTable = imported->originalPath;
            origin.originalSha256 = imported->originalSha256;
            origin.importArguments = imported->importArguments;
        }
    }
    // A postfix expression with an error left the Context at all records, a readable one at
    // what was applied before.
    origin.context = m_contextError.empty() ? m_context.text : m_appliedContext;
    if (origin.context.find_first_not_of(' ') == std::string::npos) origin.context.clear();
    origin.contextPending = m_contextPending;
    origin.compare1 = m_compare1.text;
    origin.compare2 = m_compare2.text;
    origin.fieldCount = m_data->FieldCount();
    for (int i = 0; i < origin.fieldCount; ++i) {
        const TMnozica* field = m_sets->fieldSet(i);
        if (field != nullptr && field->Selected != 0) origin.selectedFields.push_back(i);
    }
    return origin;
}

bool TTavSession::moveToRuleNumbered(int setNumber) {
    const TMnozicaList& rules = m_sets->SetLists[slRules];
    for (int i = 0; i < rules.count(); ++i) {
        // The Simple rules table lists list 3 in order: row i is the rule at index i.
        if (rules.item(i)->SetNumber == setNumber) return moveToRule(i);
    }
    return false;
}
