#include <gtest/gtest.h>

#include "core/Errors.h"
#include "tests/import/ImportTestUtil.h"

using Strings = std::vector<std::string>;

TEST(CsvImport, DetectsEachDelimiter) {
    const struct {
        const char* bytes;
        char expected;
    } cases[] = {
        {"a,b,c\n1,2,3\n", ','},
        {"a;b;c\n1,5;2,5;3\n", ';'},  // decimal commas do not count on every line
        {"a\tb\n1\t2\n", '\t'},
        {"\"x;y\",b\n1,2\n", ','},  // quoted text is skipped
        {"a;b,c\n1;2\n", ';'},      // the one that is the same on every line
        {"one column\n1\n", ','},
        {"", ','},
        {"a,b;c;d\n1;2\n", ';'},  // none consistent: the most frequent on the first line
    };
    for (const auto& c : cases)
        EXPECT_EQ(detectDelimiter(c.bytes), c.expected) << c.bytes;
}

TEST(CsvImport, QuotedFieldsWithDoubledQuotesDelimitersAndLineBreaks) {
    const TParsed parsed = parsedCsv(
        "name,note\r\n\"Smith, J.\",\"said \"\"hi\"\"\"\r\n\"two\r\nlines\",x\r\nlast,y\r\n", ',');
    EXPECT_EQ(parsed.header.names, (Strings{"name", "note"}));
    ASSERT_EQ(parsed.records.size(), 3u);
    EXPECT_EQ(parsed.records[0], (Strings{"Smith, J.", "said \"hi\""}));
    // A line break inside a value becomes a blank: a data file has one record per line.
    EXPECT_EQ(parsed.records[1], (Strings{"two  lines", "x"}));
    EXPECT_EQ(parsed.records[2], (Strings{"last", "y"}));
    EXPECT_EQ(parsed.lines, (std::vector<long long>{2, 3, 5}));
}

TEST(CsvImport, TabAndSemicolonFilesKeepTheOtherSeparatorsInValues) {
    const TParsed tsv = parsedCsv("a\tb\n x, y \t1;2\n", '\t');
    ASSERT_EQ(tsv.records.size(), 1u);
    EXPECT_EQ(tsv.records[0], (Strings{"x, y", "1,2"}));
    const TParsed semicolons = parsedCsv("a;b\n1,5;\"p;q\"\n", ';');
    EXPECT_EQ(semicolons.records[0], (Strings{"1,5", "p,q"}));
}

TEST(CsvImport, LineEndsBlankLinesAndTheLastLine) {
    for (const char* bytes :
         {"a,b\n1,2\n\n3,4", "a,b\r\n1,2\r\n\r\n3,4\r\n", "a,b\r1,2\r\r3,4\r"}) {
        const TParsed parsed = parsedCsv(bytes, ',');
        ASSERT_EQ(parsed.records.size(), 2u) << bytes;
        EXPECT_EQ(parsed.records[1], (Strings{"3", "4"})) << bytes;
        EXPECT_EQ(parsed.lines[1], 4) << bytes;
    }
}

TEST(CsvImport, ShortRowsAreFilledAndEmptyExtraValuesDropped) {
    const TParsed parsed = parsedCsv("a,b,c\n1\n1,2,3,,\n   \n", ',');
    ASSERT_EQ(parsed.records.size(), 2u);
    EXPECT_EQ(parsed.records[0], (Strings{"1", "", ""}));
    EXPECT_EQ(parsed.records[1], (Strings{"1", "2", "3"}));
}

TEST(CsvImport, ARowWithMoreValuesThanTheHeaderNamesItsLine) {
    const std::string message =
        errorOf<EConvertError>([] { parsedCsv("a,b\n1,2\n\n1,2,3\n", ','); });
    EXPECT_EQ(message,
              "Error in file \"test.csv\", line 4: 3 values, but the header names 2 columns");
}

TEST(CsvImport, AFileWithoutAHeaderRowIsRefused) {
    for (const char* bytes : {"", "\n\n", "  \r\n"}) {
        EXPECT_NE(errorOf<EConvertError>([&] { parsedCsv(bytes, ','); }), "") << bytes;
    }
}

TEST(CsvImport, AnUnclosedQuoteRunsToTheEndOfTheFile) {
    const TParsed parsed = parsedCsv("a,b\n1,\"open\n2,3\n", ',');
    ASSERT_EQ(parsed.records.size(), 1u);
    EXPECT_EQ(parsed.records[0], (Strings{"1", "open 2,3"}));
}
