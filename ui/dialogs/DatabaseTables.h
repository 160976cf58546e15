#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/DatabaseSource.h"
#include "import/ImportTypes.h"

class TTavSession;
struct TSessionFile;

// What the window asks of a database before it opens one of its tables.

// The tables of the database that `url` names (UTF-8): a SQLite file's from its schema, a
// server's through serverTableNames. Throws ETavError (a usage error's text, with no password)
// for a URL of no known kind, and what listing the tables throws.
std::vector<std::string> databaseTableNames(const std::string& url);

// The tables of a PostgreSQL server that `uri` names (UTF-8). Throws ETavError with the reason.
std::vector<std::string> serverTableNames(const std::string& uri);

// The import dialog over a server table's inferred columns: true when confirmed, with the plan's
// choices and the class column made (TTavUiOps::reviewImport).
using TServerReview = std::function<bool(TImportPlan& plan, int& classColumn)>;

// Opens a server's table or query as the session's table, counted in the server, with the
// import's options and choices, then with `kept` applies what a session file keeps; without it,
// `review` (when given) shows the inferred columns first: their choices describe the table again
// in the server, and the class chosen becomes the session's. Returns "" when it is open or the
// review was cancelled (nothing changed then), else the message that says what failed (no
// password in it).
std::string openServerTableInWindow(TTavSession& session, const TDatabaseSource& source,
                                    const TImportOptions& options,
                                    const TImportChoiceTexts& choices,
                                    const TSessionFile* kept = nullptr,
                                    const TServerReview& review = {});
