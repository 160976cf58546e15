// The main window's "Edit" menu and keys that act on the grid in use: copy rows, the find bar,
// F5 and Escape, and the folder the file dialogs open in.

#include <QApplication>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <filesystem>

#include "session/uTavSession.h"
#include "stats/uTavResultTables.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/findings/FindingsModel.h"
#include "ui/findings/PairFindingsModel.h"
#include "ui/findings/uTavFindingsTab.h"
#include "ui/grids/GridFindBar.h"
#include "ui/grids/GridText.h"
#include "ui/grids/TavGrid.h"
#include "ui/text/QtText.h"
#include "ui/window/uTavMain.h"

namespace {

// How long a confirmation stays in the status line, in milliseconds.
constexpr int kConfirmationMs = 5000;

}  // namespace

QTableView* TfrmTavMain::activeGrid() const {
    const std::array<QTableView*, 5> grids = {DBgrdFields, DBgrdSimpleRules, DBgrdFrequency,
                                              m_findingsTab->grdFindings, m_findingsTab->grdPairs};
    for (QTableView* grid : grids) {
        if (grid->hasFocus() && grid->isVisible()) return grid;
    }
    if (m_activeGrid != nullptr && m_activeGrid->isVisible()) return m_activeGrid;
    return PageControl1->currentIndex() == 1 ? DBgrdSimpleRules : DBgrdFields;
}

void TfrmTavMain::CopyRows1Click() {
    runCommand([this] {
        const QTableView* grid = activeGrid();
        int rows = 0;
        const QString text = grid->isVisible() ? selectedRowsText(*grid, &rows) : QString();
        if (rows == 0) {
            confirmInStatusLine(QStringLiteral("No row is selected: nothing was copied."));
            return;
        }
        m_ui.setClipboardText(text1250(text));
        confirmInStatusLine(rows == 1 ? QStringLiteral("Copied 1 row.")
                                      : QStringLiteral("Copied %1 rows.").arg(rows));
    });
}

void TfrmTavMain::Find1Click() {
    QTableView* grid = activeGrid();
    if (!grid->isVisible()) {
        confirmInStatusLine(QStringLiteral("Load a data file first: there is nothing to find."));
        return;
    }
    int column = FieldsColumns::kName;
    QString name = QStringLiteral("Fields");
    if (grid == DBgrdSimpleRules) {
        column = RuleColumns::kName;
        name = QStringLiteral("Simple rules");
    } else if (grid == DBgrdFrequency) {
        column = FrequencyColumns::kName;
        name = QStringLiteral("Frequency");
    } else if (grid == m_findingsTab->grdFindings) {
        column = TFindingsModel::kRule;
        name = QStringLiteral("Findings");
    } else if (grid == m_findingsTab->grdPairs) {
        column = TPairFindingsModel::kPair;
        name = QStringLiteral("Pairs");
    }
    pnlFind->open(grid, column, name);
}

void TfrmTavMain::RunKeyClick() {
    if (PageControl2->isVisible() && PageControl2->currentWidget() == m_findingsTab) {
        m_findingsTab->run();
        return;
    }
    tlbtnAClick();
}

void TfrmTavMain::escapePressed() {
    // Not a command: it only asks the running one to stop at its next question.
    if (btnCancelRun->isVisible()) {
        m_cancelRequested = true;
    } else if (pnlFind->isVisible()) {
        pnlFind->close();
    }
}

void TfrmTavMain::confirmInStatusLine(const QString& text) {
    statusBar()->showMessage(text, kConfirmationMs);
}

std::string TfrmTavMain::dialogFolder() const {
    const std::string& dataFile = m_session->DataFileName();
    const std::filesystem::path folder = std::filesystem::path(dataFile).parent_path();
    return dataFile.empty() || folder.empty() ? std::string(".") : folder.string();
}

std::string TfrmTavMain::inDialogFolder(const std::string& name) const {
    return nameBeside(m_session->DataFileName(), name);
}
