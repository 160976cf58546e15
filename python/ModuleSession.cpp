#include "python/ModuleSession.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "batch/BatchOptions.h"
#include "batch/BatchRuleName.h"
#include "core/Errors.h"
#include "core/FileCheck.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "import/CellTableSource.h"
#include "import/Importer.h"
#include "session/ResultRows.h"
#include "stats/PairFindingsText.h"
#include "stats/uTavFindingsText.h"
#include "stats/uTavFreq.h"

namespace {

// A text of the caller as the table's Windows-1250; one that the code page cannot hold would
// select other records or name another field, so it is refused.
std::string to1250(const std::string& utf8, const std::string& what) {
    const std::string text = utf8ToWin1250(utf8);
    if (win1250ToUtf8(text) != utf8)
        throw std::invalid_argument(what + " \"" + utf8 +
                                    "\" holds a character that Windows-1250 cannot hold");
    return text;
}

bool isWholeNumber(const std::string& text) {
    return !text.empty() && text.size() <= 9 && isDecimalDigits(text);
}

// The choices typed by the caller, in the code page the importer compares them in.
TImportChoiceTexts choicesIn1250(const TImportChoiceTexts& utf8) {
    TImportChoiceTexts choices;
    for (const auto& [column, type] : utf8.types)
        choices.types.emplace_back(to1250(column, "The column"), type);
    for (const auto& [column, bins] : utf8.bins)
        choices.bins.emplace_back(to1250(column, "The column"), bins);
    for (const std::string& column : utf8.ignored)
        choices.ignored.push_back(to1250(column, "The column"));
    if (utf8.classColumn) choices.classColumn = to1250(*utf8.classColumn, "The class column");
    return choices;
}

// "DIR/NAME-tav.CSV" for the table "PATH/NAME.EXT", as the import dialog names it.
std::string dataFileName(const std::string& folder, const std::string& table) {
    const std::string stem = std::filesystem::path(table).stem().string();
    return (std::filesystem::path(folder) / ((stem.empty() ? "table" : stem) + "-tav.CSV"))
        .string();
}

}  // namespace

TModuleSession::TModuleSession()
    : m_session([this] {
          TSessionHooks hooks;
          hooks.showMessage = [this](const std::string& text) {
              m_messages.push_back(win1250ToUtf8(text));
          };
          hooks.cancelRequested = [this] { return m_cancel.load(); };
          return hooks;
      }()) {
    m_session.setWritesSummaryReport(false);
}

TModuleSession::~TModuleSession() {
    if (m_folder.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

std::string TModuleSession::temporaryFolder() {
    if (!m_folder.empty()) return m_folder;
    std::string pattern = (std::filesystem::temp_directory_path() / "tavexplorer-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw EInOutError("A temporary folder for the imported data file cannot be made");
    m_folder = pattern;
    return m_folder;
}

void TModuleSession::loadImported(TImportPlan plan, const TImportRequest& request) {
    applyImportChoices(plan, choicesIn1250(request.choices));
    const std::string out = request.dataFile.empty()
                                ? dataFileName(temporaryFolder(), plan.sourcePath)
                                : request.dataFile;
    const TImportSummary summary = writeImport(plan, out);
    for (const std::string& warning : summary.warnings)
        m_messages.push_back(win1250ToUtf8(warning));
    // The class chosen comes with the data file, as after tav-batch import.
    writeImportSessionFile(out,
                           plan.classColumn >= 0 ? importFieldIndex(plan, plan.classColumn) : 0);
    resetStatSettings();
    m_session.loadDataFileWithItsSession(out);
    m_selectionGiven = false;
}

void TModuleSession::open(const std::string& path, const TImportRequest& request) {
    if (!isCellTableFile(path)) {
        try {
            resetStatSettings();
            m_session.loadDataFileWithItsSession(path);
            if (request.any)
                throw std::invalid_argument("\"" + path +
                                            "\" is a data file: import choices do not apply");
            m_selectionGiven = false;
            return;
        } catch (const ENotADataFile&) {
            // Any other table is imported, as the window offers.
        }
    }
    loadImported(inferImport(path, request.options), request);
}

void TModuleSession::openCsvText(const std::string& text, const std::string& name,
                                 const TImportRequest& request) {
    TImportRequest asked = request;
    asked.options.encoding = TImportEncoding::Utf8;
    asked.options.delimiter = ',';
    loadImported(inferImportBytes(text, name, asked.options), asked);
}

const TBaza& TModuleSession::data() const {
    if (m_session.CurrentData() == nullptr) throw ETavError("No table is loaded");
    return *m_session.CurrentData();
}

int TModuleSession::fieldNumber(const std::string& field) const {
    const TBaza& table = data();
    if (isWholeNumber(field)) {
        const int number = std::stoi(field);
        if (number < table.FieldCount()) return number;
        throw std::invalid_argument("The field " + field + " is outside 0.." +
                                    std::to_string(table.FieldCount() - 1));
    }
    const int index = table.fieldIndex(upperCase1250(to1250(field, "The field")));
    if (index < 0) throw std::invalid_argument("The table has no field named \"" + field + "\"");
    return index;
}

int TModuleSession::classValue(const std::string& target) const {
    const TBaza& table = data();
    const int field = m_session.classField();
    if (isWholeNumber(target)) {
        const int code = std::stoi(target);
        if (code <= kMaxValueCode && table.valueSet(field, code) != nullptr) return code;
    } else {
        const std::string wanted = upperCase1250(to1250(target, "The value"));
        for (int code = 0; code <= kMaxValueCode; ++code) {
            if (table.valueSet(field, code) != nullptr &&
                upperCase1250(table.valueName(field, code)) == wanted) {
                return code;
            }
        }
    }
    throw std::invalid_argument("\"" + target + "\" is no value of the field " +
                                win1250ToUtf8(table.fieldName(field)));
}

void TModuleSession::setClass(const std::string& field) {
    m_session.setClassFieldDeselected(fieldNumber(field));
}

void TModuleSession::select(const std::vector<std::string>& fields) {
    std::vector<int> numbers;
    for (const std::string& field : fields)
        numbers.push_back(fieldNumber(field));
    m_session.runAsOneCommand([&] {
        m_session.selectAllFields(false);
        m_session.selectFields(numbers);
    });
    m_selectionGiven = true;
}

void TModuleSession::selectionForRanking() {
    if (!m_selectionGiven) m_session.selectEveryFieldButTheClass();
}

void TModuleSession::throwFilterError(size_t shownBefore, const std::string& error) {
    // The session has shown its message; it is the error, not a warning beside it.
    std::string message = "Error in filter expression: " + win1250ToUtf8(error);
    if (m_messages.size() > shownBefore) {
        message = m_messages.back();
        m_messages.pop_back();
    }
    throw ETavError(utf8ToWin1250(message));
}

void TModuleSession::context(const std::string& expression) {
    data();
    const size_t shown = m_messages.size();
    m_session.updateContext(to1250(expression, "The context expression"));
    if (!m_session.contextError().empty()) throwFilterError(shown, m_session.contextError());
}

void TModuleSession::compare(const std::string& compare1, const std::string& compare2) {
    data();
    const size_t shown = m_messages.size();
    m_session.updateCompare(to1250(compare1, "The compare expression"),
                            to1250(compare2, "The compare expression"));
    if (!m_session.compare1Error().empty()) throwFilterError(shown, m_session.compare1Error());
    if (!m_session.compare2Error().empty()) throwFilterError(shown, m_session.compare2Error());
}

void TModuleSession::setSetting(TSetting which, double value) {
    m_session.setSetting(which, value);
}

TRowTable TModuleSession::fields() {
    data();
    return fieldsRows(m_session);
}

TRowTable TModuleSession::rules() {
    data();
    m_session.restoreOriginalOrder();
    return rulesRows(m_session);
}

TRowTable TModuleSession::rank() {
    data();
    m_cancel = false;
    selectionForRanking();
    if (!m_session.computeEntropyGains()) throw ECancelled{};
    return rulesRows(m_session);
}

TRowTable TModuleSession::rankPairs(int top) {
    data();
    m_cancel = false;
    selectionForRanking();
    bool complete = true;
    const std::vector<TPairScore> pairs =
        m_session.rankPairs(top, complete, [this] { return m_cancel.load(); });
    if (!complete && m_cancel) throw ECancelled{};
    return rankedPairsRows(pairs);
}

TRowTable TModuleSession::frequency(const std::string& rule) {
    data();
    if (!rule.empty()) {
        // Rule numbers and names are those of the creation order, as tav-batch freq takes them.
        m_session.restoreOriginalOrder();
        const TMnozicaList& rules = m_session.sets().SetLists[slRules];
        int row = 0;
        if (isWholeNumber(rule)) {
            row = std::stoi(rule);
            if (row >= rules.count())
                throw std::invalid_argument("The rule " + rule + " is outside 0.." +
                                            std::to_string(rules.count() - 1));
        } else {
            try {
                row = ruleRowNamed(rules, to1250(rule, "The rule"));
            } catch (const EBatchUsage& unknown) {
                std::string message = win1250ToUtf8(unknown.what());
                if (message.rfind("--rule: ", 0) == 0) message.erase(0, 8);
                throw std::invalid_argument(message);
            }
        }
        m_session.moveToRule(row);
    }
    return frequencyRows(m_session);
}

std::pair<TRowTable, std::string> TModuleSession::findings(const std::string& target,
                                                           int conditions, int minCount,
                                                           TFindingsSort sort, int top) {
    data();
    if (conditions != 1 && conditions != 2)
        throw std::invalid_argument("conditions is 1 or 2, not " + std::to_string(conditions));
    const int code = classValue(target);
    m_cancel = false;
    selectionForRanking();
    const auto cancelled = [this] { return m_cancel.load(); };
    if (conditions == 2) {
        const TPairFindings pairs = m_session.computePairFindings(code, minCount, top, cancelled);
        if (m_cancel) throw ECancelled{};
        if (!pairs.note.empty()) m_messages.push_back(win1250ToUtf8(pairs.note));
        return {pairFindingsRows(pairs), win1250ToUtf8(pairMultiplicityLine(pairs))};
    }
    const TFindings found = m_session.computeFindings(code, minCount, sort, cancelled);
    if (m_cancel) throw ECancelled{};
    if (!found.note.empty()) m_messages.push_back(win1250ToUtf8(found.note));
    return {findingsRows(found), win1250ToUtf8(multiplicityLine(found))};
}

TRowTable TModuleSession::sweep(const std::string& field, const std::string& target) {
    data();
    const int number = fieldNumber(field);
    return thresholdSweepRows(m_session.computeThresholdSweep(classValue(target), number));
}

void TModuleSession::saveSession(const std::string& path) const {
    data();
    writeSessionFile(path, m_session.sessionFile());
}

void TModuleSession::openSession(const std::string& path) {
    const TSessionFile kept = readSessionFile(path);
    resetStatSettings();
    m_session.openSession(kept, kept.source.path);
    // The session keeps its own selection.
    m_selectionGiven = true;
}

std::vector<std::string> TModuleSession::takeMessages() {
    std::vector<std::string> taken;
    taken.swap(m_messages);
    return taken;
}
