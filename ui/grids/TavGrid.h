#pragma once

#include <QTableView>
#include <vector>

class TxTableModel;

// A data grid bound to a result table: column titles, widths in characters, a row indicator,
// whole-row selection, read-only. After every fill each column fits its title and its widest
// text, up to a limit past which texts are elided and their cell's tooltip shows them whole; a
// column the user resized keeps the user's width. Its current row is the table's cursor: the
// table's moves show in the grid at once, and the user's moves are offered to the window
// (rowMoveRequested), which moves the table or, while a command runs, puts the grid back on the
// table's row.
class TTavGrid : public QTableView {
    Q_OBJECT
  public:
    explicit TTavGrid(QWidget* parent = nullptr);

    // Binds the grid to `model` (not owned) and sizes its columns.
    void setGridModel(TxTableModel* model);
    TxTableModel* gridModel() const { return m_model; }

    // Puts the grid's current row on the table's cursor.
    void followTable();

    // The whole text of a cell that shows it cut (elided, or shortened in its table); empty when
    // the cell shows all of it. The cell's tooltip.
    QString wholeTextIfCut(const QModelIndex& index) const;

    // The widest a column grows to fit its texts, in characters of the grid's font.
    static constexpr int kMaxFitChars = 60;

  protected:
    bool viewportEvent(QEvent* event) override;

  signals:
    // The user made `row` current in the grid.
    void rowMoveRequested(int row);

  private:
    void fitColumns();
    int widestText(int column) const;
    void onSectionResized(int column, int oldWidth, int newWidth);
    void onModelRowChanged(int row);
    void onViewRowChanged(const QModelIndex& current, const QModelIndex& previous);

    TxTableModel* m_model = nullptr;
    bool m_following = false;
    bool m_fitting = false;
    // Per column: the user set its width, so fitting leaves it alone.
    std::vector<bool> m_userSized;
};
