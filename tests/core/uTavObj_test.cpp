#include "core/uTavObj.h"

#include <gtest/gtest.h>

#include "core/Errors.h"

namespace {

// A table of the given fields and records, each record given by its texts.
void fill(TBaza& data, std::vector<std::string> names, std::vector<std::string> types,
          const std::vector<std::vector<std::string>>& records) {
    data.setFields(std::move(names), std::move(types));
    for (const auto& values : records)
        data.appendRecord(values);
}

}  // namespace

TEST(TBaza, TypeSpecificationsGiveRangesUnknownCodesAndBoundaries) {
    TBaza data;
    data.setFields({"a", "b", "c", "d", "e", "f", "g", "h"},
                   {"real:::2", "INT:5", "INT", "SET:1..3:unk=0", "INT:0..99:UNK=98,99",
                    "SET:1..3:UNK=0,,7", "STRING", "date"});
    EXPECT_EQ(data.fieldType(0), ftReal);
    EXPECT_EQ(data.fieldBoundaryCount(0), 2);
    EXPECT_EQ(data.fieldLow(0), 0);
    EXPECT_EQ(data.fieldHigh(0), 2);
    EXPECT_EQ(data.fieldLow(1), 5);
    EXPECT_EQ(data.fieldHigh(1), 0);
    EXPECT_EQ(data.fieldLow(2), 0);
    EXPECT_EQ(data.fieldHigh(2), 0);
    EXPECT_EQ(data.fieldUnknown1(3), -1);  // "unk" is not "UNK"
    EXPECT_EQ(data.fieldUnknown1(4), 98);
    EXPECT_EQ(data.fieldUnknown2(4), 99);
    EXPECT_EQ(data.fieldUnknown3(4), -1);
    EXPECT_EQ(data.fieldUnknown1(5), 0);
    EXPECT_EQ(data.fieldUnknown2(5), -1);
    EXPECT_EQ(data.fieldUnknown3(5), 7);
    EXPECT_EQ(data.fieldBoundaryCount(4), 0);
    EXPECT_EQ(data.fieldType(6), ftString);
    EXPECT_EQ(data.fieldType(7), ftDate);
    EXPECT_EQ(fieldTypeToText(ftUnknown), "UNKNOWN");
    EXPECT_EQ(fieldTypeToText(42), "UNKNOWN");
    EXPECT_EQ(fieldTypeFromText("currency"), ftCurrency);
    EXPECT_EQ(fieldTypeFromText("TEXT"), ftUnknown);
}

TEST(TBaza, BadTypeSpecificationIsAConversionErrorThatChangesNothing) {
    TBaza data;
    data.setFields({"A"}, {"SET:1..3"});
    EXPECT_THROW(data.setFields({"A", "B"}, {"SET:1..3", "SET:1..x"}), EConvertError);
    EXPECT_THROW(data.setFields({"A"}, {"SET:1..3:UNK=q"}), EConvertError);
    EXPECT_THROW(data.setFields({"A"}, {"REAL:::many"}), EConvertError);
    EXPECT_EQ(data.FieldCount(), 1);
    EXPECT_EQ(data.fieldHigh(0), 3);
}

TEST(TBaza, NamesWidthsAndLookups) {
    TBaza data;
    data.setFields({"age:3", "name:10", "x"}, {"INT", "STRING", "STRING"});
    EXPECT_EQ(data.fieldName(0), "AGE");
    EXPECT_EQ(data.fieldName(-1), "Field ???");
    EXPECT_EQ(data.fieldIndex("age"), -1);
    EXPECT_EQ(data.fieldIndex("AGE"), 0);
    EXPECT_EQ(data.fieldWidth(1), 10);
    EXPECT_EQ(data.fieldWidth(2), 0);
    EXPECT_EQ(data.fieldStart(0), 1);
    EXPECT_EQ(data.fieldStart(2), 14);
    EXPECT_THROW(data.fieldType(3), EListIndexError);
    EXPECT_THROW(data.fieldName(3), EListIndexError);
    EXPECT_THROW(data.recordText(0), EListIndexError);
}

TEST(TBaza, IntervalCodesCloseAtTheirUpperBoundary) {
    TBaza data;
    data.setFields({"X", "S"}, {"REAL:::2", "SET:1..3:UNK=0"});
    data.setBoundary(0, 1, 10);
    data.setBoundary(0, 2, 20);
    for (const char* text : {"10", "10,5", "20", "25", "", "abc"})
        data.appendRecord({text, ""});
    const int expected[] = {0, 1, 1, 2, 0, 0};
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(data.fieldValueCode(r, 0), expected[r]) << r;
        EXPECT_EQ(data.fieldValueAsInteger(r, 0), expected[r]) << r;
        EXPECT_EQ(data.fieldValueCode(r, 1), 0);  // an empty SET value has code 0
    }
    EXPECT_EQ(data.fieldValueAsReal(1, 0), 10.5);
    EXPECT_EQ(data.fieldValueAsReal(1, 1), 0.0);  // not a REAL field
    EXPECT_EQ(data.fieldValueAsReal(1, -1), 0.0);
    EXPECT_EQ(data.fieldValueAsInteger(1, -1), 0);
    EXPECT_EQ(data.fieldValueCode(99, 0), 0);
}

TEST(TBaza, IntegerCodesAreNotClampedAndBadTextsAreTraced) {
    std::vector<std::string> traced;
    traceHook() = [&](const std::string& message) { traced.push_back(message); };
    TBaza data;
    fill(data, {"S", "N"}, {"SET:1..3:UNK=0", "STRING"},
         {{"7", "x"}, {"$1f", "y"}, {"two", "z"}, {"-1", ""}});
    traceHook() = nullptr;
    EXPECT_EQ(data.fieldValueCode(0, 0), 7);
    EXPECT_EQ(data.fieldValueCode(1, 0), 31);
    EXPECT_EQ(data.fieldValueCode(2, 0), 0);
    EXPECT_EQ(data.fieldValueCode(3, 0), -1);
    EXPECT_EQ(data.fieldValueCode(0, 1), 0);  // STRING fields are not coded
    ASSERT_EQ(traced.size(), 1u);
    EXPECT_EQ(traced[0], "Error fieldValueAsInteger[2, 0] not valid: \"two\"");
}

TEST(TBaza, RecordsAreStoredAsCommaTextAndReadBackUpperCased) {
    TBaza data;
    fill(data, {"A", "B"}, {"STRING", "STRING"},
         {{"John Smith",
           "\xE8"
           "a"},
          {""},
          {"x"}});
    EXPECT_EQ(data.recordText(0),
              "\"John Smith\",\xE8"
              "a");
    EXPECT_EQ(data.recordText(1), "\"\"");
    EXPECT_EQ(data.fieldValueAsString(0, 0), "JOHN SMITH");
    EXPECT_EQ(data.fieldValueAsString(0, 1),
              "\xC8"
              "A");
    EXPECT_EQ(data.fieldValueAsString(1, 0), "");
    EXPECT_EQ(data.fieldValueAsString(2, 1), "");  // beyond the values of a short record
}

TEST(TBaza, SlotsAndValueNamesStayInsideTheirRanges) {
    TBaza data;
    data.setFields({"A"}, {"SET:0..127"});
    auto* marker = reinterpret_cast<TMnozica*>(&data);
    data.setSlot(0, -1, marker);
    data.setSlot(0, 128, marker);
    data.setSlot(0, 129, marker);  // ignored
    data.setSlot(1, 0, marker);    // ignored
    EXPECT_EQ(data.fieldTotalSet(0), marker);
    EXPECT_EQ(data.subTotalSet(0), marker);
    EXPECT_EQ(data.valueSet(0, -1), nullptr);
    EXPECT_EQ(data.valueSet(0, 129), nullptr);
    EXPECT_EQ(data.valueSet(300, 0), nullptr);
    data.setValueName(0, 127, "last");
    data.setValueName(0, 128, "ignored");
    EXPECT_EQ(data.valueName(0, 127), "last");
    EXPECT_EQ(data.valueName(0, 128), "");
    EXPECT_EQ(data.valueName(-1, 0), "");
    data.clearSlots();
    EXPECT_EQ(data.fieldTotalSet(0), nullptr);
}

TEST(TBaza, LowerBoundTextOfIntervalNames) {
    EXPECT_EQ(lowerBoundText(" > 30"), "30");
    EXPECT_EQ(lowerBoundText(" 10 - 20"), " 10");
    EXPECT_EQ(lowerBoundText(" <= 10"), " <= 10");
    EXPECT_EQ(lowerBoundText("male"), "male");
}

TEST(TBaza, SummaryReportPathReplacesTheExtension) {
    EXPECT_EQ(summaryReportPath("data.CSV"), "data.REP");
    EXPECT_EQ(summaryReportPath("dir.d/data"), "dir.d/data.REP");
    EXPECT_EQ(summaryReportPath("dir/a.b.csv"), "dir/a.b.REP");
    EXPECT_EQ(summaryReportPath("x.REP"), "x.REP");
}

// Texts are kept with their lengths: long ones, NUL bytes, separators and quotes come back whole.
TEST(TBaza, RecordTextsOfAnyBytesAndLengthReadBackExactly) {
    const std::string longText(70000, 'q');
    const std::string withNul("a\0b", 3);
    TBaza data;
    fill(data, {"S", "T"}, {"STRING", "STRING"},
         {{longText, withNul}, {"x,y", "say \"hi\""}, {}, {"", "", "extra"}});
    ASSERT_EQ(data.RecordCount(), 4);
    EXPECT_EQ(data.fieldValueAsString(0, 0), std::string(70000, 'Q'));
    EXPECT_EQ(data.fieldValueAsString(0, 1), std::string("A\0B", 3));
    EXPECT_EQ(data.recordText(1), "\"x,y\",\"say \"\"hi\"\"\"");
    EXPECT_EQ(data.recordText(2), "");
    EXPECT_EQ(data.fieldValueAsString(2, 0), "");
    EXPECT_EQ(data.recordText(3), ",,extra");  // texts past the last field are kept
    EXPECT_EQ(data.fieldValueAsString(0, 1), std::string("A\0B", 3));  // back to an earlier one
    EXPECT_THROW(data.recordText(4), EListIndexError);
}

// Plain digits are read on a fast path; everything else as tryParseInteger reads it.
TEST(TBaza, IntegerCodesOfEveryFormMatchTheGeneralReading) {
    const std::vector<std::pair<std::string, int>> cases = {{"0", 0},
                                                            {"7", 7},
                                                            {"007", 7},
                                                            {"123456789", 123456789},
                                                            {"2147483647", INT32_MAX},
                                                            {"2147483648", 0},
                                                            {"-5", -5},
                                                            {"+5", 5},
                                                            {"$1F", 31},
                                                            {"0x10", 16},
                                                            {"x", 0},
                                                            {"1.5", 0},
                                                            {"12a", 0},
                                                            {"", 0},
                                                            {"99999999999", 0},
                                                            {"0000000012", 12}};
    for (const auto& [text, code] : cases) {
        TBaza data;
        fill(data, {"A"}, {"INT:0..127"}, {{text}});
        EXPECT_EQ(data.fieldValueCode(0, 0), code) << text;
        EXPECT_EQ(data.fieldValueAsInteger(0, 0), code) << text;
    }
}
