#include "ui/grids/GridText.h"

#include <QItemSelectionModel>
#include <QStringList>
#include <QTableView>
#include <algorithm>

#include "ui/grids/GridSortProxy.h"
#include "ui/grids/TxTableModel.h"

namespace {

// One line of tab-separated text holds a cell only without tabs and line breaks.
QString oneCell(QString text) {
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text;
}

}  // namespace

QString cellWholeText(const QModelIndex& index) {
    // A result table's tooltip is the whole text of a cut cell; other models' tooltips explain.
    if (qobject_cast<const TxTableModel*>(sourceIndex(index).model()) != nullptr) {
        const QString whole = index.data(Qt::ToolTipRole).toString();
        if (!whole.isEmpty()) return whole;
    }
    return index.data(Qt::DisplayRole).toString();
}

QString selectedRowsText(const QTableView& view, int* rows) {
    if (rows != nullptr) *rows = 0;
    const QAbstractItemModel* model = view.model();
    const QItemSelectionModel* selection = view.selectionModel();
    if (model == nullptr || selection == nullptr) return {};
    QModelIndexList chosen = selection->selectedRows();
    if (chosen.isEmpty()) return {};
    std::sort(chosen.begin(), chosen.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    const int columns = model->columnCount();
    QStringList line;
    for (int c = 0; c < columns; ++c)
        line << oneCell(model->headerData(c, Qt::Horizontal).toString());
    QString text = line.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const QModelIndex& row : chosen) {
        line.clear();
        for (int c = 0; c < columns; ++c)
            line << oneCell(cellWholeText(model->index(row.row(), c)));
        text += line.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    if (rows != nullptr) *rows = static_cast<int>(chosen.size());
    return text;
}
