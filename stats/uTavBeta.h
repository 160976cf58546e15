#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "stats/StStat.h"

class TCdfWindowCache;

// A beta distribution with its two parameters. Both are 0 after creation; the owner
// writes them directly. No invariant is enforced: Cdf, Quantile, ProbAbove and Overlap raise
// EStStatError 171 unless both parameters are positive and at most kMaxShape. Everything is in
// 64-bit floats (parameters, points and bin edges), so it holds at any record count; each Cdf costs
// a bounded amount of work however large the parameters (see stats/StStat.h). The arithmetic is in
// stats/uTavBeta.cpp (compiled with -ffp-contract=off), none in this header.
class TBeta {
  public:
    double Alpha = 0.0;
    double Beta = 0.0;

    // Alpha / (Alpha + Beta).
    double Mean() const;

    // sqrt(Alpha Beta / ((Alpha + Beta)^2 (Alpha + Beta + 1))).
    double StdDev() const;

    // BetaCdf(x, Alpha, Beta, 0, 1), in 64-bit floats.
    double Cdf(double x) const;

    // BetaQuantile(p, Alpha, Beta, 0, 1).
    double Quantile(double p) const;

    // The probability that a draw from this distribution is larger than a draw from other: over n
    // bins of width 1/n (n = ProbAboveBins of the smaller StdDev), the sum of this distribution's
    // mass in bin i, from (i - 1)/n to i/n, times other's Cdf at the bin's lower edge. Each edge is
    // the 64-bit i/n. The sum is evaluated only inside other's window
    // (TCdfWindow with kProbAboveTail); the bins above it add this distribution's mass there. So
    // the result is within 2^-30 (below 1e-9) of the full sum, and it is clamped to [0, 1]. It lies
    // a little below the exact probability (for two equal distributions a little below 0.5, about
    // 0.47 at any width).
    double ProbAbove(const TBeta& other) const;

    // The same, taking other's window from `cache` (made there once per distribution and bin
    // count).
    double ProbAbove(const TBeta& other, TCdfWindowCache& cache) const;

    // The common area of the two densities over their combined area, from the masses f and g of the
    // two distributions in each of n bins (n = OverlapBins of the smaller StdDev): the sum of the
    // smaller of f and g over the sum of the larger. Bins below and above both windows (with
    // kOverlapTail) are taken together as one bin each, so the result is within 1e-9 of the full
    // sum; it lies in [0, 1] and is 1 for equal distributions.
    double Overlap(const TBeta& other) const;

    // The bin counts for a smaller standard deviation s (64-bit): 200 x max(1, ceil(0.02 / s)) and
    // 1000 x max(1, ceil(0.004 / s)), so that no bin is wider than a quarter of the narrower
    // distribution; at most kMaxBins. s must be positive.
    static std::int64_t ProbAboveBins(double s);
    static std::int64_t OverlapBins(double s);

    // The cap of the bin counts: reached where the smaller standard deviation is below 4e-6. No
    // distribution with both parameters at least 1 and their sum up to 250,000 reaches it. It is
    // reached by a parameter well below 1, which Evaluate gives a class value without records
    // (alpha about 1/d for d records; nearly all the mass lies in the first bin at any bin width,
    // so the sum stays near 0 however fine the grid, and the cap only bounds the work: the formula
    // alone asks for 23 million bins at d = 32,561 and 9 billion at m = m(prior) = 0.01 and
    // d = 65,000), and in tables of millions of records also by a rare class value (s below 4e-6
    // is a rate below about 1.6e-11 x d: 1,600 of 10 million records). There the bins are wider
    // than a quarter of the narrower distribution; the sums are still those over kMaxBins bins.
    // With or without the cap a window holds about 50 bins of the distribution that set the
    // count (ProbAbove sums over the window of `other`: for a rule against its context, about 50
    // bins at any record count).
    static constexpr std::int64_t kMaxBins = 1'000'000;

    // The tails outside the windows: 2^-30 for ProbAbove (its sum moves by at most that much), and
    // 2^-32 for Overlap (whose two sums move by up to twice that each).
    static constexpr double kProbAboveTail = 1.0 / 1073741824.0;
    static constexpr double kOverlapTail = 1.0 / 4294967296.0;
};

// The Cdf of one distribution at the edges of a grid of n bins on [0, 1] (edge k is the 64-bit
// k/n), where a comparison can feel it: from First(), the first edge where
// it is at least `tail`, to Last(), the first edge where it is at least 1 - tail. Below First()
// it is under `tail`, from Last() on over 1 - tail. The values there are computed once. 171 for
// invalid parameters; 173 from a point that does not converge.
class TCdfWindow {
  public:
    TCdfWindow(const TBeta& dist, std::int64_t bins, double tail);

    std::int64_t Bins() const { return m_bins; }
    std::int64_t First() const { return m_first; }
    std::int64_t Last() const { return m_last; }
    // The Cdf at edge k. Requires: First() <= k <= Last().
    double At(std::int64_t k) const { return m_values[static_cast<std::size_t>(k - m_first)]; }

    // Edge k of a grid of `bins` bins.
    static double Edge(std::int64_t k, std::int64_t bins) {
        return static_cast<double>(k) / static_cast<double>(bins);
    }

  private:
    std::int64_t m_bins;
    std::int64_t m_first = 0;
    std::int64_t m_last = 0;
    std::vector<double> m_values;
};

// Windows of ProbAbove kept for reuse: one per distribution (its exact parameters) and bin count.
// The entropy-gain run compares every rule with the same context distribution of a class value,
// so its window is made once per run. The cache forgets everything when it grows past a bound.
class TCdfWindowCache {
  public:
    // The window of dist on `bins` bins with kProbAboveTail, made on first use.
    const TCdfWindow& window(const TBeta& dist, std::int64_t bins);

    // How many windows were made (not found).
    std::int64_t made() const { return m_made; }

  private:
    // Keyed by the bit patterns of the parameters, so that a NaN is a key like any other.
    std::map<std::tuple<std::uint64_t, std::uint64_t, std::int64_t>, std::unique_ptr<TCdfWindow>>
        m_windows;
    std::size_t m_values = 0;  // the values held by all windows
    std::int64_t m_made = 0;
};
