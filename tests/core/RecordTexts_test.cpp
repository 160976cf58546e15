#include <gtest/gtest.h>

#include <filesystem>

#include "core/Errors.h"
#include "core/uTavObj.h"
#include "tests/support/TempDir.h"

namespace {

// Tables loaded from a file with every text held, and again with none held.
struct HeldAndReadAgain {
    TBaza held;
    TBaza readAgain;

    explicit HeldAndReadAgain(const std::string& path) {
        held.loadDataFile(path, dfkFromHeader, cpUnknown);
        TBaza::setTextBytesHeldForTesting(1);
        try {
            readAgain.loadDataFile(path, dfkFromHeader, cpUnknown);
        } catch (...) {
            TBaza::setTextBytesHeldForTesting(0);
            throw;
        }
        TBaza::setTextBytesHeldForTesting(0);
    }
};

}  // namespace

// A text read again from the file is the text loaded, whatever the order the records are asked
// in, for each kind of line and a code page that is converted.
TEST(RecordTexts, TextsReadAgainAreTheTextsLoaded) {
    TempDir dir;
    const std::vector<std::string> files = {
        dir.write("txt.csv",
                  "TAV DATA:1/TXT/852\r\nNAME;CITY;AGE\r\nSTRING;SET:1..2;REAL:::1\r\nx;2;30\r\n"
                  " Ann ;1;12.5\r\n\x9F"
                  "ed;2;40;extra\r\n;;\r\nlast;1;7"),
        dir.write("flt.csv",
                  "TAV DATA:0/FLT/1250\nID:3;NAME:10\nINT:0..99;STRING\n"
                  "001John Smith extra\n02\n"),
        dir.write("qtx.csv",
                  "TAV DATA:0/QTX/1250\nNAME,CITY\nSTRING,SET:1..2\n"
                  "\"a, b\",1\nc,\"2\"\n")};
    for (const std::string& path : files) {
        HeldAndReadAgain t(path);
        ASSERT_TRUE(t.held.holdsRecordTexts());
        ASSERT_FALSE(t.readAgain.holdsRecordTexts());
        ASSERT_EQ(t.readAgain.RecordCount(), t.held.RecordCount()) << path;
        const int n = t.held.RecordCount();
        std::vector<int> order;
        for (int r = 0; r < n; ++r)
            order.push_back(r);
        for (int r = n - 1; r >= 0; --r)
            order.push_back(r);
        for (int r : {1, 0, n - 1, 1, 2}) {
            if (r < n) order.push_back(r);
        }
        for (int r : order) {
            EXPECT_EQ(t.readAgain.recordText(r), t.held.recordText(r)) << path << " " << r;
            for (int i = 0; i < t.held.FieldCount(); ++i) {
                EXPECT_EQ(t.readAgain.fieldValueAsString(r, i), t.held.fieldValueAsString(r, i));
                EXPECT_EQ(t.readAgain.fieldValueCode(r, i), t.held.fieldValueCode(r, i));
            }
        }
        EXPECT_EQ(t.readAgain.summaryReportText(), t.held.summaryReportText());
    }
}

// The positions kept are those of the file loaded: a file changed or gone since says so.
TEST(RecordTexts, AFileChangedOrGoneSinceTheLoadIsNoSourceOfTexts) {
    TempDir dir;
    const std::string path = dir.write("t.csv", "TAV DATA:0/TXT/1250\nA\nSTRING\nx\ny\n");
    HeldAndReadAgain t(path);
    EXPECT_EQ(t.readAgain.recordText(1), "y");
    dir.write("t.csv", "TAV DATA:0/TXT/1250\nA\nSTRING\nlonger\ny\n");
    try {
        t.readAgain.recordText(0);
        FAIL() << "a changed file gave texts";
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("the file changed"), std::string::npos);
    }
    std::filesystem::remove(path);
    EXPECT_THROW(t.readAgain.recordText(0), EInOutError);
    EXPECT_EQ(t.held.recordText(0), "x");  // a table that holds its texts needs no file
}
