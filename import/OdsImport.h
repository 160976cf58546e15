#pragma once

#include <string>
#include <string_view>

#include "import/CellTable.h"

// Reads one sheet of an OpenDocument spreadsheet (.ods): the tables of its content.xml. Texts are
// the paragraphs of a cell joined by line breaks, numbers (floats, percentages, currencies) are
// their office:value, booleans TRUE and FALSE, dates their date value; repeated rows and cells
// are expanded (up to a bound that a real sheet does not reach). Throws EConvertError naming
// `fileName` for a damaged file or one protected by a password, and what sheetTable throws.
TWorkbookTable readOds(std::string_view bytes, const TSheetChoice& choice,
                       const std::string& fileName);
