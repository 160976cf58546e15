#include "stats/uTavBeta.h"

#include <algorithm>
#include <bit>
#include <cmath>

#ifdef __FAST_MATH__
#error "stats/uTavBeta.cpp must not be compiled with -ffast-math: its numbers must be reproducible"
#endif

// ProbAbove and Overlap are sums over fine grids (up to a million bins), but a distribution's Cdf
// changes only over a few of its standard deviations. Each distribution's window on the grid is
// found by bisection (its Cdf rises with x) and evaluated edge by edge; outside the windows the
// bins are either skipped (their terms are below the tail) or taken together.

namespace {

// base x max(1, ceil(width / s)), at most TBeta::kMaxBins.
std::int64_t BinsFor(std::int64_t base, double width, double s) {
    const double k = std::ceil(width / s);
    if (!(k > 1.0)) return base;  // also a NaN, which a positive s never gives
    const std::int64_t maxK = TBeta::kMaxBins / base;
    if (k >= static_cast<double>(maxK)) return maxK * base;
    return base * static_cast<std::int64_t>(k);
}

// The smallest k in [from, to] with cdf(edge k) >= level, or to + 1.
std::int64_t FirstEdgeAtLeast(const TBetaCdfFixed& cdf, std::int64_t bins, double level,
                              std::int64_t from, std::int64_t to) {
    std::int64_t lo = from;
    std::int64_t hi = to + 1;
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (cdf(TCdfWindow::Edge(mid, bins)) >= level) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

// The Cdf of a distribution at any edge of a grid: from its window where it has one, else in full.
class TEdgeCdf {
  public:
    TEdgeCdf(const TBetaCdfFixed& cdf, const TCdfWindow& window) : m_cdf(cdf), m_window(window) {}

    double At(std::int64_t k) const {
        if (k >= m_window.First() && k <= m_window.Last()) return m_window.At(k);
        return m_cdf(TCdfWindow::Edge(k, m_window.Bins()));
    }

  private:
    const TBetaCdfFixed& m_cdf;
    const TCdfWindow& m_window;
};

constexpr std::size_t kMaxCachedValues = 16'000'000;  // 128 MB of windows at most

}  // namespace

TCdfWindow::TCdfWindow(const TBeta& dist, std::int64_t bins, double tail) : m_bins(bins) {
    const TBetaCdfFixed cdf(dist.Alpha, dist.Beta);
    // Edge 0 is 0 and edge n is 1: Cdf 0 and 1, so 1 <= first <= last <= n.
    m_first = FirstEdgeAtLeast(cdf, bins, tail, 1, bins);
    m_last = FirstEdgeAtLeast(cdf, bins, 1.0 - tail, m_first, bins);
    m_first = std::min(m_first, bins);
    m_last = std::min(m_last, bins);
    m_values.reserve(static_cast<std::size_t>(m_last - m_first + 1));
    for (std::int64_t k = m_first; k <= m_last; ++k)
        m_values.push_back(cdf(Edge(k, bins)));
}

const TCdfWindow& TCdfWindowCache::window(const TBeta& dist, std::int64_t bins) {
    const auto key = std::make_tuple(std::bit_cast<std::uint64_t>(dist.Alpha),
                                     std::bit_cast<std::uint64_t>(dist.Beta), bins);
    const auto found = m_windows.find(key);
    if (found != m_windows.end()) return *found->second;
    auto made = std::make_unique<TCdfWindow>(dist, bins, TBeta::kProbAboveTail);
    ++m_made;
    const std::size_t size = static_cast<std::size_t>(made->Last() - made->First() + 1);
    if (m_values + size > kMaxCachedValues) {
        m_windows.clear();
        m_values = 0;
    }
    m_values += size;
    return *m_windows.emplace(key, std::move(made)).first->second;
}

double TBeta::Mean() const {
    return Alpha / (Alpha + Beta);
}

double TBeta::StdDev() const {
    const double sum = Alpha + Beta;
    return std::sqrt(Alpha * Beta / (sum * sum * (sum + 1.0)));
}

double TBeta::Cdf(double x) const {
    return BetaCdf(x, Alpha, Beta, 0.0, 1.0);
}

double TBeta::Quantile(double p) const {
    return BetaQuantile(p, Alpha, Beta, 0.0, 1.0);
}

std::int64_t TBeta::ProbAboveBins(double s) {
    return BinsFor(200, 0.02, s);
}

std::int64_t TBeta::OverlapBins(double s) {
    return BinsFor(1000, 0.004, s);
}

double TBeta::ProbAbove(const TBeta& other) const {
    TCdfWindowCache once;
    return ProbAbove(other, once);
}

double TBeta::ProbAbove(const TBeta& other, TCdfWindowCache& cache) const {
    // The sum over bins i = 1..n of (X(e_i) - X(e_{i-1})) * Y(e_{i-1}). Below Y's window Y is
    // under the tail, so those bins add less than tail x X(e_first); from its last edge on Y is
    // over 1 - tail, so those bins add X's mass there, 1 - X(e_last), less at most tail x that.
    const TBetaCdfFixed cdfX(Alpha, Beta);  // 171 for this distribution before any work
    const std::int64_t n = ProbAboveBins(std::min(StdDev(), other.StdDev()));
    const TCdfWindow& y = cache.window(other, n);
    double sum = 0.0;
    double lowX = cdfX(TCdfWindow::Edge(y.First(), n));
    for (std::int64_t i = y.First() + 1; i <= y.Last(); ++i) {
        const double highX = cdfX(TCdfWindow::Edge(i, n));
        if (highX != lowX) sum = sum + (highX - lowX) * y.At(i - 1);
        lowX = highX;
    }
    sum = sum + (1.0 - lowX);
    return std::clamp(sum, 0.0, 1.0);
}

double TBeta::Overlap(const TBeta& other) const {
    const TBetaCdfFixed cdfX(Alpha, Beta);
    const TBetaCdfFixed cdfY(other.Alpha, other.Beta);
    const std::int64_t n = OverlapBins(std::min(StdDev(), other.StdDev()));
    const TCdfWindow windowX(*this, n, kOverlapTail);
    const TCdfWindow windowY(other, n, kOverlapTail);
    const TEdgeCdf x(cdfX, windowX);
    const TEdgeCdf y(cdfY, windowY);
    // Below edge lo - 1 both Cdfs are under the tail and from edge hi on both are over 1 - tail:
    // the bins there are taken as one bin each, which moves each sum by less than the tail.
    const std::int64_t lo = std::min(windowX.First(), windowY.First());
    const std::int64_t hi = std::max(windowX.Last(), windowY.Last());
    double larger = 0.0;
    double smaller = 0.0;
    const auto add = [&](double f, double g) {
        larger = larger + std::max(f, g);
        smaller = smaller + std::min(f, g);
    };
    const std::int64_t start = std::max<std::int64_t>(lo - 1, 0);
    double lowX = x.At(start);
    double lowY = y.At(start);
    add(lowX, lowY);
    for (std::int64_t i = start + 1; i <= hi; ++i) {
        const double highX = x.At(i);
        const double highY = y.At(i);
        add(highX - lowX, highY - lowY);
        lowX = highX;
        lowY = highY;
    }
    add(1.0 - lowX, 1.0 - lowY);
    if (!(larger > 0.0)) return 1.0;
    return std::clamp(smaller / larger, 0.0, 1.0);
}
