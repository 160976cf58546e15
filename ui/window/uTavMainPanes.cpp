// The result panes of the main window: moves of the grids' rows, their popup menus and the
// double click on a field.

#include <QMenu>
#include <QTimer>

#include "core/uTavObj.h"
#include "session/uTavReports.h"
#include "session/uTavSession.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/findings/uTavFindingsTab.h"
#include "ui/grids/TavGrid.h"
#include "ui/grids/TxTableModel.h"
#include "ui/window/uTavMain.h"

void TfrmTavMain::gridRowMoveRequested(TTavGrid* grid, int row) {
    if (m_busy) {
        // The tables do not move under a running command: the grid goes back to its table.
        QTimer::singleShot(0, grid, &TTavGrid::followTable);
        return;
    }
    m_activeGrid = grid;
    // A move in the fields or rules grid recomputes the frequency table (through the session).
    runCommand([this, grid, row] {
        if (grid == DBgrdFields) {
            m_session->moveToField(row);
        } else if (grid == DBgrdSimpleRules) {
            m_session->moveToRule(row);
        } else {
            m_session->moveToFrequencyRow(row);
        }
    });
}

void TfrmTavMain::gridContextMenu(TTavGrid* grid, QMenu* menu, const QPoint& position) {
    if (m_busy) return;
    runGuarded(m_ui, [&] { menu->popup(grid->viewport()->mapToGlobal(position)); });
}

// --- Frequency grid -------------------------------------------------------------------------

void TfrmTavMain::allRowsItemClick() {
    runCommand([this] { m_session->showAllRows(); });
}

void TfrmTavMain::RemoveActiveRowItemClick() {
    runCommand([this] { m_session->removeActiveRow(); });
}

void TfrmTavMain::removeToLastItemClick() {
    runCommand([this] { m_session->removeToLast(); });
}

void TfrmTavMain::removeToFirstItemClick() {
    runCommand([this] { m_session->removeToFirst(); });
}

void TfrmTavMain::ShowBeta1Click() {
    runCommand([this] {
        m_session->captureChartRow(m_session->activeFrequencyValue());
        if (m_charts.showBeta) m_charts.showBeta(m_session->chartParams());
    });
}

void TfrmTavMain::Copy1Click() {
    runCommand([this] {
        const std::optional<std::string> description =
            m_ui.inputQuery("Vnesite kratek opis tabele", "Opis kriterija: ", "Seznam vlog");
        if (!description) return;
        m_ui.setClipboardText(m_session->frequencyReport(*description));
        confirmInStatusLine(QStringLiteral("Copied the Frequency table."));
    });
}

// --- Fields grid ----------------------------------------------------------------------------

void TfrmTavMain::Makeactivefieldtheclass1Click() {
    runCommand([this] { m_session->makeActiveFieldTheClass(); });
}

void TfrmTavMain::Select1Click() {
    runCommand([this] { m_session->selectActiveField(true); });
}

void TfrmTavMain::selectAll1Click() {
    runCommand([this] { m_session->selectAllFields(true); });
}

void TfrmTavMain::Deselect1Click() {
    runCommand([this] { m_session->selectActiveField(false); });
}

void TfrmTavMain::deselectaLl1Click() {
    runCommand([this] { m_session->selectAllFields(false); });
}

void TfrmTavMain::DBgrdFieldsDblClick() {
    runCommand([this] { m_session->fieldsDoubleClick(); });
}

void TfrmTavMain::ThresholdSweep1Click() {
    const TBaza* data = m_session->CurrentData();
    if (data == nullptr || m_busy) return;
    // The Findings tab's target first: the sweep then explains its findings.
    int target = m_findingsTab->target();
    if (target < 0) target = m_session->activeFrequencyValue();
    // On the Total or Sub-total row the sweep is of the first class value.
    for (int code = 0; (target < 0 || target > kMaxValueCode) && code <= kMaxValueCode; ++code) {
        if (data->valueSet(m_session->classField(), code) != nullptr) target = code;
    }
    // The findings tab owns the sweep window and runs the sweep as a command.
    m_findingsTab->showThresholdSweep(target, m_session->activeFieldNumber());
}
