#pragma once

#include <stdexcept>
#include <string>

// Special functions of the beta distribution. LnGamma and the prefactor of the incomplete beta
// function (the log-gamma sum, a ln x + b ln(1 - x) and its exponential) work in 64-bit floats:
// at tens of thousands of records the log-gamma values reach 1e5 to 1e6, where a 32-bit float
// keeps only a tenth or a hundredth of a unit and the distribution would shift visibly. The
// continued fraction stays in 32-bit floats with its tolerance of 3e-7. The numbers are the same
// on every build (the library is compiled with -ffp-contract=off and without -ffast-math). The
// functions keep no state.

// Error codes of EStStatError.
inline constexpr int kStErrInvalidParameter = 171;  // "Invalid parameter"
inline constexpr int kStErrNoConvergence = 173;     // "no convergence in numerical routine"

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
// Recipes betacf), tolerance 3e-7, at most BetaCfMaxIterations(a, b) iterations; 173 when it does
// not converge within them.
float BetaContinuedFraction(float a, float b, float x);

// The same with an explicit iteration cap (the plain fraction is maxIterations = 100).
float BetaContinuedFraction(float a, float b, float x, long long maxIterations);

// The iteration cap of the continued fraction: max(100, 10 x sqrt(max(a, b))), rounded down. For
// parameters up to 100 it is the plain 100.
long long BetaCfMaxIterations(float a, float b);

// The regularised incomplete beta function of (x - A)/(B - A): the cumulative distribution of a
// beta distribution on [A, B]. The point is rounded to a 32-bit float (the continued fraction
// works in floats, with alpha and beta rounded likewise); the prefactor is computed at that point
// with the 64-bit parameters. The result lies in [0, 1]. 171 when x is outside [A, B] (or NaN),
// A = B, or alpha or beta is not a positive finite number as a 32-bit float. Where the exponential
// term is 0 (x = 0, x = 1, or underflow) the result is 0 or 1 without the continued fraction.
double BetaCdf(double x, double alpha, double beta, double A, double B);

// The x in [A, B] with BetaCdf(x, alpha, beta, A, B) = p (Ridders' method, Numerical Recipes
// zriddr, accuracy 3e-7, at most 100 iterations). 171 for p outside [0, 1] (or NaN), A = B, or
// alpha or beta not a positive finite number; 173 when it does not converge or the bracket is lost.
double BetaQuantile(double p, double alpha, double beta, double A, double B);

// |a| with the sign of b (b >= 0 counts as positive).
double SignOf(double a, double b);

// BetaCdf(x, alpha, beta, 0, 1) for many x with the same parameters: the terms that do not depend
// on x are computed once, and the two logarithms of a point can be shared by several distributions.
// Every result is bit-identical to BetaCdf's (the same operations in the same order).
class TBetaCdfFixed {
  public:
    // 171 when alpha or beta is not a positive finite number as a 32-bit float.
    TBetaCdfFixed(double alpha, double beta);

    // BetaCdf(x, alpha, beta, 0, 1); x must lie in [0, 1].
    double operator()(float x) const;

    // The same, given lnX = std::log(double(x)) and ln1mX = std::log(1.0 - x) (unused for x = 0
    // and 1).
    double Eval(float x, double lnX, double ln1mX) const;

    // What BetaCdf gives where its exponential term is 0: 0 below (alpha + 1)/(alpha + beta + 2),
    // else 1.
    double Step(float x) const { return x < threshold_ ? 0.0 : 1.0; }
    double Threshold() const { return threshold_; }

    // Bounds lo and hi of the bulk: for every float x in [0, 1] with x <= lo or x >= hi the
    // exponential term is 0, so the result is Step(x) (x = 0 and x = 1 always are). The bounds come
    // from the exact exponent (concave in x) and a generous bound on the rounding of its
    // evaluation; lo < 0 and hi > 1 when no such x is known (parameters above 1e7, where that bound
    // would not be small).
    struct TBounds {
        double lo;
        double hi;
    };
    TBounds ZeroTermBounds() const;

  private:
    double alpha_;
    double beta_;
    float alphaF_;  // the parameters of the continued fraction
    float betaF_;
    double lnFactor_;   // LnGamma(alpha + beta) - LnGamma(alpha) - LnGamma(beta)
    double threshold_;  // (alpha + 1)/(alpha + beta + 2)
};
