#include "import/XlsxImport.h"

#include <map>
#include <optional>
#include <vector>

#include "core/Errors.h"
#include "import/XmlPart.h"
#include "import/ZipArchive.h"

namespace {

// Built-in number formats that show dates or times (their codes are not in the file).
bool isBuiltInDateFormat(long id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

long number(std::string_view text, long otherwise) {
    if (text.empty() || text.size() > 9) return otherwise;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return otherwise;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The row and column (from 0) of a cell reference such as "AB12"; -1 for a part not given.
std::pair<long long, long long> cellPlace(std::string_view reference) {
    long long column = 0;
    size_t at = 0;
    while (at < reference.size() && at < 4 && reference[at] >= 'A' && reference[at] <= 'Z')
        column = column * 26 + (reference[at++] - 'A' + 1);
    const long row = number(reference.substr(at), 0);
    return {row - 1, column - 1};
}

// The path of a relationship's target: absolute ("/xl/...") or relative to `base` ("xl/").
std::string targetPath(std::string_view target, const std::string& base) {
    if (!target.empty() && target[0] == '/') return std::string(target.substr(1));
    return base + std::string(target);
}

// The targets of a relationships part by id, and the office document's among them.
std::map<std::string, std::string> relationships(const std::string& xml, const std::string& part,
                                                 const std::string& fileName,
                                                 std::string* officeDocument = nullptr) {
    std::map<std::string, std::string> targets;
    TXmlHandlers handlers;
    handlers.open = [&](std::string_view element, const auto& attribute) {
        if (element != "Relationship") return;
        targets[std::string(attribute("Id"))] = std::string(attribute("Target"));
        if (officeDocument && attribute("Type").ends_with("/officeDocument"))
            *officeDocument = std::string(attribute("Target"));
    };
    parseXmlPart(xml, handlers, part, fileName);
    return targets;
}

std::vector<std::string> sharedStrings(const std::string& xml, const std::string& fileName) {
    std::vector<std::string> strings;
    bool inText = false;
    int phonetic = 0;
    TXmlHandlers handlers;
    handlers.open = [&](std::string_view element, const auto&) {
        if (element == "si") strings.emplace_back();
        if (element == "rPh") ++phonetic;
        if (element == "t") inText = phonetic == 0 && !strings.empty();
    };
    handlers.close = [&](std::string_view element) {
        if (element == "rPh") --phonetic;
        if (element == "t") inText = false;
    };
    handlers.text = [&](std::string_view text) {
        if (inText) strings.back().append(text);
    };
    parseXmlPart(xml, handlers, "xl/sharedStrings.xml", fileName);
    return strings;
}

// Whether each cell style (an index of cellXfs) shows numbers as dates.
std::vector<bool> dateStyles(const std::string& xml, const std::string& fileName) {
    std::map<long, bool> customDates;
    std::vector<long> formats;
    bool inCellXfs = false;
    TXmlHandlers handlers;
    handlers.open = [&](std::string_view element, const auto& attribute) {
        if (element == "numFmt") {
            customDates[number(attribute("numFmtId"), -1)] =
                isDateFormatCode(attribute("formatCode"));
        }
        if (element == "cellXfs") inCellXfs = true;
        if (element == "xf" && inCellXfs) formats.push_back(number(attribute("numFmtId"), 0));
    };
    handlers.close = [&](std::string_view element) {
        if (element == "cellXfs") inCellXfs = false;
    };
    parseXmlPart(xml, handlers, "xl/styles.xml", fileName);
    std::vector<bool> dates;
    for (long id : formats) {
        const auto custom = customDates.find(id);
        dates.push_back(custom != customDates.end() ? custom->second : isBuiltInDateFormat(id));
    }
    return dates;
}

struct TSheetRef {
    std::string name;
    std::string relation;
};

// The cells of one sheet part.
TSheetCells sheetCells(const std::string& xml, const std::string& part,
                       const std::vector<std::string>& strings, const std::vector<bool>& dates,
                       bool date1904, const std::string& fileName) {
    TSheetCells cells;
    long long row = -1;
    long long column = -1;
    std::string type;
    long style = 0;
    std::string value;       // <v>
    std::string inlineText;  // <is><t>
    bool inValue = false;
    bool inInline = false;
    bool inInlineText = false;
    TXmlHandlers handlers;
    handlers.open = [&](std::string_view element, const auto& attribute) {
        if (element == "row") {
            const long given = number(attribute("r"), 0);
            row = given > 0 ? given - 1 : row + 1;
            column = -1;
        } else if (element == "c") {
            const auto [r, c] = cellPlace(attribute("r"));
            column = c >= 0 ? c : column + 1;
            if (r >= 0 && row < 0) row = r;
            type = std::string(attribute("t"));
            style = number(attribute("s"), 0);
            value.clear();
            inlineText.clear();
        } else if (element == "v") {
            inValue = true;
        } else if (element == "is") {
            inInline = true;
        } else if (element == "t" && inInline) {
            inInlineText = true;
        }
    };
    handlers.text = [&](std::string_view text) {
        if (inValue) value.append(text);
        if (inInlineText) inlineText.append(text);
    };
    handlers.close = [&](std::string_view element) {
        if (element == "v") inValue = false;
        if (element == "t") inInlineText = false;
        if (element == "is") inInline = false;
        if (element != "c" || row < 0 || column < 0) return;
        if (type == "s") {
            const long index = number(value, -1);
            if (index >= 0 && static_cast<size_t>(index) < strings.size())
                cells.put(row, column, strings[index], TCellKind::Text);
        } else if (type == "inlineStr") {
            cells.put(row, column, inlineText, TCellKind::Text);
        } else if (type == "str") {
            cells.put(row, column, value, TCellKind::Text);
        } else if (type == "b") {
            if (!value.empty())
                cells.put(row, column, value == "0" ? "FALSE" : "TRUE", TCellKind::Text);
        } else if (type == "d") {
            std::string date = value.substr(0, 19);
            if (date.size() > 10) date[10] = ' ';
            if (date.ends_with(" 00:00:00")) date.resize(10);
            cells.put(row, column, date, TCellKind::Date);
        } else if (type.empty() || type == "n") {
            const bool isDate =
                style >= 0 && static_cast<size_t>(style) < dates.size() && dates[style];
            std::optional<std::string> date;
            if (isDate && !value.empty()) {
                char* end = nullptr;
                const double serial = std::strtod(value.c_str(), &end);
                if (end != nullptr && *end == '\0') date = serialDateText(serial, date1904);
            }
            if (date) {
                cells.put(row, column, *date, TCellKind::Date);
            } else {
                cells.put(row, column, value, TCellKind::Number);
            }
        }
        // "e": an error value (#N/A, #DIV/0!) is a missing value.
    };
    parseXmlPart(xml, handlers, part, fileName);
    return cells;
}

}  // namespace

bool isDateFormatCode(std::string_view code) {
    bool quoted = false;
    bool bracket = false;
    for (size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (quoted) {
            quoted = c != '"';
        } else if (bracket) {
            bracket = c != ']';
        } else if (c == '"') {
            quoted = true;
        } else if (c == '[') {
            bracket = true;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;  // the next character is shown as it is, or is padding
        } else if (std::string_view("dDmMyYhHsS").find(c) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

TWorkbookTable readXlsx(std::string_view bytes, const TSheetChoice& choice,
                        const std::string& fileName) {
    TZipArchive zip(bytes, fileName);
    const auto required = [&](const std::string& name) {
        std::optional<std::string> part = zip.part(name);
        if (!part) {
            throw EConvertError("The workbook \"" + fileName + "\" is damaged: it has no part \"" +
                                name + "\"");
        }
        return std::move(*part);
    };
    std::string workbookPath = "xl/workbook.xml";
    if (const auto rels = zip.part("_rels/.rels")) {
        std::string office;
        relationships(*rels, "_rels/.rels", fileName, &office);
        if (!office.empty()) workbookPath = targetPath(office, "");
    }
    const size_t slash = workbookPath.rfind('/');
    const std::string base = slash == std::string::npos ? "" : workbookPath.substr(0, slash + 1);
    const std::string relsPath =
        base + "_rels/" + workbookPath.substr(slash == std::string::npos ? 0 : slash + 1) + ".rels";

    std::vector<TSheetRef> sheets;
    bool date1904 = false;
    TXmlHandlers handlers;
    handlers.open = [&](std::string_view element, const auto& attribute) {
        if (element == "sheet")
            sheets.push_back({std::string(attribute("name")), std::string(attribute("id"))});
        if (element == "workbookPr") {
            const std::string_view system = attribute("date1904");
            date1904 = system == "1" || system == "true";
        }
    };
    parseXmlPart(required(workbookPath), handlers, workbookPath, fileName);
    const auto targets = relationships(required(relsPath), relsPath, fileName);

    TWorkbookTable result;
    for (const TSheetRef& sheet : sheets)
        result.sheetNames.push_back(sheet.name);
    const TSheetRef& sheet = sheets[chosenSheet(result.sheetNames, choice.sheet, fileName)];
    result.sheet = sheet.name;
    const auto target = targets.find(sheet.relation);
    if (target == targets.end()) {
        throw EConvertError("The workbook \"" + fileName + "\" is damaged: the sheet \"" +
                            sheet.name + "\" has no part");
    }
    std::vector<std::string> strings;
    if (const auto part = zip.part(base + "sharedStrings.xml"))
        strings = sharedStrings(*part, fileName);
    std::vector<bool> dates;
    if (const auto part = zip.part(base + "styles.xml")) dates = dateStyles(*part, fileName);
    const std::string sheetPath = targetPath(target->second, base);
    TSheetCells cells =
        sheetCells(required(sheetPath), sheetPath, strings, dates, date1904, fileName);
    result.table = sheetTable(std::move(cells), choice.skip, fileName, sheet.name);
    return result;
}
