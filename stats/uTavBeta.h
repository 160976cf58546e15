#pragma once

#include <cstdint>

#include "stats/StStat.h"

// A beta distribution with its two parameters. Both are 0 after creation; the owner
// writes them directly. No invariant is enforced: Cdf, Quantile, ProbAbove and Overlap raise
// EStStatError 171 unless both parameters, converted to 32-bit floats, are positive and finite.
// The arithmetic is in stats/uTavBeta.cpp (compiled with -ffp-contract=off), none in this header.
class TBeta {
  public:
    double Alpha = 0.0;
    double Beta = 0.0;

    // Alpha / (Alpha + Beta).
    double Mean() const;

    // sqrt(Alpha Beta / ((Alpha + Beta)^2 (Alpha + Beta + 1))).
    double StdDev() const;

    // BetaCdf(x, Alpha, Beta, 0, 1) with x, Alpha and Beta converted to 32-bit floats.
    double Cdf(double x) const;

    // BetaQuantile(p, Alpha, Beta, 0, 1) with p, Alpha and Beta converted to 32-bit floats.
    double Quantile(double p) const;

    // The probability that a draw from this distribution is larger than a draw from other: over n
    // bins of width 1/n (n = ProbAboveBins of the smaller StdDev), the sum of this distribution's
    // mass in bin i, from (i - 1)/n to i/n, times other's Cdf at the bin's lower edge. Each edge is
    // the 64-bit i/n converted to a 32-bit float, and each is evaluated once per distribution. With
    // n = 200 it is the plain sum to the bit; it lies a little below the exact probability (for
    // two equal distributions a little below 0.5, about 0.47 at any width).
    double ProbAbove(const TBeta& other) const;

    // The common area of the two densities over their combined area, from the masses f and g of the
    // two distributions in each of n bins (n = OverlapBins of the smaller StdDev): the sum of the
    // smaller of f and g over the sum of the larger. 1 for equal distributions.
    double Overlap(const TBeta& other) const;

    // The bin counts for a smaller standard deviation s (64-bit): 200 x max(1, ceil(0.02 / s)) and
    // 1000 x max(1, ceil(0.004 / s)), so that no bin is wider than a quarter of the narrower
    // distribution; at most kMaxBins. s must be positive.
    static std::int64_t ProbAboveBins(double s);
    static std::int64_t OverlapBins(double s);

    // The cap of the bin counts. No distribution with both parameters at least 1 and their sum up
    // to 250,000 reaches it. It is reached by a parameter well below 1, which Evaluate gives a
    // class value without records (alpha about 1/d for d records): there the 32-bit Cdf holds
    // nearly all the mass at 0 at any bin width, the sum stays near 0 however fine the grid, and
    // the cap only bounds the work (the formula alone asks for 23 million bins at d = 32,561 and 9
    // billion at m = m(prior) = 0.01 and d = 65,000).
    static constexpr std::int64_t kMaxBins = 1'000'000;
};
