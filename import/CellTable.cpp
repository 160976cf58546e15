#include "import/CellTable.h"

#include <cmath>

#include "core/Errors.h"
#include "core/uTavObj.h"
#include "import/ImportText.h"

namespace {
// Days from 1970-01-01 to y-m-d of the proleptic Gregorian calendar.
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

std::string twoDigits(long long n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

}  // namespace

size_t chosenSheet(const std::vector<std::string>& names, const std::string& wanted,
                   const std::string& fileName) {
    if (names.empty()) throw EConvertError("The workbook \"" + fileName + "\" has no sheets");
    if (wanted.empty()) return 0;
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == wanted) return i;
    if (wanted.size() <= 6 && wanted.find_first_not_of("0123456789") == std::string::npos) {
        const size_t number = std::stoul(wanted);
        if (number >= 1 && number <= names.size()) return number - 1;
    }
    std::string list;
    for (size_t i = 0; i < names.size(); ++i)
        list += (i == 0 ? "\"" : ", \"") + names[i] + "\"";
    throw EConvertError("The workbook \"" + fileName + "\" has no sheet \"" + wanted +
                        "\"; its sheets are " + list + " (or give a number from 1 to " +
                        std::to_string(names.size()) + ")");
}

void TSheetCells::put(long long row, long long column, std::string text, TCellKind kind) {
    if (text.empty()) return;
    m_rows[row][column] = TCell{std::move(text), kind};
}

TCellTable sheetTable(TSheetCells&& cells, int skip, const std::string& fileName,
                      const std::string& sheetName) {
    auto& rows = cells.m_rows;
    const auto header = rows.lower_bound(std::max(0, skip));
    const std::string where = "The sheet \"" + sheetName + "\" of \"" + fileName + "\"";
    const std::string skipped =
        skip > 0 ? " below the " + std::to_string(skip) + " rows skipped" : std::string();
    if (header == rows.end()) {
        throw EConvertError(where + " has no header row" + skipped + ": it holds no cells there");
    }
    bool named = false;
    for (const auto& [column, cell] : header->second)
        named = named || cell.kind == TCellKind::Text;
    if (!named) {
        throw EConvertError(where + " has no header row" + skipped + ": its row " +
                            std::to_string(header->first + 1) +
                            " holds only numbers and dates, not the names of the columns");
    }
    std::map<long long, size_t> columns;
    for (auto row = header; row != rows.end(); ++row) {
        for (const auto& [column, cell] : row->second) {
            columns.emplace(column, 0);
            if (columns.size() > static_cast<size_t>(kMaxFields)) {
                throw ELimitError(where + " has more than " + std::to_string(kMaxFields) +
                                  " columns; a table holds at most " + std::to_string(kMaxFields) +
                                  " fields");
            }
        }
    }
    TCellTable table;
    for (auto& [column, index] : columns) {
        index = table.columns.size();
        TCellColumn named;
        const auto cell = header->second.find(column);
        if (cell != header->second.end()) named.name = std::move(cell->second.text);
        table.columns.push_back(std::move(named));
    }
    std::vector<int> dates(columns.size(), 0);  // 1 while every value is a date, -1 once not
    for (auto row = std::next(header); row != rows.end(); ++row) {
        std::vector<std::string> record(columns.size());
        for (auto& [column, cell] : row->second) {
            const size_t index = columns[column];
            if (dates[index] >= 0) dates[index] = cell.kind == TCellKind::Date ? 1 : -1;
            record[index] = std::move(cell.text);
        }
        table.rows.push_back(std::move(record));
    }
    for (size_t k = 0; k < dates.size(); ++k)
        table.columns[k].date = dates[k] == 1;
    rows.clear();
    return table;
}

void sendCellTable(const TCellTable& table, TTextDecoder& decoder, const TSourceSink& sink,
                   long long firstLine, size_t fileBytes) {
    TSourceHeader header;
    for (size_t c = 0; c < table.columns.size(); ++c) {
        const TCellColumn& column = table.columns[c];
        header.names.push_back(decoder.decode(column.name, static_cast<int>(c), firstLine));
        if (column.valueNames) {
            std::vector<std::string> names;
            for (const std::string& name : *column.valueNames)
                names.push_back(decoder.decode(name, static_cast<int>(c), firstLine));
            header.declaredValues.emplace_back(std::move(names));
        } else {
            header.declaredValues.emplace_back();
        }
        header.dates.push_back(column.date);
    }
    sink.header(std::move(header));
    for (size_t r = 0; r < table.rows.size(); ++r) {
        const long long line = firstLine + 1 + static_cast<long long>(r);
        std::vector<std::string> values;
        values.reserve(table.columns.size());
        for (size_t c = 0; c < table.columns.size(); ++c) {
            const std::string& text = c < table.rows[r].size() ? table.rows[r][c] : std::string();
            values.push_back(decoder.decode(text, static_cast<int>(c), line));
        }
        sink.record(std::move(values), line);
        if (sink.progress) {
            sink.progress(
                static_cast<size_t>(static_cast<double>(fileBytes) * static_cast<double>(r + 1) /
                                    static_cast<double>(table.rows.size())));
        }
    }
}

std::optional<std::string> serialDateText(double serial, bool date1904) {
    return date1904 ? dayNumberText(serial, 1904, 1, 1) : dayNumberText(serial, 1899, 12, 30);
}

std::optional<std::string> dayNumberText(double serial, int year, unsigned month, unsigned day) {
    if (!std::isfinite(serial) || serial < -4000000 || serial > 4000000) return std::nullopt;
    // Seconds, rounded, so that 0.99999999 of a day is the next midnight and not 23:59:60.
    const long long seconds = std::llround(serial * 86400.0);
    long long days = seconds / 86400;
    long long secondOfDay = seconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    const long long epoch = daysFromCivil(year, month, day);
    long long y;
    unsigned m, d;
    civilFromDays(epoch + days, y, m, d);
    if (y < 1 || y > 9999) return std::nullopt;
    std::string text = std::to_string(y);
    text = std::string(4 - text.size(), '0') + text + "-" + twoDigits(m) + "-" + twoDigits(d);
    if (secondOfDay != 0) {
        text += " " + twoDigits(secondOfDay / 3600) + ":" + twoDigits(secondOfDay / 60 % 60) + ":" +
                twoDigits(secondOfDay % 60);
    }
    return text;
}
