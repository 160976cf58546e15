#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "import/CellTable.h"
#include "import/ImportTypes.h"

// Which reader a workbook or a statistics file goes to, by its content where its name misleads.

// The format that the first bytes of a file give when they are a workbook's or a statistics
// file's: a zip archive (PK\3\4) is taken for Xlsx until wholeCellTableFormat looks inside, an OLE2
// compound file (D0 CF 11 E0) for Xls, and SPSS, Stata and SAS files by their own marks. Without a
// mark, the extension of `path` (.xlsx, .ods, .xls, .sav, .zsav, .por, .dta, .sas7bdat, .xpt, in
// any case) decides; none for a text table.
std::optional<TImportFormat> detectCellTableFormat(std::string_view start, const std::string& path);

// Whether the file at `path` is a workbook or a statistics file by detectCellTableFormat on its
// first bytes and its name; false for a file that cannot be read and for anything but a regular
// file (a named pipe is never opened).
bool isCellTableFile(const std::string& path);

// The format of the whole file `bytes` that detectCellTableFormat gave `detected` for: a zip
// archive is an .xlsx workbook when its content types name a spreadsheet, an .ods one when its
// mimetype says so. Throws EConvertError naming `fileName` for another zip archive and for an OLE2
// file that holds an encrypted workbook (one protected by a password).
TImportFormat wholeCellTableFormat(std::string_view bytes, TImportFormat detected,
                                   const std::string& fileName);

// Reads the file of `format` (as wholeCellTableFormat decided it). The sheet choice applies to
// workbooks; a statistics file has one table and no sheet names. Throws what the readers throw.
TWorkbookTable readCellTable(std::string_view bytes, TImportFormat format,
                             const TSheetChoice& choice, const std::string& fileName);
