#pragma once

#include <QDialog>

#include "import/ImportTypes.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;
class QTableWidget;

// "Import data file": the columns the importer inferred, one row each (name, type, distinct
// values, missing values, boundaries, given boundaries, ignore), where the user changes a column's
// type, its number of boundaries or its own boundaries ("20,40,60"), leaves a column out and picks
// the class field, above a preview of the
// first records as the file holds them (an ignored column greyed). Each change goes through
// setColumnType or chooseColumn on the plan, so the plan always holds what the dialog shows; a
// change the values do not allow is refused with its message and the row shows the column as it
// was. The class chosen is the plan's class column. "Import a random sample of N records" (off at
// first) sets the plan's sample size the same way.
class TfrmImport : public QDialog {
    Q_OBJECT
  public:
    // Requires: `plan` outlives the dialog.
    TfrmImport(TImportPlan& plan, QWidget* parent = nullptr);

    // The class column chosen (proposedClassColumn at first; the plan's classColumn too), or -1
    // when no column can be the class (then the import cannot be accepted).
    int classColumn() const;

    QTableWidget* grdColumns = nullptr;
    QTableWidget* grdPreview = nullptr;  // a column per column of the file
    QComboBox* cmbBxClass = nullptr;     // the columns that are not STRING
    QPushButton* btnImport = nullptr;
    QCheckBox* chkBxSample = nullptr;
    QSpinBox* spnSampleSize = nullptr;  // enabled only while a sample is asked for

  private:
    // Writes the plan's column `row` into its row of the grid.
    void showColumn(int row);
    void typeChanged(int row);
    void ignoreChanged(int row);
    // Fills the preview with the first records of the file.
    void showPreview();
    // Shows column `column` of the preview as included or ignored.
    void showPreviewColumn(int column);
    // Lists the columns that can be the class, keeping the choice made or else the proposal.
    void showClassChoices();
    void sampleChanged();

    TImportPlan& m_plan;
};
