#pragma once

#include <QTableView>
#include <vector>

class TGridSortProxy;
class TxTableModel;

// A data grid bound to a result table: column titles, widths in characters, a row indicator,
// whole-row selection, read-only. After every fill, and after rows rewritten in place, each
// column fits its title and its widest text, up to a limit past which texts are elided and their
// cell's tooltip shows them whole; a column the user resized keeps the user's width. Numbers are
// never cut: when the columns are wider than the room beside the vertical scroll bar, the
// elastic column (a name) gives up width, down to a few characters, before any other does. Its
// current row is the table's cursor: the table's moves show in the grid at once, and the user's
// moves are offered to the window (rowMoveRequested), which moves the table or, while a command
// runs, puts the grid back on the table's row. The view shows the table through a sort proxy:
// rows and indexes of the view are the proxy's, those of the table and of every signal of the
// grid the table's.
class TTavGrid : public QTableView {
    Q_OBJECT
  public:
    explicit TTavGrid(QWidget* parent = nullptr);

    // Binds the grid to `model` (not owned) and sizes its columns.
    void setGridModel(TxTableModel* model);
    TxTableModel* gridModel() const { return m_model; }

    // A click on a column's heading sorts the rows shown by that column (the table keeps its
    // order); off at first.
    void setSortable(bool sortable);
    // Shows the table's own order again, without a sort indicator.
    void showTableOrder();
    // The table's row shown in view row `viewRow`, and back; -1 for none.
    int tableRow(int viewRow) const;
    int viewRow(int tableRow) const;

    // Puts the grid's current row on the table's cursor.
    void followTable();

    // The whole text of a cell that shows it cut (elided, or shortened in its table); empty when
    // the cell shows all of it. The cell's tooltip.
    QString wholeTextIfCut(const QModelIndex& index) const;

    // Makes `column` (a text column) the one that narrows when the columns do not fit.
    void setElasticColumn(int column);

    // The widest a column grows to fit its texts, in characters of the grid's font.
    static constexpr int kMaxFitChars = 60;
    // The narrowest the elastic column gets to fit the others in, in characters.
    static constexpr int kLeastElasticChars = 10;

  protected:
    bool viewportEvent(QEvent* event) override;

  signals:
    // The user made `row` current in the grid.
    void rowMoveRequested(int row);

  private:
    void fitColumns();
    // Narrows the elastic column to the room the other columns leave, or widens it back to
    // its fitted width.
    void fitElasticColumn();
    // Fits the columns once, after the current event: rows rewritten one by one change their
    // texts many times in a row.
    void fitColumnsLater();
    int widestText(int column) const;
    void onSectionResized(int column, int oldWidth, int newWidth);
    void onModelRowChanged(int row);
    void onViewRowChanged(const QModelIndex& current, const QModelIndex& previous);

    TxTableModel* m_model = nullptr;
    TGridSortProxy* m_proxy = nullptr;
    bool m_following = false;
    bool m_fitting = false;
    bool m_fitPending = false;
    int m_elastic = -1;
    int m_elasticFitted = 0;  // the elastic column's width as its texts ask
    // Per column: the user set its width, so fitting leaves it alone.
    std::vector<bool> m_userSized;
};
