#include "ui/dialogs/uImportDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QSpinBox>
#include <QTableWidget>

#include "import/Importer.h"

TEST(ImportDialog, TypeChangesReachThePlanAndTheClassIsChosen) {
    TImportPlan plan =
        inferImportBytes("GRADE,AGE,NAME\na,31,x\nb,40,y\na,52,z\nc,47,w\n", "t.csv");
    ASSERT_EQ(plan.columns.size(), 3u);
    TfrmImport dialog(plan);
    ASSERT_EQ(dialog.grdColumns->rowCount(), 3);
    EXPECT_EQ(dialog.grdColumns->item(0, 0)->text(), "GRADE");
    auto* type = static_cast<QComboBox*>(dialog.grdColumns->cellWidget(1, 1));
    type->setCurrentText("REAL");
    EXPECT_EQ(plan.columns[1].type, TImportType::Real);
    static_cast<QSpinBox*>(dialog.grdColumns->cellWidget(1, 2))->setValue(2);
    EXPECT_EQ(plan.columns[1].boundaryCount(), 2);
    type->setCurrentText("STRING");
    EXPECT_EQ(plan.columns[1].type, TImportType::String);
    EXPECT_FALSE(dialog.grdColumns->cellWidget(1, 2)->isEnabled());
    dialog.cmbBxClass->setCurrentIndex(2);
    EXPECT_EQ(dialog.classColumn(), 2);
}
