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

TEST(CsvImport, ShortRowsAreFilledAndCountedEmptyExtraValuesDropped) {
    const TParsed parsed = parsedCsv("a,b,c\n1,2,3\n1\n1,2,3,,\n   \n4,5\n", ',');
    ASSERT_EQ(parsed.records.size(), 4u);
    EXPECT_EQ(parsed.records[1], (Strings{"1", "", ""}));
    EXPECT_EQ(parsed.records[2], (Strings{"1", "2", "3"}));
    EXPECT_EQ(parsed.records[3], (Strings{"4", "5", ""}));
    EXPECT_EQ(parsed.warnings,
              (Strings{"2 rows have fewer values than the 3 columns of the header and got "
                       "missing values; the first is on line 3"}));
    EXPECT_TRUE(parsedCsv("a,b\n1,2\n\n3,4,\n", ',').warnings.empty());
}

TEST(CsvImport, StrictRowsRefuseAShortRowNamingItsLine) {
    const std::string message = errorOf<EConvertError>(
        [] { parsedCsv("a,b,c\n1,2,3\n\"x\ny\",2\n", ',', TImportEncoding::Win1250, true); });
    EXPECT_EQ(message,
              "Error in file \"test.csv\", line 3: 2 values, but the header names 3 columns");
    EXPECT_EQ(parsedCsv("a,b\n1,2\n\n", ',', TImportEncoding::Win1250, true).records.size(), 1u);
}

TEST(CsvImport, ARowWithMoreValuesThanTheHeaderNamesItsLine) {
    for (const char* bytes : {"a,b\n1,2\n\n1,2,3\n", "a,b\n1,2\n\n1,2,,x,,,\n"}) {
        EXPECT_EQ(errorOf<EConvertError>([&] { parsedCsv(bytes, ','); }),
                  "Error in file \"test.csv\", line 4: more values than the 2 columns the header "
                  "names")
            << bytes;
    }
}

// A line of separators is refused at the limit instead of being held in memory value by value.
TEST(CsvImport, ValuesOfARowStopAtTheFieldLimit) {
    const std::string commas(100000, ',');
    EXPECT_EQ(errorOf<EConvertError>([&] { parsedCsv("a,b\n" + commas + "\n", ','); }),
              "Error in file \"test.csv\", line 2: more values than the 2 columns the header "
              "names");
    EXPECT_EQ(errorOf<ELimitError>([&] { parsedCsv(commas + "\n1\n", ','); }),
              "Error in file \"test.csv\", line 1: more than 256 columns; a table holds at most "
              "256 fields");
    EXPECT_EQ(errorOf<EConvertError>([&] { parsedCsv("a,b\n1,2\n1,2" + commas + "\n", ','); }),
              "Error in file \"test.csv\", line 3: more values than the 2 columns the header "
              "names");
    // Empty extra values up to the limit are still only dropped.
    const TParsed parsed = parsedCsv("a,b\n1,2" + std::string(254, ',') + "\n", ',');
    EXPECT_EQ(parsed.records, (std::vector<Strings>{{"1", "2"}}));
}

TEST(CsvImport, BlankLinesOfAOneColumnFileAreMissingValues) {
    for (const char* bytes :
         {"\n\nx\n1\n\n2\n  \n3\n\n\n", "\r\n\r\nx\r\n1\r\n\r\n2\r\n  \r\n3\r\n\r\n",
          "\r\rx\r1\r\r2\r  \r3\r\r"}) {
        const TParsed parsed = parsedCsv(bytes, ',');
        EXPECT_EQ(parsed.header.names, (Strings{"x"})) << bytes;
        // The blank lines at the end end the file; those before the header are skipped.
        EXPECT_EQ(parsed.records, (std::vector<Strings>{{"1"}, {""}, {"2"}, {""}, {"3"}})) << bytes;
        EXPECT_EQ(parsed.lines, (std::vector<long long>{4, 5, 6, 7, 8})) << bytes;
    }
}

TEST(CsvImport, AFileWithoutAHeaderRowIsRefused) {
    for (const char* bytes : {"", "\n\n", "  \r\n"}) {
        EXPECT_NE(errorOf<EConvertError>([&] { parsedCsv(bytes, ','); }), "") << bytes;
    }
}

TEST(CsvImport, AQuoteLeftOpenIsRefusedNamingTheLineWhereItOpened) {
    const struct {
        const char* bytes;
        long long line;
    } cases[] = {
        {"a,b\n1,\"open\n2,3\n", 2},
        {"\"a,b\n1,2\n", 1},
        {"a,b\n\"two\nlines\",\"open\n3,4", 3},  // a value closes and another opens on line 3
        {"a,b\n1,2\n3,\"x\"\"", 3},              // a doubled quote does not close the value
        {"a,b\n1,\"x\n\ny\n", 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorOf<EConvertError>([&] { parsedCsv(c.bytes, ','); }),
                  "Error in file \"test.csv\", line " + std::to_string(c.line) +
                      ": a quote opens a value here and is never closed")
            << c.bytes;
    }
    EXPECT_EQ(parsedCsv("a,b\n1,\"x\ny\"", ',').records, (std::vector<Strings>{{"1", "x y"}}));
}
