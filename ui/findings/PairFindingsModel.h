#pragma once

#include <QAbstractTableModel>

#include "stats/PairFindings.h"

// The rows of the Findings tab with two conditions: the listed pairs in their order (the largest
// changes first). Numbers use "." decimals like the findings of single rules; the "Pair" column is
// the pair's condition in values, "Better part" the condition alone that it is compared with.
class TPairFindingsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column : int {
        kRules,
        kPair,
        kRecords,
        kTarget,
        kContextRate,
        kPairRate,
        kInterval,
        kPHigher,
        kBetterPart,
        kBetterRate,
        kLift,
        kPBeyond,
        kLfsr,
        kSValue,
        kFlag,
        kColumnCount
    };

    explicit TPairFindingsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Shows `findings` (one model reset).
    void setFindings(const TPairFindings& findings);
    const TPairFindings& findings() const { return m_findings; }
    // The pair of row `row`, or none.
    const TPairFinding* pairAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    TPairFindings m_findings;
};
