#pragma once

#include <cstdint>
#include <vector>

#include "expr/ExprTokenizer.h"

class TBaza;

// A numeric constant that an expression compares with a coded field although the field holds no
// such code: a REAL or CURRENCY field compares its interval numbers 0..boundary count, a SET or
// INT field its codes low..high, so such a comparison selects all records or none.
struct TConstantOutsideField {
    int field = 0;         // the field's index in the table
    int32_t constant = 0;  // the integer literal as written
    int low = 0;           // the codes (interval numbers) the field holds
    int high = 0;
    bool operator==(const TConstantOutsideField&) const = default;
};

// The comparisons ("=", "<>", "<", ">") of `tokens` that put a field of type SET, INT, REAL or
// CURRENCY against an integer literal outside the field's low..high, with either operand first.
// A constant equal to one of the field's unknown codes is not reported (it selects the unknown
// values), nor a field whose range is empty (high below low). Each pair of field and constant
// appears once, in the order of the expression. Fields of other types, strings, unknown field
// names, invalid literals and field against field give nothing. Reads the field descriptions
// only; meant for an expression that checks as valid.
std::vector<TConstantOutsideField> constantsOutsideFields(const std::vector<TExprToken>& tokens,
                                                          const TBaza& data);
