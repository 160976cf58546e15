#pragma once

#include <string>

#include "core/uTavObj.h"
#include "import/ImportTypes.h"

// Writes what the importer inferred as a data file: header "TAV DATA:N/TXT/1250", the names, the
// type specifications, N label lines and one record per line, Windows-1250 with CR LF line ends,
// so that TBaza::loadDataFile reads back the same values.

// The header of the data file of `plan`: the lines above its records, which describe its fields
// (a table whose records stay elsewhere is described by this alone).
std::string importHeaderText(const TImportPlan& plan);

// The bytes of the data file of `plan`, with the records it keeps (TImportPlan::sampleSize).
// Reports the share of the records written to `progress`.
std::string importDataText(const TImportPlan& plan, const ProgressHook& progress = {});

// Writes the data file of `plan` to `outPath` through replaceFileStreamed, so that a failed write
// leaves an earlier file of that name whole and no half file. The records are read again from the
// plan's source, one at a time; EConvertError when it changed since inferImport read it. Throws
// EInOutError naming the path and the reason, also when `outPath` is the file being imported.
// Then writes the origin file "OUT.origin" (core/DataFileOrigin.h) through replaceFileWhole: the
// source, its SHA-256 and the tav-batch import options of the plan (importRecipe); EInOutError
// naming it when it cannot be written, the data file written.
// Reports the share of the records written to `progress`, and 0 when done.
TImportSummary writeImport(const TImportPlan& plan, const std::string& outPath,
                           const ProgressHook& progress = {});

// Where the window puts the data file of an imported file: beside it, its extension replaced by
// "-tav.CSV" ("loans.csv" gives "loans-tav.CSV").
std::string importedDataFilePath(const std::string& sourcePath);
