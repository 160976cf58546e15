#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/Errors.h"
#include "import/ImportInference.h"
#include "import/Importer.h"
#include "tests/import/ImportTestUtil.h"

using Strings = std::vector<std::string>;

namespace {

// A CSV of one column named X holding `values`, one a line.
std::string column(const Strings& values) {
    std::string text = "x\n";
    for (const std::string& value : values)
        text += value + "\n";
    return text;
}

TImportColumn inferred(const Strings& values, const TImportOptions& options = {}) {
    return inferImportBytes(column(values), "t.csv", options).columns.at(0);
}

Strings numbered(const std::string& prefix, int count) {
    Strings values;
    for (int i = 0; i < count; ++i)
        values.push_back(prefix + std::to_string(i));
    return values;
}

Strings with(Strings values, const std::string& value) {
    values.push_back(value);
    return values;
}

}  // namespace

TEST(ImportInference, EachRuleGivesItsTypeSpec) {
    const struct {
        const char* rule;
        Strings values;
        std::string typeSpec;
    } cases[] = {
        {"text", {"b", "a", "NA", "b"}, "SET:1..2:UNK=0"},
        {"integers in 0..127", {"3", "0", "127"}, "INT:0..127"},
        {"integers from 1, missing", {"3", "NA", "1"}, "INT:1..3:UNK=0"},
        {"integers from 0, missing", {"3", "?", "0"}, "INT:0..3:UNK=127"},
        {"integers 0..127, missing", {"127", "null", "0"}, "INT:1..2:UNK=0"},
        {"12 integers", with(numbered("", 12), "011"), "INT:0..11"},
        {"13 integers", numbered("", 13), "REAL:::4"},
        {"13 integers, missing", with(numbered("", 13), "NA"), "INT:1..5:UNK=0"},
        {"negative integers", {"-1", "5", "6", "7", "8"}, "REAL:::4"},
        {"reals", {"1.5", "2.5", "3.5", "4.5", "5.5", "6.5"}, "REAL:::4"},
        {"reals, missing", {"1.5", "2.5", "N/A", "3.5", "4.5", "5.5", "6.5"}, "INT:1..5:UNK=0"},
        {"large integers", {"1000", "2000", "3000"}, "REAL:::2"},
        {"all missing", {"", "NA", "?"}, "STRING"},
        {"128 texts", numbered("v", 128), "STRING"},
        {"127 texts", numbered("v", 127), "SET:1..127:UNK=0"},
        {"numbers and a text", {"1", "2", "x"}, "SET:1..3:UNK=0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(importTypeSpec(inferred(c.values)), c.typeSpec) << c.rule;
}

TEST(ImportInference, ReportsDistinctAndMissingCounts) {
    const TImportColumn set = inferred({"b", "a", "NA", "b", "?"});
    EXPECT_EQ(set.type, TImportType::Set);
    EXPECT_EQ(set.distinctCount, 2);
    EXPECT_EQ(set.missingCount, 2);
    EXPECT_EQ(set.labels, (Strings{"b", "a"}));  // order of first appearance
}

TEST(ImportInference, ManyRepeatedValuesGiveFewerDistinctBoundaries) {
    Strings values(90, "5");
    for (int i = 0; i < 10; ++i)
        values.push_back("5." + std::to_string(i + 1));
    const TImportColumn column = inferred(values);
    EXPECT_EQ(column.type, TImportType::Real);
    EXPECT_EQ(column.boundaryTexts, (Strings{"5"}));
    const TImportColumn constant = inferred(Strings(20, "2.5"));
    EXPECT_EQ(constant.boundaryTexts, (Strings{"2.5"}));  // one interval holds them all
}

TEST(ImportInference, QuantileBoundariesAreDistinctAndBelowTheLargestValue) {
    const struct {
        std::vector<double> sorted;
        int count;
        std::vector<double> expected;
    } cases[] = {
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 4, {2, 4, 6, 8}},
        {{1, 2, 3, 4}, 4, {1, 2, 3}},
        {{1, 1, 1, 1, 1, 1, 2, 3}, 3, {1}},
        {{1, 1, 1, 2, 2, 3, 3, 4}, 3, {1, 2, 3}},
        {{7}, 4, {7}},
        {{1, 2}, 1, {1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(quantileBoundaries(c.sorted, c.count), c.expected) << c.count;
}

TEST(ImportInference, BoundariesAreRoundedOnlyAsFarAsTheNextValue) {
    const struct {
        std::vector<double> boundaries, sorted;
        Strings expected;
    } cases[] = {
        {{1.234, 2.567, 3.891}, {0, 1.234, 2.567, 3.891, 9}, {"2", "3", "4"}},  // up, to 2
        {{1.234, 2.567}, {1.234, 1.5, 2.567, 2.6}, {"1.3", "2.57"}},
        {{11.37}, {10, 11.37, 11.52, 12}, {"11.4"}},  // not 11: 11.37 would change intervals
        {{1.23, 1.27, 2.5}, {1.23, 1.27, 2.5, 9}, {"1.23", "2", "3"}},
        {{-0.04, 0.3}, {-1, -0.04, 0.3, 1}, {"0", "0.3"}},
        {{-2.75}, {-2.75, -2.5}, {"-2.7"}},
        {{100000.5, 100001.25}, {100000.5, 100001.25, 1e6}, {"100001", "100002"}},
        {{2.5}, {2.5, 2.5}, {"2.5"}},  // the largest value keeps its own text
        {{1e-20, 2e-20}, {1e-20, 2e-20, 3e-20}, {"1e-20", "2e-20"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shortestBoundaryTexts(c.boundaries, c.sorted), c.expected) << c.expected[0];
}

// Rounded boundaries put every value in the interval the exact quantiles put it in.
TEST(ImportInference, RoundedBoundariesKeepEveryValueInItsInterval) {
    std::vector<double> sorted;
    for (int i = 0; i < 400; ++i)
        sorted.push_back(std::round(1000 * (5 + 7 * std::sin(i * 1.7))) / 1000);
    std::sort(sorted.begin(), sorted.end());
    for (int count : {1, 3, 4, 9, 30}) {
        const std::vector<double> exact = quantileBoundaries(sorted, count);
        std::vector<double> rounded;
        for (const std::string& text : shortestBoundaryTexts(exact, sorted))
            rounded.push_back(std::stod(text));
        for (double value : sorted)
            ASSERT_EQ(intervalCode(rounded, value), intervalCode(exact, value)) << value;
    }
}

TEST(ImportInference, IntervalCodesAndLabels) {
    TImportColumn column = inferred({"10", "20", "-30", "30", "NA", "40", "50", "60", "70"},
                                    TImportOptions{.boundaries = 2});
    ASSERT_EQ(column.coding, TImportCoding::Intervals);
    EXPECT_EQ(column.boundaryTexts, (Strings{"20", "50"}));
    EXPECT_EQ(intervalLabel(column, 1), "<= 20");
    EXPECT_EQ(intervalLabel(column, 2), "20 - 50");
    EXPECT_EQ(intervalLabel(column, 3), "> 50");
    EXPECT_EQ(intervalCode(column.boundaries, -30), 1);
    EXPECT_EQ(intervalCode(column.boundaries, 20), 1);
    EXPECT_EQ(intervalCode(column.boundaries, 20.5), 2);
    EXPECT_EQ(intervalCode(column.boundaries, 50), 2);
    EXPECT_EQ(intervalCode(column.boundaries, 51), 3);
}

TEST(ImportInference, OptionsSteerBoundariesAndTheSetLimit) {
    EXPECT_EQ(importTypeSpec(inferred({"a", "b", "c"}, TImportOptions{.setLimit = 2})), "STRING");
    const Strings reals = {"0.5", "1.5", "2.5", "3.5", "4.5", "5.5", "6.5", "7.5"};
    EXPECT_EQ(importTypeSpec(inferred(reals, TImportOptions{.boundaries = 7})), "REAL:::7");
    EXPECT_EQ(importTypeSpec(inferred(numbered("", 13), TImportOptions{.intLimit = 13})),
              "INT:0..12");
    EXPECT_EQ(importTypeSpec(inferred(numbered("", 128), TImportOptions{.intLimit = 128})),
              "INT:0..127");
    for (int bad : {0, 129}) {
        EXPECT_NE(errorOf<EConvertError>([&] { inferred(reals, TImportOptions{.intLimit = bad}); }),
                  "");
    }
    for (int bad : {0, 127}) {
        EXPECT_NE(
            errorOf<EConvertError>([&] { inferred(reals, TImportOptions{.boundaries = bad}); }),
            "");
    }
    EXPECT_NE(errorOf<EConvertError>([&] { inferred(reals, TImportOptions{.setLimit = 128}); }),
              "");
    EXPECT_NE(errorOf<EConvertError>([&] { inferred(reals, TImportOptions{.delimiter = '|'}); }),
              "");
}

TEST(ImportInference, OverridesRecodeAColumn) {
    TImportPlan plan =
        inferImportBytes("num,txt,many\n1.5,a,1\n2.5,b,2\n,a,3\n4.5,c,4\n", "t.csv", {});
    setColumnType(plan, 0, TImportType::Set);
    EXPECT_EQ(importTypeSpec(plan.columns[0]), "SET:1..3:UNK=0");
    setColumnType(plan, 0, TImportType::Real, 2);  // values are missing: interval numbers
    EXPECT_EQ(importTypeSpec(plan.columns[0]), "INT:1..3:UNK=0");
    setColumnType(plan, 2, TImportType::Real, 1);
    EXPECT_EQ(importTypeSpec(plan.columns[2]), "REAL:::1");
    setColumnType(plan, 2, TImportType::Int);
    EXPECT_EQ(importTypeSpec(plan.columns[2]), "INT:1..4");
    setColumnType(plan, 1, TImportType::String);
    EXPECT_EQ(importTypeSpec(plan.columns[1]), "STRING");
    const std::string message =
        errorOf<EConvertError>([&] { setColumnType(plan, 1, TImportType::Int); });
    EXPECT_EQ(message, "Column TXT cannot be an INT field: it holds values that are not numbers");
    EXPECT_EQ(importTypeSpec(plan.columns[1]), "STRING");  // unchanged
    EXPECT_NE(errorOf<EListIndexError>([&] { setColumnType(plan, 3, TImportType::Set); }), "");
    EXPECT_NE(errorOf<EConvertError>([&] { setColumnType(plan, 0, TImportType::Real, 0); }), "");
}

TEST(ImportInference, ASetOverrideTakesAtMost127Values) {
    TImportPlan plan = inferImportBytes(column(numbered("v", 128)), "t.csv", {});
    const std::string message =
        errorOf<EConvertError>([&] { setColumnType(plan, 0, TImportType::Set); });
    EXPECT_NE(message.find("128 distinct values"), std::string::npos) << message;
}

// A nominal attribute declaring more values than a SET holds is coded by the values it uses.
TEST(ImportInference, ANominalAttributeWithTooManyDeclaredValuesKeepsTheUsedOnes) {
    std::string declared;
    for (const std::string& value : numbered("v", 130))
        declared += (declared.empty() ? "" : ",") + value;
    const std::string header = "@relation r\n@attribute c {" + declared + "}\n@data\n";
    TImportPlan plan = inferImportBytes(header + "v90\nv7\nv90\n?\n", "t.arff");
    EXPECT_EQ(plan.columns[0].labels, (Strings{"v7", "v90"}));  // in declared order
    EXPECT_EQ(importTypeSpec(plan.columns[0]), "SET:1..2:UNK=0");
    setColumnType(plan, 0, TImportType::String);
    setColumnType(plan, 0, TImportType::Set);
    EXPECT_EQ(plan.columns[0].labels, (Strings{"v7", "v90"}));

    TImportOptions options;
    options.setLimit = 2;
    const TImportPlan used = inferImportBytes(header + "v1\nv2\nv3\n", "t.arff", options);
    EXPECT_EQ(used.columns[0].type, TImportType::String);
    // Declared values that fit a SET are all kept, used or not.
    const TImportPlan few =
        inferImportBytes("@relation r\n@attribute c {a,b,c}\n@data\nc\n", "t.arff");
    EXPECT_EQ(few.columns[0].labels, (Strings{"a", "b", "c"}));
}

TEST(ImportInference, NamesAreUniqueUpperCasedAndWithoutSeparators) {
    EXPECT_EQ(importFieldNames({"age", "Age", "a;b", "x:y,z", "", " ", "AGE_2",
                                "\x9A"
                                "ola"}),
              (Strings{"AGE", "AGE_2", "AB", "XYZ", "FIELD5", "FIELD6", "AGE_2_2",
                       "\x8A"
                       "OLA"}));
}

TEST(ImportInference, TypesByName) {
    EXPECT_EQ(importTypeFromText("real"), TImportType::Real);
    EXPECT_EQ(importTypeFromText("Set"), TImportType::Set);
    EXPECT_EQ(importTypeFromText("date"), TImportType::Date);
    EXPECT_EQ(importTypeFromText("number"), std::nullopt);
    EXPECT_STREQ(importTypeText(TImportType::String), "STRING");
}

TEST(ImportInference, TheProposedClassIsTheLastColumnThatCanBeOne) {
    const std::string arff = "@relation r\n@attribute a {p,q}\n@attribute b {x,y}\n@data\n";
    const struct {
        const char* rule;
        std::string file;
        int setLimit;
        int expected;
    } cases[] = {
        {"last column", "grade,loan\n1,no\n2,yes\n1,no\n", 127, 1},
        {"a value per record", "grade,name\na,x\nb,y\na,z\n", 127, 0},
        {"named an identifier", "grade,id\na,1\nb,1\na,2\n", 127, 0},
        {"a text", "grade,note\n1,x\n2,y\n1,z\n", 1, 0},
        {"only identifiers: the last", "a,b\n1,x\n2,y\n", 127, 1},
        {"nothing but texts", "a\nx\ny\n", 1, -1},
        {"ARFF: the last, identifier or not", arff + "p,x\nq,y\n", 127, 1},
        {"ARFF: not a text", arff + "p,x\np,y\n", 1, 0},
    };
    for (const auto& c : cases) {
        const TImportPlan plan = inferImportBytes(c.file, c.file[0] == '@' ? "t.arff" : "t.csv",
                                                  TImportOptions{.setLimit = c.setLimit});
        EXPECT_EQ(proposedClassColumn(plan), c.expected) << c.rule;
    }
}
