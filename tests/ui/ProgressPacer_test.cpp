#include "ui/window/ProgressPacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::chrono_literals;

// A pacer of 50 ms on a clock the test moves.
class ProgressPacerTest : public ::testing::Test {
  protected:
    ProgressPacerTest() : pacer(50ms) {
        pacer.setClock([this] { return now; });
    }

    std::chrono::steady_clock::time_point now{};
    TProgressPacer pacer;
};

}  // namespace

TEST_F(ProgressPacerTest, FirstReportAndEndAtOnceTheRestOncePerInterval) {
    EXPECT_TRUE(pacer.due(0.01));
    EXPECT_FALSE(pacer.due(0.02));
    now += 49ms;
    EXPECT_FALSE(pacer.due(0.5));
    now += 1ms;
    EXPECT_TRUE(pacer.due(0.6));
    EXPECT_FALSE(pacer.due(0.7));
    // The end is shown however soon it comes, and the next run starts afresh.
    EXPECT_TRUE(pacer.due(0));
    EXPECT_TRUE(pacer.due(0.01));
    EXPECT_FALSE(pacer.due(0.02));
    EXPECT_TRUE(pacer.due(0));
    EXPECT_TRUE(pacer.due(0));
    EXPECT_TRUE(pacer.due(-1));
}

TEST_F(ProgressPacerTest, AFastRunRepaintsByTimeNotByReports) {
    // 100,000 reports over two seconds, one every 20 microseconds.
    std::vector<std::chrono::steady_clock::time_point> shown;
    for (int i = 1; i <= 100'000; ++i) {
        if (pacer.due(i / 100'000.0)) shown.push_back(now);
        now += 20us;
    }
    EXPECT_EQ(shown.size(), 40u);
    // Cancel is looked at again within one interval and one report's time.
    for (size_t k = 1; k < shown.size(); ++k)
        ASSERT_LE(shown[k] - shown[k - 1], 50ms + 20us) << k;
}
