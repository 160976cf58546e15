// Whatever the importer infers, the data file it writes loads back to the same values.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "core/Errors.h"
#include "core/Win1250.h"
#include "core/uTavObj.h"
#include "import/ImportInference.h"
#include "import/Importer.h"
#include "tests/import/ImportTestUtil.h"
#include "tests/support/InjectedFault.h"
#include "tests/support/TempDir.h"

namespace {

// Loads the data file of `plan` and checks every value of every record against the plan.
void expectRoundTrip(const TImportPlan& plan) {
    const std::string text = importDataText(plan);
    TBaza data;
    std::vector<std::string> messages;
    TLoadHooks hooks;
    hooks.showMessage = [&messages](const std::string& m) { messages.push_back(m); };
    data.loadDataBytes(text, "out.CSV", dfkFromHeader, cpUnknown, hooks);
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(data.FieldCount(), static_cast<int>(plan.columns.size()));
    const std::vector<std::vector<std::string>> records = recordsOf(plan);
    ASSERT_EQ(data.RecordCount(), static_cast<int>(records.size()));
    for (int i = 0; i < data.FieldCount(); ++i) {
        const TImportColumn& column = plan.columns[i];
        EXPECT_EQ(data.fieldName(i), column.name);
        EXPECT_EQ(data.fieldTypeSpec(i), importTypeSpec(column));
        for (int r = 0; r < data.RecordCount(); ++r) {
            const std::string& value = records[r][i];
            const bool missing = isMissingValue(value);
            const int code = data.fieldValueCode(r, i);
            const std::string where = column.name + " record " + std::to_string(r) + " " + value;
            switch (column.coding) {
                case TImportCoding::Labels:
                    if (missing) {
                        EXPECT_TRUE(data.isUnknownCode(i, code)) << where;
                    } else {
                        EXPECT_EQ(data.valueName(i, code), value) << where;
                    }
                    break;
                case TImportCoding::Integers: {
                    if (missing) {
                        EXPECT_TRUE(data.isUnknownCode(i, code)) << where;
                        EXPECT_TRUE(code < data.fieldLow(i) || code > data.fieldHigh(i)) << where;
                        break;
                    }
                    const double number = *importNumber(value, plan.decimalComma);
                    EXPECT_EQ(code, number) << where;
                    EXPECT_EQ(data.valueName(i, code), std::to_string(code)) << where;
                    break;
                }
                case TImportCoding::Intervals: {
                    if (missing) {
                        EXPECT_EQ(code, 0) << where;
                        EXPECT_TRUE(data.isUnknownCode(i, code)) << where;
                        break;
                    }
                    const double x = *importNumber(value, plan.decimalComma);
                    EXPECT_EQ(code, intervalCode(column.boundaries, x)) << where;
                    // The label names the interval that holds the value.
                    const std::string& label = data.valueName(i, code);
                    const int n = column.boundaryCount();
                    if (code > 1) {
                        EXPECT_GT(x, column.boundaries[code - 2]) << where << label;
                    }
                    if (code <= n) {
                        EXPECT_LE(x, column.boundaries[code - 1]) << where << label;
                    }
                    EXPECT_EQ(label, intervalLabel(column, code)) << where;
                    break;
                }
                case TImportCoding::Numbers: {
                    const double x = *importNumber(value, plan.decimalComma);
                    EXPECT_EQ(data.fieldValueAsReal(r, i), x) << where;
                    EXPECT_EQ(code + 1, intervalCode(column.boundaries, x)) << where;
                    for (int k = 1; k <= column.boundaryCount(); ++k)
                        EXPECT_EQ(data.fieldBoundary(i, k), column.boundaries[k - 1]) << where;
                    break;
                }
                case TImportCoding::Text:
                    EXPECT_EQ(data.fieldValueAsString(r, i), upperCase1250(missing ? "" : value))
                        << where;
                    break;
            }
        }
    }
}

std::string manyTexts(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "v" + std::to_string(i) + "\n";
    return text;
}

}  // namespace

TEST(ImportRoundTrip, EveryInferenceRule) {
    const struct {
        const char* rule;
        std::string bytes;
        TImportCoding coding;
    } cases[] = {
        {"text", "sex\nmale\nfemale\nNA\nmale\n", TImportCoding::Labels},
        {"integers 0..127", "n\n0\n5\n127\n5\n", TImportCoding::Integers},
        {"integers with missing, unknown 0", "n\n3\nNA\n1\n2\n", TImportCoding::Integers},
        {"integers with missing, unknown 127", "n\n0\n?\n126\n", TImportCoding::Integers},
        {"reals", "x\n1.5\n-2\n3e2\n0.25\n7\n8\n9.75\n", TImportCoding::Numbers},
        {"reals with decimal commas", "x;y\n1,5;a\n2,25;b\n-3;c\n", TImportCoding::Numbers},
        {"reals with missing", "x\n1.5\nNA\n3.5\n4.5\n\n6.5\n7.5\n", TImportCoding::Intervals},
        {"many repeated values", "x\n5\n5\n5\n5\n5\n5\n5.5\n", TImportCoding::Numbers},
        {"a numeric column with missing", "age\n18\n?\n24\n33\n61\n200\n",
         TImportCoding::Intervals},
        {"all missing", "x,y\n,1\nNA,2\n", TImportCoding::Text},
        {"128 distinct texts", "name\n" + manyTexts(128), TImportCoding::Text},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        const TImportPlan plan = inferImportBytes(c.bytes, "in.csv", {});
        EXPECT_EQ(plan.columns.at(0).coding, c.coding);
        expectRoundTrip(plan);
    }
}

TEST(ImportRoundTrip, ArffNominalValuesKeepTheirDeclaredOrder) {
    const TImportPlan plan = inferImportBytes(
        "@relation r\n@attribute colour {red,green,blue}\n@attribute n numeric\n@data\n"
        "blue,1\n?,2\nred,3\n",
        "in.arff", {});
    EXPECT_EQ(plan.format, TImportFormat::Arff);
    EXPECT_EQ(plan.columns[0].labels, (std::vector<std::string>{"red", "green", "blue"}));
    expectRoundTrip(plan);
}

TEST(ImportRoundTrip, OverriddenTypes) {
    TImportPlan plan =
        inferImportBytes("a,b,c,d\n1.5,x,10,7\n2.5,y,20,\n3.5,x,30,9\n", "in.csv", {});
    setColumnType(plan, 0, TImportType::Set);
    setColumnType(plan, 1, TImportType::String);
    setColumnType(plan, 2, TImportType::Real, 1);
    setColumnType(plan, 3, TImportType::Real, 1);
    expectRoundTrip(plan);
}

TEST(ImportRoundTrip, Utf8NationalLettersAndTextsThatNeedCare) {
    const TImportPlan plan = inferImportBytes(
        "\xEF\xBB\xBFime,opis\n\xC4\x8Crt,\"a;b\"\n\xC5\xA0ola,\"x \"\"y\"\", z\"\n"
        "\xE6\x97\xA5x,\"one\ntwo\"\n",
        "in.csv", {});
    EXPECT_EQ(plan.columns[0].name, "IME");
    EXPECT_EQ(plan.columns[0].labels, (std::vector<std::string>{"\xC8rt", "\x8Aola", "?x"}));
    ASSERT_EQ(plan.warnings.size(), 2u);
    EXPECT_EQ(plan.warnings[0],
              "1 characters that Windows-1250 cannot hold became \"?\"; the first is in column "
              "IME, line 4");
    expectRoundTrip(plan);
}

TEST(ImportRoundTrip, TheWrittenFileHasTheDataFileLayout) {
    const TImportPlan plan = inferImportBytes("Sex,Age\nm,3\nf,\n", "in.csv", {});
    EXPECT_EQ(importDataText(plan),
              "TAV DATA:2/TXT/1250\r\nSEX;AGE\r\nSET:1..2:UNK=0;INT:3..3:UNK=0\r\n"
              "m;3\r\nf;\r\n1;3\r\n2;0\r\n");
}

TEST(ImportRoundTrip, WriteImportWritesTheFileAndSummarises) {
    TempDir dir;
    const std::string in = dir.write("loans.csv", "a;b\n1;x\n2;y\n");
    const TImportPlan plan = inferImport(in);
    const std::string out = importedDataFilePath(in);
    EXPECT_EQ(out, dir.file("loans-tav.CSV"));
    const TImportSummary summary = writeImport(plan, out);
    EXPECT_EQ(readFile(out), importDataText(plan));
    EXPECT_EQ(summary.fieldCount, 2);
    EXPECT_EQ(summary.recordsRead, 2);
    EXPECT_EQ(summary.recordsKept, 2);
    EXPECT_FALSE(summary.sampled);
    // Only the imported file, its data file and the data file's origin: no temporary file is
    // left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
    EXPECT_TRUE(std::filesystem::exists(out + ".origin"));
}

TEST(ImportRoundTrip, AFailedWriteLeavesTheEarlierDataFileWhole) {
    TempDir dir;
    const std::string in = dir.write("loans.csv", "a;b\n1;x\n2;y\n");
    const std::string out = dir.write("loans-tav.CSV", "earlier data file\r\n");
    const TImportPlan plan = inferImport(in);
    const InjectedFault full(TWriteStep::Write, ENOSPC);
    const std::string message = errorOf<EInOutError>([&] { writeImport(plan, out); });
    EXPECT_EQ(message.rfind("The data file \"" + displayPath(out) + "\" cannot be written: ", 0),
              0u)
        << message;
    EXPECT_NE(message.find("No space left on device"), std::string::npos) << message;
    EXPECT_EQ(readFile(out), "earlier data file\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(ImportRoundTrip, NeverWritesOverTheFileBeingImportedOrIntoNowhere) {
    TempDir dir;
    const std::string in = dir.write("data.csv", "a\n1\n");
    const TImportPlan plan = inferImport(in);
    EXPECT_NE(errorOf<EInOutError>([&] { writeImport(plan, in); }), "");
    EXPECT_EQ(readFile(in), "a\n1\n");
    EXPECT_NE(errorOf<EInOutError>([&] { writeImport(plan, dir.file("no/such/dir.CSV")); }), "");
    EXPECT_NE(errorOf<EInOutError>([&] { inferImport(dir.file("missing.csv")); }), "");
}
