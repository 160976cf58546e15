#pragma once

#include <QStyledItemDelegate>

// The data an interval cell carries under kIntervalRole: the context's and the rule's rate with
// their credible intervals, and the colour of the direction (none when not flagged).
struct TIntervalBar {
    double contextRate = 0, contextLow = 0, contextHigh = 0;
    double ruleRate = 0, ruleLow = 0, ruleHigh = 0;
    bool flagged = false;
    bool higher = false;
};
Q_DECLARE_METATYPE(TIntervalBar)

// Draws an interval cell of the findings grid: on one 0..1 axis the context interval as a thin
// grey band with its rate as a tick, and the rule interval as a bar with its rate as a dot, blue
// (higher) or red (lower) when the finding is flagged, dark grey otherwise.
class TFindingsIntervalDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    // The role of the TIntervalBar of a cell.
    static constexpr int kIntervalRole = Qt::UserRole + 20;

    explicit TFindingsIntervalDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The colour of the rule's bar.
    static QColor barColor(const TIntervalBar& bar);
    // The x of rate `x` (clamped to 0..1) in `area`.
    static int xOf(const QRect& area, double x);
};
