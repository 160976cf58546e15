#include "stats/SignShrinkage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

namespace {

// Standard normal draws by Box-Muller from a fixed engine, the same on every library.
class TNormalDraws {
  public:
    explicit TNormalDraws(uint32_t seed) : m_engine(seed) {}
    double uniform() { return (static_cast<double>(m_engine()) + 0.5) / 4294967296.0; }
    double normal() {
        const double u = uniform(), v = uniform();
        return std::sqrt(-2 * std::log(u)) * std::cos(6.283185307179586 * v);
    }

  private:
    std::mt19937 m_engine;
};

}  // namespace

TEST(SignShrinkage, SValueIsTheMeanLfsrUpToItsOwnWithTiesTogether) {
    const std::vector<double> s = sValues({0.3, 0.0, 0.1, 0.1});
    EXPECT_DOUBLE_EQ(s[1], 0.0);
    EXPECT_DOUBLE_EQ(s[2], 0.2 / 3);
    EXPECT_DOUBLE_EQ(s[3], 0.2 / 3);
    EXPECT_DOUBLE_EQ(s[0], 0.5 / 4);
    EXPECT_TRUE(sValues({}).empty());
}

TEST(SignShrinkage, AllNullEffectsShrinkToNoSign) {
    // Estimates of pure noise: the fit puts nearly all weight on zero and no sign is sure,
    // not even that of the largest estimate.
    TNormalDraws draws(7);
    std::vector<double> x(200), se(200, 1.0);
    for (double& v : x)
        v = draws.normal();
    const TSignShrinkage result = shrinkSigns(x, se);
    EXPECT_GT(result.prior.weight[0], 0.9);
    for (double l : result.lfsr)
        EXPECT_GT(l, 0.05);
}

TEST(SignShrinkage, ClearEffectsKeepTheirSignAndFitIsStableForOrder) {
    std::vector<double> x = {8.0, -6.0, 0.3, -0.2, 0.1, 0.0, 5.0};
    std::vector<double> se(x.size(), 1.0);
    const TSignShrinkage forward = shrinkSigns(x, se);
    EXPECT_LT(forward.lfsr[0], 1e-6);
    EXPECT_LT(forward.lfsr[1], 1e-4);
    EXPECT_GT(forward.lfsr[5], 0.5);  // an estimate of exactly zero says nothing of its sign
    // A wider error on the same estimate is less sure.
    EXPECT_LT(localFalseSignRate(forward.prior, 3.0, 1.0),
              localFalseSignRate(forward.prior, 3.0, 2.0));
    // Reversed input, same answer bit for bit.
    std::vector<double> rx(x.rbegin(), x.rend());
    const TSignShrinkage backward = shrinkSigns(rx, se);
    for (size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(backward.lfsr[x.size() - 1 - i], forward.lfsr[i], 1e-9);
}

TEST(SignShrinkage, DegenerateErrorsNeitherBreakTheFitNorGetASign) {
    const std::vector<double> x = {4.0, 0.5, NAN, 3.0, -5.0};
    const std::vector<double> se = {0.0, 1.0, 1.0, INFINITY, 1.0};
    const TSignShrinkage result = shrinkSigns(x, se);
    EXPECT_EQ(result.lfsr[0], 1.0);
    EXPECT_EQ(result.lfsr[2], 1.0);
    EXPECT_EQ(result.lfsr[3], 1.0);
    EXPECT_TRUE(std::isfinite(result.lfsr[1]));
    EXPECT_LT(result.lfsr[4], 0.05);
    // Nothing usable: the point mass alone, and every sign unknown.
    const TSignShrinkage none = shrinkSigns({1.0}, {0.0});
    EXPECT_EQ(none.prior.sd.size(), 1u);
    EXPECT_EQ(none.lfsr[0], 1.0);
}

TEST(SignShrinkage, LeftOutPairsDoNotShapeThePriorButGetAnLfsr) {
    const std::vector<double> x = {0.1, -0.2, 0.3, 9.0, 9.5, -8.0};
    const std::vector<double> se(x.size(), 1.0);
    const TSignShrinkage fitted = shrinkSigns(x, se, {true, true, true, false, false, false});
    const TSignShrinkage nulls = shrinkSigns({0.1, -0.2, 0.3}, {1.0, 1.0, 1.0});
    EXPECT_EQ(fitted.prior.weight, nulls.prior.weight);
    EXPECT_EQ(fitted.lfsr.size(), x.size());
}

// Calibration: tables of many null effects and a few real ones of known sign, estimated with
// errors of varied size. Among the flagged (lfsr <= 5 %), the share whose true effect is zero or
// of the other sign, over all simulations, stays at or below 5 %.
TEST(SignShrinkage, FlaggedWrongSignShareStaysWithinTheLevel) {
    constexpr double kLevel = 0.05;
    const uint32_t seeds[] = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    const int sizes[] = {20, 60, 200, 600};
    const double realShares[] = {0.05, 0.2};
    long flagged = 0, wrong = 0;
    for (uint32_t seed : seeds) {
        TNormalDraws draws(seed);
        for (int size : sizes) {
            for (double realShare : realShares) {
                std::vector<double> effect(size), x(size), se(size);
                for (int j = 0; j < size; ++j) {
                    se[j] = 0.02 + 0.1 * draws.uniform();
                    effect[j] = draws.uniform() < realShare ? 0.15 * draws.normal() : 0.0;
                    x[j] = effect[j] + se[j] * draws.normal();
                }
                const TSignShrinkage result = shrinkSigns(x, se);
                for (int j = 0; j < size; ++j) {
                    if (result.lfsr[j] > kLevel) continue;
                    ++flagged;
                    if (effect[j] == 0 || (effect[j] > 0) != (x[j] > 0)) ++wrong;
                }
            }
        }
    }
    const double share = flagged > 0 ? static_cast<double>(wrong) / flagged : 0.0;
    std::printf(
        "seeds 11..20, sizes 20/60/200/600, real shares 5 %%/20 %%: %ld flagged, %ld "
        "wrong signs, share %.4f\n",
        flagged, wrong, share);
    RecordProperty("flagged", static_cast<int>(flagged));
    RecordProperty("wrong_signs", static_cast<int>(wrong));
    EXPECT_GT(flagged, 100);
    EXPECT_LE(share, kLevel);
}
