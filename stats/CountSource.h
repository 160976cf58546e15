#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "stats/PairCounts.h"
#include "stats/RuleScores.h"

// A table whose records stay where they are (a database server): the session asks it for the
// counts every number is made of instead of reading records. Its description is a table of the
// fields and their codes without records, on which the record sets are built empty.
class TCountSource {
  public:
    virtual ~TCountSource() = default;

    // The fields, their codes and value names; no records. Shared with the session, which builds
    // its sets on it.
    virtual std::shared_ptr<TBaza> sharedDescription() = 0;
    // The records of the source when it was opened.
    virtual long long recordCount() const = 0;
    // The field the source's class column became, or -1.
    virtual int classField() const = 0;
    // The error text of a filter (readable or postfix) as the in-memory table gives it, or "" for
    // a valid one.
    virtual std::string filterError(const std::string& filter) const = 0;
    // The records that satisfy every filter of `filters` (readable or postfix texts, "" for
    // every record), counted per coded field by value code and by class code of field c (no
    // class: c outside the fields). Throws EConvertError with the filter's error text as the
    // in-memory table gives it, and the source's own errors (a lost connection).
    virtual std::vector<TCountedGroup> countGroups(const std::vector<std::string>& filters,
                                                   int c) = 0;
    // The same records counted for each pair of coded fields of `pairs` (either order), by the
    // codes of both fields and the class code. Throws as countGroups, and EListIndexError for a
    // pair that is not two coded fields.
    virtual std::vector<TCountedPairGroup> countPairGroups(
        const std::vector<std::string>& filters, int c,
        const std::vector<std::pair<int, int>>& pairs) = 0;
};
