#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>

class TxViewReader;

// The Windows-1250 text to print in a column instead of the cell of row `row` (the record layout
// cuts texts to the column's width), or none to print the cell.
using TFullText = std::function<std::optional<std::string>(int row)>;

// Prints a result table as tab-separated UTF-8 lines: a header line of the column names, then one
// line per record; reals as %.6f with ".", integers plainly, a tab inside a text as a blank. With
// `fullText`, column `column` prints what it gives wherever it gives a text.
void printResultTable(TxViewReader& table, std::ostream& out, int column = -1,
                      const TFullText& fullText = {});
