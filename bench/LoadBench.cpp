// Loading a large table: the reader with its value coding.

#include <benchmark/benchmark.h>

#include "bench/BenchData.h"
#include "core/uTavObj.h"

static void BM_LoadDataFile(benchmark::State& state) {
    const std::string text = benchmarkDataFile();
    for (auto _ : state) {
        TBaza data;
        data.loadDataBytes(text, "bench.csv", dfkFromHeader, cpUnknown);
        benchmark::DoNotOptimize(data.RecordCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}
BENCHMARK(BM_LoadDataFile)->Unit(benchmark::kMillisecond);
