// SQLite tables and queries read as tables of texts, and refused with a clear message.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/Errors.h"
#include "core/Win1250.h"
#include "import/ImportText.h"
#include "import/ImportWriter.h"
#include "import/Importer.h"
#include "import/SqliteImport.h"
#include "tests/support/SqliteFile.h"
#include "tests/support/TempDir.h"

namespace {

struct TRead {
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> warnings;
};

TDatabaseSource tableOf(const std::string& path, const std::string& table) {
    return parseDatabaseSource("sqlite://" + path, table, "");
}

TDatabaseSource queryOf(const std::string& path, const std::string& query) {
    return parseDatabaseSource("sqlite://" + path, "", query);
}

TRead readSource(const TDatabaseSource& source) {
    TRead read;
    TTextDecoder decoder(TImportEncoding::Utf8);
    TSourceSink sink;
    sink.header = [&](TSourceHeader&& header) { read.names = header.names; };
    sink.record = [&](std::vector<std::string>&& values, long long) {
        read.rows.push_back(values);
    };
    sink.warning = [&](std::string&& text) { read.warnings.push_back(text); };
    parseSqliteSource(source, decoder, sink);
    return read;
}

// The message of what `read` throws, or "" when it throws nothing.
template <typename F>
std::string refusal(F read) {
    try {
        read();
    } catch (const ETavError& error) {
        return error.what();
    }
    return "";
}

class SqliteImportTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir.file("test.db");
};

}  // namespace

TEST_F(SqliteImportTest, EveryStorageClassBecomesItsText) {
    SqliteFile(path).exec(
        "CREATE TABLE t (i INTEGER, r REAL, s TEXT, n NUMERIC, b BLOB);"
        "INSERT INTO t VALUES (42, 2.0, 'abc', 0.1, x'00ff');"
        "INSERT INTO t VALUES (-7, 1.5e300, '', NULL, NULL);"
        "INSERT INTO t VALUES (NULL, 0.30000000000000004, NULL, 3, 'text in a blob column');");
    const TRead read = readSource(tableOf(path, "t"));
    EXPECT_EQ(read.names, (std::vector<std::string>{"i", "r", "s", "n", "b"}));
    ASSERT_EQ(read.rows.size(), 3u);
    // A whole REAL keeps ".0", the shortest digits give a real back exactly.
    EXPECT_EQ(read.rows[0], (std::vector<std::string>{"42", "2.0", "abc", "0.1", ""}));
    EXPECT_EQ(read.rows[1], (std::vector<std::string>{"-7", "1.5e+300", "", "", ""}));
    EXPECT_EQ(read.rows[2], (std::vector<std::string>{"", "0.30000000000000004", "", "3",
                                                      "text in a blob column"}));
    ASSERT_EQ(read.warnings.size(), 1u);
    EXPECT_EQ(read.warnings[0],
              "1 blob (binary values, which have no text) became missing values; the first is in "
              "column b, row 1");
}

TEST_F(SqliteImportTest, HostileNamesAndValuesComeThroughUnharmed) {
    // Quotes, a semicolon, blanks and letters of Windows-1250 in the table, columns and values;
    // a character Windows-1250 cannot hold becomes "?" as in a CSV file.
    SqliteFile(path).exec(
        "CREATE TABLE \"it's \"\"x\"\"; DROP TABLE t\" (\"a b;\" TEXT, \"čšž'\" TEXT);"
        "INSERT INTO \"it's \"\"x\"\"; DROP TABLE t\" VALUES ('O''Brien; --', 'Žiga ☃');");
    const TRead read = readSource(tableOf(path, "it's \"x\"; DROP TABLE t"));
    // As in a CSV file's header, ";" becomes ",".
    EXPECT_EQ(read.names, (std::vector<std::string>{"a b,", utf8ToWin1250("čšž'")}));
    ASSERT_EQ(read.rows.size(), 1u);
    EXPECT_EQ(read.rows[0][0], "O'Brien, --");  // ";" separates the values of a data file
    EXPECT_EQ(read.rows[0][1], utf8ToWin1250("Žiga ?"));
    EXPECT_EQ(sqliteTableNames(path), (std::vector<std::string>{"it's \"x\"; DROP TABLE t"}));
}

TEST_F(SqliteImportTest, QueriesAreReadOnlySingleStatements) {
    SqliteFile(path).exec(
        "CREATE TABLE t (a INTEGER, b TEXT); INSERT INTO t VALUES (1, 'x'), (2, 'y');"
        "CREATE VIEW v AS SELECT b FROM t;");
    const TRead read = readSource(queryOf(path,
                                          "  WITH q AS (SELECT a * 10 AS ten FROM t) "
                                          "SELECT ten FROM q ORDER BY ten DESC;  "));
    EXPECT_EQ(read.names, (std::vector<std::string>{"ten"}));
    EXPECT_EQ(read.rows, (std::vector<std::vector<std::string>>{{"20"}, {"10"}}));
    EXPECT_EQ(readSource(tableOf(path, "v")).rows.size(), 2u);
    EXPECT_EQ(sqliteTableNames(path), (std::vector<std::string>{"t", "v"}));

    const struct {
        std::string query;
        std::string message;
    } refused[] = {
        {"SELECT 1; DELETE FROM t", "more than one statement"},
        {"DELETE FROM t", "no SELECT"},
        {"ATTACH DATABASE 'other.db' AS o", "no SELECT"},
        {"PRAGMA table_info(t)", "no SELECT"},
        {"SELECT gone FROM t", "SQLite refused the statement: no such column: gone"},
        {"   ", "holds no statement"},
    };
    for (const auto& c : refused) {
        const std::string message = refusal([&] { readSource(queryOf(path, c.query)); });
        EXPECT_NE(message.find(c.message), std::string::npos) << c.query << ": " << message;
    }
    // Nothing was changed by any of them.
    EXPECT_EQ(readSource(tableOf(path, "t")).rows.size(), 2u);
}

TEST_F(SqliteImportTest, FilesAndTablesThatAreNotThereAreNamed) {
    SqliteFile(path).exec("CREATE TABLE t (a INTEGER);");
    EXPECT_NE(
        refusal([&] { readSource(tableOf(path, "missing")); }).find("has no table \"missing\""),
        std::string::npos);
    const std::string gone = dir.file("gone.db");
    EXPECT_NE(refusal([&] { sqliteTableNames(gone); }).find("gone.db"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(gone));  // read-only: nothing is created
    const std::string text = dir.write("text.db", "a,b\n1,2\n");
    EXPECT_NE(refusal([&] { readSource(tableOf(text, "t")); }).find("is not a SQLite database"),
              std::string::npos);
    // A table without rows has nothing to infer from.
    EXPECT_NE(refusal([&] { inferDatabaseImport(tableOf(path, "t")); }).find("has no rows"),
              std::string::npos);
}

TEST_F(SqliteImportTest, ColumnsAreInferredAndWrittenAsThoseOfACsvFile) {
    std::string csv = "AGE,INCOME,CITY,RISK\n";
    SqliteFile db(path);
    db.exec("CREATE TABLE people (AGE INTEGER, INCOME REAL, CITY TEXT, RISK TEXT)");
    const char* cities[] = {"Ljubljana", "Maribor", "Celje"};
    for (int i = 0; i < 40; ++i) {
        const std::string age = std::to_string(20 + i);
        const std::string income = std::to_string(1000 + 37 * i) + ".5";
        const std::string city = i % 7 == 0 ? "" : cities[i % 3];
        const std::string risk = i % 3 == 0 ? "high" : "low";
        csv += age + "," + income + "," + city + "," + risk + "\n";
        db.exec("INSERT INTO people VALUES (" + age + ", " + income + ", " +
                (city.empty() ? "NULL" : "'" + city + "'") + ", '" + risk + "')");
    }
    TImportPlan fromCsv = inferImport(dir.write("people.csv", csv));
    // A table's rows are counted first, so that its reading shows how far it is.
    std::vector<double> reported;
    TImportPlan fromDb = inferDatabaseImport(tableOf(path, "people"), {},
                                             [&](double done) { reported.push_back(done); });
    ASSERT_GE(reported.size(), 2u);
    EXPECT_DOUBLE_EQ(*std::max_element(reported.begin(), reported.end()), 1.0);
    EXPECT_EQ(reported.back(), 0);
    EXPECT_EQ(sqliteRowCount(queryOf(path, "SELECT * FROM people")), -1);
    ASSERT_EQ(fromDb.columns.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(importTypeSpec(fromDb.columns[i]), importTypeSpec(fromCsv.columns[i])) << i;
        EXPECT_EQ(fromDb.columns[i].missingCount, fromCsv.columns[i].missingCount) << i;
    }
    applyImportChoices(fromDb, {{{"INCOME", "SET"}}, {}, {"CITY"}, std::string("RISK")});
    applyImportChoices(fromCsv, {{{"INCOME", "SET"}}, {}, {"CITY"}, std::string("RISK")});
    EXPECT_EQ(importDataText(fromDb), importDataText(fromCsv));
}
