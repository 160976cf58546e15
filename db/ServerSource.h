#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/DatabaseSource.h"
#include "db/ServerTable.h"
#include "import/ImportTypes.h"

// What the front ends ask of a PostgreSQL server before a session counts one of its tables.

// Opens the table or query of `source` (a PostgreSQL source, texts in UTF-8) with the import's
// options and choices, and records in source.importWords the choices that made its fields (the
// class left out), so that a session file opens it again the same way. Throws EDatabaseError,
// EConvertError and ELimitError as TServerTable::open does, with no password in the message.
std::unique_ptr<TServerTable> openServerSource(TDatabaseSource& source,
                                               const TImportOptions& options,
                                               const TImportChoiceTexts& choices);

// The tables and views the server of `uri` (UTF-8) shows without a schema's name, sorted, in
// UTF-8. Throws EDatabaseError with no password in the message.
std::vector<std::string> serverTableList(const std::string& uri);
