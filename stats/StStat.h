#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

// Special functions of the beta distribution, in 64-bit floats throughout: the parameters and the
// point are used as given (nothing is rounded to 32 bits), so the results hold at any record count
// (tables of 10 million records and more give parameters far beyond 2^24). The regularised
// incomplete beta function costs a bounded amount of work at any size of the parameters: the
// continued fraction where it converges in a few dozen steps, and in the middle of a distribution
// with both parameters at least 100 (where the fraction would need about sqrt(parameter) steps) an
// integral of the density from a point three standard deviations out. The numbers are the same on
// every build (the library is compiled with -ffp-contract=off and without -ffast-math). The
// functions keep no state.

// Error codes of EStStatError.
inline constexpr int kStErrInvalidParameter = 171;  // "Invalid parameter"

// The largest shape parameter taken. Record counts plus m stay far below it; past 2^53 a count is
// no longer a whole number in a double, and squares of sums such as (alpha + beta)^2 (alpha +
// beta + 1) in a standard deviation head for overflow.
inline constexpr double kMaxShape = 1e15;
inline constexpr int kStErrNoConvergence = 173;  // "no convergence in numerical routine"

// The exception the special functions raise; what() is the message text of the code.
class EStStatError : public std::runtime_error {
  public:
    explicit EStStatError(int code);

    int Code() const noexcept { return code_; }

    // The message text of a code: "Invalid parameter" for 171, "no convergence in numerical
    // routine" for 173, "Statistics error N" for any other code.
    static std::string MessageOf(int code);

  private:
    int code_;
};

// ln Gamma(x) for x > 0 (Lanczos, Numerical Recipes gammln), in 64-bit floats. Not x > 0 (NaN
// included): 171.
double LnGamma(double x);

// The continued fraction of the regularised incomplete beta function (modified Lentz, Numerical
// Recipes betacf) in 64-bit floats, tolerance 1e-15 (guard 1e-300), at most
// BetaCfMaxIterations(a, b) iterations; 173 when it does not converge within them.
double BetaContinuedFraction(double a, double b, double x);

// The same with an explicit iteration cap (the plain fraction is maxIterations = 100).
double BetaContinuedFraction(double a, double b, double x, long long maxIterations);

// The iteration cap of the continued fraction: max(100, 10 x sqrt(max(a, b))), rounded down. For
// parameters up to 100 it is the plain 100. The evaluations below never come near it: they use the
// fraction only where it converges within about 70 steps.
long long BetaCfMaxIterations(double a, double b);

// The regularised incomplete beta function I_t(alpha, beta) at t = (x - A)/(B - A): the cumulative
// distribution of a beta distribution on [A, B], to about 1e-14 absolute, computed as
// TBetaCdfFixed(alpha, beta)(t). The result lies in [0, 1]. 171 when x is outside [A, B] (or NaN),
// A = B, or alpha or beta is not a positive number up to kMaxShape. Where the term t^alpha (1 -
// t)^beta / B(alpha, beta) is 0 in 64-bit floats (t = 0, t = 1, or underflow) the result is 0 or 1.
double BetaCdf(double x, double alpha, double beta, double A, double B);

// The x in [A, B] with BetaCdf(x, alpha, beta, A, B) = p (Ridders' method, Numerical Recipes
// zriddr, accuracy 1e-12 x (B - A), at most 100 iterations). 171 for p outside [0, 1] (or NaN),
// A = B, or alpha or beta not a positive number up to kMaxShape; 173 when it does not converge or
// the bracket is lost.
double BetaQuantile(double p, double alpha, double beta, double A, double B);

// |a| with the sign of b (b >= 0 counts as positive).
double SignOf(double a, double b);

// BetaCdf(x, alpha, beta, 0, 1) for many x with the same parameters: the terms that do not depend
// on x (and, for large parameters, the two tails beyond three standard deviations) are computed
// once. Every result is bit-identical to BetaCdf's (BetaCdf is this). How a point is evaluated:
// - The term T(x) = x^alpha (1 - x)^beta / B(alpha, beta) in logarithms: ln B from Stirling's
// series
//   with its correction terms (no large log-gamma values are subtracted), and for both parameters
//   at least 10 as ln T = ln(sqrt(alpha beta / (2 pi (alpha + beta)))) + corrections
//   + alpha f((x - p)/p) + beta f((p - x)/q) with p, q the mean and 1 - mean and
//   f(y) = ln(1 + y) - y, so that it stays exact to rounding near the mean at any size.
// - Both parameters at least 100 and x within three standard deviations of the mean: I (up to the
//   mean) or 1 - I (beyond it) at the nearest of seven anchors a whole number of deviations from
//   the mean, plus the integral of the density from there to x (8-point Gauss-Legendre over at most
//   half a deviation). The anchors are computed once: the continued fraction at three deviations
//   out (a few dozen steps at any size) and 10-point Gauss-Legendre between neighbours.
// - Otherwise T(x) CF(alpha, beta, x)/alpha below (alpha + 1)/(alpha + beta + 2), else
//   1 - T(x) CF(beta, alpha, 1 - x)/beta; where T(x) is 0, the result is Step(x).
class TBetaCdfFixed {
  public:
    // 171 when alpha or beta is not a positive number up to kMaxShape.
    TBetaCdfFixed(double alpha, double beta);

    // BetaCdf(x, alpha, beta, 0, 1); 0 for x <= 0 and 1 for x >= 1.
    double operator()(double x) const;

    // What BetaCdf gives where the term T(x) is 0: 0 below (alpha + 1)/(alpha + beta + 2),
    // else 1.
    double Step(double x) const { return x < threshold_ ? 0.0 : 1.0; }
    double Threshold() const { return threshold_; }

    // Bounds lo and hi of the bulk: for every x in [0, 1] with x <= lo or x >= hi the term T(x) is
    // 0, so the result is Step(x) (x = 0 and x = 1 always are). The bounds come from the computed
    // exponent with a margin of 1 (far more than its rounding), the exact one being concave in x;
    // lo < 0 and hi > 1 when no such x exists.
    struct TBounds {
        double lo;
        double hi;
    };
    TBounds ZeroTermBounds() const;

  private:
    enum class TForm { Centred, Logs };
    double LnTerm(double x) const;     // ln T(x) for 0 < x < 1
    double LowerTail(double x) const;  // T(x) CF(alpha, beta, x)/alpha
    double UpperTail(double x) const;  // T(x) CF(beta, alpha, 1 - x)/beta
    // The integral of the density from `from` to `to` by the Gauss-Legendre rule (its positive
    // nodes and weights).
    template <std::size_t N>
    double Integral(double from, double to, const double (&rule)[N][2]) const;

    static constexpr int kAnchors = 7;  // mean - 3 sd, ..., mean + 3 sd

    double alpha_;
    double beta_;
    double p_ = 0.0;  // alpha/(alpha + beta)
    double q_ = 0.0;  // beta/(alpha + beta)
    TForm form_ = TForm::Logs;
    double lnFactor_ = 0.0;         // the part of ln T(x) that does not depend on x
    double threshold_ = 0.0;        // (alpha + 1)/(alpha + beta + 2)
    bool middle_ = false;           // both parameters at least 100: the middle is integrated
    double sd_ = 0.0;               // sqrt(p q / (alpha + beta + 1))
    double anchor_[kAnchors] = {};  // mean + k sd for k = -3 .. 3
    double mass_[kAnchors] = {};    // I at the anchors up to the mean, 1 - I beyond it
};
