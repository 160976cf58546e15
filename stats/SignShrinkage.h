#pragma once

#include <vector>

// Adaptive shrinkage of many effects towards zero, for the sign of each: a prior for the effects
// fitted by maximum likelihood over all of them, as a point mass at zero plus zero-centred normals
// on a fixed grid of widths; each effect's estimate and standard error give its normal likelihood
// (estimate ~ N(effect, se^2)). From the posterior each effect gets its local false sign rate
// (lfsr: the probability that the sign of its effect is not the sign it is reported with, the
// point mass counting as wrong on either side) and its s-value. Deterministic: the same inputs
// give the same bits.

// The fitted prior: standard deviations (the first 0, the point mass) and their weights.
struct TSignPrior {
    std::vector<double> sd;
    std::vector<double> weight;
};

// The grid step of the prior's standard deviations (a factor between neighbours).
inline constexpr double kSignGridFactor = 1.4142135623730951;
// The extra weight the fit gives the point mass (a Dirichlet prior of this many pseudo-counts on
// zero, one on each normal), so that a few large effects do not talk the null away.
inline constexpr double kSignNullPenalty = 10.0;

// Whether an estimate and its standard error can take part: both finite and se > 0.
bool signUsable(double estimate, double se);

// Fits the prior to the usable pairs (signUsable) by EM to maximum penalised likelihood. The
// grid runs by kSignGridFactor from min(se) / 10 to 2 sqrt(max(estimate^2 - se^2)) (to 8 times
// the low end when no estimate exceeds its error). Without a usable pair the prior is the point
// mass alone. Requires: estimate and se of the same size.
TSignPrior fitSignPrior(const std::vector<double>& estimate, const std::vector<double>& se);

// The local false sign rate of one estimate under `prior`: min(P(effect >= 0), P(effect <= 0))
// given the data. 1 when the pair is not usable (nothing is known of its sign).
double localFalseSignRate(const TSignPrior& prior, double estimate, double se);

// The s-value of each lfsr: the mean of all lfsr at most its own (ties together).
std::vector<double> sValues(const std::vector<double>& lfsr);

// lfsr and s-values of a set of effects under the prior fitted to them all.
struct TSignShrinkage {
    TSignPrior prior;
    std::vector<double> lfsr;
    std::vector<double> svalue;
};

// Fits the prior to the usable pairs among those with inFit true (all when inFit is empty), then
// gives every pair its lfsr and s-value. Requires: estimate, se (and a non-empty inFit) of the
// same size.
TSignShrinkage shrinkSigns(const std::vector<double>& estimate, const std::vector<double>& se,
                           const std::vector<bool>& inFit = {});
