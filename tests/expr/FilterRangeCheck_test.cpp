#include "expr/FilterRangeCheck.h"

#include <gtest/gtest.h>

#include <string>

#include "core/FieldTypes.h"
#include "core/uTavObj.h"

namespace {

// SEX (SET 1..2, unknown 0), AGE (INT 1..3), NAME (STRING), INC (REAL, intervals 0..2), BORN
// (DATE), CUR (CURRENCY, intervals 0..1) and E (INT:5, an empty range).
const char* const kTable =
    "TAV DATA:3/TXT/1250\n"
    "SEX;AGE;NAME;INC;BORN;CUR;E\n"
    "SET:1..2:UNK=0;INT:1..3;STRING;REAL:::2;DATE;CURRENCY:::1;INT:5\n"
    "male;young;;10;;100;\n"
    "female;middle;;20;;;\n"
    ";old;;;;;\n"
    "1;2;Ana;5;1.1.1990;50;5\n";

// "FIELD constant low..high" for each pair found, joined by "; ".
std::string outside(const TBaza& data, const std::string& expression) {
    std::string text;
    for (const TConstantOutsideField& item :
         constantsOutsideFields(tokenizeExpression(expression), data)) {
        if (!text.empty()) text += "; ";
        text += data.fieldName(item.field) + " " + std::to_string(item.constant) + " " +
                std::to_string(item.low) + ".." + std::to_string(item.high);
    }
    return text;
}

TEST(FilterRangeCheck, FindsConstantsOutsideWhatTheFieldCompares) {
    TBaza data;
    data.loadDataBytes(kTable, "range.csv", dfkFromHeader, cpUnknown);
    struct Case {
        std::string expression;
        std::string outside;
    };
    const Case cases[] = {
        // Interval numbers of REAL and CURRENCY fields, both operand orders.
        {"INC,30,<", "INC 30 0..2"},
        {"30,INC,>", "INC 30 0..2"},
        {"INC,3,=", "INC 3 0..2"},
        {"INC,-1,>", "INC -1 0..2"},
        {"INC,2,<", ""},
        {"INC,0,<>", ""},
        {"0,INC,<", ""},
        {"CUR,2,=", "CUR 2 0..1"},
        {"CUR,1,=", ""},
        // Codes of SET and INT fields; an unknown code selects the unknown values.
        {"AGE,0,=", "AGE 0 1..3"},
        {"AGE,4,<>", "AGE 4 1..3"},
        {"AGE,1,>", ""},
        {"3,AGE,>", ""},
        {"SEX,3,=", "SEX 3 1..2"},
        {"SEX,0,=", ""},
        {"SEX,-1,=", "SEX -1 1..2"},  // -1 is no unknown code
        {"E,7,=", ""},
        // Hexadecimal and lower-case text read as the evaluator reads them.
        {"AGE,0X10,=", "AGE 16 1..3"},
        {"age,30,<", "AGE 30 1..3"},
        // Nothing to compare with codes.
        {"NAME,'30',=", ""},
        {"BORN,30,=", ""},
        {"AGE,INC,=", ""},
        {"5,30,<", ""},
        {"X12,30,<", ""},
        {"AGE,1A,<", ""},
        {"", ""},
        // Inside longer expressions, each pair once, in the order of the text.
        {"AGE,30,<,INC,9,>,AND", "AGE 30 1..3; INC 9 0..2"},
        {"AGE,30,<,AGE,30,>,OR", "AGE 30 1..3"},
        {"AGE,30,<,AGE,40,>,OR", "AGE 30 1..3; AGE 40 1..3"},
        {"1,INC,=,INC,5,<,OR", "INC 5 0..2"},
        {"AGE,30,<,NOT", "AGE 30 1..3"},
        {"SEX,1,=,AGE,2,=,AND,INC,7,=,OR", "INC 7 0..2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(outside(data, c.expression), c.outside) << c.expression;
}

}  // namespace
