#include "ui/dialogs/uImportDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
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
    ASSERT_EQ(dialog.cmbBxClass->count(), 2);  // AGE, now a STRING, is no longer offered
    dialog.cmbBxClass->setCurrentIndex(1);
    EXPECT_EQ(dialog.classColumn(), 2);
}

TEST(ImportDialog, OffersNoTextAsTheClassAndKeepsTheChoiceWhileItCan) {
    TImportPlan plan = inferImportBytes("ID,GRADE,NOTE\n1,a,x\n2,b,y\n3,a,z\n", "t.csv");
    setColumnType(plan, 2, TImportType::String);
    TfrmImport dialog(plan);
    auto type = [&](int row) {
        return static_cast<QComboBox*>(dialog.grdColumns->cellWidget(row, 1));
    };
    EXPECT_EQ(dialog.cmbBxClass->count(), 2);
    EXPECT_EQ(dialog.classColumn(), 1);  // the identifier and the text are not proposed
    type(2)->setCurrentText("SET");
    EXPECT_EQ(dialog.cmbBxClass->count(), 3);
    EXPECT_EQ(dialog.classColumn(), 1);
    type(1)->setCurrentText("STRING");
    EXPECT_EQ(dialog.classColumn(), 2);
    type(2)->setCurrentText("STRING");
    EXPECT_EQ(dialog.classColumn(), 0);
    type(0)->setCurrentText("STRING");
    EXPECT_EQ(dialog.classColumn(), -1);
    EXPECT_FALSE(dialog.btnImport->isEnabled());
    type(1)->setCurrentText("SET");
    EXPECT_EQ(dialog.classColumn(), 1);
    EXPECT_TRUE(dialog.btnImport->isEnabled());
}

TEST(ImportDialog, ASampleIsAChoiceOffAtFirst) {
    TImportPlan plan = inferImportBytes("N\n1\n2\n3\n4\n5\n", "t.csv");
    TfrmImport dialog(plan);
    EXPECT_FALSE(dialog.chkBxSample->isChecked());
    EXPECT_FALSE(dialog.spnSampleSize->isEnabled());
    EXPECT_EQ(dialog.spnSampleSize->maximum(), 5);
    EXPECT_EQ(plan.sampleSize, 0);
    dialog.chkBxSample->setChecked(true);
    EXPECT_EQ(plan.sampleSize, 5);
    dialog.spnSampleSize->setValue(2);
    EXPECT_EQ(plan.sampleSize, 2);
    dialog.chkBxSample->setChecked(false);
    EXPECT_EQ(plan.sampleSize, 0);
}
