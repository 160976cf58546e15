#pragma once

#include <string>

#include "import/ImportTypes.h"

// Writes what the importer inferred as a data file: header "TAV DATA:N/TXT/1250", the names, the
// type specifications, N label lines and one record per line, Windows-1250 with CR LF line ends,
// so that TBaza::loadDataFile reads back the same values.

// The bytes of the data file of `plan`, with the records it keeps (TImportPlan::sampleSize).
std::string importDataText(const TImportPlan& plan);

// Writes the data file of `plan` to `outPath` through replaceFileWhole, so that a failed write
// leaves an earlier file of that name whole and no half file. Throws EInOutError naming the path
// and the reason, also when `outPath` is the file being imported.
TImportSummary writeImport(const TImportPlan& plan, const std::string& outPath);

// Where the window puts the data file of an imported file: beside it, its extension replaced by
// "-tav.CSV" ("loans.csv" gives "loans-tav.CSV").
std::string importedDataFilePath(const std::string& sourcePath);
