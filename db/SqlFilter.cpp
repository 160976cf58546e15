#include "db/SqlFilter.h"

#include <memory>

#include "core/Errors.h"
#include "core/TextUtils.h"
#include "db/ServerTable.h"
#include "expr/ExprTokenizer.h"
#include "expr/FilterForm.h"
#include "expr/ReadableFilter.h"
#include "expr/ReadableNode.h"

namespace {

const std::vector<std::string> kMissingTexts = {"", "?", "na", "n/a", "null"};

// A STRING field's value as the table reads it: its text upper-cased, "" when missing.
std::string stringValue(const TServerTable& table, int f, TSqlParams& params) {
    const std::string text =
        sqlDialect::importText(sqlDialect::textOf(table.fields().at(f).column), params);
    return "(CASE WHEN " + sqlDialect::textMissing(text, kMissingTexts, params) + " THEN '' ELSE " +
           sqlDialect::upperCase(text) + " END)";
}

// The codes 0..127 of field f for which `holds(code)` is true.
template <typename Holds>
std::vector<int> codesWhere(const Holds& holds) {
    std::vector<int> codes;
    for (int code = 0; code <= kMaxValueCode; ++code) {
        if (holds(code)) codes.push_back(code);
    }
    return codes;
}

class TReadableTranslation {
  public:
    TReadableTranslation(const TServerTable& table, const TReadableFilter& filter,
                         TSqlParams& params)
        : m_table(table), m_data(table.description()), m_nodes(filter.nodes()), m_params(params) {}

    TSqlCondition node(int index) {
        const TReadableNode& node = m_nodes[index];
        std::vector<TSqlCondition> parts;
        switch (node.kind) {
            case TReadableNodeKind::And:
            case TReadableNodeKind::Or:
                for (int child : node.children)
                    parts.push_back(this->node(child));
                return node.kind == TReadableNodeKind::And ? sqlDialect::both(parts)
                                                           : sqlDialect::either(parts);
            case TReadableNodeKind::Not:
                return sqlDialect::negation(this->node(node.children[0]));
            case TReadableNodeKind::Missing:
            case TReadableNodeKind::Compare:
                break;
        }
        const int f = node.field;
        const bool missingNode = node.kind == TReadableNodeKind::Missing;
        const TFieldType type = m_data.fieldType(f);
        if (node.value == TReadableValue::Set ||
            (node.value == TReadableValue::Number && type == ftInt)) {
            // The value of a SET or INT field is its code (an INT's text is its code): the codes
            // that satisfy the node are found here, the server compares codes only.
            const std::vector<int> codes = codesWhere([&](int code) {
                const bool missing = m_data.isUnknownCode(f, code);
                if (missingNode) return missing != node.negated;
                const std::string label =
                    code < static_cast<int>(node.labels.size()) ? node.labels[code] : "";
                return !missing && readableComparisonHolds(node, code, label);
            });
            return sqlDialect::codeAmong(m_table.codeOf(f, m_params), codes, m_params);
        }
        if (node.value == TReadableValue::Number) {
            // REAL and CURRENCY fields hold a number in every record.
            if (missingNode)
                return node.negated ? sqlDialect::alwaysTrue() : sqlDialect::alwaysFalse();
            const std::string number = sqlDialect::numberOf(m_table.fields().at(f).column);
            return comparison(node, number, [&](const TReadableConstant& constant) {
                return m_params.bind(sqlDialect::numberText(constant.number), "float8");
            });
        }
        if (node.value == TReadableValue::Text) {
            const std::string text = stringValue(m_table, f, m_params);
            const TSqlCondition missing = "(" + text + " = '')";
            if (missingNode) return node.negated ? sqlDialect::negation(missing) : missing;
            const std::string bytes = sqlDialect::win1250Bytes(
                "(CASE WHEN " + text + " = '' THEN NULL ELSE " + text + " END)");
            return comparison(node, bytes, [&](const TReadableConstant& constant) {
                return sqlDialect::win1250Bytes(m_params.bind(constant.text, "text"));
            });
        }
        throw EConvertError("Dates cannot be compared in a table of a database server yet");
    }

  private:
    template <typename Constant>
    TSqlCondition comparison(const TReadableNode& node, const std::string& value,
                             const Constant& constant) {
        const std::vector<TReadableConstant>& constants = node.constants;
        switch (node.op) {
            case TReadableOp::Equal:
                return sqlDialect::compare(value, "=", constant(constants[0]));
            case TReadableOp::NotEqual:
                return sqlDialect::compare(value, "<>", constant(constants[0]));
            case TReadableOp::Less:
                return sqlDialect::compare(value, "<", constant(constants[0]));
            case TReadableOp::LessEqual:
                return sqlDialect::compare(value, "<=", constant(constants[0]));
            case TReadableOp::Greater:
                return sqlDialect::compare(value, ">", constant(constants[0]));
            case TReadableOp::GreaterEqual:
                return sqlDialect::compare(value, ">=", constant(constants[0]));
            case TReadableOp::Between:
                return sqlDialect::both({sqlDialect::compare(value, ">=", constant(constants[0])),
                                         sqlDialect::compare(value, "<=", constant(constants[1]))});
            case TReadableOp::In: {
                std::vector<TSqlCondition> parts;
                for (const TReadableConstant& c : constants)
                    parts.push_back(sqlDialect::compare(value, "=", constant(c)));
                return sqlDialect::either(parts);
            }
        }
        return sqlDialect::alwaysFalse();
    }

    const TServerTable& m_table;
    const TBaza& m_data;
    const std::vector<TReadableNode>& m_nodes;
    TSqlParams& m_params;
};

// One operand of a postfix expression: an SQL expression and what it holds.
enum class TOperandKind { Boolean, Integer, Text };
struct TSqlOperand {
    TOperandKind kind = TOperandKind::Integer;
    std::string sql;
};

// The postfix language's stack, with the messages of its evaluator; the first error wins.
TSqlCondition postfixCondition(const TServerTable& table, const std::string& filter,
                               TSqlParams& params) {
    const TBaza& data = table.description();
    const std::vector<TExprToken> tokens = tokenizeExpression(filter);
    std::string error;
    auto raise = [&error](const std::string& text) {
        if (error.empty()) error = text;
    };
    constexpr size_t kStackSlots = 20;  // as the evaluator's stack
    std::vector<TSqlOperand> stack;
    auto push = [&](TSqlOperand operand) {
        if (stack.size() + 1 >= kStackSlots) raise("Push to full stack");
        stack.push_back(std::move(operand));
    };
    auto pop = [&]() {
        if (stack.empty()) {
            raise("Pop from empty stack");
            return TSqlOperand{TOperandKind::Integer, "0"};
        }
        TSqlOperand top = std::move(stack.back());
        stack.pop_back();
        return top;
    };
    if (tokens.empty()) return sqlDialect::alwaysTrue();
    for (const TExprToken& token : tokens) {
        switch (token.kind) {
            case etEmpty:
                raise("Empty argument");
                break;
            case etInteger:
                if (!token.valid) raise("Invalid integer argument " + token.text);
                push({TOperandKind::Integer, params.bind(std::to_string(token.integer), "int4")});
                break;
            case etString:
                if (!token.valid) raise("Invalid string argument " + token.text);
                push({TOperandKind::Text, sqlDialect::win1250Bytes(
                                              params.bind(token.valid ? token.text : "", "text"))});
                break;
            case etField: {
                const int f = data.fieldIndex(token.text);
                if (f < 0) {
                    raise("Field " + token.text + " does not exist");
                    push({TOperandKind::Integer, "0"});
                } else if (data.fieldType(f) == ftString) {
                    push({TOperandKind::Text,
                          sqlDialect::win1250Bytes(stringValue(table, f, params))});
                } else if (isCodedType(data.fieldType(f))) {
                    push({TOperandKind::Integer, table.codeOf(f, params)});
                } else {
                    push({TOperandKind::Integer, "0"});
                }
                break;
            }
            case etOperator: {
                const TSqlOperand right = pop();
                const TSqlOperand left = token.op == eoNot ? right : pop();
                const bool same = left.kind == right.kind;
                const bool booleans = same && left.kind == TOperandKind::Boolean;
                TSqlCondition value;
                switch (token.op) {
                    case eoEqual:
                        value = sqlDialect::compare(left.sql, "=", right.sql);
                        break;
                    case eoNotEqual:
                        value = sqlDialect::compare(left.sql, "<>", right.sql);
                        break;
                    case eoLess:
                        value = sqlDialect::compare(left.sql, "<", right.sql);
                        break;
                    case eoGreater:
                        value = sqlDialect::compare(left.sql, ">", right.sql);
                        break;
                    case eoAnd:
                        value = sqlDialect::both({left.sql, right.sql});
                        break;
                    case eoOr:
                        value = sqlDialect::either({left.sql, right.sql});
                        break;
                    case eoNot:
                        value = sqlDialect::negation(right.sql);
                        break;
                }
                const bool fits = token.op == eoNot ? right.kind == TOperandKind::Boolean
                                  : token.op == eoAnd || token.op == eoOr ? booleans
                                                                          : same;
                if (!fits) raise("Operand type conflict");
                push({TOperandKind::Boolean, fits ? value : sqlDialect::alwaysFalse()});
                break;
            }
        }
    }
    if (stack.size() != 1) {
        raise("More than one result");
    } else if (stack.back().kind != TOperandKind::Boolean) {
        raise("Result is not boolean");
    }
    if (!error.empty()) throw EConvertError(error);
    return stack.back().sql;
}

}  // namespace

TSqlCondition filterCondition(const TServerTable& table, const std::string& filter,
                              TSqlParams& params) {
    if (trimLeftBlanks(trimRightBlanks(filter)).empty()) return sqlDialect::alwaysTrue();
    if (chooseFilterForm(filter).form == TFilterForm::Postfix)
        return postfixCondition(table, filter, params);
    std::string error;
    const std::unique_ptr<TReadableFilter> readable =
        TReadableFilter::compile(table.description(), filter, error);
    if (!readable) throw EConvertError(error);
    TReadableTranslation translation(table, *readable, params);
    return translation.node(static_cast<int>(readable->nodes().size()) - 1);
}
