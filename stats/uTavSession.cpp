#include "stats/uTavSession.h"

#include "core/Errors.h"
#include "core/SummaryFile.h"
#include "core/Win1250.h"
#include "expr/FilterExpression.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"
#include "table/TxDataView.h"

namespace {

// A result table that lives in memory only, with the columns of its header hook.
std::unique_ptr<TXMLDataSet> openResultTable(void (*header)(TxDataSet&)) {
    auto table = std::make_unique<TXMLDataSet>();
    table->SetCodePageIn(cp1250);
    table->OnGetHeader = header;
    table->open();
    return table;
}

}  // namespace

TTavSession::TTavSession(TSessionHooks hooks)
    : m_hooks(std::move(hooks)),
      m_sets(std::make_unique<TSetCatalogue>()),
      m_fields(openResultTable(XMLdtStFieldsGetHeader)),
      m_rules(openResultTable(XMLDtStSimpleRulesGetHeader)),
      m_frequency(openResultTable(XMLdtstFrequencyGetHeader)) {
    auto onChange = [this](const TxNotification& n) {
        if (n.event == TxDataEvent::DataChange) onTableDataChange();
    };
    m_fieldsLink = std::make_unique<TxDataLink>(onChange);
    m_rulesLink = std::make_unique<TxDataLink>(onChange);
    m_fields->attachView(m_fieldsLink.get());
    m_rules->attachView(m_rulesLink.get());
}

TTavSession::~TTavSession() {
    m_fields->detachView(m_fieldsLink.get());
    m_rules->detachView(m_rulesLink.get());
}

TTavSession::TCommandScope::TCommandScope(TTavSession& session) : m_session(session) {
    if (m_session.m_commandDepth++ == 0) m_session.m_warningShown = false;
}

TTavSession::TCommandScope::~TCommandScope() {
    --m_session.m_commandDepth;
}

void TTavSession::showMessage(const std::string& message) const {
    if (m_hooks.showMessage) m_hooks.showMessage(message);
}

void TTavSession::progress(double fraction) const {
    if (m_hooks.progress) m_hooks.progress(fraction);
}

void TTavSession::loadDataFile(const std::string& fileName) {
    TCommandScope command(*this);
    auto data = std::make_unique<TBaza>();
    auto sets = std::make_unique<TSetCatalogue>();
    TLoadHooks hooks;
    hooks.progress = m_hooks.progress;
    hooks.showMessage = m_hooks.showMessage;
    hooks.buildSets = [&](TBaza& loaded, const ProgressHook& report) {
        if (loaded.RecordCount() == 0) {
            throw ETavError("The data file \"" + displayPath(fileName) +
                            "\" has no records: there is nothing to explore.");
        }
        BuildSets(loaded, *sets, kAllSetLists, MParam, report);
    };
    try {
        data->loadDataFile(fileName, dfkFromHeader, 0, hooks);
    } catch (...) {
        progress(0);
        throw;
    }
    if (data->errorFlag()) throw EInOutError(data->errorText());

    // The whole load succeeded: the new table and its sets replace the old ones.
    DataReady = false;
    m_sets.swap(sets);
    m_data.swap(data);
    m_dataFileName = fileName;
    if (ClassField < 0 || ClassField >= m_data->FieldCount()) ClassField = 0;

    if (writesSummaryReport) {
        const TSummaryOutcome summary = writeSummaryBeside(*m_data, fileName);
        if (!summary.written) showMessage(summary.warning);
    }

    context.history.assign(1, " ");
    contextPending = true;
    updateContext();
    updateCompare();
    FillResultTables(true);
    DataReady = true;
    refreshFrequency();
}

void TTavSession::setContextText(const std::string& text) {
    context.text = text;
    contextPending = true;
}

void TTavSession::rememberExpression(TFilterInput& input) {
    if (input.text.empty()) return;
    const std::string upper = upperCase1250(input.text);
    for (const std::string& item : input.history) {
        if (upperCase1250(item) == upper) return;
    }
    input.history.push_back(input.text);
}

void TTavSession::updateContext() {
    TCommandScope command(*this);
    contextPending = false;
    if (m_data == nullptr || m_sets->context() == nullptr) return;
    const std::string error = applyFilter(*m_sets->context(), context.text);
    contextError = error;
    if (error.empty()) {
        rememberExpression(context);
    } else {
        showMessage("Error in context filter expression: " + error);
    }
    progress(0);
    FillResultTables(false);
    if (DataReady) refreshFrequency();
}

void TTavSession::updateCompare() {
    TCommandScope command(*this);
    comparePending = false;
    if (m_data == nullptr || m_sets->compare1() == nullptr) return;
    struct Target {
        TMnozica* set;
        TFilterInput* input;
        std::string* error;
        const char* prefix;
    };
    const Target targets[] = {
        {m_sets->compare1(), &compare1, &compare1Error, "Error in compare 1 expression: "},
        {m_sets->compare2(), &compare2, &compare2Error, "Error in compare 2 expression: "}};
    for (const Target& target : targets) {
        target.error->clear();
        if (target.input->text.empty()) {
            target.set->setAll();
            continue;
        }
        const std::string error = applyFilter(*target.set, target.input->text);
        *target.error = error;
        if (error.empty()) {
            rememberExpression(*target.input);
        } else {
            showMessage(target.prefix + error);
        }
    }
    usingCompareText =
        UseCompareFilters() ? "Using compare filters" : "Using simple rules as conditions";
    progress(0);
    FillResultTables(false);
    if (DataReady) refreshFrequency();
}

bool TTavSession::UseCompareFilters() {
    if (contextPending || comparePending) {
        if (!m_warningShown || m_commandDepth == 0) {
            showMessage("Warning: Filter and/or Compare expressions should be updated.");
        }
        m_warningShown = true;
        return false;
    }
    return !compare1.text.empty() || !compare2.text.empty();
}

std::string TTavSession::applyFilter(TMnozica& set, const std::string& expression) {
    set.clearAll();
    std::string error;
    const TFilterExpression filter(expression);
    if (!filter.evaluate(*m_data, -1, error)) {
        set.setAll();
        return error;
    }
    const int records = m_data->RecordCount();
    for (int r = 0; r < records; ++r) {
        // A one-record table reports 0 instead of 0 / 0.
        if (r % 256 == 0) progress(records > 1 ? static_cast<double>(r) / (records - 1) : 0.0);
        if (filter.evaluate(*m_data, r, error)) set.setBit(r);
    }
    return "";
}
