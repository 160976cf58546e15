// Tests of the special functions (stats/StStat). Reference values were computed
// independently with Python's math.lgamma and mpmath (betainc, beta, findroot at 30-40 digits), at
// the 64-bit value of each argument (some older ones at the 32-bit float value a test passes);
// tests/stats/beta_reference.py prints them, large_count_reference.py those of LargeCount_test.

#include "stats/StStat.h"

#include <gtest/gtest.h>

#include "tests/stats/StatErrorCode.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

std::uint64_t Bits(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// B(a, b) from LnGamma.
double BetaFunction(float a, float b) {
    return std::exp(static_cast<double>(LnGamma(a)) + LnGamma(b) - LnGamma(a + b));
}

}  // namespace

// ----- EStStatError
// -------------------------------------------------------------------------------

TEST(EStStatError, CodesAndMessages) {
    static_assert(std::is_base_of_v<std::runtime_error, EStStatError>);
    const EStStatError invalid(171);
    EXPECT_EQ(invalid.Code(), 171);
    EXPECT_STREQ(invalid.what(), "Invalid parameter");
    const EStStatError noConv(kStErrNoConvergence);
    EXPECT_EQ(noConv.Code(), 173);
    EXPECT_STREQ(noConv.what(), "no convergence in numerical routine");
    EXPECT_EQ(kStErrInvalidParameter, 171);
    // Caught as a plain std::exception by a default handler, with the message.
    try {
        LnGamma(0.0f);
        FAIL() << "LnGamma(0) did not raise";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Invalid parameter");
    }
}

// ----- LnGamma
// ------------------------------------------------------------------------------------

TEST(LnGamma, KnownValues) {
    EXPECT_NEAR(LnGamma(1.0f), 0.0, 1e-6);
    EXPECT_NEAR(LnGamma(2.0f), 0.0, 1e-6);
    EXPECT_NEAR(LnGamma(0.5f), 0.5723649429247004, 1e-6);  // ln sqrt(pi)
    EXPECT_NEAR(LnGamma(3.5f), 1.2009736023470738, 1e-6);
    EXPECT_NEAR(LnGamma(10.0f), 12.801827480081467, 1e-5);  // ln 9!
    EXPECT_NEAR(LnGamma(100.0f), 359.1342053695754, 1e-4);
    EXPECT_NEAR(LnGamma(0.001f), 6.907178885383854, 1e-5);
    // Large arguments: 64-bit floats keep the value near 3e5 to far below a unit.
    EXPECT_NEAR(LnGamma(32500.0), 305138.07391374256, 1e-6);
}

TEST(LnGamma, NotPositiveIsInvalid) {
    EXPECT_EQ(ErrorCode([] { LnGamma(0.0f); }), 171);
    EXPECT_EQ(ErrorCode([] { LnGamma(-1.0f); }), 171);
    EXPECT_EQ(ErrorCode([] { LnGamma(-0.0f); }), 171);
    EXPECT_EQ(ErrorCode([] { LnGamma(kNaN); }), 171);
    EXPECT_EQ(ErrorCode([] { LnGamma(1e-30f); }), 0);
    EXPECT_EQ(ErrorCode([] { LnGamma(1e-300); }), 0);
}

TEST(LnGamma, KnownValuesOfTheBetaFunction) {
    EXPECT_NEAR(BetaFunction(1, 1), 1.0, 1e-6);
    EXPECT_NEAR(BetaFunction(2, 3), 1.0 / 12.0, 1e-7);
    EXPECT_NEAR(BetaFunction(0.5f, 0.5f), 3.141592653589793, 3e-6);  // pi
    EXPECT_NEAR(BetaFunction(5, 7), 1.0 / 2310.0, 1e-9);
    EXPECT_NEAR(BetaFunction(1.5f, 2.5f), 0.19634954084936207, 1e-6);  // pi / 16
}

// Everything is in 64-bit floats: LnGamma is Numerical Recipes' gammln step by step, the continued
// fraction and BetaCdf are the exact values at the 64-bit arguments to rounding (mpmath;
// tests/stats/beta_reference.py prints all of them). The 32-bit fraction of before missed these
// by up to 2e-7.
TEST(SpecialFunctions, SixtyFourBitThroughout) {
    const std::pair<double, double> lnGamma[] = {
        {0.5, 0.572364942924743},   {1.5, -0.12078223763524987}, {3.5, 1.2009736023470738},
        {10.0, 12.801827480081961}, {100.0, 359.1342053696796},  {0.001, 6.907178885383853},
        {7.25, 7.052185450738567},  {30.6, 73.29376201750776},   {32563, 305792.64067577076},
        {65001, 655345.7256881451}};
    for (const auto& [x, value] : lnGamma)
        EXPECT_DOUBLE_EQ(LnGamma(x), value) << x;
    struct TCase {
        double a, b, x;
        double value;
    };
    const TCase fraction[] = {{50, 50, 0.49, 10.791227584425414},
                              {200, 180, 0.5, 13.275244359653952},
                              {30.6, 71.4, 0.3, 8.503362484189005},
                              {12, 15, 0.44, 5.737667645248053}};
    for (const auto& c : fraction) {
        EXPECT_NEAR(BetaContinuedFraction(c.a, c.b, c.x), c.value, 1e-13 * c.value)
            << c.a << " " << c.b;
    }
    struct TCdfCase {
        double x, a, b;
        double value;
    };
    const TCdfCase cdf[] = {{0.3, 2, 5, 0.5798249999999999},
                            {0.1, 0.5, 0.5, 0.20483276469913345},
                            {0.9, 10, 3, 0.889130022255},
                            {0.25, 7.5, 2.5, 0.00040861560216952044},
                            {0.7, 3, 3, 0.8369199999999999},
                            {0.35, 30.6, 71.4, 0.8638375652560192},
                            {0.42, 12, 15, 0.40519596720175965},
                            {0.0001, 1, 32562, 0.9614717222721855},
                            {0.49998, 32500, 32500, 0.49593165721853527}};
    for (const auto& c : cdf) {
        EXPECT_NEAR(BetaCdf(c.x, c.a, c.b, 0, 1), c.value, 1e-14)
            << c.x << " " << c.a << " " << c.b;
    }
    // Large arguments: within the Lanczos formula's own error of the exact ln Gamma.
    for (const double x : {32563.0, 65001.0, 250000.0})
        EXPECT_NEAR(LnGamma(x), std::lgamma(x), 1e-9 * std::fabs(std::lgamma(x))) << x;
}

// ----- SignOf
// -------------------------------------------------------------------------------------

TEST(SignOf, MagnitudeWithSignOfSecond) {
    EXPECT_EQ(SignOf(3.0f, 2.0f), 3.0f);
    EXPECT_EQ(SignOf(-3.0f, 2.0f), 3.0f);
    EXPECT_EQ(SignOf(3.0f, -2.0f), -3.0f);
    EXPECT_EQ(SignOf(-3.0f, -2.0f), -3.0f);
    EXPECT_EQ(SignOf(-3.0f, 0.0f), 3.0f);   // b = 0 counts as positive
    EXPECT_EQ(SignOf(-3.0f, -0.0f), 3.0f);  // so does -0 (-0 >= 0)
}

// ----- BetaContinuedFraction and its iteration cap
// ------------------------------------------------

TEST(BetaContinuedFraction, IterationCap) {
    EXPECT_EQ(BetaCfMaxIterations(1, 1), 100);
    EXPECT_EQ(BetaCfMaxIterations(100, 3), 100);  // 10 x sqrt(100) = 100
    EXPECT_EQ(BetaCfMaxIterations(3, 100), 100);
    EXPECT_EQ(BetaCfMaxIterations(10000, 1), 1000);
    EXPECT_EQ(BetaCfMaxIterations(1, 10000), 1000);
    EXPECT_EQ(BetaCfMaxIterations(32500, 32500), 1802);  // 10 x 180.2776
    EXPECT_EQ(BetaCfMaxIterations(kNaN, 1), 100);
}

// The mended cap: a = b = 32500 near x = 0.49998 needs more than 100 iterations at some points,
// where the plain fraction raised 173; with the cap every point converges, and wherever 100
// sufficed the result is the plain fraction's to the bit.
TEST(BetaContinuedFraction, LargeParametersNeedMoreThan100) {
    int neededMore = 0;
    int points = 0;
    for (float x = 0.49997f; x < 0.49999f; x = std::nextafter(x, 1.0f)) {
        ++points;
        double plain = 0.0;
        const int plainCode =
            ErrorCode([&] { plain = BetaContinuedFraction(32500, 32500, x, 100); });
        double mended = 0.0;
        ASSERT_EQ(ErrorCode([&] { mended = BetaContinuedFraction(32500, 32500, x); }), 0) << x;
        if (plainCode == 173) {
            ++neededMore;
        } else {
            ASSERT_EQ(plainCode, 0);
            ASSERT_EQ(Bits(plain), Bits(mended)) << x;
        }
        // The cumulative distribution there (the lower branch, x below 0.5) converges too.
        ASSERT_EQ(ErrorCode([&] { BetaCdf(x, 32500, 32500, 0, 1); }), 0) << x;
    }
    EXPECT_GT(neededMore, 0) << "no point needed more than 100 iterations out of " << points;
}

TEST(BetaContinuedFraction, SameAsPlainWhereHundredSuffices) {
    // Parameters on both sides of 100, where the cap stays 100 or grows.
    const float params[] = {0.5f, 1, 2, 7.5f, 30.6f, 99, 100, 101, 400, 2500, 24722.4f};
    int compared = 0;
    for (const float a : params) {
        for (const float b : params) {
            for (int k = 1; k < 64; ++k) {
                const float x = static_cast<float>(k) / 64.0f;
                double plain = 0.0;
                if (ErrorCode([&] { plain = BetaContinuedFraction(a, b, x, 100); }) != 0) continue;
                ASSERT_EQ(Bits(plain), Bits(BetaContinuedFraction(a, b, x))) << a << " " << b;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 5000);
}

TEST(BetaContinuedFraction, NoConvergence) {
    // A fraction that truly does not converge still raises 173.
    EXPECT_EQ(ErrorCode([] { BetaContinuedFraction(kNaN, 2, 0.5f); }), 173);
    EXPECT_EQ(ErrorCode([] { BetaContinuedFraction(2, 2, kNaN); }), 173);
    // And one that needs more iterations than it is given.
    EXPECT_EQ(ErrorCode([] { BetaContinuedFraction(50, 50, 0.49f, 2); }), 173);
    EXPECT_EQ(ErrorCode([] { BetaContinuedFraction(50, 50, 0.49f); }), 0);
    // At x = 0 the first step converges: the fraction is 1.
    EXPECT_EQ(BetaContinuedFraction(3, 4, 0.0f), 1.0f);
}

// ----- BetaCdf
// ------------------------------------------------------------------------------------

TEST(BetaCdf, KnownValues) {
    // mpmath betainc(a, b, 0, x, regularized=True) at the float value of x.
    EXPECT_NEAR(BetaCdf(0.3f, 2, 5, 0, 1), 0.579825025759935, 2e-6);
    EXPECT_NEAR(BetaCdf(0.1f, 0.5f, 0.5f, 0, 1), 0.20483276628019575, 2e-6);
    EXPECT_NEAR(BetaCdf(0.9f, 10, 3, 0, 1), 0.8891299612919527, 2e-6);
    EXPECT_NEAR(BetaCdf(0.25f, 7.5f, 2.5f, 0, 1), 0.00040861560216952044, 2e-8);
    EXPECT_NEAR(BetaCdf(0.2f, 1, 1, 0, 1), 0.2, 1e-6);
    EXPECT_NEAR(BetaCdf(0.7f, 3, 3, 0, 1), 0.8369199842286106, 2e-6);
    // Large parameters, where the 32-bit fraction of before missed by 3e-5: now to rounding.
    EXPECT_NEAR(BetaCdf(0.0001f, 1, 32562, 0, 1), 0.9614717191025888, 1e-13);
    EXPECT_NEAR(BetaCdf(0.5f, 2, 2, 0, 1), 0.5, 1e-6);
    // At a = b = 32500: exact 0.4959 at the float of 0.49998.
    EXPECT_NEAR(BetaCdf(0.49998f, 32500, 32500, 0, 1), 0.4959321945624672, 1e-13);
}

// The tolerance of the identities below, kept from the 32-bit arithmetic (whose error grew with
// the log-gamma values it subtracted); the 64-bit functions meet them with a wide margin.
double Tolerance(float a, float b) {
    return 2e-6 + (std::fabs(std::lgamma(static_cast<double>(a) + b)) +
                   std::fabs(std::lgamma(static_cast<double>(a))) +
                   std::fabs(std::lgamma(static_cast<double>(b)))) /
                      8388608.0;
}

TEST(BetaCdf, EndsAndSymmetry) {
    const float params[] = {0.01f, 0.5f, 1, 2, 7.5f, 30.6f, 71.4f, 1000, 32500};
    for (const float a : params) {
        for (const float b : params) {
            EXPECT_EQ(BetaCdf(0, a, b, 0, 1), 0.0f) << a << " " << b;
            EXPECT_EQ(BetaCdf(1, a, b, 0, 1), 1.0f) << a << " " << b;
            for (const float x : {0.05f, 0.3f, 0.5f, 0.8f}) {
                // I_x(a, b) = 1 - I_{1-x}(b, a)
                EXPECT_NEAR(BetaCdf(x, a, b, 0, 1), 1.0 - BetaCdf(1.0f - x, b, a, 0, 1),
                            Tolerance(a, b))
                    << x << " " << a << " " << b;
            }
        }
        EXPECT_NEAR(BetaCdf(0.5f, a, a, 0, 1), 0.5, Tolerance(a, a)) << a;
    }
    EXPECT_NEAR(BetaCdf(0.5f, 7.5f, 7.5f, 0, 1), 0.5, 1e-6);
}

TEST(BetaCdf, OnAnInterval) {
    EXPECT_NEAR(BetaCdf(3, 2, 2, 2, 4), 0.5, 1e-6);
    EXPECT_NEAR(BetaCdf(-0.4f, 2, 5, -1, 1), BetaCdf(0.3f, 2, 5, 0, 1), 2e-6);
    EXPECT_EQ(BetaCdf(2, 2, 5, 2, 4), 0.0f);
    EXPECT_EQ(BetaCdf(4, 2, 5, 2, 4), 1.0f);
}

TEST(BetaCdf, InvalidParameters) {
    EXPECT_EQ(ErrorCode([] { BetaCdf(-0.1f, 2, 2, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaCdf(1.1f, 2, 2, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaCdf(0.5f, 2, 2, 1, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaCdf(0.5f, 0, 2, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaCdf(0.5f, 2, 0, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaCdf(0.5f, -1, 2, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaCdf(0.5f, 2, -1, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaCdf(0.0f, 0, 2, 0, 1); }), 171);  // also at the ends
    EXPECT_EQ(ErrorCode([] { BetaCdf(1.0f, 2, 0, 0, 1); }), 171);
    // Not numbers are outside the domain too.
    EXPECT_EQ(ErrorCode([] { BetaCdf(kNaN, 2, 2, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaCdf(0.5f, kNaN, 2, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaCdf(0.0f, 2, kNaN, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaCdf(0.5f, kInf, 2, 0, 1); }), 171);
    // Past kMaxShape a parameter is no count plus m of any table.
    EXPECT_EQ(ErrorCode([] { BetaCdf(0.5f, 2, 2 * kMaxShape, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaCdf(0.5f, kMaxShape, kMaxShape, 0, 1); }), 0);
}

// Where the exponential term is 0 the continued fraction is not needed: the result is 0 or 1 at
// once, also where the fraction itself would not converge within the plain 100 iterations.
TEST(BetaCdf, ZeroExponentialTermSkipsTheFraction) {
    // Beta(32500, 32500) far in its tails: the 64-bit term underflows (its exponent is below
    // -746), the value is exactly 0 or 1. At 0.45 it is still 2e-144.
    EXPECT_EQ(BetaCdf(0.40f, 32500, 32500, 0, 1), 0.0);
    EXPECT_EQ(BetaCdf(0.60f, 32500, 32500, 0, 1), 1.0);
    EXPECT_GT(BetaCdf(0.45f, 32500, 32500, 0, 1), 0.0);
    EXPECT_LT(BetaCdf(0.45f, 32500, 32500, 0, 1), 1e-140);
    EXPECT_EQ(BetaCdf(0.01f, 1, 65003, 0, 1), 1.0f);
}

// ----- BetaQuantile
// -------------------------------------------------------------------------------

TEST(BetaQuantile, KnownValuesAndInverse) {
    EXPECT_EQ(BetaQuantile(0, 3, 7, 0, 1), 0.0f);
    EXPECT_EQ(BetaQuantile(1, 3, 7, 0, 1), 1.0f);
    EXPECT_EQ(BetaQuantile(0, 3, 7, 2, 5), 2.0f);
    EXPECT_EQ(BetaQuantile(1, 3, 7, 2, 5), 5.0f);
    EXPECT_NEAR(BetaQuantile(0.5f, 2, 2, 0, 1), 0.5, 3e-7);
    // mpmath: the root of betainc(3, 7, 0, t) = p.
    const double ref[][2] = {{0.05, 0.09774681343927574},
                             {0.1, 0.1294972968576896},
                             {0.5, 0.2862366680227827},
                             {0.9, 0.490081194445803},
                             {0.95, 0.5496416495066101}};
    for (const auto& [p, q] : ref) {
        const float got = BetaQuantile(static_cast<float>(p), 3, 7, 0, 1);
        EXPECT_NEAR(got, q, 2e-6) << p;
        EXPECT_NEAR(BetaCdf(got, 3, 7, 0, 1), p, 2e-6) << p;
    }
    // On an interval: the median of a symmetric distribution is the middle.
    EXPECT_NEAR(BetaQuantile(0.5f, 4, 4, 2, 4), 3.0, 1e-6);
}

TEST(BetaQuantile, InvalidParameters) {
    EXPECT_EQ(ErrorCode([] { BetaQuantile(1.5f, 2, 2, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaQuantile(-0.1f, 2, 2, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaQuantile(kNaN, 2, 2, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaQuantile(0.5f, 0, 2, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaQuantile(0.5f, 2, 0, 0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaQuantile(0.5f, 2, 2, 1, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { BetaQuantile(0.0f, 0, 2, 0, 1); }), 171);  // checked before p = 0
}

// ----- TBetaCdfFixed
// ------------------------------------------------------------------------------

namespace {

struct TParams {
    float a;
    float b;
};

// Distributions of every shape the program meets: wide, narrow, with a tiny parameter (a class
// value without records), mirrored, and large.
const TParams kShapes[] = {
    {2, 2},
    {0.5f, 0.5f},
    {1, 1},
    {30.60396f, 71.39604f},
    {7841.6f, 24722.4f},
    {1.0000307f, 32562},
    {32562, 1.0000307f},
    {3.07e-5f, 32563},
    {32563, 3.07e-5f},
    {1e-3f, 5},
    {32500, 32500},
    {0.01f, 100},
    {125.02f, 9876.98f},
    {4.9975e-4f, 2001},
    {2e6f, 3e6f},
    {5e6f, 1e6f},
};

}  // namespace

// The prepared evaluator gives BetaCdf's results to the bit, and outside its bulk bounds BetaCdf
// gives exactly the step: the facts that ProbAbove and Overlap rely on to skip work.
TEST(TBetaCdfFixed, SameAsBetaCdfAndStepOutsideBulk) {
    for (const auto& [a, b] : kShapes) {
        const TBetaCdfFixed fixed(a, b);
        const TBetaCdfFixed::TBounds bounds = fixed.ZeroTermBounds();
        EXPECT_LE(bounds.lo, bounds.hi);
        // A grid as fine as ProbAbove uses for the distribution (some 100-200 thousand points),
        // plus the float neighbours of the bounds.
        const double mean = static_cast<double>(a) / (static_cast<double>(a) + b);
        const double sd = std::sqrt(mean * (1 - mean) / (static_cast<double>(a) + b + 1));
        const std::int64_t n =
            std::min<std::int64_t>(200000, 200 * std::max(1.0, std::ceil(0.02 / sd)));
        std::vector<float> xs;
        for (std::int64_t i = 0; i <= n; ++i) {
            xs.push_back(static_cast<float>(static_cast<double>(i) / static_cast<double>(n)));
        }
        for (const double edge : {bounds.lo, bounds.hi}) {
            if (edge < 0 || edge > 1) continue;
            float v = static_cast<float>(edge);
            for (int k = 0; k < 50; ++k)
                v = std::nextafter(v, 0.0f);
            for (int k = 0; k < 100 && v <= 1.0f; ++k, v = std::nextafter(v, 2.0f))
                xs.push_back(v);
        }
        int outside = 0;
        for (const float x : xs) {
            double plain = 0.0;
            const int code = ErrorCode([&] { plain = BetaCdf(x, a, b, 0, 1); });
            double prepared = 0.0;
            ASSERT_EQ(ErrorCode([&] { prepared = fixed(x); }), code) << a << " " << b << " " << x;
            if (code != 0) continue;
            ASSERT_EQ(Bits(plain), Bits(prepared)) << a << " " << b << " " << x;
            if (x <= bounds.lo || x >= bounds.hi) {
                ++outside;
                ASSERT_EQ(Bits(plain), Bits(fixed.Step(x))) << a << " " << b << " " << x;
            }
        }
        // The skipping is not idle: shapes with both parameters at least 2, or one of 100, have
        // points outside their bulk (for the others the 64-bit term underflows nowhere in (0, 1)).
        if (a < 1e6f && (std::min(a, b) >= 2 || std::max(a, b) >= 100)) {
            EXPECT_GT(outside, 0) << a << " " << b;
        }
    }
}

TEST(TBetaCdfFixed, InvalidParameters) {
    EXPECT_EQ(ErrorCode([] { TBetaCdfFixed(0, 1); }), 171);
    EXPECT_EQ(ErrorCode([] { TBetaCdfFixed(1, -1); }), 171);
    EXPECT_EQ(ErrorCode([] { TBetaCdfFixed(kNaN, 1); }), 171);
    // Beyond 1e7 the bounds hold too (the exponent is computed around the mean, exact to rounding).
    const TBetaCdfFixed wide(2e7, 2e7);
    const TBetaCdfFixed::TBounds bounds = wide.ZeroTermBounds();
    EXPECT_GT(bounds.lo, 0.49);
    EXPECT_LT(bounds.lo, 0.5);
    EXPECT_GT(bounds.hi, 0.5);
    EXPECT_LT(bounds.hi, 0.51);
    EXPECT_EQ(wide(bounds.lo), 0.0);
    EXPECT_EQ(wide(bounds.hi), 1.0);
    EXPECT_GT(wide(bounds.lo + 0.001), 0.0);
    EXPECT_NEAR(bounds.hi - 0.5, 0.5 - bounds.lo, 1e-9);  // the distribution is symmetric
}
