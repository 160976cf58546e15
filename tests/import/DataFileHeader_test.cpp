#include <gtest/gtest.h>

#include "core/DataFileHeader.h"
#include "tests/support/TempDir.h"

TEST(DataFileHeader, TellsADataFileFromAPlainCsv) {
    EXPECT_TRUE(isDataFileHeader("TAV DATA:3/TXT/1250"));
    EXPECT_TRUE(isDataFileHeader("TAV DATA"));
    EXPECT_FALSE(isDataFileHeader("TAV DAT"));
    EXPECT_FALSE(isDataFileHeader("tav data:0/TXT/1250"));
    EXPECT_FALSE(isDataFileHeader("\xEF\xBB\xBFTAV DATA:0/TXT/1250"));
    TempDir dir;
    EXPECT_TRUE(fileHasDataFileHeader(dir.write("a.CSV", "TAV DATA:0/TXT/1250\r\nA\r\n")));
    EXPECT_FALSE(fileHasDataFileHeader(dir.write("b.csv", "age,sex\n1,m\n")));
    EXPECT_FALSE(fileHasDataFileHeader(dir.write("c.csv", "TAV")));
    EXPECT_FALSE(fileHasDataFileHeader(dir.file("missing.csv")));
}
