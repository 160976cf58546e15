#include "session/uTavSession.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/DataFileHeader.h"
#include "core/Errors.h"
#include "core/FieldTypes.h"
#include "core/FileCheck.h"
#include "core/SummaryFile.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "expr/FilterExpression.h"
#include "expr/FilterRangeCheck.h"
#include "expr/ReadableFilter.h"
#include "stats/CountSource.h"
#include "stats/RuleScores.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"
#include "table/TxDataView.h"

namespace {

// The lower bound of both m settings: an m of 0 would divide by zero.
constexpr double kMinM = 0.01;

// A result table that lives in memory only, with the columns of its header hook.
std::unique_ptr<TXMLDataSet> openResultTable(void (*header)(TxDataSet&)) {
    auto table = std::make_unique<TXMLDataSet>();
    table->SetCodePageIn(cp1250);
    table->OnGetHeader = header;
    table->open();
    return table;
}

// Counts the nesting of commands for the length of one, also when it fails.
class TNesting {
  public:
    explicit TNesting(int& depth) : m_depth(depth) { ++m_depth; }
    ~TNesting() { --m_depth; }
    TNesting(const TNesting&) = delete;
    TNesting& operator=(const TNesting&) = delete;

  private:
    int& m_depth;
};

// A filter text as it is recorded once applied: without the blanks around it.
std::string appliedText(const std::string& text) {
    return trimRightBlanks(trimLeftBlanks(text));
}

// The constants of one applied filter that lie outside their fields' codes, and how the
// warning names the filter ("context filter").
struct TFilterOutside {
    const char* filterName;
    std::vector<TConstantOutsideField> outside;
};

// "30", "30 and 45", "30, 45 and 60".
std::string listOfConstants(const std::vector<int32_t>& constants) {
    std::string text;
    for (size_t k = 0; k < constants.size(); ++k) {
        if (k > 0) text += k + 1 == constants.size() ? " and " : ", ";
        text += std::to_string(constants[k]);
    }
    return text;
}

// One message for the filters of one application, one sentence per field of each filter, e.g.
// "Warning: AGE compares interval numbers 0..4 (not values); the constant 30 in the context
// filter is outside them."; "" when no constant is outside.
std::string outsideWarning(const TBaza& data, const std::vector<TFilterOutside>& filters) {
    std::string message;
    for (const TFilterOutside& filter : filters) {
        std::vector<int> fields;  // in the order of their first constant
        for (const TConstantOutsideField& item : filter.outside) {
            if (std::find(fields.begin(), fields.end(), item.field) == fields.end())
                fields.push_back(item.field);
        }
        for (const int field : fields) {
            std::vector<int32_t> constants;
            int low = 0;
            int high = 0;
            for (const TConstantOutsideField& item : filter.outside) {
                if (item.field != field) continue;
                constants.push_back(item.constant);
                low = item.low;
                high = item.high;
            }
            const bool intervals = isIntervalType(data.fieldType(field));
            message +=
                (message.empty() ? "Warning: " : " ") + data.fieldName(field) + " compares " +
                (intervals ? "interval numbers " : "codes ") + std::to_string(low) + ".." +
                std::to_string(high) + (intervals ? " (not values)" : "") + "; the constant" +
                (constants.size() > 1 ? "s " : " ") + listOfConstants(constants) + " in the " +
                filter.filterName + (constants.size() > 1 ? " are" : " is") + " outside them.";
        }
    }
    return message;
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

void TTavSession::runCommand(const std::function<void()>& body) {
    const bool outermost = m_commandDepth == 0;
    if (outermost) {
        m_warningShown = false;
        m_frequencyStale = false;
    }
    TNesting nesting(m_commandDepth);
    body();
    if (!outermost || !m_frequencyStale) return;
    m_frequencyStale = false;
    // Still inside the command, so that its compare-mode warning is the command's one.
    if (m_dataReady && m_data != nullptr) computeFrequency();
}

void TTavSession::showMessage(const std::string& message) const {
    if (m_hooks.showMessage) m_hooks.showMessage(message);
}

void TTavSession::progress(double fraction) const {
    if (m_hooks.progress) m_hooks.progress(fraction);
}

void TTavSession::loadDataFile(const std::string& fileName) {
    runCommand([&] {
        // Only a regular file is read: a named pipe would wait for a writer, a folder or a
        // socket has no data, and a refused file says why.
        const std::string problem = dataFileProblem(fileName);
        if (!problem.empty()) throw EInOutError(problem);
        // A plain table would be read as garbage records; the front ends offer its import.
        if (!fileHasDataFileHeader(fileName)) {
            throw ENotADataFile(fileName, "The file \"" + displayPath(fileName) +
                                              "\" is not a data file: its first line is not a "
                                              "\"TAV DATA\" header.");
        }
        auto data = std::make_unique<TBaza>();
        auto sets = std::make_unique<TSetCatalogue>();
        TLoadHooks hooks;
        hooks.progress = m_hooks.progress;
        hooks.showMessage = m_hooks.showMessage;
        hooks.buildSets = [&](TBaza& loaded, const ProgressHook& report) {
            // A kind the reader cannot split, or an empty names line, gives no fields.
            if (loaded.FieldCount() == 0) {
                throw ETavError("The data file \"" + displayPath(fileName) +
                                "\" gives no fields: there is nothing to explore.");
            }
            if (loaded.RecordCount() == 0) {
                throw ETavError("The data file \"" + displayPath(fileName) +
                                "\" has no records: there is nothing to explore.");
            }
            BuildSets(loaded, *sets, kAllSetLists, MParam, report);
        };
        try {
            data->loadDataFile(fileName, dfkFromHeader, cpUnknown, hooks);
        } catch (...) {
            progress(0);
            throw;
        }
        if (data->errorFlag()) throw EInOutError(data->errorText());

        if (m_writesSummaryReport) {
            const TSummaryOutcome summary = writeSummaryBeside(*data, fileName);
            if (!summary.written) showMessage(summary.warning);
        }
        // The whole load succeeded: the new table and its sets replace the old ones.
        takeNewTable(std::move(data), std::move(sets), nullptr, {});
        m_dataFileName = fileName;
        m_database.reset();
        startNewTable();
    });
}

void TTavSession::takeNewTable(std::shared_ptr<TBaza> data, std::unique_ptr<TSetCatalogue> sets,
                               std::unique_ptr<TCountSource> source,
                               std::vector<TKeptCounts> counts) {
    clearActivePair();
    m_dataReady = false;
    m_sets = std::move(sets);
    m_data = std::move(data);
    m_countSource = std::move(source);
    m_keptCounts = std::move(counts);
    m_ruleCountsStale = true;
    ++m_loadNumber;
    m_scoresComputedUnder.reset();  // the new sets have no scores yet
    m_findingsComputedUnder.reset();
    m_rulesScored = m_rulesToScore = 0;
    // The class is a field of the table it was chosen in: a number carried over to another
    // table would name an unrelated field. A session file brings its own.
    m_classField = 0;
}

void TTavSession::startNewTable() {
    m_context.history.assign(1, " ");
    m_contextPending = true;
    applyContext();
    applyCompare();
    FillResultTables(true);
    m_dataReady = true;
    invalidateFrequency();
}

void TTavSession::loadDatabaseCopy(const std::string& dataFile, const TDatabaseSource& source) {
    runCommand([&] {
        loadDataFile(dataFile);
        m_database = source;
    });
}

double TTavSession::setting(TSetting which) {
    switch (which) {
        case TSetting::MPrior:
            return MPrior;
        case TSetting::MParam:
            return MParam;
        case TSetting::SignificancePct:
            return SignificancePct;
    }
    return 0;
}

void TTavSession::setSetting(TSetting which, double value) {
    const bool isM = which != TSetting::SignificancePct;
    if (!std::isfinite(value) || (isM && value > kMaxSetting)) {
        const std::string name = which == TSetting::MPrior ? "m for the prior"
                                 : isM                     ? "m"
                                                           : "the significance level";
        throw ETavError("The value of " + name + " must be a number" +
                        (isM ? " of at most " + realToText(0, 0, kMaxSetting) : std::string()) +
                        "; it stays " + realToText(0, 2, setting(which)) + ".");
    }
    runCommand([&] {
        switch (which) {
            case TSetting::MPrior:
                MPrior = std::max(value, kMinM);
                break;
            case TSetting::MParam:
                MParam = std::max(value, kMinM);
                // Every set is evaluated with the m it keeps: a new m reaches them all, the
                // sub-totals of hidden rows and of the findings too.
                m_sets->setEveryM(MParam);
                break;
            case TSetting::SignificancePct:
                SignificancePct = std::max(value, 0.0);
                break;
        }
        invalidateFrequency();
    });
}

TComputedUnder TTavSession::computedUnderNow(int target, int minCount) const {
    TComputedUnder now;
    now.load = m_loadNumber;
    now.classField = m_classField;
    now.target = target;
    now.context = m_appliedContext;
    now.compare1 = m_appliedCompare1;
    now.compare2 = m_appliedCompare2;
    now.mPrior = MPrior;
    now.mParam = MParam;
    now.significancePct = SignificancePct;
    if (m_data != nullptr) {
        for (int i = 0; i < m_data->FieldCount(); ++i) {
            const TMnozica* field = m_sets->fieldSet(i);
            if (field != nullptr && field->Selected != 0) now.selected.push_back(i);
        }
    }
    now.minCount = minCount;
    return now;
}

bool TTavSession::scoresOutdated() const {
    return m_scoresComputedUnder &&
           !(m_scoresComputedUnder->scoresPart() == computedUnderNow().scoresPart());
}

std::string TTavSession::scoresComputedUnder() const {
    if (!m_scoresComputedUnder) return "";
    const TComputedUnder& basis = *m_scoresComputedUnder;
    const std::string context = trimRightBlanks(trimLeftBlanks(basis.context));
    std::string text = "Scores of m(prior) = " + realToText(0, 2, basis.mPrior) +
                       ", m = " + realToText(0, 2, basis.mParam) + ", context " +
                       (context.empty() ? std::string("(all records)") : context);
    if (!basis.compare1.empty() || !basis.compare2.empty())
        text += ", compare " + basis.compare1 + " / " + basis.compare2;
    return text;
}

void TTavSession::setContextText(const std::string& text) {
    m_context.text = text;
    m_contextPending = true;
}

void TTavSession::setCompareTexts(const std::string& compare1, const std::string& compare2) {
    m_compare1.text = compare1;
    m_compare2.text = compare2;
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
    runCommand([this] { applyContext(); });
}

void TTavSession::updateContext(const std::string& text) {
    runCommand([&] {
        m_context.text = text;
        applyContext();
    });
}

void TTavSession::updateCompare() {
    runCommand([this] { applyCompare(); });
}

void TTavSession::updateCompare(const std::string& compare1, const std::string& compare2) {
    runCommand([&] {
        setCompareTexts(compare1, compare2);
        applyCompare();
    });
}

void TTavSession::applyContext() {
    m_contextPending = false;
    if (m_data == nullptr || m_sets->context() == nullptr) return;
    std::vector<TConstantOutsideField> outside;
    TFilterFormChoice form;
    const std::string error = applyFilter(*m_sets->context(), m_context.text, outside, form);
    m_ruleCountsStale = true;
    m_contextError = error;
    // The list's blank entry " " is no filter, as "" is: both must record the same context, or
    // re-applying it would mark the scores outdated. A readable text with an error leaves the
    // context as it was, and so what it was applied under.
    if (error.empty() || form.form == TFilterForm::Postfix)
        m_appliedContext = error.empty() ? appliedText(m_context.text) : std::string();
    if (error.empty()) {
        rememberExpression(m_context);
    } else {
        showMessage("Error in context filter expression: " + error);
    }
    std::string warning = ambiguousFormWarning(form, "context filter");
    const std::string outsideText =
        outsideWarning(*m_data, {{"context filter", std::move(outside)}});
    if (!outsideText.empty()) warning += (warning.empty() ? "" : "\n") + outsideText;
    // Without records every estimate is the prior alone (0.500 for each of two values), which
    // reads like a result; one message per update says both this and the warning.
    const long long inContext =
        m_countSource ? contextCounts().contextAll() : m_sets->context()->bitCount();
    if (error.empty() && inContext == 0) {
        warning += (warning.empty() ? "" : "\n") + std::string(kEmptyContextMessage);
    }
    if (!warning.empty()) showMessage(warning);
    progress(0);
    FillResultTables(false);
    invalidateFrequency();
}

void TTavSession::applyCompare() {
    m_comparePending = false;
    if (m_data == nullptr || m_sets->compare1() == nullptr) return;
    struct Target {
        TMnozica* set;
        TFilterInput* input;
        std::string* error;
        const char* prefix;
        const char* filterName;
    };
    const Target targets[] = {{m_sets->compare1(), &m_compare1, &m_compare1Error,
                               "Error in compare 1 expression: ", "compare 1 expression"},
                              {m_sets->compare2(), &m_compare2, &m_compare2Error,
                               "Error in compare 2 expression: ", "compare 2 expression"}};
    std::vector<TFilterOutside> outside;
    std::string formWarnings;
    bool kept[2] = {false, false};
    for (const Target& target : targets) {
        target.error->clear();
        if (target.input->text.empty()) {
            target.set->setAll();
            continue;
        }
        outside.push_back({target.filterName, {}});
        TFilterFormChoice form;
        const std::string error =
            applyFilter(*target.set, target.input->text, outside.back().outside, form);
        *target.error = error;
        kept[&target - targets] = !error.empty() && form.form == TFilterForm::Readable;
        const std::string formWarning = ambiguousFormWarning(form, target.filterName);
        if (!formWarning.empty()) formWarnings += (formWarnings.empty() ? "" : "\n") + formWarning;
        if (error.empty()) {
            rememberExpression(*target.input);
        } else {
            showMessage(target.prefix + error);
        }
    }
    // Both expressions are one application: one warning for the two.
    std::string warning = formWarnings;
    const std::string outsideText = outsideWarning(*m_data, outside);
    if (!outsideText.empty()) warning += (warning.empty() ? "" : "\n") + outsideText;
    if (!warning.empty()) showMessage(warning);
    // A readable text with an error leaves its record set, and so what it was applied under.
    if (!kept[0])
        m_appliedCompare1 = m_compare1Error.empty() ? appliedText(m_compare1.text) : std::string();
    if (!kept[1])
        m_appliedCompare2 = m_compare2Error.empty() ? appliedText(m_compare2.text) : std::string();
    m_usingCompareText =
        UseCompareFilters() ? "Using compare filters" : "Using simple rules as conditions";
    progress(0);
    FillResultTables(false);
    invalidateFrequency();
}

bool TTavSession::UseCompareFilters() {
    if (m_contextPending || m_comparePending) {
        if (!m_warningShown || m_commandDepth == 0) {
            showMessage("Warning: Filter and/or Compare expressions should be updated.");
        }
        m_warningShown = true;
        return false;
    }
    return !m_compare1.text.empty() || !m_compare2.text.empty();
}

std::string TTavSession::applyFilter(TMnozica& set, const std::string& expression,
                                     std::vector<TConstantOutsideField>& outside,
                                     TFilterFormChoice& form) {
    outside.clear();
    std::string error;
    form = chooseFilterForm(expression);
    // A counted table's filters are checked, and applied at its next counts, where its records
    // are; its description has no record to try a postfix expression on.
    if (m_countSource) {
        error = m_countSource->filterError(expression);
        if (form.form == TFilterForm::Readable || !error.empty()) return error;
        outside = constantsOutsideFields(TFilterExpression(expression).tokens(), *m_data);
        return "";
    }
    if (form.form == TFilterForm::Readable) {
        // Parsed and resolved whole before the set is touched: an error changes nothing.
        const std::unique_ptr<TReadableFilter> filter =
            TReadableFilter::compile(*m_data, expression, error);
        if (!filter) return error;
        filter->select(set, [this](double fraction) { progress(fraction); });
        return "";
    }
    set.clearAll();
    const TFilterExpression filter(expression);
    if (!filter.evaluate(*m_data, -1, error)) {
        set.setAll();
        return error;
    }
    outside = constantsOutsideFields(filter.tokens(), *m_data);
    const int records = m_data->RecordCount();
    for (int r = 0; r < records; ++r) {
        // A one-record table reports 0 instead of 0 / 0.
        if (r % 256 == 0) progress(records > 1 ? static_cast<double>(r) / (records - 1) : 0.0);
        if (filter.evaluate(*m_data, r, error)) set.setBit(r);
    }
    return "";
}
