// Tests of the Frequency table's numbers at a large table size and of the colour rule of its rows.

#include <gtest/gtest.h>

#include <cmath>

#include "stats/uTavFreq.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"

namespace {

// The table of tests/stats/signif_reference.py: 65,001 records; class C (SET:1..6) is 1 in
// records 0..25,999, 2 up to 45,499, 3 up to 58,499, 4 up to 64,989 and 5 in the last 11 (6 has
// none); F (SET:1..2) is 1 when r % 5 == 0 or (C is 1 and r % 400 == 1).
std::string largeTableText() {
    std::string text = "TAV DATA:0/TXT/1250\nC;F\nSET:1..6;SET:1..2\n";
    for (int r = 0; r < 65001; ++r) {
        const int c = r < 26000 ? 1 : r < 45500 ? 2 : r < 58500 ? 3 : r < 64990 ? 4 : 5;
        const bool inF = r % 5 == 0 || (c == 1 && r % 400 == 1);
        text += std::to_string(c) + (inF ? ";1\n" : ";2\n");
    }
    return text;
}

// A loaded table with its sets and an open Frequency table.
struct TLargeTable {
    TBaza data;
    TSetCatalogue sets;
    TXMLDataSet frequency;
    TChartParams chart;

    TLargeTable() {
        data.loadDataBytes(largeTableText(), "large.csv", dfkFromHeader, cpUnknown);
        BuildSets(data, sets, kAllSetLists, MParam);
        frequency.SetCodePageIn(cp1250);
        frequency.OnGetHeader = XMLdtstFrequencyGetHeader;
        frequency.open();
    }
    TFrequencyInputs inputs() { return {data, sets, frequency, nullptr, chart, {}}; }
    // The "Signif" of the rows of class codes 1..6 under rule r (rows 1..6; row 0 is "Total").
    std::vector<double> signifUnder(int rule) {
        FillFrequencyTable(inputs(), 0, rule, false, true, 0);
        std::vector<double> values;
        for (int row = 1; row < frequency.RecordCount(); ++row)
            values.push_back(frequency.valueAt(row, FrequencyColumns::kSignif).toFloat());
        return values;
    }
};

class FrequencyTableTest : public ::testing::Test {
  protected:
    void SetUp() override { resetStatSettings(); }
    void TearDown() override { resetStatSettings(); }
};

}  // namespace

// At 65,001 records the 32-bit log-gamma values (up to 6.6e5) moved "Signif" by up to 2e-3; with
// the 64-bit prefactor every row is within 2e-5 of the 64-bit reference sums (the 32-bit continued
// fraction, near its threshold for parameters of tens of thousands, is what is left).
TEST_F(FrequencyTableTest, SignifAtSixtyFiveThousandRecordsMatchesTheReference) {
    TLargeTable t;
    ASSERT_EQ(t.data.RecordCount(), 65001);
    ASSERT_EQ(t.sets.SetLists[slRules].item(7)->SetName, "(1) F= 1-");
    // tests/stats/signif_reference.py: the rows of codes 1..5 under "Complete set" and "F= 1".
    const double completeSet[] = {0.46671148310883376, 0.46737546122849605, 0.46550772712702143,
                                  0.46675558650344562, 0.46367777039929664};
    const double underF[] = {0.7192026824317268, 0.34709908338142648, 0.37599770430908147,
                             0.40943924962611705, 0.60493292059465553};
    for (int rule : {0, 7}) {
        const std::vector<double> signif = t.signifUnder(rule);
        ASSERT_EQ(signif.size(), 6u);
        for (int k = 0; k < 5; ++k) {
            EXPECT_NEAR(signif[k], rule == 0 ? completeSet[k] : underF[k], 2e-5)
                << "rule " << rule << ", code " << k + 1;
        }
        // Code 6 holds no record: two priors compared give no Signif.
        EXPECT_TRUE(t.frequency.valueAt(6, FrequencyColumns::kSignif).isNull()) << rule;
    }
}

// A class value without records in either population, and the "Total" row with its fixed 0, are
// never coloured, whatever their Signif; every other row, "Sub-total" (No. 128) included, takes
// the colour of its Signif.
TEST_F(FrequencyTableTest, OnlyRowsWithEvidenceAreColoured) {
    const TSignifColor red{255, 0, 0, false};
    const TSignifColor blue{0, 0, 255, false};
    const TSignifColor plain{};
    struct TCase {
        int number, frequency, condFrequency;
        double signif;
        TSignifColor colour;
    };
    const TCase cases[] = {
        {6, 0, 0, 0.004, plain},  // no records anywhere: two indistinguishable distributions
        {6, 0, 0, 0.999, plain},  {-1, 40, 10, 0.0, plain},  // the Total row
        {-1, 0, 0, 0.0, plain},   {128, 30, 7, 0.01, red},   // the Sub-total row keeps its colour
        {128, 30, 7, 0.99, blue}, {2, 0, 3, 0.99, blue},     // records under the rule only
        {2, 5, 0, 0.01, red},                                // records in the first population only
        {2, 5, 2, 0.5, plain},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(FrequencyRowColor(c.number, c.frequency, c.condFrequency, c.signif), c.colour)
            << c.number << " " << c.frequency << " " << c.condFrequency << " " << c.signif;
    }
}

// On the large table the class value without records (code 6) had Signif -0.019, shown red;
// now every Signif is a probability and that row is not coloured.
TEST_F(FrequencyTableTest, SignifIsAProbabilityAndTheEmptyValueIsNotColoured) {
    TLargeTable t;
    for (const int rule : {0, 7, 8}) {
        FillFrequencyTable(t.inputs(), 0, rule, false, true, 0);
        for (int row = 0; row < t.frequency.RecordCount(); ++row) {
            const double signif = t.frequency.valueAt(row, FrequencyColumns::kSignif).toFloat();
            EXPECT_GE(signif, 0.0) << rule << " " << row;
            EXPECT_LE(signif, 1.0) << rule << " " << row;
        }
        const int last = t.frequency.RecordCount() - 1;
        ASSERT_EQ(t.frequency.valueAt(last, FrequencyColumns::kNo).toInteger(), 6);
        EXPECT_TRUE(
            FrequencyRowColor(
                6,
                static_cast<int>(
                    t.frequency.valueAt(last, FrequencyColumns::kFrequency).toInteger()),
                static_cast<int>(
                    t.frequency.valueAt(last, FrequencyColumns::kCondFrequency).toInteger()),
                t.frequency.valueAt(last, FrequencyColumns::kSignif).toFloat())
                .isDefault)
            << rule;
    }
}

// A run's cache (the first evaluations and the windows of the first distributions) changes no
// number of any row under any rule, also with hidden rows (the Sub-total row).
TEST_F(FrequencyTableTest, RunCacheGivesTheSameRowsForEveryRule) {
    TLargeTable t;
    for (const bool hidden : {false, true}) {
        RowVisible[3] = !hidden;
        TFrequencyRunCache cache;
        for (int rule = 0; rule < t.sets.SetLists[slRules].count(); ++rule) {
            FillFrequencyTable(t.inputs(), 0, rule, false, true, 0);
            std::vector<double> plain;
            for (int row = 0; row < t.frequency.RecordCount(); ++row) {
                for (int c = FrequencyColumns::kFrequency; c <= FrequencyColumns::kSignif; ++c)
                    plain.push_back(t.frequency.valueAt(row, c).toFloat());
            }
            TFrequencyInputs cached = t.inputs();
            cached.runCache = &cache;
            FillFrequencyTable(cached, 0, rule, false, true, 0);
            std::vector<double> withCache;
            for (int row = 0; row < t.frequency.RecordCount(); ++row) {
                for (int c = FrequencyColumns::kFrequency; c <= FrequencyColumns::kSignif; ++c)
                    withCache.push_back(t.frequency.valueAt(row, c).toFloat());
            }
            EXPECT_EQ(withCache, plain) << "rule " << rule << (hidden ? " with a hidden row" : "");
        }
        EXPECT_EQ(cache.first[1].valid, true);
        EXPECT_EQ(cache.first[kSubTotalSlot].valid, hidden);
        // One window per class value and grid size: a rule narrower than the context (here the
        // class values themselves) needs a finer grid; most rules reuse the context's.
        const int rows = t.frequency.RecordCount() * t.sets.SetLists[slRules].count();
        EXPECT_LT(cache.windows.made(), rows / 2);
    }
}

// At the largest allowed m the beta functions still mean what they say: the Cdf at the mean is the
// exact 0.5 plus the skewness term (Edgeworth), and a distribution compared with itself gives the
// grid's usual 0.465 to 0.475. At 1e12 the same comparison gave 0.26.
TEST_F(FrequencyTableTest, BetaFunctionsKeepTheirMeaningUpToTheLargestSetting) {
    for (const double d : {100.0, 65001.0}) {
        for (const double m : {1e3, 1e5, kMaxSetting}) {
            const double n = 0.3 * d;
            const double q = (n + 0.5) / (d + 1.0);
            TBeta x;
            x.Alpha = n + m * q;
            x.Beta = (d - n) + (1 - q) * m;
            const double a = x.Alpha;
            const double b = x.Beta;
            const double skew =
                2 * (b - a) * std::sqrt(a + b + 1) / ((a + b + 2) * std::sqrt(a * b));
            const double edgeworth = 0.5 + skew / (6 * std::sqrt(2 * M_PI));
            EXPECT_NEAR(x.Cdf(x.Mean()), edgeworth, 5e-5) << d << " " << m;
            EXPECT_GT(x.ProbAbove(x), 0.46) << d << " " << m;
            EXPECT_LT(x.ProbAbove(x), 0.48) << d << " " << m;
        }
    }
}
