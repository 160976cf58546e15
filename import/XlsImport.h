#pragma once

#include <string>
#include <string_view>

#include "import/CellTable.h"

// Reads one sheet of a binary workbook (.xls, BIFF records in an OLE2 compound file) with
// libfreexl: texts, whole and decimal numbers, dates and date-times as dates (the library applies
// the workbook's date system and the cells' formats), times as texts. Throws EConvertError naming
// `fileName` for a damaged file or one protected by a password, and what sheetTable throws.
TWorkbookTable readXls(const std::string& path, const TSheetChoice& choice,
                       const std::string& fileName);

// readXls over the bytes of a file, which the library can only open by its path: they are written
// to a temporary file first, removed afterwards, and read in a child process, so that a fault of
// the library on a damaged file is an EConvertError ("its reader stopped"), not a crash.
// EInOutError when the copy cannot be written.
TWorkbookTable readXlsBytes(std::string_view bytes, const TSheetChoice& choice,
                            const std::string& fileName);
