#pragma once

#include <QTableView>

class TxTableModel;

// A data grid bound to a result table: column titles, widths in characters, a row indicator,
// whole-row selection, read-only. Its current row is the table's cursor: the table's moves show
// in the grid at once, and the user's moves are offered to the window (rowMoveRequested), which
// moves the table or, while a command runs, puts the grid back on the table's row.
class TTavGrid : public QTableView {
    Q_OBJECT
  public:
    explicit TTavGrid(QWidget* parent = nullptr);

    // Binds the grid to `model` (not owned) and sizes its columns.
    void setGridModel(TxTableModel* model);
    TxTableModel* gridModel() const { return m_model; }

    // Puts the grid's current row on the table's cursor.
    void followTable();

  signals:
    // The user made `row` current in the grid.
    void rowMoveRequested(int row);

  private:
    void sizeColumns();
    void onModelRowChanged(int row);
    void onViewRowChanged(const QModelIndex& current, const QModelIndex& previous);

    TxTableModel* m_model = nullptr;
    bool m_following = false;
};
