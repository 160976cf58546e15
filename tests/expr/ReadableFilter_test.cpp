#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/FieldTypes.h"
#include "core/StBits.h"
#include "core/uTavObj.h"
#include "expr/FilterExpression.h"
#include "expr/ReadableFilter.h"

namespace {

// One record of the test table, as written and as the readable form should see it.
struct Row {
    int sex;  // SET 1..2, 0 unknown
    int age;  // INT 1..3, 0 unknown
    const char* name;
    const char* inc;  // REAL, boundaries 10 and 20
    const char* pay;  // CURRENCY, boundary 100
    const char* born;
    std::optional<double> incValue;
    std::optional<double> payValue;
    int bornYmd;  // 0: no date
};

const Row kRows[] = {
    {1, 2, "Ana", "5", "50", "1.1.1990", 5, 50, 19900101},
    {2, 3, "Bob", "10", "100", "31.12.2001", 10, 100, 20011231},
    {0, 1, "", "25", "150", "", 25, 150, 0},
    {1, 0, "cid", "15,5", "", "2001-12-31", 15.5, std::nullopt, 20011231},
    {2, 1, "Ana", "", "99.5", "29.2.2000", std::nullopt, 99.5, 20000229},
    {1, 3, "\x9Aola", "20", "200", "30.2.2000", 20, 200, 0},  // s-caron; no such day
    {2, 2, "bob", "abc", "100", "15.6.1975", std::nullopt, 100, 19750615},
    {1, 1, "Zoe", "-3", "0", "1.1.1990", -3, 0, 19900101},
};

std::string tableText() {
    std::string text =
        "TAV DATA:3/TXT/1250\n"
        "SEX;AGE;NAME;INC;PAY;BORN;EMPTY\n"
        "SET:1..2:UNK=0;INT:1..3:UNK=0;STRING;REAL:::2;CURRENCY:::1;DATE;UNKNOWN\n"
        "male;young;;10;100;;\n"
        "female;middle;;20;;;\n"
        ";old;;;;;\n";
    for (const Row& row : kRows) {
        text += std::to_string(row.sex) + ";" + std::to_string(row.age) + ";" + row.name + ";" +
                row.inc + ";" + row.pay + ";" + row.born + ";\n";
    }
    return text;
}

class ReadableFilterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        data.loadDataBytes(tableText(), "readable.csv", dfkFromHeader, cpUnknown);
    }

    // One character per record, '1' where the readable text selects it; the error otherwise.
    std::string readable(const std::string& text) {
        std::string error;
        const std::unique_ptr<TReadableFilter> filter = TReadableFilter::compile(data, text, error);
        if (!filter) return error;
        EXPECT_EQ(error, "");
        TStBits set(data.RecordCount() - 1);
        filter->select(set);
        std::string marks;
        for (int r = 0; r < data.RecordCount(); ++r) {
            EXPECT_EQ(set.testBit(r), filter->matches(r)) << text;
            marks += set.testBit(r) ? '1' : '0';
        }
        return marks;
    }

    std::string postfix(const std::string& expression) {
        std::string marks;
        std::string error;
        EXPECT_TRUE(evaluateExpression(data, expression, -1, error)) << expression << error;
        for (int r = 0; r < data.RecordCount(); ++r)
            marks += evaluateExpression(data, expression, r, error) ? '1' : '0';
        return marks;
    }

    TBaza data;
};

std::string direct(const std::function<bool(const Row&)>& holds) {
    std::string marks;
    for (const Row& row : kRows)
        marks += holds(row) ? '1' : '0';
    return marks;
}

TEST_F(ReadableFilterTest, EveryTypeAndOperatorSelectsWhatADirectCountSelects) {
    struct Case {
        std::string readable;
        std::string postfix;  // the same condition in the postfix form, or ""
        std::function<bool(const Row&)> holds;
    };
    auto inc = [](const Row& r) { return r.incValue; };
    auto pay = [](const Row& r) { return r.payValue; };
    const Case cases[] = {
        // SET: labels in any case, codes as numbers; an unknown code fails every comparison.
        {"SEX = 'male'", "SEX,1,=", [](const Row& r) { return r.sex == 1; }},
        {"sex = 'FEMALE'", "SEX,2,=", [](const Row& r) { return r.sex == 2; }},
        {"SEX <> 'male'", "SEX,1,<>,SEX,0,<>,AND", [](const Row& r) { return r.sex == 2; }},
        {"SEX != 1", "SEX,1,<>,SEX,0,<>,AND", [](const Row& r) { return r.sex == 2; }},
        {"SEX = 2", "SEX,2,=", [](const Row& r) { return r.sex == 2; }},
        {"SEX < 'male'", "SEX,2,=", [](const Row& r) { return r.sex == 2; }},  // FEMALE < MALE
        {"SEX >= 'male'", "SEX,1,=", [](const Row& r) { return r.sex == 1; }},
        {"SEX in ('male', 'female')", "SEX,0,>", [](const Row& r) { return r.sex != 0; }},
        {"SEX is missing", "SEX,0,=", [](const Row& r) { return r.sex == 0; }},
        {"SEX is not missing", "SEX,0,<>", [](const Row& r) { return r.sex != 0; }},
        // INT: the number, or a label as its code.
        {"AGE > 1", "AGE,1,>", [](const Row& r) { return r.age > 1; }},
        {"AGE >= 2", "AGE,1,>", [](const Row& r) { return r.age >= 2; }},
        {"AGE < 3", "AGE,3,<,AGE,0,<>,AND", [](const Row& r) { return r.age != 0 && r.age < 3; }},
        {"AGE <= 'middle'", "AGE,3,<,AGE,0,>,AND",
         [](const Row& r) { return r.age != 0 && r.age <= 2; }},
        {"AGE = 'old'", "AGE,3,=", [](const Row& r) { return r.age == 3; }},
        {"AGE between 2 and 3", "AGE,1,>", [](const Row& r) { return r.age >= 2; }},
        {"AGE in (1, 3)", "AGE,1,=,AGE,3,=,OR",
         [](const Row& r) { return r.age == 1 || r.age == 3; }},
        {"AGE is missing", "AGE,0,=", [](const Row& r) { return r.age == 0; }},
        // STRING: the text without regard to case; empty is missing.
        {"NAME = 'ana'", "NAME,'ANA',=", [](const Row& r) { return std::string(r.name) == "Ana"; }},
        {"NAME <> 'Ana'", "NAME,'ANA',<>,NAME,'',<>,AND",
         [](const Row& r) { return std::string(r.name) != "Ana" && *r.name != 0; }},
        {"NAME > 'bob'", "NAME,'BOB',>",
         [](const Row& r) {
             const std::string n = r.name;
             return n == "cid" || n == "\x9Aola" || n == "Zoe";
         }},
        {"NAME in ('bob', 'zoe')", "NAME,'BOB',=,NAME,'ZOE',=,OR",
         [](const Row& r) {
             const std::string n = r.name;
             return n == "Bob" || n == "bob" || n == "Zoe";
         }},
        {"NAME is missing", "NAME,'',=", [](const Row& r) { return *r.name == 0; }},
        // REAL: the value, not its interval; "15,5" is a number, "" and "abc" are missing. A
        // threshold at a boundary is the postfix interval comparison.
        {"INC > 10", "INC,0,>", [&](const Row& r) { return inc(r) && *inc(r) > 10; }},
        {"INC > 20", "INC,1,>", [&](const Row& r) { return inc(r) && *inc(r) > 20; }},
        {"INC >= 15.5", "", [&](const Row& r) { return inc(r) && *inc(r) >= 15.5; }},
        {"INC < 0", "", [&](const Row& r) { return inc(r) && *inc(r) < 0; }},
        {"INC <= -3", "", [&](const Row& r) { return inc(r) && *inc(r) <= -3; }},
        {"INC = 15.5", "", [&](const Row& r) { return inc(r) && *inc(r) == 15.5; }},
        {"INC <> 10", "", [&](const Row& r) { return inc(r) && *inc(r) != 10; }},
        {"INC between 5 and 15.5", "",
         [&](const Row& r) { return inc(r) && *inc(r) >= 5 && *inc(r) <= 15.5; }},
        {"INC in (5, 25)", "",
         [&](const Row& r) { return inc(r) && (*inc(r) == 5 || *inc(r) == 25); }},
        {"INC is missing", "", [&](const Row& r) { return !inc(r); }},
        {"not (INC > 10)", "INC,0,>,NOT", [&](const Row& r) { return !(inc(r) && *inc(r) > 10); }},
        // CURRENCY likewise; a quoted number is a number.
        {"PAY > 100", "PAY,0,>", [&](const Row& r) { return pay(r) && *pay(r) > 100; }},
        {"PAY < '99.6'", "", [&](const Row& r) { return pay(r) && *pay(r) < 99.6; }},
        {"PAY is not missing", "", [&](const Row& r) { return pay(r).has_value(); }},
        // DATE: the locale's d.M.yyyy and ISO; a day the month does not have is missing.
        {"BORN = '31.12.2001'", "", [](const Row& r) { return r.bornYmd == 20011231; }},
        {"BORN = '2001-12-31'", "", [](const Row& r) { return r.bornYmd == 20011231; }},
        {"BORN < '1.1.1990'", "", [](const Row& r) { return r.bornYmd && r.bornYmd < 19900101; }},
        {"BORN >= '2000-02-29'", "", [](const Row& r) { return r.bornYmd >= 20000229; }},
        {"BORN between '1.1.1980' and '31.12.2000'", "",
         [](const Row& r) { return r.bornYmd >= 19800101 && r.bornYmd <= 20001231; }},
        {"BORN is missing", "", [](const Row& r) { return r.bornYmd == 0; }},
        // and, or, not and parentheses.
        {"SEX = 'male' and AGE > 1", "SEX,1,=,AGE,1,>,AND",
         [](const Row& r) { return r.sex == 1 && r.age > 1; }},
        {"SEX = 'female' or AGE = 1 and NAME = 'zoe'", "SEX,2,=,AGE,1,=,NAME,'ZOE',=,AND,OR",
         [](const Row& r) { return r.sex == 2 || (r.age == 1 && std::string(r.name) == "Zoe"); }},
        {"(SEX = 'female' or AGE = 1) and not NAME = 'zoe'",
         "SEX,2,=,AGE,1,=,OR,NAME,'ZOE',=,NOT,AND",
         [](const Row& r) { return (r.sex == 2 || r.age == 1) && std::string(r.name) != "Zoe"; }},
        {"not not (SEX = 1)", "SEX,1,=", [](const Row& r) { return r.sex == 1; }},
        {"not (SEX is missing) AND (age=1 OR age=3)", "SEX,0,<>,AGE,1,=,AGE,3,=,OR,AND",
         [](const Row& r) { return r.sex != 0 && (r.age == 1 || r.age == 3); }},
    };
    for (const Case& c : cases) {
        const std::string expected = direct(c.holds);
        EXPECT_EQ(readable(c.readable), expected) << c.readable;
        if (!c.postfix.empty()) {
            EXPECT_EQ(postfix(c.postfix), expected) << c.postfix;
        }
    }
}

TEST_F(ReadableFilterTest, ErrorsNameWhatIsWrongAndWhere) {
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"AGEE > 50", "Unknown field \"AGEE\" at position 1."},
        {"SEX = 'm' and  \"NO SUCH\" is missing", "Unknown label 'm' of field SEX at position 7."},
        {"SEX = 'male' and  \"NO SUCH\" is missing", "Unknown field \"NO SUCH\" at position 19."},
        {"AGE = 'ancient'", "Unknown label 'ancient' of field AGE at position 7."},
        {"SEX in ('male', 'x')", "Unknown label 'x' of field SEX at position 17."},
        {"INC > 'lots'", "Field INC takes numbers, not 'lots' at position 7."},
        {"NAME = 5", "Field NAME takes texts in single quotes, not 5 at position 8."},
        {"BORN < 1990",
         "Field BORN takes dates in single quotes as dd.MM.yyyy or yyyy-mm-dd, not 1990 at "
         "position 8."},
        {"BORN < '31.2.1990'",
         "Field BORN takes dates in single quotes as dd.MM.yyyy or yyyy-mm-dd, not '31.2.1990' "
         "at position 8."},
        {"EMPTY = 1", "Field EMPTY has no values to compare (type UNKNOWN) at position 1."},
        {"", "Expected a field name at the end of the text."},
        {"AGE",
         "Expected a comparison (=, <>, !=, <, <=, >, >=, between, in or is) at the end "
         "of the text."},
        {"AGE 5",
         "Expected a comparison (=, <>, !=, <, <=, >, >=, between, in or is) at "
         "position 5."},
        {"AGE > ", "Expected a number or a text in single quotes at the end of the text."},
        {"AGE > SEX", "Expected a number or a text in single quotes at position 7."},
        {"AGE == 1", "Unknown operator \"==\" at position 5."},
        {"AGE ! 1", "Unknown operator \"!\" at position 5."},
        {"AGE between 1 or 2", "Expected \"and\" at position 15."},
        {"AGE in 1, 2", "Expected \"(\" after \"in\" at position 8."},
        {"AGE in (1 2)", "Expected \",\" or \")\" at position 11."},
        {"AGE is 1", "Expected \"missing\" at position 8."},
        {"(AGE = 1", "Expected \")\" at the end of the text."},
        {"AGE = 1)", "Expected \"and\", \"or\" or the end of the text at position 8."},
        {"AGE = 1 SEX = 1", "Expected \"and\", \"or\" or the end of the text at position 9."},
        {"and = 1", "Expected a field name at position 1."},
        {"NAME = 'open", "Text at position 8 has no closing quote."},
        {"\"AGE = 1", "Field name at position 1 has no closing double quote."},
        {std::string(101, '(') + "AGE = 1" + std::string(101, ')'),
         "Too many nested parentheses or \"not\" at position 101."},
    };
    for (const Case& c : cases) {
        std::string error = "stale";
        EXPECT_EQ(TReadableFilter::compile(data, c.text, error), nullptr) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST_F(ReadableFilterTest, NamesMayBeQuotedAndTextsHoldTheirQuotes) {
    TBaza named;
    named.loadDataBytes(
        "TAV DATA:2/TXT/1250\n"
        "MY FIELD;A<B;NOTE\n"
        "INT:1..2;INT:1..2;STRING\n"
        "one;one;\n"
        "two;two;\n"
        "1;2;it's\n"
        "2;1;\"quoted\"\n",
        "named.csv", dfkFromHeader, cpUnknown);
    struct Case {
        std::string text;
        bool first, second;
    };
    const Case cases[] = {
        {"\"my field\" = 1", true, false},      {"\"A<B\" = 'one'", false, true},
        {"NOTE = 'IT''S'", true, false},        {"NOTE = '\"quoted\"'", false, true},
        {"note\t=\n'\"QUOTED\"'", false, true},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::unique_ptr<TReadableFilter> filter =
            TReadableFilter::compile(named, c.text, error);
        ASSERT_NE(filter, nullptr) << c.text << ": " << error;
        EXPECT_EQ(filter->matches(0), c.first) << c.text;
        EXPECT_EQ(filter->matches(1), c.second) << c.text;
    }
}

TEST_F(ReadableFilterTest, AValueOutsideTheCodesIsKeptAndComparedByItsCode) {
    TBaza wide;
    wide.loadDataBytes(
        "TAV DATA:1/TXT/1250\n"
        "S\n"
        "SET:1..2\n"
        "a\n"
        "1\n"
        "300\n"
        "0\n",
        "wide.csv", dfkFromHeader, cpUnknown);
    std::string error;
    const std::unique_ptr<TReadableFilter> big = TReadableFilter::compile(wide, "S > 2", error);
    ASSERT_NE(big, nullptr) << error;
    EXPECT_FALSE(big->matches(0));
    EXPECT_TRUE(big->matches(1));
    // Code 0 is no unknown code of this field: it is a value without a label.
    const std::unique_ptr<TReadableFilter> zero = TReadableFilter::compile(wide, "S = 0", error);
    ASSERT_NE(zero, nullptr) << error;
    EXPECT_TRUE(zero->matches(2));
}

TEST_F(ReadableFilterTest, AnIntegerZeroIsTheNumberZeroOnlyWhereNoTextWasCodedZero) {
    // A: every 0 is the text "0". B: a 0 also stands for "x" and an empty text, which are no
    // numbers: there the text tells them apart.
    TBaza ints;
    ints.loadDataBytes(
        "TAV DATA:2/TXT/1250\n"
        "A;B\n"
        "INT:1..2;INT:1..2\n"
        "one;one\n"
        "two;two\n"
        "0;0\n"
        "2;x\n"
        "0;\n"
        "3;2\n",
        "ints.csv", dfkFromHeader, cpUnknown);
    EXPECT_FALSE(ints.zeroCodeFromNonInteger(0));
    EXPECT_TRUE(ints.zeroCodeFromNonInteger(1));
    const auto marks = [&](const std::string& text) {
        std::string error;
        const std::unique_ptr<TReadableFilter> filter = TReadableFilter::compile(ints, text, error);
        EXPECT_NE(filter, nullptr) << error;
        std::string out;
        for (int r = 0; filter && r < ints.RecordCount(); ++r)
            out += filter->matches(r) ? '1' : '0';
        return out;
    };
    EXPECT_EQ(marks("A = 0"), "1010");
    EXPECT_EQ(marks("A is missing"), "0000");
    EXPECT_EQ(marks("B = 0"), "1000");
    EXPECT_EQ(marks("B is missing"), "0110");
    EXPECT_EQ(marks("B < 3"), "1001");
}

}  // namespace
