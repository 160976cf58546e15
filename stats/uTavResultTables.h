#pragma once

#include <functional>

#include <string>

class TxDataSet;

// The columns of the three result tables, in record order, and their header hooks.

namespace FieldsColumns {
enum : int { kNo, kSel, kName, kType, kCount };
inline constexpr int kNameLength = 50;
inline constexpr int kTypeLength = 30;
}  // namespace FieldsColumns

namespace RuleColumns {
enum : int { kNo, kName, kCount, kScore, kSignif };
inline constexpr int kNameLength = 50;
inline constexpr int kCountLength = 20;
}  // namespace RuleColumns

namespace FrequencyColumns {
enum : int {
    kNo,
    kName,
    kFrequency,
    kProbability,
    kStdProb,
    kCondFrequency,
    kCondProbability,
    kCondStdProb,
    kEntropyChange,
    kSignif,
};
inline constexpr int kNameLength = 50;
}  // namespace FrequencyColumns

// Header hook of the Fields table: "No.", "Sel", "Name", "Type", "Count" (94-byte records).
void XMLdtStFieldsGetHeader(TxDataSet& table);
// Header hook of the Simple rules table: "No.", "Name", "Count", "Score", "Signif" (92 bytes).
void XMLDtStSimpleRulesGetHeader(TxDataSet& table);
// Header hook of the Frequency table: "No.", "Name", "Frequency", "Probability", "StdProb",
// "CondFrequency", "CondProbability", "CondStdProb", "EntropyChange", "Signif" (111 bytes).
void XMLdtstFrequencyGetHeader(TxDataSet& table);

// Deletes every record of an open table.
void emptyTable(TxDataSet& table);

// Rewrites every row of an open table in place, as one bulk change: `write(row)` sets fields of
// row `row` in edit, and the row is posted. The table keeps its active row.
void rewriteRows(TxDataSet& table, const std::function<void(int row)>& write);

// Holds a table's view notifications for the length of a bulk change, also when it fails; the
// views hear of it once at the end.
class TSuspendedViews {
  public:
    explicit TSuspendedViews(TxDataSet& table);
    ~TSuspendedViews();
    TSuspendedViews(const TSuspendedViews&) = delete;
    TSuspendedViews& operator=(const TSuspendedViews&) = delete;

  private:
    TxDataSet& m_table;
};
