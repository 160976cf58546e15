#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/uTavObj.h"
#include "stats/uTavBeta.h"
#include "stats/uTavSets.h"

// The findings of one class value: for every simple rule on a selected field other than the
// class, how the rate of that value under the rule differs from its rate in the Context, in which
// direction and how surely. Every number is the one the Frequency table shows for the rule with
// only the target's row visible (its "Sub-total" row), so the findings, the ranked list and the
// window agree. The compare filters play no part: a finding compares a rule with the Context.

// How the ranked findings are ordered (largest first in each case).
enum class TFindingsSort { Score, P, Diff };

// What to compute.
struct TFindingsOptions {
    int classField = 0;
    int target = 0;    // the value code t of the class field
    int minCount = 5;  // rules with fewer records in the Context are listed apart, not ranked
    TFindingsSort sort = TFindingsSort::Score;
    int onlyField = -1;        // when 0 or more: only the rules on this field
    bool selectedOnly = true;  // only the rules whose fields are selected
    // Rules holding the same Context records with the same numbers are one finding (a sweep
    // keeps each threshold as a point of its own)
    bool mergeEquivalents = true;
};

// An m-estimate with its central credible interval.
struct TRateEstimate {
    double rate = 0;
    double low = 0;
    double high = 0;
};

// One simple rule as a finding.
struct TFinding {
    int ruleIndex = 0;      // index in list 3 when computed (the Simple rules row then)
    int setNumber = 0;      // creation number of the rule's set: finds it again after a re-sort
    std::string name;       // the set's name
    std::string condition;  // the rule in values: "SEX = male", "25 < AGE <= 35" (ConditionText.h)
    int count = 0;          // n_R: Context records under the rule
    int targetCount = 0;    // k_R: of them with value t
    TRateEstimate rule;
    double difference = 0;    // rule rate - context rate
    double pHigher = 0;       // P(rule rate > context rate), as "Signif" computes it
    double score = 0;         // signed entropy change
    double error = 0;         // min(P, 1 - P): the posterior probability of the wrong direction
    double differenceSe = 0;  // sqrt(var rule + var context) of the two beta posteriors
    double lfsr = 1;          // local false sign rate of the difference after shrinkage
    double svalue = 1;        // mean lfsr of the ranked rules with an lfsr at most this one's
    bool flagged = false;     // lfsr at most the level and the direction can show
    bool coloured = false;    // coloured by the plain per-row rule (FrequencyRowColor)
    int rankLow = 0;          // best and worst 1-based rank over m = 0.5, 2 and 10 (ranked only)
    int rankHigh = 0;
    bool robust = false;  // in the top 10 by the size of the change for all three m
    // Names of the other rules that hold the same records of the Context with the same numbers
    // (33 thresholds between two data values, say): they are listed once, as this rule.
    std::vector<std::string> equivalents;

    // The rule's number in creation order: its row in the Simple rules grid before a ranking
    // reorders it, and what tav-batch freq --rule takes.
    int ruleNumber() const { return setNumber - 1; }
};

// The findings of one class value.
struct TFindings {
    TFindingsOptions options;
    std::string className;
    std::string targetName;      // the value's label
    std::string targetText;      // the value as a condition: "STATUS = dead" (ConditionText.h)
    int contextCount = 0;        // n_C: the Context records
    int contextTargetCount = 0;  // k_C: of them with value t
    TRateEstimate context;
    double m = 0;  // the m and m(prior) of the estimates, the level in per cent
    double mPrior = 0;
    double significancePct = 0;
    std::vector<TFinding> ranked;  // n_R >= minCount, sorted
    std::vector<TFinding> small;   // n_R < minCount, in creation order
    int flaggedCount = 0;
    double expectedWrong = 0;  // the sum of lfsr over the flagged rules: expected wrong signs
    int colouredCount = 0;     // ranked rules the per-row colour rule colours
    bool cancelled = false;    // stopped by the caller: the lists are empty
    std::string note;          // why nothing can be found ("" when something can)
};

// The m values of the prior-sensitivity re-ranking.
inline constexpr double kSensitivityM[] = {0.5, 2.0, 10.0};
// A rule is robust when it ranks within this many for every m of kSensitivityM.
inline constexpr int kRobustTop = 10;

// The central credible interval of `dist` at 1 - level (level as a fraction, clamped to 0..1)
// and its mean. Errors of the beta functions pass (EStStatError).
TRateEstimate credibleInterval(const TBeta& dist, double level);

// Whether a rule of `count` Context records can show a direction at all when the target's rate
// in the Context is `rate` (k_C / n_C): at that rate the rule holds no target record with
// probability (1 - rate)^count and only target records with probability rate^count, so a fall
// counts only when the first, a rise only when the second, is below `level` (a fraction). A rate
// of 0 or 1 shows nothing.
bool directionCanShow(int count, double rate, bool rises, double level);

// The signed entropy change of rate k/n against the context rate kC/nC as the m-estimates with m
// and the context prior of m(prior) give them: EntropyScale(rule) - EntropyScale(context).
double priorScore(int k, int n, int kC, int nC, double m, double mPrior);

// Fills rankLow, rankHigh and robust of `ranked` by re-ranking on the size of priorScore, either
// direction, for each m of kSensitivityM (largest first, ties in list order).
void rankPriorSensitivity(std::vector<TFinding>& ranked, int kC, int nC, double mPrior);

// Orders findings by `sort`, largest first; equal keys keep the creation order.
void sortFindings(std::vector<TFinding>& findings, TFindingsSort sort);

// "12 rules flagged; expected wrong signs 0.43; 40 coloured row by row".
std::string multiplicityLine(const TFindings& findings);

// The rule of a set in values (ruleConditionText): "SEX = male", "AGE <= 25", "25 < AGE <= 35";
// the set's name for the empty rule.
std::string ruleCondition(const TBaza& data, const TMnozica& set);

// Calls between findings rules: `progress` gets a fraction 0..1 (0 at the end) and `cancelled`
// is asked whether to stop.
class TContextClassCounts;

struct TFindingsHooks {
    ProgressHook progress;
    std::function<bool()> cancelled;
};

// Computes the findings of options.target in the current Context through FillFrequencyTable with
// only the target's row visible. Rules that hold the same records of the Context, with the same
// counts and numbers, are one finding: the first in the list of rules, naming the others in
// `equivalents`; the shrinkage and the ranks count it once. The effect of a rule is its difference,
// with the standard error of the two beta posteriors taken as independent (the rule's records are
// among the Context's, so the true error is smaller and the lfsr errs on the safe side); the prior
// of the shrinkage (SignShrinkage.h) is fitted to the ranked rules whose direction can show
// (directionCanShow), and only those are flagged, when their lfsr is at most the significance
// level; a target without records in the Context, or with nothing else there, flags nothing and
// says so in `note`. Leaves the global row flags, the rules' scores and every result table as they
// were (the class value sets keep the results of their last evaluation, as after any computation).
// Throws ETavError when the class field has fewer than two values or the target value has no record
// set, and EStStatError from the beta functions.
// With `counts` (the Context's counts by the class field, made elsewhere for a table whose records
// are not in memory) every row comes from them, and rules on two fields are never merged: the
// counts of one field cannot tell whether two fields hold the same records.
TFindings ComputeFindings(TBaza& data, TSetCatalogue& sets, const TFindingsOptions& options,
                          const TFindingsHooks& hooks = {},
                          const TContextClassCounts* counts = nullptr);
