#include "stats/ConditionText.h"

#include <gtest/gtest.h>

namespace {

// EDEMA: a SET field with a label missing for code 1; AGE: a REAL field of boundaries 25, 35 and
// 65; KIDS: an INT field; PRICE: a CURRENCY field of one boundary; FLAT: a REAL field without
// boundaries.
const char kTable[] =
    "TAV DATA:3/TXT/1250\n"
    "EDEMA;AGE;KIDS;PRICE;FLAT\n"
    "SET:0..2;REAL:::3;INT:0..3;CURRENCY:::1;REAL:::0\n"
    "none;25;;10.4;\n"
    ";35;one;;\n"
    "slight;65;;;\n"
    "0;25;0;10.4;1\n"
    "1;35;1;10.5;2\n"
    "2;25.5;2;3;3\n"
    "0;66;3;20;4\n";

struct ConditionTextTest : ::testing::Test {
    TBaza data;
    void SetUp() override { data.loadDataBytes(kTable, "t.csv", dfkFromHeader, cpUnknown); }
    std::string text(int field, int code, TRelation relation) const {
        TItemPravila item;
        item.FieldNo = field;
        item.ValueCode = code;
        item.Relation = relation;
        return conditionText(data, item);
    }
};

}  // namespace

TEST_F(ConditionTextTest, EveryFieldTypeAndRelationReadsAsValues) {
    const struct {
        int field, code;
        TRelation relation;
        const char* expected;
    } cases[] = {
        {0, 0, relEqual, "EDEMA = none"},   {0, 1, relEqual, "EDEMA = 1"},  // no label: the code
        {0, 2, relEqual, "EDEMA = slight"}, {1, 0, relEqual, "AGE <= 25"},  // the first interval
        {1, 1, relEqual, "25 < AGE <= 35"}, {1, 2, relEqual, "35 < AGE <= 65"},
        {1, 3, relEqual, "AGE > 65"},                                        // the last interval
        {1, 2, relLess, "AGE <= 35"},                                        // codes 0 and 1
        {1, 3, relLess, "AGE <= 65"},       {1, 0, relGreater, "AGE > 25"},  // codes 1 to 3
        {1, 1, relGreater, "AGE > 35"},     {3, 0, relEqual, "PRICE <= 10.4"},
        {3, 1, relEqual, "PRICE > 10.4"},   {2, 1, relEqual, "KIDS = one"},
        {2, 2, relLess, "KIDS < 2"},        {2, 1, relGreater, "KIDS > one"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text(c.field, c.code, c.relation), c.expected)
            << "field " << c.field << " code " << c.code << " relation " << int(c.relation);
    }
}

TEST_F(ConditionTextTest, WhatNoBoundaryDescribesReadsByItsLabel) {
    EXPECT_EQ(text(4, 0, relEqual), "FLAT = 0");   // an interval field without boundaries
    EXPECT_EQ(text(1, 7, relEqual), "AGE = 7");    // a code past the last interval
    EXPECT_EQ(text(1, 4, relLess), "AGE < 4");     // a threshold that holds every interval
    EXPECT_EQ(text(1, -1, relEqual), "AGE = -1");  // no crash on a code below 0
    EXPECT_EQ(text(1, 2147483647, relGreater), "AGE > 2147483647");  // nor on the largest
    EXPECT_EQ(text(1, 4, relEqual), "AGE = 4");                      // one past the last interval
    EXPECT_EQ(text(9, 1, relEqual), "field 9 = 1");                  // a field outside the table
    EXPECT_EQ(text(-1, 1, relGreater), "field -1 > 1");
}

TEST_F(ConditionTextTest, ABoundaryValueIsInTheIntervalBelowAsTheTextSays) {
    // Record 0 has AGE 25 and PRICE 10.4, record 1 AGE 35 and PRICE 10.5, record 2 AGE 25.5.
    EXPECT_EQ(text(1, data.fieldValueCode(0, 1), relEqual), "AGE <= 25");
    EXPECT_EQ(text(1, data.fieldValueCode(1, 1), relEqual), "25 < AGE <= 35");
    EXPECT_EQ(text(1, data.fieldValueCode(2, 1), relEqual), "25 < AGE <= 35");
    EXPECT_EQ(text(1, data.fieldValueCode(3, 1), relEqual), "AGE > 65");
    EXPECT_EQ(text(3, data.fieldValueCode(0, 3), relEqual), "PRICE <= 10.4");
    EXPECT_EQ(text(3, data.fieldValueCode(1, 3), relEqual), "PRICE > 10.4");
}

TEST_F(ConditionTextTest, RulesJoinTheirConditionsAndClassValuesReadAsConditions) {
    TPravilo rule;
    EXPECT_EQ(ruleConditionText(data, rule), "");
    AddItem(rule, 0, 0, relEqual);
    AddItem(rule, 1, 1, relGreater);
    EXPECT_EQ(ruleConditionText(data, rule), "EDEMA = none and AGE > 35");
    EXPECT_EQ(classValueText(data, 0, 2), "EDEMA = slight");
    EXPECT_EQ(classValueText(data, 1, 1), "25 < AGE <= 35");
    EXPECT_EQ(valueLabel(data, 1, 1), "25 - 35");  // the loader's label, blanks trimmed
}

TEST(BoundaryText, ShortestDecimalThatReadsBack) {
    EXPECT_EQ(boundaryText(98), "98");
    EXPECT_EQ(boundaryText(10.4), "10.4");
    EXPECT_EQ(boundaryText(-0.25), "-0.25");
    EXPECT_EQ(boundaryText(1029.73), "1029.73");
}
