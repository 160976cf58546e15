#pragma once

#include <string>

#include "core/DatabaseSource.h"
#include "import/ImportTypes.h"

class TTavSession;
struct TSessionFile;

// Opens a server's table or query as the session's table, its counts computed in the server,
// with the import's options and choices (types, bins, ignored columns) as a CSV import takes
// them; with `kept`, then applies what the session file keeps. Returns "" when the table is open,
// else the message that says what failed (no password in it).
// Requires: source.kind is Postgresql.
std::string openServerTable(TTavSession& session, const TDatabaseSource& source,
                            const TImportOptions& options, const TImportChoiceTexts& choices,
                            const TSessionFile* kept = nullptr);
