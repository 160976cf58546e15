#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The classes of a filter expression token, in the order in which they are recognised.
enum TExprTokenKind : uint8_t {
    etOperator = 0,  // "=", "<>", "<", ">", "AND", "OR" or "NOT"
    etEmpty = 1,     // nothing between two commas
    etInteger = 2,   // starts with "+", "-" or a digit
    etString = 3,    // starts with a double quote or an apostrophe
    etField = 4,     // anything else: a field name
};

// The operators of the filter language.
enum TExprOperator : uint8_t {
    eoEqual,
    eoNotEqual,
    eoLess,
    eoGreater,
    eoAnd,
    eoOr,
    eoNot,
};

// One token of a filter expression, classified and with its literal converted.
struct TExprToken {
    TExprTokenKind kind = etEmpty;
    TExprOperator op = eoEqual;  // for etOperator
    bool valid = true;           // false for a literal that does not convert
    int32_t integer = 0;         // the value of a valid integer literal
    // The content of a valid string literal; otherwise the trimmed, upper-cased token (the field
    // name, or the token an error message quotes).
    std::string text;
};

// The tokens of an expression: the text is upper-cased (Windows-1250) and stripped of leading and
// trailing blanks, then cut at every comma, and each token is stripped of its blanks. A comma at
// the end adds no token; a comma at the start or two in a row give an empty token. A text that is
// empty after stripping gives no tokens.
std::vector<TExprToken> tokenizeExpression(const std::string& expression);
