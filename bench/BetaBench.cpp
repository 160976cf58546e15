// Google Benchmark of the beta distribution: ProbAbove for the
// rows a Frequency table of a 32,561-record table meets (a frequent, a rare and an absent class
// value), against the plain 200-bin loop, and Overlap, Cdf and Quantile for the chart.

#include <benchmark/benchmark.h>

#include "stats/uTavBeta.h"

namespace {

// The distribution of Evaluate for a class value held by n of d records (m = 2,
// m(prior) = 1, no condition).
TBeta Evaluated(double n, double d) {
    const double q = (n + 0.5) / (d + 1.0);
    TBeta b;
    b.Alpha = n + 2.0 * q;
    b.Beta = (d - n) + (1.0 - q) * 2.0;
    return b;
}

TBeta Make(double alpha, double beta) {
    TBeta b;
    b.Alpha = alpha;
    b.Beta = beta;
    return b;
}

// The plain ProbAbove as written: 200 bins, 600 Cdf evaluations.
double plainProbAbove(const TBeta& x, const TBeta& y) {
    double sum = 0.0;
    for (int i = 1; i <= 200; ++i) {
        const double e = i / 200.0;
        sum = sum + (x.Cdf(e) - x.Cdf(e - 0.005)) * y.Cdf(e - 0.005);
    }
    return sum;
}

void ProbAboveOf(benchmark::State& state, const TBeta& second, const TBeta& first) {
    for (auto _ : state)
        benchmark::DoNotOptimize(second.ProbAbove(first));
    state.counters["bins"] =
        static_cast<double>(TBeta::ProbAboveBins(std::min(second.StdDev(), first.StdDev())));
}

void BM_ProbAbove_Wide(benchmark::State& state) {
    ProbAboveOf(state, Evaluated(30, 100), Evaluated(30, 100));  // 200 bins
}
void BM_ProbAbove_Frequent32561(benchmark::State& state) {
    ProbAboveOf(state, Evaluated(2400, 10000), Evaluated(7841, 32561));
}
void BM_ProbAbove_Equal32561(benchmark::State& state) {
    ProbAboveOf(state, Evaluated(7841, 32561), Evaluated(7841, 32561));
}
void BM_ProbAbove_Rare32561(benchmark::State& state) {
    ProbAboveOf(state, Evaluated(1, 32561), Evaluated(1, 32561));  // 130,400 bins
}
void BM_ProbAbove_Absent32561(benchmark::State& state) {
    ProbAboveOf(state, Evaluated(0, 32561), Evaluated(0, 32561));  // the cap
}
void BM_ProbAbove_PlainLoopWide(benchmark::State& state) {
    const TBeta d = Evaluated(30, 100);
    for (auto _ : state)
        benchmark::DoNotOptimize(plainProbAbove(d, d));
}
void BM_ProbAbove_PlainLoop32561(benchmark::State& state) {
    const TBeta d = Evaluated(7841, 32561);
    for (auto _ : state)
        benchmark::DoNotOptimize(plainProbAbove(d, d));
}
void BM_Overlap_Chart(benchmark::State& state) {
    const TBeta x = Make(10, 1);
    const TBeta y = Make(7, 3);
    for (auto _ : state)
        benchmark::DoNotOptimize(x.Overlap(y));
}
void BM_Cdf(benchmark::State& state) {
    const TBeta d = Evaluated(7841, 32561);
    for (auto _ : state)
        benchmark::DoNotOptimize(d.Cdf(0.2405));
}
void BM_Quantile(benchmark::State& state) {
    const TBeta d = Evaluated(30, 100);
    for (auto _ : state)
        benchmark::DoNotOptimize(d.Quantile(0.05));
}

}  // namespace

BENCHMARK(BM_ProbAbove_Wide);
BENCHMARK(BM_ProbAbove_Frequent32561);
BENCHMARK(BM_ProbAbove_Equal32561);
BENCHMARK(BM_ProbAbove_Rare32561);
BENCHMARK(BM_ProbAbove_Absent32561);
BENCHMARK(BM_ProbAbove_PlainLoopWide);
BENCHMARK(BM_ProbAbove_PlainLoop32561);
BENCHMARK(BM_Overlap_Chart);
BENCHMARK(BM_Cdf);
BENCHMARK(BM_Quantile);
