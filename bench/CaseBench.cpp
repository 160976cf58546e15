// The speed of an exploration on the generated tables S, M, W, L, R and X, all in one process:
//   T_load   loading the data file (reading, coding, the record sets and the result tables)
//   T_split  a plain read of the same file, split at ";" (what the load can at best come near)
//   T_run    the entropy-gain run over every simple rule (all fields but the class selected)
//   T_freq   one Frequency table, under "Complete set"
//   T_pa     one windowed ProbAbove of a typical row (class value 1 under a rule of a
//            class-dependent field)
// bench/case_table.py runs this and prints R_load = T_load / T_split and
// R_rule = T_run / (rules x K x T_pa) as a table.

#include <benchmark/benchmark.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string_view>

#include "bench/BenchCases.h"
#include "bench/BenchScratchFiles.h"
#include "session/uTavSession.h"
#include "table/TXMLDataSet.h"

namespace {

// The data file of a case, written once per process.
const std::string& caseFile(const TBenchCase& c) {
    static std::map<std::string, std::string> files;
    auto found = files.find(c.name);
    if (found == files.end())
        found = files.emplace(c.name, writeScratchFile(c.name + ".csv", benchCaseData(c))).first;
    return found->second;
}

// A session with the case loaded, the class set and every other field selected.
std::unique_ptr<TTavSession> loadedSession(const TBenchCase& c) {
    auto session = std::make_unique<TTavSession>();
    session->setWritesSummaryReport(false);
    session->runAsOneCommand([&] {
        session->loadDataFile(caseFile(c));
        session->selectAllFields(true);
        session->setClassFieldDeselected(0);
    });
    return session;
}

void counters(benchmark::State& state, const TBenchCase& c, TTavSession& session) {
    state.counters["records"] = c.records;
    state.counters["K"] = c.classValues;
    state.counters["rules"] = session.sets().SetLists[slRules].count();
}

void loadCase(benchmark::State& state, const TBenchCase& c) {
    caseFile(c);
    std::unique_ptr<TTavSession> session;
    for (auto _ : state) {
        session = loadedSession(c);
        benchmark::DoNotOptimize(session->CurrentData());
    }
    counters(state, c, *session);
}

void splitCase(benchmark::State& state, const TBenchCase& c) {
    const std::string& path = caseFile(c);
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream whole;
        whole << in.rdbuf();
        const std::string text = whole.str();
        std::size_t fields = 0;
        std::string_view rest(text);
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            for (std::size_t at = line.find(';'); at != std::string_view::npos;
                 at = line.find(';')) {
                benchmark::DoNotOptimize(line.substr(0, at));
                line.remove_prefix(at + 1);
                ++fields;
            }
            ++fields;
            rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        }
        benchmark::DoNotOptimize(fields);
    }
}

void runCase(benchmark::State& state, const TBenchCase& c) {
    const std::unique_ptr<TTavSession> session = loadedSession(c);
    for (auto _ : state) {
        session->computeEntropyGains();
        benchmark::DoNotOptimize(session->sets().SetLists[slRules].item(0)->Score);
    }
    counters(state, c, *session);
}

void freqCase(benchmark::State& state, const TBenchCase& c) {
    const std::unique_ptr<TTavSession> session = loadedSession(c);
    for (auto _ : state)
        session->refreshFrequency();  // the active rule is "Complete set", the first row
    counters(state, c, *session);
}

void probAboveCase(benchmark::State& state, const TBenchCase& c) {
    const std::unique_ptr<TTavSession> session = loadedSession(c);
    // Rule 1 + classValues: a value set of field 1, which depends on the class.
    const int rule = std::min(1 + c.classValues, session->sets().SetLists[slRules].count() - 1);
    session->moveToRule(rule);  // rows are in creation order
    session->captureChartRow(1);
    const TChartParams& chart = session->chartParams();
    TBeta first;
    first.Alpha = chart.ChartAlpha1;
    first.Beta = chart.ChartBeta1;
    TBeta second;
    second.Alpha = chart.ChartAlpha2;
    second.Beta = chart.ChartBeta2;
    for (auto _ : state)
        benchmark::DoNotOptimize(second.ProbAbove(first));
    counters(state, c, *session);
}

const bool registered = [] {
    for (const TBenchCase& c : benchCases()) {
        // The million-record cases are timed as whole processes of tav-batch.
        if (c.records > 100'000) continue;
        const bool large = c.records * (c.fields + 1) > 1'000'000;
        const auto unit = benchmark::kMillisecond;
        auto* load = benchmark::RegisterBenchmark(("T_load/" + c.name).c_str(), loadCase, c);
        auto* split = benchmark::RegisterBenchmark(("T_split/" + c.name).c_str(), splitCase, c);
        auto* run = benchmark::RegisterBenchmark(("T_run/" + c.name).c_str(), runCase, c);
        benchmark::RegisterBenchmark(("T_freq/" + c.name).c_str(), freqCase, c)->Unit(unit);
        benchmark::RegisterBenchmark(("T_pa/" + c.name).c_str(), probAboveCase, c)
            ->Unit(benchmark::kMicrosecond);
        for (auto* b : {load, split, run}) {
            b->Unit(unit);
            if (large) b->Iterations(3);
        }
    }
    return true;
}();

}  // namespace
