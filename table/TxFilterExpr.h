#pragma once

#include <functional>
#include <memory>
#include <string>

#include "table/TxRecordLayout.h"
#include "table/TxValue.h"

// FilterX options: compare strings without regard to case; no partial compare (a string constant
// ending in "*" then is an ordinary text instead of a prefix pattern).
struct TxFilterOptions {
    bool caseInsensitive = false;
    bool noPartialCompare = false;
};

struct TxFilterNode;

// A compiled FilterX expression over the fields of one table (the language is described in
// TxFilterParser.cpp). Compiling checks names, types and function parameters; evaluation never
// fails: an undefined result (a division by zero, an invalid date) is null and rejects the record.
class TxFilterExpr {
  public:
    // The value of field `index` of the record under test.
    using FieldReader = std::function<TxValue(int index)>;

    // Throws ExDataSetError with "Unknown operator", "Unknown field type", "Operator not
    // supported", "Invalid or missing parameter", "Invalid function", "Field 'X' not found" or
    // "Expression nested too deeply: at most 256 levels". Chains of operators are not nesting:
    // they may be of any length.
    static std::unique_ptr<TxFilterExpr> compile(const std::string& text,
                                                 const TxRecordLayout& layout,
                                                 TxFilterOptions options);
    ~TxFilterExpr();

    // The value of the expression for one record: null, a boolean, a number, a string or a date.
    TxValue evaluate(const FieldReader& read) const;
    // Whether the record passes: a true boolean, a number or date other than zero, a non-empty
    // string; null never passes.
    bool passes(const FieldReader& read) const;

  private:
    TxFilterExpr() = default;
    std::unique_ptr<TxFilterNode> m_root;
    TxFilterOptions m_options;
};
