#include <gtest/gtest.h>

#include "core/Errors.h"
#include "import/ImportText.h"
#include "import/Importer.h"
#include "tests/import/ImportTestUtil.h"

using Strings = std::vector<std::string>;

namespace {

// The bytes of a literal, NULs included.
template <size_t N>
std::string bytesOf(const char (&text)[N]) {
    return std::string(text, N - 1);
}

}  // namespace

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
        // Mostly UTF-8: more valid multi-byte sequences than malformed ones.
        {"city\n\xC5\xA0kofja\n\xC4\x8Crnomelj\nCaf\xE9\n", TImportEncoding::Detect,
         TImportEncoding::Utf8},
        {"city\n\xC5\xA0kofja\nCaf\xE9\n", TImportEncoding::Detect, TImportEncoding::Win1250},
        // Windows-1250 letters that happen to form one valid sequence ("\xC8\x8A" is "ČŠ").
        {"a\n\xC8\x8A\n\xE8\x9A\n\x9E\n", TImportEncoding::Detect, TImportEncoding::Win1250},
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

TEST(ImportText, Utf16WithoutAByteOrderMarkAndBinaryFilesAreRefused) {
    const std::string little = bytesOf("n\0a\0m\0e\0,\0a\0g\0e\0\n\0A\0n\0a\0,\0\x0D\x01\n\0");
    const std::string big = bytesOf("\0n\0a\0m\0e\0,\0x\0\n\0\x31");
    for (const std::string& bytes : {little, big}) {
        EXPECT_NE(errorOf<EConvertError>([&] {
                      resolveEncoding(bytes, TImportEncoding::Win1250, "f.csv");
                  }).find("looks like UTF-16 without a byte order mark"),
                  std::string::npos);
    }
    // A spreadsheet or statistics-package file: refused whatever the encoding asked.
    std::string binary = bytesOf("PK\x03\x04\x14\0\x06\0\x08\0\0\0!\0b\xEE\x9Dh^\x01\0\0");
    binary += std::string(200, 'x');
    EXPECT_EQ(errorOf<EConvertError>([&] { resolveEncoding(binary, TImportEncoding::Utf8, "f"); }),
              "The file \"f\" is not a text table: 14 of its 222 bytes are NUL or other control "
              "characters");
    // A stray control byte or two in a text table is no reason to refuse it.
    std::string text = "a,b\n" + std::string(96, 'x') + "\x01\x1A\f\t\r\n";
    EXPECT_EQ(resolveEncoding(text, TImportEncoding::Detect, "f"), TImportEncoding::Utf8);
}

// A mostly UTF-8 file keeps its letters; the stray bytes are replaced and reported.
TEST(ImportText, StrayBytesInUtf8AreReplacedWithAWarning) {
    const TImportPlan plan = inferImportBytes(
        "city,n\n\xC5\xA0kofja Loka,1\n\xC4\x8Crnomelj,2\n\xC5\xBD"
        "alec,3\nCaf\xE9,4\nx\xFF,5\n",
        "f.csv");
    EXPECT_EQ(plan.encoding, TImportEncoding::Utf8);
    EXPECT_EQ(plan.columns[0].labels, (Strings{"\x8Akofja Loka", "\xC8rnomelj",
                                               "\x8E"
                                               "alec",
                                               "Caf?", "x?"}));
    EXPECT_EQ(plan.warnings, (Strings{"2 byte sequences not in UTF-8 became \"?\"; the first is "
                                      "in column CITY, line 5"}));
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
    // Counted apart: a character the code page lacks, and bytes that are not UTF-8 at all.
    EXPECT_EQ(decoder.replacedCount(), 1);
    EXPECT_EQ(decoder.firstReplacedColumn(), 2);
    EXPECT_EQ(decoder.firstReplacedLine(), 7);
    EXPECT_EQ(decoder.malformedCount(), 2);
    EXPECT_EQ(decoder.firstMalformedColumn(), 3);
    EXPECT_EQ(decoder.firstMalformedLine(), 9);
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
