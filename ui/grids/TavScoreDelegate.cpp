#include "ui/grids/TavScoreDelegate.h"

#include "stats/uTavResultTables.h"

void TTavScoreDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() != RuleColumns::kScore || !m_outdated || !m_outdated()) return;
    const QColor grey = option->palette.color(QPalette::Disabled, QPalette::Text);
    option->palette.setColor(QPalette::Text, grey);
    option->palette.setColor(QPalette::HighlightedText,
                             option->palette.color(QPalette::Disabled, QPalette::HighlightedText));
}
