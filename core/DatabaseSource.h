#pragma once

#include <string>
#include <vector>

// A table that lives in a database rather than in a file of its own: which engine, where it is,
// which table or query, and how its rows become fields. Only the description; the readers are in
// import/ (SQLite) and beside the session (servers).

// The engine of a database source.
enum class TDatabaseKind { Sqlite, Postgresql };

// One table or query of one database (texts as the user typed them, UTF-8).
struct TDatabaseSource {
    TDatabaseKind kind = TDatabaseKind::Sqlite;
    // Sqlite: the database file's path. Postgresql: the connection URI as given, with any
    // password in it: it is never shown, saved or written to a report (see displayUrl).
    std::string location;
    std::string table;  // exactly one of table and query is set
    std::string query;
    // The import options that made fields of the rows, as tav-batch import takes them after IN
    // and OUT (one word per item, unquoted, Windows-1250): --type, --bins, --ignore, --class,
    // --boundaries, --set-limit, --int-limit.
    std::vector<std::string> importWords;
    bool operator==(const TDatabaseSource&) const = default;
};

// The URL of `source` as shown, saved and reported: "sqlite:///PATH" (or "sqlite:PATH" for a
// relative path), a server's URI without its password (the "user:password@" part keeps the user,
// a "password=" parameter is left out).
std::string displayUrl(const TDatabaseSource& source);

// "URL, table NAME" or "URL, query SQL": the source in one line for titles and reports.
std::string displayText(const TDatabaseSource& source);

// The tav-batch options that name the source again: "--db", displayUrl, then "--table" NAME or
// "--query" SQL (unquoted words).
std::vector<std::string> sourceArguments(const TDatabaseSource& source);

// The source that `url` with `table` or `query` names: "sqlite:///ABSOLUTE/PATH" or
// "sqlite:RELATIVE/PATH" for a SQLite file, "postgresql://..." or "postgres://..." for a server.
// Throws ETavError with a message for the user (without naming an option) for another scheme, a
// SQLite URL without a path, neither or both of `table` and `query`, or an empty one of them.
TDatabaseSource parseDatabaseSource(const std::string& url, const std::string& table,
                                    const std::string& query);

// `text` with the password of any URI or "password=" setting in it replaced, so that a message
// of a driver or a user's own text can be shown: "user:***@", "password=***".
std::string withoutPassword(const std::string& text);
