#include "stats/RuleScores.h"

#include <gtest/gtest.h>

#include "ScoreTable.h"
#include "core/WorkerPool.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"

namespace {

// The table of ScoreTable.h with the counted run's scores.
struct TScoreTable : TScoreTableBase {
    std::vector<std::pair<double, double>> countedAt(int threads) {
        TWorkerPool::shared().setThreadCount(threads);
        const TMnozicaList& rules = sets.SetLists[slRules];
        for (int i = 0; i < rules.count(); ++i)
            rules.item(i)->Score = rules.item(i)->Signif = -1;
        EXPECT_EQ(ScoreRulesFromCounts(data, sets, 0, RowVisible), rules.count());
        std::vector<std::pair<double, double>> scores;
        for (int i = 0; i < rules.count(); ++i)
            scores.emplace_back(rules.item(i)->Score, rules.item(i)->Signif);
        TWorkerPool::shared().setThreadCount(0);
        return scores;
    }
};

class RuleScoresTest : public ::testing::Test {
  protected:
    void SetUp() override { resetStatSettings(); }
    void TearDown() override { resetStatSettings(); }
};

}  // namespace

// Bit for bit what the Frequency table stores for each rule, at one thread and at three, with
// every row shown and with rows hidden (the "Sub-total" then scores), in a narrowed Context.
TEST_F(RuleScoresTest, EveryRuleScoresAsTheFrequencyTableStoresIt) {
    TScoreTable t;
    ASSERT_TRUE(RulesScorableFromCounts(t.data, t.sets));
    ASSERT_GT(t.sets.SetLists[slRules].count(), 20);
    for (int pass = 0; pass < 3; ++pass) {
        if (pass == 1) RowVisible[2] = false, RowVisible[4] = false;
        if (pass == 2) {
            TMnozica& context = *t.sets.context();
            context.clearAll();
            for (int r = 0; r < t.data.RecordCount(); r += 3)
                context.setBit(r);
        }
        const auto expected = t.storedByTheTable();
        for (int threads : {1, 3}) {
            const auto counted = t.countedAt(threads);
            ASSERT_EQ(counted.size(), expected.size());
            for (size_t i = 0; i < expected.size(); ++i) {
                EXPECT_EQ(counted[i].first, expected[i].first) << "pass " << pass << " rule " << i;
                EXPECT_EQ(counted[i].second, expected[i].second)
                    << "pass " << pass << " rule " << i;
            }
        }
    }
}

// Cancelled between batches, the scored rules are a prefix of the list and the rest stay
// unscored; a rule of two conditions is left to the Frequency table.
TEST_F(RuleScoresTest, ACancelledRunScoresAPrefixAndTwoConditionsAreNotCounted) {
    TScoreTable t;
    const TMnozicaList& rules = t.sets.SetLists[slRules];
    for (int i = 0; i < rules.count(); ++i)
        rules.item(i)->Unscored = true;
    int asked = 0;
    const int scored =
        ScoreRulesFromCounts(t.data, t.sets, 0, RowVisible, {{}, [&] { return ++asked == 2; }});
    EXPECT_GT(scored, 0);
    EXPECT_LT(scored, rules.count());
    for (int i = 0; i < rules.count(); ++i)
        EXPECT_EQ(rules.item(i)->Unscored, i >= scored) << i;
    AddItem(rules.item(3)->Rule, 1, 2, relEqual);
    EXPECT_FALSE(RulesScorableFromCounts(t.data, t.sets));
}
