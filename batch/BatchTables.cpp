#include "batch/BatchTables.h"

#include <charconv>

#include "core/Win1250.h"
#include "table/TxDataView.h"
#include "table/TxFieldTypes.h"

namespace {

// A text as one cell of a tab-separated line.
std::string lineText(const std::string& text1250) {
    std::string text = win1250ToUtf8(text1250);
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

std::string cellText(const TxField& field, const TxValue& value) {
    // A value that does not exist (a row without records has no Signif) is blank, as in the grids.
    if (value.isNull()) return "";
    switch (presentedType(static_cast<TxFieldType>(field.type))) {
        case TxPresentedType::Float: {
            // %.6f in the C locale, whatever the user's locale.
            char buffer[400];
            const auto result = std::to_chars(buffer, buffer + sizeof buffer, value.toFloat(),
                                              std::chars_format::fixed, 6);
            return std::string(buffer, result.ptr);
        }
        case TxPresentedType::Smallint:
        case TxPresentedType::Integer:
        case TxPresentedType::Word:
            return std::to_string(value.toInteger());
        default:
            return lineText(value.toString());
    }
}

}  // namespace

void printResultTable(TxViewReader& table, std::ostream& out, int column,
                      const TFullText& fullText) {
    const int fields = table.fieldCount();
    for (int f = 0; f < fields; ++f)
        out << (f ? "\t" : "") << win1250ToUtf8(table.field(f).name);
    out << '\n';
    const int rows = table.RecordCount();
    for (int row = 0; row < rows; ++row) {
        const std::optional<std::string> full =
            fullText && column >= 0 ? fullText(row) : std::nullopt;
        for (int f = 0; f < fields; ++f) {
            out << (f ? "\t" : "")
                << (f == column && full ? lineText(*full)
                                        : cellText(table.field(f), table.valueAt(row, f)));
        }
        out << '\n';
    }
}
