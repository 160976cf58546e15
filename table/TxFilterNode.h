#pragma once

// The compiled form of FilterX expressions, shared by the parser and the evaluator.

#include <memory>
#include <string>
#include <vector>

#include "table/TxFieldTypes.h"

// Static types of expression nodes; Null is the type of the literal NULL.
enum class TxFType { Null, Bool, Number, String, Date };

enum class TxFOp {
    Const,
    Field,
    Not,
    And,
    Or,
    Eq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    Add,
    Sub,
    Mul,
    Div,
    Neg,
    IsNull,
    IsNotNull,
    Cast,
    Func,
};

enum class TxFFunc {
    Upper,
    Lower,
    Substring,
    Trim,
    TrimLeft,
    TrimRight,
    GetDate,
    Year,
    Month,
    Day,
    Hour,
    Minute,
    Second,
    Date,
    Time,
};

// A runtime value: booleans and dates are held in `num`.
struct TxFValue {
    bool null = true;
    double num = 0.0;
    std::string str;
};

struct TxFilterNode {
    TxFilterNode() = default;
    // Frees the subtree without recursion, however deep it is.
    ~TxFilterNode();
    TxFilterNode(const TxFilterNode&) = delete;
    TxFilterNode& operator=(const TxFilterNode&) = delete;

    TxFOp op = TxFOp::Const;
    TxFType type = TxFType::Null;
    std::vector<std::unique_ptr<TxFilterNode>> args;
    TxFValue constant;                 // Const
    int field = -1;                    // Field
    TxFieldType castType = xftString;  // Cast
    TxFFunc func = TxFFunc::Upper;     // Func
    bool prefixPattern = false;        // Eq / Ne against a constant ending in "*" (partial compare)
};
