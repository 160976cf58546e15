#pragma once

#include <string>
#include <vector>

#include "core/DatabaseSource.h"
#include "import/ImportSource.h"

class TTextDecoder;

// Reads a table or a query of a SQLite database file as a table of texts, so that its columns
// are inferred and written as those of a CSV file are. The file is opened read-only; a table's
// name is quoted as an identifier and looked up in the schema first, and nothing the user typed
// is put into SQL but their own query, which must be one SELECT (or WITH) statement that
// changes nothing. Each cell's text: an integer in decimals, a real number in the fewest digits
// that give it back (with ".0" when it is whole, so that a REAL column stays one), a text as it
// is; NULL and a blob (which has no text to show) are missing values.

// The tables and views of the database file at `path`, in the schema's order of names (UTF-8),
// without SQLite's own tables. Throws EInOutError for a file that is missing, cannot be opened or
// is not a SQLite database, naming the file.
std::vector<std::string> sqliteTableNames(const std::string& path);

// The number of rows of the source's table, so that reading it can show its progress; -1 for a
// query, whose rows are not known before they are read. Throws as parseSqliteSource.
long long sqliteRowCount(const TDatabaseSource& source);

// Hands the rows of `source` to `sink`: the column names, then one record per row (line r + 1
// for row r from 1; the sink's progress gets the rows read so far), every text converted by
// `decoder`; then, when blobs were read as missing, a
// warning that counts them and names the first one's column. Throws EInOutError for a file as
// sqliteTableNames does, EConvertError for a table the database does not have, a query that is
// not a single statement that only reads, a statement SQLite refuses (its message in the text),
// and a result without columns.
// Requires: source.kind is Sqlite.
void parseSqliteSource(const TDatabaseSource& source, TTextDecoder& decoder,
                       const TSourceSink& sink);
