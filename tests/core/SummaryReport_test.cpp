#include <gtest/gtest.h>

#include <filesystem>

#include "core/Errors.h"
#include "core/SummaryFile.h"
#include "core/uTavObj.h"
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
