// The shrinkage of the findings' effects: an EM fit of a scale mixture of normals in log space,
// then normal-normal posteriors per component.

#include "stats/SignShrinkage.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

// Enough iterations for weights to settle to far below any printed digit; a fixed cap keeps a
// slow fit from running on.
constexpr int kMaxIterations = 2000;
constexpr double kTolerance = 1e-10;
// A grid wider than this is cut at its upper end: it would only hold components nothing fits.
constexpr int kMaxComponents = 64;

double logNormalDensity(double x, double variance) {
    constexpr double kLog2Pi = 1.8378770664093453;
    return -0.5 * (kLog2Pi + std::log(variance)) - x * x / (2 * variance);
}

double normalCdf(double z) {
    return 0.5 * std::erfc(-z / std::sqrt(2.0));
}

// The posterior weights of the components for one pair, into `out` (as many as prior.sd).
void componentWeights(const TSignPrior& prior, double x, double se, std::vector<double>& out) {
    const size_t k = prior.sd.size();
    out.assign(k, 0.0);
    double top = -std::numeric_limits<double>::infinity();
    for (size_t c = 0; c < k; ++c) {
        if (!(prior.weight[c] > 0)) continue;
        out[c] =
            std::log(prior.weight[c]) + logNormalDensity(x, prior.sd[c] * prior.sd[c] + se * se);
        top = std::max(top, out[c]);
    }
    // Subtracting the largest log before exp keeps far-out estimates from underflowing to 0/0.
    double total = 0;
    for (size_t c = 0; c < k; ++c) {
        out[c] = prior.weight[c] > 0 ? std::exp(out[c] - top) : 0.0;
        total += out[c];
    }
    for (double& w : out)
        w /= total;
}

std::vector<double> grid(const std::vector<double>& estimate, const std::vector<double>& se) {
    double lowSe = std::numeric_limits<double>::infinity();
    double excess = 0;
    for (size_t j = 0; j < estimate.size(); ++j) {
        lowSe = std::min(lowSe, se[j]);
        excess = std::max(excess, estimate[j] * estimate[j] - se[j] * se[j]);
    }
    const double low = lowSe / 10;
    double high = 2 * std::sqrt(excess);
    if (!(high > low)) high = 8 * low;
    std::vector<double> sd{0.0};
    for (double s = low; static_cast<int>(sd.size()) < kMaxComponents; s *= kSignGridFactor) {
        sd.push_back(s);
        if (s >= high) break;
    }
    return sd;
}

}  // namespace

bool signUsable(double estimate, double se) {
    return std::isfinite(estimate) && std::isfinite(se) && se > 0;
}

TSignPrior fitSignPrior(const std::vector<double>& estimate, const std::vector<double>& se) {
    std::vector<double> x, s;
    for (size_t j = 0; j < estimate.size(); ++j) {
        if (!signUsable(estimate[j], se[j])) continue;
        x.push_back(estimate[j]);
        s.push_back(se[j]);
    }
    TSignPrior prior;
    if (x.empty()) {
        prior.sd = {0.0};
        prior.weight = {1.0};
        return prior;
    }
    prior.sd = grid(x, s);
    const size_t k = prior.sd.size();
    // The likelihoods do not change with the weights: computed once, each scaled by its pair's
    // largest (the scale cancels in the posterior) so that far-out estimates do not underflow.
    std::vector<double> likelihood(x.size() * k);
    for (size_t j = 0; j < x.size(); ++j) {
        double top = -std::numeric_limits<double>::infinity();
        for (size_t c = 0; c < k; ++c) {
            likelihood[j * k + c] = logNormalDensity(x[j], prior.sd[c] * prior.sd[c] + s[j] * s[j]);
            top = std::max(top, likelihood[j * k + c]);
        }
        for (size_t c = 0; c < k; ++c)
            likelihood[j * k + c] = std::exp(likelihood[j * k + c] - top);
    }
    prior.weight.assign(k, 1.0 / static_cast<double>(k));
    std::vector<double> sum(k);
    const double pseudo = kSignNullPenalty - 1;
    for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
        std::fill(sum.begin(), sum.end(), 0.0);
        for (size_t j = 0; j < x.size(); ++j) {
            const double* row = &likelihood[j * k];
            double total = 0;
            for (size_t c = 0; c < k; ++c)
                total += prior.weight[c] * row[c];
            for (size_t c = 0; c < k; ++c)
                sum[c] += prior.weight[c] * row[c] / total;
        }
        sum[0] += pseudo;
        const double total = std::accumulate(sum.begin(), sum.end(), 0.0);
        double change = 0;
        for (size_t c = 0; c < k; ++c) {
            const double next = sum[c] / total;
            change = std::max(change, std::fabs(next - prior.weight[c]));
            prior.weight[c] = next;
        }
        if (change < kTolerance) break;
    }
    return prior;
}

double localFalseSignRate(const TSignPrior& prior, double estimate, double se) {
    if (!signUsable(estimate, se)) return 1.0;
    std::vector<double> posterior;
    componentWeights(prior, estimate, se, posterior);
    // The point mass is wrong on either side, so both tails start from it.
    double negative = 0, positive = 0;
    for (size_t c = 0; c < prior.sd.size(); ++c) {
        if (prior.sd[c] == 0) {
            negative += posterior[c];
            positive += posterior[c];
            continue;
        }
        const double v = prior.sd[c] * prior.sd[c];
        const double mean = estimate * v / (v + se * se);
        const double sd = std::sqrt(v * se * se / (v + se * se));
        const double below = normalCdf(-mean / sd);
        negative += posterior[c] * below;
        positive += posterior[c] * (1 - below);
    }
    return std::clamp(std::min(negative, positive), 0.0, 1.0);
}

std::vector<double> sValues(const std::vector<double>& lfsr) {
    std::vector<size_t> order(lfsr.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return lfsr[a] < lfsr[b]; });
    std::vector<double> s(lfsr.size());
    long double sum = 0;
    size_t start = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        sum += lfsr[order[i]];
        const bool endsTie = i + 1 == order.size() || lfsr[order[i + 1]] != lfsr[order[i]];
        if (!endsTie) continue;
        const double mean = static_cast<double>(sum / static_cast<long double>(i + 1));
        for (size_t t = start; t <= i; ++t)
            s[order[t]] = mean;
        start = i + 1;
    }
    return s;
}

TSignShrinkage shrinkSigns(const std::vector<double>& estimate, const std::vector<double>& se,
                           const std::vector<bool>& inFit) {
    std::vector<double> x, s;
    for (size_t j = 0; j < estimate.size(); ++j) {
        if (inFit.empty() || inFit[j]) x.push_back(estimate[j]), s.push_back(se[j]);
    }
    TSignShrinkage result;
    result.prior = fitSignPrior(x, s);
    result.lfsr.resize(estimate.size());
    for (size_t j = 0; j < estimate.size(); ++j)
        result.lfsr[j] = localFalseSignRate(result.prior, estimate[j], se[j]);
    result.svalue = sValues(result.lfsr);
    return result;
}
