#pragma once

#include <QDialog>
#include <string>

#include "import/CellTable.h"
#include "import/ImportTypes.h"

class QComboBox;
class QLabel;
class QSpinBox;
class QTableWidget;

// "Import a workbook": which sheet to import and how many rows above its header to skip, with
// a preview of the table they give (the header as the column headings, the first records below)
// or the reason there is none, such as a sheet without a header row. The workbook is read once
// into memory and each choice read again from there.
class TfrmSheet : public QDialog {
    Q_OBJECT
  public:
    // Requires: `plan` is a workbook's (sheetNames not empty).
    explicit TfrmSheet(const TImportPlan& plan, QWidget* parent = nullptr);

    // The sheet (by name) and the rows to skip chosen.
    TSheetChoice choice() const;

    QComboBox* cmbBxSheet = nullptr;
    QSpinBox* spnSkip = nullptr;
    QTableWidget* grdPreview = nullptr;
    QLabel* lblProblem = nullptr;  // why there is no table, or empty

  private:
    void showPreview();

    const TImportPlan& m_plan;
    std::string m_bytes;
};
