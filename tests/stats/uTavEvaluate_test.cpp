#include <gtest/gtest.h>

#include <cmath>

#include "stats/uTavFreq.h"

namespace {

// A table of `records` records whose class field C (SET:1..2) has code 1 in the first `ones`
// records and 2 in the rest, and a second field F (SET:1..2) with code 1 in the even records.
struct Table {
    TBaza data;
    TSetCatalogue sets;

    Table(int records, int ones, const char* classSpec = "SET:1..2") {
        std::string text = std::string("TAV DATA:0/TXT/1250\nC;F\n") + classSpec + ";SET:1..2\n";
        for (int r = 0; r < records; ++r) {
            text += (r < ones ? "1;" : "2;") + std::string(r % 2 == 0 ? "1" : "2") + "\n";
        }
        data.loadDataBytes(text, "t.csv", dfkFromHeader, cpUnknown);
        BuildSets(data, sets, kAllSetLists, MParam);
        std::vector<TMnozica*> rules;
        for (int i = 0; i < sets.SetLists[slRules].count(); ++i)
            rules.push_back(sets.SetLists[slRules].item(i));
        FillRecordSets(data, sets, rules);
    }
};

class EvaluateTest : public ::testing::Test {
  protected:
    void SetUp() override { resetStatSettings(); }
    void TearDown() override { resetStatSettings(); }
};

}  // namespace

TEST_F(EvaluateTest, ThirtyOfAHundredRecords) {
    Table t(100, 30);
    TMnozica& ones = *t.data.valueSet(0, 1);
    const double p = Probability(t.sets, ones, t.sets.context(), nullptr);
    const double q = 30.5 / 101;
    EXPECT_NEAR(ones.Dist.Alpha, 30 + 2 * q, 1e-12);
    EXPECT_NEAR(ones.Dist.Beta, 70 + 2 * (1 - q), 1e-12);
    EXPECT_NEAR(ones.Dist.Alpha, 30.604, 1e-3);
    EXPECT_NEAR(ones.Dist.Beta, 71.396, 1e-3);
    EXPECT_NEAR(p, (30 + 2 * q) / 102, 1e-15);
    EXPECT_NEAR(p, 0.3000, 1e-3);
    EXPECT_NEAR(ones.EvalStd, 0.045, 5e-4);
    EXPECT_EQ(ones.EvalCount, 30);
    EXPECT_NEAR(ones.EvalScale, static_cast<double>(EntropyScale(p)), 1e-15);
}

TEST_F(EvaluateTest, ConditionRestrictsNumeratorAndDenominatorButNotThePrior) {
    Table t(100, 30);
    TMnozica& ones = *t.data.valueSet(0, 1);
    TMnozica& evenF = *t.data.valueSet(1, 1);  // 50 records, 15 of them with class 1
    Evaluate(t.sets, ones, t.sets.context(), &evenF);
    const double q = 30.5 / 101;
    EXPECT_EQ(ones.EvalCount, 15);
    EXPECT_NEAR(ones.Dist.Alpha, 15 + 2 * q, 1e-12);
    EXPECT_NEAR(ones.Dist.Beta, 35 + 2 * (1 - q), 1e-12);
}

TEST_F(EvaluateTest, SettingsInForceAreUsed) {
    Table t(100, 30);
    MPrior = 4;
    TMnozica& ones = *t.data.valueSet(0, 1);
    Evaluate(t.sets, ones, nullptr, nullptr);
    const double q = 32.0 / 104;
    EXPECT_NEAR(ones.Dist.Alpha, 30 + ones.SetM * q, 1e-12);
    EXPECT_EQ(ones.SetM, 2.0);  // m of the set, taken when it was built
}

TEST_F(EvaluateTest, UnknownCodeRowStaysAProbability) {
    // Code 0 is an unknown code but also inside 0..2, so it has a value set outside the field set.
    std::string text = "TAV DATA:0/TXT/1250\nC\nSET:0..2:UNK=0\n0\n0\n0\n1\n2\n2\n";
    TBaza data;
    data.loadDataBytes(text, "t", dfkFromHeader, cpUnknown);
    TSetCatalogue sets;
    BuildSets(data, sets, kAllSetLists, 2.0);
    TMnozica& unknown = *data.valueSet(0, 0);
    FillRecordSets(data, sets, {&unknown, data.valueSet(0, 1)});
    const double p = Probability(sets, unknown, sets.context(), nullptr);
    EXPECT_EQ(unknown.EvalCount, 0);
    EXPECT_GE(unknown.Dist.Beta, 0);
    EXPECT_GT(p, 0);
    EXPECT_LT(p, 1);
    EXPECT_TRUE(std::isfinite(unknown.EvalStd));
    // An ordinary value is unchanged: 1 of the 3 known records.
    TMnozica& one = *data.valueSet(0, 1);
    Probability(sets, one, sets.context(), nullptr);
    EXPECT_EQ(one.EvalCount, 1);
    EXPECT_NEAR(one.Dist.Alpha, 1 + 2 * (1.5 / 4), 1e-12);
}

TEST_F(EvaluateTest, SignifColorBoundaries) {
    const TSignifColor blue{0, 0, 255, false};
    const TSignifColor red{255, 0, 0, false};
    EXPECT_EQ(SignifColor(0.96), blue);
    EXPECT_EQ(SignifColor(0.04), red);
    EXPECT_TRUE(SignifColor(0.5).isDefault);
    EXPECT_TRUE(SignifColor(0.95).isDefault);
    EXPECT_TRUE(SignifColor(0.05).isDefault);
    SignificancePct = 60;  // both tests would hold: the first wins
    EXPECT_EQ(SignifColor(0.5), blue);
}
