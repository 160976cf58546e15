// The main window's menu and toolbar commands: load, settings, the actions over the simple
// rules, the report, the charts, About and Exit.

#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>

#include "core/Errors.h"
#include "core/ReportFile.h"
#include "core/TextUtils.h"
#include "core/UserNumber.h"
#include "core/uTavObj.h"
#include "import/CellTableSource.h"
#include "import/Importer.h"
#include "session/SessionFile.h"
#include "session/uTavReports.h"
#include "session/uTavSession.h"
#include "stats/uTavEvalRun.h"
#include "stats/uTavFreq.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/grids/TavGrid.h"
#include "ui/grids/TxTableModel.h"
#include "ui/text/TavHelpText.h"
#include "ui/text/uTextWindow.h"
#include "ui/window/uTavMain.h"

namespace {

// The open dialog's filter: a description followed by its patterns in parentheses.
// Data files often come with other extensions; the second filter shows them all.
constexpr const char* kDataFileFilter =
    "CSV semicolon separated files (*.CSV *.csv);;"
    "Workbooks and statistics files, imported (*.xlsx *.ods *.xls *.sav *.zsav *.por *.dta "
    "*.sas7bdat *.xpt);;All files (*)";

// The import command's filter, with every file as the last choice.
constexpr const char* kImportFileFilter =
    "Tables, workbooks and statistics files (*.csv *.CSV *.tsv *.TSV *.txt *.TXT *.arff *.ARFF "
    "*.xlsx *.XLSX *.ods *.ODS *.xls *.XLS *.sav *.SAV *.zsav *.por *.POR *.dta *.DTA *.sas7bdat "
    "*.xpt *.XPT);;All files (*)";

// The save dialog of the data file an import writes.
constexpr const char* kImportedFileFilter = "CSV semicolon separated files (*.CSV *.csv)";

// The wait cursor over the application while a long command runs.
class TWaitCursor {
  public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace

void TfrmTavMain::Loaddatabase1Click() {
    runCommand([this] {
        const std::optional<std::string> path = m_ui.openFile(kDataFileFilter, dialogFolder());
        if (path) loadBody(*path);
    });
}

void TfrmTavMain::loadFile(const std::string& path) {
    // A session file names its table itself: it opens as "Open session..." opens it.
    if (isSessionFilePath(path)) {
        runCommand([&] { openSessionBody(path); });
        return;
    }
    runCommand([&] { loadBody(path); });
}

void TfrmTavMain::Importdatafile1Click() {
    runCommand([this] {
        const std::optional<std::string> path = m_ui.openFile(kImportFileFilter, dialogFolder());
        if (path) importBody(*path);
    });
}

void TfrmTavMain::importBody(const std::string& path) {
    // The progress bar follows the reading and the writing of a large table.
    const ProgressHook progress = [this](double fraction) { ReportProgress(fraction); };
    TImportPlan plan;
    {
        TWaitCursor wait;
        plan = inferImport(path, {}, progress);
    }
    // A workbook: its sheet and the rows above the header first, then the columns they give.
    if (!plan.sheetNames.empty()) {
        TSheetChoice choice{plan.sheet, plan.skipRows};
        if (!m_ui.chooseSheet(plan, choice)) return;
        if (choice.sheet != plan.sheet || choice.skip != plan.skipRows) {
            TImportOptions options;
            options.sheet = choice.sheet;
            options.skipRows = choice.skip;
            TWaitCursor wait;
            plan = inferImport(path, options, progress);
        }
    }
    int classColumn = 0;
    if (!m_ui.reviewImport(plan, classColumn)) return;
    // In the plan, so that the origin file's command line names the class chosen.
    setClassColumn(plan, classColumn);
    std::string target = importedDataFilePath(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 &&
        !m_ui.confirm("The file \"" + displayPath(target) +
                      "\" exists. Replace it? (No: pick another name.)")) {
        // The save dialog asks itself before it replaces the file picked there.
        const std::optional<std::string> other = m_ui.saveFile(kImportedFileFilter, target);
        if (!other) return;
        target = *other;
        if (std::filesystem::path(target).extension().empty()) target += ".CSV";
        std::error_code error;
        if (std::filesystem::equivalent(target, path, error)) {
            throw ETavError("The data file cannot replace the table it is made from (\"" +
                            displayPath(path) + "\"); pick another name.");
        }
    }
    {
        TWaitCursor wait;
        writeImport(plan, target, progress);
    }
    // Beside the data file, so that the class chosen comes back when it is loaded again.
    writeImportSessionFile(target, importFieldIndex(plan, classColumn));
    // The load and the class are one command: the Frequency table is computed once.
    m_session->runAsOneCommand([&] {
        loadBody(target);
        // The data file numbers its fields without the columns left out.
        m_session->setClassFieldDeselected(importFieldIndex(plan, classColumn));
    });
}

void TfrmTavMain::loadBody(const std::string& path) {
    // A workbook or a statistics file (chosen, dropped or recent) can only be imported.
    if (isCellTableFile(path)) {
        importBody(path);
        return;
    }
    // The database chart lets go of the table the load may replace.
    if (m_charts.setData) m_charts.setData(nullptr);
    try {
        TWaitCursor wait;
        // The session swaps the new table in only when the whole load succeeded; a failure
        // leaves the table, its record sets and the grids as they were.
        m_session->loadDataFileWithItsSession(path);
    } catch (const ENotADataFile&) {
        if (m_charts.setData) m_charts.setData(chartData());
        // A plain table: the user may import it instead; the loaded table stays either way.
        if (m_ui.confirm("The file \"" + displayPath(path) +
                         "\" is not a data file (its first line is not a \"TAV DATA\" header). "
                         "Import it as a CSV, TSV or ARFF table?")) {
            importBody(path);
        }
        return;
    } catch (...) {
        if (m_charts.setData) m_charts.setData(chartData());
        throw;
    }
    UpdateStatusLine();
    showResultPanes();
    if (m_charts.setData) m_charts.setData(chartData());
    rememberRecentFile(path);
}

void TfrmTavMain::showResultPanes() {
    for (QTabWidget* tabs : {PageControl1, PageControl2}) {
        tabs->setEnabled(true);
        tabs->setVisible(true);
    }
    lblDisplayCaption->setVisible(false);
    cmbBxContextFilter->setEnabled(true);
    cmbBxCompare1->setEnabled(true);
    cmbBxCompare2->setEnabled(true);
    btnUpdateContext->setVisible(true);
    for (TTavGrid* grid : {DBgrdFields, DBgrdSimpleRules, DBgrdFrequency})
        grid->setVisible(true);
}

void TfrmTavMain::ExitItemClick() {
    // Exit during a command closes the window once the command has ended (closeEvent).
    runGuarded(m_ui, [this] { close(); });
}

// --- Settings -----------------------------------------------------------------------------

void TfrmTavMain::settingsCommand(const char* caption, const char* prompt, TSetting setting) {
    runCommand([&] {
        const std::optional<std::string> text =
            m_ui.inputQuery(caption, prompt, realToText(0, 2, TTavSession::setting(setting)));
        if (!text) return;
        // A plain decimal number, also with the locale's decimal separator ("nan", "inf" and
        // "1e999" do not count); anything else says so and changes nothing.
        if (const std::optional<double> value = parseUserDecimal(*text)) {
            m_session->setSetting(setting, *value);
        } else {
            m_ui.showMessage("\"" + *text + "\" is not a number; the value stays " +
                             realToText(0, 2, TTavSession::setting(setting)) + ".");
        }
        UpdateStatusLine();
        // The significance colours follow the new level at the next repaint.
        DBgrdFrequency->viewport()->update();
    });
}

void TfrmTavMain::parameterMPriorItemClick() {
    settingsCommand("Set m value for prior estimation", "m(prior) =", TSetting::MPrior);
}

void TfrmTavMain::parameterMItemClick() {
    settingsCommand("Set m value", "m =", TSetting::MParam);
}

void TfrmTavMain::significanceItemClick() {
    settingsCommand("Set significance value", "significance =", TSetting::SignificancePct);
}

// --- Actions and report -------------------------------------------------------------------

void TfrmTavMain::withRuleWalk(const std::function<void()>& body) {
    // Each step of the walk moves the rules table and refills the frequency table; the grids
    // show only where it ends.
    const TSuspendedModel rules(*m_rulesModel);
    const TSuspendedModel frequency(*m_frequencyModel);
    body();
}

void TfrmTavMain::tlbtnAClick() {
    runCommand([this] {
        // Without a selected field every rule would score 0 and the run would seem to do nothing.
        if (m_session->CurrentData() != nullptr && !m_session->anyFieldSelected()) {
            if (!m_ui.confirm("No field is selected. Rank every field but the class?")) return;
            m_session->selectEveryFieldButTheClass();
        }
        TWaitCursor wait;
        m_cancelRequested = false;
        btnCancelRun->setVisible(true);
        // The button goes away also when the run ends in an error.
        const std::unique_ptr<QPushButton, void (*)(QPushButton*)> hide(
            btnCancelRun, [](QPushButton* button) { button->setVisible(false); });
        withRuleWalk([this] { m_session->computeEntropyGains(); });
        // The ranking is an order of its own: a column sorted before would hide it.
        DBgrdSimpleRules->showTableOrder();
    });
}

void TfrmTavMain::tlbtnBClick() {
    runCommand([this] {
        withRuleWalk([this] { m_session->restoreOriginalOrder(); });
        DBgrdSimpleRules->showTableOrder();
    });
}

void TfrmTavMain::Simplerules1Click() {
    runCommand([this] {
        withRuleWalk([this] { m_report.appendBlock(globalReportBlock(*m_session)); });
        const std::string name = std::filesystem::path(m_report.path()).filename().string();
        confirmInStatusLine(
            QStringLiteral("Report appended to %1.").arg(QFile::decodeName(name.c_str())));
    });
}

// --- Help -----------------------------------------------------------------------------------

void TfrmTavMain::HelpItemClick() {
    // Opening the Help menu has a handler of its own that does nothing.
    runGuarded(m_ui, [] {});
}

void TfrmTavMain::Chartmestimate1Click() {
    runCommand([this] {
        if (m_charts.chartM) m_charts.chartM();
    });
}

void TfrmTavMain::Perform1Click() {
    runCommand([this] {
        const std::optional<std::string> path = m_ui.openFile(kDataFileFilter, dialogFolder());
        if (path) {
            performEvaluationRun(*path, TTavSession::setting(TSetting::MPrior),
                                 TTavSession::setting(TSetting::MParam));
        }
    });
}

void TfrmTavMain::ChartDB1Click() {
    runCommand([this] {
        if (m_session->tableIsCounted()) {
            throw ETavError(
                "The database chart draws the table's records, which stay in the database "
                "server: it is not available for a table counted there.");
        }
        if (m_charts.chartDB) m_charts.chartDB();
    });
}

const TBaza* TfrmTavMain::chartData() const {
    return m_session->tableIsCounted() ? nullptr : m_session->CurrentData();
}

void TfrmTavMain::ReadingTheResults1Click() {
    runCommand([this] {
        ShowTextWindow(this, "Reading the results", readingTheResultsText(), "Monospace", 0, 0, 0,
                       0, true, Qt::black, Qt::white);
    });
}

void TfrmTavMain::AboutTav1Click() {
    runCommand([this] {
        ShowTextWindow(this, "About Tav:", aboutTavText(), "Verdana", 400, 500, 100, 100, false,
                       Qt::black, Qt::white);
    });
}
