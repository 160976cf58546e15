// How long the window's grids take on a large table, next to the toolkit-free layer. The times
// are logged, not asserted.

#include <QToolButton>
#include <chrono>
#include <cstdio>

#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"
#include "tests/ui/MainWindowFixture.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// 30,000 records: a class C of three values and twelve INT fields of five values, some of them
// tied to the class; deterministic.
std::string largeTable() {
    std::string text = "TAV DATA:5/TXT/1250\nC";
    for (int f = 1; f <= 12; ++f)
        text += ";F" + std::to_string(f);
    text += "\nSET:1..3";
    for (int f = 1; f <= 12; ++f)
        text += ";INT:1..5";
    text += "\n";
    for (int v = 1; v <= 5; ++v) {
        text += v <= 3 ? "c" + std::to_string(v) : "";
        for (int f = 1; f <= 12; ++f)
            text += ";v" + std::to_string(v);
        text += "\n";
    }
    unsigned state = 12345;
    const auto next = [&state](int n) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % unsigned(n));
    };
    for (int r = 0; r < 30000; ++r) {
        const int c = next(3);
        text += std::to_string(c + 1);
        for (int f = 1; f <= 12; ++f) {
            const int v = f <= 3 && next(3) == 0 ? c + 1 : next(5) + 1;
            text += ";" + std::to_string(v);
        }
        text += "\n";
    }
    return text;
}

}  // namespace

TEST_F(MainWindowTest, RuleMovesAndEntropyGainsOnThirtyThousandRecords) {
    const std::string path = dir.write("large.CSV", largeTable());
    auto start = Clock::now();
    load(path);
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    std::printf("[ timing ] load of 30000 records: %.1f ms\n", millisecondsSince(start));
    trigger("selectAll1");

    TTavGrid* rules = window->DBgrdSimpleRules;
    const int count = std::min(rules->model()->rowCount(), 41);
    ASSERT_GT(count, 20);
    double total = 0, worst = 0;
    for (int rule = 1; rule < count; ++rule) {
        start = Clock::now();
        moveGrid(rules, rule);
        // The move is complete once the frequency grid has been repainted.
        window->DBgrdFrequency->viewport()->repaint();
        const double ms = millisecondsSince(start);
        total += ms;
        worst = std::max(worst, ms);
        ASSERT_EQ(window->session().rulesTable().currentRow(), rule);
    }
    std::printf(
        "[ timing ] rule move with frequency grid repaint: mean %.2f ms, worst %.2f ms "
        "(should stay under 50 ms)\n",
        total / (count - 1), worst);

    TTavSession bare;
    bare.loadDataFile(path);
    bare.selectAllFields(true);
    // Each run twice, alternately, so that neither pays for cold caches alone.
    double gui = 1e9, core = 1e9;
    for (int round = 0; round < 2; ++round) {
        start = Clock::now();
        bare.computeEntropyGains();
        core = std::min(core, millisecondsSince(start));
        start = Clock::now();
        window->tlbtnA->click();
        gui = std::min(gui, millisecondsSince(start));
    }
    ASSERT_TRUE(ui.errors.empty());
    std::printf(
        "[ timing ] entropy gains over %d rules: window %.1f ms, toolkit-free %.1f ms "
        "(ratio %.2f, should stay under 1.2)\n",
        bare.rulesTable().RecordCount(), gui, core, gui / core);
    for (int r = 0; r < bare.rulesTable().RecordCount(); ++r)
        EXPECT_EQ(raw(rules, r, RuleColumns::kNo).toLongLong(),
                  bare.rulesTable().valueAt(r, RuleColumns::kNo).toInteger());
}
