#include "ui/findings/FindingsIntervalDelegate.h"

#include <QPainter>
#include <algorithm>

QColor TFindingsIntervalDelegate::barColor(const TIntervalBar& bar) {
    if (!bar.flagged) return QColor(96, 96, 96);
    return bar.higher ? QColor(0, 0, 255) : QColor(255, 0, 0);
}

int TFindingsIntervalDelegate::xOf(const QRect& area, double x) {
    const double clamped = std::clamp(x, 0.0, 1.0);
    return area.left() + static_cast<int>(clamped * (area.width() - 1) + 0.5);
}

void TFindingsIntervalDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    const QVariant value = index.data(kIntervalRole);
    if (!value.canConvert<TIntervalBar>()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const TIntervalBar bar = value.value<TIntervalBar>();
    painter->save();
    const bool highlighted = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect,
                      option.palette.color(highlighted ? QPalette::Highlight : QPalette::Base));
    const QRect area = option.rect.adjusted(4, 3, -4, -3);
    const int middle = area.center().y();
    // The axis with ticks at 0, 0.5 and 1.
    painter->setPen(QColor(200, 200, 200));
    painter->drawLine(area.left(), middle, area.right(), middle);
    for (double x : {0.0, 0.5, 1.0})
        painter->drawLine(xOf(area, x), middle - 2, xOf(area, x), middle + 2);
    // The context: a light band and a tick at its rate.
    const int contextLeft = xOf(area, bar.contextLow);
    painter->fillRect(
        QRect(contextLeft, area.top(), xOf(area, bar.contextHigh) - contextLeft + 1, area.height()),
        QColor(210, 210, 210));
    painter->setPen(QColor(120, 120, 120));
    painter->drawLine(xOf(area, bar.contextRate), area.top(), xOf(area, bar.contextRate),
                      area.bottom());
    // The rule: a bar across its interval and a dot at its rate.
    const QColor colour = barColor(bar);
    const int ruleLeft = xOf(area, bar.ruleLow);
    const int thickness = std::max(2, area.height() / 3);
    painter->fillRect(
        QRect(ruleLeft, middle - thickness / 2, xOf(area, bar.ruleHigh) - ruleLeft + 1, thickness),
        colour);
    painter->setPen(Qt::NoPen);
    painter->setBrush(colour);
    const int radius = std::max(2, thickness);
    painter->drawEllipse(QPoint(xOf(area, bar.ruleRate), middle), radius, radius);
    painter->restore();
}

QSize TFindingsIntervalDelegate::sizeHint(const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
    const QSize text = QStyledItemDelegate::sizeHint(option, index);
    return QSize(std::max(text.width(), 160), std::max(text.height(), 18));
}
