#include "core/ReportFile.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

#include "core/Errors.h"
#include "core/KeepEarlierFile.h"
#include "tests/support/InjectedFault.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kBlock = "Classes\r\n   1   18\r\n\r\n\r\n";

}  // namespace

TEST(ReportFile, TwoBlocksInTheFileAndFlushedAtOnce) {
    TempDir dir;
    const std::string path = dir.file("TavGlobalRep.txt");
    TReportFile report(path);
    ASSERT_TRUE(report.isOpen());
    report.appendBlock(kBlock);
    EXPECT_EQ(readFile(path), kBlock);
    report.appendBlock(kBlock);
    EXPECT_EQ(readFile(path), kBlock + kBlock);
}

TEST(ReportFile, NothingForAnEmptyBlockAndAClearErrorWithoutTheFile) {
    TempDir dir;
    TReportFile report(dir.file("r.txt"));
    report.appendBlock("");
    EXPECT_EQ(readFile(dir.file("r.txt")), "");

    TReportFile missing(dir.file("no/such/folder/TavGlobalRep.txt"));
    EXPECT_FALSE(missing.isOpen());
    EXPECT_NE(missing.openError().find("could not be created"), std::string::npos);
    missing.appendBlock("");  // no table, no block: not an error even without the file
    try {
        missing.appendBlock(kBlock);
        FAIL();
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("Nothing was written"), std::string::npos);
    }
}

TEST(ReportFile, AFailedBlockIsCutOffAndTheEarlierBlocksStay) {
    TempDir dir;
    const std::string path = dir.file("TavGlobalRep.txt");
    TReportFile report(path);
    report.appendBlock(kBlock);
    {
        const InjectedFault full(TWriteStep::Write, ENOSPC);
        try {
            report.appendBlock(kBlock);
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("No space left on device"), std::string::npos) << message;
            EXPECT_NE(message.find("this block was not written"), std::string::npos) << message;
        }
        EXPECT_EQ(readFile(path), kBlock);
    }
    report.appendBlock(kBlock);  // the program goes on: the next block follows the first
    EXPECT_EQ(readFile(path), kBlock + kBlock);
}

TEST(ReportFile, AnEarlierReportIsKeptUnderADatedName) {
    TempDir dir;
    const std::string path = dir.file("TavGlobalRep.txt");
    {
        TReportFile empty(path);  // an empty earlier file is simply replaced
        EXPECT_EQ(empty.startNote(), "");
    }
    dir.write("TavGlobalRep.txt", "previous run\r\n");
    const std::string dated = datedFileName(path, 1700000000);
    EXPECT_EQ(dated.size(), path.size() + 16);               // "-YYYYMMDD-HHMMSS"
    dir.write(dated.substr(dated.rfind('/') + 1), "taken");  // the name is taken: "-2" is added
    const timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    {
        TReportFile report(path);
        EXPECT_TRUE(report.isOpen());
        EXPECT_EQ(report.path(), path);
        const std::string kept = dated.substr(0, dated.size() - 4) + "-2.txt";
        EXPECT_EQ(readFile(kept), "previous run\r\n");
        EXPECT_NE(report.startNote().find(kept), std::string::npos) << report.startNote();
    }
    // When the rename fails the earlier report stays and the new one gets a fresh dated name.
    dir.write("TavGlobalRep.txt", "second run\r\n");
    const InjectedFault fault(TWriteStep::Rename, EACCES);
    TReportFile report(path);
    EXPECT_EQ(readFile(path), "second run\r\n");
    EXPECT_NE(report.path(), path);
    EXPECT_TRUE(report.isOpen());
    EXPECT_NE(report.startNote().find("could not be renamed"), std::string::npos);
}
