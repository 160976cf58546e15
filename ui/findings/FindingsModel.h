#pragma once

#include <QAbstractTableModel>

#include "stats/uTavFindings.h"

// The findings grid's rows: the ranked findings in their order, then the rules below the minimum
// count (greyed, unranked). Display texts use "." decimals like the rest of the findings; the
// "No." column is the rule's number (TFinding::ruleNumber), the "Rule" column its condition in
// values with a tooltip of its number, name and the rules it stands for; the "Interval" column
// carries a TIntervalBar for its delegate; the header has plain-word tooltips.
class TFindingsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column : int {
        kNo,
        kRule,
        kRecords,
        kTarget,
        kContextRate,
        kRuleRate,
        kInterval,
        kDifference,
        kPHigher,
        kLfsr,
        kSValue,
        kScore,
        kRanks,
        kColumnCount
    };

    explicit TFindingsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Shows `findings` (one model reset).
    void setFindings(const TFindings& findings);
    const TFindings& findings() const { return m_findings; }
    // The finding of row `row`, or none.
    const TFinding* findingAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    TFindings m_findings;
};
