#include "ui/dialogs/uSheetDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <fstream>
#include <sstream>

#include "core/Errors.h"
#include "core/uTavObj.h"
#include "import/CellTableSource.h"

namespace {

// Enough records to recognise the table; the import dialog shows the rest of what matters.
constexpr int kPreviewRecords = 8;

QString utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TfrmSheet::TfrmSheet(const TImportPlan& plan, QWidget* parent) : QDialog(parent), m_plan(plan) {
    setObjectName(QStringLiteral("frmSheet"));
    setWindowTitle(QStringLiteral("Import a workbook"));
    if (plan.sourceBytes) {
        m_bytes = *plan.sourceBytes;
    } else {
        std::ostringstream bytes;
        bytes << std::ifstream(plan.sourcePath, std::ios::binary).rdbuf();
        m_bytes = bytes.str();
    }
    auto* layout = new QVBoxLayout(this);
    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(new QLabel(QStringLiteral("Sheet:"), this));
    cmbBxSheet = new QComboBox(this);
    cmbBxSheet->setObjectName(QStringLiteral("cmbBxSheet"));
    for (const std::string& name : plan.sheetNames)
        cmbBxSheet->addItem(utf8(name));
    cmbBxSheet->setCurrentText(utf8(plan.sheet));
    choiceRow->addWidget(cmbBxSheet, 1);
    choiceRow->addWidget(new QLabel(QStringLiteral("Rows above the header:"), this));
    spnSkip = new QSpinBox(this);
    spnSkip->setObjectName(QStringLiteral("spnSkip"));
    spnSkip->setRange(0, 1000000);
    spnSkip->setValue(plan.skipRows);
    spnSkip->setToolTip(QStringLiteral("Titles and notes above the row of column names"));
    choiceRow->addWidget(spnSkip);
    layout->addLayout(choiceRow);
    grdPreview = new QTableWidget(this);
    grdPreview->setObjectName(QStringLiteral("grdPreview"));
    grdPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(grdPreview, 1);
    lblProblem = new QLabel(this);
    lblProblem->setWordWrap(true);
    layout->addWidget(lblProblem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Next"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(cmbBxSheet, &QComboBox::currentIndexChanged, this, &TfrmSheet::showPreview);
    connect(spnSkip, &QSpinBox::valueChanged, this, &TfrmSheet::showPreview);
    showPreview();
    resize(640, 360);
}

TSheetChoice TfrmSheet::choice() const {
    const QByteArray name = cmbBxSheet->currentText().toUtf8();
    return {std::string(name.constData(), static_cast<size_t>(name.size())), spnSkip->value()};
}

void TfrmSheet::showPreview() {
    grdPreview->clear();
    grdPreview->setRowCount(0);
    grdPreview->setColumnCount(0);
    lblProblem->clear();
    try {
        const TWorkbookTable read =
            readCellTable(m_bytes, m_plan.format, choice(), displayPath(m_plan.sourcePath));
        const TCellTable& table = read.table;
        grdPreview->setColumnCount(static_cast<int>(table.columns.size()));
        QStringList names;
        for (const TCellColumn& column : table.columns)
            names << utf8(column.name);
        grdPreview->setHorizontalHeaderLabels(names);
        const int rows = static_cast<int>(std::min<size_t>(table.rows.size(), kPreviewRecords));
        grdPreview->setRowCount(rows);
        for (int r = 0; r < rows; ++r) {
            for (size_t c = 0; c < table.columns.size(); ++c) {
                grdPreview->setItem(r, static_cast<int>(c),
                                    new QTableWidgetItem(utf8(table.rows[r][c])));
            }
        }
    } catch (const ETavError& error) {
        // Messages of the readers name the file by its path's bytes: shown as UTF-8 here.
        lblProblem->setText(utf8(error.what()));
    }
}
