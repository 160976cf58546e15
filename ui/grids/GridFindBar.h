#pragma once

#include <QFrame>
#include <QPointer>

class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;

// The find bar under the grids: finds the rows of one grid whose name (one column, its whole
// text) holds the text typed, in any case. Typing goes to the first such row from the current
// one on, Enter to the next after it, from the top again past the last; "No match" shows in the
// bar. The row found becomes the grid's current row, as a click on it would make it.
class TGridFindBar : public QFrame {
    Q_OBJECT
  public:
    explicit TGridFindBar(QWidget* parent = nullptr);

    // Shows the bar for `view`'s column `column`, named `gridName` in the bar, with the text
    // selected for typing over it.
    void open(QTableView* view, int column, const QString& gridName);
    // Hides the bar and gives the focus back to its grid.
    void close();
    // Makes current the next row after the current one whose name holds the text (or with
    // `fromCurrent` the current one itself when it does); false when no row does.
    bool findNext(bool fromCurrent = false);
    // The grid searched, or none before the bar was opened (or after it went away).
    QTableView* grid() const { return m_view; }

    QLabel* lblFindIn = nullptr;
    QLineEdit* edtFind = nullptr;
    QLabel* lblFindStatus = nullptr;
    QToolButton* btnFindNext = nullptr;
    QToolButton* btnFindClose = nullptr;

  private:
    QPointer<QTableView> m_view;
    int m_column = 0;
};
