#include "expr/ExprTokenizer.h"

#include <optional>
#include <string_view>

#include "core/TextUtils.h"
#include "core/Win1250.h"

namespace {

// Only the space counts as a blank in expressions; tabs belong to the token.
std::string_view trimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::optional<TExprOperator> operatorOf(std::string_view token) {
    if (token == "=") return eoEqual;
    if (token == "<>") return eoNotEqual;
    if (token == "<") return eoLess;
    if (token == ">") return eoGreater;
    if (token == "AND") return eoAnd;
    if (token == "OR") return eoOr;
    if (token == "NOT") return eoNot;
    return std::nullopt;
}

TExprToken classify(std::string_view trimmed) {
    TExprToken token;
    token.text = std::string(trimmed);
    if (const std::optional<TExprOperator> op = operatorOf(trimmed)) {
        token.kind = etOperator;
        token.op = *op;
        return token;
    }
    if (trimmed.empty()) {
        token.kind = etEmpty;
        return token;
    }
    const char first = trimmed.front();
    if (first == '+' || first == '-' || (first >= '0' && first <= '9')) {
        token.kind = etInteger;
        const std::optional<int32_t> value = tryParseInteger(token.text);
        token.valid = value.has_value();
        token.integer = value.value_or(0);
        return token;
    }
    if (first == '"' || first == '\'') {
        token.kind = etString;
        // A lone quote is its own closing quote and stands for the empty string.
        token.valid = trimmed.back() == first;
        if (token.valid) {
            token.text = trimmed.size() < 2 ? std::string()
                                            : std::string(trimmed.substr(1, trimmed.size() - 2));
        }
        return token;
    }
    token.kind = etField;
    return token;
}

}  // namespace

std::vector<TExprToken> tokenizeExpression(const std::string& expression) {
    const std::string upper = upperCase1250(expression);
    std::string_view rest = trimBlanks(upper);
    std::vector<TExprToken> tokens;
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string_view token = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        tokens.push_back(classify(trimBlanks(token)));
    }
    return tokens;
}
