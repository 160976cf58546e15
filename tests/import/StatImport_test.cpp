// SPSS, Stata and SAS files read through the importer: value labels as value names in code order,
// user-defined and extended missing values as unknown, dates; made by readstat's own writer.

#include <gtest/gtest.h>

#include "core/Errors.h"
#include "core/Win1250.h"
#include "import/Importer.h"
#include "import/StatImport.h"
#include "support/FormatWriters.h"
#include "tests/import/ImportTestUtil.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::string> columnOf(const std::vector<std::vector<std::string>>& records,
                                  size_t column) {
    std::vector<std::string> values;
    for (const auto& record : records)
        values.push_back(record.at(column));
    return values;
}

}  // namespace

TEST(StatImport, SavValueLabelsBecomeValueNamesInCodeOrder) {
    TempDir dir;
    const std::string path = dir.file("loans.sav");
    writeLoansSav(path);
    const TImportPlan plan = inferImport(path);
    EXPECT_EQ(plan.format, TImportFormat::Sav);
    ASSERT_EQ(plan.columns.size(), 5u);
    // 9 is a user-defined missing value: unknown, and its label no value name.
    const TImportColumn& sex = plan.columns[0];
    EXPECT_EQ(importTypeSpec(sex), "SET:1..2:UNK=0");
    EXPECT_EQ(sex.labels, (std::vector<std::string>{"male", "female"}));
    EXPECT_EQ(sex.missingCount, 1);
    // Labelled first as 3, yet 1, 2, 3 in code order.
    EXPECT_EQ(plan.columns[4].labels, (std::vector<std::string>{"approved", "refused", "pending"}));
    EXPECT_EQ(importTypeSpec(plan.columns[2]), "DATE");
    EXPECT_EQ(plan.columns[1].missingCount, 1);
    const auto records = recordsOf(plan);
    EXPECT_EQ(columnOf(records, 2)[0], "1990-01-01");
    EXPECT_EQ(columnOf(records, 2)[9], "1990-10-07");
    EXPECT_EQ(columnOf(records, 3)[2], utf8ToWin1250("Plzeň"));
    EXPECT_EQ(columnOf(records, 0)[2], "");
}

TEST(StatImport, DtaExtendedMissingValuesAreUnknown) {
    TempDir dir;
    const std::string path = dir.file("groups.dta");
    writeGroupsDta(path);
    const TImportPlan plan = inferImport(path);
    EXPECT_EQ(plan.format, TImportFormat::Dta);
    const TImportColumn& group = plan.columns[0];
    EXPECT_EQ(group.labels, (std::vector<std::string>{"low", "middle", "high"}));
    EXPECT_EQ(group.missingCount, 2);
    EXPECT_EQ(plan.columns[3].labels, (std::vector<std::string>{"no", "yes"}));
    const auto records = recordsOf(plan);
    EXPECT_EQ(columnOf(records, 0),
              (std::vector<std::string>{"low", "middle", "high", "", "low", "", "middle", "high"}));
    EXPECT_EQ(columnOf(records, 2)[1], "2000-01-02");
    EXPECT_EQ(columnOf(records, 1)[0], "0.5");
}

TEST(StatImport, XptNumbersTextsAndDates) {
    TempDir dir;
    const std::string path = dir.file("visits.xpt");
    writeVisitsXpt(path);
    const TImportPlan plan = inferImport(path);
    EXPECT_EQ(plan.format, TImportFormat::Xport);
    const auto records = recordsOf(plan);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1], (std::vector<std::string>{"2", "165.5", "Bor", "2000-04-10"}));
}

TEST(StatImport, RefusesALabelSetOfMoreThan127Values) {
    TempDir dir;
    const std::string fits = dir.file("fits.sav");
    writeManyLabelsSav(fits, 127);
    EXPECT_EQ(inferImport(fits).columns[0].labels.size(), 127u);
    const std::string many = dir.file("many.sav");
    writeManyLabelsSav(many, 128);
    const std::string message = errorOf<EConvertError>([&] { inferImport(many); });
    EXPECT_NE(message.find("The variable CODE"), std::string::npos) << message;
    EXPECT_NE(message.find("value label set of 128 values"), std::string::npos) << message;
}

TEST(StatImport, DamagedFilesAreRefusedWithAReason) {
    TempDir dir;
    const std::string path = dir.file("loans.sav");
    writeLoansSav(path);
    const std::string whole = readFile(path);
    for (size_t cut : {size_t{4}, size_t{100}, whole.size() / 2, whole.size() - 3}) {
        SCOPED_TRACE(cut);
        const std::string message =
            errorOf<EConvertError>([&] { inferImportBytes(whole.substr(0, cut), "cut.sav", {}); });
        EXPECT_NE(message.find("\"cut.sav\""), std::string::npos) << message;
    }
}

TEST(StatImport, DateFormatsOfEachFamily) {
    bool dateTime = false;
    EXPECT_TRUE(isStatDateFormat(TImportFormat::Sav, "ADATE10", dateTime));
    EXPECT_FALSE(dateTime);
    EXPECT_TRUE(isStatDateFormat(TImportFormat::Sav, "DATETIME20", dateTime));
    EXPECT_TRUE(dateTime);
    EXPECT_FALSE(isStatDateFormat(TImportFormat::Sav, "F8.2", dateTime));
    EXPECT_TRUE(isStatDateFormat(TImportFormat::Dta, "%tc", dateTime));
    EXPECT_TRUE(dateTime);
    EXPECT_FALSE(isStatDateFormat(TImportFormat::Dta, "%9.0g", dateTime));
    EXPECT_FALSE(isStatDateFormat(TImportFormat::Dta, "%tm", dateTime));
    EXPECT_TRUE(isStatDateFormat(TImportFormat::Xport, "yymmdd10", dateTime));
    EXPECT_FALSE(isStatDateFormat(TImportFormat::Sas7bdat, "BEST12", dateTime));
}
