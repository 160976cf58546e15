#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/uTavObj.h"
#include "db/PgConnection.h"
#include "db/SqlDialect.h"
#include "import/ImportTypes.h"
#include "stats/CountSource.h"
#include "stats/RuleScores.h"

// A table that stays in a database server. Opening it reads the columns' types, profiles every
// column in the server and codes it by the import's inference rules and the user's choices, as
// an import of the same rows as a CSV file would; the description (fields, value names, interval
// boundaries) is a table without records. The counts of every coded field's codes by class code
// under a filter are then computed in the server, one statement per filter, and no row is fetched.

// How one field's code is computed from its column.
struct TServerField {
    std::string column;  // the source's column name (Windows-1250)
    bool numeric = false;
    TImportColumn coding;  // as the import codes it
};

class TServerTable : public TCountSource {
  public:
    // Connects to `uri` and describes `source` with the import's `options` and `choices`.
    // Throws EDatabaseError (connection, a missing table, the server's refusal of the query),
    // EConvertError (a choice the columns cannot take, no rows) and ELimitError (too many columns).
    static std::unique_ptr<TServerTable> open(const std::string& uri, const TSqlSource& source,
                                              const TImportOptions& options = {},
                                              const TImportChoiceTexts& choices = {});
    ~TServerTable() override;
    TServerTable(const TServerTable&) = delete;
    TServerTable& operator=(const TServerTable&) = delete;

    // The fields and their codes, no records; its record sets may be built for the rules.
    TBaza& description() { return *m_description; }
    const TBaza& description() const { return *m_description; }
    std::shared_ptr<TBaza> sharedDescription() override { return m_description; }
    // The rows of the source when it was opened.
    long long recordCount() const override { return m_records; }
    // The import plan the description was written from (its columns, profiles and class column).
    const TImportPlan& plan() const { return m_plan; }
    // The field of the class column of the plan, or -1.
    int classField() const override;
    const TSqlSource& source() const { return m_source; }

    // The condition of a filter text (the readable or the postfix form, chosen as for the
    // in-memory table), with its constants bound in `params`; a blank text is every row.
    // Throws EConvertError with the filter's error text.
    TSqlCondition condition(const std::string& filter, TSqlParams& params) const;
    std::string filterError(const std::string& filter) const override;

    // The rows that satisfy every filter of `filters`, counted per coded field by value code and
    // class code of field c (no class: c outside the fields), in one statement. Throws as
    // condition, and EDatabaseError / EConnectionLost.
    std::vector<TCountedGroup> countGroups(const std::vector<std::string>& filters, int c) override;

    // Records counted for a pair of fields: `records` rows with code `codeA` of field `a`, code
    // `codeB` of field `b` and class code `classCode`; a is the field that comes first.
    using TPairGroup = TCountedPairGroup;
    // The same for the pairs of coded fields `pairs`, counted in statements of at most
    // `pairsAStatement` pairs each (a statement's groups are held by the server at once).
    std::vector<TPairGroup> countPairGroups(const std::vector<std::string>& filters, int c,
                                            const std::vector<std::pair<int, int>>& pairs,
                                            int pairsAStatement);
    // The same in statements of 64 pairs.
    std::vector<TCountedPairGroup> countPairGroups(
        const std::vector<std::string>& filters, int c,
        const std::vector<std::pair<int, int>>& pairs) override {
        return countPairGroups(filters, c, pairs, 64);
    }

    // Every row of the source as CSV text with a header line, piece by piece: the rows leave the
    // server (only for comparing with the counts made there).
    void copyRows(const std::function<void(std::string_view)>& sink);

    // The code of field f (coded) as an SQL expression.
    std::string codeOf(int f, TSqlParams& params) const;
    const std::vector<TServerField>& fields() const { return m_fields; }

  private:
    TServerTable() = default;
    // The codes of every coded field and of the class, and the condition of `filters`, written
    // with `params`; `counted` receives the field of each code.
    struct TCodedQuery {
        std::vector<int> counted;
        std::vector<std::string> codes;
        std::string classCode;
        TSqlCondition where;
    };
    TCodedQuery codedQuery(const std::vector<std::string>& filters, int c,
                           TSqlParams& params) const;

    std::unique_ptr<TPgConnection> m_connection;
    TSqlSource m_source;
    TImportPlan m_plan;
    std::vector<TServerField> m_fields;  // one per field of the description
    std::shared_ptr<TBaza> m_description;
    long long m_records = 0;
};
