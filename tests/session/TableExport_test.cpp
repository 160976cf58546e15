#include "session/TableExport.h"

#include <gtest/gtest.h>

#include "session/uTavSession.h"
#include "tests/support/TempDir.h"

TEST(TableExport, ValuesAreQuotedForCsvAndBlankedForTsvNamesInFull) {
    resetStatSettings();
    TempDir dir;
    const std::string longName(60, 'L');
    const std::string path = dir.write(
        "data.csv", "TAV DATA:3/TXT/1250\nC;A,\"B\";" + longName +
                        "\nSET:1..2;SET:1..2;SET:1..2\nyes;x\ty;p\nno;z;q\n1;1;1\n2;2;2\n");
    TTavSession session;
    session.setWritesSummaryReport(false);
    EXPECT_EQ(fieldsTableExport(session, TTableExportFormat::Csv), "");
    session.loadDataFile(path);

    const std::string csv = fieldsTableExport(session, TTableExportFormat::Csv);
    EXPECT_NE(csv.find("\n1,0,\"A,\"\"B\"\"\",SET:1..2,"), std::string::npos) << csv;
    // The grid cuts a name at 50 characters; the export has it whole.
    EXPECT_NE(csv.find("," + longName + ","), std::string::npos) << csv;

    const std::string tsv = rulesTableExport(session, TTableExportFormat::Tsv);
    EXPECT_NE(tsv.find("(1) A,\"B\"= 1-x y\t"), std::string::npos) << tsv;
    EXPECT_EQ(tsv.rfind("No.\tName\t", 0), 0u) << tsv;
}
