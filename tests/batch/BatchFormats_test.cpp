// Workbooks and statistics files through tav-batch's own commands: import, then rank on the data
// file written, with the value names the file gave.

#include <gtest/gtest.h>

#include <sstream>

#include "batch/BatchCommands.h"
#include "support/FormatWriters.h"
#include "tests/batch/BatchRun.h"
#include "tests/support/TempDir.h"

namespace {

// The import of `in` with `options`, then the rank of `className`: the rank's output.
std::string importAndRank(const TempDir& dir, const std::string& in, const std::string& className,
                          const std::vector<std::string>& options = {}) {
    const std::string out = dir.file("out-tav.CSV");
    std::vector<std::string> args = {"import", in, out};
    args.insert(args.end(), options.begin(), options.end());
    const TRun imported = run(args);
    EXPECT_EQ(imported.status, 0) << imported.err;
    const TRun ranked = run({"rank", out, "--class", className});
    EXPECT_EQ(ranked.status, 0) << ranked.err;
    return ranked.out;
}

}  // namespace

TEST(BatchFormats, AWorkbookWithATitleRowImportsAndRanks) {
    TempDir dir;
    const std::string in = dir.file("loans.xlsx");
    writeLoansWorkbook(in);
    const std::string ranked = importAndRank(dir, in, "LOAN", {"--sheet", "Loans", "--skip", "2"});
    EXPECT_NE(ranked.find("OWNER= 1-TRUE"), std::string::npos) << ranked;
    // Without --skip the title row names the one column it covers, and the run says which sheet
    // was read of the two.
    const TRun titled = run({"import", in, dir.file("titled-tav.CSV")});
    EXPECT_EQ(titled.status, 0) << titled.err;
    EXPECT_NE(
        titled.err.find("The sheet \"Loans\" was read; the workbook has \"Loans\", \"Notes\""),
        std::string::npos)
        << titled.err;
}

TEST(BatchFormats, ASavFileRanksWithItsValueLabels) {
    TempDir dir;
    const std::string in = dir.file("loans.sav");
    writeLoansSav(in);
    const std::string ranked = importAndRank(dir, in, "LOAN");
    EXPECT_NE(ranked.find("SEX= 1-male"), std::string::npos) << ranked;
    EXPECT_NE(ranked.find("SEX= 2-female"), std::string::npos) << ranked;
    const TRun freq = run({"freq", dir.file("out-tav.CSV"), "--class", "LOAN"});
    EXPECT_NE(freq.out.find("pending"), std::string::npos) << freq.out;
}

TEST(BatchFormats, ADtaFileWithExtendedMissingValuesRanks) {
    TempDir dir;
    const std::string in = dir.file("groups.dta");
    writeGroupsDta(in);
    const std::string ranked = importAndRank(dir, in, "CLASS");
    EXPECT_NE(ranked.find("GROUP= 2-middle"), std::string::npos) << ranked;
    const TRun fields = run({"fields", dir.file("out-tav.CSV")});
    EXPECT_EQ(fields.status, 0) << fields.err;
}

TEST(BatchFormats, WhatCannotBeReadWritesNothing) {
    TempDir dir;
    const std::string in = dir.file("many.sav");
    writeManyLabelsSav(in, 130);
    const std::string out = dir.file("many-tav.CSV");
    const TRun refused = run({"import", in, out});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("130 values"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(out));
    const TRun badSkip = run({"import", in, out, "--skip", "-1"});
    EXPECT_EQ(badSkip.status, 2);
}
