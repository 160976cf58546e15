#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The compiled form of a readable filter, shared by its parser, its evaluator and its translation
// into SQL.

enum class TReadableNodeKind : uint8_t { And, Or, Not, Compare, Missing };

enum class TReadableOp : uint8_t {
    Equal,
    NotEqual,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    Between,
    In,
};

// How a field's value is read for a comparison.
enum class TReadableValue : uint8_t {
    Number,  // INT, REAL, CURRENCY: the number in the text
    Date,    // DATE: the day number of the text
    Set,     // SET: the code, and its label for text constants
    Text,    // STRING: the upper-cased text
};

// A constant of a comparison, already in the field's terms: a number (a code of a SET field, a
// day number of a date) or an upper-cased text (a SET label, a STRING text).
struct TReadableConstant {
    bool isText = false;
    double number = 0;
    std::string text;
};

// One node; children are indexes of earlier nodes.
struct TReadableNode {
    TReadableNodeKind kind = TReadableNodeKind::Compare;
    std::vector<int> children;  // And, Or: two or more; Not: one
    int field = -1;             // Compare, Missing
    TReadableValue value = TReadableValue::Number;
    TReadableOp op = TReadableOp::Equal;
    bool negated = false;                      // Missing: IS NOT MISSING
    std::vector<TReadableConstant> constants;  // one; Between: two; In: one or more
    std::vector<std::string> labels;           // Set: the upper-cased label of codes 0..127
};

// Whether a comparison node holds for a value that is not missing: `number` (a code of a SET
// field) and `text` (its label, or the upper-cased text) as the evaluator reads them. Requires:
// node.kind == Compare.
bool readableComparisonHolds(const TReadableNode& node, double number, const std::string& text);
