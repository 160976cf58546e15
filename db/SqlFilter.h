#pragma once

#include <string>

#include "db/SqlDialect.h"

class TServerTable;

// The filters of the context and compare boxes as SQL conditions on a server table, with the
// meaning the in-memory evaluation gives them: a missing value fails every comparison but IS
// MISSING, SET and INT fields compare their codes (and labels), texts compare upper-cased byte by
// byte in Windows-1250, and a NOT of a comparison on a missing value holds. Every constant is a
// bound parameter.

// The condition of `filter`, read in the form chooseFilterForm picks; a blank text is
// sqlDialect::alwaysTrue(). Throws EConvertError with the filter's first error text, as the
// in-memory check gives it.
TSqlCondition filterCondition(const TServerTable& table, const std::string& filter,
                              TSqlParams& params);
