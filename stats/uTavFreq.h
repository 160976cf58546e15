#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "stats/uTavSets.h"

class TxDataSet;

// The settings of the estimates, kept for the whole run (the Settings menu changes them).
extern double MPrior;           // m of the prior estimate, default 1.0
extern double MParam;           // m of the m-estimate, default 2.0
extern double SignificancePct;  // significance level in per cent, default 5.0

// The largest m and m(prior) a setting takes. With m far beyond the record counts every estimate
// is the prior and every comparison says nothing; a setting above this limit is refused like a
// non-finite one, so that a mistyped exponent does not pass for an analysis.
inline constexpr double kMaxSetting = 1e6;

// Which rows of the Frequency table show: one flag per value code 0..127 and one for the
// sub-total (128, never on). Defaults: 0..127 on, 128 off.
extern std::array<bool, kSubTotalSlot + 1> RowVisible;

// Restores the defaults of the settings and row flags (start of the program, tests).
void resetStatSettings();

// Evaluates set S in the Context, restricted to the records whose rule fields are known, and
// further to A and B when given: the m-estimate of the probability of S. Leaves the posterior in
// S.Dist and the count, standard deviation and entropy scale in S. The numerator is counted inside
// the denominator, so that a value code that is also an unknown code of its field stays within
// 0..1.
double Evaluate(const TSetCatalogue& catalogue, TMnozica& S, const TStBits* A, const TStBits* B);

// What Evaluate leaves in a set, from the four counts it takes: D and N in the Context (the prior
// q = (N + m(prior)/2) / (D + m(prior))) and D and N restricted further (the estimate's own
// counts); `setM` is the set's m.
struct TEstimate {
    double probability = 0;
    TBeta dist;
    std::int32_t count = 0;
    double std = 0;
    double scale = 0;
};
TEstimate EstimateFromCounts(std::int64_t priorD, std::int64_t priorN, std::int64_t countD,
                             std::int64_t countN, double setM);

// The same evaluation, returning only the probability.
double Probability(const TSetCatalogue& catalogue, TMnozica& S, const TStBits* A, const TStBits* B);

// The beta parameters of the two distributions of the row chosen for the chart.
struct TChartParams {
    double ChartAlpha1 = 0;
    double ChartBeta1 = 0;
    double ChartAlpha2 = 0;
    double ChartBeta2 = 0;
};

// What one entropy-gain run keeps from rule to rule in the default mode (no compare sets): the
// first evaluation of every class value, which does not depend on the rule, and the ProbAbove
// windows of those first distributions. Valid for one run only: the Context, the settings, the
// row flags and the sets must not change while it is in use.
class TFrequencyRunCache {
  public:
    // What the first Evaluate of a value set leaves.
    struct TFirst {
        bool valid = false;
        double probability = 0;
        TBeta dist;
        std::int32_t count = 0;
        double std = 0;
        double scale = 0;
    };
    std::array<TFirst, kSubTotalSlot + 1> first;
    TCdfWindowCache windows;
};

// What FillFrequencyTable works on.
struct TFrequencyInputs {
    TBaza& data;
    TSetCatalogue& sets;
    TxDataSet& frequencyTable;
    TxDataSet* rulesTable;  // the Simple rules table whose current row gets the score, or none
    TChartParams& chart;
    // Asked once per call: whether the compare sets replace the Context and the simple rule.
    std::function<bool()> useCompareFilters;
    // What a run keeps between its rules, or none (used in the default mode only).
    TFrequencyRunCache* runCache = nullptr;
    // The row flags to use instead of RowVisible, or none (the findings of one class value show
    // only its row without touching what the window shows).
    const std::array<bool, kSubTotalSlot + 1>* rowVisible = nullptr;
    // The rule to show instead of list 3's rule r (a rule of two conditions held beside the
    // list), or none. Its numbers are never stored.
    TMnozica* rule = nullptr;
};

// Computes the Frequency table of class field c under simple rule r (an index into list 3):
// fills the table when `fill`, stores the rule's score when `store`, and keeps the two
// distributions of row h for the chart. Errors of the beta functions pass (EStStatError).
void FillFrequencyTable(const TFrequencyInputs& in, int c, int r, bool store, bool fill, int h);

// A colour as red, green, blue; `isDefault` means the system's window-text colour.
struct TSignifColor {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool isDefault = true;
    bool operator==(const TSignifColor&) const = default;
};

// Blue when x > 1 - s (significantly higher), else red when x < s (significantly lower), else
// the default colour; s = SignificancePct / 100.
TSignifColor SignifColor(double x);

// Whether a Frequency row's "Signif" says anything: not for the "Total" row (No. -1, whose Signif
// is a fixed 0), and not for a class value without records in either population (Frequency 0 and
// CondFrequency 0), whose two distributions the bin sum cannot tell apart.
bool SignifHasEvidence(int number, int frequency, int condFrequency);

// The colour of a Frequency row's "EntropyChange" and "Signif" cells: SignifColor(signif) when the
// row has evidence, else the default colour.
TSignifColor FrequencyRowColor(int number, int frequency, int condFrequency, double signif);
