#include "expr/FilterExpression.h"

#include <exception>
#include <utility>

#include "core/FieldTypes.h"
#include "core/uTavObj.h"
#include "expr/OperandStack.h"

namespace {

ExprOperand booleanCell(bool value) {
    ExprOperand cell;
    cell.kind = okBoolean;
    cell.boolean = value ? 1 : 0;
    return cell;
}

ExprOperand integerCell(int32_t value) {
    ExprOperand cell;
    cell.kind = okInteger;
    cell.integer = value;
    return cell;
}

ExprOperand stringCell(std::string value) {
    ExprOperand cell;
    cell.kind = okString;
    cell.text = std::move(value);
    return cell;
}

bool equalValues(const ExprOperand& left, const ExprOperand& right) {
    switch (left.kind) {
        case okBoolean:
            return left.boolean == right.boolean;
        case okString:
            return left.text == right.text;
        default:
            return left.integer == right.integer;
    }
}

// std::string compares its bytes as unsigned char, so national letters sort after ASCII and a
// prefix sorts first.
bool lessValue(const ExprOperand& left, const ExprOperand& right) {
    switch (left.kind) {
        case okBoolean:
            return left.boolean < right.boolean;
        case okString:
            return left.text < right.text;
        default:
            return left.integer < right.integer;
    }
}

// The two operand cells outlive each operator: a failed pop leaves its cell as the last operator
// left it.
struct TOperatorCells {
    ExprOperand left;
    ExprOperand right;
};

void applyOperator(TExprOperator op, OperandStack& stack, TOperatorCells& cells,
                   TExprErrors& errors) {
    ExprOperand& left = cells.left;
    ExprOperand& right = cells.right;
    stack.pop(right, errors);
    if (op != eoNot) stack.pop(left, errors);
    const bool sameKinds = left.kind == right.kind;
    const bool booleans = sameKinds && left.kind == okBoolean;
    bool fits = true;
    bool value = false;
    switch (op) {
        case eoEqual:
        case eoNotEqual:
            fits = sameKinds;
            value = fits && equalValues(left, right) == (op == eoEqual);
            break;
        case eoLess:
            fits = sameKinds;
            value = fits && lessValue(left, right);
            break;
        case eoGreater:
            fits = sameKinds;
            value = fits && lessValue(right, left);
            break;
        case eoAnd:
            fits = booleans;
            value = fits && left.boolean && right.boolean;
            break;
        case eoOr:
            fits = booleans;
            value = fits && (left.boolean || right.boolean);
            break;
        case eoNot:
            fits = right.kind == okBoolean;
            value = fits && !right.boolean;
            break;
    }
    if (!fits) errors.raise("Operand type conflict");
    stack.push(booleanCell(value), errors);
}

// Pushes the value of field `name` in `record`: STRING fields as their upper-cased text, coded
// fields as their value code, DATE and unknown fields as 0.
void pushField(const TBaza& data, int record, const std::string& name, OperandStack& stack,
               TExprErrors& errors) {
    const int i = data.fieldIndex(name);
    if (i < 0) {
        errors.raise("Field " + name + " does not exist");
        stack.push(integerCell(0), errors);
        return;
    }
    const TFieldType type = data.fieldType(i);
    ExprOperand cell = type == ftString ? stringCell(std::string()) : integerCell(0);
    if (record >= data.RecordCount()) {
        errors.raise("Field " + name + " cannot be read: " +
                     (data.RecordCount() == 0
                          ? std::string("the table has no records")
                          : "record " + std::to_string(record) + " does not exist"));
    } else if (type == ftString) {
        cell.text = data.fieldValueAsString(record, i);
    } else if (isCodedType(type)) {
        // The code stored at load time equals the one computed from the text, without splitting
        // the record line again.
        cell.integer = data.fieldValueCode(record, i);
    }
    stack.push(std::move(cell), errors);
}

// Keeps the first error text when the evaluation was cut short by an exception.
void failWith(TExprErrors& errors, const char* what, std::string& errorText) noexcept {
    try {
        errors.raise(std::string("Error while evaluating the expression: ") + what);
        errorText = errors.firstText();
    } catch (...) {
        errorText.clear();  // out of memory even for the message
    }
}

}  // namespace

TFilterExpression::TFilterExpression(const std::string& expression)
    : m_expression(expression), m_tokens(tokenizeExpression(expression)) {}

bool TFilterExpression::evaluate(const TBaza& data, int record, std::string& errorText) const {
    errorText.clear();
    if (record < 0 && data.RecordCount() == 0) {
        errorText = "The expression cannot be checked: the table has no records";
        return false;
    }
    TExprErrors errors;
    try {
        const bool checking = record < 0;
        const int r = checking ? 0 : record;
        OperandStack stack;
        TOperatorCells cells;
        if (m_tokens.empty()) stack.push(booleanCell(true), errors);
        for (const TExprToken& token : m_tokens) {
            switch (token.kind) {
                case etOperator:
                    applyOperator(token.op, stack, cells, errors);
                    break;
                case etEmpty:
                    errors.raise("Empty argument");
                    break;
                case etInteger:
                    if (!token.valid) errors.raise("Invalid integer argument " + token.text);
                    stack.push(integerCell(token.integer), errors);
                    break;
                case etString:
                    if (!token.valid) errors.raise("Invalid string argument " + token.text);
                    stack.push(stringCell(token.valid ? token.text : std::string()), errors);
                    break;
                case etField:
                    pushField(data, r, token.text, stack, errors);
                    break;
            }
        }
        if (stack.depth() != 1) {
            errors.raise("More than one result");
        } else if (stack.top().kind != okBoolean) {
            errors.raise("Result is not boolean");
        }
        errorText = errors.firstText();
        if (checking) return !errors.raised();
        // The cell left by a failed evaluation is of no consequence, so it selects nothing.
        return !errors.raised() && stack.top().boolean != 0;
    } catch (const std::exception& e) {
        failWith(errors, e.what(), errorText);
    } catch (...) {
        failWith(errors, "unknown error", errorText);
    }
    return false;
}

bool evaluateExpression(const TBaza& data, const std::string& expression, int record,
                        std::string& errorText) {
    // A filter update calls this once per record with the same text: split it only once. The
    // empty text has no tokens, so the initial object is right for it.
    thread_local TFilterExpression last{std::string()};
    try {
        if (last.expression() != expression) last = TFilterExpression(expression);
    } catch (const std::exception& e) {
        TExprErrors errors;
        failWith(errors, e.what(), errorText);
        return false;
    }
    return last.evaluate(data, record, errorText);
}
