#include "ui/TavGrid.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include "ui/TxTableModel.h"

namespace {

// Room for the cell's padding and grid line around the text.
constexpr int kCellMargin = 10;

}  // namespace

TTavGrid::TTavGrid(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(false);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    rows->setMinimumSectionSize(fontMetrics().height() + 2);
    rows->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("\u25B8")) + kCellMargin);
    rows->setHighlightSections(false);
    QHeaderView* columns = horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setStretchLastSection(false);
}

void TTavGrid::setGridModel(TxTableModel* model) {
    m_model = model;
    setModel(model);
    connect(model, &TxTableModel::currentRowChanged, this, &TTavGrid::onModelRowChanged);
    connect(model, &QAbstractItemModel::modelReset, this, &TTavGrid::followTable);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TTavGrid::onViewRowChanged);
    sizeColumns();
    followTable();
}

void TTavGrid::sizeColumns() {
    const QFontMetrics metrics = fontMetrics();
    const QFontMetrics headerMetrics = horizontalHeader()->fontMetrics();
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const QString title = m_model->headerData(c, Qt::Horizontal).toString();
        // Wide enough for its characters and for its title, so that no title is cut.
        const int width = std::max(m_model->column(c).widthChars * digit,
                                   headerMetrics.horizontalAdvance(title) + 6);
        setColumnWidth(c, width + kCellMargin);
    }
}

void TTavGrid::followTable() {
    if (m_model == nullptr) return;
    onModelRowChanged(m_model->source().currentRow());
}

void TTavGrid::onModelRowChanged(int row) {
    m_following = true;
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clear();
    } else if (currentIndex().row() != row || !selectionModel()->isRowSelected(row, {})) {
        const int column = std::max(currentIndex().column(), 0);
        selectionModel()->setCurrentIndex(
            m_model->index(row, column),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    m_following = false;
}

void TTavGrid::onViewRowChanged(const QModelIndex& current, const QModelIndex&) {
    if (m_following || !current.isValid()) return;
    if (current.row() == m_model->source().currentRow()) return;
    emit rowMoveRequested(current.row());
}
