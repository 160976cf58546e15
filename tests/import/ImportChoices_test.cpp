// The user's choices of an import: types, bins, ignored columns and the class, each applied by the
// importer the same whichever front end made it, and refused whole when one cannot be honoured.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/DataFileOrigin.h"
#include "core/Errors.h"
#include "core/Sha256.h"
#include "core/TextUtils.h"
#include "import/ImportRecipe.h"
#include "import/Importer.h"
#include "tests/import/ImportTestUtil.h"
#include "tests/support/TempDir.h"

namespace {

// Columns: text, whole numbers, decimals with one missing value, decimals, dates.
const char kTable[] =
    "grade,age,income,rate,day\n"
    "a,31,1000.5,0.5,2024-01-02\n"
    "b,40,,1.5,2024-02-03\n"
    "a,52,2500,2.5,2024-03-04\n"
    "c,47,1800,3.5,2024-04-05\n";

TImportPlan plan() {
    return inferImportBytes(kTable, "t.csv");
}

TImportPlan chosen(const TImportChoiceTexts& choices) {
    TImportPlan chosenPlan = plan();
    applyImportChoices(chosenPlan, choices);
    return chosenPlan;
}

std::string refusal(const TImportChoiceTexts& choices) {
    TImportPlan refused = plan();
    const std::string message =
        errorOf<EConvertError>([&] { applyImportChoices(refused, choices); });
    // Nothing of a refused set of choices stays in the plan.
    const TImportPlan inferred = plan();
    for (size_t i = 0; i < inferred.columns.size(); ++i) {
        EXPECT_EQ(importTypeSpec(refused.columns[i]), importTypeSpec(inferred.columns[i]));
        EXPECT_TRUE(refused.columns[i].choice.empty());
    }
    EXPECT_EQ(refused.classColumn, -1);
    return message;
}

}  // namespace

TEST(ImportChoices, TypesByNameOrNumber) {
    const TImportPlan p = chosen(
        {.types = {{"GRADE", "string"}, {"1", "REAL"}, {"rate", "CURRENCY"}, {"4", "DATE"}}});
    EXPECT_EQ(importTypeSpec(p.columns[0]), "STRING");
    EXPECT_EQ(importTypeSpec(p.columns[1]), "REAL:::3");
    EXPECT_EQ(importTypeSpec(p.columns[3]), "CURRENCY:::3");
    EXPECT_EQ(importTypeSpec(p.columns[4]), "DATE");
    EXPECT_EQ(p.columns[4].choice.type, TImportType::Date);
    // Dates keep their texts; a currency its numbers, as a REAL does.
    const std::string text = importDataText(p);
    EXPECT_NE(text.find("\r\na;31;1;0.5;2024-01-02\r\n"), std::string::npos) << text;
    // A CURRENCY column with missing values has no unknown code: its intervals are numbered.
    EXPECT_EQ(importTypeSpec(chosen({.types = {{"income", "CURRENCY"}}}).columns[2]),
              "INT:1..3:UNK=0");
}

TEST(ImportChoices, BinsAtQuantilesOrAtGivenBoundaries) {
    TImportPlan p = chosen({.bins = {{"AGE", "1"}, {"income", "1000,2000"}, {"rate", "2,"}}});
    // Whole numbers cut into intervals are a REAL field unless a type says otherwise.
    EXPECT_EQ(importTypeSpec(p.columns[1]), "REAL:::1");
    EXPECT_EQ(p.columns[2].boundaryTexts, (std::vector<std::string>{"1000", "2000"}));
    EXPECT_EQ(importTypeSpec(p.columns[2]), "INT:1..3:UNK=0");  // missing values: numbered
    EXPECT_EQ(p.columns[3].boundaryTexts, (std::vector<std::string>{"2"}));
    const std::string text = importDataText(p);
    // 1000.5 lies in 1000 - 2000 (code 2), the missing income is 0, 2500 above 2000 (code 3).
    EXPECT_NE(text.find("\r\n1;31;2;0.5;1\r\n2;40;0;1.5;2\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n1;52;3;2.5;3\r\n"), std::string::npos) << text;

    const TImportPlan intervals = chosen({.types = {{"age", "INT"}}, .bins = {{"age", "2"}}});
    EXPECT_EQ(importTypeSpec(intervals.columns[1]), "INT:1..3:UNK=0");
}

TEST(ImportChoices, ChoicesThatCannotBeHonouredAreRefusedWithTheColumnAndWhy) {
    EXPECT_EQ(refusal({.types = {{"grade", "REAL"}}}),
              "Column GRADE cannot be a REAL field: it holds values that are not numbers");
    EXPECT_EQ(refusal({.types = {{"salary", "REAL"}}}),
              "There is no column \"salary\": name a column of the header or give its number, "
              "0..4");
    EXPECT_EQ(refusal({.ignored = {"5"}}), "There is no column 5: the columns are numbered 0..4");
    EXPECT_EQ(refusal({.types = {{"age", "NUMBER"}}}),
              "Column AGE: \"NUMBER\" is none of SET, INT, REAL, CURRENCY, DATE and STRING");
    EXPECT_EQ(refusal({.types = {{"age", "REAL"}, {"1", "INT"}}}),
              "Column AGE is given two types, REAL and INT");
    EXPECT_EQ(refusal({.bins = {{"age", "0"}}}),
              "Column AGE: 0 boundaries; a field takes 1 to 126");
    EXPECT_EQ(refusal({.bins = {{"age", "40,30"}}}),
              "Column AGE: the boundaries 40,30 are not increasing numbers");
    EXPECT_EQ(refusal({.bins = {{"age", "30,30"}}}),
              "Column AGE: the boundaries 30,30 are not increasing numbers");
    EXPECT_EQ(refusal({.bins = {{"age", "x,1"}}}),
              "Column AGE: \"x,1\" is neither a number of boundaries nor boundaries such as "
              "20,40,60");
    EXPECT_EQ(refusal({.bins = {{"age", "2"}, {"age", "3"}}}), "Column AGE is given bins twice");
    EXPECT_EQ(refusal({.bins = {{"grade", "2"}}}),
              "Column GRADE cannot be a REAL field: it holds values that are not numbers");
    EXPECT_EQ(refusal({.types = {{"age", "SET"}}, .bins = {{"age", "2"}}}),
              "Column AGE: a SET field has no intervals; intervals need INT, REAL or CURRENCY");
    EXPECT_EQ(refusal({.types = {{"age", "SET"}}, .ignored = {"age"}}),
              "Column AGE is ignored: it takes no type and no intervals then");
    EXPECT_EQ(refusal({.ignored = {"day"}, .classColumn = "4"}),
              "Column DAY is ignored: it cannot be the class");
    EXPECT_EQ(refusal({.types = {{"day", "DATE"}}, .classColumn = "day"}),
              "Column DAY cannot be the class: a DATE field has no values to count");
    EXPECT_EQ(refusal({.ignored = {"0", "1", "2", "3", "4"}}),
              "Every column is ignored: there is nothing to import");
}

TEST(ImportChoices, AnIgnoredColumnIsLeftOutOfTheDataFile) {
    const TImportPlan p = chosen({.ignored = {"grade", "3"}, .classColumn = "INCOME"});
    EXPECT_EQ(p.classColumn, 2);
    EXPECT_EQ(importFieldIndex(p, 0), -1);
    EXPECT_EQ(importFieldIndex(p, 2), 1);
    EXPECT_EQ(importFieldIndex(p, 4), 2);
    const std::string text = importDataText(p);
    EXPECT_NE(text.find("\r\nAGE;INCOME;DAY\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n31;1;1\r\n"), std::string::npos) << text;
    EXPECT_FALSE(canBeClassColumn(p.columns[0]));
    EXPECT_NE(proposedClassColumn(p), 0);
}

TEST(ImportChoices, TheDialogsChoicesGoThroughTheSamePlan) {
    TImportPlan p = plan();
    setClassColumn(p, 1);
    chooseColumn(p, 1, {.ignored = true});  // the class can no longer be it
    EXPECT_EQ(p.classColumn, -1);
    chooseColumn(p, 1, {});  // taken back in, as inferred
    EXPECT_EQ(importTypeSpec(p.columns[1]), importTypeSpec(plan().columns[1]));
    // A boundary count other than the plan's is a choice of bins; the default is none.
    setColumnType(p, 3, TImportType::Real, 2);
    EXPECT_EQ(p.columns[3].choice.bins, (TImportBins{2, {}}));
    setColumnType(p, 3, TImportType::Real);
    EXPECT_FALSE(p.columns[3].choice.bins);
    EXPECT_NE(errorOf<EListIndexError>([&] { setClassColumn(p, 5); }), "");
    EXPECT_EQ(importPreviewRows(p, 2),
              (std::vector<std::vector<std::string>>{{"a", "31", "1000.5", "0.5", "2024-01-02"},
                                                     {"b", "40", "", "1.5", "2024-02-03"}}));
    EXPECT_EQ(importPreviewRows(p, 10).size(), 4u);
}

TEST(ImportChoices, TheRecipeIsTheCommandLineOfTheSameImport) {
    TImportOptions options;
    options.delimiter = ',';
    options.boundaries = 3;
    options.sample = true;
    options.sampleSize = 3;
    TImportPlan p = inferImportBytes(std::string(kTable), "my table.csv", options);
    applyImportChoices(p, {.types = {{"day", "DATE"}},
                           .bins = {{"income", "1000,2000.25"}, {"rate", "1"}, {"age", "30,"}},
                           .ignored = {"grade"},
                           .classColumn = "age"});
    EXPECT_EQ(importCommandLine(importRecipe(p), "my table.csv", "out.CSV"),
              "tav-batch import 'my table.csv' out.CSV --delimiter , --boundaries 3 --sample "
              "--sample-size 3 --seed 1 --ignore 0 --bins 1=30, --bins 2=1000,2000.25 --bins "
              "3=1 --type 4=DATE --class 1");
    // A plan without choices needs no arguments.
    EXPECT_TRUE(importRecipeArguments(importRecipe(plan())).empty());
    // A workbook's sheet goes by its number when it has several; the rows above the header too.
    TImportPlan sheets = plan();
    sheets.sheetNames = {"Notes", "Data"};
    sheets.sheet = "Data";
    sheets.skipRows = 2;
    EXPECT_EQ(importRecipeArguments(importRecipe(sheets)),
              (std::vector<std::string>{"--sheet", "2", "--skip", "2"}));
    sheets.sheetNames = {"Data"};
    EXPECT_EQ(importRecipeArguments(importRecipe(sheets)),
              (std::vector<std::string>{"--skip", "2"}));
    EXPECT_EQ(shellWord("it's"), "'it'\\''s'");
    EXPECT_EQ(shellWord(";"), "';'");
}

// A database's session keeps the recipe as words; read back, they make the same plan.
TEST(ImportChoices, TheRecipeWordsReadBackToTheSameChoices) {
    TImportOptions options;
    options.boundaries = 3;
    options.setLimit = 20;
    options.intLimit = 5;
    options.sample = true;
    options.sampleSize = 3;
    options.seed = 7;
    TImportPlan p = inferImportBytes(std::string(kTable), "t.csv", options);
    applyImportChoices(p, {.types = {{"day", "DATE"}},
                           .bins = {{"income", "1000,2000.25"}, {"age", "2"}},
                           .ignored = {"grade"},
                           .classColumn = "rate"});
    const std::vector<std::string> words = importRecipeWords(importRecipe(p));
    TImportOptions readOptions;
    TImportChoiceTexts readChoices;
    readImportWords(words, readOptions, readChoices);
    TImportPlan again = inferImportBytes(std::string(kTable), "t.csv", readOptions);
    applyImportChoices(again, readChoices);
    EXPECT_EQ(importRecipeWords(importRecipe(again)), words);
    EXPECT_EQ(again.classColumn, 3);
    for (size_t i = 0; i < p.columns.size(); ++i)
        EXPECT_EQ(importTypeSpec(again.columns[i]), importTypeSpec(p.columns[i])) << i;

    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--delimiter", ";"},
                                                {"--boundaries", "500"},
                                                {"--type"},
                                                {"--bins", "=3"}}) {
        EXPECT_NE(errorOf<EConvertError>([&] { readImportWords(bad, readOptions, readChoices); }),
                  "")
            << bad[0];
    }
}

TEST(ImportChoices, TheDataFileKeepsItsOriginBesideIt) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "tables");
    const std::string in = dir.write("tables/loans.csv", kTable);
    TImportPlan p = inferImport(in);
    applyImportChoices(p, {.ignored = {"day"}, .classColumn = "grade"});
    const std::string out = dir.file("loans.CSV");
    writeImport(p, out);
    const std::string dataSha = sha256OfFile(out).value();
    const std::optional<TDataFileOrigin> origin = readDataFileOrigin(out, dataSha);
    ASSERT_TRUE(origin);
    EXPECT_EQ(origin->originalPath, dir.path().generic_string() + "/tables/loans.csv");
    EXPECT_EQ(origin->originalSha256, sha256Hex(kTable));
    EXPECT_EQ(origin->importArguments, "--ignore 4 --class 0");
    EXPECT_EQ(readFile(dataFileOriginPath(out)),
              "TAV ORIGIN:1\nDATA SHA-256=" + dataSha +
                  "\nORIGINAL=tables/loans.csv\nORIGINAL SHA-256=" + sha256Hex(kTable) +
                  "\nIMPORT=--ignore 4 --class 0\n");
    // The origin of another data file, or none at all, names no table.
    EXPECT_FALSE(readDataFileOrigin(out, sha256Hex("another data file")));
    EXPECT_FALSE(readDataFileOrigin(in, sha256OfFile(in).value()));
    dir.write("loans.CSV.origin", "ORIGINAL=x\n");
    EXPECT_FALSE(readDataFileOrigin(out, dataSha));
    // A named pipe in its place is not opened, so nothing waits for a writer.
    std::filesystem::remove(dataFileOriginPath(out));
    ASSERT_EQ(::mkfifo(dataFileOriginPath(out).c_str(), 0600), 0);
    EXPECT_FALSE(readDataFileOrigin(out, dataSha));
}
