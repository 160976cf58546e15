#include "ui/findings/FindingsModel.h"

#include <QBrush>
#include <QFont>
#include <QString>

#include "ui/findings/FindingsIntervalDelegate.h"
#include "ui/text/QtText.h"

namespace {

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

struct TColumnText {
    const char* caption;
    const char* tip;
};

const TColumnText kColumnTexts[] = {
    {"No.",
     "The rule's number in creation order: its row in the Simple rules grid before a ranking "
     "reorders it, and the number tav-batch freq --rule takes."},
    {"Rule",
     "The rule's condition in values: AGE <= 25, 25 < AGE <= 35 and AGE > 65 for intervals and "
     "thresholds (a value on a boundary belongs to the interval below it), EDEMA = 0 for a "
     "value."},
    {"n", "Records in the context that the rule holds for."},
    {"k", "Of them, records with the target value."},
    {"Context rate", "The rate of the target value in the whole context (m-estimate)."},
    {"Rule rate", "The rate of the target value among the rule's records (m-estimate)."},
    {"Interval",
     "Grey band: the context's credible interval; bar and dot: the rule's interval and rate, "
     "on a 0 to 1 axis. Blue or red when the rule is flagged as raising or lowering the rate."},
    {"Difference", "Rule rate minus context rate."},
    {"P(higher)", "The probability that the rule's rate is higher than the context's."},
    {"lfsr",
     "Local false sign rate: the probability that the rule's direction is wrong, given how large "
     "the rules' effects tend to be. A rule is flagged when it is within the significance level."},
    {"s-value",
     "The average lfsr of all rules with an lfsr at most this rule's: the expected share of "
     "wrong directions if the list were cut here."},
    {"Score", "The signed change of the entropy scale: positive when the rule raises the rate."},
    {"Ranks",
     "Best and worst rank when the rules are re-ranked with m = 0.5, 2 and 10; \"robust\" when "
     "in the top 10 for all three, by the size of the change in either direction. Rules with too "
     "few records are not ranked."},
};

// The rule's condition, number and name and, for a rule standing for others with the same
// records, their names (at most 40 of them, so that the tip fits on the screen).
QString ruleTip(const TFinding& f) {
    QString tip = qtText(f.condition) +
                  QStringLiteral("\nRule %1: %2").arg(f.ruleNumber()).arg(qtText(f.name));
    if (f.equivalents.empty()) return tip;
    constexpr size_t kShown = 40;
    tip += QStringLiteral("\nThe same records and numbers as %1 other rule%2:")
               .arg(f.equivalents.size())
               .arg(f.equivalents.size() == 1 ? "" : "s");
    for (size_t i = 0; i < f.equivalents.size() && i < kShown; ++i)
        tip += QStringLiteral("\n") + qtText(f.equivalents[i]);
    if (f.equivalents.size() > kShown)
        tip += QStringLiteral("\n... and %1 more").arg(f.equivalents.size() - kShown);
    return tip;
}

}  // namespace

void TFindingsModel::setFindings(const TFindings& findings) {
    beginResetModel();
    m_findings = findings;
    endResetModel();
}

const TFinding* TFindingsModel::findingAt(int row) const {
    const int ranked = static_cast<int>(m_findings.ranked.size());
    if (row < 0) return nullptr;
    if (row < ranked) return &m_findings.ranked[row];
    if (row - ranked < static_cast<int>(m_findings.small.size()))
        return &m_findings.small[row - ranked];
    return nullptr;
}

int TFindingsModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(m_findings.ranked.size() + m_findings.small.size());
}

int TFindingsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant TFindingsModel::data(const QModelIndex& index, int role) const {
    const TFinding* f = findingAt(index.row());
    if (f == nullptr || index.column() < 0 || index.column() >= kColumnCount) return {};
    const bool ranked = index.row() < static_cast<int>(m_findings.ranked.size());
    if (role == TFindingsIntervalDelegate::kIntervalRole && index.column() == kInterval) {
        const TIntervalBar bar{m_findings.context.rate,
                               m_findings.context.low,
                               m_findings.context.high,
                               f->rule.rate,
                               f->rule.low,
                               f->rule.high,
                               f->flagged,
                               f->pHigher > 0.5};
        return QVariant::fromValue(bar);
    }
    if (role == Qt::ForegroundRole && !ranked) return QBrush(Qt::gray);
    if (role == Qt::FontRole && f->flagged) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::TextAlignmentRole && index.column() != kRule) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == Qt::ToolTipRole && index.column() == kRule) return ruleTip(*f);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case kNo:
            return f->ruleNumber();
        case kRule:
            if (f->equivalents.empty()) return qtText(f->condition);
            return qtText(f->condition) + QStringLiteral(" (+%1 alike)").arg(f->equivalents.size());
        case kRecords:
            return f->count;
        case kTarget:
            return f->targetCount;
        case kContextRate:
            return number(m_findings.context.rate, 3);
        case kRuleRate:
            return number(f->rule.rate, 3) + " [" + number(f->rule.low, 2) + "-" +
                   number(f->rule.high, 2) + "]";
        case kInterval:
            return {};
        case kDifference:
            return number(f->difference, 3);
        case kPHigher:
            return number(f->pHigher, 3);
        case kLfsr:
            return ranked ? number(f->lfsr, 3) : QString();
        case kSValue:
            return ranked ? number(f->svalue, 3) : QString();
        case kScore:
            return number(f->score, 3);
        case kRanks:
            if (!ranked) return QStringLiteral("too few records");
            return QStringLiteral("%1-%2%3")
                .arg(f->rankLow)
                .arg(f->rankHigh)
                .arg(f->robust ? QStringLiteral(" robust") : QString());
    }
    return {};
}

QVariant TFindingsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) return QString::fromLatin1(kColumnTexts[section].caption);
    if (role == Qt::ToolTipRole) return QString::fromLatin1(kColumnTexts[section].tip);
    return {};
}
