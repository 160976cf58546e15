#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/uTavObj.h"
#include "stats/uTavFreq.h"
#include "stats/uTavSets.h"

class TXMLDataSet;
class TxDataLink;

// What the session needs from the user interface. Without hooks (batch, tests) progress is
// ignored and messages are dropped.
struct TSessionHooks {
    // Sets the progress bar to a fraction 0..1 (0 empties it) and lets the interface repaint.
    ProgressHook progress;
    // A modal message with an OK button.
    ShowMessageHook showMessage;
};

// One filter drop-down: the text in its edit field and the expressions already applied.
struct TFilterInput {
    std::string text;
    std::vector<std::string> history;
};

// The state and the commands of an exploration, free of any toolkit: the loaded table and its
// record sets, the three result tables, the class field, the filters and the chart parameters.
// The desktop window and tav-batch both drive it, so that they compute through one code path.
// Commands throw on errors (the window shows the message); the state reached so far stays.
class TTavSession {
  public:
    explicit TTavSession(TSessionHooks hooks = {});
    ~TTavSession();
    TTavSession(const TTavSession&) = delete;
    TTavSession& operator=(const TTavSession&) = delete;

    // --- State -----------------------------------------------------------------------------

    // The loaded table, or none before the first successful load.
    TBaza* CurrentData() const { return m_data.get(); }
    const std::string& DataFileName() const { return m_dataFileName; }
    TSetCatalogue& sets() { return *m_sets; }
    TXMLDataSet& fieldsTable() { return *m_fields; }
    TXMLDataSet& rulesTable() { return *m_rules; }
    TXMLDataSet& frequencyTable() { return *m_frequency; }

    int ClassField = 0;
    // The result tables are filled: moves in the Fields and Simple rules tables recompute the
    // Frequency table.
    bool DataReady = false;
    TChartParams chart;

    // --- Loading ---------------------------------------------------------------------------

    // Loads a data file into a fresh table and fresh record sets and swaps them in only when the
    // whole load succeeded; then writes the summary report beside it, applies the filters and
    // fills the result tables. A failed load throws and leaves everything as it was. A summary
    // report that cannot be written is a message; the table stays loaded.
    void loadDataFile(const std::string& fileName);

    // --- Filters -----------------------------------------------------------------------------

    TFilterInput context;
    TFilterInput compare1;
    TFilterInput compare2;
    // "Update context" / "Update compare" are enabled: an edited expression is not yet applied.
    bool contextPending = false;
    bool comparePending = false;
    // "Using compare filters" or "Using simple rules as conditions" after the last compare update.
    std::string usingCompareText;

    // The context text was edited: the update command becomes available.
    void setContextText(const std::string& text);
    // Applies the context expression to the Context set and refreshes the result tables.
    void updateContext();
    // Applies both compare expressions to the Compare 1 and Compare 2 sets.
    void updateCompare();
    // Whether the Frequency table compares Compare 1 with Compare 2 instead of using the simple
    // rule. Warns (once per command) when an edited expression has not been applied.
    bool UseCompareFilters();

    // --- Result tables ----------------------------------------------------------------------

    // Rebuilds (full) or refreshes the Fields table, and rebuilds the Simple rules table.
    void FillResultTables(bool full);
    // The "No." of the active row of the Simple rules table (0 when it is empty).
    int activeRuleNumber();
    // Recomputes the Frequency table for ClassField and the active simple rule.
    void refreshFrequency();
    // Captures the two distributions of Frequency row `row` for the chart without refilling.
    void captureChartRow(int row);
    // Ranks every simple rule by its entropy gain for ClassField (nothing without a table).
    void computeEntropyGains();
    // Puts the simple rules back into their creation order (nothing without a table).
    void restoreOriginalOrder();

    // --- Field selection and class rows ---------------------------------------------------

    // Marks the active field selected (10) or not (0) in its row and its field set.
    void selectActiveField(bool selected);
    // Marks every field, walking the Fields table with notifications held; the active row stays.
    void selectAllFields(bool selected);
    // Makes the active field the class field and recomputes (when the tables are ready).
    void makeActiveFieldTheClass();
    // The double click on a field: deselects it and makes it the class field.
    void fieldsDoubleClick();
    // The rows of the Frequency table: show all, or hide the active row's value, the values from
    // it to the last, or from the first to it; then recompute.
    void showAllRows();
    void removeActiveRow();
    void removeToLast();
    void removeToFirst();

    // The evaluator's error of the last context update ("" when the expression was valid), and
    // of the two compare expressions.
    std::string contextError;
    std::string compare1Error;
    std::string compare2Error;

    // Whether a load writes the summary report beside the data file.
    bool writesSummaryReport = true;

    // --- Commands ---------------------------------------------------------------------------

    // Marks the start and end of one user command: the compare-mode warning is shown at most
    // once per command. Nested scopes belong to the outermost.
    class TCommandScope {
      public:
        explicit TCommandScope(TTavSession& session);
        ~TCommandScope();
        TCommandScope(const TCommandScope&) = delete;
        TCommandScope& operator=(const TCommandScope&) = delete;

      private:
        TTavSession& m_session;
    };

  private:
    void showMessage(const std::string& message) const;
    void progress(double fraction) const;
    // Refills `set` with the records for which `expression` holds; returns the check's error
    // text ("" when the expression is valid).
    std::string applyFilter(TMnozica& set, const std::string& expression);
    void rememberExpression(TFilterInput& input);
    TFrequencyInputs frequencyInputs();
    void onTableDataChange();
    // Writes the selection of the active Fields row into the row and its field set (in edit).
    void writeActiveSelection(int selected);
    // The "No." of the active Frequency row, or -1 without one.
    int activeFrequencyValue();

    TSessionHooks m_hooks;
    std::unique_ptr<TBaza> m_data;
    std::string m_dataFileName;
    std::unique_ptr<TSetCatalogue> m_sets;
    std::unique_ptr<TXMLDataSet> m_fields;
    std::unique_ptr<TXMLDataSet> m_rules;
    std::unique_ptr<TXMLDataSet> m_frequency;
    std::unique_ptr<TxDataLink> m_fieldsLink;
    std::unique_ptr<TxDataLink> m_rulesLink;
    int m_commandDepth = 0;
    bool m_warningShown = false;
};
