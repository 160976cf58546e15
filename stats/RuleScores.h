#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "stats/uTavFreq.h"

// The entropy-gain run from counts. One pass over the Context's records counts, for every coded
// field, the records of each value code with each class value; a simple rule's records are a
// range of its field's codes, so its counts are sums of those, and its score and Signif follow
// through the same estimates and comparisons as the Frequency table of the rule (the Context
// against the rule, FillFrequencyTable with `store`), without one bit set read per rule and
// class value. The pass and the rules are spread over the shared worker pool; every number is
// the one the table would give, at any thread count.

struct TContextCounts;

// Records counted elsewhere (by a database server): `records` Context records with value code
// `code` of field `field` and class code `classCode`; with field -1, the Context's records of
// that class code over all.
struct TCountedGroup {
    int field = -1;
    int code = 0;
    int classCode = 0;
    std::int64_t records = 0;
};

// The Context's records of every coded field by value code and class value, counted in one pass
// over the records (spread over the worker pool), and the sums a simple rule's records are.
class TContextClassCounts {
  public:
    // Counts under `context` with class field c. With no class (c outside the fields, or a field
    // without value sets) every record is of no class value: only the counts of `all` mean much.
    TContextClassCounts(const TBaza& data, const TStBits& context, int c);
    // The same from groups counted elsewhere: `data` describes the fields (its records may be
    // elsewhere); the class values are the codes of the class field's range, those BuildSets
    // makes value sets for, and the other codes share one count as in the pass.
    TContextClassCounts(const TBaza& data, int c, const std::vector<TCountedGroup>& groups);
    ~TContextClassCounts();
    TContextClassCounts(const TContextClassCounts&) = delete;
    TContextClassCounts& operator=(const TContextClassCounts&) = delete;

    // Context records with class code `code` (0..127), and all of them.
    std::int64_t contextWith(int code) const;
    std::int64_t contextAll() const;
    // The same among the records of `rule` (the empty rule or one condition on a coded field):
    // all of them, and those with class code `code`.
    struct TRuleRecords {
        std::int64_t all = 0;
        std::int64_t with = 0;
    };
    TRuleRecords ruleRecords(const TMnozica& rule, int code) const;
    // Context records with value code `code` of coded field `field` and class code `classCode`
    // (class codes without a value set share one count); 0 for a field that is not counted.
    std::int64_t fieldRecords(int field, int code, int classCode) const;

    // Context records whose value of `field` is known: a code of the field's range that is no
    // unknown code, as its field set holds them; every Context record for a field not counted.
    std::int64_t knownRecords(int field) const;
    // Whether two rules (each the empty rule or one condition on a coded field) hold the same
    // Context records, as far as the counts tell: two rules of one field do when the codes one
    // holds and the other does not have no record; rules on two fields would need the counts of
    // the pair, and are taken as different unless both are without records.
    bool sameRecords(const TMnozica& a, const TMnozica& b) const;

    const TContextCounts& counts() const { return *m_counts; }

  private:
    const TBaza& m_data;
    std::unique_ptr<TContextCounts> m_counts;
};

struct TRuleScoreHooks {
    ProgressHook progress;            // a fraction 0..1 between batches; the caller reports the end
    std::function<bool()> cancelled;  // asked between batches of about 1 % of the rules
};

// Whether every rule of list 3 is one the counts can score: the empty rule (every record) or one
// condition on a coded field.
bool RulesScorableFromCounts(const TBaza& data, const TSetCatalogue& sets);

// Scores the rules of list 3 in list order under the Context, for class field c and the row flags
// `rowVisible`: Score and Signif as FillFrequencyTable stores them, and Unscored cleared. Stops
// between batches when `cancelled` says so; returns the number of rules scored, a prefix of the
// list. Requires RulesScorableFromCounts. Errors of the beta functions pass (EStStatError).
int ScoreRulesFromCounts(const TBaza& data, TSetCatalogue& sets, int c,
                         const std::array<bool, kSubTotalSlot + 1>& rowVisible,
                         const TRuleScoreHooks& hooks = {});

// The same from the Context's counts made elsewhere (a table in a database server) under class
// field c. Requires: `data` has the description the counts were made on, with its sets in `sets`
// (BuildSets), so that the class values with value sets are those of the class field's range.
int ScoreRulesFromCounts(const TBaza& data, TSetCatalogue& sets, const TContextClassCounts& counts,
                         int c, const std::array<bool, kSubTotalSlot + 1>& rowVisible,
                         const TRuleScoreHooks& hooks = {});
