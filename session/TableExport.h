#pragma once

#include <string>

class TTavSession;

// The Fields and Simple rules tables as files a user can hand on or open in a spreadsheet.

// Comma-separated (quoted where a value needs it) or tab-separated (tabs and line ends in a
// value become blanks).
enum class TTableExportFormat { Csv, Tsv };

// The session's Fields or Simple rules table in its present order: a heading with the column
// names, then one line per row with names in full and reals with three decimals, as the grids
// show them; UTF-8, LF line ends. "" without a loaded table.
std::string fieldsTableExport(TTavSession& session, TTableExportFormat format);
std::string rulesTableExport(TTavSession& session, TTableExportFormat format);
