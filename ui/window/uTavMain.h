#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/PrivateFolder.h"
#include "ui/window/ProgressPacer.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolButton;
class TBaza;
class TGridFindBar;
class TRecentFiles;
class TReportFile;
class TTavFindingsTab;
class TTavGrid;
class TTavSession;
enum class TSetting;
class TTavUiOps;
class TxTableModel;
struct TChartParams;
struct TSessionFile;
struct TFilterInput;

// What the main window asks of the two chart windows; any hook may be empty (tests).
struct TChartHooks {
    // "Chart m-estimate": reset the m-estimate chart and show it.
    std::function<void()> chartM;
    // "&Show Beta": show the two distributions just captured.
    std::function<void(const TChartParams&)> showBeta;
    // "Chart DB": show the database chart.
    std::function<void()> chartDB;
    // The loaded table changes (none while a load replaces it).
    std::function<void(const TBaza*)> setData;
};

// The main window "Tav Explorer": menus, toolbar, the context and compare filter panels, the
// Fields, Simple rules and Frequency grids, the progress bar and the status line. It adds
// widgets over the toolkit-free session, which owns the table, the record sets and the three
// result tables and computes everything; the window forwards each command to it and shows the
// outcome. Every handler runs through one guard that shows the error which ends a command.
// While a command runs (it may process pending events through ReportProgress or a message),
// other commands, moves of a grid's row and closing the window are ignored or deferred.
class TfrmTavMain : public QMainWindow {
    Q_OBJECT
  public:
    // The window uses `ui` for its dialogs, the clipboard and the event loop, and appends
    // "&Simple rules" blocks to `report`; both outlive it.
    TfrmTavMain(TTavUiOps& ui, TReportFile& report, QWidget* parent = nullptr);
    ~TfrmTavMain() override;

    TTavSession& session() { return *m_session; }
    void setChartHooks(TChartHooks hooks) { m_charts = std::move(hooks); }

    // Loads `path` (the operating system's bytes) as the load command does once its dialog has
    // returned, or opens it as "Open session..." does when it is a session file; used for a file
    // named at start, dropped or taken from the recent files.
    void loadFile(const std::string& path);

    // Sets the progress bar to the fraction 0..1 (0 empties it) and processes pending events,
    // paced by time: the first report of a run and its end at once, between them one report per
    // interval of the progress clock, the others skipped.
    void ReportProgress(double fraction);
    // Paces the progress reports by `clock` instead of the steady clock (tests).
    void setProgressClock(TProgressPacer::TClock clock) {
        m_progressPacer.setClock(std::move(clock));
    }
    // Rewrites status panels 0 to 3 from the file name and the three settings.
    void UpdateStatusLine();
    // The text of status panel 0..4 (panel 0 shows the file's full path, shortened to fit).
    QString statusPanelText(int panel) const;
    // A command is running.
    bool busy() const { return m_busy; }
    // The grid that copy and find work on: the grid with the focus, else the one last used, else
    // the grid of the Fields or Simple rules tab in view.
    QTableView* activeGrid() const;

  signals:
    // The user ended the program (Exit or closing the window): the event loop should end.
    void terminateRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;
    // A data file dropped on the window loads as "Load data file" would.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // Handlers of the menus and the toolbar.
    void Loaddatabase1Click();
    // "&Import data file...": a plain CSV, TSV or ARFF file, converted beside it and loaded.
    void Importdatafile1Click();
    // "Open &database table...": a SQLite table or query read through the import dialog into a
    // private copy, or a server's table counted where it is (uTavMainDatabase.cpp).
    void OpenDatabaseTable1Click();
    // Opens a session file's database table as it keeps it (its import's choices), then the rest
    // of the session over it.
    void openDatabaseSession(const TSessionFile& kept);
    // Runs `load`, with the database chart letting go of the table meanwhile.
    void loadDatabaseCopy(const std::function<void()>& load);
    // Session files and the report (uTavMainSession.cpp).
    void SaveSession1Click();
    void OpenSession1Click();
    void ExportReport1Click();
    // Opens a session file: a data file that changed or is gone is asked about first.
    void openSessionBody(const std::string& path);
    // Handlers of the Fields and Simple rules grids' export commands.
    void ExportFieldsCsv1Click();
    void ExportFieldsTsv1Click();
    void ExportRulesCsv1Click();
    void ExportRulesTsv1Click();
    // Writes the Fields (or with `rules` the Simple rules) table to the file the user picks.
    void exportGrid(bool rules, bool csv);
    void ExitItemClick();
    // The "Edit" menu (uTavMainEdit.cpp). "Copy rows" puts the selected rows of the active grid
    // on the clipboard as tab-separated text under the column titles.
    void CopyRows1Click();
    // "Find...": the find bar over the active grid's names.
    void Find1Click();
    // F5: runs the findings when their tab is in view, otherwise the entropy gains.
    void RunKeyClick();
    // Escape: stops the entropy-gain run, or else closes the find bar.
    void escapePressed();
    // Says in the status line, for a few seconds, that a command has done its work.
    void confirmInStatusLine(const QString& text);
    // The folder the file dialogs open in: the loaded data file's, or the working folder.
    std::string dialogFolder() const;
    // `name` in the dialog folder, as a save dialog proposes it.
    std::string inDialogFolder(const std::string& name) const;
    // An entry of the recent files in "File": loads it, or takes it off when it is gone.
    void recentFileClick(const std::string& path);
    void rebuildRecentFilesMenu();
    // Puts a file just loaded first in the recent files.
    void rememberRecentFile(const std::string& path);
    void parameterMPriorItemClick();
    void parameterMItemClick();
    void significanceItemClick();
    void tlbtnAClick();
    void tlbtnBClick();
    void Simplerules1Click();
    void HelpItemClick();
    void Chartmestimate1Click();
    void Perform1Click();
    void ChartDB1Click();
    // The table the database chart draws: none for a table counted in a database server, whose
    // records are not in memory.
    const TBaza* chartData() const;
    void AboutTav1Click();
    // "Reading the results": the help page on the grids, colours, settings and filters.
    void ReadingTheResults1Click();
    // Handlers of the filter panels.
    void cmbBxContextFilterChange();
    void cmbBxCompare1Change();
    void btnUpdateContextClick();
    void btnUpdateCompareClick();
    void contextReturnPressed();
    void compareReturnPressed();
    // Handlers of the frequency grid's popup menu.
    void allRowsItemClick();
    void RemoveActiveRowItemClick();
    void removeToLastItemClick();
    void removeToFirstItemClick();
    void ShowBeta1Click();
    void Copy1Click();
    // Handlers of the fields grid's popup menu and double click.
    void Makeactivefieldtheclass1Click();
    void Select1Click();
    void selectAll1Click();
    void Deselect1Click();
    void deselectaLl1Click();
    void DBgrdFieldsDblClick();
    // "&Threshold sweep...": the rate of the active Frequency row's class value (or the first
    // value) under every threshold of the active field.
    void ThresholdSweep1Click();
    // The user moved a grid's current row.
    void gridRowMoveRequested(TTavGrid* grid, int row);
    void gridContextMenu(TTavGrid* grid, QMenu* menu, const QPoint& position);

    // Runs one command through the error guard; ignored while another one runs. Afterwards the
    // widgets follow the session and a deferred close or edit takes place.
    void runCommand(const std::function<void()>& body);
    void afterCommand();
    // The widgets that mirror the session: filter lists and buttons, the compare label and the
    // grids' current rows.
    void syncWidgets();
    void loadBody(const std::string& path);
    // Infers the columns of `path`, lets the user review them, writes the data file beside it
    // (asking before it overwrites one) and loads it with the chosen class.
    void importBody(const std::string& path);
    void showResultPanes();
    void settingsCommand(const char* caption, const char* prompt, TSetting setting);
    void syncFilterList(QComboBox* box, const TFilterInput& input);
    // Holds the grids of the rules and frequency tables during a walk over the rules.
    void withRuleWalk(const std::function<void()>& body);

    void createActions();
    void createMenus();
    void createToolbar();
    void createFilterPanels();
    void createResultsArea();
    void createStatusArea();
    void createPopupMenus();
    // The tooltips of the Name cells of the Simple rules and Frequency grids: the whole name.
    void wholeNameTooltips();
    // The class field's row of the Fields grid in bold with a mark.
    void markClassField();
    QAction* addCommand(QMenu* menu, const char* objectName, const char* caption,
                        void (TfrmTavMain::*handler)());

    TTavUiOps& m_ui;
    TReportFile& m_report;
    std::unique_ptr<TTavSession> m_session;
    // The folder of the copy of the database table loaded, removed with the window or when
    // another database table is opened.
    std::unique_ptr<TPrivateFolder> m_databaseFolder;
    TChartHooks m_charts;
    std::unique_ptr<TRecentFiles> m_recentFiles;
    QMenu* m_fileMenu = nullptr;
    // The separator before Exit: the recent files go above it.
    QAction* m_exitSeparator = nullptr;
    std::vector<QAction*> m_recentActions;
    TxTableModel* m_fieldsModel = nullptr;
    TxTableModel* m_rulesModel = nullptr;
    TxTableModel* m_frequencyModel = nullptr;
    TTavFindingsTab* m_findingsTab = nullptr;
    // The grid the user last worked in (focus or a row chosen).
    QPointer<QTableView> m_activeGrid;
    QMetaObject::Connection m_focusWatch;
    bool m_busy = false;
    // Cancel (or Escape) was pressed during the entropy-gain run.
    bool m_cancelRequested = false;
    TProgressPacer m_progressPacer;
    bool m_closeRequested = false;
    bool m_contextEditDeferred = false;
    std::array<QString, 5> m_statusTexts;

  public:
    // The controls, by the names of the window's design (also their object names).
    QToolButton* tlbtnA = nullptr;
    QToolButton* tlbtnB = nullptr;
    QFrame* pnlFilterMain = nullptr;
    QComboBox* cmbBxContextFilter = nullptr;
    QPushButton* btnUpdateContext = nullptr;
    QFrame* pnlFilterCompare = nullptr;
    QComboBox* cmbBxCompare1 = nullptr;
    QComboBox* cmbBxCompare2 = nullptr;
    QPushButton* btnUpdateCompare = nullptr;
    QLabel* lblUsingCompare = nullptr;
    QFrame* pnlRules = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QFrame* pnlDisplay = nullptr;
    QLabel* lblDisplayCaption = nullptr;
    QTabWidget* PageControl2 = nullptr;
    TTavGrid* DBgrdFields = nullptr;
    TTavGrid* DBgrdSimpleRules = nullptr;
    TTavGrid* DBgrdFrequency = nullptr;
    QMenu* mnPopFields = nullptr;
    QMenu* mnPopRules = nullptr;
    // Under the grids while the user finds a name (Ctrl+F).
    TGridFindBar* pnlFind = nullptr;
    QMenu* mnPopFreq = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    // Beside the progress bar while the entropy-gain run goes on; Escape does the same.
    QPushButton* btnCancelRun = nullptr;
    std::array<QLabel*, 5> StatusBar1{};
};
