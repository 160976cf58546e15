#pragma once

#include <QModelIndex>
#include <QSortFilterProxyModel>

class QTableView;

// A grid's rows in the order of the column whose heading the user clicked, over a model whose own
// order it never changes (the rules keep the ranking's order underneath). Numbers sort as numbers:
// the cells' raw values (TxTableModel::kRawValueRole) when the model has them, otherwise texts
// that read as numbers ("0,125", "12%"); empty cells come first, equal cells keep the model's
// order. Without a sort column the rows are the model's.
class TGridSortProxy : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    explicit TGridSortProxy(QObject* parent = nullptr);

  protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

// Shows `source` in `view` through a new sort proxy (owned by the view) whose headings sort on a
// click, with the indicator, ascending first, descending next, the model's order on the third.
// The view starts in the model's order.
TGridSortProxy* installSortProxy(QTableView* view, QAbstractItemModel* source);

// The index of the model under every proxy between a view and it; `index` itself when there is
// none. What a handler of a view's row (a double click, a popup) should look up.
QModelIndex sourceIndex(const QModelIndex& index);

// Puts `view` back in its model's order, without a sort indicator.
void clearSort(QTableView* view);
