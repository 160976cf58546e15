#pragma once

#include <string>

#include "core/uTavObj.h"
#include "stats/uTavSets.h"

// Rules and class values in the terms of the data's values, as an analyst reads them: "AGE <= 25",
// "25 < AGE <= 35", "EDEMA = 0". The rules' own names ("(3) AGE: 25 - 35") are another thing and
// stay as they are; these texts are for the findings, the threshold sweep and their sentences.
//
// Code v of an interval field (REAL, CURRENCY) holds the numbers x with b(v) < x <= b(v + 1),
// b(k) being the field's boundary k: the loader puts a number that equals a boundary into the
// interval below it. Code 0 has no lower end and the last code (the boundary count) no upper end.

// The label of code `code` of field `field` with its blanks collapsed and trimmed, or the code
// in digits when it has no label.
std::string valueLabel(const TBaza& data, int field, int code);

// A boundary as the shortest decimal that reads back as the same number ("98", "10.4"), with "."
// whatever the process's locale.
std::string boundaryText(double value);

// One condition in values (Windows-1250). An interval field reads by its boundaries: "AGE <= 25"
// (the first interval, or the threshold "less than code v": every interval up to boundary v),
// "25 < AGE <= 35" (a middle interval), "AGE > 65" (the last interval, or the threshold "greater
// than code v": every interval from boundary v + 1 on). A SET or INT field reads "EDEMA = label"
// ("<" and ">" for its thresholds), the label being the code's label or the code when it has
// none; so does an interval field without boundaries or a code outside its intervals. A field
// outside the table reads "field N" in place of its name.
std::string conditionText(const TBaza& data, const TItemPravila& item);

// The conditions of a rule in values joined by " and "; "" for the empty rule.
std::string ruleConditionText(const TBaza& data, const TPravilo& rule);

// A class value as a condition: "STATUS = dead", "25 < AGE <= 35".
std::string classValueText(const TBaza& data, int field, int code);
