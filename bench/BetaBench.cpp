// Google Benchmark of the beta distribution: ProbAbove for the
// rows a Frequency table of a 32,561-record table meets (a frequent, a rare and an absent class
// value), against the plain 200-bin loop, and Overlap, Cdf and Quantile for the chart; and the
// cost per ProbAbove, Cdf and Quantile as the table grows from 10^4 to 10^7 records (BM_*Records).

#include <benchmark/benchmark.h>

#include "stats/uTavBeta.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

// A table of N = range(0) records, a class value of rate range(1) per mille in it (the context,
// m = 2, m(prior) = 1) and a rule of N/10 records whose rate is one standard error higher (its
// m-estimate with the context's mean as prior): what the frequency table compares.
struct TRecordsCase {
    TBeta context;
    TBeta rule;
};

TRecordsCase RecordsCase(const benchmark::State& state) {
    const double n = static_cast<double>(state.range(0));
    const double rate = static_cast<double>(state.range(1)) / 1000.0;
    const TBeta context = Evaluated(std::floor(n * rate), n);
    const double nr = n / 10.0;
    const double kr = std::floor(nr * rate + std::sqrt(nr * rate * (1.0 - rate)));
    const double q = context.Mean();
    return {context, Make(kr + 2.0 * q, (nr - kr) + 2.0 * (1.0 - q))};
}

// rule.ProbAbove(context) as the frequency table calls it, the window made afresh each time.
void BM_ProbAbove_Records(benchmark::State& state) {
    const TRecordsCase c = RecordsCase(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(c.rule.ProbAbove(c.context));
    state.counters["bins"] =
        static_cast<double>(TBeta::ProbAboveBins(std::min(c.rule.StdDev(), c.context.StdDev())));
}

// The Cdf of the context at 41 points across its middle (mean +- 2 sd), per point.
void BM_Cdf_Records(benchmark::State& state) {
    const TRecordsCase c = RecordsCase(state);
    const double mean = c.context.Mean();
    const double sd = c.context.StdDev();
    for (auto _ : state) {
        for (int z = -20; z <= 20; ++z)
            benchmark::DoNotOptimize(c.context.Cdf(mean + 0.1 * z * sd));
    }
    state.SetItemsProcessed(state.iterations() * 41);
}

// The two quantiles of the 95 % credible interval of the context.
void BM_Quantile_Records(benchmark::State& state) {
    const TRecordsCase c = RecordsCase(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(c.context.Quantile(0.025));
        benchmark::DoNotOptimize(c.context.Quantile(0.975));
    }
}

void RecordsArgs(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : {10'000, 100'000, 1'000'000, 10'000'000}) {
        for (const std::int64_t perMille : {500, 10})
            b->Args({n, perMille});
    }
}

}  // namespace

BENCHMARK(BM_ProbAbove_Records)->Apply(RecordsArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Cdf_Records)->Apply(RecordsArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Quantile_Records)->Apply(RecordsArgs)->Unit(benchmark::kMicrosecond);
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
