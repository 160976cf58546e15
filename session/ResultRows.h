#pragma once

#include <vector>

#include "core/RowTable.h"
#include "stats/PairFindings.h"
#include "stats/uTavThresholdSweep.h"

class TTavSession;

// The session's results as typed rows with names in full (the record layout cuts a name at 50
// characters, the session has it whole): the one place where tav-batch's tables and the Python
// module's data frames get their columns and numbers.

// The Fields, Simple rules and Frequency tables as they stand, in their present order: every
// column of the table, reals as reals and the integer types as whole numbers. The Frequency
// table's "Total" row keeps its name. Empty tables without a loaded file.
TRowTable fieldsRows(const TTavSession& session);
TRowTable rulesRows(const TTavSession& session);
TRowTable frequencyRows(const TTavSession& session);

// Pairs ranked by entropy gain: both rules' numbers (their rows in creation order), the condition
// in values, the records and the score.
TRowTable rankedPairsRows(const std::vector<TPairScore>& pairs);

// The thresholds of a sweep, "<=" then ">" ones, each by where it lies: the rule's number, name and
// condition, its side and place on the field's axis, then its records and its rate.
TRowTable thresholdSweepRows(const TThresholdSweep& sweep);
