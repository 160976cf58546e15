#include "ui/dialogs/uSheetDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>

#include "import/Importer.h"

// The preview follows the sheet and the rows skipped, and says why there is no table.
TEST(SheetDialog, ThePreviewFollowsTheSheetAndTheRowsSkipped) {
    const TImportPlan plan = inferImport(TAV_SOURCE_DIR "/tests/import/data/loans.xls");
    TfrmSheet dialog(plan);
    ASSERT_EQ(dialog.cmbBxSheet->count(), 2);
    // At first the title is the header: it names the first column only.
    ASSERT_EQ(dialog.grdPreview->columnCount(), 5);
    EXPECT_EQ(dialog.grdPreview->horizontalHeaderItem(0)->text(), "Loans of 2024");
    EXPECT_EQ(dialog.grdPreview->horizontalHeaderItem(1)->text(), "");
    dialog.spnSkip->setValue(2);
    ASSERT_EQ(dialog.grdPreview->columnCount(), 5);
    EXPECT_EQ(dialog.grdPreview->horizontalHeaderItem(0)->text(), "Name");
    EXPECT_EQ(dialog.grdPreview->item(0, 0)->text(), QString::fromUtf8("Novák"));
    EXPECT_EQ(dialog.grdPreview->rowCount(), 6);
    EXPECT_EQ(dialog.choice().skip, 2);
    dialog.spnSkip->setValue(50);
    EXPECT_EQ(dialog.grdPreview->columnCount(), 0);
    EXPECT_TRUE(dialog.lblProblem->text().contains("has no header row"));
    dialog.cmbBxSheet->setCurrentIndex(1);
    dialog.spnSkip->setValue(0);
    EXPECT_EQ(dialog.choice().sheet, "Notes");
    EXPECT_EQ(dialog.grdPreview->horizontalHeaderItem(0)->text(), "Remark");
}
