#include "stats/uTavFindings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "core/Errors.h"
#include "session/uTavSession.h"
#include "stats/uTavFindingsText.h"
#include "stats/uTavFreq.h"
#include "stats/uTavResultTables.h"
#include "stats/uTavThresholdSweep.h"
#include "table/TXMLDataSet.h"
#include "tests/support/TempDir.h"

namespace {

// 100 records: class C (SET:1..2, unknown 0) is bad (1) in records 0..29 and unknown in 95..99;
// F (INT:1..3) is 1 in 0..39, 2 in 40..69, 3 in 70..99, so F= 1 raises the rate of bad; G (SET)
// alternates 1 and 2 except 3 in records 50 and 51 (too few to rank); X is a REAL r.
std::string findingsData() {
    std::string text =
        "TAV DATA:3/TXT/1250\nC;F;G;X\nSET:1..2:UNK=0;INT:1..3;SET:1..3;REAL:::2\n"
        "bad;low;odd;10\ngood;mid;even;20\n;high;rare;\n";
    for (int r = 0; r < 100; ++r) {
        const char* c = r >= 95 ? "0" : r < 30 ? "1" : "2";
        const char* f = r < 40 ? "1" : r < 70 ? "2" : "3";
        const char* g = (r == 50 || r == 51) ? "3" : r % 2 ? "1" : "2";
        text += std::string(c) + ";" + f + ";" + g + ";" + std::to_string(r) + "\n";
    }
    return text;
}

class FindingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetStatSettings();
        hooks.frequencyRecomputed = [this] { ++recomputations; };
        session = std::make_unique<TTavSession>(hooks);
        path = dir.write("data.csv", findingsData());
        session->loadDataFile(path);
        session->selectAllFields(true);
        session->setClassFieldDeselected(0);
    }
    void TearDown() override { resetStatSettings(); }

    const TFinding* findingNamed(const TFindings& findings, const std::string& name) {
        for (const auto* list : {&findings.ranked, &findings.small}) {
            for (const TFinding& f : *list) {
                if (f.name == name) return &f;
            }
        }
        return nullptr;
    }

    TempDir dir;
    TSessionHooks hooks;
    int recomputations = 0;
    std::unique_ptr<TTavSession> session;
    std::string path;
};

// Every number of a finding is what the Frequency table shows for its rule with only the
// target's row visible: the first row (the "Sub-total") holds the counts, rates, change and
// Signif, and the rule's records in the Context are its denominator.
TEST_F(FindingsTest, EqualTheFrequencyTableWithOnlyTheTargetVisible) {
    SignificancePct = 10;
    session->updateContext("G,3,<>");  // records 50 and 51 leave the Context
    const TFindings findings = session->computeFindings(1, 5);
    ASSERT_FALSE(findings.ranked.empty());
    ASSERT_FALSE(findings.small.empty());
    session->hideClassValues({2});
    std::vector<TFinding> all = findings.ranked;
    all.insert(all.end(), findings.small.begin(), findings.small.end());
    for (const TFinding& f : all) {
        SCOPED_TRACE(f.name);
        ASSERT_TRUE(session->moveToRuleNumbered(f.setNumber));
        TxViewReader& table = session->frequencyTable();
        using namespace FrequencyColumns;
        ASSERT_EQ(table.valueAt(0, kNo).toInteger(), kSubTotalSlot);
        EXPECT_EQ(f.targetCount, table.valueAt(0, kCondFrequency).toInteger());
        EXPECT_EQ(findings.contextTargetCount, table.valueAt(0, kFrequency).toInteger());
        EXPECT_EQ(findings.context.rate, table.valueAt(0, kProbability).toFloat());
        EXPECT_EQ(f.rule.rate, table.valueAt(0, kCondProbability).toFloat());
        EXPECT_EQ(f.score, table.valueAt(0, kEntropyChange).toFloat());
        EXPECT_EQ(f.pHigher, table.valueAt(0, kSignif).toFloat());
        const TMnozica* rule = session->sets().SetLists[slRules].item(f.ruleIndex);
        EXPECT_EQ(f.count, CountInContext(session->sets(), *rule));
        EXPECT_DOUBLE_EQ(f.difference, f.rule.rate - findings.context.rate);
        EXPECT_DOUBLE_EQ(f.error, std::min(f.pHigher, 1 - f.pHigher));
    }
    EXPECT_EQ(findings.contextCount, 98);
}

// The interval is the central one of the m-estimate's beta distribution at 1 - the level:
// alpha = k + m q, beta = n - k + (1 - q) m, q the Context's prior.
TEST_F(FindingsTest, IntervalsAreTheBetaQuantilesAtOneMinusTheLevel) {
    SignificancePct = 10;
    const TFindings findings = session->computeFindings(1);
    const double mp = MPrior, m = findings.m;
    const double kC = findings.contextTargetCount, nC = findings.contextCount;
    const double q = (kC + 0.5 * mp) / (nC + mp);
    auto beta = [&](double k, double n) { return TBeta{k + m * q, n - k + (1 - q) * m}; };
    EXPECT_NEAR(findings.context.low, beta(kC, nC).Quantile(0.05), 1e-9);
    EXPECT_NEAR(findings.context.high, beta(kC, nC).Quantile(0.95), 1e-9);
    for (const TFinding& f : findings.ranked) {
        SCOPED_TRACE(f.name);
        const TBeta dist = beta(f.targetCount, f.count);
        EXPECT_NEAR(f.rule.low, dist.Quantile(0.05), 1e-9);
        EXPECT_NEAR(f.rule.high, dist.Quantile(0.95), 1e-9);
        EXPECT_NEAR(f.rule.rate, dist.Mean(), 1e-12);
        EXPECT_LT(f.rule.low, f.rule.rate);
        EXPECT_GT(f.rule.high, f.rule.rate);
    }
}

TEST(FindingsInterval, ALevelOfZeroOrAboveOneStaysInsideTheUnitInterval) {
    const TBeta dist{3, 7};
    const TRateEstimate whole = credibleInterval(dist, 0);
    EXPECT_EQ(whole.low, 0);
    EXPECT_EQ(whole.high, 1);
    const TRateEstimate median = credibleInterval(dist, 5);
    EXPECT_EQ(median.low, median.high);
    EXPECT_NEAR(median.low, dist.Quantile(0.5), 1e-12);
}

// Only rules on selected fields other than the class; rules under the minimum are apart.
TEST_F(FindingsTest, ListRulesOfSelectedFieldsAndKeepSmallOnesApart) {
    session->selectField(2, false);
    const TFindings findings = session->computeFindings(1, 5);
    for (const auto* list : {&findings.ranked, &findings.small}) {
        for (const TFinding& f : *list) {
            EXPECT_EQ(f.name.find("(0)"), std::string::npos) << f.name;
            EXPECT_EQ(f.name.find("(2)"), std::string::npos) << f.name;
        }
    }
    const TFinding* rare = findingNamed(session->computeFindings(1, 3), "(2) G= 3-rare");
    EXPECT_EQ(rare, nullptr);
    session->selectField(2, true);
    const TFindings withG = session->computeFindings(1, 3);
    rare = findingNamed(withG, "(2) G= 3-rare");
    ASSERT_NE(rare, nullptr);
    EXPECT_EQ(rare->count, 2);
    EXPECT_FALSE(rare->flagged);
    EXPECT_TRUE(std::any_of(withG.small.begin(), withG.small.end(),
                            [](const TFinding& f) { return f.name == "(2) G= 3-rare"; }));
    for (const TFinding& f : withG.small)
        EXPECT_LT(f.count, 3);
    for (const TFinding& f : withG.ranked)
        EXPECT_GE(f.count, 3);
}

TEST_F(FindingsTest, SortByScorePOrDifferenceLargestFirst) {
    for (TFindingsSort sort : {TFindingsSort::Score, TFindingsSort::P, TFindingsSort::Diff}) {
        const TFindings findings = session->computeFindings(1, 5, sort);
        auto key = [sort](const TFinding& f) {
            return sort == TFindingsSort::Score ? f.score
                   : sort == TFindingsSort::P   ? f.pHigher
                                                : f.difference;
        };
        for (size_t i = 1; i < findings.ranked.size(); ++i) {
            EXPECT_GE(key(findings.ranked[i - 1]), key(findings.ranked[i]));
        }
    }
    const TFindings byScore = session->computeFindings(1);
    EXPECT_GT(byScore.ranked.front().score, 0);
    EXPECT_LT(byScore.ranked.back().score, 0);
}

// Findings change neither the tables, the global row flags nor the scores of the ranked list.
TEST_F(FindingsTest, LeaveWhatTheWindowShowsUnchanged) {
    session->computeEntropyGains();
    std::vector<double> scores;
    for (int i = 0; i < session->sets().SetLists[slRules].count(); ++i)
        scores.push_back(session->sets().SetLists[slRules].item(i)->Score);
    const int before = recomputations;
    const auto flags = RowVisible;
    const int rows = session->frequencyTable().RecordCount();
    session->computeFindings(2);
    EXPECT_EQ(recomputations, before);
    EXPECT_EQ(RowVisible, flags);
    EXPECT_EQ(session->frequencyTable().RecordCount(), rows);
    for (int i = 0; i < session->sets().SetLists[slRules].count(); ++i)
        EXPECT_EQ(session->sets().SetLists[slRules].item(i)->Score, scores[i]);
}

TEST_F(FindingsTest, RefuseAClassWithoutTheValueAndStopWhenCancelled) {
    EXPECT_THROW(session->computeFindings(3), ETavError);
    EXPECT_THROW(session->computeFindings(-1), ETavError);
    EXPECT_THROW(session->computeFindings(128), ETavError);
    session->setClassField(3);  // REAL: its intervals are values too
    EXPECT_NO_THROW(session->computeFindings(0));
    TTavSession empty;
    EXPECT_THROW(empty.computeFindings(1), ETavError);
    session->setClassFieldDeselected(0);
    const TFindings stopped =
        session->computeFindings(1, 5, TFindingsSort::Score, [] { return true; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.ranked.empty());
}

TEST_F(FindingsTest, MoveToARuleByItsCreationNumberAfterARankingRun) {
    const TFindings findings = session->computeFindings(1);
    session->computeEntropyGains();
    const TFinding& top = findings.ranked.front();
    ASSERT_TRUE(session->moveToRuleNumbered(top.setNumber));
    const int row = session->activeRuleNumber();
    EXPECT_EQ(session->sets().SetLists[slRules].item(row)->SetName, top.name);
    EXPECT_FALSE(session->moveToRuleNumbered(-5));
}

TEST_F(FindingsTest, MultiplicityCountsFlaggedExpectedWrongAndColoured) {
    const TFindings findings = session->computeFindings(1);
    int flagged = 0, coloured = 0;
    double expected = 0;
    for (const TFinding& f : findings.ranked) {
        if (f.flagged) ++flagged, expected += f.lfsr;
        if (f.pHigher > 0.95 || f.pHigher < 0.05) ++coloured;
        // Flagged exactly when the lfsr is within the level.
        EXPECT_EQ(f.flagged, f.lfsr <= 0.05) << f.name;
        EXPECT_GT(f.differenceSe, 0) << f.name;
    }
    EXPECT_GT(flagged, 0);
    EXPECT_EQ(findings.flaggedCount, flagged);
    EXPECT_EQ(findings.colouredCount, coloured);
    EXPECT_NEAR(findings.expectedWrong, expected, 1e-12);
    TFindings made;
    made.flaggedCount = 12;
    made.expectedWrong = 0.43;
    made.colouredCount = 40;
    EXPECT_EQ(multiplicityLine(made),
              "12 rules flagged; expected wrong signs 0.43; 40 "
              "coloured row by row");
}

// The score at the set's own m is the sensitivity arithmetic's, so the re-ranking is exact.
TEST_F(FindingsTest, PriorScoreAtTheSetsMIsTheFindingsScore) {
    const TFindings findings = session->computeFindings(1);
    for (const TFinding& f : findings.ranked) {
        EXPECT_NEAR(priorScore(f.targetCount, f.count, findings.contextTargetCount,
                               findings.contextCount, findings.m, findings.mPrior),
                    f.score, 1e-12)
            << f.name;
    }
}

// Two rules swap places as m grows: a tiny pure rule wins at small m, a large strong one at
// large m; a rule within the top ten by the size of its change everywhere is robust, whichever
// way it moves the rate.
TEST(FindingsPrior, RankRangeOverTheThreeMAndRobustInTheTopTen) {
    std::vector<TFinding> ranked(13);
    for (int i = 0; i < 12; ++i) {
        ranked[i].setNumber = i;
        ranked[i].count = 50;
        ranked[i].targetCount = 30 - i;  // 30/50 down to 19/50 against 30 %
    }
    ranked[10].count = 3, ranked[10].targetCount = 3;      // 3 of 3: first only for small m
    ranked[11].count = 400, ranked[11].targetCount = 400;  // strong and large: always first
    ranked[12].setNumber = 12;
    ranked[12].count = 400, ranked[12].targetCount = 0;  // lowers the rate as surely
    rankPriorSensitivity(ranked, 300, 1000, 1.0);
    const struct {
        int rule, low, high;
        bool robust;
    } expected[] = {
        {11, 1, 1, true},    // 400 of 400
        {12, 2, 2, true},    // 0 of 400: the largest fall
        {10, 3, 9, true},    // 3 of 3: 0.90 at m = 0.5, 0.46 at m = 10 (below 25 of 50)
        {0, 3, 4, true},     // 30 of 50: behind 3 of 3 for the two small m
        {7, 11, 11, false},  // 23 of 50
    };
    for (const auto& e : expected) {
        EXPECT_EQ(ranked[e.rule].rankLow, e.low) << e.rule;
        EXPECT_EQ(ranked[e.rule].rankHigh, e.high) << e.rule;
        EXPECT_EQ(ranked[e.rule].robust, e.robust) << e.rule;
    }
}

// The chance of the extreme count at the context rate decides: (1 - p)^n for a fall, p^n for
// a rise, strictly below the level.
TEST(FindingsFlags, ADirectionCountsOnlyWhenTheRuleCouldHaveShownIt) {
    const struct {
        const char* what;
        int n;
        double rate;
        bool rises, can;
    } cases[] = {
        {"0 of 91 at 1 in 300 is what the rate predicts", 91, 1.0 / 300, false, false},
        {"none of 1000 at 1 in 300 is rare", 1000, 1.0 / 300, false, true},
        {"five records at 0.42 hold none 6.6 % of the time", 5, 0.42, false, false},
        {"six records at 0.42 hold none 3.8 % of the time", 6, 0.42, false, true},
        {"a rise at 0.42 in five", 5, 0.42, true, true},
        {"a rise of a target of nearly every record", 5, 0.9, true, false},
        {"a context without the target shows nothing", 1000, 0.0, true, false},
        {"a context of the target alone shows nothing", 1000, 1.0, false, false},
        {"not a rate", 1000, std::nan(""), false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(directionCanShow(c.n, c.rate, c.rises, 0.05), c.can) << c.what;
    }
    EXPECT_FALSE(directionCanShow(1000, 0.5, true, 0.0)) << "nothing is sure at level 0";
}

// 300 records of C (yes 1, no 2, a third value 3) and A (INT 1..3, about 90, 120 and 90
// records); the third value holds the first `third` records.
std::string threeValueData(const char* thirdName, int third) {
    std::string text = std::string("TAV DATA:3/TXT/1250\nC;A\nSET:1..3:UNK=0;INT:1..3\nyes;a\n") +
                       "no;b\n" + thirdName + ";c\n";
    for (int r = 0; r < 300; ++r) {
        const int a = r % 100 < 31 ? 1 : r % 100 < 70 ? 2 : 3;
        const int c = r < third ? 3 : 1 + (r / 7) % 2;
        text += std::to_string(c) + ";" + std::to_string(a) + "\n";
    }
    return text;
}

class FindingsOfFewTargetRecords : public FindingsTest {
  protected:
    void load(const char* thirdName, int third) {
        session->loadDataFile(dir.write("few.tav", threeValueData(thirdName, third)));
        session->selectAllFields(true);
        session->setClassFieldDeselected(0);
    }
};

// A value without records in the context gives rules whose posteriors order the other way than
// their means; nothing is flagged and the note says why.
TEST_F(FindingsOfFewTargetRecords, AValueWithoutRecordsFlagsNothingAndSaysSo) {
    load("never", 0);
    const TFindings findings = session->computeFindings(3);
    EXPECT_EQ(findings.contextTargetCount, 0);
    EXPECT_EQ(findings.flaggedCount, 0);
    EXPECT_EQ(findings.expectedWrong, 0);
    EXPECT_EQ(findings.colouredCount, 0);
    EXPECT_EQ(findings.note,
              "No record of the context has C = never: no rule can change its rate, "
              "so nothing is flagged.");
    for (const TFinding& f : findings.ranked) {
        EXPECT_FALSE(f.flagged) << f.name;
        EXPECT_FALSE(f.coloured) << f.name;
        const std::string sentence = findingSentence(findings, f);
        EXPECT_EQ(sentence.find(" rises ") != std::string::npos, f.pHigher > 0.5) << sentence;
    }
    // The same when the context, not the file, leaves the value out; and for the other values.
    load("rare", 1);
    session->setContextText("C,3,<>");
    session->updateContext();
    EXPECT_EQ(session->computeFindings(3).flaggedCount, 0);
    EXPECT_NE(session->computeFindings(3).note, "");
    EXPECT_EQ(session->computeFindings(1).note, "");
}

TEST_F(FindingsOfFewTargetRecords, AContextOfTheTargetAloneFlagsNothing) {
    load("rare", 1);
    session->setContextText("C,1,=");
    session->updateContext();
    const TFindings findings = session->computeFindings(1);
    EXPECT_EQ(findings.flaggedCount, 0);
    EXPECT_EQ(findings.note,
              "Every record of the context has C = yes: no rule can change its "
              "rate, so nothing is flagged.");
}

// One target record in 300: a rule of about 90 records without it is what the rate predicts,
// not a sure fall; the rule that holds it is no sure rise either.
TEST_F(FindingsOfFewTargetRecords, OneTargetRecordFlagsNoFallOfAnOrdinaryRule) {
    load("rare", 1);
    const TFindings rare = session->computeFindings(3);
    EXPECT_EQ(rare.contextTargetCount, 1);
    EXPECT_EQ(rare.note, "");
    int without = 0;
    for (const TFinding& f : rare.ranked) {
        EXPECT_FALSE(f.flagged) << f.name;
        if (f.targetCount == 0) {
            ++without;
            EXPECT_LT(f.pHigher, 0.05) << "the posteriors alone call it sure";
        }
    }
    EXPECT_GE(without, 2);
    EXPECT_EQ(rare.flaggedCount, 0);
    EXPECT_EQ(rare.expectedWrong, 0);
}

// 800 records of C (yes 1, no 2) and nine SET fields of four values. A raises the rate of yes
// at 1 (0.6) and lowers it at 4 (0.1) from 0.3 at 2 and 3; N1..N8 are drawn apart from C, so
// their rules have no effect. Seeded, so the table is the same on every run.
std::string plantedData() {
    std::mt19937 engine(2017);
    auto uniform = [&engine] { return (static_cast<double>(engine()) + 0.5) / 4294967296.0; };
    std::string text = "TAV DATA:4/TXT/1250\nC;A";
    for (int f = 1; f <= 8; ++f)
        text += ";N" + std::to_string(f);
    text += "\nSET:1..2:UNK=0";
    for (int f = 0; f < 9; ++f)
        text += ";SET:1..4";
    text +=
        "\nyes;a;a;a;a;a;a;a;a;a\nno;b;b;b;b;b;b;b;b;b\n;c;c;c;c;c;c;c;c;c\n;d;d;d;d;d;d;d;d;d\n";
    const double rate[] = {0.6, 0.3, 0.3, 0.1};
    for (int r = 0; r < 800; ++r) {
        const int a = static_cast<int>(uniform() * 4);
        text += std::string(uniform() < rate[a] ? "1" : "2") + ";" + std::to_string(a + 1);
        for (int f = 0; f < 8; ++f)
            text += ";" + std::to_string(1 + static_cast<int>(uniform() * 4));
        text += "\n";
    }
    return text;
}

// End to end: the planted rise and fall are flagged with their signs, no rule without an effect
// is, and the expected wrong signs are the flagged rules' lfsr.
TEST_F(FindingsTest, PlantedEffectsAreFlaggedAndNullRulesAreNot) {
    session->loadDataFile(dir.write("planted.tav", plantedData()));
    session->selectAllFields(true);
    session->setClassFieldDeselected(0);
    const TFindings findings = session->computeFindings(1);
    ASSERT_EQ(findings.ranked.size(), 36u);
    int nullFlagged = 0;
    for (const TFinding& f : findings.ranked) {
        EXPECT_GE(f.svalue, 0.0);
        if (f.condition == "A = a") {
            EXPECT_TRUE(f.flagged && f.difference > 0) << f.lfsr;
        }
        if (f.condition == "A = d") {
            EXPECT_TRUE(f.flagged && f.difference < 0) << f.lfsr;
        }
        if (f.flagged && f.condition.rfind("N", 0) == 0) ++nullFlagged;
    }
    std::printf("planted table, seed 2017: %d flagged, %d of them without an effect\n",
                findings.flaggedCount, nullFlagged);
    EXPECT_EQ(nullFlagged, 0);
}

// A class of one value has no other to compare with: said plainly, not as an internal error.
TEST_F(FindingsTest, AClassOfOneValueIsRefusedWithAPlainReason) {
    session->loadDataFile(dir.write("one.tav",
                                    "TAV DATA:2/TXT/1250\nCLS;A\nSET:1..1:UNK=0;INT:1..2\nsame;x\n"
                                    ";y\n1;1\n1;2\n0;1\n1;2\n"));
    session->selectAllFields(true);
    session->setClassFieldDeselected(0);
    try {
        session->computeFindings(1);
        FAIL() << "no error";
    } catch (const ETavError& error) {
        EXPECT_STREQ(error.what(),
                     "The class field CLS has only one value: there is nothing to compare its "
                     "rate with. Choose a class field with two or more values.");
    }
}

}  // namespace

namespace {

// X (REAL, boundaries 10 and 20, codes 0..2) has one "<" set (codes 0 and 1: <= 20) and one ">"
// set (codes 1 and 2: > 10); its first and last interval are the outermost thresholds <= 10 and
// > 20. F (INT 1..3) has "< 3" and "> 1", at 2.5 and 1.5, and its values 1 and 3 are "< 2" and
// "> 2". Every point is the finding of its rule.
TEST_F(FindingsTest, SweepPlacesEveryThresholdOfTheFieldOnItsAxis) {
    session->selectField(3, false);  // a sweep does not need the field selected
    const TThresholdSweep sweep = session->computeThresholdSweep(1, 3);
    ASSERT_EQ(sweep.points.size(), 4u);
    EXPECT_TRUE(sweep.points[0].less);
    EXPECT_EQ(sweep.points[0].x, 10);
    EXPECT_TRUE(sweep.points[1].less);
    EXPECT_EQ(sweep.points[1].x, 20);
    EXPECT_EQ(sweep.points[1].finding.count, 21);
    EXPECT_FALSE(sweep.points[2].less);
    EXPECT_EQ(sweep.points[2].x, 10);
    EXPECT_EQ(sweep.points[2].finding.count, 89);
    EXPECT_FALSE(sweep.points[3].less);
    EXPECT_EQ(sweep.points[3].x, 20);
    // The two ends and the middle interval hold every record between them.
    EXPECT_EQ(sweep.points[0].finding.count + sweep.points[2].finding.count,
              sweep.points[1].finding.count + sweep.points[3].finding.count);
    session->selectField(3, true);
    const TFindings findings = session->computeFindings(1, 0);
    for (const TSweepPoint& point : sweep.points) {
        const TFinding* same = findingNamed(findings, point.finding.name);
        ASSERT_NE(same, nullptr) << point.finding.name;
        EXPECT_EQ(same->rule.rate, point.finding.rule.rate);
        EXPECT_EQ(same->pHigher, point.finding.pHigher);
    }
    const TThresholdSweep ints = session->computeThresholdSweep(1, 1);
    ASSERT_EQ(ints.points.size(), 4u);
    EXPECT_EQ(ints.points[0].x, 1.5);
    EXPECT_EQ(ints.points[1].x, 2.5);
    EXPECT_EQ(ints.points[2].x, 1.5);
    EXPECT_EQ(ints.points[3].x, 2.5);
    EXPECT_THROW(session->computeThresholdSweep(1, 2), ETavError);  // a SET field
    EXPECT_THROW(session->computeThresholdSweep(1, 0), ETavError);  // the class itself
}

}  // namespace

// 99 records: F (INT 1..5) takes only 1..3 in turn, so the thresholds at 4 and 5 and the
// values 4 and 5 split nothing new; H (SET) is x exactly where F is 1. Each group of rules with
// the same records is one finding, named after the first rule.
TEST_F(FindingsTest, RulesWithTheSameRecordsAreOneFindingNamingTheOthers) {
    std::string text =
        "TAV DATA:3/TXT/1250\nC;F;H\nSET:1..2;INT:1..5;SET:1..2\nbad;a;x\ngood;b;y\n";
    for (int r = 0; r < 99; ++r) {
        const int f = 1 + r % 3;
        text += std::string(r < 30 || r % 7 == 0 ? "1" : "2") + ";" + std::to_string(f) + ";" +
                (f == 1 ? "1" : "2") + "\n";
    }
    session->loadDataFile(dir.write("alike.tav", text));
    session->selectAllFields(true);
    session->setClassFieldDeselected(0);
    auto equivalents = [this](const TFindings& findings, const std::string& name) {
        const TFinding* f = findingNamed(findings, name);
        return f == nullptr ? std::vector<std::string>{"(missing)"} : f->equivalents;
    };
    const TFindings findings = session->computeFindings(1);
    EXPECT_EQ(equivalents(findings, "(1) F= 1-a"), std::vector<std::string>{"(2) H= 1-x"});
    EXPECT_EQ(equivalents(findings, "(1) F< 4-"), std::vector<std::string>{"(1) F< 5-"});
    EXPECT_EQ(equivalents(findings, "(1) F= 4-"),
              (std::vector<std::string>{"(1) F= 5-", "(1) F> 3-1"}));
    EXPECT_TRUE(equivalents(findings, "(1) F= 2-b").empty()) << "the same count, other records";
    for (const char* folded : {"(2) H= 1-x", "(1) F< 5-", "(1) F= 5-", "(1) F> 3-1"})
        EXPECT_EQ(findingNamed(findings, folded), nullptr) << folded;
}
