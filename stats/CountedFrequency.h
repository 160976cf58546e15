#pragma once

#include <array>

#include "stats/RuleScores.h"
#include "stats/uTavFreq.h"

class TxDataSet;

// The Frequency table of a table whose records are counted elsewhere (a database server): the
// rows, numbers and score FillFrequencyTable gives from the records, made from the counts of the
// populations instead. A rule's records are sums of its field's codes, so one set of counts per
// population serves every simple rule.
struct TCountedFrequencyInputs {
    const TBaza& data;  // the description: its value sets name the rows and keep their m
    const TSetCatalogue& sets;
    TxDataSet& frequencyTable;
    TxDataSet* rulesTable;  // the Simple rules table whose current row gets the score, or none
    TChartParams& chart;
    // The Context's counts by the class field.
    const TContextClassCounts& context;
    // In compare mode the counts of the Context with Compare 1 and with Compare 2, which replace
    // the Context and the Context with the rule; none in the default mode.
    const TContextClassCounts* compare1 = nullptr;
    const TContextClassCounts* compare2 = nullptr;
    // In the default mode, the counts of the records of a rule the counts of single fields cannot
    // give (a rule of two conditions), with no rule given; none for a simple rule.
    const TContextClassCounts* ruleRecords = nullptr;
    // The row flags to use instead of RowVisible, or none.
    const std::array<bool, kSubTotalSlot + 1>* rowVisible = nullptr;
    // The ProbAbove windows kept over a run (the default mode of a ranking), or none.
    TCdfWindowCache* windows = nullptr;
};

// As FillFrequencyTable for class field c under `rule` (one condition on a coded field, or none
// for every record): fills the table when `fill`, stores the rule's score in it (and in the
// current row of the rules table) when `store`, and keeps the two distributions of row h for the
// chart. Requires: the counts were made by class field c. Errors of the beta functions pass.
void FillFrequencyTableFromCounts(const TCountedFrequencyInputs& in, int c, TMnozica* rule,
                                  bool store, bool fill, int h);
