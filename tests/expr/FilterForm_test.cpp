#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/LocaleFormat.h"
#include "expr/FilterDate.h"
#include "expr/FilterForm.h"

namespace {

TEST(FilterForm, PostfixEndsInAnOperatorAfterACommaOrHasABareComma) {
    struct Case {
        std::string text;
        TFilterForm form;
        std::string sign;  // the readable sign a postfix text also holds
        int at;
    };
    const TFilterForm P = TFilterForm::Postfix;
    const TFilterForm R = TFilterForm::Readable;
    const Case cases[] = {
        {"", P, "", 0},
        {" \t ", P, "", 0},
        {"AGE,3,>", P, "", 0},
        {" age , 3 , > ", P, "", 0},
        {"AGE,30,>,", P, "", 0},
        {"SEX,'m',=", P, "", 0},
        {"F,1,=,F,2,=,or,NOT", P, "", 0},
        {"NAME,'a b (c) = d',=", P, "", 0},
        // Broken postfix texts stay postfix, so their errors are the postfix ones.
        {"F,1", P, "", 0},
        {",", P, "", 0},
        // Broken either way, but written like a readable condition: its error is the readable one.
        {"INCOME > 1500,50", R, "", 0},
        {"F IN X,1", R, "", 0},
        // Readable texts never end in a postfix operator after a comma.
        {"AGE > 50 and SEX = 'm'", R, "", 0},
        {"AGE>50", R, "", 0},
        {"REGION in ('north', 'south')", R, "", 0},
        {"NAME = 'a,b,='", R, "", 0},
        {"\"A,B\" is missing", R, "", 0},
        {"AGE", R, "", 0},
        {"NOT", R, "", 0},
        {"x = 1, >", P, "=", 3},
        // A postfix text that also has the readable form's words or operators.
        {"YEARS IN JOB,3,>", P, "IN", 7},
        {"AGE >= 50,NOT", P, ">=", 5},
        {"(AGE),1,=", P, "(", 1},
        {"A,B is missing,=", P, "IS", 5},
        {"NOT PAID,1,=", P, "NOT", 1},
        {"AND,1,=", P, "", 0},  // a field that a postfix operator hides is no sign
    };
    for (const Case& c : cases) {
        const TFilterFormChoice choice = chooseFilterForm(c.text);
        EXPECT_EQ(choice.form, c.form) << c.text;
        EXPECT_EQ(choice.readableSign, c.sign) << c.text;
        EXPECT_EQ(choice.readableSignAt, c.at) << c.text;
    }
}

TEST(FilterForm, TheWarningNamesTheFilterAndTheSign) {
    EXPECT_EQ(ambiguousFormWarning(chooseFilterForm("YEARS IN JOB,3,>"), "context filter"),
              "Warning: the context filter ends in an operator after a comma, so it is read as a "
              "postfix expression, although \"IN\" at position 7 belongs to the readable form.");
    EXPECT_EQ(ambiguousFormWarning(chooseFilterForm("AGE,3,>"), "context filter"), "");
    EXPECT_EQ(ambiguousFormWarning(chooseFilterForm("AGE > 3"), "context filter"), "");
}

TEST(FilterDate, ReadsTheLocaleOrderAndIso) {
    const std::optional<int32_t> epoch = dayNumberOfDate("1.1.1970");
    ASSERT_TRUE(epoch);
    EXPECT_EQ(*epoch, 0);
    EXPECT_EQ(dayNumberOfDate("1970-01-02"), 1);
    EXPECT_EQ(dayNumberOfDate("31.12.1969"), -1);
    EXPECT_EQ(dayNumberOfDate("29.02.2000"), dayNumberOfDate("2000-02-29"));
    EXPECT_EQ(dayNumberOfDate(" 1. 3. 2000. 12:30"), dayNumberOfDate("2000-03-01"));
    EXPECT_EQ(dayNumberOfDate("1.3.00"), dayNumberOfDate("2000-03-01"));
    EXPECT_EQ(dayNumberOfDate("1.3.99"), dayNumberOfDate("1999-03-01"));
    for (const char* bad : {"", "x", "1.1", "29.2.1900", "31.4.2000", "0.1.2000", "1.13.2000",
                            "1.1.2000x", "1..1.2000", "12345-1-1", "0000-01-01"})
        EXPECT_EQ(dayNumberOfDate(bad), std::nullopt) << bad;

    const std::string saved = localeFormat().shortDateFormat;
    localeFormat().shortDateFormat = "M/d/yyyy";
    EXPECT_EQ(dayNumberOfDate("2/29/2000"), dayNumberOfDate("2000-02-29"));
    EXPECT_EQ(dayNumberOfDate("29/2/2000"), std::nullopt);
    EXPECT_EQ(dayNumberOfDate("29.2.2000"), dayNumberOfDate("2000-02-29"));  // dots: day first
    localeFormat().shortDateFormat = saved;
}

}  // namespace
