#include "session/TableExport.h"

#include <functional>
#include <optional>
#include <vector>

#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "session/uTavSession.h"
#include "stats/uTavResultTables.h"
#include "table/TxDataView.h"
#include "table/TxRecordLayout.h"

namespace {

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string tsvField(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

std::string tableExport(TxViewReader& table, int nameColumn,
                        const std::function<std::optional<std::string>(int)>& wholeName,
                        TTableExportFormat format) {
    const bool csv = format == TTableExportFormat::Csv;
    auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (size_t k = 0; k < cells.size(); ++k) {
            const std::string utf8 = win1250ToUtf8(cells[k]);
            text += (k > 0 ? (csv ? "," : "\t") : "") + (csv ? csvField(utf8) : tsvField(utf8));
        }
        return text + "\n";
    };
    std::vector<std::string> heading;
    for (int column = 0; column < table.fieldCount(); ++column)
        heading.push_back(table.field(column).name);
    std::string out = line(heading);
    for (int row = 0; row < table.RecordCount(); ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < table.fieldCount(); ++column) {
            const TxValue value = table.valueAt(row, column);
            std::optional<std::string> whole;
            if (column == nameColumn) whole = wholeName(row);
            cells.push_back(whole ? *whole
                            : value.kind() == TxValue::Kind::Float
                                ? realToText(0, 3, value.toFloat())
                                : value.toString());
        }
        out += line(cells);
    }
    return out;
}

}  // namespace

std::string fieldsTableExport(TTavSession& session, TTableExportFormat format) {
    if (session.CurrentData() == nullptr) return "";
    return tableExport(
        session.fieldsTable(), FieldsColumns::kName,
        [&](int row) { return session.wholeFieldName(row); }, format);
}

std::string rulesTableExport(TTavSession& session, TTableExportFormat format) {
    if (session.CurrentData() == nullptr) return "";
    return tableExport(
        session.rulesTable(), RuleColumns::kName,
        [&](int row) { return session.wholeRuleName(row); }, format);
}
