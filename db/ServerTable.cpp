#include "db/ServerTable.h"

#include <algorithm>
#include <cctype>

#include "db/SqlFilter.h"
#include "import/ImportInference.h"
#include "import/Importer.h"

namespace {

// The object ids of the server's number types (pg_type.h): int8, int2, int4, float4, float8,
// numeric. Every other column is read as its text: a date as its ISO text, as the same column of
// a CSV file reads (a SET when few days occur, else a STRING), a boolean as "true" or "false".
bool isNumberType(unsigned type) {
    return type == 20 || type == 21 || type == 23 || type == 700 || type == 701 || type == 1700;
}

// The texts the import takes for a missing value, lower-cased (ImportText.h isMissingValue).
const std::vector<std::string> kMissingTexts = {"", "?", "na", "n/a", "null"};

struct TSourceColumn {
    std::string name;
    bool numeric = false;
};

// Whether the inference codes a numeric column by intervals, for which it needs its numbers.
bool needsNumbers(const TColumnProfile& profile, const TImportOptions& options) {
    return profile.numeric &&
           !(profile.integral && profile.low >= 0 && profile.high <= kMaxValueCode &&
             profile.distinctNumbers <= options.intLimit);
}

// The column's known numbers, sorted, into `profile`: all of them when the import would keep all,
// else as many quantiles computed in the server.
void addNumbers(TPgConnection& connection, const TSqlSource& source, const std::string& column,
                long long records, TColumnProfile& profile) {
    const std::string number = sqlDialect::numberOf(column);
    if (records - profile.missingCount <= kNumberBudget) {
        const TPgResult all = connection.run(sqlDialect::everyNumber(source, number));
        for (int r = 0; r < all.rows(); ++r)
            profile.numbers.push_back(all.number(r, 0));
        return;
    }
    std::vector<double> fractions;
    for (long long k = 0; k < kNumberBudget; ++k)
        fractions.push_back((static_cast<double>(k) + 0.5) / kNumberBudget);
    const TSqlStatement quantiles = sqlDialect::numbersAtFractions(source, number, fractions);
    const TPgResult at = connection.run(quantiles.text, quantiles.params.values());
    for (int r = 0; r < at.rows(); ++r)
        profile.numbers.push_back(at.number(r, 0));
    profile.numbersSampled = true;
}

}  // namespace

std::unique_ptr<TServerTable> TServerTable::open(const std::string& uri, const TSqlSource& source,
                                                 const TImportOptions& options,
                                                 const TImportChoiceTexts& choices) {
    std::unique_ptr<TServerTable> table(new TServerTable);
    table->m_source = source;
    table->m_connection = std::make_unique<TPgConnection>(uri);
    TPgConnection& connection = *table->m_connection;
    if (!source.table.empty()) {
        const TSqlStatement exists = sqlDialect::tableExists(source.table);
        if (connection.run(exists.text, exists.params.values()).text(0, 0) != "t")
            throw EDatabaseError("The database has no table \"" + source.table + "\"");
    } else {
        // A query of the user's runs as it is written; it may only read.
        connection.run(sqlDialect::readOnlySession());
    }

    std::vector<TSourceColumn> columns;
    {
        const TPgResult described = connection.run(sqlDialect::describe(source));
        for (int i = 0; i < described.columns(); ++i) {
            const unsigned type = described.columnType(i);
            columns.push_back({described.columnName(i), isNumberType(type)});
        }
    }
    // The source as the subject of a message.
    std::string subject = source.shownName();
    subject[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(subject[0])));
    if (columns.empty()) throw EConvertError(subject + " has no columns");
    if (columns.size() > static_cast<size_t>(kMaxFields)) {
        throw ELimitError(subject + " has " + std::to_string(columns.size()) +
                          " columns, more than " + std::to_string(kMaxFields));
    }

    // One statement profiles every column.
    TSqlParams params;
    std::vector<TSqlCondition> missing;
    std::vector<std::string> texts, numbers;
    for (const TSourceColumn& column : columns) {
        if (column.numeric) {
            numbers.push_back(sqlDialect::numberOf(column.name));
        } else {
            texts.push_back(sqlDialect::importText(sqlDialect::textOf(column.name), params));
            missing.push_back(sqlDialect::textMissing(texts.back(), kMissingTexts, params));
        }
    }
    const TSqlStatement profiled =
        sqlDialect::profile(source, missing, texts, numbers, std::move(params));
    const TPgResult row = connection.run(profiled.text, profiled.params.values());
    const long long records = row.integer(0, 0);
    if (records == 0) throw EConvertError(subject + " has no rows");
    if (records > kMaxRecords) {
        // Counts are 64-bit in the server, but the record indexes of the program's rules are ints.
        throw ELimitError(subject + " has " + std::to_string(records) + " rows, more than " +
                          std::to_string(kMaxRecords));
    }
    table->m_records = records;

    TImportPlan& plan = table->m_plan;
    plan.sourcePath = source.shownName();
    plan.encoding = TImportEncoding::Win1250;
    plan.recordsRead = records;
    plan.options = options;
    std::vector<std::string> sourceNames;
    for (const TSourceColumn& column : columns)
        sourceNames.push_back(column.name);
    const std::vector<std::string> names = importFieldNames(sourceNames);
    int text = 0, number = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        const TSourceColumn& sourceColumn = columns[i];
        TColumnProfile profile;
        std::string value;
        TSqlCondition isMissing;
        TSqlParams valueParams;
        if (sourceColumn.numeric) {
            const int at = 1 + 2 * static_cast<int>(texts.size()) + 5 * number++;
            profile.missingCount = row.integer(0, at);
            const long long distinct = row.integer(0, at + 1);
            profile.distinctCount = std::min(distinct, kDistinctCountLimit);
            profile.numeric = records > profile.missingCount;
            if (profile.numeric) {
                profile.low = row.number(0, at + 2);
                profile.high = row.number(0, at + 3);
                profile.integral = row.text(0, at + 4) == "t";
                profile.distinctNumbers =
                    static_cast<int>(std::min<long long>(distinct, kMaxIntLimit + 1));
            }
            value = sqlDialect::importText(sqlDialect::textOf(sourceColumn.name), valueParams);
            isMissing = "(" + value + " IS NULL)";
        } else {
            const int at = 1 + 2 * text++;
            profile.missingCount = row.integer(0, at);
            profile.distinctCount = std::min(row.integer(0, at + 1), kDistinctCountLimit);
            value = sqlDialect::importText(sqlDialect::textOf(sourceColumn.name), valueParams);
            isMissing = sqlDialect::textMissing(value, kMissingTexts, valueParams);
        }
        const bool chosen = !choices.types.empty() || !choices.bins.empty();
        // The first texts are those a SET field can take; a numeric column's only matter when
        // it is chosen to be a SET.
        if (!sourceColumn.numeric || (chosen && profile.distinctCount <= kMaxValueCode + 1)) {
            const TSqlStatement distinct = sqlDialect::distinctValues(
                source, value, isMissing, sourceColumn.numeric, kMaxValueCode + 1, valueParams);
            const TPgResult values = connection.run(distinct.text, distinct.params.values());
            for (int r = 0; r < values.rows(); ++r)
                profile.distinct.push_back(values.text(r, 0));
        }
        if (profile.numeric && (chosen || needsNumbers(profile, options)))
            addNumbers(connection, source, sourceColumn.name, records, profile);
        TImportColumn column;
        column.sourceName = sourceColumn.name;
        column.name = names[i];
        inferColumn(column, profile, options);
        plan.columns.push_back(std::move(column));
        plan.profiles.push_back(std::move(profile));
    }
    applyImportChoices(plan, choices);

    for (size_t i = 0; i < plan.columns.size(); ++i) {
        if (plan.columns[i].choice.ignored) continue;
        table->m_fields.push_back({columns[i].name, columns[i].numeric, plan.columns[i]});
    }
    table->m_description = std::make_shared<TBaza>();
    table->m_description->loadDataBytes(importHeaderText(plan), source.shownName(), dfkFromHeader,
                                        cpUnknown);
    return table;
}

TServerTable::~TServerTable() = default;

int TServerTable::classField() const {
    return importFieldIndex(m_plan, m_plan.classColumn);
}

std::string TServerTable::codeOf(int f, TSqlParams& params) const {
    const TServerField& field = m_fields.at(f);
    const TImportColumn& coding = field.coding;
    switch (coding.coding) {
        case TImportCoding::Labels:
            return sqlDialect::labelCode(
                sqlDialect::importText(sqlDialect::textOf(field.column), params), coding.labels,
                params);
        case TImportCoding::Integers:
            return sqlDialect::integerCode(sqlDialect::numberOf(field.column), coding.unknownCode);
        case TImportCoding::Intervals:
            return sqlDialect::intervalCode(sqlDialect::numberOf(field.column), coding.boundaries,
                                            1, 0, params);
        case TImportCoding::Numbers:
            return sqlDialect::intervalCode(sqlDialect::numberOf(field.column), coding.boundaries,
                                            0, 0, params);
        case TImportCoding::Text:
            break;
    }
    return "0";
}

void TServerTable::copyRows(const std::function<void(std::string_view)>& sink) {
    m_connection->copyOut(sqlDialect::copyRows(m_source), sink);
}

std::string TServerTable::filterError(const std::string& filter) const {
    try {
        TSqlParams params;
        condition(filter, params);
        return "";
    } catch (const EConvertError& refused) {
        return refused.what();
    }
}

TSqlCondition TServerTable::condition(const std::string& filter, TSqlParams& params) const {
    return filterCondition(*this, filter, params);
}

TServerTable::TCodedQuery TServerTable::codedQuery(const std::vector<std::string>& filters, int c,
                                                   TSqlParams& params) const {
    TCodedQuery query;
    for (int f = 0; f < m_description->FieldCount(); ++f) {
        if (!isCodedType(m_description->fieldType(f))) continue;
        query.counted.push_back(f);
        query.codes.push_back(codeOf(f, params));
    }
    const bool classCoded =
        c >= 0 && c < m_description->FieldCount() && isCodedType(m_description->fieldType(c));
    query.classCode = classCoded ? codeOf(c, params) : "0";
    std::vector<TSqlCondition> parts;
    for (const std::string& filter : filters) {
        const TSqlCondition part = condition(filter, params);
        if (part != sqlDialect::alwaysTrue()) parts.push_back(part);
    }
    if (!parts.empty()) query.where = sqlDialect::both(parts);
    return query;
}

std::vector<TCountedGroup> TServerTable::countGroups(const std::vector<std::string>& filters,
                                                     int c) {
    TSqlParams params;
    const TCodedQuery query = codedQuery(filters, c, params);
    const TPgResult rows = m_connection->run(
        sqlDialect::countCodes(m_source, query.codes, query.classCode, query.where),
        params.values());
    std::vector<TCountedGroup> groups;
    groups.reserve(rows.rows());
    const int classColumn = static_cast<int>(query.codes.size());
    for (int r = 0; r < rows.rows(); ++r) {
        TCountedGroup group;
        group.classCode = static_cast<int>(rows.integer(r, classColumn));
        group.records = rows.integer(r, classColumn + 1);
        for (int i = 0; i < classColumn; ++i) {
            if (rows.isNull(r, i)) continue;
            group.field = query.counted[i];
            group.code = static_cast<int>(rows.integer(r, i));
            break;
        }
        groups.push_back(group);
    }
    return groups;
}

std::vector<TServerTable::TPairGroup> TServerTable::countPairGroups(
    const std::vector<std::string>& filters, int c, const std::vector<std::pair<int, int>>& pairs,
    int pairsAStatement) {
    std::vector<TPairGroup> groups;
    for (size_t first = 0; first < pairs.size(); first += std::max(1, pairsAStatement)) {
        TSqlParams params;
        const TCodedQuery query = codedQuery(filters, c, params);
        std::vector<int> columnOf(m_description->FieldCount(), -1);
        for (size_t i = 0; i < query.counted.size(); ++i)
            columnOf[query.counted[i]] = static_cast<int>(i);
        std::vector<std::pair<int, int>> batch;
        for (size_t k = first; k < std::min(pairs.size(), first + std::max(1, pairsAStatement));
             ++k) {
            const auto [a, b] = pairs[k];
            if (a < 0 || b < 0 || a >= m_description->FieldCount() ||
                b >= m_description->FieldCount() || columnOf[a] < 0 || columnOf[b] < 0 || a == b)
                throw EListIndexError("A pair of fields " + std::to_string(a) + ", " +
                                      std::to_string(b) + " that are not two coded fields");
            batch.emplace_back(columnOf[a], columnOf[b]);
        }
        const TPgResult rows = m_connection->run(
            sqlDialect::countCodePairs(m_source, query.codes, batch, query.classCode, query.where),
            params.values());
        const int classColumn = static_cast<int>(query.codes.size());
        for (int r = 0; r < rows.rows(); ++r) {
            TPairGroup group;
            group.classCode = static_cast<int>(rows.integer(r, classColumn));
            group.records = rows.integer(r, classColumn + 1);
            for (int i = 0; i < classColumn; ++i) {
                if (rows.isNull(r, i)) continue;
                const int field = query.counted[i];
                const int code = static_cast<int>(rows.integer(r, i));
                if (group.a < 0) {
                    group.a = field, group.codeA = code;
                } else {
                    group.b = field, group.codeB = code;
                }
            }
            groups.push_back(group);
        }
    }
    return groups;
}
