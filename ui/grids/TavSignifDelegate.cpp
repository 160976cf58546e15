#include "ui/grids/TavSignifDelegate.h"

#include <QPainter>

#include "stats/uTavFreq.h"
#include "stats/uTavResultTables.h"
#include "ui/grids/TxTableModel.h"

std::pair<QColor, QColor> TTavSignifDelegate::cellColors(const TSignifColor& c, bool highlighted,
                                                         const QPalette& palette) {
    const QColor colour =
        c.isDefault ? palette.color(QPalette::Text) : QColor(c.red, c.green, c.blue);
    const QColor window = palette.color(QPalette::Base);
    if (highlighted) return {window, colour};
    return {colour, window};
}

void TTavSignifDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const int column = index.column();
    if (column != FrequencyColumns::kEntropyChange && column != FrequencyColumns::kSignif) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const auto raw = [&](int c) {
        return index.sibling(index.row(), c).data(TxTableModel::kRawValueRole);
    };
    // A model without the row's number and counts (an empty cell) colours by Signif alone.
    const QVariant number = raw(FrequencyColumns::kNo);
    const QVariant frequency = raw(FrequencyColumns::kFrequency);
    const QVariant condFrequency = raw(FrequencyColumns::kCondFrequency);
    const double signif = raw(FrequencyColumns::kSignif).toDouble();
    const TSignifColor colour =
        number.isValid() && frequency.isValid() && condFrequency.isValid()
            ? FrequencyRowColor(number.toInt(), frequency.toInt(), condFrequency.toInt(), signif)
            : SignifColor(signif);
    const bool highlighted = option.state & QStyle::State_Selected;
    const auto [text, background] = cellColors(colour, highlighted, option.palette);

    painter->save();
    const QRect cell = option.rect;
    painter->fillRect(cell, background);
    painter->setClipRect(cell);
    painter->setFont(option.font);
    painter->setPen(text);
    const QString shown = index.data(Qt::DisplayRole).toString();
    // Right-aligned with a margin of three pixels, two pixels below the cell's top.
    const QFontMetrics metrics(option.font);
    const int left = cell.right() - 3 - metrics.horizontalAdvance(shown);
    const int top = cell.top() + std::max(2, (cell.height() - metrics.height()) / 2);
    painter->drawText(QRect(left, top, cell.right() - left, metrics.height()),
                      Qt::AlignLeft | Qt::AlignTop, shown);
    painter->restore();
}
