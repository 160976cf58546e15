#include "ui/findings/PairFindingsModel.h"

#include <QBrush>
#include <QFont>
#include <QString>

#include "ui/findings/FindingsIntervalDelegate.h"
#include "ui/text/QtText.h"

namespace {

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString rateText(const TRateEstimate& estimate) {
    return number(estimate.rate, 3) + " [" + number(estimate.low, 2) + "-" +
           number(estimate.high, 2) + "]";
}

struct THeading {
    const char* title;
    const char* tip;
};

constexpr THeading kHeadings[TPairFindingsModel::kColumnCount] = {
    {"Rules",
     "The numbers of the two simple rules (creation order), as tav-batch freq --rule takes"},
    {"Pair", "The two conditions together, in values"},
    {"n", "Records of the Context under both conditions (both values known)"},
    {"k", "Of them, records with the target value"},
    {"Context", "The rate of the target value in the whole Context"},
    {"Pair rate", "The rate under the pair, with its 95 % interval"},
    {"Interval", "The pair's interval (bar) against the Context's (band)"},
    {"P(higher)", "The probability that the rate under the pair is above the Context's"},
    {"Better part", "The condition alone whose rate lies further in the pair's direction"},
    {"Part rate", "The rate under the better part alone, with its interval"},
    {"Lift", "The pair's rate divided by the better part's: what the second condition adds"},
    {"P(beyond)",
     "The probability that the pair's rate lies beyond the better part's, in the "
     "pair's direction"},
    {"lfsr",
     "Local false sign rate over all pairs counted: the chance that the direction is "
     "wrong"},
    {"s-value", "Bits of information against the sign being wrong: -log2(lfsr)"},
    {"Flag",
     "flagged: the lfsr is within the significance level; repeats: the better part alone "
     "does it, the pair adds nothing sure"},
};

}  // namespace

void TPairFindingsModel::setFindings(const TPairFindings& findings) {
    beginResetModel();
    m_findings = findings;
    endResetModel();
}

const TPairFinding* TPairFindingsModel::pairAt(int row) const {
    return row >= 0 && row < static_cast<int>(m_findings.top.size()) ? &m_findings.top[row]
                                                                     : nullptr;
}

int TPairFindingsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_findings.top.size());
}

int TPairFindingsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant TPairFindingsModel::data(const QModelIndex& index, int role) const {
    const TPairFinding* p = pairAt(index.row());
    if (p == nullptr || index.column() < 0 || index.column() >= kColumnCount) return {};
    if (role == TFindingsIntervalDelegate::kIntervalRole && index.column() == kInterval) {
        const TIntervalBar bar{m_findings.context.rate,
                               m_findings.context.low,
                               m_findings.context.high,
                               p->rule.rate,
                               p->rule.low,
                               p->rule.high,
                               p->flagged,
                               p->pHigher > 0.5};
        return QVariant::fromValue(bar);
    }
    if (role == Qt::ForegroundRole && p->repeatsPart) return QBrush(Qt::gray);
    if (role == Qt::FontRole && p->flagged && !p->repeatsPart) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::TextAlignmentRole && index.column() != kPair && index.column() != kBetterPart)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && (index.column() == kPair || index.column() == kBetterPart))
        return qtText(index.column() == kPair ? p->condition : p->betterCondition);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case kRules:
            return QStringLiteral("%1 & %2").arg(p->ruleNumberA()).arg(p->ruleNumberB());
        case kPair:
            return qtText(p->condition);
        case kRecords:
            return p->count;
        case kTarget:
            return p->targetCount;
        case kContextRate:
            return number(m_findings.context.rate, 3);
        case kPairRate:
            return rateText(p->rule);
        case kPHigher:
            return number(p->pHigher, 3);
        case kBetterPart:
            return qtText(p->betterCondition);
        case kBetterRate:
            return rateText(p->better);
        case kLift:
            return number(p->lift, 2);
        case kPBeyond:
            return number(p->pBeyondBetter, 3);
        case kLfsr:
            return number(p->lfsr, 3);
        case kSValue:
            return number(p->svalue, 1);
        case kFlag:
            return p->repeatsPart ? QStringLiteral("repeats")
                                  : (p->flagged ? QStringLiteral("flagged") : QString());
        default:
            return {};
    }
}

QVariant TPairFindingsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(kHeadings[section].title);
    if (role == Qt::ToolTipRole) return QString::fromLatin1(kHeadings[section].tip);
    return {};
}
