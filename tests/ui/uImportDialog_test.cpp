#include "ui/dialogs/uImportDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "import/ImportRecipe.h"
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

TEST(ImportDialog, ThePreviewShowsTheFirstRecordsAndAnIgnoredColumnLeavesThePlan) {
    std::string table = "GRADE,AGE,NOTE\n";
    for (int i = 0; i < 12; ++i)
        table += std::string(1, static_cast<char>('a' + i % 3)) + "," + std::to_string(20 + i) +
                 ",n" + std::to_string(i) + "\n";
    TImportPlan plan = inferImportBytes(table, "t.csv");
    TfrmImport dialog(plan);
    // The first ten records as the file holds them, one column per column of the file.
    ASSERT_EQ(dialog.grdPreview->rowCount(), 10);
    ASSERT_EQ(dialog.grdPreview->columnCount(), 3);
    EXPECT_EQ(dialog.grdPreview->horizontalHeaderItem(1)->text(), "AGE");
    EXPECT_EQ(dialog.grdPreview->item(0, 1)->text(), "20");
    EXPECT_EQ(dialog.grdPreview->item(9, 2)->text(), "n9");

    EXPECT_EQ(dialog.classColumn(), 0);  // the others tell the records apart
    EXPECT_EQ(plan.classColumn, 0);
    auto* ignore = static_cast<QCheckBox*>(dialog.grdColumns->cellWidget(0, 6));
    ignore->setChecked(true);
    EXPECT_TRUE(plan.columns[0].choice.ignored);
    EXPECT_EQ(importFieldIndex(plan, 1), 0);
    EXPECT_FALSE(dialog.grdColumns->cellWidget(0, 1)->isEnabled());
    EXPECT_EQ(dialog.grdPreview->horizontalHeaderItem(0)->text(), "GRADE (ignored)");
    // An ignored column is no class: the choice moves to one that can be.
    EXPECT_EQ(dialog.cmbBxClass->findData(0), -1);
    EXPECT_EQ(dialog.classColumn(), 2);
    EXPECT_EQ(plan.classColumn, 2);
    ignore->setChecked(false);
    EXPECT_FALSE(plan.columns[0].choice.ignored);
    EXPECT_TRUE(dialog.grdColumns->cellWidget(0, 1)->isEnabled());
    EXPECT_EQ(dialog.grdPreview->horizontalHeaderItem(0)->text(), "GRADE");
    EXPECT_NE(dialog.cmbBxClass->findData(0), -1);
}

TEST(ImportDialog, OffersEveryTypeOfTavBatchImport) {
    TImportPlan plan = inferImportBytes("AMOUNT,DAY\n1.5,2024-01-02\n2.5,2024-01-03\n", "t.csv");
    TfrmImport dialog(plan);
    auto* amount = static_cast<QComboBox*>(dialog.grdColumns->cellWidget(0, 1));
    auto* day = static_cast<QComboBox*>(dialog.grdColumns->cellWidget(1, 1));
    amount->setCurrentText("CURRENCY");
    day->setCurrentText("DATE");
    EXPECT_EQ(importTypeSpec(plan.columns[0]), "CURRENCY:::1");
    EXPECT_EQ(importTypeSpec(plan.columns[1]), "DATE");
    EXPECT_EQ(plan.columns[1].choice.type, TImportType::Date);
    // A date is no class; the amount is.
    EXPECT_EQ(dialog.cmbBxClass->count(), 1);
    EXPECT_EQ(dialog.classColumn(), 0);
}

TEST(ImportDialog, BoundariesOfOnesOwnReachThePlanAsTavBatchImportWouldTakeThem) {
    TImportPlan plan = inferImportBytes("AGE,GRADE\n21,a\n35,b\n48,a\n62,c\n70,b\n", "t.csv");
    TfrmImport dialog(plan);
    auto* given = static_cast<QLineEdit*>(dialog.grdColumns->cellWidget(0, 3));
    ASSERT_TRUE(given->isEnabled());
    given->setText("30,50");
    emit given->editingFinished();
    EXPECT_EQ(plan.columns[0].boundaryTexts, (std::vector<std::string>{"30", "50"}));
    EXPECT_EQ(importTypeSpec(plan.columns[0]), "INT:1..3:UNK=0");
    EXPECT_FALSE(dialog.grdColumns->cellWidget(0, 2)->isEnabled());  // no quantiles then
    EXPECT_EQ(importRecipeArguments(importRecipe(plan)),
              (std::vector<std::string>{"--type", "0=INT", "--bins", "0=30,50", "--class", "1"}));
    given->setText("40");  // one boundary, not forty
    emit given->editingFinished();
    EXPECT_EQ(plan.columns[0].boundaryTexts, (std::vector<std::string>{"40"}));
    EXPECT_EQ(given->text(), "40");
    static_cast<QComboBox*>(dialog.grdColumns->cellWidget(0, 1))->setCurrentText("SET");
    EXPECT_FALSE(plan.columns[0].choice.bins);
    EXPECT_EQ(given->text(), "");
    EXPECT_FALSE(given->isEnabled());
}
