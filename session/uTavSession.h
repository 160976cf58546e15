#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/DatabaseSource.h"
#include "core/uTavObj.h"
#include "expr/FilterForm.h"
#include "session/ComputedUnder.h"
#include "session/SessionFile.h"
#include "stats/PairFindings.h"
#include "stats/uTavFindingsText.h"
#include "stats/uTavFreq.h"
#include "stats/uTavSets.h"
#include "stats/uTavThresholdSweep.h"

class TCountSource;
class TContextClassCounts;
struct TCountedPairs;
class TXMLDataSet;
class TxDataLink;
class TxViewReader;
struct TConstantOutsideField;

// What the session needs from the user interface. Without hooks (batch, tests) progress is
// ignored and messages are dropped.
struct TSessionHooks {
    // Sets the progress bar to a fraction 0..1 (0 empties it) and lets the interface repaint.
    ProgressHook progress;
    // A modal message with an OK button.
    ShowMessageHook showMessage;
    // Called after every computation of the Frequency table that the session makes for what it
    // shows (not for the steps of a walk over the rules); tests count them.
    std::function<void()> frequencyRecomputed;
    // Asked between rules of a long walk (the entropy-gain run): true stops it.
    std::function<bool()> cancelRequested;
};

// The message of a context update whose filter selects no record.
inline constexpr const char* kEmptyContextMessage =
    "The context holds no records: the filter selects none, so the estimates show the prior "
    "alone.";

// One filter drop-down: the text in its edit field and the expressions already applied.
struct TFilterInput {
    std::string text;
    std::vector<std::string> history;
};

// The three settings of the estimates.
enum class TSetting { MPrior, MParam, SignificancePct };

// The state and the commands of an exploration, free of any toolkit: the loaded table and its
// record sets, the three result tables, the class field, the filters and the chart parameters.
// The desktop window and tav-batch both drive it through its commands only, so that they compute
// through one code path; they read its state through the const accessors.
//
// Each command is one user action. A command that changes what the Frequency table shows
// recomputes it once, at its end, while the tables are ready (DataReady); the comment of each
// command says whether it recomputes. Commands throw on errors (the window shows the message);
// the state reached so far stays.
class TTavSession {
  public:
    explicit TTavSession(TSessionHooks hooks = {});
    ~TTavSession();
    TTavSession(const TTavSession&) = delete;
    TTavSession& operator=(const TTavSession&) = delete;

    // --- Reading the state -------------------------------------------------------------------

    // The loaded table, or none before the first successful load. A counted table's has no
    // records (tableIsCounted).
    const TBaza* CurrentData() const { return m_data.get(); }
    const std::string& DataFileName() const { return m_dataFileName; }
    const TSetCatalogue& sets() const { return *m_sets; }
    // The result tables, read-only: the grids attach their views to them and read their values;
    // only the session's commands change them or move their cursors.
    TxViewReader& fieldsTable() const;
    TxViewReader& rulesTable() const;
    TxViewReader& frequencyTable() const;
    // The whole name of a row of the Fields, Simple rules or Frequency table, whose Name field
    // holds it cut at 50 characters: the field's, the rule's or the class value's, found by the
    // row's "No."; none for a row without one (the "Total" row).
    std::optional<std::string> wholeFieldName(int row) const;
    std::optional<std::string> wholeRuleName(int row) const;
    std::optional<std::string> wholeClassValueName(int row) const;

    int classField() const { return m_classField; }
    // The result tables are filled: the Frequency table follows the active rule and field.
    bool dataReady() const { return m_dataReady; }
    // The two distributions of the row last captured for the chart.
    const TChartParams& chartParams() const { return m_chart; }

    const TFilterInput& contextInput() const { return m_context; }
    const TFilterInput& compare1Input() const { return m_compare1; }
    const TFilterInput& compare2Input() const { return m_compare2; }
    // "Update context" / "Update compare" are enabled: an edited expression is not yet applied.
    bool contextPending() const { return m_contextPending; }
    bool comparePending() const { return m_comparePending; }
    // "Using compare filters" or "Using simple rules as conditions" after the last compare update.
    const std::string& usingCompareText() const { return m_usingCompareText; }
    // The evaluator's error of the last context update ("" when the expression was valid), and
    // of the two compare expressions.
    const std::string& contextError() const { return m_contextError; }
    const std::string& compare1Error() const { return m_compare1Error; }
    const std::string& compare2Error() const { return m_compare2Error; }

    // The value of a setting (the process-wide MPrior, MParam and SignificancePct).
    static double setting(TSetting which);
    // The "No." of the active row of the Simple rules table (0 when it is empty).
    int activeRuleNumber() const;
    // The field number of the active Fields row, or -1 without one.
    int activeFieldNumber() const;
    // The "No." of the active Frequency row, or -1 without one.
    int activeFrequencyValue() const;
    // The successful loads so far: a table loaded again is a new one.
    int loadNumber() const { return m_loadNumber; }
    // What a result computed now would be computed under: the table, the class, the applied
    // filters, the three settings and the selection, with `target` and `minCount` of findings.
    TComputedUnder computedUnderNow(int target = -1, int minCount = 0) const;
    // What the findings last computed were computed under; none before, and after a cancelled
    // computation.
    const std::optional<TComputedUnder>& findingsComputedUnder() const {
        return m_findingsComputedUnder;
    }
    // The scores of the last entropy-gain run were computed under other settings, another
    // context or other compare expressions than those in force now.
    bool scoresOutdated() const;
    // What the scores of the last entropy-gain run were computed under, e.g. "Scores of
    // m(prior) = 1.00, m = 2.00, context SEX,1,=" ("" before a run).
    std::string scoresComputedUnder() const;
    // The last entropy-gain run was cancelled: its scores cover only some rules.
    bool scoresPartial() const { return m_rulesScored < m_rulesToScore; }
    // "Cancelled after N of M rules: the ranking is partial" after a cancelled entropy-gain run,
    // "" otherwise.
    std::string partialRankingText() const;
    // How many values of the class field have their row hidden in the Frequency table (0
    // without a table).
    int hiddenClassRows() const;

    // Runs several commands as one: the compare-mode warning at most once, and the Frequency
    // table recomputed at most once, at the end (tav-batch prepares a run this way).
    void runAsOneCommand(const std::function<void()>& commands) { runCommand(commands); }

    // --- Configuration -----------------------------------------------------------------------

    // Whether a load writes the summary report beside the data file (default yes).
    void setWritesSummaryReport(bool writes) { m_writesSummaryReport = writes; }

    // --- Loading -----------------------------------------------------------------------------

    // Loads a data file into a fresh table and fresh record sets and swaps them in only when the
    // whole load succeeded; then writes the summary report beside it, applies the filters and
    // fills the result tables. A failed load throws and leaves everything as it was: a path that
    // is no readable regular file throws EInOutError saying why, a file without a "TAV DATA"
    // header ENotADataFile (the front ends offer its import). A summary report that cannot be
    // written is a message; the table stays loaded. Recomputes.
    void loadDataFile(const std::string& fileName);
    // Loads `dataFile`, a copy of a database's table or query the front end made, as loadDataFile
    // does, and keeps `source` as where the table comes from: the findings name it instead of the
    // copy, and a session file keeps it so that it is read again.
    void loadDatabaseCopy(const std::string& dataFile, const TDatabaseSource& source);
    // The database source of the table, or none for a data file the user gave.
    const std::optional<TDatabaseSource>& databaseSource() const { return m_database; }

    // --- A table counted elsewhere (bodies in uTavSessionCounted.cpp) ------------------------

    // Opens the table of `source` (a database server's), named by `where`: its description with
    // fresh record sets that hold no record, every count asked of the source. The class is the
    // source's class field, else field 0. The result tables, the rankings, the findings and the
    // threshold sweep are the numbers the same records in memory give; rules of two conditions
    // are refused. When the first counts fail the error passes and the state stays as it was.
    // Recomputes.
    void openCountedTable(std::unique_ptr<TCountSource> source, const TDatabaseSource& where);
    // The same, then applies what `kept` holds, as openSession does for a data file.
    void openCountedSession(const TSessionFile& kept, std::unique_ptr<TCountSource> source,
                            const TDatabaseSource& where);
    // The table's records are not in memory: its counts are asked of a count source.
    bool tableIsCounted() const { return m_countSource != nullptr; }
    // The records of the table (those of the source when it was opened, for a counted one).
    long long recordCount() const;
    // The records of the Context, Compare 1, Compare 2 or a simple rule's set (a rule's in the
    // whole table), counted by the source for a counted table.
    long long recordsIn(const TMnozica& set) const;

    // --- Settings ------------------------------------------------------------------------------

    // The one writer of the three settings: m for the prior and m are at least 0.01 and at most
    // kMaxSetting, the significance level at least 0. A value that is not finite, or an m above
    // the limit, is refused with an ETavError that says why, and changes nothing. A new m reaches
    // every record set at once. Recomputes; scores of an earlier entropy-gain run become
    // outdated.
    void setSetting(TSetting which, double value);

    // --- Filters -------------------------------------------------------------------------------

    // The context text was edited: the update command becomes available. Does not recompute.
    void setContextText(const std::string& text);
    // The compare texts were edited; they decide whether the compare filters are used. Does not
    // recompute.
    void setCompareTexts(const std::string& compare1, const std::string& compare2);
    // Applies the context expression to the Context set and refreshes the result tables. A valid
    // expression that compares a field with a constant outside the field's codes (or interval
    // numbers) is applied all the same, with one warning message that names them; one that
    // selects no record says so, in the same message. Recomputes.
    void updateContext();
    // Takes `text` as the context expression and applies it. Recomputes.
    void updateContext(const std::string& text);
    // Applies both compare expressions to the Compare 1 and Compare 2 sets, with one warning
    // for the constants of both outside their fields' codes, as the context update gives.
    // Recomputes.
    void updateCompare();
    // Takes the two texts as the compare expressions and applies them. Recomputes.
    void updateCompare(const std::string& compare1, const std::string& compare2);
    // Whether the Frequency table compares Compare 1 with Compare 2 instead of using the simple
    // rule. Warns (once per command) when an edited expression has not been applied.
    bool UseCompareFilters();

    // --- Moving in the result tables ---------------------------------------------------------

    // Makes row `row` of the Fields table, of the Simple rules table or of the Frequency table
    // the active one (false when there is no such row). A move in the Fields or Simple rules
    // table recomputes; a move in the Frequency table does not.
    bool moveToField(int row);
    bool moveToRule(int row);
    bool moveToFrequencyRow(int row);

    // --- Result tables -------------------------------------------------------------------------

    // Recomputes the Frequency table for the class field and the active simple rule, after a
    // change the session does not see (the row flags of a test). Recomputes.
    void refreshFrequency();
    // Captures the two distributions of Frequency row `row` for the chart without refilling the
    // table. Does not recompute what the table shows.
    void captureChartRow(int row);
    // Ranks every simple rule by its entropy gain for the class field (nothing without a table).
    // Walks every rule, reporting progress every few rules and asking cancelRequested as often;
    // a cancelled run keeps the scores computed so far, leaves the other rules without a score
    // (Unscored, after the scored ones) and is partial until the next run or load. Then
    // recomputes once for the first rule of the ranked list. Returns false when cancelled.
    bool computeEntropyGains();
    // Puts the simple rules back into their creation order (nothing without a table).
    // Recomputes.
    void restoreOriginalOrder();
    // Walks the Simple rules table from its first row to its last, recomputing the Frequency
    // table for each rule and calling `visit` with the rule's row; ends on the first row.
    // Recomputes for the first rule at the end.
    void walkRules(const std::function<void(int row)>& visit);

    // --- Field selection and the class -------------------------------------------------------

    // Every selection command marks fields in their field sets and their Fields rows and
    // refreshes the "*** " marks of the Simple rules; the active rows of both tables stay.
    // Marks field `field` selected (10) or not (0). Recomputes.
    void selectField(int field, bool selected);
    // Marks the active field of the Fields table. Recomputes.
    void selectActiveField(bool selected);
    // Marks every field. Recomputes.
    void selectAllFields(bool selected);
    // Marks every field selected but the class field, which it deselects (a ranking's default).
    // Recomputes.
    void selectEveryFieldButTheClass();
    // Some field is marked selected; without one every simple rule scores 0.
    bool anyFieldSelected() const;
    // Marks the fields of `fields` selected, the others as they were. Recomputes.
    void selectFields(const std::vector<int>& fields);
    // Makes field `field` the class field. Recomputes.
    void setClassField(int field);
    // Makes the active field of the Fields table the class field. Recomputes.
    void makeActiveFieldTheClass();
    // Deselects field `field` and makes it the class field: the class is never its own
    // condition. Recomputes.
    void setClassFieldDeselected(int field);
    // The double click on a field: the same for the active field. Recomputes.
    void fieldsDoubleClick();

    // --- Class rows ----------------------------------------------------------------------------

    // The rows of the Frequency table: show all, hide the given value codes (0..127), or hide
    // the active row's value, the values from it to the last, or from the first to it. Each
    // recomputes.
    void showAllRows();
    void hideClassValues(const std::vector<int>& codes);
    void removeActiveRow();
    void removeToLast();
    void removeToFirst();
    // The clipboard report of the Frequency table with `description` (clipboardReportText); its
    // last row becomes the active one, as a walk over the rows leaves it. Does not recompute.
    std::string frequencyReport(const std::string& description);

    // --- Findings (bodies in uTavSessionFindings.cpp) ---------------------------------------

    // The findings of class value `target` of the class field in the applied Context with the
    // current settings; progress through the hooks, stopped when `cancelled` says so. Changes no
    // table and nothing the tables show; records what they were computed under unless cancelled.
    // Throws ETavError without a table or for a class field without that value.
    TFindings computeFindings(int target, int minCount = 5,
                              TFindingsSort sort = TFindingsSort::Score,
                              const std::function<bool()>& cancelled = {});
    // The rules of two conditions for class value `target` (bodies in uTavSessionPairs.cpp):
    // every pair of simple rules on two selected fields, the `top` largest changes listed, with
    // progress through the hooks; a cancelled run ranks the pairs counted so far and says so.
    // Changes nothing the tables show. Throws ETavError without a table, for a class field
    // without that value, or when the rules are not all simple.
    TPairFindings computePairFindings(int target, int minCount, int top,
                                      const std::function<bool()>& cancelled = {});
    // The `top` pairs by entropy gain over every visible class value; `complete` false when
    // cancelled. Throws as computePairFindings.
    std::vector<TPairScore> rankPairs(int top, bool& complete,
                                      const std::function<bool()>& cancelled = {});
    // Makes "A and B" of the simple rules with creation numbers setNumberA and setNumberB the
    // condition of the Frequency table, its chart and its clipboard report, in place of the
    // active simple rule (false, changing nothing, when either rule is missing, is not one
    // condition, or both are on one field). The pair is held beside the list of rules, never in
    // it; moving to a rule or loading a file ends it. Recomputes.
    bool makePairActive(int setNumberA, int setNumberB);
    // The active pair's condition in values ("AGE <= 25 and SEX = m"), or "" without one.
    std::string activePairCondition() const;
    // The rate of class value `target` under every threshold of `field` in the applied Context.
    // Changes nothing the tables show. Throws ETavError without a table or for a field without
    // thresholds.
    TThresholdSweep computeThresholdSweep(int target, int field);
    // Where the findings come from: the file, its SHA-256, the filters and the selection.
    TFindingsProvenance findingsProvenance() const;
    // Makes the simple rule whose set has creation number `setNumber` the active one (false when
    // there is none). Recomputes.
    bool moveToRuleNumbered(int setNumber);

    // --- Session files (bodies in uTavSessionKeep.cpp) -------------------------------------

    // What a session file keeps of the state now: the data file and its SHA-256 (and origin,
    // for an imported one) or the database source of a copied table, the class, the selection, the
    // filter texts with their histories, the hidden class values, the settings, the active rule and
    // the choices of the findings last computed. Without a table only the settings and the texts
    // are filled.
    TSessionFile sessionFile() const;
    // Loads `dataFile` (the session's own, another the user picked, or the copy of the session's
    // database table, loaded as loadDatabaseCopy does) and applies what `kept` holds: the settings,
    // the class, the selection, the filters with their histories, the hidden class values and the
    // active rule. A load that fails throws as loadDataFile does and changes nothing; a class or
    // selected field the table does not have throws ETavError with the table loaded at its
    // defaults. Recomputes.
    void openSession(const TSessionFile& kept, const std::string& dataFile);
    // Loads a data file and, when a session file named like it lies beside it (the one an
    // import writes), opens that session on it; returns whether it did. A session file there
    // that cannot be read is a message and the table loads with its defaults. Throws as
    // loadDataFile does. Recomputes.
    bool loadDataFileWithItsSession(const std::string& fileName);

  private:
    // Runs one command: the compare-mode warning is shown at most once, and the Frequency table
    // is recomputed once at the end of the outermost command when something it shows changed.
    // A command that throws does not recompute.
    void runCommand(const std::function<void()>& body);
    // Something the Frequency table shows changed: recompute it at the end of the command.
    void invalidateFrequency() { m_frequencyStale = true; }

    void showMessage(const std::string& message) const;
    void progress(double fraction) const;
    // Refills `set` with the records for which `expression` holds; returns the check's error
    // text ("" when the expression is valid). `form` receives the language the text was read
    // in. A postfix expression with an error selects every record; a readable one leaves `set`
    // as it was. For a valid postfix expression `outside` receives the constants it compares
    // with fields that cannot hold them; otherwise it is emptied.
    std::string applyFilter(TMnozica& set, const std::string& expression,
                            std::vector<TConstantOutsideField>& outside, TFilterFormChoice& form);
    void rememberExpression(TFilterInput& input);
    void applyContext();
    void applyCompare();
    TFrequencyInputs frequencyInputs();
    // Computes the Frequency table for the class field and the active rule now.
    void computeFrequency();
    // Rebuilds (full) or refreshes the Fields table, and rebuilds the Simple rules table.
    void FillResultTables(bool full);
    void onTableDataChange();
    // The one way a selection changes, for every command that selects: marks `fields` selected
    // (kSelected) or not (0) in their field sets, refreshes the marks and recomputes.
    void setSelection(const std::vector<int>& fields, int selected);
    // Writes the field sets' selection into the Sel column of the Fields table and the "*** "
    // marks of the Simple rules table, in place: both tables keep their active rows.
    void refreshSelectionMarks();
    // The Count text of a rule: its records in the Context, after "*** " when a field of the rule
    // is not selected.
    std::string ruleCountText(const TMnozica& rule) const;
    // Counts each rule's records in the Context (ContextCount) after the Context or the sets
    // changed (m_ruleCountsStale).
    void countRulesInContext();
    void hideValueRange(int from, int to);

    // Makes `data` with `sets` (and its count source, with the counts already made) the table,
    // forgetting what belonged to the one before: the active pair, the scores, the class.
    struct TKeptCounts {
        std::string key;  // the class field and the filters
        std::shared_ptr<const TContextClassCounts> counts;
    };
    void takeNewTable(std::shared_ptr<TBaza> data, std::unique_ptr<TSetCatalogue> sets,
                      std::unique_ptr<TCountSource> source, std::vector<TKeptCounts> counts);
    // Applies the filters to the new table and fills the result tables. Recomputes.
    void startNewTable();
    // Applies what a session file keeps to the table just loaded.
    void applyKept(const TSessionFile& kept);
    // The counts of the records that satisfy every filter of `filters`, by the class field,
    // asked of the count source once and kept for the commands that follow.
    std::shared_ptr<const TContextClassCounts> countsUnder(
        const std::vector<std::string>& filters) const;
    // The Context's counts as the context filter was applied (valid until the next counts).
    const TContextClassCounts& contextCounts() const;
    // Computes the Frequency table of a counted table for the active rule, as FillFrequencyTable
    // does for the records.
    void fillCountedFrequency(TMnozica* rule, bool store, bool fill, int h,
                              TCdfWindowCache* windows = nullptr);
    // The counts of the records of `pair` (a rule of two conditions) that satisfy every filter of
    // `filters`, by the class field: its two fields counted together by the source.
    std::shared_ptr<const TContextClassCounts> pairCountsUnder(
        const std::vector<std::string>& filters, const TMnozica& pair) const;
    // What the pairs of a counted table are counted from: `context`, the Context's counts, and
    // the source's counts of pairs of fields under the Context. Empty without a count source.
    TCountedPairs countedPairs(const TContextClassCounts* context) const;

    TSessionHooks m_hooks;
    // Shared with a count source, which reads the description it describes.
    std::shared_ptr<TBaza> m_data;
    std::unique_ptr<TCountSource> m_countSource;
    mutable std::vector<TKeptCounts> m_keptCounts;  // the latest first
    // The rule of two conditions the Frequency table shows instead of the active rule, or none.
    std::unique_ptr<TMnozica> m_activePair;
    // Ends the active pair, taking its records out of the sets filled on demand.
    void clearActivePair();
    std::string m_dataFileName;
    std::optional<TDatabaseSource> m_database;  // where a copied table comes from
    std::unique_ptr<TSetCatalogue> m_sets;
    std::unique_ptr<TXMLDataSet> m_fields;
    std::unique_ptr<TXMLDataSet> m_rules;
    std::unique_ptr<TXMLDataSet> m_frequency;
    std::unique_ptr<TxDataLink> m_fieldsLink;
    std::unique_ptr<TxDataLink> m_rulesLink;

    int m_classField = 0;
    bool m_ruleCountsStale = true;  // the Context changed since the rules' counts
    bool m_dataReady = false;
    TChartParams m_chart;
    TFilterInput m_context;
    TFilterInput m_compare1;
    TFilterInput m_compare2;
    bool m_contextPending = false;
    bool m_comparePending = false;
    std::string m_usingCompareText;
    std::string m_contextError;
    std::string m_compare1Error;
    std::string m_compare2Error;
    bool m_writesSummaryReport = true;

    int m_loadNumber = 0;
    // What the last run's scores were computed under; none before a run, after a load or a
    // restore.
    std::optional<TComputedUnder> m_scoresComputedUnder;
    std::optional<TComputedUnder> m_findingsComputedUnder;
    // The rules the last entropy-gain run scored, of how many (equal unless it was cancelled).
    int m_rulesScored = 0;
    int m_rulesToScore = 0;
    // The filter texts as last applied (the edit fields may hold newer ones).
    std::string m_appliedContext;
    std::string m_appliedCompare1;
    std::string m_appliedCompare2;

    int m_commandDepth = 0;
    bool m_warningShown = false;
    bool m_frequencyStale = false;
};
