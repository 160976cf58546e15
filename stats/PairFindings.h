#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "stats/PairCounts.h"
#include "stats/uTavFindings.h"

// Rules of two conditions: every "A and B" of two simple rules on different selected fields (not
// the class), with the numbers of a simple rule's finding against the Context, and whether the
// pair says more than the better of its two conditions alone. The counts come from one pass per
// pair of fields (PairCounts.h); no record set is built for a pair.

// What to compute for one class value.
// The counts of a table whose records are elsewhere (a database server): the Context's by the
// class field, and the source of its pairs of fields' counts under the same Context.
struct TCountedPairs {
    const TContextClassCounts* context = nullptr;
    TPairGroupSource pairs;
};

struct TPairFindingsOptions {
    int classField = 0;
    int target = 0;
    int minCount = 5;  // pairs with fewer Context records are counted but not ranked
    int top = 200;     // how many pairs, by the size of their entropy change, are listed
};

// One rule of two conditions as a finding.
struct TPairFinding {
    int setNumberA = 0;  // creation numbers of the two simple rules' sets (ruleNumber + 1)
    int setNumberB = 0;
    std::string condition;  // "AGE <= 25 and SEX = m" (ConditionText.h)
    int count = 0;          // n: Context records under both conditions
    int targetCount = 0;    // k: of them with the target value
    TRateEstimate rule;
    double difference = 0;  // pair rate - Context rate
    double pHigher = 0;     // P(pair rate > Context rate)
    double score = 0;       // signed entropy change
    double differenceSe = 0;
    double lfsr = 1;
    double svalue = 1;
    bool flagged = false;
    // The better part: the condition alone whose rate lies further in the pair's direction (the
    // higher rate for a pair that raises the rate, the lower for one that lowers it).
    std::string betterCondition;
    int betterSetNumber = 0;
    TRateEstimate better;
    double lift = 0;           // pair rate / better part's rate
    double pBeyondBetter = 0;  // P(the pair's rate lies beyond the better part's, its direction)
    // The better part alone surely shifts the rate the same way, and the pair is not surely
    // beyond it: the pair only repeats that condition.
    bool repeatsPart = false;

    int ruleNumberA() const { return setNumberA - 1; }
    int ruleNumberB() const { return setNumberB - 1; }
};

// The pairs of one class value.
struct TPairFindings {
    TPairFindingsOptions options;
    std::string targetText;  // "STATUS = dead"
    int contextCount = 0;
    int contextTargetCount = 0;
    TRateEstimate context;
    double m = 0, mPrior = 0, significancePct = 0;
    std::int64_t evaluated = 0;     // pairs counted
    std::int64_t ranked = 0;        // of them with at least minCount records: lfsr over these
    std::int64_t flaggedCount = 0;  // of them flagged
    double expectedWrong = 0;       // sum of lfsr over the flagged pairs
    std::vector<TPairFinding> top;  // the largest |score| first, at most options.top
    bool cancelled = false;         // stopped early: the numbers are those of the pairs counted
    std::string note;               // why nothing can be found ("" when something can)
};

// Pairs above this many in the fit of the shrinkage prior are represented by an even sample of
// this size; every pair gets its lfsr under the prior so fitted.
inline constexpr std::int64_t kPairFitSample = 2000;

// Computes the pairs of options.target in the Context. Requires simple rules only in list 3
// (RulesScorableFromCounts). `hooks.progress` gets a fraction between pairs of fields (0 at the
// end); when `hooks.cancelled` says so the pairs of the fields counted so far are ranked and
// `cancelled` is set. The Context, its estimates and the flags are as ComputeFindings gives them
// for simple rules, P(higher) and the intervals computed for the listed pairs only (the flags of
// the others follow the sign of their difference). Throws ETavError for a class field without two
// values or a target without a record set, EStStatError from the beta functions.
TPairFindings ComputePairFindings(const TBaza& data, const TSetCatalogue& sets,
                                  const TPairFindingsOptions& options,
                                  const TFindingsHooks& hooks = {},
                                  const TCountedPairs* counted = nullptr);

// One pair ranked by its entropy gain over every visible class value.
struct TPairScore {
    int setNumberA = 0;
    int setNumberB = 0;
    std::string condition;
    int count = 0;
    double score = 0;  // the sum over the visible class values of |entropy scale change|
};

// The `top` pairs by entropy gain for class field c, as the ranking of simple rules scores a
// rule with the row flags `rowVisible` (every visible class value at once, or the "Sub-total"
// when a value is hidden); equal scores in the order counted (by field pair, then by rule).
// `complete` is false when `hooks.cancelled` stopped the run early. Requires what
// ComputePairFindings requires; throws ETavError for a class field without value sets.
std::vector<TPairScore> RankPairs(const TBaza& data, const TSetCatalogue& sets, int c, int top,
                                  const std::array<bool, kSubTotalSlot + 1>& rowVisible,
                                  const TFindingsHooks& hooks, bool& complete,
                                  const TCountedPairs* counted = nullptr);
