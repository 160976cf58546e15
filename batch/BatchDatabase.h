#pragma once

#include <string>

#include "batch/BatchOutput.h"
#include "core/DatabaseSource.h"
#include "core/PrivateFolder.h"
#include "import/ImportTypes.h"

class TTavSession;

// Reads a SQLite table or query through the import plan with `options` and `choices` (the
// inference and choices of a CSV import; a class column among the choices is left to the
// session) into a data file in `folder`, and returns its path; source.importWords become the
// choices as applied. The import's warnings go to standard error. Throws the import's errors.
// Requires: source.kind is Sqlite.
std::string databaseCopy(TDatabaseSource& source, const TImportOptions& options,
                         TImportChoiceTexts choices, const TPrivateFolder& folder,
                         const TBatchOutput& io);

// Opens the table of a database source as the session's table: a SQLite one through
// databaseCopy, loaded as a copy of the source; a server's through openServerTable
// (BatchPostgres.h). Throws the import's errors, the session's, and ETavError with the server's
// message.
void openDatabaseTable(TTavSession& session, TDatabaseSource source, const TImportOptions& options,
                       const TImportChoiceTexts& choices, const TPrivateFolder& folder,
                       const TBatchOutput& io);

// The options and choices that source.importWords keep (a session file's), or EConvertError for
// words that are no import options.
void importChoicesOf(const TDatabaseSource& source, TImportOptions& options,
                     TImportChoiceTexts& choices);
