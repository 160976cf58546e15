#pragma once

#include <string>
#include <variant>
#include <vector>

// The rows of a result as typed cells: what tav-batch prints as text and what the Python module
// hands over as numbers, built once for both.

// A cell: none (a blank, such as the Signif of a row without records), a whole number, a real, a
// yes/no, or a Windows-1250 text.
using TRowCell = std::variant<std::monostate, long long, double, bool, std::string>;

// A header of column names (Windows-1250) and the rows, each with one cell per column.
struct TRowTable {
    std::vector<std::string> columns;
    std::vector<std::vector<TRowCell>> rows;
};

// A cell as the tables print it, in UTF-8: "" for none, integers plainly, reals as %.6f with a "."
// whatever the locale, "yes" or "no", and texts as they are.
std::string rowCellText(const TRowCell& cell);
