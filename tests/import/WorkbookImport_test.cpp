// Workbooks (.xlsx, .ods, and the refusals of .xls) read through the importer as the window and
// tav-batch read them: the files are made by the writing side of the same libraries.

#include <gtest/gtest.h>

#include "core/Errors.h"
#include "core/Win1250.h"
#include "import/CellTable.h"
#include "import/CellTableSource.h"
#include "import/ImportWriter.h"
#include "import/Importer.h"
#include "import/XlsxImport.h"
#include "support/FormatWriters.h"
#include "tests/import/ImportTestUtil.h"
#include "tests/support/TempDir.h"

namespace {

TImportPlan planOf(const std::string& path, const std::string& sheet = "", int skip = 0) {
    TImportOptions options;
    options.sheet = sheet;
    options.skipRows = skip;
    return inferImport(path, options);
}

std::vector<std::string> namesOf(const TImportPlan& plan) {
    std::vector<std::string> names;
    for (const TImportColumn& column : plan.columns)
        names.push_back(column.name);
    return names;
}

std::vector<std::string> typesOf(const TImportPlan& plan) {
    std::vector<std::string> types;
    for (const TImportColumn& column : plan.columns)
        types.push_back(importTypeSpec(column));
    return types;
}

}  // namespace

TEST(XlsxImport, ReadsEveryCellTypeBelowTheTitleRows) {
    TempDir dir;
    for (const bool inlineStrings : {false, true}) {
        SCOPED_TRACE(inlineStrings ? "inline strings" : "shared strings");
        const std::string path = dir.file(inlineStrings ? "inline.xlsx" : "loans.xlsx");
        writeLoansWorkbook(path, inlineStrings);
        const TImportPlan plan = planOf(path, "", 2);
        EXPECT_EQ(plan.format, TImportFormat::Xlsx);
        EXPECT_EQ(plan.sheet, "Loans");
        EXPECT_EQ(plan.sheetNames, (std::vector<std::string>{"Loans", "Notes"}));
        EXPECT_EQ(namesOf(plan), (std::vector<std::string>{"NAME", "AGE", "INCOME", "OWNER",
                                                           "SINCE", "NOTE", "LOAN"}));
        EXPECT_EQ(plan.recordsRead, 6);
        const auto records = recordsOf(plan);
        ASSERT_EQ(records.size(), 6u);
        EXPECT_EQ(records[0], (std::vector<std::string>{utf8ToWin1250("Novák"), "31", "1200.5",
                                                        "TRUE", "2019-03-01", "", "approved"}));
        EXPECT_EQ(records[1][5], "late once");
        // Empty cells are missing; the formula's text is its value.
        EXPECT_EQ(records[5][1], "");
        EXPECT_EQ(records[5][2], "");
        EXPECT_EQ(records[5][5], "by formula");
        EXPECT_EQ(plan.columns[1].missingCount, 1);
        EXPECT_EQ(importTypeSpec(plan.columns[3]), "SET:1..2:UNK=0");
        EXPECT_EQ(importTypeSpec(plan.columns[4]), "DATE");
        EXPECT_EQ(plan.columns[6].labels, (std::vector<std::string>{"approved", "refused"}));
    }
}

TEST(XlsxImport, ChoosesTheSheetByNameOrNumber) {
    TempDir dir;
    const std::string path = dir.file("loans.xlsx");
    writeLoansWorkbook(path);
    for (const char* sheet : {"Notes", "2"}) {
        const TImportPlan plan = planOf(path, sheet);
        EXPECT_EQ(plan.sheet, "Notes");
        EXPECT_EQ(namesOf(plan), (std::vector<std::string>{"REMARK"}));
    }
    const std::string message = errorOf<EConvertError>([&] { planOf(path, "Budget"); });
    EXPECT_NE(message.find("has no sheet \"Budget\"; its sheets are \"Loans\", \"Notes\""),
              std::string::npos)
        << message;
    EXPECT_NE(errorOf<EConvertError>([&] { planOf(path, "3"); }), "");
}

// Without --skip the title is the header, which names one column of seven: the sheet is read
// as the user gave it. Past the last row there is no header at all.
TEST(XlsxImport, RefusesASheetWithoutAHeaderRow) {
    TempDir dir;
    const std::string path = dir.file("loans.xlsx");
    writeLoansWorkbook(path);
    EXPECT_NE(errorOf<EConvertError>([&] {
                  planOf(path, "", 40);
              }).find("has no header row below the 40 rows skipped"),
              std::string::npos);
    // A first row of numbers is data, not names.
    TSheetCells cells;
    cells.put(0, 0, "1", TCellKind::Number);
    cells.put(0, 1, "2021-01-01", TCellKind::Date);
    cells.put(1, 0, "2", TCellKind::Number);
    const std::string message =
        errorOf<EConvertError>([&] { sheetTable(std::move(cells), 0, "numbers.xlsx", "Sheet1"); });
    EXPECT_NE(message.find("holds only numbers and dates"), std::string::npos) << message;
}

TEST(XlsxImport, AWorkbookImportsAndLoadsBack) {
    TempDir dir;
    const std::string path = dir.file("loans.xlsx");
    writeLoansWorkbook(path);
    const TImportPlan plan = planOf(path, "Loans", 2);
    TBaza data;
    data.loadDataBytes(importDataText(plan), "loans-tav.CSV", dfkFromHeader, cpUnknown);
    ASSERT_FALSE(data.errorFlag());
    EXPECT_EQ(data.RecordCount(), 6);
    EXPECT_EQ(data.FieldCount(), 7);
}

TEST(XlsxImport, DateFormatsAndTheTwoDateSystems) {
    EXPECT_TRUE(isDateFormatCode("dd.mm.yyyy"));
    EXPECT_TRUE(isDateFormatCode("[$-F800]dddd, mmmm dd, yyyy"));
    EXPECT_TRUE(isDateFormatCode("h:mm AM/PM"));
    EXPECT_FALSE(isDateFormatCode("#,##0.00 \"Kč\""));
    EXPECT_FALSE(isDateFormatCode("0.00E+00"));
    EXPECT_FALSE(isDateFormatCode("[Red]0.00"));
    EXPECT_FALSE(isDateFormatCode("General"));
    EXPECT_FALSE(isDateFormatCode("0\\d"));  // an escaped d is shown, not a day
    EXPECT_EQ(serialDateText(43466, false), "2019-01-01");
    EXPECT_EQ(serialDateText(42004, true), "2019-01-01");
    EXPECT_EQ(serialDateText(43466.75, false), "2019-01-01 18:00:00");
    // A serial a hair below midnight is that midnight, not 23:59:60.
    EXPECT_EQ(serialDateText(43466.9999999999, false), "2019-01-02");
    EXPECT_EQ(serialDateText(1e300, false), std::nullopt);
    EXPECT_EQ(dayNumberText(14610, 1960, 1, 1), "2000-01-01");
}

TEST(XlsImport, ReadsTheBinaryWorkbookBelowItsTitle) {
    const std::string path = std::string(TAV_TEST_DATA_DIR) + "/loans.xls";
    const TImportPlan plan = planOf(path, "Loans", 2);
    EXPECT_EQ(plan.format, TImportFormat::Xls);
    EXPECT_EQ(plan.sheetNames, (std::vector<std::string>{"Loans", "Notes"}));
    EXPECT_EQ(namesOf(plan), (std::vector<std::string>{"NAME", "AGE", "INCOME", "SINCE", "LOAN"}));
    const auto records = recordsOf(plan);
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[0], (std::vector<std::string>{utf8ToWin1250("Novák"), "31", "1200.5",
                                                    "2019-03-01", "approved"}));
    EXPECT_EQ(records[1][3], "2020-07-15 10:30:00");
    EXPECT_EQ(records[5][1], "");
    EXPECT_EQ(importTypeSpec(plan.columns[3]), "DATE");
    EXPECT_EQ(planOf(path, "2").sheet, "Notes");
}

TEST(OdsImport, ReadsTextsNumbersBooleansDatesAndRepeatedCells) {
    TempDir dir;
    const std::string path = dir.file("loans.ods");
    writeOds(path, loansOdsContent());
    const TImportPlan plan = planOf(path, "", 1);
    EXPECT_EQ(plan.format, TImportFormat::Ods);
    EXPECT_EQ(plan.sheetNames, (std::vector<std::string>{"Loans", "Second"}));
    EXPECT_EQ(namesOf(plan), (std::vector<std::string>{"NAME", "AGE", "OWNER", "SINCE", "LOAN"}));
    const auto records = recordsOf(plan);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0], (std::vector<std::string>{utf8ToWin1250("Novák"), "31", "TRUE",
                                                    "2019-03-01", "approved"}));
    EXPECT_EQ(records[1][1], "45.5");
    EXPECT_EQ(records[1][3], "2020-07-15 10:30:00");
    EXPECT_EQ(records[2][1], "");
    EXPECT_EQ(records[3], (std::vector<std::string>{"Twin", "7", "", "", "refused"}));
    EXPECT_EQ(records[4], records[3]);
    EXPECT_EQ(typesOf(plan)[3], "DATE");  // the twins have no day: missing, not a text
    const TImportPlan second = planOf(path, "Second");
    EXPECT_EQ(recordsOf(second)[0][0], "checked <a> & done");
}

TEST(OdsImport, RefusesAPasswordAndAZipThatIsNoWorkbook) {
    TempDir dir;
    const std::string locked = dir.file("locked.ods");
    writeOds(locked, loansOdsContent(), true);
    EXPECT_NE(errorOf<EConvertError>([&] { planOf(locked); }).find("protected by a password"),
              std::string::npos);
    const std::string zip = dir.file("table.csv");  // the extension misleads: the content decides
    writeZip(zip, {{"readme.txt", "hello"}});
    EXPECT_NE(errorOf<EConvertError>([&] { planOf(zip); }).find("neither an .xlsx nor an .ods"),
              std::string::npos);
}

TEST(CellTableSource, TheContentDecidesWhereTheExtensionMisleads) {
    TempDir dir;
    const std::string xlsx = dir.file("really-a-workbook.csv");
    writeLoansWorkbook(xlsx);
    EXPECT_EQ(planOf(xlsx, "Notes").format, TImportFormat::Xlsx);
    const std::string ods = dir.file("really-ods.xlsx");
    writeOds(ods, loansOdsContent());
    EXPECT_EQ(planOf(ods, "", 1).format, TImportFormat::Ods);
    // An encrypted workbook is a compound file holding an EncryptionInfo stream.
    std::string compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    compound += std::string(504, '\0');
    for (char c : std::string("EncryptionInfo")) {
        compound += c;
        compound += '\0';
    }
    EXPECT_NE(errorOf<EConvertError>([&] {
                  inferImportBytes(compound, "secret.xlsx", {});
              }).find("protected by a password"),
              std::string::npos);
    EXPECT_NE(errorOf<EConvertError>([&] {
                  inferImportBytes(
                      std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, 'x'),
                      "broken.xls", {});
              }).find("is not a readable .xls workbook"),
              std::string::npos);
    EXPECT_EQ(detectCellTableFormat("Name,Age\n", "table.csv"), std::nullopt);
    EXPECT_EQ(detectCellTableFormat("", "FILE.SAV"), TImportFormat::Sav);
}
