// Every limit of the data model and every malformed header stops the load with a message that
// says which limit and where, and nothing is written outside the tables.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/Errors.h"
#include "core/MemoryBudget.h"
#include "core/uTavObj.h"

namespace {

// The message of the error that `bytes` raises when loaded, or "" when it loads.
template <typename Error>
std::string loadError(const std::string& bytes, TBaza& data) {
    try {
        data.loadDataBytes(bytes, "bad.csv", dfkFromHeader, cpUnknown);
    } catch (const Error& error) {
        return error.what();
    }
    return "";
}

void expectContains(const std::string& text, const std::string& part) {
    EXPECT_NE(text.find(part), std::string::npos) << "\"" << part << "\" not in: " << text;
}

}  // namespace

// Records are bounded by memory alone: a table past the old fixed size of 65,001 loads whole,
// and one that needs more memory than there is stops before anything is allocated for it.
TEST(DataFileLimits, RecordsAreBoundedByMemoryAlone) {
    std::string text = "TAV DATA:0/TXT/1250\nA;B\nSET:0..1;STRING\n";
    for (int r = 0; r < 70'000; ++r)
        text += std::to_string(r % 2) + ";r" + std::to_string(r) + "\n";
    TBaza data;
    ASSERT_EQ(loadError<ETavError>(text, data), "");
    EXPECT_EQ(data.RecordCount(), 70'000);
    EXPECT_EQ(data.fieldValueCode(69'999, 0), 1);
    EXPECT_EQ(data.fieldValueAsString(69'999, 1), "R69999");

    setAvailableMemoryForTesting([] { return std::uint64_t{1} << 20; });
    TBaza tooBig;
    const std::string message = loadError<ELimitError>(text, tooBig);
    setAvailableMemoryForTesting({});
    expectContains(message, "The table of \"bad.csv\" (70000 records of 2 fields) needs about ");
    expectContains(message, " MB of memory; 1 MB are available.");
    EXPECT_EQ(tooBig.RecordCount(), 0);
}

// A code stored in a byte keeps its value whatever the file gives: codes past 254 and below 0
// read back as they were, and belong to no value set's range.
TEST(DataFileLimits, CodesOutsideAByteReadBackAsTheFileGaveThem) {
    TBaza data;
    ASSERT_EQ(
        loadError<ETavError>(
            "TAV DATA:0/TXT/1250\nA;B\nINT:1..3;SET:0..1\n254;1\n255;0\n100000;1\n-7;0\n", data),
        "");
    const int expected[] = {254, 255, 100000, -7};
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(data.fieldValueCode(r, 0), expected[r]) << r;
        EXPECT_EQ(data.fieldValueCode(r, 1), r % 2 == 0 ? 1 : 0) << r;
    }
    EXPECT_EQ(data.codeRow(0)[0], 254);
    EXPECT_EQ(data.codeRow(1)[0], TBaza::kOtherCode);
}

TEST(MemoryBudget, MegabytesAreRoundedUpAndGrouped) {
    EXPECT_EQ(megabytesText(1), "1 MB");
    EXPECT_EQ(megabytesText(std::uint64_t{1234} << 20), "1,234 MB");
    EXPECT_EQ(megabytesText((std::uint64_t{1234567} << 20) + 1), "1,234,568 MB");
    setAvailableMemoryForTesting([] { return std::uint64_t{0}; });
    EXPECT_NO_THROW(checkMemoryFor(std::uint64_t{1} << 50, "x")) << "unknown: let it pass";
    setAvailableMemoryForTesting({});
    EXPECT_GT(availableMemoryBytes(), 0u);
}

TEST(DataFileLimits, MoreThan256Fields) {
    std::string names, types;
    for (int i = 0; i < 257; ++i) {
        names += (i ? ";F" : "F") + std::to_string(i);
        types += i ? ";STRING" : "STRING";
    }
    TBaza data;
    const std::string message =
        loadError<ELimitError>("TAV DATA:0/TXT/1250\n" + names + "\n" + types + "\nx\n", data);
    expectContains(message, "line 2");
    expectContains(message, "257 fields");
    EXPECT_EQ(data.FieldCount(), 0);
    EXPECT_EQ(data.RecordCount(), 0);
}

TEST(DataFileLimits, CodeRangesOutside0To127) {
    for (const char* typeText : {"SET:0..128", "INT:-1..3", "SET:200", "INT:1..1000:UNK=0"}) {
        TBaza data;
        const std::string message = loadError<ELimitError>(
            std::string("TAV DATA:0/TXT/1250\nA;AGE\nSTRING;") + typeText + "\nx;1\n", data);
        expectContains(message, "line 3");
        expectContains(message, "field AGE");
        expectContains(message, "outside 0..127");
        EXPECT_EQ(data.RecordCount(), 0) << typeText;
    }
    TBaza empty;  // an empty range (low above high) is not outside
    EXPECT_EQ(loadError<ELimitError>("TAV DATA:0/TXT/1250\nA\nINT:5\n1\n", empty), "");
}

TEST(DataFileLimits, MoreThan127Boundaries) {
    TBaza data;
    const std::string message =
        loadError<ELimitError>("TAV DATA:0/TXT/1250\nX\nREAL:::128\n1\n", data);
    expectContains(message, "field X");
    expectContains(message, "128 boundaries");
    TBaza negative;
    expectContains(loadError<ELimitError>("TAV DATA:0/TXT/1250\nX\nCURRENCY:::-1\n1\n", negative),
                   "-1 boundaries");
    TBaza most;
    EXPECT_EQ(loadError<ELimitError>("TAV DATA:0/TXT/1250\nX\nREAL:::127\n1\n", most), "");
}

TEST(DataFileLimits, FixedWidthColumnsOutside0To65535) {
    for (const char* width : {"65536", "-2"}) {
        TBaza data;
        const std::string message = loadError<ELimitError>(
            std::string("TAV DATA:0/FLT/1250\nA:3;B:") + width + "\nSTRING;STRING\nabc\n", data);
        expectContains(message, "line 2");
        expectContains(message, "field B");
        expectContains(message, std::string("column width ") + width);
        EXPECT_EQ(data.RecordCount(), 0);
    }
}

TEST(DataFileLimits, TypesLineShorterThanTheNames) {
    TBaza data;
    const std::string message =
        loadError<EListIndexError>("TAV DATA:0/TXT/1250\nA;B;C\nSTRING;STRING\nx;y;z\n", data);
    expectContains(message, "line 3");
    expectContains(message, "2 entries for 3 fields");
    EXPECT_EQ(data.FieldCount(), 0);
}

TEST(DataFileLimits, NonIntegerHeaderItemsAreConversionErrors) {
    TBaza label;
    const std::string labelMessage =
        loadError<EConvertError>("TAV DATA:3x/TXT/1250\nA\nSTRING\nx\n", label);
    expectContains(labelMessage, "line 1");
    expectContains(labelMessage, "'3x'");
    for (const char* typeText : {"SET:1..b", "SET:a..2", "INT:0..9:UNK=u", "REAL:::two"}) {
        TBaza data;
        const std::string message = loadError<EConvertError>(
            std::string("TAV DATA:0/TXT/1250\nA\n") + typeText + "\n1\n", data);
        expectContains(message, "line 3");
        expectContains(message, "is not a valid integer value");
        EXPECT_EQ(data.FieldCount(), 0) << typeText;
    }
}

TEST(DataFileLimits, OutOfRangeValueCodesAreStoredAsTheyAre) {
    TBaza data;
    data.loadDataBytes("TAV DATA:0/TXT/1250\nA\nSET:1..3\n500\n-7\n", "t", dfkFromHeader,
                       cpUnknown);
    EXPECT_EQ(data.fieldValueCode(0, 0), 500);
    EXPECT_EQ(data.fieldValueCode(1, 0), -7);
    EXPECT_EQ(data.valueName(0, 500), "");
}

TEST(DataFileLimits, WidthsThatWouldOverflowTheStartColumns) {
    // Widths near the integer limit, in a fixed-width and in a semicolon file (start columns are
    // computed for both): each stops with the width limit, none overflows.
    const char* const files[] = {
        "TAV DATA:0/FLT/1250\nA:2147483647;B:2147483647;C:1\nSTRING;STRING;STRING\nabc\n",
        "TAV DATA:0/TXT/1250\nA:2147483647;B:1\nSTRING;STRING\nx;y\n",
        "A:2147483647;1\r;x",
    };
    for (const char* text : files) {
        TBaza data;
        const std::string message = loadError<ELimitError>(text, data);
        expectContains(message, "field A");
        expectContains(message, "column width 2147483647 is outside 0..65535");
        EXPECT_EQ(data.RecordCount(), 0) << text;
    }
}

TEST(DataFileLimits, AHugeNamesLineIsRefusedWithoutSplittingItWhole) {
    // Four million separators: split whole, the names would take far more memory than the line.
    const std::string names(4'000'000, ';');
    TBaza data;
    const std::string message =
        loadError<ELimitError>("TAV DATA:0/TXT/1250\n" + names + "\nSTRING\nx\n", data);
    expectContains(message, "line 2");
    expectContains(message, "4000000 fields; a table holds at most 256");
    TBaza comma;
    expectContains(loadError<ELimitError>(
                       "TAV DATA:0/QTX/1250\n" + std::string(300, ',') + "\nSTRING\nx\n", comma),
                   "more than 256 fields");
}

TEST(DataFileLimits, ValuesPastTheLastPossibleFieldAreNotKept) {
    TBaza data;
    data.loadDataBytes("TAV DATA:0/TXT/1250\nA\nSET:0..3\n2" + std::string(1'000'000, ';') + "x\n",
                       "t", dfkFromHeader, cpUnknown);
    ASSERT_EQ(data.RecordCount(), 1);
    EXPECT_EQ(data.fieldValueCode(0, 0), 2);
    EXPECT_LT(data.recordText(0).size(), 1000u);
}

TEST(DataFileLimits, ExactlyAtTheLimitsOfFieldsCodesAndBoundariesLoads) {
    // 256 fields: 128 SET fields of codes 0..127 with a name for every code, 128 REAL fields of
    // 127 boundaries; 128 label lines.
    std::string names, types;
    for (int i = 0; i < kMaxFields; ++i) {
        names += (i ? ";F" : "F") + std::to_string(i);
        types += std::string(i ? ";" : "") + (i % 2 ? "REAL:::127" : "SET:0..127");
    }
    std::string text = "TAV DATA:128/TXT/1250\n" + names + "\n" + types + "\n";
    for (int j = 1; j <= 128; ++j) {
        for (int i = 0; i < kMaxFields; ++i)
            text += (i ? ";" : "") + std::to_string(j);
        text += "\n";
    }
    for (int i = 0; i < kMaxFields; ++i)
        text += (i ? ";" : "") + std::string(i % 2 ? "127.5" : "127");
    text += "\n";
    TBaza data;
    ASSERT_EQ(loadError<ETavError>(text, data), "");
    EXPECT_EQ(data.FieldCount(), kMaxFields);
    EXPECT_EQ(data.valueName(0, 127), "128");
    EXPECT_EQ(data.fieldBoundary(1, 127), 127.0);
    EXPECT_EQ(data.fieldValueCode(0, 0), 127);
    EXPECT_EQ(data.fieldValueCode(0, 1), 127);  // above the last boundary
}

TEST(DataFileLimits, ATenMegabyteLineIsReadWhole) {
    const std::string value(10'000'000, 'x');
    TBaza data;
    data.loadDataBytes("TAV DATA:0/TXT/1250\nA;B\nSTRING;SET:0..1\n" + value + ";1\n", "t",
                       dfkFromHeader, cpUnknown);
    ASSERT_EQ(data.RecordCount(), 1);
    EXPECT_EQ(data.fieldValueAsString(0, 0).size(), value.size());
    EXPECT_EQ(data.fieldValueCode(0, 1), 1);
}

TEST(DataFileLimits, AFolderGivenAsTheDataFileSaysSo) {
    const std::string folder = std::filesystem::temp_directory_path().string();
    TBaza data;
    try {
        data.loadDataFile(folder, dfkFromHeader, cpUnknown);
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& error) {
        expectContains(error.what(), "\"" + folder + "\" is a folder, not a file");
    }
    EXPECT_EQ(data.FieldCount(), 0);
}
