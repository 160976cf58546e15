#include "batch/BatchRuleName.h"

#include <gtest/gtest.h>

#include "batch/BatchOptions.h"

namespace {

// The rules of a table whose two fields share a name, so that their names without the field's
// number collide, and a REAL field whose interval names hold two blanks after the ":".
struct RuleNameTest : ::testing::Test {
    TBaza data;
    TSetCatalogue sets;
    void SetUp() override {
        data.loadDataBytes(
            "TAV DATA:2/TXT/1250\nA;A;AGE\nSET:1..2;SET:1..2;REAL:::2\nx;x;25\ny;y;35\n1;2;30\n",
            "t", dfkFromHeader, cpUnknown);
        BuildSets(data, sets, kAllSetLists, 2.0);
    }
    std::string error(const std::string& name) const {
        try {
            ruleRowNamed(sets.SetLists[slRules], name);
        } catch (const EBatchUsage& usage) {
            return usage.what();
        }
        return "";
    }
    int row(const std::string& name) const { return ruleRowNamed(sets.SetLists[slRules], name); }
};

}  // namespace

TEST_F(RuleNameTest, AWholeNameOrAUniqueNameWithoutTheFieldNumberFindsTheRule) {
    const TMnozicaList& rules = sets.SetLists[slRules];
    ASSERT_EQ(rules.item(3)->SetName, "(1) A= 1-x");
    ASSERT_EQ(rules.item(6)->SetName, "(2) AGE:  25 - 35");
    EXPECT_EQ(row("(1) A= 1-x"), 3);
    EXPECT_EQ(row("Complete set"), 0);
    EXPECT_EQ(row("(2) AGE:  25 - 35"), 6);
    EXPECT_EQ(row("(2) AGE: 25 - 35"), 6);  // the grid's two blanks typed as one
    EXPECT_EQ(row("AGE: 25 - 35"), 6);
    EXPECT_EQ(row(" AGE > 25 "), row("(2) AGE > 25"));  // a threshold; blanks at the ends
}

TEST_F(RuleNameTest, ANameOfNoRuleOrOfSeveralIsAUsageErrorThatSaysSo) {
    EXPECT_EQ(error("A= 1-x"),
              "--rule: \"A= 1-x\" names the rules 1 and 3: give the whole name or the number");
    EXPECT_EQ(error("(1) A= 3-z"), "--rule: no rule is named \"(1) A= 3-z\"");
    EXPECT_EQ(error("(1)"), "--rule: no rule is named \"(1)\"");
    EXPECT_EQ(error(""), "--rule: no rule is named \"\"");
}
