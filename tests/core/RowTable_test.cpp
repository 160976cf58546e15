#include "core/RowTable.h"

#include <gtest/gtest.h>

#include <limits>

TEST(RowTable, CellsPrintAsTheTablesPrintThem) {
    EXPECT_EQ(rowCellText(TRowCell()), "");
    EXPECT_EQ(rowCellText(TRowCell(-42LL)), "-42");
    EXPECT_EQ(rowCellText(TRowCell(0.12345675)), "0.123457");
    EXPECT_EQ(rowCellText(TRowCell(-0.0)), "-0.000000");
    EXPECT_EQ(rowCellText(TRowCell(true)), "yes");
    EXPECT_EQ(rowCellText(TRowCell(false)), "no");
    // Windows-1250 inside, UTF-8 out: S-caron.
    EXPECT_EQ(rowCellText(TRowCell(std::string("\x8A") + "OLA")), "\xC5\xA0OLA");
}

TEST(RowTable, TheLargestRealPrintsWhole) {
    const std::string text = rowCellText(TRowCell(std::numeric_limits<double>::max()));
    EXPECT_EQ(text.size(), 309u + 7u);
    EXPECT_EQ(text.substr(text.size() - 7), ".000000");
}
