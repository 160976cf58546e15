#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include <unistd.h>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/SummaryFile.h"
#include "core/uTavObj.h"
#include "tests/support/InjectedFault.h"
#include "tests/support/TempDir.h"

TEST(SummaryReport, LaysOutFieldsAndRecords) {
    TBaza data;
    data.loadDataBytes(
        "TAV DATA:0/FLT/1250\nNAME:10;AGE:2;INC:4;SEX:1\nSTRING;SET:1..3:UNK=0,98,99;REAL:::4;INT\n"
        "Ann Smith 2 12.51\n",
        "t", dfkFromHeader, cpUnknown);
    EXPECT_EQ(data.summaryReportText(),
              "FieldCount = 4\r\n"
              "NAME:10,AGE:2,INC:4,SEX:1\r\n"
              "STRING,\"SET:1..3:UNK=0,98,99\",REAL:::4,INT\r\n"
              "NAME; STRING; \r\n"
              "AGE; SET; 1..3; UNK= 0 98 99 ; \r\n"
              "INC; REAL; 0..4; \r\n"
              "SEX; INT; 0..0; UNK= ; \r\n"
              "RecordCount = 1\r\n"
              "0: \"Ann Smith\",2,12.5,1\r\n");
}

TEST(SummaryReport, EmptyTableGivesFourLines) {
    TBaza data;
    EXPECT_EQ(data.summaryReportText(), "FieldCount = 0\r\n\r\n\r\nRecordCount = 0\r\n");
}

TEST(SummaryReport, IsWrittenBesideTheDataFile) {
    TempDir dir;
    const std::string name = dir.write("d.csv", "TAV DATA:0/TXT/1250\nA\nSTRING\nx y\n");
    TBaza data;
    data.loadDataFile(name, dfkFromHeader, cpUnknown);
    const TSummaryOutcome outcome = writeSummaryBeside(data, name);
    EXPECT_TRUE(outcome.written) << outcome.warning;
    EXPECT_EQ(outcome.reportPath, dir.file("d.REP"));
    EXPECT_EQ(readFile(outcome.reportPath), data.summaryReportText());
}

TEST(SummaryReport, NeverOverwritesTheDataFile) {
    TempDir dir;
    const std::string content = "TAV DATA:0/TXT/1250\nA\nSTRING\nx\n";
    const std::string name = dir.write("x.REP", content);
    TBaza data;
    data.loadDataFile(name, dfkFromHeader, cpUnknown);
    const TSummaryOutcome outcome = writeSummaryBeside(data, name);
    EXPECT_FALSE(outcome.written);
    EXPECT_NE(outcome.warning.find("data file itself"), std::string::npos);
    EXPECT_EQ(readFile(name), content);
}

TEST(SummaryReport, AReportThatCannotBeWrittenIsAWarningNamingThePath) {
    TempDir dir;
    const std::string name = dir.write("d.csv", "TAV DATA:0/TXT/1250\nA\nSTRING\nx\n");
    std::filesystem::create_directory(dir.file("d.REP"));  // fails for root too
    TBaza data;
    data.loadDataFile(name, dfkFromHeader, cpUnknown);
    const TSummaryOutcome outcome = writeSummaryBeside(data, name);
    EXPECT_FALSE(outcome.written);
    EXPECT_NE(outcome.warning.find(dir.file("d.REP")), std::string::npos) << outcome.warning;
    EXPECT_NE(outcome.warning.find("Is a directory"), std::string::npos) << outcome.warning;
    EXPECT_EQ(data.RecordCount(), 1);
}

TEST(SummaryReport, AMissingFolderThrowsFromTheWriter) {
    TBaza data;
    EXPECT_THROW(data.writeSummaryReport("/nonexistent-folder/x.REP"), EInOutError);
}

TEST(SummaryReport, AFailedRewriteKeepsTheEarlierReportWhole) {
    const struct {
        TWriteStep step;
        int fault;
        const char* reason;
    } cases[] = {
        {TWriteStep::Create, EACCES, "Permission denied"},  // a read-only folder
        {TWriteStep::Write, ENOSPC, "No space left on device"},
        {TWriteStep::Rename, EIO, "Input/output error"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string name = dir.write("d.csv", "TAV DATA:0/TXT/1250\nA\nSTRING\nx\ny\n");
        TBaza first;
        first.loadDataFile(name, dfkFromHeader, cpUnknown);
        ASSERT_TRUE(writeSummaryBeside(first, name).written);
        const std::string earlier = readFile(dir.file("d.REP"));

        dir.write("d.csv", "TAV DATA:0/TXT/1250\nA\nSTRING\nother\n");
        TBaza second;
        second.loadDataFile(name, dfkFromHeader, cpUnknown);
        const InjectedFault fault(c.step, c.fault);
        const TSummaryOutcome outcome = writeSummaryBeside(second, name);
        EXPECT_FALSE(outcome.written);
        EXPECT_NE(outcome.warning.find("an earlier report of that name is left as it was"),
                  std::string::npos)
            << outcome.warning;
        EXPECT_NE(outcome.warning.find(c.reason), std::string::npos) << outcome.warning;
        EXPECT_EQ(readFile(dir.file("d.REP")), earlier);
        // No temporary file is left behind.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    }
}

TEST(SummaryReport, AFirstReportThatCannotBeWrittenClaimsNoEarlierOne) {
    TempDir dir;
    const std::string name = dir.write("d.csv", "TAV DATA:0/TXT/1250\nA\nSTRING\nx\n");
    TBaza data;
    data.loadDataFile(name, dfkFromHeader, cpUnknown);
    const InjectedFault full(TWriteStep::Write, ENOSPC);
    const TSummaryOutcome outcome = writeSummaryBeside(data, name);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.warning, "The summary report \"" + dir.file("d.REP") +
                                   "\" could not be written: writing the temporary file \"" +
                                   dir.file("d.REP.tav-" + std::to_string(::getpid()) + "-0.tmp") +
                                   "\" failed: No space left on device.");
    EXPECT_FALSE(std::filesystem::exists(dir.file("d.REP")));
}

TEST(SummaryReport, ARewrittenReportKeepsItsPermissionsAndAReadOnlyOneIsRefused) {
    TempDir dir;
    const std::string name = dir.write("d.csv", "TAV DATA:0/TXT/1250\nA\nSTRING\nx\n");
    TBaza data;
    data.loadDataFile(name, dfkFromHeader, cpUnknown);
    ASSERT_TRUE(writeSummaryBeside(data, name).written);
    namespace fs = std::filesystem;
    const std::string report = dir.file("d.REP");
    fs::permissions(report, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(writeSummaryBeside(data, name).written);
    EXPECT_EQ(fs::status(report).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::permissions(report, fs::perms::owner_read);
    const TSummaryOutcome outcome = writeSummaryBeside(data, name);
    EXPECT_FALSE(outcome.written);
    EXPECT_NE(outcome.warning.find("read-only"), std::string::npos) << outcome.warning;
}
