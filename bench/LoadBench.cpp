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

// A file that is one line of 10 or 100 MB: a names line of separators (refused at the field
// limit) and a record of one huge value. Both must grow linearly with the size.
static void BM_LoadOneHugeLine(benchmark::State& state) {
    const size_t size = static_cast<size_t>(state.range(0)) << 20;
    const bool names = state.range(1) != 0;
    const std::string text = names ? "TAV DATA:0/TXT/1250\n" + std::string(size, ';')
                                   : "TAV DATA:0/TXT/1250\nA\nSTRING\n" + std::string(size, 'x');
    for (auto _ : state) {
        TBaza data;
        try {
            data.loadDataBytes(text, "bench.csv", dfkFromHeader, cpUnknown);
        } catch (const std::exception&) {
        }
        benchmark::DoNotOptimize(data.RecordCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}
BENCHMARK(BM_LoadOneHugeLine)
    ->ArgsProduct({{10, 100}, {0, 1}})
    ->ArgNames({"MB", "names"})
    ->Unit(benchmark::kMillisecond);
