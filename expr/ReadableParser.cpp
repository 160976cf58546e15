#include <algorithm>
#include <optional>
#include <utility>

#include "core/FieldTypes.h"
#include "core/LocaleFormat.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "expr/FilterDate.h"
#include "expr/ReadableFilter.h"
#include "expr/ReadableNode.h"
#include "expr/ReadableTokens.h"

namespace {

// Nesting of parentheses and "not" beyond this is refused, so that no text exhausts the stack.
constexpr int kMaxDepth = 100;

bool isKeyword(const TReadableToken& token, const char* keyword) {
    return token.kind == TReadableTokenKind::Word && upperCase1250(token.text) == keyword;
}

bool isAnyKeyword(const TReadableToken& token) {
    for (const char* keyword : {"AND", "OR", "NOT", "BETWEEN", "IN", "IS", "MISSING"}) {
        if (isKeyword(token, keyword)) return true;
    }
    return false;
}

std::optional<TReadableOp> operatorOf(const std::string& text) {
    if (text == "=") return TReadableOp::Equal;
    if (text == "<>" || text == "!=") return TReadableOp::NotEqual;
    if (text == "<") return TReadableOp::Less;
    if (text == "<=") return TReadableOp::LessEqual;
    if (text == ">") return TReadableOp::Greater;
    if (text == ">=") return TReadableOp::GreaterEqual;
    return std::nullopt;
}

}  // namespace

// Recursive descent over the tokens; the first error wins and stops the parse.
class TReadableParser {
  public:
    TReadableParser(TReadableFilter& filter, const std::string& text)
        : m_filter(filter), m_data(filter.m_data), m_text(text) {}

    bool parse(std::string& errorText) {
        if (!tokenizeReadable(m_text, m_tokens, errorText)) return false;
        if (parseOr() >= 0 && peek().kind != TReadableTokenKind::End)
            fail("Expected \"and\", \"or\" or the end of the text", peek().position);
        errorText = m_error;
        return m_error.empty();
    }

  private:
    const TReadableToken& peek() const { return m_tokens[m_next]; }
    const TReadableToken& take() {
        const TReadableToken& token = m_tokens[m_next];
        if (token.kind != TReadableTokenKind::End) ++m_next;
        return token;
    }

    std::string where(int position) const {
        return position > static_cast<int>(m_text.size())
                   ? "at the end of the text"
                   : "at position " + std::to_string(position);
    }
    int fail(const std::string& message, int position) {
        if (m_error.empty()) m_error = message + " " + where(position) + ".";
        return -1;
    }
    int add(TReadableNode node) {
        m_filter.m_nodes.push_back(std::move(node));
        return static_cast<int>(m_filter.m_nodes.size()) - 1;
    }

    // and-part { OR and-part }, and the same one level down.
    int parseOr() { return parseList(TReadableNodeKind::Or, "OR"); }
    int parseList(TReadableNodeKind kind, const char* keyword) {
        TReadableNode list;
        list.kind = kind;
        while (true) {
            const int child = kind == TReadableNodeKind::Or
                                  ? parseList(TReadableNodeKind::And, "AND")
                                  : parseNot();
            if (child < 0) return -1;
            list.children.push_back(child);
            if (!isKeyword(peek(), keyword)) break;
            take();
        }
        return list.children.size() == 1 ? list.children[0] : add(std::move(list));
    }

    int parseNot() {
        if (m_depth >= kMaxDepth)
            return fail("Too many nested parentheses or \"not\"", peek().position);
        ++m_depth;
        int node = -1;
        if (isKeyword(peek(), "NOT")) {
            take();
            const int child = parseNot();
            if (child >= 0) {
                TReadableNode negation;
                negation.kind = TReadableNodeKind::Not;
                negation.children.push_back(child);
                node = add(std::move(negation));
            }
        } else if (peek().kind == TReadableTokenKind::Open) {
            take();
            node = parseOr();
            if (node >= 0 && peek().kind != TReadableTokenKind::Close)
                node = fail("Expected \")\"", peek().position);
            if (node >= 0) take();
        } else {
            node = parseComparison();
        }
        --m_depth;
        return node;
    }

    int parseComparison() {
        const TReadableToken& name = take();
        const bool word = name.kind == TReadableTokenKind::Word && !isAnyKeyword(name);
        if (!word && name.kind != TReadableTokenKind::QuotedName)
            return fail("Expected a field name", name.position);
        TReadableNode node;
        node.field = m_data.fieldIndex(upperCase1250(name.text));
        if (node.field < 0) return fail("Unknown field \"" + name.text + "\"", name.position);
        if (!valueOfField(node, name.position)) return -1;
        const TReadableToken& op = take();
        if (isKeyword(op, "IS")) {
            node.kind = TReadableNodeKind::Missing;
            if (isKeyword(peek(), "NOT")) {
                take();
                node.negated = true;
            }
            if (!isKeyword(peek(), "MISSING")) return fail("Expected \"missing\"", peek().position);
            take();
            return add(std::move(node));
        }
        if (op.kind == TReadableTokenKind::Operator) {
            node.op = *operatorOf(op.text);
            return constant(node) ? add(std::move(node)) : -1;
        }
        if (isKeyword(op, "BETWEEN")) {
            node.op = TReadableOp::Between;
            if (!constant(node)) return -1;
            if (!isKeyword(peek(), "AND")) return fail("Expected \"and\"", peek().position);
            take();
            return constant(node) ? add(std::move(node)) : -1;
        }
        if (isKeyword(op, "IN")) {
            node.op = TReadableOp::In;
            if (peek().kind != TReadableTokenKind::Open)
                return fail("Expected \"(\" after \"in\"", peek().position);
            take();
            while (true) {
                if (!constant(node)) return -1;
                if (peek().kind != TReadableTokenKind::Comma) break;
                take();
            }
            if (peek().kind != TReadableTokenKind::Close)
                return fail("Expected \",\" or \")\"", peek().position);
            take();
            return add(std::move(node));
        }
        return fail("Expected a comparison (=, <>, !=, <, <=, >, >=, between, in or is)",
                    op.position);
    }

    // Decides how the field's values are read, and gathers a SET field's labels.
    bool valueOfField(TReadableNode& node, int position) {
        const TFieldType type = m_data.fieldType(node.field);
        switch (type) {
            case ftInt:
            case ftReal:
            case ftCurrency:
                node.value = TReadableValue::Number;
                return true;
            case ftDate:
                node.value = TReadableValue::Date;
                return true;
            case ftString:
                node.value = TReadableValue::Text;
                return true;
            case ftSet:
                node.value = TReadableValue::Set;
                node.labels.resize(kMaxValueCode + 1);
                for (int code = 0; code <= kMaxValueCode; ++code)
                    node.labels[code] = upperCase1250(m_data.valueName(node.field, code));
                return true;
            default:
                fail("Field " + m_data.fieldName(node.field) + " has no values to compare (type " +
                         fieldTypeToText(type) + ")",
                     position);
                return false;
        }
    }

    // The code of a label of a SET or INT field, compared without regard to case.
    std::optional<int> codeOfLabel(int field, const std::string& label) const {
        const std::string upper = upperCase1250(label);
        const int low = std::max(m_data.fieldLow(field), 0);
        const int high = std::min(m_data.fieldHigh(field), kMaxValueCode);
        for (int code = low; code <= high; ++code) {
            if (upperCase1250(m_data.valueName(field, code)) == upper) return code;
        }
        return std::nullopt;
    }

    // Reads one constant and converts it into the field's terms.
    bool constant(TReadableNode& node) {
        const TReadableToken& token = take();
        const std::string& field = m_data.fieldName(node.field);
        const bool text = token.kind == TReadableTokenKind::Text;
        if (!text && token.kind != TReadableTokenKind::Number) {
            fail("Expected a number or a text in single quotes", token.position);
            return false;
        }
        TReadableConstant constant;
        constant.number = token.number;
        switch (node.value) {
            case TReadableValue::Number:
                if (text) {
                    const bool isInt = m_data.fieldType(node.field) == ftInt;
                    const std::optional<int> code =
                        isInt ? codeOfLabel(node.field, token.text) : std::nullopt;
                    const std::optional<double> number =
                        code ? std::optional<double>(*code) : tryParseReal(token.text);
                    if (!number) {
                        fail(isInt ? "Unknown label '" + token.text + "' of field " + field
                                   : "Field " + field + " takes numbers, not '" + token.text + "'",
                             token.position);
                        return false;
                    }
                    constant.number = *number;
                }
                break;
            case TReadableValue::Date: {
                const std::optional<int32_t> day =
                    text ? dayNumberOfDate(token.text) : std::nullopt;
                if (!day) {
                    fail("Field " + field + " takes dates in single quotes as " +
                             localeFormat().shortDateFormat + " or yyyy-mm-dd, not " +
                             (text ? "'" + token.text + "'" : token.text),
                         token.position);
                    return false;
                }
                constant.number = *day;
                break;
            }
            case TReadableValue::Set:
                if (text) {
                    const std::optional<int> code = codeOfLabel(node.field, token.text);
                    if (!code) {
                        fail("Unknown label '" + token.text + "' of field " + field,
                             token.position);
                        return false;
                    }
                    constant.isText = true;
                    constant.text = upperCase1250(token.text);
                }
                break;
            case TReadableValue::Text:
                if (!text) {
                    fail("Field " + field + " takes texts in single quotes, not " + token.text,
                         token.position);
                    return false;
                }
                constant.isText = true;
                constant.text = upperCase1250(token.text);
                break;
        }
        node.constants.push_back(std::move(constant));
        return true;
    }

    TReadableFilter& m_filter;
    const TBaza& m_data;
    const std::string& m_text;
    std::vector<TReadableToken> m_tokens;
    size_t m_next = 0;
    int m_depth = 0;
    std::string m_error;
};

std::unique_ptr<TReadableFilter> TReadableFilter::compile(const TBaza& data,
                                                          const std::string& text,
                                                          std::string& errorText) {
    errorText.clear();
    std::unique_ptr<TReadableFilter> filter(new TReadableFilter(data));
    TReadableParser parser(*filter, text);
    if (!parser.parse(errorText)) return nullptr;
    return filter;
}
