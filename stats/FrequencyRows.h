#pragma once

#include <array>
#include <string>

#include "stats/uTavSets.h"

class TxDataSet;
class TxValue;

// The writing side of the Frequency table, shared by the table made from records and the one
// made from counts, so that both write the same rows the same way.

// Whether `rowVisible` hides a value of class field c: the "Sub-total" row then scores the rule.
bool classValuesHidden(const TBaza& data, int c,
                       const std::array<bool, kSubTotalSlot + 1>& rowVisible);

// Empties the table and writes its "Total" row, to be completed by finishTotalRow.
void startFrequencyTable(TxDataSet& table);

// Appends one row (or, for the "Sub-total" slot, rewrites the first row): the ten columns.
// A row without records in either population shows no Signif: two priors compared say nothing.
void writeFrequencyRow(TxDataSet& table, int number, const std::string& name, int nF, double pF,
                       double sdF, int nS, double pS, double sdS, double change, double signif);

// Completes the "Total" row with the sums of the rows (when no class value is hidden).
void finishTotalRow(TxDataSet& table, int sumF, int sumS, double sum);

// Stores a rule's score and Signif in the rule and in the current row of `rulesTable` (none: the
// rule only). A rule on the class field only restates the class and an unselected one says
// nothing of the selection: both score 0 in the rule, while the table shows the sums.
void storeRuleScore(const TSetCatalogue& sets, TMnozica& rule, int c, double sum, double signif,
                    TxDataSet* rulesTable);
