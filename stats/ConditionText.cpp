#include "stats/ConditionText.h"

#include <charconv>
#include <system_error>

#include "core/FieldTypes.h"
#include "core/TextUtils.h"

namespace {

bool inTable(const TBaza& data, int field) {
    return field >= 0 && field < data.FieldCount();
}

std::string fieldText(const TBaza& data, int field) {
    return inTable(data, field) ? data.fieldName(field) : "field " + std::to_string(field);
}

std::string labelled(const TBaza& data, const TItemPravila& item) {
    const char* relation = item.Relation == relLess      ? " < "
                           : item.Relation == relGreater ? " > "
                                                         : " = ";
    return fieldText(data, item.FieldNo) + relation +
           valueLabel(data, item.FieldNo, item.ValueCode);
}

}  // namespace

std::string valueLabel(const TBaza& data, int field, int code) {
    // The loader's interval labels start with a blank.
    const std::string label =
        inTable(data, field) ? collapseBlanks(data.valueName(field, code)) : "";
    return label.empty() ? std::to_string(code) : label;
}

std::string boundaryText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : "nan";
}

std::string conditionText(const TBaza& data, const TItemPravila& item) {
    const int f = item.FieldNo;
    if (!inTable(data, f) || !isIntervalType(data.fieldType(f))) return labelled(data, item);
    // The codes the condition holds, first to last: a threshold holds every code on its side.
    const int last = data.fieldBoundaryCount(f);
    const int v = item.ValueCode;
    // Past these no code has boundaries to read (and v + 1 cannot overflow).
    if (last < 1 || last > kMaxBoundaries || v < 0 || v > last + 1) return labelled(data, item);
    const int from = item.Relation == relGreater ? v + 1 : item.Relation == relLess ? 0 : v;
    const int to = item.Relation == relLess ? v - 1 : item.Relation == relGreater ? last : v;
    if (from > to || to > last) return labelled(data, item);
    const std::string name = data.fieldName(f);
    const bool hasLow = from >= 1;
    const bool hasHigh = to < last;
    const std::string low = hasLow ? boundaryText(data.fieldBoundary(f, from)) : "";
    const std::string high = hasHigh ? boundaryText(data.fieldBoundary(f, to + 1)) : "";
    if (hasLow && hasHigh) return low + " < " + name + " <= " + high;
    if (hasLow) return name + " > " + low;
    if (hasHigh) return name + " <= " + high;
    return labelled(data, item);
}

std::string ruleConditionText(const TBaza& data, const TPravilo& rule) {
    std::string text;
    for (const TItemPravila& item : rule)
        text += (text.empty() ? "" : " and ") + conditionText(data, item);
    return text;
}

std::string classValueText(const TBaza& data, int field, int code) {
    TItemPravila item;
    item.FieldNo = field;
    item.ValueCode = code;
    item.Relation = relEqual;
    return conditionText(data, item);
}
