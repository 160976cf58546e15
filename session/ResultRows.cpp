#include "session/ResultRows.h"

#include <functional>
#include <optional>
#include <string>

#include "session/uTavSession.h"
#include "stats/uTavResultTables.h"
#include "table/TxDataView.h"
#include "table/TxFieldTypes.h"

namespace {

TRowCell typedCell(const TxField& field, const TxValue& value) {
    // A value that does not exist (a row without records has no Signif) is blank, as in the grids.
    if (value.isNull()) return {};
    switch (presentedType(static_cast<TxFieldType>(field.type))) {
        case TxPresentedType::Float:
            return value.toFloat();
        case TxPresentedType::Smallint:
        case TxPresentedType::Integer:
        case TxPresentedType::Word:
            return static_cast<long long>(value.toInteger());
        default:
            return value.toString();
    }
}

// Every row of `table`; column `nameColumn` holds what `wholeName` gives wherever it gives one.
TRowTable viewRows(TxViewReader& table, int nameColumn,
                   const std::function<std::optional<std::string>(int row)>& wholeName) {
    TRowTable rows;
    const int fields = table.fieldCount();
    for (int f = 0; f < fields; ++f)
        rows.columns.push_back(table.field(f).name);
    const int count = table.RecordCount();
    for (int row = 0; row < count; ++row) {
        const std::optional<std::string> whole = wholeName(row);
        std::vector<TRowCell>& cells = rows.rows.emplace_back();
        for (int f = 0; f < fields; ++f) {
            cells.push_back(f == nameColumn && whole
                                ? TRowCell(*whole)
                                : typedCell(table.field(f), table.valueAt(row, f)));
        }
    }
    return rows;
}

}  // namespace

TRowTable fieldsRows(const TTavSession& session) {
    if (session.CurrentData() == nullptr) return {};
    return viewRows(session.fieldsTable(), FieldsColumns::kName,
                    [&](int row) { return session.wholeFieldName(row); });
}

TRowTable rulesRows(const TTavSession& session) {
    if (session.CurrentData() == nullptr) return {};
    return viewRows(session.rulesTable(), RuleColumns::kName,
                    [&](int row) { return session.wholeRuleName(row); });
}

TRowTable frequencyRows(const TTavSession& session) {
    if (session.CurrentData() == nullptr) return {};
    return viewRows(session.frequencyTable(), FrequencyColumns::kName,
                    [&](int row) { return session.wholeClassValueName(row); });
}

TRowTable rankedPairsRows(const std::vector<TPairScore>& pairs) {
    TRowTable table;
    table.columns = {"rule_no_a", "rule_no_b", "condition", "records", "score"};
    for (const TPairScore& pair : pairs) {
        table.rows.push_back({static_cast<long long>(pair.setNumberA - 1),
                              static_cast<long long>(pair.setNumberB - 1), pair.condition,
                              static_cast<long long>(pair.count), pair.score});
    }
    return table;
}

TRowTable thresholdSweepRows(const TThresholdSweep& sweep) {
    TRowTable table;
    table.columns = {"rule_no",  "rule",      "condition",      "side",
                     "x",        "records",   "target_records", "rule_rate",
                     "rule_low", "rule_high", "p_higher",       "flagged"};
    for (const TSweepPoint& point : sweep.points) {
        const TFinding& f = point.finding;
        table.rows.push_back({static_cast<long long>(f.ruleNumber()), f.name, f.condition,
                              std::string(point.less ? "<=" : ">"), point.x,
                              static_cast<long long>(f.count),
                              static_cast<long long>(f.targetCount), f.rule.rate, f.rule.low,
                              f.rule.high, f.pHigher, f.flagged});
    }
    return table;
}
