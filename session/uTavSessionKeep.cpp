// The session's session-file commands: what a session file keeps of the state, and the state
// made again from one.

#include <algorithm>
#include <filesystem>

#include "core/DataFileOrigin.h"
#include "core/Errors.h"
#include "core/FileCheck.h"
#include "core/Sha256.h"
#include "core/uTavObj.h"
#include "session/uTavSession.h"
#include "stats/uTavFreq.h"

namespace {

TSessionFilter keptFilter(const TFilterInput& input) {
    return {input.text, input.history};
}

// A field number kept in a session file that the table loaded for it does not have.
void refuseOutside(const char* what, int number, int count) {
    if (number >= 0 && number < count) return;
    throw ETavError(std::string("The session's ") + what + " " + std::to_string(number) +
                    " is outside the fields of the data file (0.." + std::to_string(count - 1) +
                    "); the data file is loaded with its defaults.");
}

}  // namespace

TSessionFile TTavSession::sessionFile() const {
    TSessionFile kept;
    kept.source.path = m_dataFileName;
    kept.mPrior = MPrior;
    kept.mParam = MParam;
    kept.significancePct = SignificancePct;
    kept.classField = m_classField;
    kept.context = keptFilter(m_context);
    kept.compare1 = keptFilter(m_compare1);
    kept.compare2 = keptFilter(m_compare2);
    if (m_data == nullptr) return kept;
    if (m_database) {
        kept.source.kind = "database";
        kept.source.database = m_database;
        kept.source.path.clear();
    } else {
        kept.source.sha256 = sha256OfFile(m_dataFileName).value_or("");
        if (const auto imported = readDataFileOrigin(m_dataFileName, kept.source.sha256)) {
            kept.source.importedFrom =
                originalPathFromDataFile(imported->originalPath, m_dataFileName);
            kept.source.importedSha256 = imported->originalSha256;
            kept.source.importArguments = imported->importArguments;
        }
    }
    kept.selectedFields = computedUnderNow().selected;
    for (int k = 0; k <= kMaxValueCode; ++k) {
        if (!RowVisible[k] && m_data->valueSet(m_classField, k) != nullptr)
            kept.hiddenClassValues.push_back(k);
    }
    // The row of the active rule changes with a ranking; its number in creation order does not.
    if (const TMnozica* rule = m_sets->SetLists[slRules].item(activeRuleNumber()))
        kept.activeRule = std::max(rule->SetNumber - 1, 0);  // "Complete set" has no number
    if (m_findingsComputedUnder) {
        kept.findingsTarget = m_findingsComputedUnder->target;
        kept.findingsMinCount = m_findingsComputedUnder->minCount;
    }
    return kept;
}

void TTavSession::openSession(const TSessionFile& kept, const std::string& dataFile) {
    runCommand([&] {
        // The load first: when it fails, nothing of the session has been applied.
        if (kept.source.database) {
            loadDatabaseCopy(dataFile, *kept.source.database);
        } else {
            loadDataFile(dataFile);
        }
        applyKept(kept);
    });
}

void TTavSession::applyKept(const TSessionFile& kept) {
    runCommand([&] {
        const int fields = m_data->FieldCount();
        refuseOutside("class field", kept.classField, fields);
        for (const int field : kept.selectedFields)
            refuseOutside("selected field", field, fields);
        setSetting(TSetting::MPrior, kept.mPrior);
        setSetting(TSetting::MParam, kept.mParam);
        setSetting(TSetting::SignificancePct, kept.significancePct);
        setClassField(kept.classField);
        selectAllFields(false);
        selectFields(kept.selectedFields);
        m_context.history = kept.context.history;
        m_compare1.history = kept.compare1.history;
        m_compare2.history = kept.compare2.history;
        updateContext(kept.context.text);
        updateCompare(kept.compare1.text, kept.compare2.text);
        showAllRows();
        hideClassValues(kept.hiddenClassValues);
        // The rule's number is its creation order from 0; its set counts from 1, but for the
        // "Complete set" (0), which has no creation number.
        moveToRuleNumbered(kept.activeRule == 0 ? 0 : kept.activeRule + 1);
    });
}

bool TTavSession::loadDataFileWithItsSession(const std::string& fileName) {
    const std::string beside = sessionPathBeside(fileName);
    if (!dataFileProblem(beside).empty()) {
        loadDataFile(fileName);
        return false;
    }
    TSessionFile kept;
    try {
        kept = readSessionFile(beside);
    } catch (const ETavError& refused) {
        // The data file is what was asked for: it loads all the same, with its defaults.
        loadDataFile(fileName);
        showMessage(refused.what());
        return false;
    }
    openSession(kept, fileName);
    return true;
}
