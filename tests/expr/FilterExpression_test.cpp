#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "core/FieldTypes.h"
#include "core/uTavObj.h"
#include "expr/FilterExpression.h"

namespace {

// SEX (SET), AGE (INT), NAME (STRING), INC (REAL with boundaries 10 and 20), BORN (DATE) and a
// field named AND, which the operator hides.
const char* const kTable =
    "TAV DATA:3/TXT/1250\n"
    "SEX;AGE;NAME;INC;BORN;AND\n"
    "SET:1..2:UNK=0;INT:1..3;STRING;REAL:::2;DATE;INT:0..1\n"
    "male;young;;10;;\n"
    "female;middle;;20;;\n"
    ";old;;;;\n"
    "1;2;Ana;5;1.1.1990;0\n"
    "2;3;\x9Aola;10;;1\n"  // s-caron, upper-cased to S-caron (0x8A)
    "1;1;Bob;15;;0\n"
    "2;1;ana;25;;1\n";

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int k = 0; k < times; ++k)
        out += text;
    return out;
}

class FilterExpression : public ::testing::Test {
  protected:
    void SetUp() override { data.loadDataBytes(kTable, "filter.csv", dfkFromHeader, cpUnknown); }

    // The check-mode error text, "" for a valid expression; fails when result and text disagree.
    std::string checkError(const std::string& expression) {
        std::string error = "stale";
        const bool valid = evaluateExpression(data, expression, -1, error);
        EXPECT_EQ(valid, error.empty()) << expression;
        return error;
    }

    // One character per record: '1' where the record is selected.
    std::string selected(const std::string& expression) {
        std::string marks;
        for (int r = 0; r < data.RecordCount(); ++r) {
            std::string error;
            marks += evaluateExpression(data, expression, r, error) ? '1' : '0';
        }
        return marks;
    }

    TBaza data;
};

TEST_F(FilterExpression, CheckModeReportsTheFirstError) {
    struct Case {
        std::string expression;
        std::string error;
    };
    const Case cases[] = {
        {"", ""},
        {"   ", ""},
        {"AGE,2,>", ""},
        {" age , 2 , > ", ""},
        {"AGE,30,>,", ""},
        {"AGE,1,=,AGE,2,=,or,not", ""},
        {"BORN,0,=", ""},
        {"',NAME,=", ""},
        {"\"ANA\",NAME,=", ""},
        {"-2147483648,AGE,<", ""},
        {"2147483647,AGE,>", ""},
        {"0X1F,-$10,>", ""},
        {"+x10,16,=", ""},
        {"AGE,30", "More than one result"},
        {"1,1,=,1,1,=", "More than one result"},
        {",", "Empty argument"},
        {"AGE", "Result is not boolean"},
        {"NAME", "Result is not boolean"},
        {"AGE,'30',=", "Operand type conflict"},
        {"NAME,5,=", "Operand type conflict"},
        {"SEX,'MALE',=", "Operand type conflict"},
        {"AGE,NOT", "Operand type conflict"},
        {"AGE,1,=,2,AND", "Operand type conflict"},
        {"AGE,1,=,AGE,2,=,<", ""},
        {"=", "Pop from empty stack"},
        {"AGE,30,=,=", "Pop from empty stack"},
        {"AND,0,=", "Pop from empty stack"},
        {"AGE,,30,=", "Empty argument"},
        {",AGE,1,=", "Empty argument"},
        {"'A,B'", "Invalid string argument 'A"},
        {"\"ANA',NAME,=", "Invalid string argument \"ANA'"},
        {"X12,1,=", "Field X12 does not exist"},
        {"x12,1,=", "Field X12 does not exist"},
        {"AGE,1,<=", "Field <= does not exist"},
        {"AGE,$3,=", "Field $3 does not exist"},
        {"AGE,1,=\t", "Field =\t does not exist"},
        {"+", "Invalid integer argument +"},
        {"-", "Invalid integer argument -"},
        {"1a", "Invalid integer argument 1A"},
        {"2147483648,AGE,<", "Invalid integer argument 2147483648"},
        {"-2147483649,AGE,<", "Invalid integer argument -2147483649"},
        {"1 2,AGE,<", "Invalid integer argument 1 2"},
        {"X,1A,=", "Field X does not exist"},
        {repeat("1,", 19), "More than one result"},
        {repeat("1,", 20), "Push to full stack"},
        {repeat("1,", 19) + "1A", "Invalid integer argument 1A"},
        {repeat("1,", 25) + repeat("=,", 24), "Push to full stack"},
        {repeat("1,", 30) + repeat("AND,", 40), "Push to full stack"},
        // 19 pending operands at the deepest point, then one more.
        {repeat("1,1,=,", 18) + repeat("AND,", 17), ""},
        {repeat("1,1,=,", 19) + repeat("AND,", 18), "Push to full stack"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkError(c.expression), c.error) << c.expression;
}

TEST_F(FilterExpression, EvaluateModeSelectsTheMatchingRecords) {
    struct Case {
        std::string expression;
        std::string marks;
    };
    const Case cases[] = {
        {"", "1111"},
        {"NAME,'ana',=", "1001"},
        {"name,'ANA',=", "1001"},
        {"NAME,'\x9Aola',=", "0100"},
        {"AGE,2,>", "0100"},
        {"AGE,2,<", "0011"},
        {"AGE,2,<>", "0111"},
        {"2,AGE,<", "0100"},
        {"SEX,1,=,AGE,1,=,AND", "0010"},
        {"SEX,1,=,AGE,3,=,OR", "1110"},
        {"SEX,1,=,NOT", "0101"},
        {"AGE,0x3,=", "0100"},
        // Interval indexes of 5, 10, 15 and 25 among the boundaries 10 and 20.
        {"INC,0,=", "1100"},
        {"INC,1,=", "0010"},
        {"INC,2,=", "0001"},
        // Bytes compare unsigned, a prefix sorts first.
        {"NAME,'B',<", "1001"},
        {"NAME,'BOB',>", "0100"},
        {"NAME,'AN',>", "1111"},
        // false sorts before true.
        {"AGE,1,=,AGE,3,=,<", "0100"},
        {"BORN,0,=", "1111"},
        // Expressions that do not check select nothing.
        {"AGE,30", "0000"},
        {"AGE", "0000"},
        {"AGE,1,=,2,AND", "0000"},
        {"AGE,1,=,NOT,X,NOT", "0000"},
        {repeat("1,1,=,", 19) + repeat("AND,", 18), "0000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(selected(c.expression), c.marks) << c.expression;
}

TEST_F(FilterExpression, EvaluateModeReportsItsErrorText) {
    std::string error = "stale";
    EXPECT_TRUE(evaluateExpression(data, "AGE,2,=", 0, error));
    EXPECT_EQ(error, "");
    EXPECT_FALSE(evaluateExpression(data, "AGE", 0, error));
    EXPECT_EQ(error, "Result is not boolean");
}

TEST_F(FilterExpression, RecordsOutsideTheTableAreAnErrorNotACrash) {
    std::string error;
    EXPECT_FALSE(evaluateExpression(data, "AGE,1,=,NOT", 4, error));
    EXPECT_EQ(error, "Field AGE cannot be read: record 4 does not exist");
    EXPECT_FALSE(evaluateExpression(data, "NAME,'',=", 2147483647, error));
    EXPECT_EQ(error, "Field NAME cannot be read: record 2147483647 does not exist");
    // Literals alone read no record.
    EXPECT_TRUE(evaluateExpression(data, "1,1,=", 4, error));
}

TEST(FilterExpressionWithoutRecords, CheckModeSaysThereAreNoRecords) {
    TBaza empty;
    empty.loadDataBytes("TAV DATA:0/TXT/1250\nAGE;NAME\nINT:1..3;STRING\n", "empty.csv",
                        dfkFromHeader, cpUnknown);
    ASSERT_EQ(empty.RecordCount(), 0);
    std::string error;
    const std::string noRecords = "The expression cannot be checked: the table has no records";
    for (const char* text : {"AGE,1,=", "X,1,=", "", "1,1,="}) {
        EXPECT_FALSE(evaluateExpression(empty, text, -1, error)) << text;
        EXPECT_EQ(error, noRecords) << text;
    }
    EXPECT_FALSE(evaluateExpression(empty, "NAME,'X',=", 0, error));
    EXPECT_EQ(error, "Field NAME cannot be read: the table has no records");
}

TEST(FilterExpressionErrors, CodedFieldsReadTheStoredCodesWithoutTracing) {
    TBaza data;
    data.setFields({"S"}, {"SET:1..2"});
    data.appendRecord({"two"});
    int traced = 0;
    traceHook() = [&](const std::string&) { ++traced; };
    std::string error;
    EXPECT_TRUE(evaluateExpression(data, "S,0,=", 0, error));
    traceHook() = nullptr;
    EXPECT_EQ(traced, 0);
    // The first error stays the first.
    EXPECT_FALSE(evaluateExpression(data, "X,S,=", -1, error));
    EXPECT_EQ(error, "Field X does not exist");
}

TEST(FilterExpressionReuse, TheSameTextIsLookedUpAgainInEveryTable) {
    TBaza first;
    TBaza second;
    first.loadDataBytes("TAV DATA:0/TXT/1250\nX;Y\nINT:0..9;INT:0..9\n1;2\n", "a.csv",
                        dfkFromHeader, cpUnknown);
    second.loadDataBytes("TAV DATA:0/TXT/1250\nY;X\nINT:0..9;STRING\n1;2\n", "b.csv", dfkFromHeader,
                         cpUnknown);
    std::string error;
    EXPECT_TRUE(evaluateExpression(first, "Y,2,=", 0, error));
    EXPECT_FALSE(evaluateExpression(second, "Y,2,=", 0, error));
    EXPECT_TRUE(evaluateExpression(second, "Y,1,=", 0, error));
    EXPECT_FALSE(evaluateExpression(second, "X,2,=", -1, error));
    EXPECT_EQ(error, "Operand type conflict");
    EXPECT_TRUE(evaluateExpression(first, "X,2,=", -1, error));

    const TFilterExpression expression("X,'2',=");
    EXPECT_TRUE(expression.evaluate(second, 0, error));
    EXPECT_FALSE(expression.evaluate(first, 0, error));
    EXPECT_EQ(error, "Operand type conflict");
}

}  // namespace
