#include "ui/grids/GridSortProxy.h"

#include <QHeaderView>
#include <QTableView>
#include <optional>

#include "ui/grids/TxTableModel.h"

namespace {

// A number shown as text: the grids write decimals with a point or a comma and some with a
// percent sign or a leading plus.
std::optional<double> numberInText(QString text) {
    text = text.trimmed();
    if (text.endsWith(QLatin1Char('%'))) text.chop(1);
    if (text.startsWith(QLatin1Char('+'))) text.remove(0, 1);
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok) return std::nullopt;
    return value;
}

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
        case QMetaType::Double:
        case QMetaType::Bool:
            return true;
        default:
            return false;
    }
}

// What a cell sorts by: empty, a number or a text (rank 0, 1, 2).
struct TSortKey {
    int rank = 0;
    double number = 0;
    QString text;
};

TSortKey sortKey(const QModelIndex& index) {
    const QVariant raw = index.data(TxTableModel::kRawValueRole);
    if (isNumber(raw)) return {1, raw.toDouble(), {}};
    const QString text = raw.isValid() ? raw.toString() : index.data(Qt::DisplayRole).toString();
    if (text.trimmed().isEmpty()) return {};
    if (const std::optional<double> number = numberInText(text)) return {1, *number, {}};
    return {2, 0, text};
}

}  // namespace

TGridSortProxy::TGridSortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortCaseSensitivity(Qt::CaseInsensitive);
}

bool TGridSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const TSortKey a = sortKey(left);
    const TSortKey b = sortKey(right);
    if (a.rank != b.rank) return a.rank < b.rank;
    if (a.rank == 1) return a.number < b.number;
    return QString::compare(a.text, b.text, Qt::CaseInsensitive) < 0;
}

TGridSortProxy* installSortProxy(QTableView* view, QAbstractItemModel* source) {
    auto* proxy = new TGridSortProxy(view);
    proxy->setSourceModel(source);
    view->setModel(proxy);
    QHeaderView* header = view->horizontalHeader();
    header->setSortIndicatorClearable(true);
    // No column first: enabling the sorting would sort by the indicator's default column.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    view->setSortingEnabled(true);
    return proxy;
}

QModelIndex sourceIndex(const QModelIndex& index) {
    QModelIndex at = index;
    while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(at.model()))
        at = proxy->mapToSource(at);
    return at;
}

void clearSort(QTableView* view) {
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}
