#pragma once

#include <ostream>

#include "core/RowTable.h"

// Prints result rows as tab-separated UTF-8 lines: a header line of the column names, then one
// line per row with the cells as rowCellText gives them, a tab or a line end inside a text as a
// blank.
void printRowTable(const TRowTable& table, std::ostream& out);
