#pragma once

#include <QDialog>

#include "import/ImportTypes.h"

class QComboBox;
class QTableWidget;

// "Import data file": the columns the importer inferred, one row each (name, type, distinct
// values, missing values, boundaries), where the user changes a column's type or its number of
// boundaries and picks the class field. Each change goes through setColumnType on the plan, so
// the plan always holds what the dialog shows; a change the values do not allow is refused with
// its message and the row shows the column as it was.
class TfrmImport : public QDialog {
    Q_OBJECT
  public:
    // Requires: `plan` outlives the dialog.
    TfrmImport(TImportPlan& plan, QWidget* parent = nullptr);

    // The class column chosen (0 at first).
    int classColumn() const;

    QTableWidget* grdColumns = nullptr;
    QComboBox* cmbBxClass = nullptr;

  private:
    // Writes the plan's column `row` into its row of the grid.
    void showColumn(int row);
    void typeChanged(int row);

    TImportPlan& m_plan;
};
