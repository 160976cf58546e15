#include "ui/grids/TavGrid.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <algorithm>

#include "ui/grids/GridSortProxy.h"
#include "ui/grids/TxTableModel.h"

namespace {

// Room for the cell's padding and grid line around the text.
constexpr int kCellMargin = 10;
// Tables up to this many rows have every text measured; in longer ones only the texts longest in
// characters are, which hold the widest in any usual font.
constexpr int kMeasuredRows = 4000;
constexpr int kLongestMeasured = 64;

}  // namespace

TTavGrid::TTavGrid(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Rows copied together are selected together; the current row is the table's.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
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
    connect(columns, &QHeaderView::sectionResized, this, &TTavGrid::onSectionResized);
}

void TTavGrid::setGridModel(TxTableModel* model) {
    m_model = model;
    // The proxy hears of a reset before the grid does, so that the grid follows the table's row
    // through the proxy's new order.
    TGridSortProxy* previous = m_proxy;
    m_proxy = installSortProxy(this, model);
    delete previous;
    setSortingEnabled(false);
    connect(model, &TxTableModel::currentRowChanged, this, &TTavGrid::onModelRowChanged);
    connect(model, &QAbstractItemModel::modelReset, this, &TTavGrid::followTable);
    connect(model, &QAbstractItemModel::modelReset, this, &TTavGrid::fitColumns);
    connect(model, &QAbstractItemModel::dataChanged, this, &TTavGrid::fitColumnsLater);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TTavGrid::onViewRowChanged);
    m_userSized.assign(model->columnCount(), false);
    fitColumns();
    followTable();
}

void TTavGrid::setSortable(bool sortable) {
    setSortingEnabled(sortable);
    if (!sortable) showTableOrder();
}

void TTavGrid::showTableOrder() {
    clearSort(this);
    if (m_proxy != nullptr) m_proxy->sort(-1);
}

int TTavGrid::tableRow(int viewRow) const {
    if (m_proxy == nullptr || viewRow < 0 || viewRow >= m_proxy->rowCount()) return -1;
    return m_proxy->mapToSource(m_proxy->index(viewRow, 0)).row();
}

int TTavGrid::viewRow(int tableRow) const {
    if (m_proxy == nullptr || tableRow < 0 || tableRow >= m_model->rowCount()) return -1;
    return m_proxy->mapFromSource(m_model->index(tableRow, 0)).row();
}

void TTavGrid::fitColumns() {
    const QFontMetrics headerMetrics = horizontalHeader()->fontMetrics();
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    m_fitting = true;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (m_userSized[c]) continue;
        const QString title = m_model->headerData(c, Qt::Horizontal).toString();
        // The design width and the title are the least; the texts widen it up to the limit.
        const int least = std::max(m_model->column(c).widthChars * digit,
                                   headerMetrics.horizontalAdvance(title) + 6);
        // A column that may show an icon before its text gets room for it.
        const int icon = c == m_model->markIconColumn()
                             ? style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this) + 4
                             : 0;
        const int width = std::max(least, std::min(widestText(c), kMaxFitChars * digit)) + icon;
        setColumnWidth(c, width + kCellMargin);
        if (c == m_elastic) m_elasticFitted = width + kCellMargin;
    }
    m_fitting = false;
    fitElasticColumn();
}

void TTavGrid::setElasticColumn(int column) {
    m_elastic = column;
    m_elasticFitted = m_model != nullptr && column >= 0 && column < m_model->columnCount()
                          ? columnWidth(column)
                          : 0;
    fitElasticColumn();
}

void TTavGrid::fitElasticColumn() {
    if (m_model == nullptr || m_elastic < 0 || m_elastic >= m_model->columnCount() ||
        m_userSized[m_elastic]) {
        return;
    }
    int others = 0;
    for (int c = 0; c < m_model->columnCount(); ++c)
        others += c == m_elastic ? 0 : columnWidth(c);
    // The viewport is what the vertical scroll bar, when shown, leaves.
    const int room = viewport()->width() - others;
    const int least = kLeastElasticChars * fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int width = std::max(least + kCellMargin, std::min(m_elasticFitted, room));
    if (width == columnWidth(m_elastic)) return;
    m_fitting = true;
    setColumnWidth(m_elastic, width);
    m_fitting = false;
}

void TTavGrid::fitColumnsLater() {
    if (m_fitPending) return;
    m_fitPending = true;
    QTimer::singleShot(0, this, [this] {
        m_fitPending = false;
        if (m_model != nullptr) fitColumns();
    });
}

int TTavGrid::widestText(int column) const {
    const QFontMetrics metrics = fontMetrics();
    const int rows = m_model->rowCount();
    std::vector<QString> texts;
    texts.reserve(rows);
    for (int r = 0; r < rows; ++r)
        texts.push_back(m_model->displayText(r, column));
    if (rows > kMeasuredRows) {
        const auto longer = [](const QString& a, const QString& b) { return a.size() > b.size(); };
        std::partial_sort(texts.begin(), texts.begin() + kLongestMeasured, texts.end(), longer);
        texts.resize(kLongestMeasured);
    }
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return widest;
}

void TTavGrid::onSectionResized(int column, int, int) {
    if (m_fitting || column < 0 || column >= static_cast<int>(m_userSized.size())) return;
    m_userSized[column] = true;
}

QString TTavGrid::wholeTextIfCut(const QModelIndex& index) const {
    if (m_model == nullptr || !index.isValid()) return {};
    const QString shown = m_model->displayText(tableRow(index.row()), index.column());
    QString whole = index.data(Qt::ToolTipRole).toString();
    if (whole.isEmpty()) whole = shown;
    const bool cut = whole != shown || fontMetrics().horizontalAdvance(shown) + kCellMargin >
                                           columnWidth(index.column());
    return cut ? whole : QString();
}

bool TTavGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize) {
        const bool handled = QTableView::viewportEvent(event);
        fitElasticColumn();
        return handled;
    }
    if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString whole = wholeTextIfCut(index);
    if (whole.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), whole, viewport(), visualRect(index));
    }
    return true;
}
void TTavGrid::followTable() {
    if (m_model == nullptr) return;
    onModelRowChanged(m_model->source().currentRow());
}

void TTavGrid::onModelRowChanged(int tableRow) {
    m_following = true;
    const int row = viewRow(tableRow);
    if (row < 0) {
        selectionModel()->clear();
    } else if (currentIndex().row() != row || !selectionModel()->isRowSelected(row, {})) {
        const int column = std::max(currentIndex().column(), 0);
        selectionModel()->setCurrentIndex(
            model()->index(row, column),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    m_following = false;
}

void TTavGrid::onViewRowChanged(const QModelIndex& current, const QModelIndex&) {
    if (m_following || !current.isValid()) return;
    const int row = tableRow(current.row());
    if (row < 0 || row == m_model->source().currentRow()) return;
    emit rowMoveRequested(row);
}
