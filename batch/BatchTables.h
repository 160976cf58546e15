#pragma once

#include <ostream>

class TxDataSet;

// Prints a result table as tab-separated UTF-8 lines: a header line of the column names, then one
// line per record; reals as %.6f with ".", integers plainly, a tab inside a text as a blank.
void printResultTable(TxDataSet& table, std::ostream& out);
