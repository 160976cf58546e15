// Tests of TBeta (stats/uTavBeta) with the fine-grained ProbAbove and Overlap.
// Reference values were computed independently (Python fractions and math, mpmath quad/betainc);
// the sums are checked against plain loops written here from the definitions.

#include "stats/uTavBeta.h"

#include <gtest/gtest.h>

#include "tests/stats/StatErrorCode.h"

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

TBeta Make(double alpha, double beta) {
    TBeta b;
    b.Alpha = alpha;
    b.Beta = beta;
    return b;
}

// The distributions of Evaluate for a class value held by n of d records with m = 2 and
// m(prior) = 1 and no condition: q = (n + 0.5)/(d + 1), alpha = n + 2q, beta = d - n + 2(1 - q).
TBeta Evaluated(double n, double d) {
    const double q = (n + 0.5) / (d + 1.0);
    return Make(n + 2.0 * q, (d - n) + (1.0 - q) * 2.0);
}

// The plain ProbAbove, literally: 200 bins, x = i/200, edges x and x - 0.005.
double plainProbAbove(const TBeta& x, const TBeta& y) {
    double sum = 0.0;
    for (int i = 1; i <= 200; ++i) {
        const double e = i / 200.0;
        sum = sum + (x.Cdf(e) - x.Cdf(e - 0.005)) * y.Cdf(e - 0.005);
    }
    return sum;
}

// The plain Overlap, literally: 1000 bins, edges x and x - 0.001.
double plainOverlap(const TBeta& x, const TBeta& y) {
    double larger = 0.0;
    double smaller = 0.0;
    for (int i = 1; i <= 1000; ++i) {
        const double e = i / 1000.0;
        const double f = x.Cdf(e) - x.Cdf(e - 0.001);
        const double g = y.Cdf(e) - y.Cdf(e - 0.001);
        if (f > g) {
            larger = larger + f;
            smaller = smaller + g;
        } else {
            larger = larger + g;
            smaller = smaller + f;
        }
    }
    return smaller / larger;
}

// The fine-grained sum over n bins, every edge evaluated in full (bin i from (i - 1)/n to i/n).
double PlainProbAbove(const TBeta& x, const TBeta& y, std::int64_t n) {
    double sum = 0.0;
    for (std::int64_t i = 1; i <= n; ++i) {
        const double hi = static_cast<double>(i) / static_cast<double>(n);
        const double lo = static_cast<double>(i - 1) / static_cast<double>(n);
        sum = sum + (x.Cdf(hi) - x.Cdf(lo)) * y.Cdf(lo);
    }
    return sum;
}

double PlainOverlap(const TBeta& x, const TBeta& y, std::int64_t n) {
    double larger = 0.0;
    double smaller = 0.0;
    for (std::int64_t i = 1; i <= n; ++i) {
        const double hi = static_cast<double>(i) / static_cast<double>(n);
        const double lo = static_cast<double>(i - 1) / static_cast<double>(n);
        const double f = x.Cdf(hi) - x.Cdf(lo);
        const double g = y.Cdf(hi) - y.Cdf(lo);
        if (f > g) {
            larger = larger + f;
            smaller = smaller + g;
        } else {
            larger = larger + g;
            smaller = smaller + f;
        }
    }
    return smaller / larger;
}

double SmallerStdDev(const TBeta& x, const TBeta& y) {
    return std::min(x.StdDev(), y.StdDev());
}

}  // namespace

// ----- Mean, StdDev, Cdf, Quantile
// ----------------------------------------------------------------

TEST(TBeta, CreatedWithZeroParameters) {
    const TBeta b;
    EXPECT_EQ(b.Alpha, 0.0);
    EXPECT_EQ(b.Beta, 0.0);
    EXPECT_EQ(ErrorCode([&] { b.Cdf(0.5); }), 171);
}

TEST(TBeta, MeanAndStdDev) {
    const TBeta uniform = Make(1, 1);
    EXPECT_DOUBLE_EQ(uniform.Mean(), 0.5);
    EXPECT_NEAR(uniform.StdDev(), std::sqrt(1.0 / 12.0), 1e-15);  // 0.2887
    // The 30-of-100 example of the frequency table: q = 30.5/101, alpha = 30.60396..., beta
    // = 71.39604...; with Python's fractions: mean 0.300038827412153, sd 0.04515512953016902.
    const TBeta example = Evaluated(30, 100);
    EXPECT_NEAR(example.Alpha, 30.603960396039604, 1e-12);
    EXPECT_NEAR(example.Beta, 71.39603960396039, 1e-12);
    EXPECT_NEAR(example.Mean(), 0.300038827412153, 1e-14);
    EXPECT_NEAR(example.StdDev(), 0.04515512953016902, 1e-14);
    // Beta(2, 3): mean 2/5, variance 6/(25 x 6) = 1/25.
    EXPECT_NEAR(Make(2, 3).Mean(), 0.4, 1e-15);
    EXPECT_NEAR(Make(2, 3).StdDev(), 0.2, 1e-15);
}

TEST(TBeta, CdfEdgeCases) {
    for (const auto& b :
         {Make(1, 1), Make(2, 2), Make(0.5, 3), Make(30.6, 71.4), Make(4e-4, 2001)}) {
        EXPECT_EQ(b.Cdf(0), 0.0);
        EXPECT_EQ(b.Cdf(1), 1.0);
    }
    EXPECT_NEAR(Make(2, 2).Cdf(0.5), 0.5, 1e-6);
    EXPECT_NEAR(Make(2, 5).Cdf(0.3), 0.579825025759935, 2e-6);  // mpmath, at the float of 0.3
    EXPECT_EQ(ErrorCode([] { Make(0, 1).Cdf(0.5); }), 171);
    EXPECT_EQ(ErrorCode([] { Make(1, 0).Cdf(0.5); }), 171);
    EXPECT_EQ(ErrorCode([] { Make(1, 1).Cdf(-0.001); }), 171);
    EXPECT_EQ(ErrorCode([] { Make(1, 1).Cdf(1.001); }), 171);
    // A parameter below the smallest 32-bit float is a valid 64-bit one (it made 171 while the
    // parameters were rounded to 32 bits): I_0.5(1e-300, 1) = 0.5^1e-300 = 1.
    EXPECT_EQ(ErrorCode([] { Make(1e-300, 1).Cdf(0.5); }), 0);
    EXPECT_EQ(Make(1e-300, 1).Cdf(0.5), 1.0);
    EXPECT_EQ(ErrorCode([] { Make(-1e-300, 1).Cdf(0.5); }), 171);
}

TEST(TBeta, QuantileEdgeCasesAndInverse) {
    const TBeta b = Make(2, 2);
    EXPECT_EQ(b.Quantile(0), 0.0);
    EXPECT_EQ(b.Quantile(1), 1.0);
    EXPECT_NEAR(b.Quantile(0.5), 0.5, 3e-7);
    EXPECT_EQ(ErrorCode([&] { b.Quantile(1.5); }), 171);
    EXPECT_EQ(ErrorCode([&] { b.Quantile(-0.5); }), 171);
    EXPECT_EQ(ErrorCode([] { Make(0, 2).Quantile(0.5); }), 171);
    // Quantile is the inverse of Cdf, for the 10 %, 5 % and 1 % boundaries the chart draws.
    for (const auto& d : {Make(3, 7), Make(10, 1), Make(30.6, 71.4), Make(0.7, 0.4)}) {
        for (const double p : {0.01, 0.05, 0.1, 0.5, 0.9, 0.95, 0.99}) {
            const double q = d.Quantile(p);
            EXPECT_GE(q, 0.0);
            EXPECT_LE(q, 1.0);
            EXPECT_NEAR(d.Cdf(q), p, 2e-5) << d.Alpha << " " << d.Beta << " " << p;
        }
    }
    EXPECT_NEAR(Make(3, 7).Quantile(0.9), 0.490081194445803, 2e-6);  // mpmath
}

// ----- Bin counts
// ---------------------------------------------------------------------------------

TEST(TBeta, BinCounts) {
    EXPECT_EQ(TBeta::ProbAboveBins(0.3), 200);
    EXPECT_EQ(TBeta::ProbAboveBins(0.02), 200);  // 0.02/0.02 = 1
    EXPECT_EQ(TBeta::ProbAboveBins(0.0199), 400);
    EXPECT_EQ(TBeta::ProbAboveBins(0.0024), 1800);  // ceil(8.33) = 9
    EXPECT_EQ(TBeta::ProbAboveBins(1.5e-5), 200 * 1334);
    EXPECT_EQ(TBeta::OverlapBins(0.3), 1000);
    EXPECT_EQ(TBeta::OverlapBins(0.004), 1000);
    EXPECT_EQ(TBeta::OverlapBins(0.0015), 3000);  // ceil(2.67) = 3
    // Beyond a million bins (only a distribution with a parameter well below 1, a class value
    // without records, is that narrow) the count stays at the cap.
    EXPECT_EQ(TBeta::ProbAboveBins(1e-9), TBeta::kMaxBins);
    EXPECT_EQ(TBeta::OverlapBins(1e-12), TBeta::kMaxBins);
    EXPECT_EQ(TBeta::kMaxBins % 1000, 0);
    // The 30-of-100 example and a wide distribution keep the plain 200 and 1000.
    EXPECT_EQ(TBeta::ProbAboveBins(Evaluated(30, 100).StdDev()), 200);
    EXPECT_EQ(TBeta::OverlapBins(Make(2, 2).StdDev()), 1000);
}

// ----- ProbAbove
// ----------------------------------------------------------------------------------

TEST(TBeta, ProbAboveOfItselfIsALittleBelowHalf) {
    for (const auto& d :
         {Make(1, 1), Make(2, 2), Make(0.5, 0.5), Make(10, 30), Evaluated(30, 100)}) {
        const double p = d.ProbAbove(d);
        EXPECT_LT(p, 0.5) << d.Alpha << " " << d.Beta;
        EXPECT_GT(p, 0.46) << d.Alpha << " " << d.Beta;
    }
    // The frequency table's "Signif" of the 30-of-100 row under the "Complete set" is about 0.48.
    EXPECT_NEAR(Evaluated(30, 100).ProbAbove(Evaluated(30, 100)), 0.48, 0.01);
}

TEST(TBeta, ProbAboveFarApart) {
    // Exact P(X > Y) for X = Beta(30, 10), Y = Beta(10, 30): 0.9999982 (mpmath quad).
    const TBeta high = Make(30, 10);
    const TBeta low = Make(10, 30);
    EXPECT_NEAR(high.ProbAbove(low), 0.9999982018325209, 1e-4);
    EXPECT_GT(high.ProbAbove(low), 0.999);
    EXPECT_LT(low.ProbAbove(high), 0.001);
    EXPECT_GE(low.ProbAbove(high), 0.0);
}

// The windowed sums skip only terms below the tail: within 1e-9 of the full sums.
constexpr double kWindowed = 1e-9;

// With n = 200 (both distributions at least 0.02 wide) the windowed sum is the plain sum.
TEST(TBeta, ProbAboveWith200BinsIsThePlainSum) {
    const TBeta pairs[][2] = {{Make(30, 10), Make(10, 30)},
                              {Make(10, 30), Make(30, 10)},
                              {Make(2, 2), Make(2, 2)},
                              {Make(1, 1), Make(3, 5)},
                              {Make(0.5, 0.5), Make(2, 3)},
                              {Make(0.7, 0.4), Make(5, 0.9)},
                              {Evaluated(30, 100), Evaluated(30, 100)},
                              {Evaluated(30, 100), Evaluated(12, 25)}};
    for (const auto& [x, y] : pairs) {
        ASSERT_EQ(TBeta::ProbAboveBins(SmallerStdDev(x, y)), 200);
        EXPECT_NEAR(x.ProbAbove(y), plainProbAbove(x, y), kWindowed) << x.Alpha << " " << y.Alpha;
    }
}

// The fault the mend removes: two equal narrow distributions (a rule that changes nothing) summed
// over 200 bins collapse towards 0 and paint the row red; over n bins they stay near 0.47.
TEST(TBeta, ProbAboveOfEqualNarrowDistributionsDoesNotCollapse) {
    const TBeta in10k = Evaluated(125, 10000);       // a class value of 1.25 % in 10,000 records
    const TBeta in30k = Evaluated(375, 30000);       // and in 30,000
    EXPECT_LT(plainProbAbove(in10k, in10k), 0.05);   // the coarse sum: 0.024
    EXPECT_LT(plainProbAbove(in30k, in30k), 0.001);  // the coarse sum: 0.0001
    for (const auto& d : {in10k, in30k, Evaluated(24720, 32561), Evaluated(7841, 32561),
                          Evaluated(1, 32561), Evaluated(32560, 32561)}) {
        const double p = d.ProbAbove(d);
        EXPECT_GT(p, 0.43) << d.Alpha << " " << d.Beta;
        EXPECT_LT(p, 0.5) << d.Alpha << " " << d.Beta;
    }
}

// Above 200 bins the windowed sum is the plain n-bin sum.
TEST(TBeta, ProbAboveIsThePlainSumOverNBins) {
    const TBeta pairs[][2] = {
        {Evaluated(7841, 32561), Evaluated(7841, 32561)},    // n = 1800
        {Evaluated(125, 10000), Evaluated(140, 9000)},       // shifted
        {Evaluated(125, 10000), Make(2, 2)},                 // narrow against wide
        {Make(2, 2), Evaluated(125, 10000)},                 // wide against narrow
        {Evaluated(1, 32561), Evaluated(1, 32561)},          // a rare value: n = 130,400
        {Evaluated(32560, 32561), Evaluated(32560, 32561)},  // its mirror, mass near 1
        {Evaluated(0, 2000), Evaluated(0, 2000)},            // no records: alpha = 1/2001
        {Evaluated(2000, 2000), Evaluated(0, 2000)},         // mass at 1 against mass at 0
        {Make(0.2, 900), Make(300, 600)},                    // far apart
        {Make(300, 600), Make(0.2, 900)},
    };
    for (const auto& [x, y] : pairs) {
        const std::int64_t n = TBeta::ProbAboveBins(SmallerStdDev(x, y));
        ASSERT_GT(n, 200);
        ASSERT_LT(n, TBeta::kMaxBins);
        EXPECT_NEAR(x.ProbAbove(y), PlainProbAbove(x, y, n), kWindowed)
            << x.Alpha << " " << x.Beta << " / " << y.Alpha << " " << y.Beta << " n " << n;
    }
}

// Many pairs as the frequency table meets them (a class value in the context against the same value
// under a rule of any size), pairs of random shapes, and extreme ones: the windowed sums stay
// within 1e-9 of the full sums over the same grid, and inside [0, 1].
TEST(TBeta, WindowedSumsMatchTheFullSumsOnRandomPairs) {
    std::mt19937_64 random(20240611);
    const auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    };
    const auto logUniform = [&](double lo, double hi) {
        return std::exp(uniform(std::log(lo), std::log(hi)));
    };
    std::vector<std::pair<TBeta, TBeta>> pairs;
    for (int k = 0; k < 60; ++k) {
        const double d = std::floor(logUniform(20, 65001));
        const double n = std::floor(uniform(0, 1) < 0.2 ? uniform(0, 3) : uniform(0, d));
        const double rule = std::floor(uniform(1, d));
        const double inRule = std::min(rule, std::floor(n / d * rule * uniform(0.5, 1.5)));
        pairs.push_back({Evaluated(inRule, rule), Evaluated(n, d)});
    }
    for (int k = 0; k < 30; ++k) {
        pairs.push_back({Make(logUniform(1e-4, 2e4), logUniform(1e-4, 2e4)),
                         Make(logUniform(1e-4, 2e4), logUniform(1e-4, 2e4))});
    }
    const TBeta extremes[][2] = {
        {Evaluated(0, 65001), Evaluated(0, 65001)},  // no records: the grid's cap
        {Evaluated(65001, 65001), Evaluated(0, 65001)},
        {Evaluated(0, 3), Evaluated(0, 65001)},  // a tiny rule against a large context
        {Evaluated(1, 1), Evaluated(32500, 65001)},
        {Evaluated(32500, 65001), Evaluated(32500, 65001)},
        {Make(1e-5, 1e-5), Make(1e-5, 1e-5)},  // mass at both ends
        {Make(5e5, 5e5), Make(4e5, 6e5)},      // far apart and narrow
        {Make(0.5, 0.5), Evaluated(10, 65001)},
    };
    for (const auto& [x, y] : extremes)
        pairs.push_back({x, y});
    int compared = 0;
    for (const auto& [x, y] : pairs) {
        const std::int64_t n = TBeta::ProbAboveBins(SmallerStdDev(x, y));
        const double windowed = x.ProbAbove(y);
        EXPECT_GE(windowed, 0.0);
        EXPECT_LE(windowed, 1.0);
        EXPECT_NEAR(windowed, PlainProbAbove(x, y, n), kWindowed)
            << x.Alpha << " " << x.Beta << " / " << y.Alpha << " " << y.Beta << " n " << n;
        if (TBeta::OverlapBins(SmallerStdDev(x, y)) <= 200000) {
            const std::int64_t m = TBeta::OverlapBins(SmallerStdDev(x, y));
            EXPECT_NEAR(x.Overlap(y), PlainOverlap(x, y, m), kWindowed)
                << x.Alpha << " " << x.Beta << " / " << y.Alpha << " " << y.Beta << " n " << m;
        }
        ++compared;
    }
    EXPECT_EQ(compared, 98);
}

// A cached window gives the same sums as one made afresh, and the entropy-gain run's pattern (one
// context distribution, many rules) makes it once.
TEST(TBeta, CachedWindowIsMadeOnceAndGivesTheSameSum) {
    TCdfWindowCache cache;
    const TBeta context = Evaluated(7841, 32561);
    for (const double rule : {500.0, 2000.0, 9000.0, 30000.0}) {
        const TBeta under = Evaluated(std::floor(rule * 0.3), rule);
        EXPECT_EQ(under.ProbAbove(context, cache), under.ProbAbove(context)) << rule;
    }
    EXPECT_EQ(cache.made(), 1);
    // Another distribution or another grid is another window.
    Evaluated(10, 100).ProbAbove(context, cache);
    EXPECT_EQ(cache.made(), 1);  // the context is narrower: the same grid
    context.ProbAbove(Evaluated(10, 100), cache);
    EXPECT_EQ(cache.made(), 2);
}

TEST(TBeta, ProbAboveInvalidParameters) {
    EXPECT_EQ(ErrorCode([] { Make(0, 1).ProbAbove(Make(1, 1)); }), 171);
    EXPECT_EQ(ErrorCode([] { Make(1, 1).ProbAbove(Make(1, 0)); }), 171);
    EXPECT_EQ(ErrorCode([] { Make(-0.5, 3).ProbAbove(Make(1, 1)); }), 171);
    EXPECT_EQ(ErrorCode([] { Make(1, 1).ProbAbove(TBeta()); }), 171);
    // Also through a cache, and a NaN is never taken for a window made before.
    TCdfWindowCache cache;
    Make(1, 1).ProbAbove(Make(2, 2), cache);
    EXPECT_EQ(ErrorCode([&] { Make(1, 1).ProbAbove(Make(NAN, 2), cache); }), 171);
    EXPECT_EQ(ErrorCode([&] { Make(1, 1).ProbAbove(Make(2, 0), cache); }), 171);
}

// A class value without records (alpha about 1/d) gives a distribution narrower than any grid; the
// bin count stops at the cap and the sum stays quick.
TEST(TBeta, ProbAboveOfAValueWithoutRecordsIsBounded) {
    const TBeta none = Evaluated(0, 65000);
    EXPECT_EQ(TBeta::ProbAboveBins(none.StdDev()), TBeta::kMaxBins);
    const double p = none.ProbAbove(none);
    EXPECT_TRUE(std::isfinite(p));
    EXPECT_LT(std::fabs(p), 0.1);  // the mass sits in the first bin at every grid size
}

// ----- Overlap
// ------------------------------------------------------------------------------------

TEST(TBeta, OverlapOfIdenticalDistributionsIsOne) {
    for (const auto& d : {Make(1, 1), Make(2, 2), Make(10, 1), Make(0.5, 0.5), Evaluated(30, 100),
                          Evaluated(125, 10000), Evaluated(1, 32561)}) {
        EXPECT_EQ(d.Overlap(d), 1.0) << d.Alpha << " " << d.Beta;
    }
}

TEST(TBeta, OverlapOfDistantDistributionsIsNearZero) {
    EXPECT_LT(Make(2, 200).Overlap(Make(200, 2)), 1e-6);
    const double half = Make(10, 30).Overlap(Make(15, 25));
    EXPECT_GT(half, 0.2);
    EXPECT_LT(half, 0.9);
    EXPECT_DOUBLE_EQ(Make(10, 30).Overlap(Make(15, 25)), Make(15, 25).Overlap(Make(10, 30)));
}

TEST(TBeta, OverlapWith1000BinsIsThePlainSum) {
    const TBeta pairs[][2] = {{Make(10, 30), Make(15, 25)},
                              {Make(2, 2), Make(3, 1)},
                              {Make(1, 1), Make(0.5, 0.5)},
                              {Make(30, 10), Make(10, 30)},
                              {Evaluated(30, 100), Evaluated(12, 25)}};
    for (const auto& [x, y] : pairs) {
        ASSERT_EQ(TBeta::OverlapBins(SmallerStdDev(x, y)), 1000);
        EXPECT_NEAR(x.Overlap(y), plainOverlap(x, y), kWindowed) << x.Alpha << " " << y.Alpha;
    }
}

TEST(TBeta, OverlapIsThePlainSumOverNBins) {
    const TBeta pairs[][2] = {
        {Evaluated(125, 10000), Evaluated(140, 9000)}, {Evaluated(125, 10000), Make(2, 2)},
        {Make(2, 2), Evaluated(125, 10000)},           {Make(0.2, 900), Make(300, 600)},
        {Evaluated(0, 2000), Evaluated(2000, 2000)},   {Evaluated(1, 20000), Evaluated(3, 20000)}};
    for (const auto& [x, y] : pairs) {
        const std::int64_t n = TBeta::OverlapBins(SmallerStdDev(x, y));
        ASSERT_GT(n, 1000);
        ASSERT_LT(n, TBeta::kMaxBins);
        EXPECT_NEAR(x.Overlap(y), PlainOverlap(x, y, n), kWindowed)
            << x.Alpha << " " << x.Beta << " / " << y.Alpha << " " << y.Beta << " n " << n;
    }
}

TEST(TBeta, OverlapInvalidParameters) {
    EXPECT_EQ(ErrorCode([] { Make(0, 1).Overlap(Make(1, 1)); }), 171);
    EXPECT_EQ(ErrorCode([] { Make(1, 1).Overlap(Make(1, -2)); }), 171);
}

// The cap of the continued fraction seen through TBeta: Beta(32500, 32500), the distribution of a
// class value held by half of 65,000 records, near its middle.
TEST(TBeta, LargeDistributionsConverge) {
    const TBeta half = Make(32500, 32500);
    for (float x = 0.49997f; x < 0.49999f; x = std::nextafter(x, 1.0f)) {
        ASSERT_EQ(ErrorCode([&] { half.Cdf(x); }), 0) << x;
    }
    EXPECT_EQ(ErrorCode([&] { half.ProbAbove(half); }), 0);
    EXPECT_EQ(ErrorCode([&] { half.Quantile(0.3); }), 0);
}
