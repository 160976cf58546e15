#pragma once

#include <string>
#include <vector>

#include "import/ImportTypes.h"

// Type inference of the importer: what the known values of a column are, which field type they
// become by default, and how a column is coded as a type the caller chooses.

// The known values of one column.
struct TColumnProfile {
    int missingCount = 0;
    std::vector<std::string> distinct;  // the known texts, in order of first appearance
    bool numeric = false;               // at least one known value, and every one a number
    bool integral = false;              // numeric, and every known value written as a whole number
    std::vector<double> numbers;        // the known numbers, ascending
};

// The profile of column `column` of `records`; "," counts as a decimal separator with
// `decimalComma`.
TColumnProfile profileColumn(const std::vector<std::vector<std::string>>& records, int column,
                             bool decimalComma);

// Codes `column` by the inference rules: a nominal attribute with at most `options.setLimit`
// values a SET in declared order; integers in 0..127 with at most `options.intLimit` distinct
// values an INT; other numbers a REAL with `options.boundaries` boundaries, or an INT of interval
// numbers when values are missing; a text with at most `options.setLimit` distinct values a SET
// (of a nominal attribute that declares more: the values used, in declared order); anything else
// a STRING.
void inferColumn(TImportColumn& column, const TColumnProfile& profile,
                 const TImportOptions& options);

// Codes `column` as `type`. SET takes up to 127 distinct texts (every declared value of a
// nominal attribute when they fit, else the values used); INT and REAL need numbers; REAL
// with missing values becomes an INT of interval numbers, since a REAL field has no unknown code;
// INT of numbers that are not integers in 0..127 is coded by intervals too. Throws EConvertError
// naming the column when its values do not fit the type, and for `boundaries` outside 1..126.
void codeColumnAs(TImportColumn& column, const TColumnProfile& profile, TImportType type,
                  int boundaries);

// Up to `count` interval boundaries at the quantiles of `sorted` (ascending, not empty): no two
// equal, none at or above the largest value (one, the largest value, when nothing else is left).
std::vector<double> quantileBoundaries(const std::vector<double>& sorted, int count);

// The boundaries (values of `sorted`, ascending) as the shortest decimal texts at or above each
// boundary and below the next greater value of `sorted`: every value keeps its interval.
std::vector<std::string> shortestBoundaryTexts(const std::vector<double>& boundaries,
                                               const std::vector<double>& sorted);

// The label of interval code `code` (1..n+1) of an interval INT field: "<= b1", "b1 - b2", "> bn".
std::string intervalLabel(const TImportColumn& column, int code);

// The interval code (1..n+1) of `value` among ascending `boundaries`: a value equal to a boundary
// is in the interval the boundary closes.
int intervalCode(const std::vector<double>& boundaries, double value);
