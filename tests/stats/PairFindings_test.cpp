#include "stats/PairFindings.h"

#include <gtest/gtest.h>

#include <random>

#include "core/WorkerPool.h"
#include "stats/ConditionText.h"
#include "stats/PairCounts.h"
#include "stats/PairFindingsText.h"
#include "stats/RuleScores.h"
#include "stats/uTavFreq.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"

namespace {

struct TLoaded {
    TBaza data;
    TSetCatalogue sets;

    explicit TLoaded(const std::string& text) {
        data.loadDataBytes(text, "pairs.csv", dfkFromHeader, cpUnknown);
        BuildSets(data, sets, kAllSetLists, MParam);
        for (int f = 1; f < data.FieldCount(); ++f)
            sets.fieldSet(f)->Selected = kSelected;
    }
};

// Class C (x, y) and the fields A, B (SET 1..2) and N (SET 1..3); each cell of A x B holds
// `cell` records, of them `yes[a][b]` of C = y; N cycles through its values.
std::string plantedTable(const int (&yes)[2][2], int cell) {
    std::string text =
        "TAV DATA:3/TXT/1250\nC;A;B;N\nSET:1..2;SET:1..2;SET:1..2;SET:1..3\n"
        "x;a1;b1;n1\ny;a2;b2;n2\n;;;n3\n";
    int r = 0;
    for (int a = 0; a < 2; ++a) {
        for (int b = 0; b < 2; ++b) {
            for (int i = 0; i < cell; ++i, ++r) {
                text += std::string(i < yes[a][b] ? "2" : "1") + ";" + std::to_string(a + 1) + ";" +
                        std::to_string(b + 1) + ";" + std::to_string(1 + (r * 7) % 3) + "\n";
            }
        }
    }
    return text;
}

const TPairFinding* findPair(const TPairFindings& findings, const std::string& condition) {
    for (const TPairFinding& pair : findings.top) {
        if (pair.condition == condition) return &pair;
    }
    return nullptr;
}

// The single finding of a condition, computed as the Findings tab computes it.
const TFinding* findSingle(const TFindings& findings, const std::string& condition) {
    for (const TFinding& finding : findings.ranked) {
        if (finding.condition == condition) return &finding;
    }
    return nullptr;
}

class PairFindingsTest : public ::testing::Test {
  protected:
    void SetUp() override { resetStatSettings(); }
    void TearDown() override {
        resetStatSettings();
        TWorkerPool::shared().setThreadCount(0);
    }
};

}  // namespace

// C = y is likely where A and B agree and unlikely where they differ, so that neither A nor B
// alone changes its rate: the pair leads, its parts are not flagged and it is not a repetition.
TEST_F(PairFindingsTest, PlantedInteractionLeadsAndItsPartsAreNotFlagged) {
    const int yes[2][2] = {{350, 50}, {50, 350}};
    TLoaded t(plantedTable(yes, 500));
    TPairFindingsOptions options;
    options.target = 2;
    const TPairFindings pairs = ComputePairFindings(t.data, t.sets, options);
    ASSERT_FALSE(pairs.top.empty());
    const std::string lead = pairs.top.front().condition;
    EXPECT_TRUE(lead == "A = a1 and B = b1" || lead == "A = a2 and B = b2" ||
                lead == "A = a1 and B = b2" || lead == "A = a2 and B = b1")
        << lead;
    const TPairFinding* planted = findPair(pairs, "A = a1 and B = b1");
    ASSERT_NE(planted, nullptr);
    EXPECT_EQ(planted->count, 500);
    EXPECT_EQ(planted->targetCount, 350);
    EXPECT_TRUE(planted->flagged);
    EXPECT_FALSE(planted->repeatsPart);
    EXPECT_GT(planted->lift, 1.6);
    EXPECT_GT(planted->pBeyondBetter, 0.99);
    // Every pair with N changes nothing much: the four pairs of A and B come first.
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(pairs.top[i].condition.find("N ="), std::string::npos) << i;

    TFindingsOptions single;
    single.target = 2;
    const TFindings singles = ComputeFindings(t.data, t.sets, single);
    for (const char* part : {"A = a1", "B = b1", "A = a2", "B = b2"}) {
        const TFinding* finding = findSingle(singles, part);
        ASSERT_NE(finding, nullptr) << part;
        EXPECT_FALSE(finding->flagged) << part;
    }
    EXPECT_NE(pairSentence(pairs, *planted).find("times the rate under"), std::string::npos);
}

// A moves the rate strongly and B not at all: "A and B" is marked as adding nothing to A.
TEST_F(PairFindingsTest, RedundantPairIsMarkedAsRepeatingItsStrongPart) {
    const int yes[2][2] = {{400, 400}, {100, 100}};
    TLoaded t(plantedTable(yes, 500));
    TPairFindingsOptions options;
    options.target = 2;
    const TPairFindings pairs = ComputePairFindings(t.data, t.sets, options);
    const TPairFinding* redundant = findPair(pairs, "A = a1 and B = b1");
    ASSERT_NE(redundant, nullptr);
    EXPECT_TRUE(redundant->repeatsPart);
    EXPECT_EQ(redundant->betterCondition, "A = a1");
    EXPECT_NEAR(redundant->lift, 1.0, 0.01);
    EXPECT_LT(redundant->pBeyondBetter, 0.95);
    EXPECT_NE(pairSentence(pairs, *redundant).find("it adds nothing to A = a1 alone"),
              std::string::npos);
}

// For random tables, contexts and thread counts, every pair's records and target records are
// those of a direct count over the records of both rules' sets.
TEST_F(PairFindingsTest, EveryPairCountsAsADirectCountOverTheRecords) {
    struct TCase {
        unsigned seed;
        int records;
        int threads;
        bool narrowContext;
    };
    const TCase cases[] = {{1, 40, 1, false},
                           {2, 300, 3, true},
                           {3, 1, 2, false},
                           {4, 777, 2, true},
                           {5, 120, 1, true}};
    for (const TCase& c : cases) {
        std::mt19937 random(c.seed);
        // C with an unknown code; an INT field with thresholds and an unknown code; an interval
        // field; a SET field with codes past its range.
        std::string text =
            "TAV DATA:0/TXT/1250\nC;I;X;S\nSET:1..3:UNK=0;INT:1..6:UNK=0;REAL:::3;SET:1..4\n";
        for (int r = 0; r < c.records; ++r) {
            text += std::to_string(random() % 4) + ";" + std::to_string(random() % 7) + ";" +
                    std::to_string(random() % 1000) + ";" +
                    std::to_string(random() % 9 == 0 ? 300 : 1 + random() % 4) + "\n";
        }
        TLoaded t(text);
        t.data.setBoundary(2, 1, 250), t.data.setBoundary(2, 2, 500), t.data.setBoundary(2, 3, 750);
        if (c.narrowContext) {
            t.sets.context()->clearAll();
            for (int r = 0; r < c.records; ++r) {
                if (r % 3 != 0) t.sets.context()->setBit(r);
            }
        }
        TWorkerPool::shared().setThreadCount(c.threads);
        for (int target = 1; target <= 3; ++target) {
            TPairFindingsOptions options;
            options.target = target;
            options.minCount = 0;
            options.top = 1000000;
            const TPairFindings pairs = ComputePairFindings(t.data, t.sets, options);
            EXPECT_EQ(pairs.evaluated, static_cast<std::int64_t>(pairs.top.size()));
            const TMnozicaList& rules = t.sets.SetLists[slRules];
            for (const TPairFinding& pair : pairs.top) {
                TMnozica* a = rules.item(pair.ruleNumberA());
                TMnozica* b = rules.item(pair.ruleNumberB());
                FillRecordSets(t.data, t.sets, {a, b});
                int n = 0, k = 0;
                for (int r = 0; r < c.records; ++r) {
                    if (!t.sets.context()->testBit(r) || !a->testBit(r) || !b->testBit(r)) continue;
                    ++n;
                    k += t.data.codeRow(r)[0] == target ? 1 : 0;
                }
                EXPECT_EQ(pair.count, n) << c.seed << " " << pair.condition;
                EXPECT_EQ(pair.targetCount, k) << c.seed << " " << pair.condition;
            }
        }
    }
}

// A rule of two conditions in list 3 gets from the Frequency table the score the ranking of
// pairs gives it, with every class value shown.
TEST_F(PairFindingsTest, RankedPairScoresAsTheFrequencyTableOfTheTwoConditionRule) {
    const int yes[2][2] = {{350, 50}, {50, 350}};
    TLoaded t(plantedTable(yes, 200));
    bool complete = false;
    const std::vector<TPairScore> ranked =
        RankPairs(t.data, t.sets, 0, 1000, RowVisible, {}, complete);
    EXPECT_TRUE(complete);
    ASSERT_FALSE(ranked.empty());
    for (size_t i = 1; i < ranked.size(); ++i)
        EXPECT_GE(ranked[i - 1].score, ranked[i].score);
    const TPairScore& best = ranked.front();
    const TMnozicaList& rules = t.sets.SetLists[slRules];
    auto pair = std::make_unique<TMnozica>(MParam, t.data.RecordCount(), "pair", false);
    pair->Rule = rules.item(best.setNumberA - 1)->Rule;
    pair->Rule.push_back(rules.item(best.setNumberB - 1)->Rule.front());
    TMnozica* rule = t.sets.SetLists[slRules].append(std::move(pair));
    FillRecordSets(t.data, t.sets, {rule});
    TXMLDataSet table;
    table.SetCodePageIn(cp1250);
    table.OnGetHeader = XMLdtstFrequencyGetHeader;
    table.open();
    TChartParams chart;
    FillFrequencyTable({t.data, t.sets, table, nullptr, chart, {}}, 0, rules.count() - 1, true,
                       false, 0);
    EXPECT_NEAR(rule->Score, best.score, 1e-12);
    EXPECT_EQ(CountInContext(t.sets, *rule), best.count);
}

// A run stopped after its first batch says so and ranks what it counted.
TEST_F(PairFindingsTest, CancelledRunIsPartial) {
    const int yes[2][2] = {{350, 50}, {50, 350}};
    TLoaded t(plantedTable(yes, 100));
    TPairFindingsOptions options;
    options.target = 2;
    const TPairFindings pairs =
        ComputePairFindings(t.data, t.sets, options, {{}, [] { return true; }});
    EXPECT_TRUE(pairs.cancelled);
    EXPECT_GT(pairs.evaluated, 0);
    EXPECT_NE(pairMultiplicityLine(pairs).find("partial"), std::string::npos);
}

// With one selected field there is no pair to make: nothing is counted, listed or flagged.
TEST_F(PairFindingsTest, OneSelectedFieldMakesNoPair) {
    const int yes[2][2] = {{350, 50}, {50, 350}};
    TLoaded t(plantedTable(yes, 100));
    t.sets.fieldSet(2)->Selected = 0;
    t.sets.fieldSet(3)->Selected = 0;
    TPairFindingsOptions options;
    options.target = 2;
    const TPairFindings pairs = ComputePairFindings(t.data, t.sets, options);
    EXPECT_EQ(pairs.evaluated, 0);
    EXPECT_TRUE(pairs.top.empty());
    EXPECT_EQ(pairs.flaggedCount, 0);
    EXPECT_FALSE(pairs.cancelled);
    EXPECT_EQ(pairFindingsText(pairs, {}).find("No pair is flagged.") != std::string::npos, true);
}
