#include "core/TextUtils.h"

#include <gtest/gtest.h>

#include "core/Errors.h"
#include "core/LocaleFormat.h"

TEST(TextUtils, ParseRealAcceptsOnlyDecimalNumbers) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"10", 10},
        {"10,5", 10.5},
        {"-2.25", -2.25},
        {"+3", 3},
        {"1e3", 1000},
        {"1,5e-2", 0.015},
        {".5", 0.5},
        {"5.", 5},
        {"1E+2", 100},
        {"0", 0},
        // Not numbers: all give 0.
        {"", 0},
        {"abc", 0},
        {"nan", 0},
        {"NAN", 0},
        {"inf", 0},
        {"-infinity", 0},
        {"1e999", 0},
        {"-1e999", 0},
        {"0x10", 0},
        {"0x1p3", 0},
        {"1,5,0", 0},
        {"1.5.0", 0},
        {" 1", 0},
        {"1 ", 0},
        {"1e", 0},
        {"e5", 0},
        {"-", 0},
        {".", 0},
        {"1,000.5", 0},
        {"$10", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseReal(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_FALSE(tryParseReal("nan").has_value());
    EXPECT_TRUE(tryParseReal("0").has_value());
    // The settings take no "," at all.
    EXPECT_FALSE(tryParsePlainDecimal("1,5").has_value());
    EXPECT_EQ(tryParsePlainDecimal("12.5").value(), 12.5);
}

TEST(TextUtils, IntegersAreWholeDecimalOrHexadecimalTexts) {
    struct Case {
        const char* text;
        std::optional<int32_t> expected;
    };
    const Case cases[] = {
        {"12", 12},
        {"  7", 7},
        {"-3", -3},
        {"+4", 4},
        {"$1F", 31},
        {"x10", 16},
        {"X10", 16},
        {"0x10", 16},
        {"0XfF", 255},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"", {}},
        {"  ", {}},
        {"2147483648", {}},
        {"12 ", {}},
        {"1.5", {}},
        {"abc", {}},
        {"0x", {}},
        {"$", {}},
        {"99999999999999999999", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tryParseInteger(c.text), c.expected) << '"' << c.text << '"';
    try {
        parseIntegerOrThrow("3a");
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'3a' is not a valid integer value");
    }
}

TEST(TextUtils, SplitHeadAndTrims) {
    EXPECT_EQ(splitHead("a:b:c", ':'), std::make_pair(std::string("a"), std::string("b:c")));
    EXPECT_EQ(splitHead("abc", ':'), std::make_pair(std::string("abc"), std::string()));
    EXPECT_EQ(splitHead(":", ':'), std::make_pair(std::string(), std::string()));
    EXPECT_EQ(trimLeftBlanks("  \ta "), "\ta ");
    EXPECT_EQ(trimRightBlanks(" a\t  "), " a\t");
    EXPECT_EQ(trimRightBlanks("   "), "");
}

TEST(TextUtils, NumbersFollowTheLocaleSeparators) {
    TLocaleFormat& locale = localeFormat();
    const TLocaleFormat saved = locale;
    locale.decimalSeparator = ',';
    locale.thousandSeparator = '.';
    EXPECT_EQ(formatNumber(5, 3, 0.5), "0,500");
    EXPECT_EQ(formatNumber(8, 3, 0.25), "   0,250");
    EXPECT_EQ(formatNumber(0, 2, 1234567.891), "1.234.567,89");
    EXPECT_EQ(formatNumber(0, 0, -1234), "-1.234");
    EXPECT_EQ(formatNumber(0, 3, -0.0001), "0,000");
    locale.thousandSeparator = 0;
    EXPECT_EQ(formatNumber(0, 1, 12345.25), "12345,3");  // half away from zero
    EXPECT_EQ(formatNumber(0, 2, -0.125), "-0,13");
    EXPECT_EQ(formatNumber(0, 0, 999.5), "1000");
    locale = saved;
    EXPECT_EQ(formatNumber(0, 3, 1000), "1,000.000");
    EXPECT_EQ(realToText(7, 3, 0.3), "  0.300");
    EXPECT_EQ(realToText(0, 2, -0.5), "-0.50");
    EXPECT_EQ(realToText(2, 2, 12.5), "12.50");  // never cut
}

TEST(TextUtils, CommaTextQuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(joinCommaText({"a", "b c", "", "d,e", "say \"hi\"", "tab\there"}),
              "a,\"b c\",,\"d,e\",\"say \"\"hi\"\"\",\"tab\there\"");
    EXPECT_EQ(joinCommaText({""}), "\"\"");
    EXPECT_EQ(joinCommaText({"", ""}), ",");
    EXPECT_EQ(joinCommaText({}), "");
}

TEST(TextUtils, CommaTextSplitsAsTheReaderDoes) {
    struct Case {
        const char* text;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"a,b", {"a", "b"}},
        {"a b", {"a", "b"}},
        {"  a ,  b  ", {"a", "b"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {",a", {"", "a"}},
        {",", {"", ""}},
        {"\"\"", {""}},
        {"\"x \"\"y\"\"\",z", {"x \"y\"", "z"}},
        {"\"unterminated", {"unterminated"}},
        {"", {}},
    };
    std::vector<std::string> items;
    for (const Case& c : cases) {
        splitCommaText(c.text, items);
        EXPECT_EQ(items, c.expected) << c.text;
    }
}

TEST(TextUtils, CommaTextRoundTripsAnyList) {
    const std::vector<std::vector<std::string>> lists = {
        {""},
        {"", ""},
        {"a", ""},
        {"", "a"},
        {" lead", "trail ", "\"", ",", "x\"y"},
        {"\xE8\x9A\x9E", "1,5", "a;b"},
        {"", "", ""},
    };
    std::vector<std::string> items;
    for (const auto& list : lists) {
        splitCommaText(joinCommaText(list), items);
        EXPECT_EQ(items, list) << joinCommaText(list);
    }
}

TEST(TextUtils, CollapseBlanksAndShellWords) {
    EXPECT_EQ(collapseBlanks("  (3) AGE:  25 -  35 "), "(3) AGE: 25 - 35");
    EXPECT_EQ(collapseBlanks("   "), "");
    EXPECT_EQ(shellWord("data/loans.csv"), "data/loans.csv");
    EXPECT_EQ(shellWord("my table.csv"), "'my table.csv'");
    EXPECT_EQ(shellWord("it's"), "'it'\\''s'");
    EXPECT_EQ(shellWord(""), "''");
}
