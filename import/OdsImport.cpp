#include "import/OdsImport.h"

#include <vector>

#include "core/Errors.h"
#include "import/XmlPart.h"
#include "import/ZipArchive.h"

namespace {

// The rows and columns a spreadsheet may have, and the copies that repetition may add: a repeated
// empty row or cell costs nothing, but one with a value is copied.
constexpr long long kMaxRows = 1 << 20;
constexpr long long kMaxColumns = 1 << 14;
constexpr long long kMaxRepeatedCopies = 1 << 20;

long long repeatCount(std::string_view text) {
    if (text.empty() || text.size() > 9) return 1;
    long long count = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 1;
        count = count * 10 + (c - '0');
    }
    return std::max(1LL, count);
}

// A date value "2024-01-02" or "2024-01-02T10:30:00[.5]" as the importer writes dates.
std::string dateText(std::string_view value) {
    std::string date(value.substr(0, 19));
    if (date.size() > 10) date[10] = ' ';
    if (date.ends_with(" 00:00:00")) date.resize(10);
    return date;
}

// Reads content.xml: the names of the tables and the cells of table `wanted` (none: -1).
class TContentReader {
  public:
    TContentReader(long long wanted, const std::string& fileName)
        : m_wanted(wanted), m_fileName(fileName) {}

    void read(const std::string& xml) {
        TXmlHandlers handlers;
        handlers.open = [this](std::string_view element, const auto& attribute) {
            open(element, attribute);
        };
        handlers.close = [this](std::string_view element) { close(element); };
        handlers.text = [this](std::string_view text) {
            if (m_paragraphs > 0 && m_inCell) m_text.append(text);
        };
        parseXmlPart(xml, handlers, "content.xml", m_fileName);
    }

    std::vector<std::string> names;
    TSheetCells cells;

  private:
    using TAttribute = std::function<std::string_view(std::string_view)>;

    bool inWanted() const { return m_table == m_wanted && m_wanted >= 0; }

    void open(std::string_view element, const TAttribute& attribute) {
        if (element == "table" && m_depth++ == 0) {
            names.emplace_back(attribute("name"));
            m_table = static_cast<long long>(names.size()) - 1;
            m_row = 0;
            return;
        }
        if (!inWanted() || m_depth != 1) return;
        if (element == "table-row") {
            m_rowRepeat = repeatCount(attribute("number-rows-repeated"));
            m_column = 0;
        } else if (element == "table-cell" || element == "covered-table-cell") {
            m_inCell = true;
            m_cellRepeat = repeatCount(attribute("number-columns-repeated"));
            m_text.clear();
            m_paragraphs = 0;
            m_paragraphCount = 0;
            const std::string_view type = attribute("value-type");
            m_kind = TCellKind::Text;
            m_value.clear();
            if (type == "float" || type == "percentage" || type == "currency") {
                m_kind = TCellKind::Number;
                m_value = attribute("value");
            } else if (type == "boolean") {
                m_value = attribute("boolean-value") == "true" ? "TRUE" : "FALSE";
            } else if (type == "date") {
                m_kind = TCellKind::Date;
                m_value = dateText(attribute("date-value"));
            }
            m_typed = !m_value.empty();
        } else if (element == "p" && m_inCell) {
            if (m_paragraphCount++ > 0) m_text += '\n';
            ++m_paragraphs;
        } else if (element == "s" && m_inCell && m_paragraphs > 0) {
            m_text.append(static_cast<size_t>(std::min(repeatCount(attribute("c")), 1000LL)), ' ');
        } else if ((element == "tab" || element == "line-break") && m_inCell && m_paragraphs > 0) {
            m_text += ' ';
        }
    }

    void close(std::string_view element) {
        if (element == "table" && m_depth > 0) {
            if (--m_depth == 0) m_table = -1;
            return;
        }
        if (!inWanted() || m_depth != 1) return;
        if (element == "p" && m_paragraphs > 0) {
            --m_paragraphs;
        } else if ((element == "table-cell" || element == "covered-table-cell") && m_inCell) {
            m_inCell = false;
            const std::string text = m_typed ? m_value : m_text;
            if (!text.empty()) m_rowCells.push_back({m_column, m_cellRepeat, text, m_kind});
            m_column = std::min(kMaxColumns, m_column + m_cellRepeat);
        } else if (element == "table-row") {
            flushRow();
        }
    }

    // The cells of the row just read, once per repetition of the row.
    void flushRow() {
        for (long long copy = 0; copy < m_rowRepeat && m_row < kMaxRows; ++copy, ++m_row) {
            if (m_rowCells.empty()) {
                m_row = std::min(kMaxRows, m_row + m_rowRepeat);
                break;
            }
            for (const TRowCell& cell : m_rowCells) {
                for (long long c = 0; c < cell.repeat && cell.column + c < kMaxColumns; ++c) {
                    if (copy > 0 || c > 0) {
                        if (++m_copies > kMaxRepeatedCopies) {
                            throw EConvertError("The sheet \"" + names.back() + "\" of \"" +
                                                m_fileName +
                                                "\" repeats its cells more than a sheet holds");
                        }
                    }
                    cells.put(m_row, cell.column + c, cell.text, cell.kind);
                }
            }
        }
        m_rowCells.clear();
    }

    struct TRowCell {
        long long column;
        long long repeat;
        std::string text;
        TCellKind kind;
    };

    long long m_wanted;
    const std::string& m_fileName;
    long long m_table = -1;
    int m_depth = 0;  // nested tables (a table in a cell's frame) are not the sheet's
    long long m_row = 0;
    long long m_rowRepeat = 1;
    long long m_column = 0;
    long long m_cellRepeat = 1;
    long long m_copies = 0;
    bool m_inCell = false;
    bool m_typed = false;
    int m_paragraphs = 0;
    int m_paragraphCount = 0;
    TCellKind m_kind = TCellKind::Text;
    std::string m_value;
    std::string m_text;
    std::vector<TRowCell> m_rowCells;
};

}  // namespace

TWorkbookTable readOds(std::string_view bytes, const TSheetChoice& choice,
                       const std::string& fileName) {
    TZipArchive zip(bytes, fileName);
    if (const auto manifest = zip.part("META-INF/manifest.xml")) {
        if (manifest->find("encryption-data") != std::string::npos) {
            throw EConvertError("The spreadsheet \"" + fileName +
                                "\" is protected by a password; save it without one to import it");
        }
    }
    const std::optional<std::string> content = zip.part("content.xml");
    if (!content) {
        throw EConvertError("The spreadsheet \"" + fileName +
                            "\" is damaged: it has no part \"content.xml\"");
    }
    TContentReader names(-1, fileName);
    names.read(*content);
    TWorkbookTable result;
    result.sheetNames = names.names;
    const size_t index = chosenSheet(result.sheetNames, choice.sheet, fileName);
    result.sheet = result.sheetNames[index];
    TContentReader sheet(static_cast<long long>(index), fileName);
    sheet.read(*content);
    result.table = sheetTable(std::move(sheet.cells), choice.skip, fileName, result.sheet);
    return result;
}
