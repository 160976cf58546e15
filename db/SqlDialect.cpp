#include "db/SqlDialect.h"

#include <charconv>
#include <cstdio>

#include "db/PgConnection.h"

namespace {

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += separator;
        text += parts[i];
    }
    return text;
}

}  // namespace

std::string TSqlParams::bind(std::string value, std::string_view type) {
    m_values.emplace_back(std::move(value));
    return "$" + std::to_string(m_values.size()) + "::" + std::string(type);
}

std::string TSqlSource::fromClause() const {
    if (!table.empty()) return sqlDialect::quoteIdentifier(table);
    return "(" + query + "\n) AS t";
}

std::string TSqlSource::shownName() const {
    return table.empty() ? std::string("the query") : "the table \"" + table + "\"";
}

namespace sqlDialect {

std::string quoteIdentifier(const std::string& name) {
    if (name.empty()) throw EDatabaseError("A table or column name is empty");
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '\0') throw EDatabaseError("A table or column name holds a NUL character");
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string numberText(double value) {
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}

std::string arrayParameter(const std::vector<std::string>& items) {
    std::string text = "{";
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += ',';
        text += '"';
        for (char c : items[i]) {
            if (c == '"' || c == '\\') text += '\\';
            text += c;
        }
        text += '"';
    }
    return text + "}";
}

std::vector<std::string> sessionSettings() {
    // The planner knows nothing of the codes' few values: it takes each grouping set of the
    // counting statement for some 40,000 groups and, unless their hash tables fit in work_mem,
    // sorts every row once per set instead (24 s instead of 3.5 s for 300,000 rows x 50 fields).
    // The tables are sized by that estimate, some 1.5 MB a field, though they hold a few groups.
    return {"SET DateStyle = ISO", "SET work_mem = '512MB'"};
}

std::string readOnlySession() {
    return "SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY";
}

TSqlStatement tableExists(const std::string& table) {
    TSqlStatement statement;
    statement.text = "SELECT to_regclass(" + statement.params.bind(quoteIdentifier(table), "text") +
                     ") IS NOT NULL";
    return statement;
}

std::string tableNames() {
    // Only those of the search path: a source's table is one quoted name, without a schema.
    return "SELECT table_name FROM information_schema.tables WHERE table_schema = ANY "
           "(current_schemas(false)) ORDER BY table_name";
}

std::string describe(const TSqlSource& source) {
    return "SELECT * FROM " + source.fromClause() + " LIMIT 0";
}

std::string copyRows(const TSqlSource& source) {
    return "COPY (SELECT * FROM " + source.fromClause() + ") TO STDOUT WITH (FORMAT csv, HEADER)";
}

std::string numberOf(const std::string& column) {
    return "(" + quoteIdentifier(column) + ")::float8";
}

std::string textOf(const std::string& column) {
    return "(" + quoteIdentifier(column) + ")::text";
}

std::string importText(const std::string& text, TSqlParams& params) {
    std::string from = ";", to = ",";
    for (char c = 1; c < 0x20; ++c)
        from += c, to += ' ';
    from += '\x7F', to += ' ';
    return "btrim(translate(" + text + ", " + params.bind(from, "text") + ", " +
           params.bind(to, "text") + "), ' ')";
}

TSqlCondition textMissing(const std::string& text, const std::vector<std::string>& missingTexts,
                          TSqlParams& params) {
    return "(" + text + " IS NULL OR lower(" + text + ") = ANY(" +
           params.bind(arrayParameter(missingTexts), "text[]") + "))";
}

TSqlStatement profile(const TSqlSource& source, const std::vector<TSqlCondition>& textMissing,
                      const std::vector<std::string>& texts,
                      const std::vector<std::string>& numbers, TSqlParams params) {
    std::vector<std::string> items{"count(*)"};
    for (size_t i = 0; i < texts.size(); ++i) {
        items.push_back("count(*) FILTER (WHERE " + textMissing[i] + ")");
        items.push_back("count(DISTINCT CASE WHEN NOT " + textMissing[i] + " THEN " + texts[i] +
                        " END)");
    }
    for (const std::string& number : numbers) {
        items.push_back("count(*) - count(" + number + ")");
        items.push_back("count(DISTINCT " + number + ")");
        items.push_back("min(" + number + ")");
        items.push_back("max(" + number + ")");
        items.push_back("coalesce(bool_and(" + number + " = trunc(" + number + ")), true)");
    }
    return {"SELECT " + joined(items, ", ") + " FROM " + source.fromClause(), std::move(params)};
}

TSqlStatement distinctValues(const TSqlSource& source, const std::string& value,
                             const TSqlCondition& missing, bool numeric, int limit,
                             TSqlParams params) {
    // Texts in byte order, numbers by value (their texts would sort 10 before 9).
    const std::string order = numeric ? "min(n)" : "v COLLATE \"C\"";
    const std::string numberOfValue = numeric ? value + "::float8" : "NULL::float8";
    std::string text = "SELECT v FROM (SELECT " + value + " AS v, " + numberOfValue +
                       " AS n FROM " + source.fromClause() + " WHERE NOT " + missing +
                       ") AS known GROUP BY v ORDER BY " + order + ", v COLLATE \"C\" LIMIT " +
                       params.bind(std::to_string(limit), "int8");
    return {std::move(text), std::move(params)};
}

std::string everyNumber(const TSqlSource& source, const std::string& number) {
    return "SELECT v FROM (SELECT " + number + " AS v FROM " + source.fromClause() +
           ") AS n WHERE v IS NOT NULL ORDER BY v";
}

TSqlStatement numbersAtFractions(const TSqlSource& source, const std::string& number,
                                 const std::vector<double>& fractions) {
    TSqlStatement statement;
    std::vector<std::string> texts;
    for (double fraction : fractions)
        texts.push_back(numberText(fraction));
    statement.text = "SELECT unnest(percentile_disc(" +
                     statement.params.bind(arrayParameter(texts), "float8[]") +
                     ") WITHIN GROUP (ORDER BY " + number + ")) FROM " + source.fromClause() +
                     " WHERE " + number + " IS NOT NULL";
    return statement;
}

std::string labelCode(const std::string& text, const std::vector<std::string>& labels,
                      TSqlParams& params) {
    return "coalesce(array_position(" + params.bind(arrayParameter(labels), "text[]") + ", " +
           text + "), 0)";
}

std::string integerCode(const std::string& number, int unknown) {
    return "coalesce((" + number + ")::int4, " + std::to_string(unknown) + ")";
}

std::string intervalCode(const std::string& number, const std::vector<double>& boundaries,
                         int first, int missing, TSqlParams& params) {
    // width_bucket counts the boundaries at or below a value; counted on the negated values it
    // gives those at or above, so that a value equal to a boundary stays in the interval below.
    std::vector<std::string> negated;
    for (auto b = boundaries.rbegin(); b != boundaries.rend(); ++b)
        negated.push_back(numberText(-*b));
    const int n = static_cast<int>(boundaries.size());
    return "coalesce(" + std::to_string(n + first) + " - width_bucket(-(" + number + "), " +
           params.bind(arrayParameter(negated), "float8[]") + "), " + std::to_string(missing) + ")";
}

namespace {

// The coded rows of a source under a condition, grouped by each of `sets` (lists of code
// columns, each with the class).
std::string countGroupingSets(const TSqlSource& source, const std::vector<std::string>& codes,
                              const std::vector<std::vector<int>>& sets,
                              const std::string& classCode, const TSqlCondition& where) {
    std::vector<std::string> items, names, groups;
    for (size_t i = 0; i < codes.size(); ++i) {
        names.push_back("f" + std::to_string(i));
        items.push_back(codes[i] + " AS " + names.back());
    }
    items.push_back(classCode + " AS class");
    std::vector<char> grouped(codes.size(), 0);
    for (const std::vector<int>& set : sets) {
        std::vector<std::string> columns;
        for (int i : set) {
            columns.push_back(names.at(i));
            grouped[i] = 1;
        }
        columns.push_back("class");
        groups.push_back("(" + joined(columns, ", ") + ")");
    }
    // A code in no set is null in every row. It is still written in the inner query, so that
    // its parameters are in the statement; the server computes no column it does not use.
    std::vector<std::string> selected;
    for (size_t i = 0; i < codes.size(); ++i)
        selected.push_back(grouped[i] ? names[i] : "NULL::int4 AS " + names[i]);
    selected.push_back("class");
    return "SELECT " + joined(selected, ", ") + ", count(*) FROM (SELECT " + joined(items, ", ") +
           " FROM " + source.fromClause() + (where.empty() ? "" : " WHERE " + where) +
           ") AS codes GROUP BY GROUPING SETS (" + joined(groups, ", ") + ")";
}

}  // namespace

std::string countCodes(const TSqlSource& source, const std::vector<std::string>& codes,
                       const std::string& classCode, const TSqlCondition& where) {
    std::vector<std::vector<int>> sets;
    for (size_t i = 0; i < codes.size(); ++i)
        sets.push_back({static_cast<int>(i)});
    sets.push_back({});
    return countGroupingSets(source, codes, sets, classCode, where);
}

std::string countCodePairs(const TSqlSource& source, const std::vector<std::string>& codes,
                           const std::vector<std::pair<int, int>>& pairs,
                           const std::string& classCode, const TSqlCondition& where) {
    std::vector<std::vector<int>> sets;
    for (const auto& [a, b] : pairs)
        sets.push_back({a, b});
    return countGroupingSets(source, codes, sets, classCode, where);
}

TSqlCondition both(const std::vector<TSqlCondition>& parts) {
    return parts.empty() ? alwaysTrue() : "(" + joined(parts, " AND ") + ")";
}

TSqlCondition either(const std::vector<TSqlCondition>& parts) {
    return parts.empty() ? alwaysFalse() : "(" + joined(parts, " OR ") + ")";
}

TSqlCondition negation(const TSqlCondition& part) {
    return "(NOT " + part + ")";
}

TSqlCondition alwaysTrue() {
    return "true";
}

TSqlCondition alwaysFalse() {
    return "false";
}

TSqlCondition compare(const std::string& left, std::string_view op, const std::string& right) {
    return "coalesce(" + left + " " + std::string(op) + " " + right + ", false)";
}

TSqlCondition codeAmong(const std::string& code, const std::vector<int>& codes,
                        TSqlParams& params) {
    if (codes.empty()) return alwaysFalse();
    std::vector<std::string> texts;
    for (int c : codes)
        texts.push_back(std::to_string(c));
    return "coalesce(" + code + " = ANY(" + params.bind(arrayParameter(texts), "int4[]") +
           "), false)";
}

std::string win1250Bytes(const std::string& text) {
    return "convert_to(" + text + ", 'WIN1250')";
}

std::string upperCase(const std::string& text) {
    return "upper(" + text + ")";
}

}  // namespace sqlDialect
