#include "stats/CountedFrequency.h"

#include <gtest/gtest.h>

#include "ScoreTable.h"
#include "stats/uTavFindings.h"
#include "stats/uTavThresholdSweep.h"

namespace {

class CountedFrequencyTest : public ::testing::Test {
  protected:
    void SetUp() override { resetStatSettings(); }
    void TearDown() override { resetStatSettings(); }
};

// Every cell of the table, as text, row by row.
std::vector<std::string> cells(TXMLDataSet& table) {
    std::vector<std::string> all;
    for (int row = 0; row < table.RecordCount(); ++row) {
        for (int column = FrequencyColumns::kNo; column <= FrequencyColumns::kSignif; ++column) {
            const TxValue value = table.valueAt(row, column);
            all.push_back(value.isNull() ? "null" : value.toString());
        }
    }
    return all;
}

// Narrows a set to every k-th record from `from`.
void keepEvery(TMnozica& set, int k, int from) {
    set.clearAll();
    for (int r = from; r < set.maxIndex() + 1; r += k)
        set.setBit(r);
}

TStBits both(const TStBits& a, const TStBits& b) {
    TStBits result(a.maxIndex());
    result.orWith(&a);
    result.andWith(&b);
    return result;
}

}  // namespace

// The rows, the stored score and the chart's distributions of every rule, in the default mode
// and comparing two filters, with every row shown and with rows hidden, in a narrowed Context.
TEST_F(CountedFrequencyTest, EveryRuleGivesTheTableOfItsRecords) {
    TScoreTableBase t;
    TXMLDataSet counted;
    counted.SetCodePageIn(cp1250);
    counted.OnGetHeader = XMLdtstFrequencyGetHeader;
    counted.open();
    const TMnozicaList& rules = t.sets.SetLists[slRules];
    for (int pass = 0; pass < 4; ++pass) {
        SCOPED_TRACE("pass " + std::to_string(pass));
        if (pass == 1) RowVisible[2] = false, RowVisible[4] = false;
        if (pass >= 2) keepEvery(*t.sets.context(), 3, 1);
        const bool compareMode = pass == 3;
        if (compareMode) keepEvery(*t.sets.compare1(), 2, 0), keepEvery(*t.sets.compare2(), 5, 2);
        const TContextClassCounts context(t.data, *t.sets.context(), 0);
        const TContextClassCounts compare1(t.data, both(*t.sets.context(), *t.sets.compare1()), 0);
        const TContextClassCounts compare2(t.data, both(*t.sets.context(), *t.sets.compare2()), 0);
        for (int i = -1; i < rules.count(); ++i) {
            SCOPED_TRACE("rule " + std::to_string(i));
            TMnozica* rule = rules.item(i);
            FillFrequencyTable({t.data, t.sets, t.frequency, nullptr, t.chart,
                                [compareMode] { return compareMode; }},
                               0, i, true, true, 1);
            const TChartParams expectedChart = t.chart;
            const double score = rule != nullptr ? rule->Score : 0;
            const double signif = rule != nullptr ? rule->Signif : 0;
            if (rule != nullptr) rule->Score = rule->Signif = -1;
            t.chart = {};
            FillFrequencyTableFromCounts(
                {t.data, t.sets, counted, nullptr, t.chart, context,
                 compareMode ? &compare1 : nullptr, compareMode ? &compare2 : nullptr},
                0, rule, true, true, 1);
            EXPECT_EQ(cells(counted), cells(t.frequency));
            EXPECT_EQ(t.chart.ChartAlpha1, expectedChart.ChartAlpha1);
            EXPECT_EQ(t.chart.ChartBeta2, expectedChart.ChartBeta2);
            if (rule != nullptr) {
                EXPECT_EQ(rule->Score, score);
                EXPECT_EQ(rule->Signif, signif);
            }
        }
    }
}

// The findings and the threshold sweep made from counts are those of the records; only rules of
// two fields with the same records cannot be told from counts, and this table has none.
TEST_F(CountedFrequencyTest, FindingsAndTheSweepFromCountsAreThoseOfTheRecords) {
    TScoreTableBase t;
    keepEvery(*t.sets.context(), 2, 1);
    const TContextClassCounts counts(t.data, *t.sets.context(), 0);
    TFindingsOptions options;
    options.classField = 0;
    options.target = 2;
    options.minCount = 0;
    const TFindings expected = ComputeFindings(t.data, t.sets, options);
    const TFindings counted = ComputeFindings(t.data, t.sets, options, {}, &counts);
    EXPECT_EQ(counted.contextCount, expected.contextCount);
    EXPECT_EQ(counted.contextTargetCount, expected.contextTargetCount);
    EXPECT_EQ(counted.context.rate, expected.context.rate);
    EXPECT_EQ(counted.context.low, expected.context.low);
    EXPECT_EQ(multiplicityLine(counted), multiplicityLine(expected));
    ASSERT_EQ(counted.ranked.size(), expected.ranked.size());
    for (size_t i = 0; i < expected.ranked.size(); ++i) {
        const TFinding& a = counted.ranked[i];
        const TFinding& b = expected.ranked[i];
        EXPECT_EQ(a.name, b.name) << i;
        EXPECT_EQ(a.equivalents, b.equivalents) << i;
        EXPECT_EQ(a.count, b.count) << i;
        EXPECT_EQ(a.pHigher, b.pHigher) << i;
        EXPECT_EQ(a.lfsr, b.lfsr) << i;
        EXPECT_EQ(a.flagged, b.flagged) << i;
    }
    // Two thresholds of A with the same records are merged, from counts as from the records.
    EXPECT_TRUE(std::any_of(expected.ranked.begin(), expected.ranked.end(),
                            [](const TFinding& f) { return !f.equivalents.empty(); }));

    const TThresholdSweep sweep = ComputeThresholdSweep(t.data, t.sets, 0, 2, 2);
    const TThresholdSweep countedSweep = ComputeThresholdSweep(t.data, t.sets, 0, 2, 2, &counts);
    ASSERT_EQ(countedSweep.points.size(), sweep.points.size());
    for (size_t i = 0; i < sweep.points.size(); ++i) {
        EXPECT_EQ(countedSweep.points[i].x, sweep.points[i].x);
        EXPECT_EQ(countedSweep.points[i].finding.rule.rate, sweep.points[i].finding.rule.rate);
    }
}

// Rules of one field hold the same records when the codes between them have none; rules of two
// fields are told apart unless both are empty.
TEST_F(CountedFrequencyTest, SameRecordsAreToldWithinAFieldOnly) {
    TScoreTableBase t;
    const TContextClassCounts counts(t.data, *t.sets.context(), 0);
    TMnozica a(1, 1, "", false), b(1, 1, "", false), x(1, 1, "", false);
    AddItem(a.Rule, 1, 4, relLess);   // A < 4: codes 1..3
    AddItem(b.Rule, 1, 3, relLess);   // A < 3: codes 1..2
    AddItem(x.Rule, 2, 1, relEqual);  // another field
    EXPECT_TRUE(counts.sameRecords(a, a));
    EXPECT_FALSE(counts.sameRecords(a, b));
    EXPECT_FALSE(counts.sameRecords(a, x));
}
