#include "stats/uTavBeta.h"

#include <algorithm>
#include <cmath>

#ifdef __FAST_MATH__
#error "stats/uTavBeta.cpp must not be compiled with -ffast-math: its numbers must be reproducible"
#endif

// ProbAbove and Overlap give exactly the plain sums over n bins but evaluate only what can
// change them. Outside a distribution's bulk the exponential term of BetaCdf is 0 and the value is
// its step: 0 below the threshold (alpha + 1)/(alpha + beta + 2), 1 from there on. The bulk on the
// grid is widened to hold the edge where the step changes, so the value is 0 at every edge below
// the bulk and 1 at every edge above it: bins there have no mass and add exactly 0 (the terms are
// +0 or -0), so they are skipped. Inside the bulk every edge is evaluated once; in ProbAbove the
// other distribution's Cdf at a bin's lower edge is evaluated only for a bin with mass.

namespace {

// The edges of a grid of n bins on [0, 1]: edge k is the 64-bit k/n converted to a 32-bit float.
// For n = 200 the edge k - 1 equals the plain k/200 - 0.005 in 32-bit floats (and likewise for
// 1000).
class TGrid {
  public:
    explicit TGrid(std::int64_t n) : n_(n) {}

    std::int64_t Bins() const { return n_; }

    float Edge(std::int64_t k) const {
        return static_cast<float>(static_cast<double>(k) / static_cast<double>(n_));
    }

    // The smallest k in [from, to] whose edge is at least v, or to + 1 (edges rise with k).
    std::int64_t FirstAtLeast(double v, std::int64_t from, std::int64_t to) const {
        std::int64_t lo = from;
        std::int64_t hi = to + 1;
        while (lo < hi) {
            const std::int64_t mid = lo + (hi - lo) / 2;
            if (Edge(mid) >= v) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        return lo;
    }

    // The largest k in [0, n] whose edge is at most v, or -1.
    std::int64_t LastAtMost(double v) const {
        std::int64_t lo = -1;
        std::int64_t hi = n_;
        while (lo < hi) {
            const std::int64_t mid = hi - (hi - lo) / 2;
            if (Edge(mid) <= v) {
                lo = mid;
            } else {
                hi = mid - 1;
            }
        }
        return lo;
    }

  private:
    std::int64_t n_;
};

// The Cdf of one distribution at the edges of a grid: BetaCdf in full at the edges of its bulk
// (LastLow() < k < FirstHigh()); 0 at the edges up to LastLow(), 1 from FirstHigh() on.
class TGridCdf {
  public:
    TGridCdf(const TBeta& dist, const TGrid& grid)
        : cdf_(static_cast<float>(dist.Alpha), static_cast<float>(dist.Beta)), grid_(grid) {}

    // Finds the bulk on the grid (called after both distributions are constructed, so that both
    // parameters are checked, 171, before any work).
    void Locate() {
        const TBetaCdfFixed::TBounds bounds = cdf_.ZeroTermBounds();
        const std::int64_t n = grid_.Bins();
        // The first edge at or above the threshold: edge 0 is 0, below it, and edge n is 1, above
        // it (0 < threshold < 1), so 1 <= change <= n.
        const std::int64_t change = grid_.FirstAtLeast(cdf_.Threshold(), 0, n);
        lastLow_ = std::min(grid_.LastAtMost(bounds.lo), change - 1);
        firstHigh_ = std::max(grid_.FirstAtLeast(bounds.hi, 0, n), change);
    }

    std::int64_t LastLow() const { return lastLow_; }
    std::int64_t FirstHigh() const { return firstHigh_; }

    double At(std::int64_t k) const {
        if (k <= lastLow_) return 0.0;
        if (k >= firstHigh_) return 1.0;
        return cdf_(grid_.Edge(k));
    }

  private:
    TBetaCdfFixed cdf_;
    const TGrid& grid_;
    std::int64_t lastLow_ = -1;
    std::int64_t firstHigh_ = 0;
};

// base x max(1, ceil(width / s)), at most TBeta::kMaxBins.
std::int64_t BinsFor(std::int64_t base, double width, double s) {
    const double k = std::ceil(width / s);
    if (!(k > 1.0)) return base;  // also a NaN, which a positive s never gives
    const std::int64_t maxK = TBeta::kMaxBins / base;
    if (k >= static_cast<double>(maxK)) return maxK * base;
    return base * static_cast<std::int64_t>(k);
}

}  // namespace

double TBeta::Mean() const {
    return Alpha / (Alpha + Beta);
}

double TBeta::StdDev() const {
    const double sum = Alpha + Beta;
    return std::sqrt(Alpha * Beta / (sum * sum * (sum + 1.0)));
}

double TBeta::Cdf(double x) const {
    return BetaCdf(static_cast<float>(x), static_cast<float>(Alpha), static_cast<float>(Beta), 0.0f,
                   1.0f);
}

double TBeta::Quantile(double p) const {
    return BetaQuantile(static_cast<float>(p), static_cast<float>(Alpha), static_cast<float>(Beta),
                        0.0f, 1.0f);
}

std::int64_t TBeta::ProbAboveBins(double s) {
    return BinsFor(200, 0.02, s);
}

std::int64_t TBeta::OverlapBins(double s) {
    return BinsFor(1000, 0.004, s);
}

double TBeta::ProbAbove(const TBeta& other) const {
    // The sum over bins i = 1..n of (X(e_i) - X(e_{i-1})) * Y(e_{i-1}), in this order.
    const TGrid grid(ProbAboveBins(std::min(StdDev(), other.StdDev())));
    TGridCdf cdfX(*this, grid);
    TGridCdf cdfY(other, grid);
    cdfX.Locate();
    cdfY.Locate();
    // Bins i with lastLow < i <= firstHigh: those with an edge inside X's bulk.
    const std::int64_t first = std::max(cdfX.LastLow(), std::int64_t{0});
    const std::int64_t last = std::min(cdfX.FirstHigh(), grid.Bins());
    double sum = 0.0;
    double lowX = cdfX.At(first);
    for (std::int64_t i = first + 1; i <= last; ++i) {
        const double highX = cdfX.At(i);
        if (highX != lowX) sum = sum + (highX - lowX) * cdfY.At(i - 1);
        lowX = highX;
    }
    return sum;
}

double TBeta::Overlap(const TBeta& other) const {
    const TGrid grid(OverlapBins(std::min(StdDev(), other.StdDev())));
    TGridCdf cdfX(*this, grid);
    TGridCdf cdfY(other, grid);
    cdfX.Locate();
    cdfY.Locate();
    // Bins with an edge inside either bulk; in all others f = g = 0.
    const std::int64_t first = std::max(std::min(cdfX.LastLow(), cdfY.LastLow()), std::int64_t{0});
    const std::int64_t last = std::min(std::max(cdfX.FirstHigh(), cdfY.FirstHigh()), grid.Bins());
    double larger = 0.0;
    double smaller = 0.0;
    double lowX = cdfX.At(first);
    double lowY = cdfY.At(first);
    for (std::int64_t i = first + 1; i <= last; ++i) {
        const double highX = cdfX.At(i);
        const double highY = cdfY.At(i);
        const double f = highX - lowX;
        const double g = highY - lowY;
        if (f > g) {
            larger = larger + f;
            smaller = smaller + g;
        } else {
            larger = larger + g;
            smaller = smaller + f;
        }
        lowX = highX;
        lowY = highY;
    }
    return smaller / larger;
}
