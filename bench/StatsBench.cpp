// The heaviest work of an exploration: building the record sets and the entropy-gain run over
// every simple rule, on a 32,561-record table of 15 fields.

#include <benchmark/benchmark.h>

#include "bench/BenchData.h"
#include "bench/BenchScratchFiles.h"
#include "session/uTavSession.h"

namespace {

const std::string& benchText() {
    static const std::string text = benchmarkDataFile();
    return text;
}

}  // namespace

static void BM_BuildSets(benchmark::State& state) {
    TBaza data;
    data.loadDataBytes(benchText(), "bench.csv", dfkFromHeader, cpUnknown);
    for (auto _ : state) {
        TSetCatalogue sets;
        BuildSets(data, sets, kAllSetLists, 2.0);
        benchmark::DoNotOptimize(sets.SetLists[slRules].count());
    }
}
BENCHMARK(BM_BuildSets)->Unit(benchmark::kMillisecond);

static void BM_EntropyGainRun(benchmark::State& state) {
    const std::string path = writeScratchFile("bench.csv", benchText());
    TTavSession session;
    session.setWritesSummaryReport(false);
    session.loadDataFile(path);
    session.setClassField(14);
    session.selectAllFields(true);
    for (auto _ : state) {
        session.computeEntropyGains();
        benchmark::DoNotOptimize(session.sets().SetLists[slRules].item(0)->Score);
    }
    state.counters["rules"] = session.sets().SetLists[slRules].count();
}
BENCHMARK(BM_EntropyGainRun)->Unit(benchmark::kMillisecond);
