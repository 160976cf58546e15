#pragma once

#include <string>
#include <string_view>

#include "import/CellTable.h"

// Reads one sheet of an Office Open XML workbook (.xlsx): the zip's workbook, relationships,
// shared strings, styles and the sheet's XML. Shared and inline strings and formula texts are
// texts, numbers are kept as written, booleans become TRUE and FALSE, error values are missing,
// and a number whose cell format is a date or a time (a built-in one, or a format code with day,
// month, year, hour or second) is a date of the workbook's date system (1900 or 1904).
// Throws EConvertError naming `fileName` for a damaged workbook and what sheetTable throws.
TWorkbookTable readXlsx(std::string_view bytes, const TSheetChoice& choice,
                        const std::string& fileName);

// Whether a number format code shows a date or a time.
bool isDateFormatCode(std::string_view code);
