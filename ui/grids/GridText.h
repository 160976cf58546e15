#pragma once

#include <QModelIndex>
#include <QString>

class QTableView;

// The texts of a grid's cells as the user means them, for copying and finding.

// The cell's whole text: a result table's cell that holds its text cut gives it whole, any
// other cell the text it shows.
QString cellWholeText(const QModelIndex& index);

// The rows of `view` that are selected, in the order shown, under a heading of the column titles:
// cells separated by tabs, lines ended by "\n", tabs and line breaks inside a cell turned into
// spaces. Empty when no row is selected. `rows`, when given, gets the number of rows.
QString selectedRowsText(const QTableView& view, int* rows = nullptr);
