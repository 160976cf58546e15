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

// LnGamma's formula in 64-bit floats, for the bounds of TBetaCdfFixed::ZeroTermBounds only.
double LnGamma64(double x) {
    static constexpr double kCof[6] = {76.18009172947146,    -86.50532032941678,
                                       24.01409824083091,    -1.231739572450155,
                                       0.001208650973866179, -0.000005395239384953};
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

float LnGamma(float x) {
    static constexpr float kCof[6] = {76.18009172947146f,    -86.50532032941678f,
                                      24.01409824083091f,    -1.231739572450155f,
                                      0.001208650973866179f, -0.000005395239384953f};
    if (!(x > 0.0f)) throw EStStatError(kStErrInvalidParameter);
    float t = x + 5.5f;
    t = t - (x + 0.5f) * std::log(t);
    float s = 1.000000000190015f;
    float y = x;
    for (const float c : kCof) {
        y = y + 1.0f;
        s = s + c / y;
    }
    return std::log(2.5066282746310005f * s / x) - t;
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

float BetaCdf(float x, float alpha, float beta, float A, float B) {
    if (!(x >= A && x <= B) || A == B || !ValidShape(alpha) || !ValidShape(beta)) {
        throw EStStatError(kStErrInvalidParameter);
    }
    x = (x - A) / (B - A);
    float bt = 0.0f;
    if (x != 0.0f && x != 1.0f) {
        bt = std::exp(LnGamma(alpha + beta) - LnGamma(alpha) - LnGamma(beta) + alpha * std::log(x) +
                      beta * std::log(1.0f - x));
    }
    if (x < (alpha + 1.0f) / (alpha + beta + 2.0f)) {
        if (bt == 0.0f) return 0.0f;  // the fraction times 0
        return bt * BetaContinuedFraction(alpha, beta, x) / alpha;
    }
    if (bt == 0.0f) return 1.0f;  // 1 - the fraction times 0
    return 1.0f - bt * BetaContinuedFraction(beta, alpha, 1.0f - x) / beta;
}

float BetaQuantile(float p, float alpha, float beta, float A, float B) {
    if (!(p >= 0.0f && p <= 1.0f) || A == B || !ValidShape(alpha) || !ValidShape(beta)) {
        throw EStStatError(kStErrInvalidParameter);
    }
    if (p == 0.0f) return A;
    if (p == 1.0f) return B;
    const auto f = [&](float v) -> float { return BetaCdf(v, alpha, beta, A, B) - p; };
    float xl = A;
    float fl = -p;
    float xh = B;
    float fh = 1.0f - p;
    float ans = -1.11e30f;
    for (int j = 1; j <= 100; ++j) {
        const float xm = (xl + xh) / 2.0f;
        const float fm = f(xm);
        const float s = std::sqrt(fm * fm - fl * fh);
        if (s == 0.0f) return ans;
        const float xnew = xm + (xm - xl) * ((fl >= fh ? fm : -fm) / s);
        if (std::fabs(xnew - ans) <= kEps) return ans;
        ans = xnew;
        const float fnew = f(ans);
        if (fnew == 0.0f) return ans;
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

float SignOf(float a, float b) {
    return b >= 0.0f ? std::fabs(a) : -std::fabs(a);
}

TBetaCdfFixed::TBetaCdfFixed(float alpha, float beta) : alpha_(alpha), beta_(beta) {
    if (!ValidShape(alpha) || !ValidShape(beta)) throw EStStatError(kStErrInvalidParameter);
    lnFactor_ = LnGamma(alpha + beta) - LnGamma(alpha) - LnGamma(beta);
    threshold_ = (alpha + 1.0f) / (alpha + beta + 2.0f);
}

float TBetaCdfFixed::operator()(float x) const {
    if (x == 0.0f || x == 1.0f) return Eval(x, 0.0f, 0.0f);
    return Eval(x, std::log(x), std::log(1.0f - x));
}

float TBetaCdfFixed::Eval(float x, float lnX, float ln1mX) const {
    // BetaCdf step by step with A = 0 and B = 1, where (x - 0)/(1 - 0) is x itself.
    float bt = 0.0f;
    if (x != 0.0f && x != 1.0f) bt = std::exp(lnFactor_ + alpha_ * lnX + beta_ * ln1mX);
    if (x < threshold_) {
        if (bt == 0.0f) return 0.0f;
        return bt * BetaContinuedFraction(alpha_, beta_, x) / alpha_;
    }
    if (bt == 0.0f) return 1.0f;
    return 1.0f - bt * BetaContinuedFraction(beta_, alpha_, 1.0f - x) / beta_;
}

TBetaCdfFixed::TBounds TBetaCdfFixed::ZeroTermBounds() const {
    constexpr TBounds kNone{-1.0, 2.0};
    if (alpha_ > 1e7f || beta_ > 1e7f) return kNone;
    const double a = alpha_;
    const double b = beta_;
    const double lgSum = LnGamma64(static_cast<float>(alpha_ + beta_));
    const double lgA = LnGamma64(a);
    const double lgB = LnGamma64(b);
    // The float exponent lnFactor_ + alpha ln x + beta ln(1 - x) differs from the exact one by less
    // than 2^-18 (|lgSum| + |lgA| + |lgB| + 100 + a |ln x| + b |ln(1 - x)|) + b 2^-22: a few units
    // in the last place of each term (LnGamma, the logarithms, the products and sums, the rounding
    // of 1 - x), with a wide margin. Where exact + that bound is below -110, the float exponent is
    // below -110 and its exponential is 0. exact + bound is again concave in x, with its top at
    // a/(a + b).
    constexpr double kRel = 1.0 / 262144.0;  // 2^-18
    const double lift = lgSum - lgA - lgB +
                        kRel * (std::fabs(lgSum) + std::fabs(lgA) + std::fabs(lgB) + 100.0) +
                        b / 4194304.0;
    const double ca = a * (1.0 - kRel);
    const double cb = b * (1.0 - kRel);
    if (!std::isfinite(lift)) return kNone;
    const auto h = [&](double x) { return lift + ca * std::log(x) + cb * std::log1p(-x); };
    constexpr double kCut = -110.0;
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
