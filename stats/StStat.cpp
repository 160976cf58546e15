#include "stats/StStat.h"

#include <algorithm>
#include <cmath>

#ifdef __FAST_MATH__
#error "stats/StStat.cpp must not be compiled with -ffast-math: its numbers must be reproducible"
#endif

namespace {

constexpr double kTiny = 1e-300;        // the guard of the modified Lentz method
constexpr double kCfEps = 1e-15;        // the tolerance of the continued fraction
constexpr double kQuantileEps = 1e-12;  // the accuracy of Ridders' method, times B - A
constexpr double kHalfLn2Pi = 0.91893853320467274178;  // ln sqrt(2 pi)

// A valid shape parameter: a positive number up to kMaxShape (so NaN and infinity are invalid).
bool ValidShape64(double v) {
    return v > 0.0 && v <= kMaxShape;
}

// The Lentz guard: a value whose magnitude is below 1e-300 becomes 1e-300.
double Guard(double v) {
    return std::fabs(v) < kTiny ? kTiny : v;
}

// A probability computed from rounded parts, brought back into [0, 1].
double ClampProbability(double v) {
    return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

// The Stirling correction ln Gamma(x) - ((x - 1/2) ln x - x + ln sqrt(2 pi)) for x >= 10: its
// asymptotic series, whose first omitted term is below 1e-17 there.
double StirlingCorrection(double x) {
    const double r = 1.0 / x;
    const double r2 = r * r;
    return r *
           (1.0 / 12.0 +
            r2 * (-1.0 / 360.0 +
                  r2 * (1.0 / 1260.0 +
                        r2 * (-1.0 / 1680.0 + r2 * (1.0 / 1188.0 + r2 * (-691.0 / 360360.0 +
                                                                         r2 * (1.0 / 156.0)))))));
}

// ln Gamma(x) for x > 0 to a relative accuracy near 1e-15: Stirling's series from 10 on, below 10
// by the recurrence Gamma(x) = Gamma(x + k) / (x (x + 1) ... (x + k - 1)).
double LnGammaAccurate(double x) {
    double shift = 0.0;
    if (x < 10.0) {
        double product = 1.0;
        while (x < 10.0) {
            product = product * x;
            x = x + 1.0;
        }
        shift = std::log(product);
    }
    return (x - 0.5) * std::log(x) - x + kHalfLn2Pi + StirlingCorrection(x) - shift;
}

// ln(1 + y) - y for y > -1, without the cancellation of the two terms for small y: with
// u = y / (2 + y), ln(1 + y) = 2 atanh(u), so the difference is -y u + 2 (u^3/3 + u^5/5 + ...).
double Log1pMinusX(double y) {
    if (std::fabs(y) > 0.25) return std::log1p(y) - y;
    const double u = y / (2.0 + y);
    const double u2 = u * u;
    // The series to its last term above 2^-60 of the first: u^24 for |y| <= 0.25, fewer near 0
    // (the middle of a large distribution, where |y| is about 3 / sqrt(alpha) at most).
    const int last = u2 < 1e-8 ? 7 : (u2 < 1e-4 ? 15 : 27);
    double sum = 0.0;
    for (int k = last; k >= 3; k -= 2)
        sum = sum * u2 + 1.0 / k;
    return -y * u + 2.0 * u * u2 * sum;
}

// Gauss-Legendre rules on [-1, 1]: the positive nodes and their weights. 10 points integrate the
// density over one standard deviation, 8 over half of one, to about 1e-16 of the mass.
constexpr double kGauss10[5][2] = {{0.148874338981631210885, 0.295524224714752870174},
                                   {0.433395394129247190799, 0.269266719309996355091},
                                   {0.679409568299024406234, 0.219086362515982043996},
                                   {0.865063366688984510732, 0.149451349150580593146},
                                   {0.973906528517171720078, 0.0666713443086881375936}};
constexpr double kGauss8[4][2] = {{0.183434642495649804939, 0.362683783378361982965},
                                  {0.525532409916328985818, 0.313706645877887287338},
                                  {0.796666477413626739592, 0.222381034453374470544},
                                  {0.960289856497536231684, 0.101228536290376259153}};

// The parameters from which the middle of a distribution is integrated instead of taken from the
// continued fraction: both at least this large.
constexpr double kLargeShape = 100.0;
// The half width of that middle, in standard deviations (whole ones: the anchors lie one apart).
constexpr int kMiddleHalfWidth = 3;

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

long long BetaCfMaxIterations(double a, double b) {
    const double larger = std::max(a, b);
    const double cap = 10.0 * std::sqrt(larger);
    // Not above 100 (NaN included): the plain cap. Beyond 2^62 the loop could not end anyway.
    if (!(cap > 100.0)) return 100;
    if (cap >= 4.6e18) return 4'600'000'000'000'000'000LL;
    return static_cast<long long>(cap);  // rounded down
}

double BetaContinuedFraction(double a, double b, double x) {
    return BetaContinuedFraction(a, b, x, BetaCfMaxIterations(a, b));
}

double BetaContinuedFraction(double a, double b, double x, long long maxIterations) {
    const double qab = a + b;
    const double qap = a + 1.0;
    const double qam = a - 1.0;
    double c = 1.0;
    double d = 1.0 - qab * x / qap;
    d = Guard(d);
    d = 1.0 / d;
    double h = d;
    for (long long i = 1; i <= maxIterations; ++i) {
        const double m = static_cast<double>(i);
        const double m2 = 2.0 * m;
        double aa = m * (b - m) * x / ((qam + m2) * (a + m2));
        d = Guard(1.0 + aa * d);
        c = Guard(1.0 + aa / c);
        d = 1.0 / d;
        h = h * d * c;
        aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
        d = Guard(1.0 + aa * d);
        c = Guard(1.0 + aa / c);
        d = 1.0 / d;
        const double del = d * c;
        h = h * del;
        if (std::fabs(del - 1.0) < kCfEps) return h;
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
    return cdf((x - A) / (B - A));
}

double BetaQuantile(double p, double alpha, double beta, double A, double B) {
    if (!(p >= 0.0 && p <= 1.0) || A == B || !ValidShape64(alpha) || !ValidShape64(beta)) {
        throw EStStatError(kStErrInvalidParameter);
    }
    if (p == 0.0) return A;
    if (p == 1.0) return B;
    const TBetaCdfFixed cdf(alpha, beta);  // the same numbers as BetaCdf, prepared once
    const double eps = kQuantileEps * std::fabs(B - A);
    const auto f = [&](double v) -> double {
        if (!(v >= A && v <= B)) throw EStStatError(kStErrInvalidParameter);
        return cdf((v - A) / (B - A)) - p;
    };
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
        if (std::fabs(xnew - ans) <= eps) return ans;
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
        if (std::fabs(xh - xl) <= eps) return ans;
    }
    throw EStStatError(kStErrNoConvergence);
}

double SignOf(double a, double b) {
    return b >= 0.0 ? std::fabs(a) : -std::fabs(a);
}

TBetaCdfFixed::TBetaCdfFixed(double alpha, double beta) : alpha_(alpha), beta_(beta) {
    if (!ValidShape64(alpha) || !ValidShape64(beta)) throw EStStatError(kStErrInvalidParameter);
    const double a = alpha;
    const double b = beta;
    const double sum = a + b;
    threshold_ = (a + 1.0) / (sum + 2.0);
    p_ = a / sum;
    q_ = b / sum;
    if (a >= 10.0 && b >= 10.0) {
        form_ = TForm::Centred;
        lnFactor_ = 0.5 * (std::log(a) + std::log(b) - std::log(sum)) - kHalfLn2Pi +
                    StirlingCorrection(sum) - StirlingCorrection(a) - StirlingCorrection(b);
    } else if (b >= 10.0) {
        form_ = TForm::Logs;  // ln Gamma(a + b) - ln Gamma(b) without subtracting large values
        lnFactor_ = (b - 0.5) * std::log1p(a / b) + a * std::log(sum) - a +
                    StirlingCorrection(sum) - StirlingCorrection(b) - LnGammaAccurate(a);
    } else if (a >= 10.0) {
        form_ = TForm::Logs;
        lnFactor_ = (a - 0.5) * std::log1p(b / a) + b * std::log(sum) - b +
                    StirlingCorrection(sum) - StirlingCorrection(a) - LnGammaAccurate(b);
    } else {
        form_ = TForm::Logs;
        lnFactor_ = LnGammaAccurate(sum) - LnGammaAccurate(a) - LnGammaAccurate(b);
    }
    if (a >= kLargeShape && b >= kLargeShape) {
        sd_ = std::sqrt(p_ * q_ / (sum + 1.0));
        for (int i = 0; i < kAnchors; ++i)
            anchor_[i] = p_ + static_cast<double>(i - kMiddleHalfWidth) * sd_;
        // Both outer anchors lie on their side of the threshold when both parameters are at least
        // 100; the check only keeps the rounding honest.
        if (anchor_[0] > 0.0 && anchor_[0] < threshold_ && anchor_[kAnchors - 1] > threshold_ &&
            anchor_[kAnchors - 1] < 1.0) {
            // I at the anchors up to the mean, 1 - I beyond it, each from the fraction at the
            // outer anchor and the integrals between neighbours.
            mass_[0] = LowerTail(anchor_[0]);
            for (int i = 1; i <= kMiddleHalfWidth; ++i)
                mass_[i] = mass_[i - 1] + Integral(anchor_[i - 1], anchor_[i], kGauss10);
            mass_[kAnchors - 1] = UpperTail(anchor_[kAnchors - 1]);
            for (int i = kAnchors - 2; i > kMiddleHalfWidth; --i)
                mass_[i] = mass_[i + 1] + Integral(anchor_[i], anchor_[i + 1], kGauss10);
            middle_ = true;
        }
    }
}

double TBetaCdfFixed::LnTerm(double x) const {
    if (form_ == TForm::Centred) {
        return lnFactor_ + alpha_ * Log1pMinusX((x - p_) / p_) + beta_ * Log1pMinusX((p_ - x) / q_);
    }
    return lnFactor_ + alpha_ * std::log(x) + beta_ * std::log1p(-x);
}

double TBetaCdfFixed::LowerTail(double x) const {
    const double bt = std::exp(LnTerm(x));
    if (bt == 0.0) return 0.0;
    return bt * BetaContinuedFraction(alpha_, beta_, x) / alpha_;
}

double TBetaCdfFixed::UpperTail(double x) const {
    const double bt = std::exp(LnTerm(x));
    if (bt == 0.0) return 0.0;
    return bt * BetaContinuedFraction(beta_, alpha_, 1.0 - x) / beta_;
}

template <std::size_t N>
double TBetaCdfFixed::Integral(double from, double to, const double (&rule)[N][2]) const {
    // In the offset d = t - p from the mean (exact for both ends near the mean): with t itself the
    // nodes would be rounded to the 64-bit grid near p, a relative shift of the density of up to
    // z x 2^-53 / sd (about 1e-12 at ten million records). from > to gives the negative.
    const double dFrom = from - p_;
    const double dTo = to - p_;
    const double half = (dTo - dFrom) / 2.0;
    const double mid = dFrom + half;
    const auto density = [&](double d) {
        const double lnTerm =
            lnFactor_ + alpha_ * Log1pMinusX(d / p_) + beta_ * Log1pMinusX(-d / q_);
        return std::exp(lnTerm) / ((p_ + d) * (q_ - d));
    };
    double sum = 0.0;
    for (const auto& [node, weight] : rule)
        sum = sum + weight * (density(mid - half * node) + density(mid + half * node));
    return sum * half;
}

double TBetaCdfFixed::operator()(double x) const {
    if (!(x > 0.0)) return 0.0;
    if (!(x < 1.0)) return 1.0;
    if (middle_ && x > anchor_[0] && x < anchor_[kAnchors - 1]) {
        // From the nearest anchor on the same side of the mean, at most half a deviation away.
        const double z = std::nearbyint((x - p_) / sd_);
        if (x <= p_) {
            const int i = std::clamp(static_cast<int>(z) + kMiddleHalfWidth, 0, kMiddleHalfWidth);
            return ClampProbability(mass_[i] + Integral(anchor_[i], x, kGauss8));
        }
        const int i =
            std::clamp(static_cast<int>(z) + kMiddleHalfWidth, kMiddleHalfWidth, kAnchors - 1);
        if (i == kMiddleHalfWidth) {
            return ClampProbability(mass_[i] + Integral(anchor_[i], x, kGauss8));
        }
        return ClampProbability(1.0 - (mass_[i] - Integral(anchor_[i], x, kGauss8)));
    }
    const double bt = std::exp(LnTerm(x));
    if (x < threshold_) {
        if (bt == 0.0) return 0.0;
        return ClampProbability(bt * BetaContinuedFraction(alpha_, beta_, x) / alpha_);
    }
    if (bt == 0.0) return 1.0;
    return ClampProbability(1.0 - bt * BetaContinuedFraction(beta_, alpha_, 1.0 - x) / beta_);
}

TBetaCdfFixed::TBounds TBetaCdfFixed::ZeroTermBounds() const {
    constexpr TBounds kNone{-1.0, 2.0};
    // The computed exponent LnTerm(x) stays far within 1 of the exact ln(x^a (1 - x)^b / B(a, b))
    // (relative errors near 1e-15 of terms of a few thousand where it matters), which is concave
    // in x with its top at a/(a + b). Where the computed exponent plus that margin is below -746,
    // so is the exact one, and at every point farther out the computed one is below -745, whose
    // exponential is 0 in 64-bit floats.
    constexpr double kMargin = 1.0;
    constexpr double kCut = -746.0;
    const double top = alpha_ / (alpha_ + beta_);
    if (!(top > 0.0 && top < 1.0)) return kNone;
    const auto h = [&](double x) { return LnTerm(x) + kMargin; };
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
