#include "batch/BatchTables.h"

#include <string>

#include "core/Win1250.h"

namespace {

// A cell as one field of a tab-separated line.
std::string lineText(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace

void printRowTable(const TRowTable& table, std::ostream& out) {
    for (size_t f = 0; f < table.columns.size(); ++f)
        out << (f ? "\t" : "") << win1250ToUtf8(table.columns[f]);
    out << '\n';
    for (const std::vector<TRowCell>& row : table.rows) {
        for (size_t f = 0; f < row.size(); ++f)
            out << (f ? "\t" : "") << lineText(rowCellText(row[f]));
        out << '\n';
    }
}
