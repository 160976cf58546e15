#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Every SQL text the program sends to a database server is written here, in PostgreSQL's dialect:
// another engine of the same protocol or a close dialect is one more file like this. No text of
// the user's is pasted into a statement: values and constants are bound parameters ($1, $2, ...),
// names are quoted identifiers of columns and tables the server's catalogue holds, and a query
// of the user's own is a subquery run in a read-only transaction.

// The bound parameters of one statement, collected as its text is written.
class TSqlParams {
  public:
    // The placeholder of a new parameter of value `value` and SQL type `type` ("$3::float8").
    std::string bind(std::string value, std::string_view type);
    const std::vector<std::optional<std::string>>& values() const { return m_values; }

  private:
    std::vector<std::optional<std::string>> m_values;
};

// One statement: its text and its parameters.
struct TSqlStatement {
    std::string text;
    TSqlParams params;
};

// A condition on a source's rows, written with the parameters of the statement it goes into.
using TSqlCondition = std::string;

// Where the rows are: a table by its exact name, or a query of the user's.
struct TSqlSource {
    std::string table;  // empty for a query
    std::string query;
    // The source as the FROM clause names it: the quoted table, or "(query) AS t".
    std::string fromClause() const;
    // The source for messages: the table's name, or "the query".
    std::string shownName() const;
};

namespace sqlDialect {

// A name as a quoted identifier: in double quotes, a quote doubled. Throws EDatabaseError for
// an empty name or a name with a NUL.
std::string quoteIdentifier(const std::string& name);

// A number as the text of a parameter that the server reads back to the same double.
std::string numberText(double value);

// A list of texts as the text of an array parameter ("{"a","b\"c"}").
std::string arrayParameter(const std::vector<std::string>& items);

// The settings of every connection: ISO dates, and room for the hash tables of the counting
// statement (see sessionSettings in SqlDialect.cpp).
std::vector<std::string> sessionSettings();

// Makes every later transaction of the connection read-only: a user's query only reads.
std::string readOnlySession();

// Whether a table of that exact name exists: one row, one boolean.
TSqlStatement tableExists(const std::string& table);
// The names of the tables and views the connection sees without a schema's name, sorted.
std::string tableNames();
// No rows: the result's columns are the source's names and types.
std::string describe(const TSqlSource& source);

// Every row of the source as CSV with a header line (the rows leave the server: for comparisons
// with the counts computed there).
std::string copyRows(const TSqlSource& source);

// A column's value as a number (float8) and as a text.
std::string numberOf(const std::string& column);
std::string textOf(const std::string& column);
// A text as the import reads a value: control characters as blanks, ";" (the data file's
// separator) as ",", blanks trimmed at both ends.
std::string importText(const std::string& text, TSqlParams& params);
// Whether a value (a text expression) is missing: null, or one of `missingTexts` (lower-case),
// compared lower-cased.
TSqlCondition textMissing(const std::string& text, const std::vector<std::string>& missingTexts,
                          TSqlParams& params);

// One row over the whole source: per text expression of `texts` the records with the value
// missing and the distinct values; per number expression of `numbers` those two, the smallest,
// the largest, and whether every value is a whole number. Columns in that order: count(*), then
// the texts' two each, then the numbers' five each.
TSqlStatement profile(const TSqlSource& source, const std::vector<TSqlCondition>& textMissing,
                      const std::vector<std::string>& texts,
                      const std::vector<std::string>& numbers, TSqlParams params);
// The distinct values of an expression that are not missing, sorted, at most `limit`.
TSqlStatement distinctValues(const TSqlSource& source, const std::string& value,
                             const TSqlCondition& missing, bool numeric, int limit,
                             TSqlParams params);
// Every known number of an expression, sorted.
std::string everyNumber(const TSqlSource& source, const std::string& number);
// The numbers at the given fractions (0..1) of the sorted known numbers (percentile_disc: values
// of the column, as the import's quantile boundaries are).
TSqlStatement numbersAtFractions(const TSqlSource& source, const std::string& number,
                                 const std::vector<double>& fractions);

// The code of a SET value: its place (from 1) among `labels`, 0 for a missing or other value.
std::string labelCode(const std::string& text, const std::vector<std::string>& labels,
                      TSqlParams& params);
// The code of a whole number in 0..127: itself, `unknown` when missing.
std::string integerCode(const std::string& number, int unknown);
// The code of a number among ascending `boundaries`: the boundaries below it (a value equal to a
// boundary is in the interval it closes), plus `first`; `missing` when there is no number.
std::string intervalCode(const std::string& number, const std::vector<double>& boundaries,
                         int first, int missing, TSqlParams& params);

// The counting statement: the records of `source` that satisfy `where` (all with an empty
// condition), grouped by each code of `codes` with the class code, and by the class code alone.
// Each row: the codes (null but for the one of its group), the class code, the records.
std::string countCodes(const TSqlSource& source, const std::vector<std::string>& codes,
                       const std::string& classCode, const TSqlCondition& where);

// The same grouped by the codes of each pair of `pairs` (indexes into `codes`) with the class
// code. Each row: the codes (null but for the pair's two), the class code, the records.
std::string countCodePairs(const TSqlSource& source, const std::vector<std::string>& codes,
                           const std::vector<std::pair<int, int>>& pairs,
                           const std::string& classCode, const TSqlCondition& where);

// Conditions.
TSqlCondition both(const std::vector<TSqlCondition>& parts);
TSqlCondition either(const std::vector<TSqlCondition>& parts);
TSqlCondition negation(const TSqlCondition& part);
TSqlCondition alwaysTrue();
TSqlCondition alwaysFalse();
// A comparison that is false, never null, when a side is null: `left op right`.
TSqlCondition compare(const std::string& left, std::string_view op, const std::string& right);
// Whether an integer expression is one of `codes` (none: false).
TSqlCondition codeAmong(const std::string& code, const std::vector<int>& codes, TSqlParams& params);
// Byte order of Windows-1250 texts, as the program compares them.
std::string win1250Bytes(const std::string& text);
std::string upperCase(const std::string& text);

}  // namespace sqlDialect
