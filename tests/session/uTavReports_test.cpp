#include "session/uTavReports.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/DateTimeFormat.h"
#include "core/LocaleFormat.h"
#include "session/uTavSession.h"
#include "table/TXMLDataSet.h"
#include "tests/support/TempDir.h"

namespace {

// Class C (SET:1..3) with 12 of 48 records in code 3; F (SET:1..2) splits the records in halves.
std::string table48() {
    std::string text = "TAV DATA:3/TXT/1250\nC;F\nSET:1..3;SET:1..2\na;x\nb;y\nc;\n";
    for (int r = 0; r < 48; ++r) {
        text += std::string(r < 12 ? "3" : r < 30 ? "1" : "2") + ";" + (r % 2 ? "1" : "2") + "\n";
    }
    return text;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        out.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 2;
    }
    return out;
}

class ReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetStatSettings();
        session.loadDataFile(dir.write("d.csv", table48()));
    }
    TempDir dir;
    TTavSession session;
};

}  // namespace

TEST_F(ReportTest, BlockLayoutWithFixedWidths) {
    const std::vector<std::string> block = lines(globalReportBlock(session));
    ASSERT_GE(block.size(), 8u);
    EXPECT_EQ(block[0], "Classes");
    EXPECT_EQ(block[1], "   # Freq        Prob    Std   Name");
    EXPECT_EQ(block[2].substr(0, 14), "   1   18     ");
    EXPECT_EQ(block[4].substr(0, 22), "   3   12        0.250");
    EXPECT_TRUE(block[4].ends_with(" (0) C= 3-c")) << block[4];
    EXPECT_EQ(block[5], "");
    EXPECT_EQ(block[6], "Attributes and values");
    EXPECT_EQ(block[7], "   # Freq    N   CProb   CStd    IGain  Signif Name");
    // Complete set, then the three class values and the two values of F.
    ASSERT_EQ(block.size(), 8u + 6u + 2u);
    EXPECT_EQ(block[8].substr(0, 15), "   0   18   48 ");
    EXPECT_TRUE(block[8].ends_with(" Complete set")) << block[8];
    // Rule 4 is F= 1: 24 records, 9 of them with class 1 (the first class row).
    EXPECT_EQ(block[12].substr(0, 15), "   4    9   24 ");
    EXPECT_EQ(block[14], "");
    EXPECT_EQ(block[15], "");
    EXPECT_EQ(session.rulesTable().currentRow(), 0);
}

TEST_F(ReportTest, TheRowOfTheWorkedExample) {
    // A class row with number 3, frequency 12, probability 0.25 and std 0.05, written into the
    // session's own table to pin the format down.
    auto& table = dynamic_cast<TXMLDataSet&>(session.frequencyTable());
    ASSERT_TRUE(table.moveToRow(3));
    table.edit();
    table.setFieldValue(3, TxValue(0.25));
    table.setFieldValue(4, TxValue(0.05));
    table.post();
    const std::vector<std::string> block = lines(globalReportBlock(session));
    EXPECT_EQ(block[4], "   3   12        0.250   0.050 (0) C= 3-c");
}

TEST(GlobalReportBlock, NoBlockWithoutATable) {
    TTavSession empty;
    EXPECT_EQ(globalReportBlock(empty), "");
}

TEST_F(ReportTest, WithoutAValueRowTheFiguresAreZero) {
    RowVisible.fill(false);
    session.refreshFrequency();
    const std::vector<std::string> block = lines(globalReportBlock(session));
    resetStatSettings();
    EXPECT_EQ(block[2], "");  // no class rows
    EXPECT_EQ(block[4], "   # Freq    N   CProb   CStd    IGain  Signif Name");
    EXPECT_EQ(block[5].substr(0, 31), "   0    0   48   0.000   0.000 ");
}

TEST_F(ReportTest, ClipboardTextHasTheHeadingAndTenFieldsARow) {
    TLocaleFormat& locale = localeFormat();
    const TLocaleFormat saved = locale;
    locale.shortDateFormat = "d.M.yyyy";
    locale.longTimeFormat = "H:mm:ss";
    const TLocalDateTime moment{2026, 12, 8, 23, 59, 59};
    // A fixed local moment: the clock returns the time point that is that local time.
    std::tm parts{};
    parts.tm_year = 126;
    parts.tm_mon = 11;
    parts.tm_mday = 8;
    parts.tm_hour = 23;
    parts.tm_min = 59;
    parts.tm_sec = 59;
    parts.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&parts));
    locale.clock = [when] { return when; };
    const std::string text = session.frequencyReport("Seznam vlog");
    locale = saved;

    const std::vector<std::string> rows = lines(text);
    ASSERT_EQ(rows.size(), 10u);  // the Total row and three value rows
    EXPECT_EQ(rows[0], "Tav");
    EXPECT_EQ(rows[1], "Seznam vlog   (obdelava: 8.12.2026 ob 23:59:59)");
    EXPECT_EQ(rows[2], "");
    EXPECT_EQ(rows[3], "---");
    EXPECT_EQ(std::count(rows[4].begin(), rows[4].end(), '\t'), 9);
    for (int k = 5; k < 9; ++k)
        EXPECT_EQ(std::count(rows[k].begin(), rows[k].end(), '\t'), 10) << k;
    EXPECT_EQ(rows[5].substr(0, 9), "-1\tTotal\t");
    EXPECT_EQ(rows[9], "---");
    EXPECT_EQ(session.frequencyTable().currentRow(), 3);  // the walk ends on the last row
    EXPECT_EQ(formatDateTime("dd.MM.yy hh:mm AP", moment), "08.12.26 11:59 PM");
}
