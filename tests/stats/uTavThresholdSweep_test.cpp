#include "stats/uTavThresholdSweep.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/Errors.h"
#include "stats/uTavFreq.h"

namespace {

// C: the class (x, y); AGE: a REAL field of boundaries 25, 35 and 65 where y grows with age;
// KIDS: an INT field labelled by its counts.
std::string sweepTable() {
    std::string text =
        "TAV DATA:3/TXT/1250\nC;AGE;KIDS\nSET:1..2;REAL:::3;INT:0..3\n"
        "x;25;none\ny;35;one\n;65;two\n";
    const double ages[] = {20, 30, 50, 70};
    for (int r = 0; r < 160; ++r) {
        const int band = r % 4;
        const bool y = (r / 4) % 4 < band;
        text += std::string(y ? "2" : "1") + ";" + std::to_string(int(ages[band])) + ";" +
                std::to_string(r % 4) + "\n";
    }
    return text;
}

struct ThresholdSweepTest : ::testing::Test {
    TBaza data;
    TSetCatalogue sets;
    void SetUp() override {
        resetStatSettings();
        data.loadDataBytes(sweepTable(), "sweep.csv", dfkFromHeader, cpUnknown);
        BuildSets(data, sets, kAllSetLists, MParam);
    }
    void TearDown() override { resetStatSettings(); }
    static std::vector<std::string> conditions(const TThresholdSweep& sweep) {
        std::vector<std::string> texts;
        for (const TSweepPoint& p : sweep.points)
            texts.push_back(p.finding.condition);
        return texts;
    }
};

}  // namespace

// The outermost thresholds hold the same records as the first and the last interval; they are
// points of the sweep all the same, each at its own boundary.
TEST_F(ThresholdSweepTest, TheThresholdsAtBothEndsAreIncluded) {
    const TThresholdSweep sweep = ComputeThresholdSweep(data, sets, 0, 2, 1);
    EXPECT_EQ(conditions(sweep), (std::vector<std::string>{"AGE <= 25", "AGE <= 35", "AGE <= 65",
                                                           "AGE > 25", "AGE > 35", "AGE > 65"}));
    const std::vector<double> xs{25, 35, 65, 25, 35, 65};
    for (size_t i = 0; i < sweep.points.size() && i < xs.size(); ++i) {
        EXPECT_DOUBLE_EQ(sweep.points[i].x, xs[i]) << i;
        EXPECT_EQ(sweep.points[i].label, sweep.points[i].finding.condition.substr(
                                             sweep.points[i].finding.condition.rfind(' ') + 1));
    }
    // "AGE > 65" is the last age band, where 3 of 4 records are y.
    const TSweepPoint& last = sweep.points.back();
    EXPECT_EQ(last.finding.count, 40);
    EXPECT_EQ(last.finding.targetCount, 30);
}

TEST_F(ThresholdSweepTest, AnIntFieldIsLabelledByItsValuesNotItsCodes) {
    const TThresholdSweep sweep = ComputeThresholdSweep(data, sets, 0, 2, 2);
    ASSERT_FALSE(sweep.points.empty());
    std::vector<std::string> ticks;
    for (const auto& [x, label] : sweep.ticks)
        ticks.push_back(label);
    EXPECT_EQ(ticks, (std::vector<std::string>{"none", "one", "two", "3"}));
    for (const TSweepPoint& p : sweep.points)
        EXPECT_NE(p.finding.condition.find("KIDS"), std::string::npos);
}

TEST_F(ThresholdSweepTest, TheClassOrAFieldWithoutThresholdsIsRefused) {
    EXPECT_THROW(ComputeThresholdSweep(data, sets, 0, 2, 0), ETavError);
    EXPECT_THROW(ComputeThresholdSweep(data, sets, 0, 2, 7), ETavError);
}
