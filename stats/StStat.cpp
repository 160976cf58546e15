#include "stats/StStat.h"

#include <algorithm>
#include <cmath>

#ifdef __FAST_MATH__
#error "stats/StStat.cpp must not be compiled with -ffast-math: its numbers must be reproducible"
#endif

namespace {

constexpr float kTiny = 1e-30f;  // the guard of the modified Lentz method
constexpr float kEps = 3e-7f;    // the tolerance of the continued fraction and of Ridders' method

// A valid shape parameter: a positive finite number (so NaN and infinity are invalid).
bool ValidShape(float v) {
    return v > 0.0f && std::isfinite(v);
}

// The Lentz guard: a value whose magnitude is below 1e-30 becomes 1e-30.
float Guard(float v) {
    return std::fabs(v) < kTiny ? kTiny : v;
}

// A valid shape parameter: positive and finite also as the 32-bit float of the continued fraction
// (so NaN, infinity and values that underflow or overflow a float are invalid).
bool ValidShape64(double v) {
    return v > 0.0 && std::isfinite(v) && ValidShape(static_cast<float>(v));
}

// A probability computed from rounded parts, brought back into [0, 1].
double ClampProbability(double v) {
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

}  // namespace

EStStatError::EStStatError(int code) : std::runtime_error(MessageOf(code)), code_(code) {}

std::string EStStatError::MessageOf(int code) {
    switch (code) {
        case kStErrInvalidParameter:
            return "Invalid parameter";
        case kStErrNoConvergence:
            return "no convergence in numerical routine";
        default:
            return "Statistics error " + std::to_string(code);
    }
}

double LnGamma(double x) {
    static constexpr double kCof[6] = {76.18009172947146,    -86.50532032941678,
                                       24.01409824083091,    -1.231739572450155,
                                       0.001208650973866179, -0.000005395239384953};
    if (!(x > 0.0)) throw EStStatError(kStErrInvalidParameter);
    double t = x + 5.5;
    t = t - (x + 0.5) * std::log(t);
    double s = 1.000000000190015;
    double y = x;
    for (const double c : kCof) {
        y = y + 1.0;
        s = s + c / y;
    }
    return std::log(2.5066282746310005 * s / x) - t;
}

long long BetaCfMaxIterations(float a, float b) {
    const float larger = std::max(a, b);
    const float cap = 10.0f * std::sqrt(larger);
    // Not above 100 (NaN included): the plain cap. Beyond 2^62 the loop could not end anyway.
    if (!(cap > 100.0f)) return 100;
    if (cap >= 4.6e18f) return 4'600'000'000'000'000'000LL;
    return static_cast<long long>(cap);  // rounded down
}

float BetaContinuedFraction(float a, float b, float x) {
    return BetaContinuedFraction(a, b, x, BetaCfMaxIterations(a, b));
}

float BetaContinuedFraction(float a, float b, float x, long long maxIterations) {
    const float qab = a + b;
    const float qap = a + 1.0f;
    const float qam = a - 1.0f;
    float c = 1.0f;
    float d = 1.0f - qab * x / qap;
    d = Guard(d);
    d = 1.0f / d;
    float h = d;
    for (long long i = 1; i <= maxIterations; ++i) {
        const float m = static_cast<float>(i);
        const float m2 = 2.0f * m;
        float aa = m * (b - m) * x / ((qam + m2) * (a + m2));
        d = Guard(1.0f + aa * d);
        c = Guard(1.0f + aa / c);
        d = 1.0f / d;
        h = h * d * c;
        aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
        d = Guard(1.0f + aa * d);
        c = Guard(1.0f + aa / c);
        d = 1.0f / d;
        const float del = d * c;
        h = h * del;
        if (std::fabs(del - 1.0f) < kEps) return h;
        // A NaN never converges: every later del is NaN too, so the cap would only be waited for.
        if (std::isnan(del)) break;
    }
    throw EStStatError(kStErrNoConvergence);
}

double BetaCdf(double x, double alpha, double beta, double A, double B) {
    if (!(x >= A && x <= B) || A == B || !ValidShape64(alpha) || !ValidShape64(beta)) {
        throw EStStatError(kStErrInvalidParameter);
    }
    const TBetaCdfFixed cdf(alpha, beta);
    return cdf(static_cast<float>((x - A) / (B - A)));
}

double BetaQuantile(double p, double alpha, double beta, double A, double B) {
    if (!(p >= 0.0 && p <= 1.0) || A == B || !ValidShape64(alpha) || !ValidShape64(beta)) {
        throw EStStatError(kStErrInvalidParameter);
    }
    if (p == 0.0) return A;
    if (p == 1.0) return B;
    const auto f = [&](double v) -> double { return BetaCdf(v, alpha, beta, A, B) - p; };
    double xl = A;
    double fl = -p;
    double xh = B;
    double fh = 1.0 - p;
    double ans = -1.11e30;
    for (int j = 1; j <= 100; ++j) {
        const double xm = (xl + xh) / 2.0;
        const double fm = f(xm);
        const double s = std::sqrt(fm * fm - fl * fh);
        if (s == 0.0) return ans;
        const double xnew = xm + (xm - xl) * ((fl >= fh ? fm : -fm) / s);
        if (std::fabs(xnew - ans) <= kEps) return ans;
        ans = xnew;
        const double fnew = f(ans);
        if (fnew == 0.0) return ans;
        if (SignOf(fm, fnew) != fm) {
            xl = xm;
            fl = fm;
            xh = ans;
            fh = fnew;
        } else if (SignOf(fl, fnew) != fl) {
            xh = ans;
            fh = fnew;
        } else if (SignOf(fh, fnew) != fh) {
            xl = ans;
            fl = fnew;
        } else {
            throw EStStatError(kStErrNoConvergence);
        }
        if (std::fabs(xh - xl) <= kEps) return ans;
    }
    throw EStStatError(kStErrNoConvergence);
}

double SignOf(double a, double b) {
    return b >= 0.0 ? std::fabs(a) : -std::fabs(a);
}

TBetaCdfFixed::TBetaCdfFixed(double alpha, double beta)
    : alpha_(alpha),
      beta_(beta),
      alphaF_(static_cast<float>(alpha)),
      betaF_(static_cast<float>(beta)) {
    if (!ValidShape64(alpha) || !ValidShape64(beta)) throw EStStatError(kStErrInvalidParameter);
    lnFactor_ = LnGamma(alpha + beta) - LnGamma(alpha) - LnGamma(beta);
    threshold_ = (alpha + 1.0) / (alpha + beta + 2.0);
}

double TBetaCdfFixed::operator()(float x) const {
    if (x == 0.0f || x == 1.0f) return Eval(x, 0.0, 0.0);
    const double x64 = x;
    return Eval(x, std::log(x64), std::log(1.0 - x64));
}

double TBetaCdfFixed::Eval(float x, double lnX, double ln1mX) const {
    // The prefactor in 64 bits at the float point x (1 - x is exact there); the fraction in floats.
    double bt = 0.0;
    if (x != 0.0f && x != 1.0f) bt = std::exp(lnFactor_ + alpha_ * lnX + beta_ * ln1mX);
    if (x < threshold_) {
        if (bt == 0.0) return 0.0;
        return ClampProbability(bt * BetaContinuedFraction(alphaF_, betaF_, x) / alpha_);
    }
    if (bt == 0.0) return 1.0;
    return ClampProbability(1.0 - bt * BetaContinuedFraction(betaF_, alphaF_, 1.0f - x) / beta_);
}

TBetaCdfFixed::TBounds TBetaCdfFixed::ZeroTermBounds() const {
    constexpr TBounds kNone{-1.0, 2.0};
    if (alpha_ > 1e7f || beta_ > 1e7f) return kNone;
    const double a = alpha_;
    const double b = beta_;
    const double lgSum = LnGamma(a + b);
    const double lgA = LnGamma(a);
    const double lgB = LnGamma(b);
    // The computed exponent lnFactor_ + alpha ln x + beta ln(1 - x) differs from the exact one by
    // far less than 2^-18 (|lgSum| + |lgA| + |lgB| + 100 + a |ln x| + b |ln(1 - x)|) + b 2^-22 (a
    // few units in the last place of each 64-bit term), so that bound has a wide margin. Where
    // exact + bound is below -746, the computed exponent is too and its exponential is 0. exact +
    // bound is again concave in x, with its top at a/(a + b).
    constexpr double kRel = 1.0 / 262144.0;  // 2^-18
    const double lift = lgSum - lgA - lgB +
                        kRel * (std::fabs(lgSum) + std::fabs(lgA) + std::fabs(lgB) + 100.0) +
                        b / 4194304.0;
    const double ca = a * (1.0 - kRel);
    const double cb = b * (1.0 - kRel);
    if (!std::isfinite(lift)) return kNone;
    const auto h = [&](double x) { return lift + ca * std::log(x) + cb * std::log1p(-x); };
    constexpr double kCut = -746.0;  // exp of less is 0 in 64-bit floats
    const double top = a / (a + b);
    if (!(top > 0.0 && top < 1.0)) return kNone;
    if (h(top) < kCut) return {top, top};
    TBounds bounds = kNone;
    // Left of top h rises, so every x at or below a point with h < kCut has h < kCut too: bisect
    // between such a point (out) and top (in), keeping h(out) < kCut.
    double out = 1e-300;
    double in = top;
    if (h(out) < kCut) {
        for (int k = 0; k < 200; ++k) {
            const double mid = out + (in - out) / 2.0;
            if (mid <= out || mid >= in) break;
            (h(mid) < kCut ? out : in) = mid;
        }
        bounds.lo = out;
    }
    // Right of top h falls.
    out = std::nextafter(1.0, 0.0);
    in = top;
    if (h(out) < kCut) {
        for (int k = 0; k < 200; ++k) {
            const double mid = in + (out - in) / 2.0;
            if (mid <= in || mid >= out) break;
            (h(mid) < kCut ? out : in) = mid;
        }
        bounds.hi = out;
    }
    return bounds;
}
