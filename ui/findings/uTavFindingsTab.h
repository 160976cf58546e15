#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "session/ComputedUnder.h"
#include "stats/PairFindings.h"
#include "stats/uTavFindings.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;
class TBaza;
class TFindingsModel;
class TPairFindingsModel;
class TTavSession;
class TTavUiOps;
class TfrmThresholdSweep;

// The "Findings" tab: which simple rules shift one value of the class field, with a target
// drop-down, the minimum number of records, the order, the findings grid with an interval bar per
// row and the multiplicity line. It recomputes through the session when what the findings depend
// on changes (the table, class, target, context, settings or field selection) and it is shown;
// "Run" computes them again at any time. A double click makes a finding the active simple rule.
// "Export..." writes CSV or TSV and "Copy as text" puts the sentences under their reproducibility
// header on the clipboard. With "Conditions: 2" the grid lists the pairs of two conditions instead
// (the 200 largest changes), each against the better of its two parts; a double click makes a pair
// the Frequency table's condition.
class TTavFindingsTab : public QWidget {
    Q_OBJECT
  public:
    // Runs a body as one of the window's commands (its error guard and busy state).
    using CommandRunner = std::function<void(const std::function<void()>&)>;

    TTavFindingsTab(TTavSession& session, TTavUiOps& ui, CommandRunner runCommand,
                    QWidget* parent = nullptr);
    ~TTavFindingsTab() override;

    // After every command of the window: recompute when shown and something the findings
    // depend on changed.
    void sessionChanged();
    // The "Run" button: computes the findings (or pairs) of the chosen target now, whatever was
    // shown before; says in the tab what to do when there is nothing to compute them from.
    // Ignored while a computation runs.
    Q_SLOT void run();
    const TFindings& findings() const;
    const TPairFindings& pairFindings() const;
    // The class value chosen in the target drop-down for the data and class field in force, or -1
    // (none chosen yet, or chosen for another load or class).
    int target() const;
    // Whether the tab shows pairs of two conditions.
    bool showsPairs() const;
    // The popup's "Threshold sweep...": opens the sweep window for the field of row `row`'s rule
    // when it is an INT, REAL or CURRENCY field (false otherwise).
    bool showThresholdSweep(int row);
    // The sweep of class value `target` over the thresholds of `field` (false when the field has
    // none); for the Fields grid's "Threshold sweep...".
    bool showThresholdSweep(int target, int field);
    // The sweep window, or none before the first sweep.
    TfrmThresholdSweep* sweepWindow() const { return m_sweep; }

  signals:
    // A double click made a finding the active rule, or a pair the condition: the window shows
    // it in the Frequency table.
    void findingActivated();

  public:
    QComboBox* cmbBxTarget = nullptr;
    QSpinBox* spnMinCount = nullptr;
    QComboBox* cmbBxSort = nullptr;
    QComboBox* cmbBxConditions = nullptr;  // "1" or "2"
    QTableView* grdPairs = nullptr;
    QPushButton* btnRun = nullptr;
    QPushButton* btnExport = nullptr;
    QPushButton* btnCopy = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* lblMultiplicity = nullptr;
    QTableView* grdFindings = nullptr;

  protected:
    // Recomputes soon after the tab is shown (queued: once it can be painted).
    void showEvent(QShowEvent* event) override;

  private:
    // The class value chosen in the target drop-down, or -1.
    int currentTarget() const;
    void fillTargets();
    // Recomputes when the session's findings were computed under other inputs than those in
    // force now, or sorted otherwise.
    void recomputeIfChanged();
    void compute(int target, int minCount, int sort);
    void computePairs(int target, int minCount);
    void grdPairsDblClick(const QModelIndex& index);
    void optionsChanged();
    void grdFindingsDblClick(const QModelIndex& index);
    void btnExportClick();
    void btnCopyClick();
    void grdFindingsContextMenu(const QPoint& position);
    // Whether some field other than the class is selected (the findings are of those fields).
    bool fieldsSelected() const;
    // The field of the rule with creation number `setNumber`, or -1.
    int ruleField(int setNumber) const;

    TTavSession& m_session;
    TTavUiOps& m_ui;
    CommandRunner m_runCommand;
    TFindingsModel* m_model = nullptr;
    TPairFindingsModel* m_pairModel = nullptr;
    // What the pairs shown were computed under, or none.
    std::optional<TComputedUnder> m_pairsUnder;
    // The order of the findings shown (an index of the sort drop-down).
    int m_shownSort = -1;
    bool m_cancelRequested = false;
    bool m_computing = false;
    // The load and the class field whose values the target drop-down lists.
    int m_targetsLoad = -1;
    int m_targetsClass = -1;
    TfrmThresholdSweep* m_sweep = nullptr;
};
