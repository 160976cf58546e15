#include "stats/RuleScores.h"

#include <gtest/gtest.h>

#include "core/WorkerPool.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"

namespace {

// 3,000 records: a class C with an unknown code (0), a code past its range (9) and a value without
// records (4); an INT field A with thresholds and an unknown code; an interval field X; a SET
// field B of codes outside a byte in places.
std::string scoreTableText() {
    std::string text =
        "TAV DATA:0/TXT/1250\nC;A;X;B\nSET:1..4:UNK=0;INT:1..5:UNK=5;REAL:::3;SET:1..3\n"
        "a;lo;;p\nb;mid;;q\nc;hi;;r\nd;x;;\n;y;;\n";
    for (int r = 0; r < 3000; ++r) {
        const int c = r % 97 == 0 ? 0 : r % 89 == 0 ? 9 : 1 + (r * 7 + r / 11) % 3;
        const int a = 1 + (r * 13 + c) % 5;
        const int b = r % 53 == 0 ? 300 : 1 + (r / 7 + c) % 3;
        text += std::to_string(c) + ";" + std::to_string(a) + ";" +
                std::to_string((r * 31 + c * 100) % 1000) + ";" + std::to_string(b) + "\n";
    }
    return text;
}

struct TScoreTable {
    TBaza data;
    TSetCatalogue sets;
    TXMLDataSet frequency;
    TChartParams chart;

    TScoreTable() {
        data.loadDataBytes(scoreTableText(), "scores.csv", dfkFromHeader, cpUnknown);
        data.setBoundary(2, 1, 250), data.setBoundary(2, 2, 500), data.setBoundary(2, 3, 750);
        BuildSets(data, sets, kAllSetLists, MParam);
        frequency.SetCodePageIn(cp1250);
        frequency.OnGetHeader = XMLdtstFrequencyGetHeader;
        frequency.open();
        for (int f = 1; f < data.FieldCount(); ++f)
            sets.fieldSet(f)->Selected = kSelected;
    }
    // Score and Signif of every rule as the Frequency table stores them, rule by rule.
    std::vector<std::pair<double, double>> storedByTheTable() {
        std::vector<std::pair<double, double>> scores;
        const TMnozicaList& rules = sets.SetLists[slRules];
        for (int i = 0; i < rules.count(); ++i) {
            FillFrequencyTable({data, sets, frequency, nullptr, chart, {}}, 0, i, true, false, 0);
            scores.emplace_back(rules.item(i)->Score, rules.item(i)->Signif);
        }
        return scores;
    }
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
