#include "core/CodePage.h"

#include <gtest/gtest.h>

#include "core/Errors.h"
#include "core/Win1250.h"

namespace {
std::string bytes(std::initializer_list<unsigned char> list) {
    return std::string(list.begin(), list.end());
}
}  // namespace

TEST(CodePage, ConvertsTheTenLettersBetween852And1250BothWays) {
    EXPECT_EQ(ConvertString(bytes({0x9F, 0xE7, 0xA7}), cp852, cp1250), bytes({0xE8, 0x9A, 0x9E}));
    EXPECT_EQ(ConvertString(bytes({0xE8, 0x9A, 0x9E}), cp1250, cp852), bytes({0x9F, 0xE7, 0xA7}));
}

TEST(CodePage, ReplacementCharactersOf437BecomeLettersButNotTheReverse) {
    EXPECT_EQ(ConvertString(bytes({'a', '~', 'b'}), cp437, cp1250), bytes({'a', 0xE8, 'b'}));
    // An ASCII tilde in Windows-1250 text has no letter index, so it stays.
    EXPECT_EQ(ConvertString(bytes({'a', '~', 'b'}), cp1250, cp437), bytes({'a', '~', 'b'}));
    EXPECT_EQ(ConvertString(bytes({0xE8, 0x9A}), cp1250, cp437), "~{");
}

TEST(CodePage, BytesThatAreNoLetterPassUnchanged) {
    EXPECT_EQ(ConvertChar(0x9A, cp8859_2, cp1250), 0x9A);
    EXPECT_EQ(ConvertString("plain text 123", cp852, cp1250), "plain text 123");
    // From Unknown, 8859-1 and 1250 every byte is found under its own index.
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(ConvertChar(static_cast<unsigned char>(b), cp8859_1, cp1250), b);
        EXPECT_EQ(ConvertChar(static_cast<unsigned char>(b), cpUnknown, cp1250), b);
    }
}

TEST(CodePage, LettersLoseTheirDiacriticsInThePlainCodePages) {
    const std::string letters = bytes({0xE8, 0xC8, 0xE6, 0xC6, 0x9A, 0x8A, 0x9E, 0x8E, 0xF0, 0xD0});
    EXPECT_EQ(ConvertString(letters, cp1250, cp8859_1), "cCcCsSzZdD");
    EXPECT_EQ(ConvertString(letters, cp1250, cp8859_2),
              bytes({0xE8, 0xC8, 0xE6, 0xC6, 0xB9, 0xA9, 0xBE, 0xAE, 0xF0, 0xD0}));
}

TEST(CodePage, ExtendedCharactersAndNames) {
    EXPECT_EQ(CharToXChar(0x9F, cp852), 256);
    EXPECT_EQ(CharToXChar('c', cp8859_1), 'c');  // the smallest index wins
    EXPECT_EQ(XCharToChar(263, cp437), '@');
    EXPECT_EQ(StringToCodePageId("Unknown"), cpUnknown);
    EXPECT_EQ(StringToCodePageId("852"), cp852);
    try {
        StringToCodePageId("unknown");
        FAIL();
    } catch (const ECodePageError& error) {
        EXPECT_STREQ(error.what(), "StringToCodePageId: Illegal CodePageId string (\"unknown\").");
    }
    EXPECT_THROW(ConvertString("x", static_cast<CodePageId>(7), cp1250), ECodePageError);
}

TEST(Win1250, RoundTripsEveryByteThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(utf8ToWin1250(win1250ToUtf8(all)), all);
    EXPECT_EQ(win1250ToUtf8(bytes({0x8A, 0xE8})), "\xC5\xA0\xC4\x8D");  // Š č
    EXPECT_EQ(utf8ToWin1250("\xE2\x82\xAC \xF0\x9F\x98\x80 \xC3"),
              bytes({0x80, ' ', '?', ' ', '?'}));
}

TEST(Win1250, UpperCasesNationalLetters) {
    EXPECT_EQ(upperCase1250(bytes({'a', 0x9A, 0xE8, 0x9E, 0xF0, 0xB3, 0xB9, 0xBE, 0xFE})),
              bytes({'A', 0x8A, 0xC8, 0x8E, 0xD0, 0xA3, 0xA5, 0xBC, 0xDE}));
    // Sharp s, the division sign and the dot above have no upper-case form.
    EXPECT_EQ(upperCase1250(bytes({0xDF, 0xF7, 0xFF, 0xB5})), bytes({0xDF, 0xF7, 0xFF, 0xB5}));
    // Every byte's upper case is its own upper case (the table is closed).
    for (int b = 0; b < 256; ++b) {
        const unsigned char u = upperChar1250(static_cast<unsigned char>(b));
        EXPECT_EQ(upperChar1250(u), u) << b;
    }
}
