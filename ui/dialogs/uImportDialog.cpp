#include "ui/dialogs/uImportDialog.h"

#include <QBrush>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <iterator>

#include "core/Errors.h"
#include "import/ImportInference.h"
#include "import/Importer.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/text/QtText.h"

namespace {

enum Column { kName, kType, kBoundaries, kGiven, kDistinct, kMissing, kIgnore, kColumnCount };

const TImportType kTypes[] = {TImportType::Set,      TImportType::Int,  TImportType::Real,
                              TImportType::Currency, TImportType::Date, TImportType::String};

// Records enough to see what each column holds, and few enough to read at once.
constexpr int kPreviewRows = 10;

bool hasIntervals(TImportType type) {
    return type == TImportType::Int || type == TImportType::Real || type == TImportType::Currency;
}

}  // namespace

TfrmImport::TfrmImport(TImportPlan& plan, QWidget* parent) : QDialog(parent), m_plan(plan) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("Import data file"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("%1 records of \"%2\". Change a column's type where the guess is wrong, "
                       "leave out the columns you do not need, and choose the class field.")
            .arg(m_plan.recordsRead)
            .arg(qtText(m_plan.sourcePath)),
        this));

    grdColumns = new QTableWidget(static_cast<int>(m_plan.columns.size()), kColumnCount, this);
    grdColumns->setObjectName(QStringLiteral("grdColumns"));
    grdColumns->setHorizontalHeaderLabels(
        {"Name", "Type", "Boundaries", "Given boundaries", "Distinct values", "Missing", "Ignore"});
    grdColumns->horizontalHeaderItem(kType)->setToolTip(
        QStringLiteral("SET: named values; INT: whole numbers 0..127 or interval numbers; REAL: "
                       "intervals between boundaries; CURRENCY: the same for money; DATE and "
                       "STRING: text, not a condition"));
    grdColumns->horizontalHeaderItem(kIgnore)->setToolTip(
        QStringLiteral("Leave the column out of the data file"));
    grdColumns->horizontalHeaderItem(kBoundaries)
        ->setToolTip(
            QStringLiteral("The number of interval boundaries of a REAL column (at quantiles)"));
    grdColumns->horizontalHeaderItem(kGiven)->setToolTip(
        QStringLiteral("Interval boundaries of your own instead, such as 20,40,60"));
    for (int row = 0; row < grdColumns->rowCount(); ++row) {
        auto* type = new QComboBox(grdColumns);
        for (TImportType t : kTypes)
            type->addItem(QString::fromLatin1(importTypeText(t)));
        grdColumns->setCellWidget(row, kType, type);
        auto* boundaries = new QSpinBox(grdColumns);
        boundaries->setRange(1, 126);
        grdColumns->setCellWidget(row, kBoundaries, boundaries);
        auto* given = new QLineEdit(grdColumns);
        given->setPlaceholderText(QStringLiteral("20,40,60"));
        grdColumns->setCellWidget(row, kGiven, given);
        auto* ignore = new QCheckBox(grdColumns);
        grdColumns->setCellWidget(row, kIgnore, ignore);
        showColumn(row);
        connect(type, &QComboBox::currentIndexChanged, this, [this, row] { typeChanged(row); });
        connect(boundaries, &QSpinBox::valueChanged, this, [this, row] { typeChanged(row); });
        connect(given, &QLineEdit::editingFinished, this, [this, row] { typeChanged(row); });
        connect(ignore, &QCheckBox::toggled, this, [this, row] { ignoreChanged(row); });
    }
    grdColumns->resizeColumnsToContents();
    layout->addWidget(grdColumns, 1);

    layout->addWidget(
        new QLabel(QStringLiteral("The first records as the file holds them:"), this));
    grdPreview = new QTableWidget(0, static_cast<int>(m_plan.columns.size()), this);
    grdPreview->setObjectName(QStringLiteral("grdPreview"));
    grdPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    showPreview();
    layout->addWidget(grdPreview, 1);

    auto* classRow = new QHBoxLayout;
    classRow->addWidget(new QLabel(QStringLiteral("Class field:"), this));
    cmbBxClass = new QComboBox(this);
    cmbBxClass->setObjectName(QStringLiteral("cmbBxClass"));
    cmbBxClass->setToolTip(
        QStringLiteral("Every column but a STRING or DATE one, and not an ignored one, can be the "
                       "class"));
    classRow->addWidget(cmbBxClass, 1);
    layout->addLayout(classRow);

    // A sample is a choice, for a table too large to explore comfortably; the types above
    // describe every record either way.
    auto* sampleRow = new QHBoxLayout;
    chkBxSample = new QCheckBox(QStringLiteral("Import a random sample of"), this);
    chkBxSample->setObjectName(QStringLiteral("chkBxSample"));
    spnSampleSize = new QSpinBox(this);
    spnSampleSize->setObjectName(QStringLiteral("spnSampleSize"));
    const long long most = std::clamp<long long>(m_plan.recordsRead, 1, INT_MAX);
    spnSampleSize->setRange(1, static_cast<int>(most));
    spnSampleSize->setValue(static_cast<int>(std::min(kDefaultSampleSize, most)));
    sampleRow->addWidget(chkBxSample);
    sampleRow->addWidget(spnSampleSize);
    sampleRow->addWidget(new QLabel(QStringLiteral("records (seed %1)").arg(m_plan.seed), this), 1);
    layout->addLayout(sampleRow);
    chkBxSample->setChecked(m_plan.sampleSize > 0);
    if (m_plan.sampleSize > 0)
        spnSampleSize->setValue(static_cast<int>(std::min(m_plan.sampleSize, most)));
    sampleChanged();
    connect(chkBxSample, &QCheckBox::toggled, this, &TfrmImport::sampleChanged);
    connect(spnSampleSize, &QSpinBox::valueChanged, this, &TfrmImport::sampleChanged);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnImport = buttons->button(QDialogButtonBox::Ok);
    btnImport->setText(QStringLiteral("Import and load"));
    // Enter ends the typing of boundaries; it must neither import before the user has looked nor
    // close the dialog, so no button is the default.
    for (QAbstractButton* button : buttons->buttons()) {
        if (auto* push = qobject_cast<QPushButton*>(button)) push->setAutoDefault(false);
    }
    showClassChoices();
    connect(cmbBxClass, &QComboBox::currentIndexChanged, this,
            [this] { m_plan.classColumn = classColumn(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(720, 560);
}

void TfrmImport::showPreview() {
    std::vector<std::vector<std::string>> rows;
    try {
        rows = importPreviewRows(m_plan, kPreviewRows);
    } catch (const ETavError& error) {
        // The types above came from a whole reading; a preview that fails leaves them usable.
        grdPreview->setToolTip(qtText(error.what()));
    }
    grdPreview->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < grdPreview->rowCount(); ++r) {
        const std::vector<std::string>& values = rows[static_cast<size_t>(r)];
        for (int c = 0; c < grdPreview->columnCount() && c < static_cast<int>(values.size()); ++c)
            grdPreview->setItem(r, c, new QTableWidgetItem(qtText(values[c])));
    }
    for (int c = 0; c < grdPreview->columnCount(); ++c)
        showPreviewColumn(c);
    grdPreview->resizeColumnsToContents();
}

void TfrmImport::showPreviewColumn(int column) {
    const TImportColumn& shown = m_plan.columns.at(static_cast<size_t>(column));
    const bool ignored = shown.choice.ignored;
    grdPreview->setHorizontalHeaderItem(
        column, new QTableWidgetItem(qtText(shown.name) +
                                     (ignored ? QStringLiteral(" (ignored)") : QString())));
    // An ignored column stays in view, greyed, so that the user still sees what was left out.
    const QBrush text = grdPreview->palette().brush(ignored ? QPalette::Disabled : QPalette::Active,
                                                    QPalette::Text);
    for (int r = 0; r < grdPreview->rowCount(); ++r) {
        if (QTableWidgetItem* item = grdPreview->item(r, column)) item->setForeground(text);
    }
}

void TfrmImport::ignoreChanged(int row) {
    const auto* ignore = static_cast<QCheckBox*>(grdColumns->cellWidget(row, kIgnore));
    TImportColumnChoice choice;
    choice.ignored = ignore->isChecked();
    try {
        // Taken back in, the column is coded as inferred again.
        chooseColumn(m_plan, row, choice);
    } catch (const ETavError& refused) {
        QMessageBox::information(this, QString::fromLatin1(kMessageTitle), qtText(refused.what()));
    }
    showColumn(row);
    showPreviewColumn(row);
    showClassChoices();
}

int TfrmImport::classColumn() const {
    return cmbBxClass->currentIndex() < 0 ? -1 : cmbBxClass->currentData().toInt();
}

void TfrmImport::showClassChoices() {
    // A type change may take a column out of the choices or bring one in; the choice made stays
    // while it can.
    const int chosen = cmbBxClass->count() > 0 ? classColumn() : proposedClassColumn(m_plan);
    const QSignalBlocker quiet(cmbBxClass);
    cmbBxClass->clear();
    for (size_t i = 0; i < m_plan.columns.size(); ++i) {
        if (canBeClassColumn(m_plan.columns[i]))
            cmbBxClass->addItem(qtText(m_plan.columns[i].name), static_cast<int>(i));
    }
    int index = cmbBxClass->findData(chosen);
    if (index < 0) index = cmbBxClass->findData(proposedClassColumn(m_plan));
    cmbBxClass->setCurrentIndex(index);
    m_plan.classColumn = classColumn();
    btnImport->setEnabled(index >= 0);
}

void TfrmImport::sampleChanged() {
    spnSampleSize->setEnabled(chkBxSample->isChecked());
    m_plan.sampleSize = chkBxSample->isChecked() ? spnSampleSize->value() : 0;
}

void TfrmImport::showColumn(int row) {
    const TImportColumn& column = m_plan.columns.at(static_cast<size_t>(row));
    auto* type = static_cast<QComboBox*>(grdColumns->cellWidget(row, kType));
    auto* boundaries = static_cast<QSpinBox*>(grdColumns->cellWidget(row, kBoundaries));
    auto* ignore = static_cast<QCheckBox*>(grdColumns->cellWidget(row, kIgnore));
    auto* given = static_cast<QLineEdit*>(grdColumns->cellWidget(row, kGiven));
    const QSignalBlocker givenQuiet(given);
    const QSignalBlocker typeQuiet(type);
    const QSignalBlocker boundariesQuiet(boundaries);
    const QSignalBlocker ignoreQuiet(ignore);
    for (int i = 0; i < static_cast<int>(std::size(kTypes)); ++i) {
        if (kTypes[i] == column.type) type->setCurrentIndex(i);
    }
    ignore->setChecked(column.choice.ignored);
    type->setEnabled(!column.choice.ignored);
    boundaries->setValue(std::max(
        1, column.boundaryCount() > 0 ? column.boundaryCount() : kDefaultImportBoundaries));
    const bool ownBoundaries = column.choice.bins && !column.choice.bins->boundaries.empty();
    std::string ownText =
        ownBoundaries ? importBoundaryListText(column.choice.bins->boundaries) : "";
    if (ownText.ends_with(',')) ownText.pop_back();
    given->setText(qtText(ownText));
    given->setEnabled(!column.choice.ignored && hasIntervals(column.type));
    boundaries->setEnabled(
        !column.choice.ignored && !ownBoundaries &&
        (column.coding == TImportCoding::Numbers || column.coding == TImportCoding::Intervals));
    auto text = [&](int c, const QString& value) {
        auto* item = new QTableWidgetItem(value);
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        grdColumns->setItem(row, c, item);
    };
    text(kName, qtText(column.name));
    text(kDistinct, QString::fromStdString(distinctCountText(column)));
    text(kMissing, QString::number(column.missingCount));
}

void TfrmImport::typeChanged(int row) {
    const auto* type = static_cast<QComboBox*>(grdColumns->cellWidget(row, kType));
    const auto* boundaries = static_cast<QSpinBox*>(grdColumns->cellWidget(row, kBoundaries));
    const auto* given = static_cast<QLineEdit*>(grdColumns->cellWidget(row, kGiven));
    const TImportType chosen = kTypes[std::max(0, type->currentIndex())];
    // Boundaries of one's own, when given, come before a number of quantiles; a single number
    // there is one boundary.
    std::string own = text1250(given->text().trimmed());
    if (!own.empty() && own.find(',') == std::string::npos) own += ',';
    try {
        if (own.empty() || !hasIntervals(chosen)) {
            setColumnType(m_plan, row, chosen, boundaries->value());
        } else {
            const std::optional<TImportBins> bins = importBinsFromText(own);
            if (!bins) {
                throw EConvertError("Column " + m_plan.columns.at(static_cast<size_t>(row)).name +
                                    ": \"" + own + "\" are not boundaries such as 20,40,60");
            }
            TImportColumnChoice choice;
            choice.type = chosen;
            choice.bins = bins;
            chooseColumn(m_plan, row, choice);
        }
    } catch (const ETavError& refused) {
        QMessageBox::information(this, QString::fromLatin1(kMessageTitle), qtText(refused.what()));
    }
    showColumn(row);
    showClassChoices();
}
