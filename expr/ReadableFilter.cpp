#include "expr/ReadableFilter.h"

#include <optional>
#include <string_view>

#include "core/StBits.h"
#include "expr/ReadableNode.h"

namespace {

// A record's value of one field as a comparison reads it.
struct TCell {
    bool missing = true;
    double number = 0;
    std::string_view text;
    std::string ownText;  // the text of a STRING value, which `text` views
};

// -1, 0 or 1 as the value is below, equal to or above the constant.
int compareWith(const TCell& cell, const TReadableConstant& constant) {
    if (constant.isText) {
        const int order = cell.text.compare(constant.text);
        return order < 0 ? -1 : order > 0 ? 1 : 0;
    }
    return cell.number < constant.number ? -1 : cell.number > constant.number ? 1 : 0;
}

bool holds(const TReadableNode& node, const TCell& cell) {
    const std::vector<TReadableConstant>& constants = node.constants;
    switch (node.op) {
        case TReadableOp::Equal:
            return compareWith(cell, constants[0]) == 0;
        case TReadableOp::NotEqual:
            return compareWith(cell, constants[0]) != 0;
        case TReadableOp::Less:
            return compareWith(cell, constants[0]) < 0;
        case TReadableOp::LessEqual:
            return compareWith(cell, constants[0]) <= 0;
        case TReadableOp::Greater:
            return compareWith(cell, constants[0]) > 0;
        case TReadableOp::GreaterEqual:
            return compareWith(cell, constants[0]) >= 0;
        case TReadableOp::Between:
            return compareWith(cell, constants[0]) >= 0 && compareWith(cell, constants[1]) <= 0;
        case TReadableOp::In:
            for (const TReadableConstant& constant : constants) {
                if (compareWith(cell, constant) == 0) return true;
            }
            return false;
    }
    return false;
}

}  // namespace

bool readableComparisonHolds(const TReadableNode& node, double number, const std::string& text) {
    TCell cell;
    cell.missing = false;
    cell.number = number;
    cell.text = text;
    return holds(node, cell);
}

TReadableFilter::TReadableFilter(const TBaza& data) : m_data(data), m_values(data) {}

TReadableFilter::~TReadableFilter() = default;

bool TReadableFilter::matches(int record) const {
    return matchesNode(static_cast<int>(m_nodes.size()) - 1, record);
}

bool TReadableFilter::matchesNode(int index, int record) const {
    const TReadableNode& node = m_nodes[index];
    switch (node.kind) {
        case TReadableNodeKind::And:
            for (const int child : node.children) {
                if (!matchesNode(child, record)) return false;
            }
            return true;
        case TReadableNodeKind::Or:
            for (const int child : node.children) {
                if (matchesNode(child, record)) return true;
            }
            return false;
        case TReadableNodeKind::Not:
            return !matchesNode(node.children[0], record);
        case TReadableNodeKind::Missing:
        case TReadableNodeKind::Compare:
            break;
    }
    TCell cell;
    switch (node.value) {
        case TReadableValue::Number: {
            const std::optional<double> number = m_values.number(record, node.field);
            cell.missing = !number;
            cell.number = number.value_or(0.0);
            break;
        }
        case TReadableValue::Date: {
            const std::optional<int32_t> day = m_values.date(record, node.field);
            cell.missing = !day;
            cell.number = day.value_or(0);
            break;
        }
        case TReadableValue::Set: {
            const int code = m_values.code(record, node.field);
            cell.missing = m_values.unknownCode(node.field, code);
            cell.number = code;
            if (code >= 0 && code < static_cast<int>(node.labels.size()))
                cell.text = node.labels[code];
            break;
        }
        case TReadableValue::Text:
            cell.ownText = m_values.text(record, node.field);
            cell.missing = cell.ownText.empty();
            cell.text = cell.ownText;
            break;
    }
    if (node.kind == TReadableNodeKind::Missing) return cell.missing != node.negated;
    return !cell.missing && holds(node, cell);
}

void TReadableFilter::select(TStBits& set, const ProgressHook& progress) const {
    set.clearAll();
    const int records = m_data.RecordCount();
    for (int r = 0; r < records; ++r) {
        // A one-record table reports 0 instead of 0 / 0.
        if (progress && r % 256 == 0)
            progress(records > 1 ? static_cast<double>(r) / (records - 1) : 0.0);
        if (matches(r)) set.setBit(r);
    }
}
