#include "import/SqliteImport.h"

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <memory>

#include "core/Errors.h"
#include "core/FileCheck.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "core/uTavObj.h"
#include "import/ImportText.h"

namespace {

struct TCloseDatabase {
    void operator()(sqlite3* database) const { sqlite3_close(database); }
};
struct TFinalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using TDatabase = std::unique_ptr<sqlite3, TCloseDatabase>;
using TStatement = std::unique_ptr<sqlite3_stmt, TFinalize>;

std::string fileText(const std::string& path) {
    return "The database \"" + displayPath(path) + "\"";
}

// Opens the file read-only. SQLite opens any file lazily, so the schema is read at once: a file
// that is not a database says so here rather than at the first statement.
TDatabase openDatabase(const std::string& path) {
    const std::string problem = dataFileProblem(path);
    if (!problem.empty()) throw EInOutError(problem);
    sqlite3* opened = nullptr;
    const int status = sqlite3_open_v2(path.c_str(), &opened, SQLITE_OPEN_READONLY, nullptr);
    TDatabase database(opened);
    if (status != SQLITE_OK) {
        throw EInOutError(fileText(path) + " cannot be opened: " +
                          utf8ToWin1250(opened ? sqlite3_errmsg(opened) : sqlite3_errstr(status)));
    }
    const int check = sqlite3_exec(database.get(), "SELECT count(*) FROM sqlite_master", nullptr,
                                   nullptr, nullptr);
    if (check == SQLITE_NOTADB)
        throw EInOutError(fileText(path) + " is not a SQLite database file");
    if (check != SQLITE_OK)
        throw EInOutError(fileText(path) +
                          " cannot be read: " + utf8ToWin1250(sqlite3_errmsg(database.get())));
    return database;
}

TStatement prepare(sqlite3* database, const std::string& sql, const char** tail = nullptr) {
    sqlite3_stmt* prepared = nullptr;
    const int status =
        sqlite3_prepare_v2(database, sql.c_str(), static_cast<int>(sql.size()), &prepared, tail);
    TStatement statement(prepared);
    if (status != SQLITE_OK)
        throw EConvertError("SQLite refused the statement: " +
                            utf8ToWin1250(sqlite3_errmsg(database)));
    return statement;
}

std::string columnText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column)))
                : std::string();
}

// A real number in the fewest digits that read back as it; a whole one keeps ".0".
std::string realText(double value) {
    if (!std::isfinite(value)) return "";
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, error == std::errc() ? end : buffer);
    if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
    return text;
}

bool hasTable(sqlite3* database, const std::string& name) {
    // Bound, never pasted: a table's name may hold anything.
    TStatement statement = prepare(
        database, "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?1");
    sqlite3_bind_text(statement.get(), 1, name.data(), static_cast<int>(name.size()),
                      SQLITE_TRANSIENT);
    return sqlite3_step(statement.get()) == SQLITE_ROW;
}

std::string quotedIdentifier(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The statement that reads the source: the whole table, or the user's query once it is known to
// be one statement that only reads.
TStatement sourceStatement(sqlite3* database, const TDatabaseSource& source) {
    if (source.query.empty()) {
        if (!hasTable(database, source.table)) {
            throw EConvertError(fileText(source.location) + " has no table \"" +
                                utf8ToWin1250(source.table) + "\"");
        }
        return prepare(database, "SELECT * FROM " + quotedIdentifier(source.table));
    }
    const char* tail = nullptr;
    TStatement statement = prepare(database, source.query, &tail);
    const std::string rest = tail ? std::string(tail) : std::string();
    if (!statement) throw EConvertError("The query holds no statement");
    // sqlite3_stmt_readonly passes ATTACH and some pragmas: only a query is one.
    const size_t start = source.query.find_first_not_of(" \t\r\n(");
    const std::string first = upperCase1250(
        source.query.substr(start == std::string::npos ? source.query.size() : start, 6));
    if (!first.starts_with("SELECT") && !first.starts_with("WITH") &&
        !first.starts_with("VALUES")) {
        throw EConvertError("The query is no SELECT: only a statement that reads rows is run");
    }
    if (rest.find_first_not_of(" \t\r\n;") != std::string::npos)
        throw EConvertError("The query holds more than one statement; give one SELECT");
    if (!sqlite3_stmt_readonly(statement.get()) || sqlite3_column_count(statement.get()) == 0) {
        throw EConvertError("The query is no SELECT: only a statement that reads rows is run");
    }
    return statement;
}

}  // namespace

std::vector<std::string> sqliteTableNames(const std::string& path) {
    TDatabase database = openDatabase(path);
    TStatement statement =
        prepare(database.get(),
                "SELECT name FROM sqlite_master WHERE type IN ('table','view') AND name NOT LIKE "
                "'sqlite\\_%' ESCAPE '\\' ORDER BY name");
    std::vector<std::string> names;
    while (sqlite3_step(statement.get()) == SQLITE_ROW)
        names.push_back(columnText(statement.get(), 0));
    return names;
}

long long sqliteRowCount(const TDatabaseSource& source) {
    if (!source.query.empty()) return -1;
    TDatabase database = openDatabase(source.location);
    // Checked first, so that a missing table says so rather than what SQLite says of the count.
    sourceStatement(database.get(), source);
    TStatement count =
        prepare(database.get(), "SELECT count(*) FROM " + quotedIdentifier(source.table));
    return sqlite3_step(count.get()) == SQLITE_ROW ? sqlite3_column_int64(count.get(), 0) : -1;
}

void parseSqliteSource(const TDatabaseSource& source, TTextDecoder& decoder,
                       const TSourceSink& sink) {
    TDatabase database = openDatabase(source.location);
    TStatement statement = sourceStatement(database.get(), source);
    sqlite3_stmt* rows = statement.get();
    const int columns = sqlite3_column_count(rows);
    if (columns == 0) throw EConvertError("The result of the query has no columns");
    TSourceHeader header;
    for (int c = 0; c < columns; ++c) {
        const char* name = sqlite3_column_name(rows, c);
        header.names.push_back(decoder.decode(name ? name : "", c, 1));
        header.declaredValues.emplace_back();
    }
    sink.header(std::move(header));
    long long line = 1;
    long long blobs = 0;
    int firstBlobColumn = -1;
    long long firstBlobLine = 0;
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(rows)) == SQLITE_ROW) {
        ++line;
        std::vector<std::string> values;
        values.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(rows, c)) {
                case SQLITE_INTEGER:
                    values.push_back(std::to_string(sqlite3_column_int64(rows, c)));
                    break;
                case SQLITE_FLOAT:
                    values.push_back(realText(sqlite3_column_double(rows, c)));
                    break;
                case SQLITE_TEXT:
                    values.push_back(decoder.decode(columnText(rows, c), c, line));
                    break;
                case SQLITE_BLOB:
                    if (blobs++ == 0) {
                        firstBlobColumn = c;
                        firstBlobLine = line;
                    }
                    values.emplace_back();
                    break;
                default:
                    values.emplace_back();
            }
        }
        sink.record(std::move(values), line);
        if (sink.progress) sink.progress(static_cast<size_t>(line - 1));
    }
    if (status != SQLITE_DONE) {
        throw EConvertError(fileText(source.location) + " could not be read to the end: " +
                            utf8ToWin1250(sqlite3_errmsg(database.get())));
    }
    if (blobs > 0 && sink.warning) {
        const char* name = sqlite3_column_name(rows, firstBlobColumn);
        sink.warning(std::to_string(blobs) + (blobs == 1 ? " blob" : " blobs") +
                     " (binary values, which have no text) became missing values; the first is "
                     "in column " +
                     decoder.decode(name ? name : "", firstBlobColumn, 1) + ", row " +
                     std::to_string(firstBlobLine - 1));
    }
}
