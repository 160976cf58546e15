#include <gtest/gtest.h>

#include "core/Errors.h"
#include "import/ImportText.h"
#include "tests/import/ImportTestUtil.h"

using Strings = std::vector<std::string>;

TEST(ImportText, EncodingDetection) {
    const struct {
        std::string bytes;
        TImportEncoding asked;
        TImportEncoding expected;
    } cases[] = {
        {"a,b\n1,2\n", TImportEncoding::Detect, TImportEncoding::Utf8},
        {"\xEF\xBB\xBF"
         "a\n",
         TImportEncoding::Detect, TImportEncoding::Utf8},
        {"name\n\xC4\x8D"
         "ebula\n",
         TImportEncoding::Detect, TImportEncoding::Utf8},
        {"name\n\xE8"
         "ebula\n",
         TImportEncoding::Detect, TImportEncoding::Win1250},
        {"\xC0\xAF", TImportEncoding::Detect, TImportEncoding::Win1250},      // overlong
        {"\xED\xA0\x80", TImportEncoding::Detect, TImportEncoding::Win1250},  // surrogate
        {"\xE8", TImportEncoding::Utf8, TImportEncoding::Utf8},
        {"\xC4\x8D", TImportEncoding::Win1250, TImportEncoding::Win1250},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolveEncoding(c.bytes, c.asked, "f"), c.expected) << c.bytes;
}

TEST(ImportText, Utf16IsRefusedWithAMessage) {
    for (const std::string bom : {"\xFF\xFE", "\xFE\xFF"}) {
        const std::string message = errorOf<EConvertError>(
            [&] { resolveEncoding(bom + "a", TImportEncoding::Detect, "f.csv"); });
        EXPECT_NE(message.find("UTF-16"), std::string::npos) << message;
    }
}

TEST(ImportText, Utf8BecomesWin1250AndForeignTextBecomesQuestionMarks) {
    TTextDecoder decoder(TImportEncoding::Utf8);
    EXPECT_EQ(decoder.decode("\xC4\x8D\xC5\xA1\xC5\xBE \xE2\x82\xAC", 0, 1), "\xE8\x9A\x9E \x80");
    EXPECT_EQ(decoder.replacedCount(), 0);
    // A CJK character, a cut sequence and a stray continuation byte: one "?" each.
    EXPECT_EQ(decoder.decode("a\xE6\x97\xA5"
                             "b",
                             2, 7),
              "a?b");
    EXPECT_EQ(decoder.decode("x\xC4", 3, 9), "x?");
    EXPECT_EQ(decoder.decode("\x80y", 1, 10), "?y");
    EXPECT_EQ(decoder.replacedCount(), 3);
    EXPECT_EQ(decoder.firstReplacedColumn(), 2);
    EXPECT_EQ(decoder.firstReplacedLine(), 7);
}

TEST(ImportText, ValuesLoseControlCharactersSemicolonsAndOuterBlanks) {
    TTextDecoder decoder(TImportEncoding::Win1250);
    EXPECT_EQ(decoder.decode("  a;b\r\nc\t ", 0, 1), "a,b  c");
    EXPECT_EQ(decoder.decode(std::string("x\0y\x1A", 4), 0, 1), "x y");
    EXPECT_EQ(decoder.semicolonCount(), 1);
    EXPECT_EQ(decoder.decode("\xE8", 0, 1), "\xE8");
}

TEST(ImportText, MissingValues) {
    for (const char* text : {"", "?", "NA", "na", "N/A", "n/a", "null", "NULL", "Null"})
        EXPECT_TRUE(isMissingValue(text)) << text;
    for (const char* text : {"0", "-", "NAN", "none", "??", "nulls", " "})
        EXPECT_FALSE(isMissingValue(text)) << text;
}

TEST(ImportText, Numbers) {
    const struct {
        const char* text;
        bool decimalComma;
        std::optional<double> expected;
    } cases[] = {
        {"12", false, 12},
        {"-1.5", false, -1.5},
        {"+3e2", false, 300},
        {"1,5", true, 1.5},
        {"1,5", false, std::nullopt},
        {"1.234,5", true, std::nullopt},
        {"1,2,3", true, std::nullopt},
        {"abc", true, std::nullopt},
        {"inf", false, std::nullopt},
        {"nan", false, std::nullopt},
        {"0x10", false, std::nullopt},
        {"1e999", false, std::nullopt},
        {"", false, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(importNumber(c.text, c.decimalComma), c.expected) << c.text;
    for (const char* text : {"0", "-12", "+7", "007"})
        EXPECT_TRUE(isIntegerText(text)) << text;
    for (const char* text : {"1.0", "1e3", "-", "", "1,0"})
        EXPECT_FALSE(isIntegerText(text)) << text;
}
