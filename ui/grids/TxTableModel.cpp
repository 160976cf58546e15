#include "ui/grids/TxTableModel.h"

#include <QFont>

#include "core/LocaleFormat.h"
#include "core/TextUtils.h"
#include "table/TxFieldTypes.h"
#include "ui/text/QtText.h"

namespace {

bool isNumeric(TxFieldType type) {
    switch (presentedType(type)) {
        case TxPresentedType::Smallint:
        case TxPresentedType::Integer:
        case TxPresentedType::Word:
        case TxPresentedType::Float:
        case TxPresentedType::Currency:
            return true;
        default:
            return false;
    }
}

// The value in a picture format: "0.000" or "0" with the locale's decimal separator.
std::string pictureText(const TxValue& value, const std::string& format) {
    const auto point = format.find('.');
    const int decimals = point == std::string::npos ? 0 : int(format.size() - point - 1);
    std::string text = realToText(0, decimals, value.toFloat());
    // A value that rounds to zero shows without a minus sign.
    if (!text.empty() && text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    const char separator = localeFormat().decimalSeparator;
    for (char& c : text) {
        if (c == '.') c = separator;
    }
    return text;
}

}  // namespace

TxTableModel::TxTableModel(TxViewReader& source, std::vector<TGridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_source(source), m_columns(std::move(columns)) {
    m_rowCount = m_source.RecordCount();
    m_currentRow = m_source.currentRow();
    m_source.attachView(this);
}

TxTableModel::~TxTableModel() {
    m_source.detachView(this);
}

void TxTableModel::suspend() {
    ++m_suspended;
}

void TxTableModel::resume() {
    if (m_suspended == 0 || --m_suspended > 0) return;
    if (m_missed) {
        m_missed = false;
        resetFromSource();
    }
}

void TxTableModel::resetFromSource() {
    beginResetModel();
    m_rowCount = m_source.RecordCount();
    endResetModel();
    followCursor();
}

void TxTableModel::followCursor() {
    const int row = m_source.currentRow();
    if (row == m_currentRow) return;
    const int old = m_currentRow;
    m_currentRow = row;
    if (old >= 0 && old < m_rowCount) emit headerDataChanged(Qt::Vertical, old, old);
    if (row >= 0 && row < m_rowCount) emit headerDataChanged(Qt::Vertical, row, row);
    emit currentRowChanged(row);
}

void TxTableModel::dataEvent(const TxNotification& notification) {
    if (m_suspended > 0) {
        m_missed = true;
        return;
    }
    switch (notification.event) {
        case TxDataEvent::FieldChange:
        case TxDataEvent::RecordChange: {
            const int row = m_source.currentRow();
            if (row < 0 || row >= m_rowCount) break;
            const bool oneField = notification.event == TxDataEvent::FieldChange &&
                                  notification.field >= 0 && notification.field < columnCount();
            const int first = oneField ? notification.field : 0;
            const int last = oneField ? notification.field : columnCount() - 1;
            emit dataChanged(index(row, first), index(row, last));
            break;
        }
        case TxDataEvent::DataSetChange:
            resetFromSource();
            break;
        case TxDataEvent::DataSetScroll:
            followCursor();
            break;
        case TxDataEvent::StateChange:
        case TxDataEvent::DataChange:
            break;
    }
}

int TxTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int TxTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QString TxTableModel::displayText(int row, int column) const {
    const TxValue value = m_source.valueAt(row, column);
    if (value.isNull()) return {};
    const std::string& format = m_columns.at(column).format;
    switch (value.kind()) {
        case TxValue::Kind::Integer:
            if (format.find('.') == std::string::npos) return QString::number(value.toInteger());
            return qtText(pictureText(value, format));
        case TxValue::Kind::Float:
        case TxValue::Kind::Currency:
            if (!format.empty()) return qtText(pictureText(value, format));
            return qtText(value.toString());
        default:
            return qtText(value.toString());
    }
}

void TxTableModel::setMarkedRows(std::function<bool(int row)> marked, int iconColumn, QIcon icon) {
    m_marked = std::move(marked);
    m_markIconColumn = iconColumn;
    m_markIcon = std::move(icon);
}

void TxTableModel::setWholeText(int column, std::function<QString(int row)> wholeText) {
    m_wholeText.resize(m_columns.size());
    m_wholeText.at(column) = std::move(wholeText);
}

QVariant TxTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return displayText(index.row(), column);
        case Qt::ToolTipRole:
            if (column < static_cast<int>(m_wholeText.size()) && m_wholeText[column])
                return m_wholeText[column](index.row());
            return {};
        case Qt::FontRole:
            if (m_marked && m_marked(index.row())) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::DecorationRole:
            if (column == m_markIconColumn && m_marked && m_marked(index.row())) return m_markIcon;
            return {};
        case Qt::TextAlignmentRole: {
            const bool right =
                m_columns[column].alignRight ||
                (column < m_source.fieldCount() && isNumeric(m_source.field(column).type));
            return QVariant::fromValue((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        }
        case kRawValueRole: {
            const TxValue value = m_source.valueAt(index.row(), column);
            switch (value.kind()) {
                case TxValue::Kind::Null:
                    return {};
                case TxValue::Kind::Integer:
                    return QVariant::fromValue<qlonglong>(value.toInteger());
                case TxValue::Kind::Boolean:
                    return value.toBoolean();
                case TxValue::Kind::Float:
                case TxValue::Kind::Currency:
                case TxValue::Kind::DateTime:
                    return value.toFloat();
                default:
                    return qtText(value.toString());
            }
        }
        default:
            return {};
    }
}

QVariant TxTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount()) return {};
        if (role == Qt::DisplayRole) return qtText(m_columns[section].title);
        if (role == Qt::ToolTipRole && !m_columns[section].tooltip.empty())
            return qtText(m_columns[section].tooltip);
        return {};
    }
    if (section < 0 || section >= m_rowCount) return {};
    // The row indicator: a mark on the table's current row.
    if (role == Qt::DisplayRole)
        return section == m_currentRow ? QStringLiteral("\u25B8") : QString();
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags TxTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}
