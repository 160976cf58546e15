#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "import/ImportSource.h"

class TTextDecoder;

// A table read whole from a workbook sheet or a statistics file, before its texts are converted:
// what the readers of those formats hand over, so that type inference and the writer stay those
// of CSV files.

// One column and what the file says of it beyond its values.
struct TCellColumn {
    std::string name;  // UTF-8
    // The value names of labelled codes in code order (UTF-8): the column becomes a SET field
    // with these names first.
    std::optional<std::vector<std::string>> valueNames;
    bool date = false;  // every known value is a date or a date and time
};

// The columns and the records, every value a UTF-8 text, "" for a missing one.
struct TCellTable {
    std::vector<TCellColumn> columns;
    std::vector<std::vector<std::string>> rows;  // one text per column
};

// Which sheet of a workbook to read and where its table starts.
struct TSheetChoice {
    std::string sheet;  // its name, or its number from 1; empty for the first
    int skip = 0;       // rows above the header row
};

// A sheet read from a workbook.
struct TWorkbookTable {
    TCellTable table;
    std::string sheet;                    // the name of the sheet read (UTF-8)
    std::vector<std::string> sheetNames;  // every sheet of the workbook, in order (UTF-8)
};

// The index of the sheet `wanted` names among `names`: a name, else a number from 1, else (when
// empty) the first. Throws EConvertError naming `fileName` and the sheets it has otherwise.
size_t chosenSheet(const std::vector<std::string>& names, const std::string& wanted,
                   const std::string& fileName);

// What a sheet's cell holds.
enum class TCellKind : unsigned char { Text, Number, Date };

// The non-empty cells of a sheet by row and column (both from 0), as a reader finds them.
class TSheetCells {
  public:
    // Keeps `text` (UTF-8) at (`row`, `column`); an empty text is no cell. A later cell at the
    // same place replaces the earlier.
    void put(long long row, long long column, std::string text, TCellKind kind);
    bool empty() const { return m_rows.empty(); }

  private:
    friend TCellTable sheetTable(TSheetCells&& cells, int skip, const std::string& fileName,
                                 const std::string& sheetName);
    struct TCell {
        std::string text;
        TCellKind kind;
    };
    std::map<long long, std::map<long long, TCell>> m_rows;
};

// The table of a sheet: `skip` rows dropped, the next row with a cell the names, the later rows
// with a cell the records (a blank row is no record, as a blank line of a CSV file); the columns
// are those with a cell in the header or below, in their order. A column's values are dates when
// every one is. Throws EConvertError naming `fileName` and `sheetName` when no row is left after
// `skip` or when that row holds only numbers and dates (data, not names), and ELimitError for
// more than kMaxFields columns.
TCellTable sheetTable(TSheetCells&& cells, int skip, const std::string& fileName,
                      const std::string& sheetName);

// Hands `table` to `sink`: the header (names and value names), then the records, every text
// converted by `decoder` (UTF-8 to Windows-1250); the record of row r has line r + 1 + `firstLine`.
// The sink's progress gets the share of the records sent as a share of `fileBytes`.
void sendCellTable(const TCellTable& table, TTextDecoder& decoder, const TSourceSink& sink,
                   long long firstLine = 1, size_t fileBytes = 0);

// The date of a spreadsheet serial day number as "YYYY-MM-DD", with " HH:MM:SS" when it has a
// time of day; day 0 is 1899-12-30, or 1904-01-01 in the 1904 date system. None outside the years
// 1..9999.
std::optional<std::string> serialDateText(double serial, bool date1904);

// The same for `days` (fractions are the time of day) counted from the given day of the
// Gregorian calendar: the epochs of statistics files (1960-01-01, 1582-10-14).
std::optional<std::string> dayNumberText(double days, int year, unsigned month, unsigned day);
