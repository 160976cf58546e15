#include <gtest/gtest.h>

#include "session/uTavSession.h"
#include "stats/uTavFreq.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"
#include "tests/session/PairsTable.h"
#include "tests/support/TempDir.h"

namespace {

class PairsSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetStatSettings();
        session.loadDataFile(dir.write("pairs.csv", pairsData()));
        session.selectAllFields(true);
        session.setClassFieldDeselected(0);
    }
    void TearDown() override { resetStatSettings(); }

    TempDir dir;
    TTavSession session;
};

}  // namespace

// A listed pair made the Frequency table's condition shows, with only the target visible, the
// pair's own numbers: the Frequency table and the pairs agree.
TEST_F(PairsSessionTest, AnActivePairShowsItsNumbersInTheFrequencyTable) {
    session.updateContext("X > 5");
    const TPairFindings pairs = session.computePairFindings(1, 1, 1000);
    ASSERT_FALSE(pairs.top.empty());
    session.hideClassValues({2});
    for (const TPairFinding& pair : pairs.top) {
        SCOPED_TRACE(pair.condition);
        ASSERT_TRUE(session.makePairActive(pair.setNumberA, pair.setNumberB));
        EXPECT_EQ(session.activePairCondition(), pair.condition);
        TxViewReader& table = session.frequencyTable();
        using namespace FrequencyColumns;
        ASSERT_EQ(table.valueAt(0, kNo).toInteger(), kSubTotalSlot);
        EXPECT_EQ(pair.targetCount, table.valueAt(0, kCondFrequency).toInteger());
        EXPECT_EQ(pairs.context.rate, table.valueAt(0, kProbability).toFloat());
        EXPECT_EQ(pair.rule.rate, table.valueAt(0, kCondProbability).toFloat());
        EXPECT_NEAR(pair.score, table.valueAt(0, kEntropyChange).toFloat(), 1e-12);
        EXPECT_NEAR(pair.pHigher, table.valueAt(0, kSignif).toFloat(), 1e-12);
    }
}

// Moving to a rule or loading a file ends the pair; a pair of one field or of a missing rule is
// refused and changes nothing.
TEST_F(PairsSessionTest, MovingToARuleEndsThePairAndBadPairsAreRefused) {
    const TPairFindings pairs = session.computePairFindings(1, 1, 5);
    ASSERT_FALSE(pairs.top.empty());
    const TPairFinding& pair = pairs.top.front();
    ASSERT_TRUE(session.makePairActive(pair.setNumberA, pair.setNumberB));
    EXPECT_FALSE(session.makePairActive(pair.setNumberA, pair.setNumberA));
    EXPECT_FALSE(session.makePairActive(pair.setNumberA, 100000));
    EXPECT_EQ(session.activePairCondition(), pair.condition);
    ASSERT_TRUE(session.moveToRule(0));
    EXPECT_EQ(session.activePairCondition(), "");
    ASSERT_TRUE(session.makePairActive(pair.setNumberA, pair.setNumberB));
    session.loadDataFile(dir.write("again.csv", pairsData()));
    EXPECT_EQ(session.activePairCondition(), "");
}
