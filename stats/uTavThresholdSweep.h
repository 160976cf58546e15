#pragma once

#include <string>
#include <utility>
#include <vector>

#include "stats/uTavFindings.h"

// The rate of one class value under every threshold of one INT, REAL or CURRENCY field: the
// findings of its less-than ("<=") and greater-than (">") rules, whether the field is selected
// or not, placed on the field's own axis.

// One threshold.
struct TSweepPoint {
    TFinding finding;
    bool less = false;  // a "<=" threshold (else ">")
    double x = 0;       // where the threshold lies: a boundary of a REAL or CURRENCY field, the
                        // midpoint between two codes of an INT field
    std::string label;  // the value its condition names: "4.5" of "BILI > 4.5", "two" of
                        // "KIDS < two" (Windows-1250)
};

struct TThresholdSweep {
    TFindings findings;  // the context's rate and the settings; ranked and small hold the points
    std::string fieldName;
    std::vector<TSweepPoint> points;  // the "<=" thresholds by x, then the ">" ones by x
    // The axis labels in values, by x: every boundary of a REAL or CURRENCY field that is a
    // threshold; every value of an INT field from the lowest to the highest beside a threshold.
    std::vector<std::pair<double, std::string>> ticks;
};

// Whether field `field` has thresholds to sweep (an INT, REAL or CURRENCY field).
bool HasThresholds(const TBaza& data, int field);

// The sweep of `field` for class value `target` of `classField` in the current Context, with a
// point for every threshold rule, the outermost ones included. Throws
// ETavError for a field without thresholds and as ComputeFindings does.
// With `counts` the findings come from them (a table counted elsewhere).
TThresholdSweep ComputeThresholdSweep(TBaza& data, TSetCatalogue& sets, int classField, int target,
                                      int field, const TContextClassCounts* counts = nullptr);
