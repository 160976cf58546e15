#include "expr/FilterRangeCheck.h"

#include <algorithm>
#include <optional>

#include "core/FieldTypes.h"
#include "core/uTavObj.h"

namespace {

// What an operand of the expression is, as far as the check needs to know.
struct TOperandShape {
    enum Kind { Other, Field, Constant } kind = Other;
    int field = -1;
    int32_t constant = 0;
};

// The operand on top of the stack, removed; an empty stack gives an Other (the evaluator reports
// that expression as invalid anyway).
TOperandShape pop(std::vector<TOperandShape>& stack) {
    if (stack.empty()) return {};
    const TOperandShape top = stack.back();
    stack.pop_back();
    return top;
}

bool isComparison(TExprOperator op) {
    return op == eoEqual || op == eoNotEqual || op == eoLess || op == eoGreater;
}

std::optional<TConstantOutsideField> outsideOf(const TBaza& data, int field, int32_t constant) {
    const TFieldType type = data.fieldType(field);
    if (!isCodedType(type)) return std::nullopt;
    const int low = data.fieldLow(field);
    const int high = data.fieldHigh(field);
    if (high < low || (constant >= low && constant <= high)) return std::nullopt;
    // -1 stands for "no unknown code", not for a code.
    const int unknown[] = {data.fieldUnknown1(field), data.fieldUnknown2(field),
                           data.fieldUnknown3(field)};
    for (const int code : unknown) {
        if (code != -1 && constant == code) return std::nullopt;
    }
    return TConstantOutsideField{field, constant, low, high};
}

// Adds the pair of a comparison of a field with a constant, in either order, when the constant
// is outside the field's codes and the pair is new.
void checkComparison(const TOperandShape& left, const TOperandShape& right, const TBaza& data,
                     std::vector<TConstantOutsideField>& found) {
    const TOperandShape* field = nullptr;
    const TOperandShape* constant = nullptr;
    if (left.kind == TOperandShape::Field && right.kind == TOperandShape::Constant) {
        field = &left;
        constant = &right;
    } else if (left.kind == TOperandShape::Constant && right.kind == TOperandShape::Field) {
        field = &right;
        constant = &left;
    } else {
        return;
    }
    const std::optional<TConstantOutsideField> outside =
        outsideOf(data, field->field, constant->constant);
    if (outside && std::find(found.begin(), found.end(), *outside) == found.end())
        found.push_back(*outside);
}

}  // namespace

std::vector<TConstantOutsideField> constantsOutsideFields(const std::vector<TExprToken>& tokens,
                                                          const TBaza& data) {
    std::vector<TConstantOutsideField> found;
    std::vector<TOperandShape> stack;
    for (const TExprToken& token : tokens) {
        switch (token.kind) {
            case etOperator: {
                const TOperandShape right = pop(stack);
                const TOperandShape left = token.op == eoNot ? TOperandShape{} : pop(stack);
                if (isComparison(token.op)) checkComparison(left, right, data, found);
                stack.push_back({});  // a boolean
                break;
            }
            case etEmpty:
                break;  // the evaluator pushes nothing for it either
            case etInteger:
                if (token.valid) {
                    stack.push_back({TOperandShape::Constant, -1, token.integer});
                } else {
                    stack.push_back({});
                }
                break;
            case etString:
                stack.push_back({});
                break;
            case etField: {
                const int field = data.fieldIndex(token.text);
                if (field >= 0) {
                    stack.push_back({TOperandShape::Field, field, 0});
                } else {
                    stack.push_back({});
                }
                break;
            }
        }
    }
    return found;
}
